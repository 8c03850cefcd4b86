#include "widgets/DockPosition.h"

#include "widgets/Twips.h"

#include <algorithm>

namespace {

// The nearest start in [low, high] for a span of the given length; low when it cannot fit.
int clampSpan(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length + 1));
}

} // namespace

QPoint dockPosition(const QRect& clock, const QSize& window, int gapTwips, int belowTwips,
                    const QRect& available) {
    const int clockLeft = Twips::fromPx(clock.left());
    const int right = Twips::toPx(clockLeft + Twips::fromPx(clock.width()) + gapTwips);
    const int left = Twips::toPx(clockLeft - gapTwips - Twips::fromPx(window.width()));
    const int top = Twips::toPx(Twips::fromPx(clock.top()) + belowTwips);
    if (available.isEmpty())
        return {right, top};

    auto fits = [&](int x) {
        return x >= available.left() && x + window.width() - 1 <= available.right();
    };
    int x = right;
    if (!fits(right))
        x = fits(left) ? left
                       : clampSpan(right, window.width(), available.left(), available.right());
    return {x, clampSpan(top, window.height(), available.top(), available.bottom())};
}
