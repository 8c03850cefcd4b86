#pragma once

#include "clock/CompanionWindows.h"
#include "clock/DigitDisplay.h"
#include "platform/Services.h"

#include <QPixmap>
#include <QWidget>
#include <memory>

class CommandLabel;
class GlyphCell;
class HoverHighlights;
class SoundSwitch;
class Stopwatch;
class QTimer;

// The clock strip at the top of the screen, with the command panel that unfolds beneath it.
class ClockWindow : public QWidget {
    Q_OBJECT
public:
    // Heights and width in twips.
    static constexpr int FoldedHeight = 270;
    static constexpr int UnfoldedHeight = 2910;
    static constexpr int ClientWidth = 1320;
    // A window dropped this close to the top edge (twips) snaps onto it.
    static constexpr int SnapThreshold = 300;

    explicit ClockWindow(const Services& services, QWidget* parent = nullptr);
    ~ClockWindow() override;

    // Left edge (px) that centres a window on a screen.
    static int centredLeft(int screenWidthPx, int windowWidthPx);
    // The part of the screen the clock is on that panels leave free.
    QRect availableArea() const;

    void FormOnTop(bool onTop);
    void DrawFormBorder();
    void DragForm();

    CompanionWindows& companions() { return m_companions; }

signals:
    void exitRequested();
    // The pointer moved over the bare window, not over a label or a picture cell.
    void backgroundPointerMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private slots:
    void onSurfacePressed();
    void onTimer1Tick();
    void onTimer2Tick();
    void onMoveClicked();
    void onExitClicked();
    void onLinksClicked();
    void onAboutClicked();

private:
    void buildStrip();
    void buildPanel();
    void armTimer1();

    Services m_services;
    CompanionWindows m_companions;
    QSize m_border;
    // The LED grid in device pixels, for the pixel ratio it was drawn at.
    QPixmap m_grid;
    qreal m_gridRatio = 0;

    GlyphCell* hour = nullptr;
    GlyphCell* hour1 = nullptr;
    GlyphCell* dotblank = nullptr;
    GlyphCell* min = nullptr;
    GlyphCell* min2 = nullptr;

    CommandLabel* lblMove = nullptr;
    CommandLabel* YorN = nullptr;
    CommandLabel* Label2 = nullptr;
    CommandLabel* OfforOn = nullptr;
    CommandLabel* Label3 = nullptr;
    CommandLabel* Label4 = nullptr;
    CommandLabel* Label6 = nullptr;
    CommandLabel* Label5 = nullptr;
    CommandLabel* lblH = nullptr;
    CommandLabel* Label10 = nullptr;
    CommandLabel* lblM = nullptr;
    CommandLabel* Label11 = nullptr;
    CommandLabel* lblS = nullptr;
    CommandLabel* Label7 = nullptr;
    CommandLabel* Label8 = nullptr;
    CommandLabel* lblExit = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;

    std::unique_ptr<DigitDisplay> m_digits;
    HoverHighlights* m_highlights = nullptr;
    Stopwatch* m_stopwatch = nullptr;
    SoundSwitch* m_soundSwitch = nullptr;

    friend struct ClockWindowLayout;
};
