#pragma once

#include <QPoint>
#include <QSize>
#include <QtGlobal>

class QImage;
class QPainter;

// Draws the one-pixel dot-matrix pictures (the LED grid, the glyphs) at any device pixel
// ratio: every dot becomes a square of the same size in device pixels, where scaling the
// picture would give dots of two sizes at ratios like 1.5.
namespace DotMatrix {

// The device pixel where a logical coordinate starts.
int toDevice(int logical, qreal ratio);
// The side of a dot, and the width of a one-pixel line, in device pixels.
int dotSize(qreal ratio);
// Whether a picture of `size` draws the same device pixels at `a` as at `b`, but moved.
bool drawsAlike(QPoint a, QPoint b, QSize size, qreal ratio);
// Paints the picture with its top-left corner at the logical point `at`: its area black and
// each pixel of another colour as a dot. The painter works in device pixels.
void paint(QPainter& painter, const QImage& picture, QPoint at, qreal ratio);

} // namespace DotMatrix
