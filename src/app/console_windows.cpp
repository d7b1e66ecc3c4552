// A Windows program built for the desktop has no console of its own. Its
// text goes where its standard handles lead (a pipe or a file when started
// from a script), else to the console of the program that started it (a
// command prompt), else into a message box.
#include "console.h"

#include <string>

#include <windows.h>
#include <shellapi.h>

namespace taviro {

QStringList commandLineArguments(int, char *[])
{
    // argv is in the user's ANSI code page, which may not hold the folder's name.
    QStringList arguments;
    int count = 0;
    if (wchar_t **words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments.append(QString::fromWCharArray(words[i]));
        LocalFree(words);
    }
    return arguments;
}

namespace {

bool writeTo(HANDLE handle, const QString &text)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = text.toStdWString();
        return WriteConsoleW(handle, wide.c_str(), DWORD(wide.size()), &written, nullptr);
    }
    const QByteArray bytes = text.toUtf8();
    return WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}

} // namespace

void tellUser(const QString &text, bool refusal)
{
    const DWORD which = refusal ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    if (writeTo(GetStdHandle(which), text))
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool shown = writeTo(console, QStringLiteral("\r\n") + text);
        if (console != INVALID_HANDLE_VALUE)
            CloseHandle(console);
        if (shown)
            return;
    }
    const std::wstring wide = text.trimmed().toStdWString();
    MessageBoxW(nullptr, wide.c_str(), L"Taviro", MB_OK);
}

} // namespace taviro
