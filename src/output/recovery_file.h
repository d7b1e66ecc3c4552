#pragma once

#include "draw_record.h"
#include "results_file.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace taviro {

// The recovery copy of the results log, "摇号结果_自动保存_YYYYMMDD-HHMMSS.txt"
// in the working folder, named after the moment the run was initialised. It is
// rewritten after every round, so a crash, a kill or a power cut never loses a
// drawn winner; the results file itself stays Save's and Print's alone.
class RecoveryFile
{
public:
    explicit RecoveryFile(const QString &folder);

    // The run is initialised: later copies carry this moment (local time) in
    // their name. Nothing is written before the first round is logged. The
    // result is the message to show now when the folder refuses Save's file,
    // and the copy would fail as well: it stands for the copy's first failure.
    QString begin(const QDateTime &initialisedAt);

    // Writes the log's bytes exactly as Save would write them, and the draw
    // record beside them ("摇号记录_自动保存_..."), so a killed run leaves a
    // record too. The draw never waits on the outcome: the result is the
    // message to show, which is empty unless this is the first failure since
    // the last successful write.
    QString keep(const QString &logText, ListEncoding list, const DrawRecord *record = nullptr);

    // The run carries on the draw of an earlier run that ended without saving:
    // its copy at `path` (and its record beside it) goes on as this run's.
    void carryOn(const QString &path);

    // Save or Print has written the results file. The log only grows within
    // a run, so whatever this run's copy holds, the results file holds it too:
    // the copy and its record go. A later round writes them again.
    void resultsSaved();

    // Where the copy goes; empty before the first round is logged.
    QString path() const { return m_path; }

private:
    QString firstFreePath() const;

    QString m_folder;
    QString m_baseName; // without ".txt"; empty before begin()
    QString m_path;
    bool m_written = false; // this run's copy is on disk under m_path
    bool m_failureReported = false;
};

// A run that ended without saving (killed, crashed, the power cut) left the
// record copy of its draw behind: 摇号记录_自动保存_….txt.
struct InterruptedDraw
{
    QString recordPath;
    DrawRecord record;
};

// The record copies in `folder` of draws from the list named `listName`,
// newest first (by the moment in their name). A copy that cannot be read as
// a record is no draw to carry on and is left out.
QList<InterruptedDraw> interruptedDraws(const QString &folder, const QString &listName);

// "摇号结果_自动保存_20260101-093000", for a run initialised at that moment.
QString recoveryBaseName(const QDateTime &initialisedAt);

// The message shown when the copy could not be written.
QString recoveryFailedMessage(const SaveOutcome &outcome);

// The message shown at Initialise when the folder refuses the results file.
QString folderRefusesResultsMessage(const SaveOutcome &outcome);

} // namespace taviro
