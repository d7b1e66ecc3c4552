#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace taviro {

// What `taviro [--scale F] [PATH]` asks for.
struct CommandLine
{
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    QString folder;   // the working folder PATH names; empty without PATH
    QByteArray scale; // the factor for QT_SCALE_FACTOR; empty without --scale
    QString text;     // the help or version text, or the one line that refuses
};

// Reads the arguments; arguments[0] is the program. Needs no application
// object, so the scale can be set before the window system starts.
CommandLine parseCommandLine(const QStringList &arguments, const QString &version);

// The folder where bonus.txt is read and the results file written when no PATH
// is given: a portable copy's own folder, or, for an installed copy (under
// /usr or Program Files, or not writable by the user), the Taviro folder in
// the user's documents.
QString defaultWorkingFolder(const QString &programFolder, bool programFolderWritable,
                             const QString &documentsFolder);

} // namespace taviro
