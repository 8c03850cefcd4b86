#include "platform/DialogPlacement.h"
#include "platform/X11WindowHints.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int gap = 8;
// Decorations of a dialog not yet shown, where the window manager will not tell them.
constexpr QMargins assumedFrame(4, 30, 4, 4);

QRect moveInside(QRect r, const QRect& area) {
    r.moveLeft(std::max(area.left(), std::min(r.left(), area.right() - r.width() + 1)));
    r.moveTop(std::max(area.top(), std::min(r.top(), area.bottom() - r.height() + 1)));
    return r;
}

// The bounding rectangle of the visible always-on-top windows other than the dialog.
QRect topmostWindows(const QWidget* dialog) {
    QRect all;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w != dialog && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            all |= w->frameGeometry();
    }
    return all;
}

} // namespace

QRect DialogPlacement::clear(const QRect& frame, const QRect& avoid, const QRect& available) {
    const QRect inside = available.isEmpty() ? frame : moveInside(frame, available);
    if (avoid.isEmpty() || !inside.intersects(avoid))
        return inside;

    QRect candidates[] = {inside, inside, inside, inside};
    candidates[0].moveTop(avoid.bottom() + 1 + gap);
    candidates[1].moveBottom(avoid.top() - 1 - gap);
    candidates[2].moveLeft(avoid.right() + 1 + gap);
    candidates[3].moveRight(avoid.left() - 1 - gap);
    QRect best = inside;
    int bestDistance = -1;
    for (QRect c : candidates) {
        if (!available.isEmpty())
            c = moveInside(c, available);
        if (c.intersects(avoid))
            continue;
        const QPoint d = c.topLeft() - inside.topLeft();
        const int distance = std::abs(d.x()) + std::abs(d.y());
        if (bestDistance < 0 || distance < bestDistance) {
            best = c;
            bestDistance = distance;
        }
    }
    return best;
}

void DialogPlacement::place(QWidget* dialog, const QWidget* owner) {
    const QRect inner = dialog->geometry();
    const QRect known = dialog->frameGeometry();
    const bool frameKnown = known != inner;
    // Title bars differ by window manager and theme (30 to 41 px): ask for the real frame.
    const QMargins frame =
        frameKnown ? QMargins(inner.left() - known.left(), inner.top() - known.top(),
                              known.right() - inner.right(), known.bottom() - inner.bottom())
                   : X11WindowHints::frameExtents(dialog->windowHandle()).value_or(assumedFrame);
    QRect outer(QPoint(), dialog->size().grownBy(frame));

    const QWidget* parent = owner ? owner->window() : nullptr;
    QScreen* screen =
        parent ? QGuiApplication::screenAt(parent->frameGeometry().center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = X11WindowHints::freeArea(screen);
    outer.moveCenter(parent ? parent->frameGeometry().center() : available.center());

    // move() places the frame where Qt knows it, else the window itself.
    const QPoint at = clear(outer, topmostWindows(dialog), available).topLeft();
    dialog->move(frameKnown ? at : at + QPoint(frame.left(), frame.top()));
}
