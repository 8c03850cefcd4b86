#include "ClockFixture.h"
#include "clock/ClockWindow.h"
#include "clock/DotMatrix.h"
#include "clock/GlyphStore.h"
#include "clock/Stopwatch.h"
#include "clock/TwelveHourTime.h"
#include "widgets/CommandLabel.h"

#include "StripCells.h"
#include "fakes/FakeServices.h"

#include <QPainter>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb black = qRgb(0, 0, 0);
const QRgb darkGreen = qRgb(0, 128, 0);

} // namespace

class TestClockWindow : public QObject {
    Q_OBJECT

    FakeServices fakes;
    FakeWallClock& time = fakes.time;
    FakeWindowManager& windows = fakes.windows;
    std::unique_ptr<ClockWindow> clock;

    const QImage* glyph(const char* name) { return shownGlyph(*clock, QLatin1String(name)); }
    // A point inside a digit cell.
    QPoint in(const char* name) {
        return cellArea(*clock, QLatin1String(name)).topLeft() + QPoint(1, 1);
    }
    CommandLabel* label(const char* name) { return clock->findChild<CommandLabel*>(name); }
    const QImage* digit(int d) { return &GlyphStore::instance().digit(d); }

    void tick() { clock->showTime(); }
    void snapTick() { clock->snapToTopEdge(); }

    void press(QWidget* target, Qt::MouseButton button = Qt::LeftButton, QPoint at = {2, 2}) {
        QTest::mousePress(target, button, {}, at);
        QTest::mouseRelease(target, button, {}, at);
    }

    // What the strip reads, as "hh:mm" with '_' for an empty digit cell and ' ' for a dark colon.
    QString strip() {
        auto show = [this](const char* name) -> QChar {
            const QImage* g = glyph(name);
            if (!g)
                return u'_';
            for (int d = 0; d < 10; ++d) {
                if (g == digit(d))
                    return QChar(u'0' + d);
            }
            return u'?';
        };
        const QChar colon = glyph("colon") == &GlyphStore::instance().dots() ? u':'
                            : glyph("colon")                                 ? u'?'
                                                                             : u' ';
        const QChar shown[] = {show("hourTens"), show("hourUnits"), colon, show("minuteTens"),
                               show("minuteUnits")};
        return QString(shown, 5);
    }

