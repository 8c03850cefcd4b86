#include "ClockFixture.h"
// Where the strip, its companion windows and the boxes it opens go, on two screens side by
// side with the right-hand one primary.
#include "LinksTestSupport.h"
#include "about/AboutBox.h"
#include "platform/DialogPlacement.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/X11WindowHints.h"
#include "widgets/DockPosition.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryFile>
#include <QTimer>

namespace {

const QRect leftScreen(0, 0, 1024, 768);
const QRect rightScreen(1024, 0, 1024, 768);

// The outer rectangle of the next modal box or dialog, which is then closed.
QRect nextModalFrame(const std::function<void()>& open) {
    QRect frame;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        frame = modal->frameGeometry();
        modal->close();
    });
    open();
    return frame;
}

} // namespace

class PlacementTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LinksFixture> f;

    ClockWindow& clock() { return *f->clock; }
    void unfold() {
        QTest::mouseClick(clock().windowHandle(), Qt::LeftButton, {}, QPoint(80, 5));
        QCOMPARE(clock().height(), 194);
    }

private slots:
    void initTestCase() {
        LinksFixture::isolateConfig();
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), rightScreen);
    }
    void init() {
        f = std::make_unique<LinksFixture>();
        f->clock = std::make_unique<ClockWindow>(f->services());
        startClock(*f->clock);
        f->companions = std::make_unique<CompanionWindows>(*f->clock, f->services());
        QVERIFY(QTest::qWaitForWindowExposed(f->clock.get()));
    }
    void cleanup() { f.reset(); }

    void stripStartsAndSnapsOnItsScreen() {
        QCOMPARE(clock().pos(), QPoint(1024 + 468, 0));
        QCOMPARE(clock().availableArea(), rightScreen);
        clock().move(300, 15);
        QCOMPARE(clock().availableArea(), leftScreen);
        QTRY_COMPARE_WITH_TIMEOUT(clock().pos(), QPoint(300, 0), 1000);
    }

    void dockPosition_data() {
        QTest::addColumn<QRect>("clock");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("at");
        const QSize links(220, 204);
        QTest::newRow("room on the right")
            << QRect(468, 0, 88, 194) << links << leftScreen << QPoint(557, 120);
        QTest::newRow("at the right edge: the other side")
            << QRect(930, 0, 88, 194) << links << leftScreen << QPoint(709, 120);
        QTest::newRow("below a top panel")
            << QRect(468, 24, 88, 194) << links << QRect(0, 24, 1024, 744) << QPoint(557, 144);
        QTest::newRow("near the bottom: moved up")
            << QRect(468, 700, 88, 18) << links << leftScreen << QPoint(557, 564);
        QTest::newRow("no room on either side: moved in")
            << QRect(100, 0, 88, 194) << links << QRect(0, 0, 300, 768) << QPoint(80, 120);
        QTest::newRow("taller than the screen: top on the top")
            << QRect(100, 50, 88, 18) << QSize(220, 900) << leftScreen << QPoint(189, 0);
    }

    void dockPosition() {
        QFETCH(QRect, clock);
        QFETCH(QSize, window);
        QFETCH(QRect, available);
        QFETCH(QPoint, at);
        QCOMPARE(::dockPosition(clock, window, 10, 1800, available), at);
    }

    void companionsStayOnTheClocksScreen() {
        unfold();
        // Right edge of the right-hand screen: the windows dock on the clock's left.
        clock().move(2048 - 88 - 5, 0);
        f->companions->showLinks();
        LinksWindow* links = f->companions->linksWindow();
        QVERIFY(rightScreen.contains(links->frameGeometry()));
        QVERIFY(!links->frameGeometry().intersects(clock().frameGeometry()));
        links->openEditor(3);
        QVERIFY(rightScreen.contains(links->frameGeometry()));

        // Following the clock to the right edge of the left-hand screen, and down low.
        clock().move(1024 - 88 - 40, 600);
        QVERIFY(leftScreen.contains(links->frameGeometry()));
        QVERIFY(!links->frameGeometry().intersects(clock().frameGeometry()));

        f->companions->showAbout();
        AboutBox* about = f->companions->aboutBox();
        QVERIFY(leftScreen.contains(about->frameGeometry()));
        QVERIFY(!about->frameGeometry().intersects(clock().frameGeometry()));
    }

    void clearOfTheStrip_data() {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRect>("strip");
        QTest::addColumn<QRect>("available");
        QTest::newRow("centred on the folded strip, below a panel")
            << QRect(362, -51, 300, 120) << QRect(468, 24, 88, 18) << QRect(0, 24, 1024, 744);
        QTest::newRow("centred on the links window beside the unfolded strip")
            << QRect(492, 162, 350, 120) << QRect(468, 0, 88, 194) << leftScreen;
        QTest::newRow("unfolded strip at the bottom right")
            << QRect(850, 600, 300, 200) << QRect(930, 570, 88, 194) << leftScreen;
        QTest::newRow("already clear")
            << QRect(10, 300, 300, 120) << QRect(468, 0, 88, 18) << leftScreen;
    }

    void clearOfTheStrip() {
        QFETCH(QRect, box);
        QFETCH(QRect, strip);
        QFETCH(QRect, available);
        const QRect placed = DialogPlacement::clear(box, strip, available);
        QCOMPARE(placed.size(), box.size());
        QVERIFY(available.contains(placed));
        QVERIFY(!placed.intersects(strip));
        if (available.contains(box) && !box.intersects(strip))
            QCOMPARE(placed, box);
        // Moved no further than past the strip and in from the edges.
        QVERIFY((placed.topLeft() - box.topLeft()).manhattanLength() < 300);
    }

    void panelsNarrowOnlyTheirMonitors_data() {
        QTest::addColumn<QList<uint32_t>>("strut");
        QTest::addColumn<QRect>("left");
        QTest::addColumn<QRect>("right");
        QTest::newRow("a 24 px panel along the top of the right-hand monitor")
            << QList<uint32_t>{0, 0, 24, 0, 0, 0, 0, 0, 1024, 2047, 0, 0} << leftScreen
            << QRect(1024, 24, 1024, 744);
        QTest::newRow("a 30 px panel along the bottom of the left-hand one")
            << QList<uint32_t>{0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 1023} << QRect(0, 0, 1024, 738)
            << rightScreen;
        QTest::newRow("a 40 px dock at the right edge")
            << QList<uint32_t>{0, 40, 0, 0, 0, 0, 0, 767, 0, 0, 0, 0} << leftScreen
            << QRect(1024, 0, 984, 768);
        QTest::newRow("an old-style strut along the whole top")
            << QList<uint32_t>{0, 0, 24, 0} << QRect(0, 24, 1024, 744)
            << QRect(1024, 24, 1024, 744);
        QTest::newRow("a malformed strut")
            << QList<uint32_t>{0, 0, 24} << leftScreen << rightScreen;
    }

    void panelsNarrowOnlyTheirMonitors() {
        QFETCH(QList<uint32_t>, strut);
        QFETCH(QRect, left);
        QFETCH(QRect, right);
        const QSize root(2048, 768);
        QCOMPARE(X11WindowHints::unreserved(leftScreen, root, {strut}), left);
        QCOMPARE(X11WindowHints::unreserved(rightScreen, root, {strut}), right);
    }

    void realBoxesOpenClearOfTheStrip() {
        QtMessageBox messages;
        const QRect mixerBox = nextModalFrame([&] {
            messages.showError(&clock(), QStringLiteral("Volume Control"),
                               QStringLiteral("Could not open the mixer."));
        });
        QVERIFY(!mixerBox.isEmpty());
        QVERIFY(rightScreen.contains(mixerBox));
        QVERIFY(!mixerBox.intersects(clock().frameGeometry()));

        unfold();
        f->companions->showLinks();
        LinksWindow* links = f->companions->linksWindow();
        const QRect errorBox = nextModalFrame([&] {
            messages.showError(links, QStringLiteral("Error"),
                               QStringLiteral("Could not start the program \"/nowhere/at all\"."));
        });
        QVERIFY(rightScreen.contains(errorBox));
        QVERIFY(!errorBox.intersects(clock().frameGeometry()));

        QtFileDialog files;
        const QRect fileDialog = nextModalFrame([&] {
            files.getOpenFileName(links, {{QStringLiteral("All Files (*.*)"), "*.*"}});
        });
        QVERIFY(!fileDialog.isEmpty());
        QVERIFY(rightScreen.contains(fileDialog));
        QVERIFY(!fileDialog.intersects(clock().frameGeometry()));
    }
};

int main(int argc, char* argv[]) {
    // Two screens side by side; the offscreen platform makes the first one named primary.
    QTemporaryFile config;
    if (!config.open())
        return 1;
    config.write(R"({"screens": [
        {"name": "a-right", "x": 1024, "y": 0, "width": 1024, "height": 768},
        {"name": "b-left", "x": 0, "y": 0, "width": 1024, "height": 768}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    PlacementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_placement.moc"
