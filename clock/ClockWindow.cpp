#include "clock/ClockWindow.h"

#include "clock/DotMatrix.h"
#include "clock/GlyphStore.h"
#include "clock/HoverHighlights.h"
#include "clock/SoundSwitch.h"
#include "clock/Stopwatch.h"
#include "clock/TwelveHourTime.h"
#include "platform/WallClock.h"
#include "platform/WindowManager.h"
#include "widgets/Colors.h"
#include "widgets/CommandLabel.h"
#include "widgets/ExactSize.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <array>
#include <vector>

namespace {

struct LabelLayout {
    CommandLabel* ClockWindow::*member;
    const char* name;
    const char* caption;
    int left, top, width, height; // twips
    qreal pointSize;
    const QColor& color;
    bool underlined;
};

struct RuleLine {
    int x1, y1, x2, y2; // twips
};

// The two sides of the panel's box, then the rules between its groups.
constexpr RuleLine ruleLines[] = {
    {120, 360, 120, 2760},   {1200, 360, 1200, 2760}, {1200, 600, 120, 600},
    {120, 960, 1200, 960},   {120, 1680, 1210, 1680}, {120, 2040, 1210, 2040},
    {120, 2400, 1210, 2400}, {120, 2760, 1210, 2760},
};

} // namespace

struct ClockWindowLayout {
    static const LabelLayout labels[];
};

const LabelLayout ClockWindowLayout::labels[] = {
    {&ClockWindow::m_moveCommand, "moveCommand", "Move", 240, 360, 495, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_moveState, "moveState", "N", 840, 360, 135, 255, 8.25, Colors::cyan, true},
    {&ClockWindow::m_soundCommand, "soundCommand", "Sound", 240, 720, 615, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_soundState, "soundState", "On", 840, 720, 375, 255, 8.25, Colors::cyan, true},
    {&ClockWindow::m_stopwatchCaption, "stopwatchCaption", "Timer", 240, 1080, 495, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_startCommand, "startCommand", "Start", 240, 1320, 375, 135, 6.75, Colors::cyan,
     false},
    {&ClockWindow::m_startPauseBar, "startPauseBar", "|", 600, 1320, 135, 255, 9, Colors::lightCyan,
     false},
    {&ClockWindow::m_pauseCommand, "pauseCommand", "Pause", 720, 1320, 375, 135, 6.75, Colors::cyan,
     false},
    {&ClockWindow::m_hoursReadout, "hoursReadout", "00", 240, 1440, 255, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_hoursColon, "hoursColon", ":", 430, 1440, 135, 255, 8.25, Colors::lightCyan,
     false},
    {&ClockWindow::m_minutesReadout, "minutesReadout", "00", 540, 1440, 255, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_minutesColon, "minutesColon", ":", 740, 1440, 135, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_secondsReadout, "secondsReadout", "00", 840, 1440, 255, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_linksCommand, "linksCommand", "Links", 240, 1800, 855, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_aboutCommand, "aboutCommand", "About", 240, 2160, 735, 255, 8.25,
     Colors::lightCyan, false},
    {&ClockWindow::m_exitCommand, "exitCommand", "Exit", 240, 2520, 495, 255, 8.25,
     Colors::lightCyan, false},
};

// The strip's dots, rules and frame drawn once per pixel ratio: a repaint, mostly one blinking
// colon each second, then only copies and fills device rectangles.
struct ClockWindow::Picture {
    struct Fill {
        QRect area;
        QColor color;
    };
    struct Glyph {
        int cell;
        const QImage* glyph;
        QPixmap dots;
    };

    qreal ratio = 0;
    QSize border;
    QPixmap grid;
    // The rules, then the raised frame on the window's outermost device pixels.
    std::vector<Fill> lines;
    // Each glyph as drawn in each cell: where a dot falls depends on the cell's place at
    // ratios like 1.1. Cells whose dots fall alike share their copies, under the first of them.
    std::vector<Glyph> glyphs;
    std::array<QRect, DigitDisplay::CellCount> cellAreas;
    std::array<int, DigitDisplay::CellCount> sharingCell;

