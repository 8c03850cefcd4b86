#pragma once

#include "platform/Services.h"

#include "widgets/BoxWindow.h"

class QLabel;
class QPushButton;

// The About box: product name and version, creator and contact, and OK. It is placed
// once, beside the clock window level with the About command, and asks to close with OK.
class AboutBox : public BoxWindow {
    Q_OBJECT
public:
    // Client size in twips, inside the one-pixel border.
    static constexpr int ClientWidth = 3375;
    static constexpr int ClientHeight = 1800;
    // Offsets from the clock window's right edge and top, in twips.
    static constexpr int GapRight = 10;
    static constexpr int RowTop = 2160;

    // clock is the clock window's position and size, available the free area of its screen.
    AboutBox(const QRect& clock, const QRect& available, const Services& services);

signals:
    // OK was pressed or the window manager closed the box.
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* m_okButton = nullptr;
};
