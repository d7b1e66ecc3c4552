#pragma once

#include <QtGlobal>

namespace taviro {

// Brings the main window of the running copy with process id `pid` to the
// front, where the system lets one program do that for another: on Windows
// the newly started copy may hand the foreground on. Elsewhere (X11 without
// a window manager's help, Wayland) it cannot, and this returns false.
bool bringFirstWindowForward(qint64 pid);

} // namespace taviro
