#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window that docks beside the clock window goes: gapTwips right of the clock's right
// edge, belowTwips below its top. Where that would leave the available area (the screen less
// its panels) it goes to the clock's left side, or is moved in just enough, so that it is
// always wholly visible.
QPoint dockPosition(const QRect& clock, const QSize& window, int gapTwips, int belowTwips,
                    const QRect& available);
