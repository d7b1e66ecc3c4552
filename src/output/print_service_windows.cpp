// Printing on Windows: the results file is handed to the shell's "print"
// verb, which prints it with the usual handler for text files on the default
// printer. The shell's answer is not looked at.
#include "print_service.h"

#include <QDir>

#include <string>

#include <windows.h>
#include <shellapi.h>

namespace taviro {

namespace {

class ShellPrintService : public PrintService
{
public:
    void printFile(const QString &path) override
    {
        const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
        // Empty parameters and working directory, not null; show command 0.
        ShellExecuteW(nullptr, L"print", file.c_str(), L"", L"", SW_HIDE);
    }
};

} // namespace

PrintService &systemPrintService()
{
    static ShellPrintService service;
    return service;
}

} // namespace taviro