    QImage image() { return clock->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    void checkFrame(const QImage& img) {
        const int w = img.width();
        const int h = img.height();
        for (int y = 0; y < h - 1; ++y)
            QVERIFY2(img.pixel(0, y) == white, qPrintable(QString("left %1").arg(y)));
        for (int x = 0; x < w - 1; ++x)
            QVERIFY2(img.pixel(x, 0) == white, qPrintable(QString("top %1").arg(x)));
        for (int y = 0; y < h; ++y)
            QVERIFY2(img.pixel(w - 1, y) == black, qPrintable(QString("right %1").arg(y)));
        for (int x = 0; x < w; ++x)
            QVERIFY2(img.pixel(x, h - 1) == black, qPrintable(QString("bottom %1").arg(x)));
    }

private slots:
    void init() {
        time.now = QTime(12, 0, 0);
        time.toNextSecond = 500;
        windows = FakeWindowManager();
        clock = std::make_unique<ClockWindow>(fakes.services());
        startClock(*clock);
    }

    void cleanup() { clock.reset(); }

    void centresOnTheScreen() {
        QCOMPARE(ClockWindow::centredLeft(1024, 88), 468);
        QCOMPARE(ClockWindow::centredLeft(1920, 88), 916);
        // A screen narrower than the window places it partly off the screen.
        QCOMPARE(ClockWindow::centredLeft(60, 88), -14);
    }

    void startsFoldedOnTopWithZeros() {
        QCOMPARE(clock->size(), QSize(88, 18));
        QCOMPARE(clock->y(), 0);
        QCOMPARE(windows.topmostCalls, 1);
        QVERIFY(clock->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(clock->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(strip(), QStringLiteral("00:00"));
        // The panel is built when it first unfolds.
        QVERIFY(clock->findChildren<QWidget*>().isEmpty());
        press(clock.get(), Qt::LeftButton, {80, 10});
        QCOMPARE(clock->findChildren<CommandLabel*>().size(), 16);
    }

    void frameFollowsTheHeight() {
        checkFrame(image());

        press(clock.get(), Qt::LeftButton, {80, 10});
        QCOMPARE(clock->height(), 194);
        const QImage unfolded = image();
        checkFrame(unfolded);
        // Nothing of the folded frame's bottom edge is left.
        for (int x = 1; x < 87; ++x)
            QVERIFY2(unfolded.pixel(x, 17) == darkGreen, qPrintable(QString::number(x)));

        press(clock.get(), Qt::LeftButton, {80, 10});
        QCOMPARE(clock->height(), 18);
        checkFrame(image());
    }

    // Renders the window as a screen with that scale factor would show it.
    QImage imageAt(qreal ratio) {
        QImage img(qRound(clock->width() * ratio), qRound(clock->height() * ratio),
                   QImage::Format_RGB32);
        img.setDevicePixelRatio(ratio);
        img.fill(Qt::magenta);
        clock->render(&img);
        img.setDevicePixelRatio(1);
        return img;
    }

    void scaledFrameAndDots_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("dot");
        QTest::newRow("1") << 1.0 << 1;
        QTest::newRow("1.25") << 1.25 << 1;
        QTest::newRow("1.5") << 1.5 << 1;
        QTest::newRow("2") << 2.0 << 2;
    }

    void scaledFrameAndDots() {
        QFETCH(qreal, ratio);
        QFETCH(int, dot);
        time.now = QTime(22, 48, 7);
        tick();
        tick(); // colon lit
        for (bool unfolded : {false, true}) {
            if (unfolded)
                press(clock.get(), Qt::LeftButton, {80, 10});
            const QImage img = imageAt(ratio);
            // The frame's outer side is the window's edge: nothing of the grid lies beyond it.
            const int w = img.width();
            const int h = img.height();
            for (int y = 0; y < h; ++y) {
                QVERIFY2(img.pixel(0, y) == (y < h - dot ? white : black),
                         qPrintable(QString::number(y)));
                QVERIFY2(img.pixel(w - 1, y) == black, qPrintable(QString::number(y)));
            }
            for (int x = 0; x < w; ++x) {
                QVERIFY2(img.pixel(x, 0) == (x < w - dot ? white : black),
                         qPrintable(QString::number(x)));
                QVERIFY2(img.pixel(x, h - 1) == black, qPrintable(QString::number(x)));
            }
            QVERIFY(img.pixel(dot, dot) != white && img.pixel(w - 1 - dot, h - 1 - dot) != black);

            // Every dot of the grid and of the glyphs is dot x dot device pixels, set off by black
            // (the last grid row touches the window's own green below it).
            const QRgb lit = qRgb(0, 255, 0);
            const int top = qFloor(ratio * 1 + 1e-6);
            const int bottom = qFloor(ratio * 16 + 1e-6);
            const int left = qFloor(ratio * 1 + 1e-6);
            const int right = qFloor(ratio * 87 + 1e-6);
            int dots = 0;
            for (int y = top; y < bottom; ++y) {
                for (int x = left; x < right; ++x) {
                    const QRgb c = img.pixel(x, y);
                    if ((c != darkGreen && c != lit) || img.pixel(x - 1, y) == c ||
                        img.pixel(x, y - 1) == c)
                        continue;
                    const QString at = QStringLiteral("dot at %1,%2").arg(x).arg(y);
                    ++dots;
                    for (int i = 0; i < dot; ++i) {
                        for (int j = 0; j < dot; ++j)
                            QVERIFY2(img.pixel(x + i, y + j) == c, qPrintable(at));
                        QVERIFY2(img.pixel(x + dot, y + i) == black, qPrintable(at));
                        QVERIFY2(y + dot >= bottom || img.pixel(x + i, y + dot) == black,
                                 qPrintable(at));
                    }
                }
            }
            // 43 x 8 grid dots less the 4 x 5 x 8 + 8 the cells cover, and the cells' 4 x 35 + 7.
            QCOMPARE(dots, 43 * 8 - 4 * 5 * 8 - 8 + 4 * 35 + 7);
        }
    }

    // A digit shown in four cells draws, in each, the dots that cell's own place gives it.
    void sameDigitInEveryCell() {
        time.now = QTime(11, 11, 7);
        tick();
        for (qreal ratio : {1.0625, 2.0}) {
            const QImage img = imageAt(ratio);
            for (const char* name : {"hourTens", "hourUnits", "minuteTens", "minuteUnits"}) {
                const QPoint at = cellArea(*clock, QLatin1String(name)).topLeft();
                QImage expected(img.size(), QImage::Format_RGB32);
                QPainter painter(&expected);
                DotMatrix::paint(painter, *digit(1), at, ratio);
                painter.end();
                const QRect drawn(
                    QPoint(DotMatrix::toDevice(at.x(), ratio), DotMatrix::toDevice(at.y(), ratio)),
                    QPoint(DotMatrix::toDevice(at.x() + digit(1)->width(), ratio) - 1,
                           DotMatrix::toDevice(at.y() + digit(1)->height(), ratio) - 1));
                QCOMPARE(img.copy(drawn), expected.copy(drawn));
            }
        }
    }

    void emptyCellsShowTheGrid() {
        time.now = QTime(9, 5, 7);
        tick(); // hours tens and the colon go dark
        const QImage img = image();
        for (const char* name : {"hourTens", "colon"}) {
            const QRect r = cellArea(*clock, QLatin1String(name));
            for (int y = r.top(); y <= r.bottom(); ++y) {
                for (int x = r.left(); x <= r.right(); ++x) {
                    const QRgb grid = (x % 2 && y % 2) ? darkGreen : black;
                    QVERIFY2(img.pixel(x, y) == grid, qPrintable(QString("%1,%2").arg(x).arg(y)));
                }
            }
        }
    }

    void showsTheTime_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("shown");
        QTest::newRow("10:05 PM") << QTime(22, 5, 7) << "10 05";
        QTest::newRow("9:05 AM, tens dark") << QTime(9, 5, 7) << "_9 05";
        QTest::newRow("midnight") << QTime(0, 0, 0) << "12 00";
        QTest::newRow("noon") << QTime(12, 0, 0) << "12 00";
        QTest::newRow("11:59:59 PM") << QTime(23, 59, 59) << "11 59";
        QTest::newRow("1:00 after 12:59") << QTime(13, 0, 0) << "_1 00";
        QTest::newRow("no time read") << QTime() << "00 00";
    }

    void showsTheTime() {
        QFETCH(QTime, now);
        QFETCH(QString, shown);
        time.now = now;
        tick();
        QCOMPARE(strip(), shown);
    }

    void readsTheTimeInTwelveHours_data() {
        QTest::addColumn<QTime>("timeOfDay");
        QTest::addColumn<QString>("text");
        QTest::newRow("after midnight") << QTime(0, 5, 7) << "12:05 AM";
        QTest::newRow("morning") << QTime(9, 5, 7) << "9:05 AM";
        QTest::newRow("noon") << QTime(12, 0, 0) << "12:00 PM";
        QTest::newRow("afternoon") << QTime(13, 45, 10) << "1:45 PM";
        QTest::newRow("last second") << QTime(23, 59, 59) << "11:59 PM";
    }

    void readsTheTimeInTwelveHours() {
        QFETCH(QTime, timeOfDay);
        QFETCH(QString, text);
        const TwelveHourTime t = TwelveHourTime::from(timeOfDay);
        QCOMPARE(t.hoursAndMinutes() + QLatin1Char(' ') + t.halfOfDay(), text);
    }

    void digitsFollowLaterTimes() {
        time.now = QTime(12, 59, 59);
        tick();
        time.now = QTime(13, 0, 0);
        tick();
        QCOMPARE(strip(), QStringLiteral("_1:00"));
        time.now = QTime();
        tick();
        QCOMPARE(strip(), QStringLiteral("_1 00"));
    }

    void nextTickComesJustAfterTheNextSecond_data() {
        QTest::addColumn<int>("toNextSecond");
        QTest::newRow("on time") << 995;
        QTest::newRow("850 ms late") << 150;
        QTest::newRow("just before the second turns") << 3;
        QTest::newRow("a whole second late") << 1000;
    }

    void nextTickComesJustAfterTheNextSecond() {
        QFETCH(int, toNextSecond);
        time.toNextSecond = toNextSecond;
        tick();
        auto* timer = clock->findChild<QTimer*>("tickTimer");
        QVERIFY(timer->isActive());
        QVERIFY2(timer->remainingTime() > toNextSecond - 10 &&
                     timer->remainingTime() <= toNextSecond + 10,
                 qPrintable(QString::number(timer->remainingTime())));
    }

    // While the stopwatch runs, its second blinks the colon and the clock's own timer waits for
    // the minute alone, which it shows without a blink: one wakeup a second instead of two.
    void aRunningStopwatchBlinksTheColon() {
        auto* timer = clock->findChild<QTimer*>("tickTimer");
        press(clock.get(), Qt::LeftButton, {80, 10});
        time.toNextMinute = 20000;
        press(label("startCommand"));
        QVERIFY(timer->remainingTime() > 19000);
        clock->findChild<Stopwatch*>()->tick();
        QCOMPARE(strip(), QStringLiteral("12 00"));
        time.now = QTime(12, 1, 0);
        time.toNextMinute = 0;
        QTRY_COMPARE(strip(), QStringLiteral("12 01"));
        QVERIFY(timer->remainingTime() > 0);
        press(label("pauseCommand"));
        QVERIFY(timer->remainingTime() <= time.toNextSecond + 10);
        tick();
        QCOMPARE(strip(), QStringLiteral("12:01"));
    }

    void colonBlinks() {
        QCOMPARE(strip().at(2), u':');
        tick();
        QCOMPARE(strip().at(2), u' ');
        tick();
        QCOMPARE(strip().at(2), u':');
        tick();
        QCOMPARE(strip().at(2), u' ');
    }

    // A tick paints its cells before it returns, leaving the event loop nothing to do, and
    // paints nothing of the folded-away panel.
    void aTickPaintsAtOnce() {
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        clock->show();
        QVERIFY(QTest::qWaitForWindowExposed(clock.get()));
        QCoreApplication::processEvents();
        clock->installEventFilter(&counter);
        for (QWidget* child : clock->findChildren<QWidget*>())
            child->installEventFilter(&counter);
        tick();
        QCOMPARE(counter.paints, 1);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 1);
    }

