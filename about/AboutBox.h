#pragma once

#include "platform/Services.h"

#include <QWidget>

class ClockWindow;
class CompanionWindows;
class QPushButton;

// The About box: product name and version, creator and contact, and OK. It is placed
// once, beside the clock window level with the About command.
class AboutBox : public QWidget {
    Q_OBJECT
public:
    // Client size in twips, inside the one-pixel border.
    static constexpr int ClientWidth = 3375;
    static constexpr int ClientHeight = 1800;
    // Offsets from the clock window's right edge and top, in twips.
    static constexpr int GapRight = 10;
    static constexpr int RowTop = 2160;

    AboutBox(ClockWindow& clock, CompanionWindows& companions, const Services& services);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CompanionWindows& m_companions;
    QPushButton* okButton = nullptr;
};
