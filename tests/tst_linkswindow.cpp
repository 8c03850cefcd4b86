#include "LinksTestSupport.h"

#include "widgets/Fonts.h"

#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>

// The links window: loading, docking, tooltips, hover looks, launching and closing.
class LinksWindowTest : public LinksTestCase {
    Q_OBJECT

private slots:

    void loadCreatesStoreAndShowsEmptySlots();
    void loadShowsStoredTitles();
    void loadWithUnwritableStoreStillOpens();
    void windowSizeAndBorder();
    void docksBesideClock();
    void followsClockWhenItMoves();
    void nothingPolls();
    void tooltipsFollowTitles();
    void slotUnderlineFollowsPointer();
    void closeCommandLook();
    void closeCommandClosesTheWindow();
    void launching_data();
    void launching();
    void programThatCannotStartIsReported();

private:
    QColor pixelAt(QWidget* widget, QPoint at) const;
};

QColor LinksWindowTest::pixelAt(QWidget* widget, QPoint at) const {
    QWidget* window = widget->window();
    QImage image(window->size(), QImage::Format_RGB32);
    window->render(&image);
    return image.pixelColor(widget->mapTo(window, at));
}

void LinksWindowTest::loadCreatesStoreAndShowsEmptySlots() {
    f.start();
    f.companions->showAbout();
    QVERIFY(!LinkStore::isSettingsFileThere());
    QVERIFY(f.openLinks());
    QVERIFY(!f.companions->aboutBox());
    QVERIFY(LinkStore::isSettingsFileThere());
    QCOMPARE(LinksFixture::readConfig(), LinksFixture::defaultText());
    for (int n = 1; n <= 10; ++n) {
        CommandLabel* slot = f.child(qPrintable(QStringLiteral("slot%1").arg(n)));
        QCOMPARE(slot->text(), "[none]");
        // Empty slots never underline.
        moveOnto(slot);
        QVERIFY(!slot->isUnderlined());
    }
    QVERIFY(f.messages.shown.isEmpty());

    // A second load finds the file and leaves it alone.
    f.links()->load();
    QCOMPARE(LinksFixture::readConfig(), LinksFixture::defaultText());
}

void LinksWindowTest::loadShowsStoredTitles() {
    QByteArray text = LinksFixture::defaultWith(
        {{"No1T=\"[none]\"", "No1T=Mail"}, {"No10T=\"[none]\"", "No10T=  \"Ten\"  "}});
    text.replace("No4T=\"[none]\"\r\n", "");
    LinksFixture::writeConfig(text);
    f.start();
    QVERIFY(f.openLinks());
    QCOMPARE(f.child("slot1")->text(), "Mail");
    QCOMPARE(f.child("slot4")->text(), "[inside error]");
    QCOMPARE(f.child("slot10")->text(), "Ten");
    QCOMPARE(f.child("slot5")->text(), "[none]");
    QCOMPARE(LinksFixture::readConfig(), text);
}

void LinksWindowTest::loadWithUnwritableStoreStillOpens() {
    // A folder where the file should be: the default text cannot be written.
    QVERIFY(QDir().mkpath(LinksFixture::configPath()));
    f.start();
    QVERIFY(f.openLinks());
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].caption, "Error");
    QVERIFY(f.messages.shown[0].text.contains(LinksFixture::configPath()));
    QCOMPARE(f.child("slot1")->text(), "[inside error]");
    QCOMPARE(f.child("slot10")->text(), "[inside error]");
    QVERIFY(QFileInfo(LinksFixture::configPath()).isDir());
}

void LinksWindowTest::windowSizeAndBorder() {
    f.start();
    LinksWindow* links = f.openLinks();
    QVERIFY(links);
    QCOMPARE(links->size(), QSize(220, 204));
    QCOMPARE(pixelAt(links, {0, 0}), QColor(0, 0, 0));
    QCOMPARE(pixelAt(links, {219, 203}), QColor(0, 0, 0));
    // Margins and the strip between the frames show the window background.
    QCOMPARE(pixelAt(links, {3, 100}), QColor(0, 128, 0));
    QCOMPARE(pixelAt(links, {110, 198}), QColor(0, 128, 0));
    QCOMPARE(pixelAt(links, {216, 100}), QColor(0, 128, 0));
    // The editor lies below the bottom edge.
    QVERIFY(f.child<QWidget>("editorFrame")->geometry().top() >= links->height());
}

void LinksWindowTest::docksBesideClock() {
    f.start();
    f.clock->move(300, 40);
    QTRY_COMPARE(f.clock->pos(), QPoint(300, 40));
    LinksWindow* links = f.openLinks();
    QVERIFY(links);
    // 10 twips right of the clock's right edge, 1800 twips below its top.
    QCOMPARE(links->pos(), QPoint(300 + 88 + 1, 40 + 120));
}