    const QPixmap& dotsOf(int cell, QPoint at, const QImage* glyph) {
        cell = sharingCell[cell];
        for (const Glyph& g : glyphs) {
            if (g.cell == cell && g.glyph == glyph)
                return g.dots;
        }
        const QRect area(
            QPoint(DotMatrix::toDevice(at.x(), ratio), DotMatrix::toDevice(at.y(), ratio)),
            QPoint(DotMatrix::toDevice(at.x() + glyph->width(), ratio) - 1,
                   DotMatrix::toDevice(at.y() + glyph->height(), ratio) - 1));
        QPixmap dots(area.size());
        QPainter painter(&dots);
        painter.translate(-area.topLeft());
        DotMatrix::paint(painter, *glyph, at, ratio);
        painter.end();
        // A copy: a pixmap once painted keeps its painter's engine for as long as it lives.
        glyphs.push_back({cell, glyph, dots.copy()});
        return glyphs.back().dots;
    }
};

ClockWindow::ClockWindow(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_services(services) {
    setWindowTitle(QStringLiteral("Tempivo"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    m_services.windows->keepOffTaskbar(this);

    buildStrip();

    m_tickTimer = new QTimer(this);
    m_tickTimer->setObjectName(QStringLiteral("tickTimer"));
    m_tickTimer->setSingleShot(true);
    m_tickTimer->setTimerType(Qt::PreciseTimer);
    connect(m_tickTimer, &QTimer::timeout, this, &ClockWindow::onTickTimer);

    m_snapTimer = new QTimer(this);
    m_snapTimer->setObjectName(QStringLiteral("snapTimer"));
    m_snapTimer->setInterval(500);
    connect(m_snapTimer, &QTimer::timeout, this, &ClockWindow::snapToTopEdge);

    m_soundSwitch = new SoundSwitch(*m_services.mixer, *m_services.messages, this);

    // Folded. The window has no screen of its own yet: it starts on the primary one.
    setScreen(QGuiApplication::primaryScreen());
    setFixedSize(Twips::toPx(ClientWidth), Twips::toPx(FoldedHeight));
    keepExactSize(this);
}

void ClockWindow::showAtTopEdge() {
    // Centred at the top edge of the primary screen's free area, below any panel, showing 00:00.
    const QRect area =
        m_services.windows->freeArea(QGuiApplication::primaryScreen()->geometry().center());
    move(area.left() + centredLeft(area.width(), width()), area.top());
    m_digits->showInitial();
    // Qt asks whether a screen reader listens before it first shows a window. Without a session
    // bus, that starts one through dbus-launch, which, run while openbox maps the window, did
    // not answer until the next input event: ask before the strip goes up.
    QAccessible::isActive();
    setOnTop(true);
    updateFrame();

    armTickTimer();
    m_snapTimer->start();
}

void ClockWindow::setStartVolume() {
    m_soundSwitch->startUp();
}

ClockWindow::~ClockWindow() = default;

int ClockWindow::centredLeft(int screenWidthPx, int windowWidthPx) {
    const double left = Twips::fromPx(screenWidthPx) / 2.0 - Twips::fromPx(windowWidthPx) / 2.0;
    return Twips::toPx(left);
}

QRect ClockWindow::availableArea() const {
    return m_services.windows->freeArea(geometry().center());
}

void ClockWindow::buildStrip() {
    auto cell = [](int left, int top, int width) {
        return QRect(Twips::toPx(left), Twips::toPx(top), width, 15);
    };
    m_digits = std::make_unique<DigitDisplay>(
        DigitDisplay::Areas{cell(120, 10, 10), cell(360, 10, 10), cell(600, 15, 3),
                            cell(720, 10, 10), cell(960, 15, 10)},
        *m_services.time);
}

void ClockWindow::buildPanel() {
    for (const LabelLayout& l : ClockWindowLayout::labels) {
        auto* label = new CommandLabel(this);
        label->setObjectName(QLatin1String(l.name));
        label->setText(QString::fromLatin1(l.caption));
        label->setGeometry(Twips::rect(l.left, l.top, l.width, l.height));
        // A new caption then asks the window for no new layout.
        label->setFixedSize(label->size());
        QFont font = layoutFont(QStringLiteral("OCR A Extended"), l.pointSize);
        font.setUnderline(l.underlined);
        label->setFont(font);
        label->setTextColor(l.color);
        // Folded away, the labels are hidden: the strip's repaints then pass them by.
        label->hide();
        this->*(l.member) = label;
    }
    // Nothing changes under the seconds' box: from its second minute on, a stopwatch second
    // repaints that box alone.
    m_secondsReadout->setKeepsDrawnCaptions(true);
    // The bar's box runs on into the readout row: its ink ends a pixel above the digits'.
    // Measured when the bar is first drawn, not before the strip is up.
    m_startPauseBar->setInkArea([this] {
        const int digitsTop = m_minutesReadout->y() + m_minutesReadout->inkRect().top();
        return QRect(0, 0, m_startPauseBar->width(), digitsTop - 1 - m_startPauseBar->y());
    });

    connect(m_moveCommand, &CommandLabel::clicked, this, &ClockWindow::onMoveClicked);
    connect(m_exitCommand, &CommandLabel::clicked, this, &ClockWindow::onExitClicked);
    connect(m_linksCommand, &CommandLabel::clicked, this, &ClockWindow::linksRequested);
    connect(m_aboutCommand, &CommandLabel::clicked, this, &ClockWindow::aboutRequested);

    m_highlights = new HoverHighlights({m_moveCommand, m_soundCommand, m_soundState, m_startCommand,
                                        m_startPauseBar, m_pauseCommand, m_linksCommand,
                                        m_aboutCommand, m_exitCommand},
                                       this);
    connect(this, &ClockWindow::backgroundPointerMoved, m_highlights, &HoverHighlights::clearAll);
    // Nobody can start the stopwatch before the panel is out.
    m_stopwatch = new Stopwatch(
        {m_startCommand, m_pauseCommand, m_hoursReadout, m_minutesReadout, m_secondsReadout},
        *m_services.sound, *m_services.uptime, this);
    connect(m_stopwatch, &Stopwatch::shown, this, [this](qint64 seconds) {
        m_stopwatchSeconds = seconds;
        m_stopwatchUnsaid = true;
        if (QAccessible::isActive())
            sayStopwatch();
    });
    sayStopwatch();
    connect(m_stopwatch, &Stopwatch::secondTurned, this, [this] { showCells(m_digits->tick()); });
    connect(m_stopwatch, &Stopwatch::runningChanged, this, &ClockWindow::armTickTimer);
    m_soundSwitch->showOn(m_soundCommand, m_soundState);
}

void ClockWindow::setOnTop(bool onTop) {
    m_services.windows->setTopmost(this, onTop);
}

void ClockWindow::updateFrame() {
    m_border = size();
    update();
}

void ClockWindow::startDrag() {
    m_services.windows->startMove(this);
    // A window manager may tell nothing of where its move ends: look once the button is up.
    m_snapTimer->start();
}

ClockWindow::Picture& ClockWindow::pictureFor(qreal ratio) {
    if (!m_picture)
        m_picture = std::make_unique<Picture>();
    Picture& p = *m_picture;
    auto device = [ratio](const QRect& r) {
        return QRect(
            QPoint(DotMatrix::toDevice(r.left(), ratio), DotMatrix::toDevice(r.top(), ratio)),
            QPoint(DotMatrix::toDevice(r.right() + 1, ratio) - 1,
                   DotMatrix::toDevice(r.bottom() + 1, ratio) - 1));
    };
    const int line = DotMatrix::dotSize(ratio);
    if (p.ratio != ratio) {
        p = Picture();
        p.ratio = ratio;
        const QImage& grid = GlyphStore::instance().ledGrid();
        p.grid = QPixmap(DotMatrix::toDevice(grid.width(), ratio),
                         DotMatrix::toDevice(grid.height(), ratio));
        QPainter gridPainter(&p.grid);
        DotMatrix::paint(gridPainter, grid, QPoint(), ratio);
        gridPainter.end();
        p.grid = p.grid.copy();
        const GlyphStore& store = GlyphStore::instance();
        for (int i = 0; i < DigitDisplay::CellCount; ++i) {
            const QRect area = m_digits->area(DigitDisplay::Cell(i));
            p.cellAreas[i] = device(area);
            p.sharingCell[i] = i;
            for (int j = 0; j < i; ++j) {
                const QRect other = m_digits->area(DigitDisplay::Cell(j));
                if (DotMatrix::drawsAlike(area.topLeft(), other.topLeft(),
                                          area.size().expandedTo(other.size()), ratio)) {
                    p.sharingCell[i] = j;
                    break;
                }
            }
            // Every glyph a cell can show, so that a new minute costs no more than a blink.
            if (i == DigitDisplay::Colon) {
                p.dotsOf(i, area.topLeft(), &store.dots());
            } else {
                for (int digit = 0; digit < 10; ++digit)
                    p.dotsOf(i, area.topLeft(), &store.digit(digit));
            }
        }
    }
    if (p.border != m_border || p.lines.empty()) {
        p.border = m_border;
        p.lines.clear();
        for (const RuleLine& r : ruleLines) {
            const QRect px = QRect(QPoint(Twips::toPx(r.x1), Twips::toPx(r.y1)),
                                   QPoint(Twips::toPx(r.x2), Twips::toPx(r.y2)))
                                 .normalized();
            QRect d = device(px);
            if (px.height() == 1)
                d.setHeight(line);
            else
                d.setWidth(line);
            p.lines.push_back({d, Colors::lightGrey});
        }
        const int w = qRound(m_border.width() * ratio);
        const int h = qRound(m_border.height() * ratio);
        if (w > 0 && h > 0) {
            p.lines.push_back({QRect(0, 0, line, h), Colors::white});
            p.lines.push_back({QRect(0, 0, w, line), Colors::white});
            p.lines.push_back({QRect(w - line, 0, line, h), Colors::black});
            p.lines.push_back({QRect(0, h - line, w, line), Colors::black});
        }
    }
    return p;
}

void ClockWindow::paintEvent(QPaintEvent* event) {
    // Most repaints are one blinking colon: draw only what crosses the dirty area.
    // The painter is clipped to the dirty region already.
    QPainter painter(this);
    // Draw in device pixels, so that the frame, the lines and every LED dot are whole pixels of
    // one size at any scale factor.
    const qreal ratio = painter.deviceTransform().m11();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    const QRect dirty =
        QRectF(QRectF(event->rect()).topLeft() * ratio, QRectF(event->rect()).size() * ratio)
            .toAlignedRect();
    Picture& picture = pictureFor(ratio);

    painter.fillRect(dirty, Colors::darkGreen);
    if (dirty.intersects(picture.grid.rect()))
        painter.drawPixmap(dirty.topLeft(), picture.grid, dirty);
    for (int i = 0; i < DigitDisplay::CellCount; ++i) {
        const QImage* glyph = m_digits->glyph(DigitDisplay::Cell(i));
        if (glyph && picture.cellAreas[i].intersects(dirty)) {
            const QPoint at = m_digits->area(DigitDisplay::Cell(i)).topLeft();
            painter.drawPixmap(picture.cellAreas[i].topLeft(), picture.dotsOf(i, at, glyph));
        }
    }
    for (const Picture::Fill& f : picture.lines) {
        if (f.area.intersects(dirty))
            painter.fillRect(f.area, f.color);
    }
}

void ClockWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    onSurfacePressed();
}

void ClockWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is not another press.
    event->accept();
}

void ClockWindow::closeEvent(QCloseEvent* event) {
    // Closed from outside (a taskbar, a pager, the window manager): end as Exit does.
    event->accept();
    emit exitRequested();
}

void ClockWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    // The digit cells are no background: a move over them changes no light.
    if (m_digits->cellAt(event->position().toPoint()) < 0)
        emit backgroundPointerMoved();
}

