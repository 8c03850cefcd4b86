#include "ClockFixture.h"
#include "StripCells.h"
#include "clock/ClockWindow.h"
#include "fakes/FakeServices.h"
#include "widgets/Colors.h"
#include "widgets/CommandLabel.h"
#include "widgets/Fonts.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The commands that light up, and whether they turn bold when they do.
const QStringList boldCommands = {"moveCommand", "soundCommand", "linksCommand", "aboutCommand",
                                  "exitCommand"};
const QStringList plainCommands = {"startCommand", "pauseCommand"};
// Labels whose look the pointer never changes.
const QStringList steadyLabels = {"moveState",      "soundState",   "stopwatchCaption",
                                  "startPauseBar",  "hoursReadout", "hoursColon",
                                  "minutesReadout", "minutesColon", "secondsReadout"};

} // namespace

class HoverTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pointerPaths_data();
    void pointerPaths();
    void startAndPauseTurnLightCyanOnceCleared();
    void highlightsSurviveFolding();
    void pressOnLabelNeverFoldsOrDrags_data();
    void pressOnLabelNeverFoldsOrDrags();
    void clickReachesHandler_data();
    void clickReachesHandler();

private:
    CommandLabel* label(const QString& name) const;
    QPoint pointOf(const QString& target) const;
    void moveTo(const QString& target);
    void press(const QString& target);
    void unfold();
    bool unfolded() const;

    std::unique_ptr<ClockFixture> m_fixture;
    ClockWindow* m_clock = nullptr;
    std::unique_ptr<QWidget> m_elsewhere;
    QWindow* m_lastWindow = nullptr;
    QPoint m_lastPoint;
};

void HoverTest::initTestCase() {
    installFontSubstitutions();
}

void HoverTest::init() {
    m_fixture = std::make_unique<ClockFixture>();
    m_fixture->start();
    m_clock = m_fixture->clock.get();
    QVERIFY(QTest::qWaitForWindowExposed(m_clock));
    // Another window, for the pointer to leave the clock window without crossing it.
    m_elsewhere = std::make_unique<QWidget>();
    m_elsewhere->setGeometry(20, 400, 60, 60);
    m_elsewhere->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_elsewhere.get()));
    m_lastWindow = nullptr;
    unfold();
}

void HoverTest::cleanup() {
    m_elsewhere.reset();
    m_fixture.reset();
}

CommandLabel* HoverTest::label(const QString& name) const {
    return m_clock->findChild<CommandLabel*>(name);
}

QPoint HoverTest::pointOf(const QString& target) const {
    if (target == QLatin1String("background"))
        return QPoint(4, 100);
    if (target == QLatin1String("rule")) // the left side of the panel's box
        return QPoint(8, 100);
    auto* child = m_clock->findChild<QWidget*>(target);
    if (!child)
        return cellArea(*m_clock, target).center();
    // Labels overlap: take the visible point nearest the centre.
    const QRect area = child->geometry();
    QPoint best = area.center();
    int bestDistance = INT_MAX;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QPoint p(x, y);
            const int distance = (p - area.center()).manhattanLength();
            if (m_clock->childAt(p) == child && distance < bestDistance) {
                best = p;
                bestDistance = distance;
            }
        }
    }
    return best;
}

void HoverTest::moveTo(const QString& target) {
    QWindow* window = m_clock->windowHandle();
    QPoint point;
    if (target == QLatin1String("out")) {
        window = m_elsewhere->windowHandle();
        point = QPoint(30, 30);
    } else {
        point = pointOf(target);
    }
    // A move to the very spot of the last one is dropped.
    if (window == m_lastWindow && point == m_lastPoint)
        point += QPoint(1, 0);
    QTest::mouseMove(window, point);
    m_lastWindow = window;
    m_lastPoint = point;
}

