#pragma once

namespace taviro {

// The windows are laid out for small, flat controls: tiny buttons of 9 x 12
// pixels, one-entry lists with their arrows, an 18-pixel count box. Qt's
// built-in "Windows" style draws them with small paddings, so their contents
// show at those sizes; a thin layer over it draws what that style leaves out
// at these sizes (the arrows of a 7-pixel scroll button, a focus rectangle
// that keeps clear of a tiny caption) and an indeterminate check box that
// cannot be taken for a checked one. Makes it the application's style (once).
void useCompactStyle();

} // namespace taviro