    void pressesFoldAndUnfold_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        const char* const targets[] = {"",      "hourTens",   "hourUnits",
                                       "colon", "minuteTens", "minuteUnits"};
        for (const char* t : targets) {
            for (auto [button, name] :
                 {std::pair{Qt::LeftButton, "left"}, std::pair{Qt::RightButton, "right"},
                  std::pair{Qt::MiddleButton, "middle"}}) {
                QTest::addRow("%s %s", *t ? t : "background", name) << t << int(button);
            }
        }
    }

    void pressesFoldAndUnfold() {
        QFETCH(QString, target);
        QFETCH(int, button);
        const QPoint at = target.isEmpty() ? QPoint(80, 10) : in(qPrintable(target));
        press(clock.get(), Qt::MouseButton(button), at);
        QCOMPARE(clock->height(), 194);
        press(clock.get(), Qt::MouseButton(button), at);
        QCOMPARE(clock->height(), 18);
        QCOMPARE(windows.moves, 0);
    }

    void pressOnALabelNeitherFoldsNorDrags() {
        press(clock.get(), Qt::LeftButton, {80, 10});
        for (const char* name : {"hoursReadout", "stopwatchCaption", "moveState", "linksCommand",
                                 "exitCommand", "pauseCommand"}) {
            press(label(name), Qt::RightButton);
            QCOMPARE(clock->height(), 194);
        }
        QCOMPARE(windows.moves, 0);
    }

    void aHeightFromTheWindowManagerLeavesTheFoldAlone() {
        // sway makes every floating window at least 50 px high, folded or not.
        for (int expected : {194, 18}) {
            clock->setFixedHeight(50);
            press(clock.get(), Qt::LeftButton, {80, 10});
            QCOMPARE(clock->height(), expected);
        }
    }

    void moveSwitchTogglesAndDrags() {
        press(clock.get(), Qt::LeftButton, {80, 10});
        CommandLabel* moveState = label("moveState");
        QTest::mouseClick(label("moveCommand"), Qt::LeftButton);
        QCOMPARE(moveState->text(), QStringLiteral("Y"));

        // With the switch on, presses drag instead of folding, on the panel and on a digit.
        press(clock.get(), Qt::RightButton, {80, 100});
        press(clock.get(), Qt::LeftButton, in("minuteTens"));
        QCOMPARE(windows.moves, 2);
        QCOMPARE(clock->height(), 194);

        QTest::mouseClick(label("moveCommand"), Qt::LeftButton);
        QCOMPARE(moveState->text(), QStringLiteral("N"));
        press(clock.get(), Qt::LeftButton, in("minuteTens"));
        QCOMPARE(clock->height(), 18);
    }

    void snapsToTheTopEdge_data() {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("after");
        QTest::newRow("20 px (300 twips)") << 20 << 0;
        QTest::newRow("21 px (315 twips)") << 21 << 21;
        QTest::newRow("above the screen") << -7 << 0;
        QTest::newRow("far down") << 300 << 300;
    }

    void snapsToTheTopEdge() {
        QFETCH(int, top);
        QFETCH(int, after);
        clock->move(clock->x(), top);
        snapTick();
        QCOMPARE(clock->y(), after);
    }

    void snapCheckRunsAfterEveryMove() {
        auto* timer = clock->findChild<QTimer*>("snapTimer");
        QCOMPARE(timer->interval(), 500);
        snapTick();
        QVERIFY(!timer->isActive());
        clock->move(clock->x(), 12);
        QVERIFY(timer->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(clock->y(), 0, 1000);
    }

    void snapGoesByWhereTheWindowIs_data() {
        QTest::addColumn<int>("believed");
        QTest::addColumn<int>("reported");
        QTest::addColumn<int>("after");
        QTest::newRow("an earlier snap ignored") << 0 << 12 << 0;
        QTest::newRow("dropped far from where Qt thinks") << 12 << 300 << 300;
    }

    void snapGoesByWhereTheWindowIs() {
        QFETCH(int, believed);
        QFETCH(int, reported);
        QFETCH(int, after);
        clock->move(clock->x(), believed);
        windows.position = QPoint(clock->x(), reported);
        snapTick();
        QCOMPARE(clock->y(), after);
    }

    void snapWaitsForTheDropAndGivesUpOnARefusal() {
        auto* timer = clock->findChild<QTimer*>("snapTimer");
        windows.buttonDown = true;
        clock->move(clock->x(), 12);
        snapTick();
        QCOMPARE(clock->y(), 12);
        QVERIFY(timer->isActive());
        // A window manager that keeps the window 12 px down whatever it is asked.
        windows.buttonDown = false;
        windows.position = QPoint(clock->x(), 12);
        for (int attempt = 0; attempt < 3; ++attempt) {
            snapTick();
            QCOMPARE(clock->y(), 0);
        }
        snapTick();
        QCOMPARE(clock->y(), 12);
        QVERIFY(!timer->isActive());
    }

    void exitAsksToEndTheProgram() {
        int requests = 0;
        connect(clock.get(), &ClockWindow::exitRequested, this, [&] { ++requests; });
        press(clock.get(), Qt::LeftButton, {80, 10});
        QTest::mouseClick(label("exitCommand"), Qt::LeftButton);
        QCOMPARE(requests, 1);
        // A close request from outside (a taskbar, the window manager) does the same.
        clock->close();
        QCOMPARE(requests, 2);
    }

    void aDoubleClickIsOnePressAndOneClick() {
        // As the window system delivers it: the second press comes as a double-click.
        auto doubleClick = [](QWidget* target, QPoint at) {
            QTest::mousePress(target, Qt::LeftButton, {}, at);
            QTest::mouseRelease(target, Qt::LeftButton, {}, at);
            QTest::mouseDClick(target, Qt::LeftButton, {}, at);
            QTest::mouseRelease(target, Qt::LeftButton, {}, at);
        };
        doubleClick(clock.get(), {80, 10});
        QCOMPARE(clock->height(), 194);
        doubleClick(clock.get(), in("minuteTens"));
        QCOMPARE(clock->height(), 18);

        press(clock.get(), Qt::LeftButton, {80, 10});
        doubleClick(label("startCommand"), {2, 2});
        QCOMPARE(label("startCommand")->text(), QStringLiteral("Stop"));
        const qsizetype volumeWrites = fakes.mixer.writes.size();
        doubleClick(label("soundCommand"), {2, 2});
        QCOMPARE(fakes.mixer.writes.size(), volumeWrites + 1);
        QCOMPARE(windows.moves, 0);
    }
};

QTEST_MAIN(TestClockWindow)
#include "tst_clock_window.moc"
