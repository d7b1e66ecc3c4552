#pragma once

#include "results_file.h"

#include <QString>

namespace taviro {

// Hands a written results file to the system's print service, without a
// dialog and without waiting for the printout. Failures are silent.
class PrintService
{
public:
    virtual ~PrintService() = default;
    virtual void printFile(const QString &path) = 0;
};

// The platform's print service (Linux: the default CUPS printer through
// QtPrintSupport; Windows: the shell's "print" verb).
PrintService &systemPrintService();

// Print: writes the results file exactly as saveResults does, then hands it
// to `printer`. When the write fails nothing is printed and the outcome says
// why (the same failure as a save); a success shows nothing.
SaveOutcome printResults(const QString &logText, ListEncoding list, const QString &folder, PrintService &printer);

} // namespace taviro