void ClockWindow::onSurfacePressed() {
    if (m_moveMode) {
        startDrag();
        return;
    }
    // The window's height is no guide: a window manager may impose a larger one.
    m_unfolded = !m_unfolded;
    // Nothing of the panel is built until it first unfolds: a clock may sit folded all day.
    if (m_unfolded && !m_moveCommand)
        buildPanel();
    setFixedHeight(Twips::toPx(m_unfolded ? UnfoldedHeight : FoldedHeight));
    keepExactSize(this);
    for (const LabelLayout& l : ClockWindowLayout::labels)
        (this->*(l.member))->setVisible(m_unfolded);
    if (!m_unfolded)
        emit panelFolded();
    updateFrame();
}

void ClockWindow::armTickTimer() {
    // Tick just after the wall clock's second turns, so a new minute shows at once; a late tick
    // (a stalled process, a resume, a clock set back) is followed by the very next one. While
    // the stopwatch runs, its second blinks the colon and this timer waits for the minute
    // alone, so the program wakes once a second rather than twice; the timer is armed anew
    // whenever the stopwatch starts or stops.
    const int wait = stopwatchRunning() ? m_services.time->msecsToNextMinute()
                                        : m_services.time->msecsToNextSecond();
    m_tickTimer->start(wait + 5);
}