void HoverTest::press(const QString& target) {
    const QPoint point = pointOf(target);
    QTest::mousePress(m_clock->windowHandle(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(m_clock->windowHandle(), Qt::LeftButton, {}, point);
    m_lastWindow = m_clock->windowHandle();
    m_lastPoint = point;
}

bool HoverTest::unfolded() const {
    return m_clock->height() == 194;
}

void HoverTest::unfold() {
    press(QStringLiteral("hourTens"));
    QVERIFY(unfolded());
}

void HoverTest::pointerPaths_data() {
    // Each step is "where the pointer goes: the commands lit afterwards".
    QTest::addColumn<bool>("stopwatchRunning");
    QTest::addColumn<QStringList>("steps");

    QTest::newRow("links stays lit when the pointer leaves the window")
        << false
        << QStringList{"linksCommand:linksCommand", "out:linksCommand", "linksCommand:linksCommand",
                       "background:"};
    QTest::newRow("about cleared by the background")
        << false << QStringList{"aboutCommand:aboutCommand", "background:"};
    QTest::newRow("a rule line counts as background")
        << false << QStringList{"exitCommand:exitCommand", "rule:"};
    QTest::newRow("start, bar, pause leaves only pause")
        << true
        << QStringList{"startCommand:startCommand", "startPauseBar:", "pauseCommand:pauseCommand"};
    QTest::newRow("the bar clears both stopwatch commands")
        << true
        << QStringList{"startCommand:startCommand", "pauseCommand:startCommand,pauseCommand",
                       "startPauseBar:"};
    QTest::newRow("sound cleared by its state label")
        << false << QStringList{"soundCommand:soundCommand", "soundState:"};
    QTest::newRow("the state labels clear nothing else")
        << false
        << QStringList{"linksCommand:linksCommand", "soundState:linksCommand",
                       "startPauseBar:linksCommand", "soundCommand:linksCommand,soundCommand"};
    QTest::newRow("readout, heading, moveState and cells change nothing")
        << false
        << QStringList{"soundCommand:soundCommand",
                       "hoursReadout:soundCommand",
                       "hoursColon:soundCommand",
                       "minutesReadout:soundCommand",
                       "minutesColon:soundCommand",
                       "secondsReadout:soundCommand",
                       "stopwatchCaption:soundCommand",
                       "moveState:soundCommand",
                       "hourTens:soundCommand",
                       "colon:soundCommand",
                       "out:soundCommand"};
    QTest::newRow("moves without a background crossing light several")
        << false
        << QStringList{"moveCommand:moveCommand", "soundCommand:moveCommand,soundCommand",
                       "linksCommand:moveCommand,soundCommand,linksCommand", "background:"};
    QTest::newRow("the background clears every command")
        << true
        << QStringList{"startCommand:startCommand", "pauseCommand:startCommand,pauseCommand",
                       "moveCommand:startCommand,pauseCommand,moveCommand",
                       "aboutCommand:startCommand,pauseCommand,moveCommand,aboutCommand",
                       "background:"};
    QTest::newRow("a disabled pause neither lights nor clears")
        << false
        << QStringList{"pauseCommand:", "startCommand:startCommand", "pauseCommand:startCommand",
                       "startPauseBar:"};
}

void HoverTest::pointerPaths() {
    QFETCH(bool, stopwatchRunning);
    QFETCH(QStringList, steps);

    if (stopwatchRunning) {
        emit label("startCommand")->clicked();
        moveTo(QStringLiteral("background"));
    }
    QHash<QString, QColor> steadyColors;
    for (const QString& name : steadyLabels)
        steadyColors[name] = label(name)->textColor();

    for (const QString& step : steps) {
        const QString target = step.section(QLatin1Char(':'), 0, 0);
        const QStringList lit =
            step.section(QLatin1Char(':'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
        moveTo(target);

        for (const QString& name : boldCommands + plainCommands) {
            const CommandLabel* l = label(name);
            const QByteArray where = (step + " / " + name).toLatin1();
            const bool expectLit = lit.contains(name);
            if (expectLit) {
                QVERIFY2(l->textColor() == Colors::orange, where);
            } else {
                QVERIFY2(l->textColor() == Colors::lightCyan ||
                             (plainCommands.contains(name) && l->textColor() == Colors::cyan),
                         where);
            }
            QVERIFY2(l->isBold() == (expectLit && boldCommands.contains(name)), where);
        }
        for (const QString& name : steadyLabels) {
            QVERIFY2(label(name)->textColor() == steadyColors[name], qPrintable(step + name));
            QVERIFY2(!label(name)->isBold(), qPrintable(step + name));
        }
    }
}

void HoverTest::startAndPauseTurnLightCyanOnceCleared() {
    emit label("startCommand")->clicked();
    QCOMPARE(label("startCommand")->textColor(), Colors::cyan);
    QCOMPARE(label("pauseCommand")->textColor(), Colors::cyan);

    moveTo(QStringLiteral("startCommand"));
    QCOMPARE(label("startCommand")->textColor(), Colors::orange);
    moveTo(QStringLiteral("startPauseBar"));
    QCOMPARE(label("startCommand")->textColor(), Colors::lightCyan);
    // The bar clears Pause too, lit or not.
    QCOMPARE(label("pauseCommand")->textColor(), Colors::lightCyan);
    moveTo(QStringLiteral("startCommand"));
    moveTo(QStringLiteral("background"));
    QCOMPARE(label("startCommand")->textColor(), Colors::lightCyan);
}

void HoverTest::highlightsSurviveFolding() {
    moveTo(QStringLiteral("linksCommand"));
    moveTo(QStringLiteral("startCommand"));
    // Pressing a digit folds without crossing the background.
    press(QStringLiteral("hourTens"));
    QVERIFY(!unfolded());
    press(QStringLiteral("minuteTens"));
    QVERIFY(unfolded());
    QCOMPARE(label("linksCommand")->textColor(), Colors::orange);
    QVERIFY(label("linksCommand")->isBold());
    QCOMPARE(label("startCommand")->textColor(), Colors::orange);
}

void HoverTest::pressOnLabelNeverFoldsOrDrags_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("moveOn");
    const QStringList all = boldCommands + plainCommands + steadyLabels;
    for (const QString& name : all) {
        if (name == QLatin1String("moveCommand"))
            continue; // its click changes the switch under test
        QTest::newRow(qPrintable(name + " folding")) << name << false;
        QTest::newRow(qPrintable(name + " dragging")) << name << true;
    }
}

void HoverTest::pressOnLabelNeverFoldsOrDrags() {
    QFETCH(QString, name);
    QFETCH(bool, moveOn);
    if (moveOn)
        emit label("moveCommand")->clicked();

    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        const QPoint point = pointOf(name) + QPoint(button == Qt::LeftButton ? 0 : 1, 0);
        QTest::mousePress(m_clock->windowHandle(), button, {}, point);
        QTest::mouseRelease(m_clock->windowHandle(), button, {}, point);
        QVERIFY(unfolded());
        QCOMPARE(m_fixture->windows.moves, 0);
    }
}

void HoverTest::clickReachesHandler_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("Move") << "moveCommand";
    QTest::newRow("Sound") << "soundCommand";
    QTest::newRow("Start") << "startCommand";
    QTest::newRow("Links") << "linksCommand";
    QTest::newRow("About") << "aboutCommand";
    QTest::newRow("Exit") << "exitCommand";
}

void HoverTest::clickReachesHandler() {
    QFETCH(QString, name);
    QSignalSpy exits(m_clock, &ClockWindow::exitRequested);
    QSignalSpy links(m_clock, &ClockWindow::linksRequested);
    QSignalSpy abouts(m_clock, &ClockWindow::aboutRequested);
    QTest::mouseClick(m_clock->windowHandle(), Qt::LeftButton, {}, pointOf(name));

    QCOMPARE(label("moveState")->text(), name == "moveCommand" ? "Y" : "N");
    QCOMPARE(label("soundState")->text(), name == "soundCommand" ? "Off" : "On");
    QCOMPARE(label("startCommand")->text(), name == "startCommand" ? "Stop" : "Start");
    QCOMPARE(links.count(), name == "linksCommand" ? 1 : 0);
    QCOMPARE(abouts.count(), name == "aboutCommand" ? 1 : 0);
    QCOMPARE(exits.count(), name == "exitCommand" ? 1 : 0);
    QVERIFY(unfolded());
}

QTEST_MAIN(HoverTest)
#include "tst_hover.moc"