void LinksWindowTest::followsClockWhenItMoves() {
    f.start();
    LinksWindow* links = f.openLinks();
    QVERIFY(links);

    // At once, within the clock's own move and resize events.
    f.clock->move(10, 300);
    QTRY_COMPARE(f.clock->pos(), QPoint(10, 300));
    QCOMPARE(links->pos(), QPoint(10 + 88 + 1, 300 + 120));
    f.clock->setFixedWidth(120);
    QTRY_COMPARE(f.clock->width(), 120);
    QCOMPARE(links->pos(), QPoint(10 + 120 + 1, 300 + 120));

    // Someone else moving the links window: it goes back.
    links->move(0, 0);
    QTRY_COMPARE(links->pos(), QPoint(10 + 120 + 1, 300 + 120));
}

// The open window wakes the program only for events: no timer of its own ticks.
void LinksWindowTest::nothingPolls() {
    f.start();
    LinksWindow* links = f.openLinks();
    QVERIFY(links);
    // Active, as after a click on it: the editor's boxes below the edge hold no blinking cursor.
    links->activateWindow();
    QTRY_VERIFY(links->isActiveWindow());

    struct TimerCounter : QObject {
        QWidget* window = nullptr;
        int ticks = 0;
        bool eventFilter(QObject* watched, QEvent* event) override {
            for (QObject* o = watched; o && event->type() == QEvent::Timer; o = o->parent())
                ticks += o == window;
            return false;
        }
    } counter;
    counter.window = links;
    qApp->installEventFilter(&counter);
    QTest::qWait(1200);
    qApp->removeEventFilter(&counter);
    QCOMPARE(counter.ticks, 0);
    for (const QTimer* timer : links->findChildren<QTimer*>())
        QVERIFY(!timer->isActive());

    // The address box is held at 255 twips, at once after any resize.
    clickOn(f.child("editCommand1"));
    auto* box = f.child<QLineEdit>("addressEdit");
    QVERIFY(box->isVisible());
    QCOMPARE(box->height(), 17);
    box->resize(box->width(), 40);
    QCOMPARE(box->height(), 17);
}

void LinksWindowTest::tooltipsFollowTitles() {
    QByteArray text = LinksFixture::defaultWith({{"No2T=\"[none]\"", "No2T=Editor"}});
    text.replace("No4T=\"[none]\"\r\n", "");
    LinksFixture::writeConfig(text);
    f.start();
    QVERIFY(f.openLinks());
    // With the captions, before any event is processed.
    QCOMPARE(f.child("slot1")->toolTip(), "click edit to modify");
    QCOMPARE(f.child("slot2")->toolTip(), "Run Editor");
    QCOMPARE(f.child("slot4")->toolTip(), "Run [inside error]");

    // A saved title reloads the window with the new caption and tip.
    clickOn(f.child("editCommand2"));
    f.child<QLineEdit>("titleEdit")->setText("Notes <b>x</b>");
    f.child<QLineEdit>("addressEdit")->setText("/bin/true");
    clickOn(f.child("saveCommand"));
    QCOMPARE(f.child("slot2")->text(), "Notes <b>x</b>");
    QCOMPARE(f.child("slot2")->toolTip(),
             Qt::convertFromPlainText("Run Notes <b>x</b>", Qt::WhiteSpaceNoWrap));
}

void LinksWindowTest::slotUnderlineFollowsPointer() {
    QByteArray text = LinksFixture::defaultWith(
        {{"No3T=\"[none]\"", "No3T=Three"}, {"No4T=\"[none]\"", "No4T=Four"}});
    text.replace("No6T=\"[none]\"\r\n", "");
    LinksFixture::writeConfig(text);
    f.start();
    QVERIFY(f.openLinks());
    auto underlined = [this] {
        QStringList names;
        for (int n = 1; n <= 10; ++n) {
            CommandLabel* l = f.child(qPrintable(QStringLiteral("slot%1").arg(n)));
            if (l->isUnderlined())
                names << l->objectName();
        }
        return names;
    };

    moveOnto(f.child("slot3"));
    QCOMPARE(underlined(), QStringList{"slot3"});
    moveOnto(f.child("slot4"));
    QCOMPARE(underlined(), QStringList{"slot4"});
    // The "Edit" label, the row number and the close command leave it as it is.
    moveOnto(f.child("editCommand4"));
    moveOnto(f.child("rowNumber4"));
    moveOnto(f.child("closeCommand"));
    QCOMPARE(underlined(), QStringList{"slot4"});
    // A slot with a missing title is a link too.
    moveOnto(f.child("slot6"));
    QCOMPARE(underlined(), QStringList{"slot6"});
    // An empty slot clears the others.
    moveOnto(f.child("slot5"));
    QCOMPARE(underlined(), QStringList{});
    moveOnto(f.child("slot3"));
    QCOMPARE(underlined(), QStringList{"slot3"});
    // The frame's own background clears it.
    moveOnto(f.child<QWidget>("linksFrame"), {100, 185});
    QCOMPARE(underlined(), QStringList{});
}