bool ClockWindow::stopwatchRunning() const {
    return m_stopwatch && m_stopwatch->isRunning();
}

void ClockWindow::onTickTimer() {
    if (!stopwatchRunning()) {
        showTime();
        return;
    }
    showCells(m_digits->showTimeNow());
    armTickTimer();
}

void ClockWindow::showTime() {
    showCells(m_digits->tick());
    armTickTimer();
}

void ClockWindow::showCells(const QRect& changed) {
    // Painted here and now: an update() would cost the event loop a second pass each second.
    if (!changed.isNull())
        repaint(changed);
    // Nothing listens to the names until an assistive technology asks: then they follow
    // within a second.
    if (QAccessible::isActive()) {
        sayTime();
        if (m_stopwatchUnsaid)
            sayStopwatch();
    }
}

// The dots say nothing to a screen reader: the window's name and description say the time.
void ClockWindow::sayTime() {
    // The strip shows the hours and minutes; the description adds the half of the day.
    const QTime now = m_services.time->currentTime();
    if (!now.isValid())
        return;
    const TwelveHourTime t = TwelveHourTime::from(now);
    const QString shown = t.hoursAndMinutes();
    if (shown == m_spokenTime)
        return;
    m_spokenTime = shown;
    setAccessibleName(shown);
    setAccessibleDescription(QStringLiteral("Tempivo clock, ") + shown + QLatin1Char(' ') +
                             t.halfOfDay());
}

