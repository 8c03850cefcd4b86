#pragma once

#include <QRect>

// Layouts are designed in twips; 15 twips make one logical pixel.
namespace Twips {

inline constexpr int perPixel = 15;

constexpr int toPx(double twips) {
    const double px = twips / perPixel;
    return static_cast<int>(px >= 0 ? px + 0.5 : px - 0.5);
}

constexpr int fromPx(int px) {
    return px * perPixel;
}

constexpr QRect rect(int left, int top, int width, int height) {
    return QRect(toPx(left), toPx(top), toPx(width), toPx(height));
}

} // namespace Twips
