#include "ClockFixture.h"
#include "LinksTestSupport.h"

#include "about/AboutBox.h"
#include "widgets/Fonts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

// The windows do not know each other: the clock announces what its commands ask for, the links
// window and the About box dock beside whatever they are given and ask their owner to close
// them; the links window reloads its links itself.
class WindowSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        LinksFixture::isolateConfig();
        installFontSubstitutions();
    }
    void cleanup() { LinksFixture::removeConfig(); }

    void clockAnnouncesFoldingOnly();
    void linksWindowFollowsAnyWidget();
    void linksWindowAsksToCloseAndReloadsInPlace();
    void aboutBoxAsksToClose();
};

void WindowSignalsTest::clockAnnouncesFoldingOnly() {
    ClockFixture fakes;
    fakes.start();
    ClockWindow& clock = *fakes.clock;
    QVERIFY(QTest::qWaitForWindowExposed(&clock));
    QSignalSpy folded(&clock, &ClockWindow::panelFolded);
    auto pressStrip = [&] { QTest::mouseClick(clock.windowHandle(), Qt::LeftButton, {}, {80, 5}); };
    pressStrip();
    QCOMPARE(folded.count(), 0);
    pressStrip();
    QCOMPARE(folded.count(), 1);
    // With Move on, a press drags instead of folding.
    pressStrip();
    clickOn(clock.findChild<CommandLabel*>(QStringLiteral("moveCommand")));
    pressStrip();
    QCOMPARE(folded.count(), 1);
}

void WindowSignalsTest::linksWindowFollowsAnyWidget() {
    FakeServices fakes;
    QWidget anchor(nullptr, Qt::FramelessWindowHint);
    anchor.setGeometry(30, 40, 100, 20);
    anchor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&anchor));
    LinksWindow links(fakes.services(), &anchor);
    // 10 twips right of the anchor, 1800 twips (120 px) below its top.
    QCOMPARE(links.pos(), QPoint(131, 160));
    anchor.move(200, 10);
    QTRY_COMPARE(links.pos(), QPoint(301, 130));
}

void WindowSignalsTest::linksWindowAsksToCloseAndReloadsInPlace() {
    FakeServices fakes;
    QWidget anchor;
    LinksWindow links(fakes.services(), &anchor);
    links.load();
    links.show();
    QVERIFY(QTest::qWaitForWindowExposed(&links));
    QSignalSpy closes(&links, &LinksWindow::closeRequested);
    auto child = [&](const char* name) { return links.findChild<QWidget*>(QLatin1String(name)); };
    auto* title = links.findChild<CommandLabel*>(QStringLiteral("slot2"));
    const int collapsed = links.height();

    clickOn(child("editCommand2"));
    clickOn(child("saveCommand")); // an empty slot's "[none]": refused, nothing to reload
    QVERIFY(links.height() > collapsed);
    auto type = [&](const char* name, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(child(name));
        edit->clear();
        QTest::keyClicks(edit, text);
    };
    type("titleEdit", QStringLiteral("Mail"));
    type("addressEdit", QStringLiteral("https://mail.example.org/"));
    clickOn(child("saveCommand"));
    QCOMPARE(title->text(), QStringLiteral("Mail"));
    QCOMPARE(links.height(), collapsed);
    clickOn(child("editCommand2"));
    clickOn(child("eraseCommand"));
    QCOMPARE(title->text(), QStringLiteral("[none]"));
    QCOMPARE(links.height(), collapsed);
    QCOMPARE(closes.count(), 0);
    clickOn(child("closeCommand"));
    QCOMPARE(closes.count(), 1);
    // Asking is all it does: closing is the owner's business.
    QVERIFY(links.isVisible());
}

void WindowSignalsTest::aboutBoxAsksToClose() {
    FakeServices fakes;
    AboutBox about(QRect(100, 200, 88, 18), QRect(0, 0, 1024, 768), fakes.services());
    QCOMPARE(about.pos(), QPoint(189, 344));
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QSignalSpy closes(&about, &AboutBox::closeRequested);
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    QCOMPARE(closes.count(), 1);
    about.close();
    QCOMPARE(closes.count(), 2);
}

QTEST_MAIN(WindowSignalsTest)
#include "tst_window_signals.moc"
