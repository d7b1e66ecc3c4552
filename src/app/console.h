#pragma once

#include <QString>
#include <QStringList>

namespace taviro {

// The program's arguments as the system gave them, arguments[0] the program;
// read before the application object exists.
QStringList commandLineArguments(int argc, char *argv[]);

// Tells the user the help, the version or why the command line was refused:
// on the standard output (or the standard error for a refusal) where there is
// one. A Windows program started from Explorer has none; it shows the text in
// a message box instead.
void tellUser(const QString &text, bool refusal);

} // namespace taviro
