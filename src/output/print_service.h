#pragma once

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

} // namespace taviro
