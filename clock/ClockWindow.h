#pragma once

#include "clock/DigitDisplay.h"
#include "platform/Services.h"

#include <QWidget>
#include <memory>

class CommandLabel;
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

    // Builds the folded strip; its panel is built when it first unfolds. Nothing shows until
    // showAtTopEdge().
    explicit ClockWindow(const Services& services, QWidget* parent = nullptr);
    ~ClockWindow() override;

    // Puts the strip on screen, on top, and starts its clock.
    void showAtTopEdge();
    // Sets the master volume the program starts with; a fault shows a message box over the strip.
    void setStartVolume();

    // Left edge (px) that centres a window on a screen.
    static int centredLeft(int screenWidthPx, int windowWidthPx);
    // The part of the screen the clock is on that panels leave free.
    QRect availableArea() const;

    void setOnTop(bool onTop);
    void startDrag();
    // What the strip shows, and where.
    const DigitDisplay& digits() const { return *m_digits; }

signals:
    void exitRequested();
    // The Links and About commands were clicked.
    void linksRequested();
    void aboutRequested();
    // The command panel folded away; the windows opened from it go with it.
    void panelFolded();
    // The pointer moved over the bare window, not over a label or a digit cell.
    void backgroundPointerMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

public slots:
    // Shows the time now and waits for the next second.
    void showTime();
    // Snaps a window dropped near the top edge onto it, from where the X server has it.
    void snapToTopEdge();

private slots:
    void onSurfacePressed();
    void onMoveClicked();
    void onExitClicked();

private:
    // Frames the window at its present size.
    void updateFrame();
    void buildStrip();
    void buildPanel();
    bool stopwatchRunning() const;
    void armTickTimer();
    void onTickTimer();
    // Repaints the cells a tick changed and keeps the screen reader's names up to date.
    void showCells(const QRect& changed);
    void sayTime();
    void sayStopwatch();
    struct Picture;
    Picture& pictureFor(qreal ratio);

    Services m_services;
    // Whether the command panel is out; the height only shows it.
    bool m_unfolded = false;
    // Whether a press on the window drags it instead of folding; the Y or N only shows it.
    bool m_moveMode = false;
    // A snap that the window manager does not carry out is tried this often from one place.
    static constexpr int MaxSnapAttempts = 3;
    QPoint m_snapFrom;
    int m_snapAttempts = 0;
    QSize m_border;
    // The hours and minutes as the strip shows them, for screen readers.
    QString m_spokenTime;
    // The stopwatch's seconds as shown, and whether its caption's name still has to follow.
    qint64 m_stopwatchSeconds = 0;
    bool m_stopwatchUnsaid = false;
    // What a repaint draws, in device pixels for the pixel ratio it was worked out at.
    std::unique_ptr<Picture> m_picture;

    CommandLabel* m_moveCommand = nullptr;
    CommandLabel* m_moveState = nullptr;
    CommandLabel* m_soundCommand = nullptr;
    CommandLabel* m_soundState = nullptr;
    CommandLabel* m_stopwatchCaption = nullptr;
    CommandLabel* m_startCommand = nullptr;
    CommandLabel* m_startPauseBar = nullptr;
    CommandLabel* m_pauseCommand = nullptr;
    CommandLabel* m_hoursReadout = nullptr;
    CommandLabel* m_hoursColon = nullptr;
    CommandLabel* m_minutesReadout = nullptr;
    CommandLabel* m_minutesColon = nullptr;
    CommandLabel* m_secondsReadout = nullptr;
    CommandLabel* m_linksCommand = nullptr;
    CommandLabel* m_aboutCommand = nullptr;
    CommandLabel* m_exitCommand = nullptr;

    QTimer* m_tickTimer = nullptr;
    QTimer* m_snapTimer = nullptr;

    std::unique_ptr<DigitDisplay> m_digits;
    HoverHighlights* m_highlights = nullptr;
    Stopwatch* m_stopwatch = nullptr;
    SoundSwitch* m_soundSwitch = nullptr;

    friend struct ClockWindowLayout;
};
