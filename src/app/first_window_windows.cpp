// The running copy's main window, found among the top-level windows by its
// process and its title, restored and given the foreground, which the copy
// just started by the user is allowed to hand on.
#include "first_window.h"

#include <windows.h>

#include <cwchar>

namespace taviro {

namespace {

struct Search
{
    DWORD pid;
    HWND found = nullptr;
};

BOOL CALLBACK visit(HWND window, LPARAM param)
{
    auto *search = reinterpret_cast<Search *>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[16] = {};
    GetWindowTextW(window, title, 16);
    if (owner != search->pid || !IsWindowVisible(window) || wcsncmp(title, L"Taviro V", 8) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

bool bringFirstWindowForward(qint64 pid)
{
    Search search{static_cast<DWORD>(pid)};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return false;
    if (IsIconic(search.found))
        ShowWindow(search.found, SW_RESTORE);
    return SetForegroundWindow(search.found) != 0;
}

} // namespace taviro
