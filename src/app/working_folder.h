#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

namespace taviro {

// What `taviro [--scale F] [--seed TEXT] [--screen N] [--exclude FILE]... [PATH]`, `taviro --fingerprint
// [LIST]` or `taviro --verify RECORD [LIST]` asks for.
struct CommandLine
{
    enum class Action { Run, Help, Version, Refuse, Fingerprint, Verify };
    Action action = Action::Run;
    QString folder; // the working folder PATH names; empty without PATH
    QString file; // Fingerprint: the list PATH names (empty: bonus.txt in the working folder); Verify: the record
    QString list; // Verify: the list given after the record; Run: a workbook or CSV named as PATH
    QString seed; // the public seed; empty without --seed
    QByteArray scale; // the factor for QT_SCALE_FACTOR; empty without --scale
    int screen = 0; // the screen (from 1) the big screen opens on at start; 0 without --screen
    QStringList exclude; // the files of earlier winners to leave out (--exclude), as absolute paths
    QString text; // the help or version text, or the one line that refuses
    QStringList qtOptions; // Qt's own options that were given ("platform", "reverse", ...), left to Qt
};

// Reads the arguments; arguments[0] is the program. Needs no application
// object, so the scale can be set before the window system starts.
CommandLine parseCommandLine(const QStringList &arguments, const QString &version);

// The folder where bonus.txt is read and the results file written.
struct WorkingFolder
{
    QString path;
    QString named; // empty for the program's own folder, which the messages call 本程序旁; else `path`
};

// PATH when the command line gives one; otherwise a portable copy's own
// folder, or, for an installed copy (under /usr or Program Files, or not writable by
// the user), the Taviro folder in the user's documents.
WorkingFolder decideWorkingFolder(const CommandLine &line, const QString &programFolder, bool programFolderWritable,
                                  const QString &documentsFolder);

// Makes the folder if it is missing. Empty when it is a folder now; otherwise
// the message for the start, naming the folder and why it cannot be used.
QString makeWorkingFolder(const QString &path);

// One running copy per folder: a second would overwrite the first one's
// results. The folder's lock, `.taviro.lock`, tried once and held while the
// returned lock lives; its error() is LockFailedError when another copy holds
// it. A lock left by a killed copy is stale and taken over.
std::unique_ptr<QLockFile> lockWorkingFolder(const QString &path);

} // namespace taviro
