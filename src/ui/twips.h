#pragma once

#include <QRect>

#include <cmath>

namespace taviro {

// Layouts are measured in twips (1/1440 inch). Fifteen twips make one logical
// pixel, so a window laid out in twips scales with the desktop's scaling
// factor like every other Qt window. This is the only place that converts.
constexpr int kTwipsPerPixel = 15;

// Halves round towards positive infinity, so a rectangle keeps its width
// wherever it is moved.
inline int twipsToPixels(double twips) { return static_cast<int>(std::floor(twips / kTwipsPerPixel + 0.5)); }

inline int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

inline QRect twipsToPixels(double left, double top, double width, double height)
{
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    return QRect(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

} // namespace taviro
