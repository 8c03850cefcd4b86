#pragma once

#include <QWidget>

// A frameless top-level window in the program's look: dark green within a one-pixel black
// border, kept at its exact size however the display is scaled (see keepExactSize()).
class BoxWindow : public QWidget {
    Q_OBJECT
public:
    // The client area starts inside the border.
    static constexpr int borderPx = 1;

    BoxWindow();

protected:
    void paintEvent(QPaintEvent* event) override;
};