void LinksWindowTest::closeCommandLook() {
    f.start();
    LinksWindow* links = f.openLinks();
    QVERIFY(links);
    CommandLabel* close = f.child("closeCommand");
    auto textPixels = [&](const QColor& color) {
        QImage image(links->size(), QImage::Format_RGB32);
        links->render(&image);
        const QRect r(close->mapTo(links, QPoint(0, 0)), close->size());
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                count += image.pixelColor(x, y) == color;
        return count;
    };
    const QColor white(255, 255, 255), highlighted(255, 224, 192);
    QVERIFY(textPixels(white) > 0);
    QCOMPARE(pixelAt(close, {0, 0}), QColor(0, 128, 0));

    moveOnto(close);
    QCOMPARE(textPixels(white), 0);
    QVERIFY(textPixels(highlighted) > 0);
    // Frame background does not restore it; the window's own margin does.
    moveOnto(f.child<QWidget>("linksFrame"), {100, 185});
    QCOMPARE(close->textColor(), highlighted);
    moveOnto(links, {3, 100});
    QCOMPARE(close->textColor(), white);
    QVERIFY(textPixels(white) > 0);
}

void LinksWindowTest::closeCommandClosesTheWindow() {
    f.start();
    QVERIFY(f.openLinks());
    clickOn(f.child("editCommand1"));
    QCOMPARE(f.links()->height(), 372);
    clickOn(f.child("closeCommand"));
    QVERIFY(!f.links());
    // Reopening starts with the editor hidden.
    QVERIFY(f.openLinks());
    QCOMPARE(f.links()->height(), 204);
    // A close request from outside closes it the same way.
    f.links()->close();
    QVERIFY(!f.links());
}

void LinksWindowTest::launching_data() {
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("started");

    // A null QByteArray leaves the key out of the file.
    const QByteArray none;
    QTest::newRow("empty slot with a link behind it")
        << QByteArray("\"[none]\"") << QByteArray("/usr/bin/xterm")
        << QByteArray("Computer program") << QStringList{} << QStringList{};
    QTest::newRow("web address") << QByteArray("Debian") << QByteArray("https://example.org/x?a=1")
                                 << QByteArray("URL") << QStringList{"https://example.org/x?a=1"}
                                 << QStringList{};
    QTest::newRow("program with arguments")
        << QByteArray("Notes") << QByteArray("gedit \"my notes.txt\" -s")
        << QByteArray("Computer program") << QStringList{}
        << QStringList{"gedit \"my notes.txt\" -s"};
    QTest::newRow("program path opened as an address")
        << QByteArray("Term") << QByteArray("/usr/bin/xterm") << QByteArray("URL")
        << QStringList{"/usr/bin/xterm"} << QStringList{};
    QTest::newRow("type in other letter case")
        << QByteArray("Term") << QByteArray("/usr/bin/xterm") << QByteArray("computer program")
        << QStringList{"/usr/bin/xterm"} << QStringList{};
    QTest::newRow("missing type and address")
        << QByteArray("Home") << none << none << QStringList{"https://www.debian.org/"}
        << QStringList{};
    QTest::newRow("program without address")
        << QByteArray("Prog") << none << QByteArray("Computer program") << QStringList{}
        << QStringList{"/"};
    QTest::newRow("missing title still launches")
        << none << QByteArray("https://example.org/") << QByteArray("URL")
        << QStringList{"https://example.org/"} << QStringList{};
    QTest::newRow("empty title launches")
        << QByteArray("") << QByteArray("none") << QByteArray("URL") << QStringList{"none"}
        << QStringList{};
}

void LinksWindowTest::launching() {
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, type);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, started);

    QByteArray text = LinksFixture::defaultText();
    auto put = [&](const QByteArray& key, const QByteArray& oldValue, const QByteArray& value) {
        const QByteArray line = "No7" + key + "=" + oldValue + "\r\n";
        text.replace(line, value.isNull() ? QByteArray() : "No7" + key + "=" + value + "\r\n");
    };
    put("T", "\"[none]\"", title);
    put("A", "\"none\"", address);
    put("S", "\"Computer program\"", type);
    LinksFixture::writeConfig(text);

    f.start();
    QVERIFY(f.openLinks());
    clickOn(f.child("slot7"));
    QCOMPARE(f.shell.opened, opened);
    QCOMPARE(f.shell.started, started);
    QVERIFY(f.messages.shown.isEmpty());
    // Slots around it stay empty and start nothing.
    clickOn(f.child("slot6"));
    clickOn(f.child("slot8"));
    QCOMPARE(f.shell.opened.size() + f.shell.started.size(), opened.size() + started.size());
}

void LinksWindowTest::programThatCannotStartIsReported() {
    LinksFixture::writeConfig(LinksFixture::defaultWith(
        {{"No1T=\"[none]\"", "No1T=Broken"}, {"No1A=\"none\"", "No1A=no-such-program --x"}}));
    f.shell.startSucceeds = false;
    f.start();
    QVERIFY(f.openLinks());
    clickOn(f.child("slot1"));
    QCOMPARE(f.shell.started, QStringList{"no-such-program --x"});
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].caption, "Error");
    QVERIFY(f.messages.shown[0].text.contains("no-such-program --x"));
    QVERIFY(f.links());
}

QTEST_MAIN(LinksWindowTest)
#include "tst_linkswindow.moc"
