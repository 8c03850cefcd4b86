#pragma once

#include <QRect>
#include <QShowEvent>

class QWidget;

// Boxes and dialogs open wholly on the screen's free area and clear of Tempivo's
// always-on-top windows (the clock strip), which would otherwise cover part of them.
namespace DialogPlacement {

// The outer rectangle moved the least distance that puts it inside `available` and off
// `avoid`; inside `available` alone when no such place exists.
QRect clear(const QRect& frame, const QRect& avoid, const QRect& available);

// Moves a dialog that is being shown to such a place, starting from its parent's centre.
void place(QWidget* dialog);

} // namespace DialogPlacement

// A dialog class that places itself with DialogPlacement once its size is known.
template <typename Dialog> class ClearlyPlaced : public Dialog {
public:
    using Dialog::Dialog;

protected:
    void showEvent(QShowEvent* event) override {
        Dialog::showEvent(event);
        if (!event->spontaneous())
            DialogPlacement::place(this);
    }
};
