#pragma once

#include "draw_record.h"
#include "results_file.h"
#include "results_workbook.h"

#include <QString>

namespace taviro {

// What a save did: the results file and the record (the outcome itself),
// and the workbook, whose failure loses nothing: the results are written.
struct SavedFiles : SaveOutcome
{
    SaveOutcome workbook;
};

// The files that Save and Print write for one run: the results file, the
// workbook and the draw record beside them. 摇号结果.txt always holds the
// latest draw, but files that an earlier run wrote are first kept under a
// dated name (摇号结果_2026-12-07_0930.txt, 摇号结果_2026-12-07_0930.xlsx and
// 摇号记录_2026-12-07_0930.txt, after the time the results were written),
// never overwritten. Within a run, each save replaces the run's own files.
class DrawFiles
{
public:
    explicit DrawFiles(const QString &folder);

    // Writes the results, then the workbook, then the record when there is
    // one (a run that has not initialised has nothing to record), each file
    // atomically. The record is given without its results fields; they are
    // filled in here, and the workbook's rows come from its rounds, under the
    // list's `heading` row when it had one.
    SavedFiles save(const QString &logText, ListEncoding list, const DrawRecord *record,
                    const QStringList &heading = {}, const ResultsWriter &writer = writeAllBytes);

private:
    // Moves an earlier run's results and record out of the way; an error when
    // it could not. Its workbook is to follow them (m_earlierWorkbook).
    QString keepEarlierRun();
    // Moves the earlier run's workbook to its dated name; an error when it
    // could not (Excel on Windows holds an open workbook fast).
    QString keepEarlierWorkbook();
    SaveOutcome saveWorkbook(const ResultsTable &table, QByteArray &bytes);

    QString m_folder;
    bool m_ownsFiles = false; // this run has written the files under their plain names
    QString m_earlierWorkbook; // where the earlier run's workbook is still to go; empty when nowhere
};

// Writes the record for results that are already written as `resultsBytes`
// at `resultsPath`, beside them, and for the workbook beside them when it is
// written as `workbookBytes` (none when empty).
SaveOutcome writeRecordFor(const QString &resultsPath, const QByteArray &resultsBytes, DrawRecord record,
                           const QByteArray &workbookBytes = {});

// The message when the results were saved but the workbook was not.
QString workbookFailedMessage(const SaveOutcome &workbook);

} // namespace taviro