void ClockWindow::sayStopwatch() {
    m_stopwatchUnsaid = false;
    const qint64 seconds = m_stopwatchSeconds;
    const QString elapsed = QStringLiteral("%1:%2:%3")
                                .arg(seconds / 3600)
                                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    m_stopwatchCaption->setAccessibleName(QStringLiteral("Timer ") + elapsed);
    m_stopwatchCaption->setAccessibleDescription(QStringLiteral("Stopwatch, ") + elapsed +
                                                 QStringLiteral(" elapsed"));
}

void ClockWindow::snapToTopEdge() {
    // While a button is down the window manager's move goes on, and it would ignore ours.
    if (m_services.windows->pointerButtonDown())
        return;
    // Decide from where the window is: the window manager may have ignored an earlier move
    // and told Qt nothing. Putting Qt right also brings the docked windows along.
    const QPoint at = m_services.windows->reportedPosition(this);
    if (at != pos())
        move(at);
    const int top = availableArea().top();
    if (at != m_snapFrom) {
        m_snapFrom = at;
        m_snapAttempts = 0;
    }
    if (at.y() != top && Twips::fromPx(at.y() - top) <= SnapThreshold &&
        ++m_snapAttempts <= MaxSnapAttempts) {
        move(at.x(), top);
        return; // and look again whether it went there
    }
    // Only a move can bring the window near the edge again: rest until the next one,
    // rather than waking the program twice a second all day.
    m_snapTimer->stop();
}

void ClockWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!m_snapTimer->isActive())
        m_snapTimer->start();
}

void ClockWindow::onMoveClicked() {
    m_moveMode = !m_moveMode;
    m_moveState->setText(m_moveMode ? QStringLiteral("Y") : QStringLiteral("N"));
}

void ClockWindow::onExitClicked() {
    emit exitRequested();
}
