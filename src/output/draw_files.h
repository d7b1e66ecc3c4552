#pragma once

#include "draw_record.h"
#include "results_file.h"

#include <QString>

namespace taviro {

// The files that Save and Print write for one run: the results file and the
// draw record beside it. 摇号结果.txt always holds the latest draw, but a
// results file or record that an earlier run wrote is first kept under a
// dated name (摇号结果_2026-12-07_0930.txt and 摇号记录_2026-12-07_0930.txt,
// after the time it was written), never overwritten. Within a run, each save
// replaces the run's own files.
class DrawFiles
{
public:
    explicit DrawFiles(const QString &folder);

    // Writes the results (each file atomically), then the record when there
    // is one (a run that has not initialised has nothing to record). The
    // record is given without its results fields; they are filled in here.
    SaveOutcome save(const QString &logText, ListEncoding list, const DrawRecord *record,
                     const ResultsWriter &writer = writeAllBytes);

private:
    // Moves an earlier run's files out of the way; an error when it could not.
    QString keepEarlierRun();

    QString m_folder;
    bool m_ownsFiles = false; // this run has written the files under their plain names
};

// Writes the record for results that are already written as `resultsBytes`
// at `resultsPath`, beside them.
SaveOutcome writeRecordFor(const QString &resultsPath, const QByteArray &resultsBytes, DrawRecord record);

} // namespace taviro
