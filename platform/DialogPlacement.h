#pragma once

#include "platform/X11WindowHints.h"

#include <QPointer>
#include <QRect>
#include <QShowEvent>

class QWidget;

// Boxes and dialogs open wholly on the screen's free area and clear of Tempivo's
// always-on-top windows (the clock strip), which would otherwise cover part of them.
namespace DialogPlacement {

// The outer rectangle moved the least distance that puts it inside `available` and off
// `avoid`; inside `available` alone when no such place exists.
QRect clear(const QRect& frame, const QRect& avoid, const QRect& available);

// Moves a dialog that is being shown to such a place, starting from the centre of `owner`
// (of the screen's free area without one).
void place(QWidget* dialog, const QWidget* owner);

} // namespace DialogPlacement

// A dialog class that places itself with DialogPlacement once its size is known.
template <typename Dialog> class ClearlyPlaced : public Dialog {
public:
    using Dialog::Dialog;

    // Makes the dialog modal for the whole program and above the other windows by its own
    // state rather than as a transient of `owner`, opening beside it: weston's XWayland ends
    // the session on a dialog transient for a utility window such as Tempivo's.
    void standApartFrom(QWidget* owner) {
        m_owner = owner;
        this->setWindowFlag(Qt::WindowStaysOnTopHint);
        this->setWindowModality(Qt::ApplicationModal);
    }

protected:
    void showEvent(QShowEvent* event) override {
        Dialog::showEvent(event);
        if (event->spontaneous())
            return;
        DialogPlacement::place(this, m_owner ? m_owner.data() : this->parentWidget());
        // Without an owner the taskbar would list it.
        if (m_owner)
            X11WindowHints::skipTaskbar(this->windowHandle());
    }

private:
    QPointer<QWidget> m_owner;
};
