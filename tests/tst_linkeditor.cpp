#include "LinksTestSupport.h"

#include "widgets/CaptionFrame.h"
#include "widgets/Fonts.h"

#include <QImage>
#include <QLineEdit>
#include <QRadioButton>

// The link editor below the slots: opening, type switching, Browse, Save, Cancel and Erase.
class LinkEditorTest : public LinksTestCase {
    Q_OBJECT

private slots:

    void opensOnSlot_data();
    void opensOnSlot();
    void switchingTypeSetsDefaults();
    void saveChecks_data();
    void saveChecks();
    void saveWritesThreeKeysAndReloads();
    void saveAcceptsPlaceholderTexts();
    void saveWritesTheLastOpenedSlot();
    void eraseKeepsTheType();
    void cancelHidesAndDiscards();
    void browse();
    void commandHighlights();

private:
    QLineEdit* text(const char* name) const { return f.child<QLineEdit>(name); }
    QRadioButton* option(const char* name) const { return f.child<QRadioButton>(name); }
    void openEditor(int slot);
};

void LinkEditorTest::openEditor(int slot) {
    if (!f.links())
        QVERIFY(f.openLinks());
    const QByteArray edit = "editCommand" + QByteArray::number(slot);
    clickOn(f.child(edit.constData()));
}

void LinkEditorTest::opensOnSlot_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("url");

    const QByteArray fresh = LinksFixture::defaultText();
    QTest::newRow("fresh store") << 4 << fresh << "[none]"
                                 << "none" << false;
    QTest::newRow("slot 10") << 10
                             << LinksFixture::defaultWith(
                                    {{"No10T=\"[none]\"", "No10T=Ten"},
                                     {"No10A=\"none\"", "No10A=http://x/"},
                                     {"No10S=\"Computer program\"", "No10S=URL"}})
                             << "Ten"
                             << "http://x/" << true;
    QTest::newRow("url in small letters")
        << 2 << LinksFixture::defaultWith({{"No2S=\"Computer program\"", "No2S=url"}}) << "[none]"
        << "none" << false;
    QByteArray missing = fresh;
    missing.replace("No5T=\"[none]\"\r\nNo5A=\"none\"\r\nNo5S=\"Computer program\"\r\n", "");
    QTest::newRow("all keys missing") << 5 << missing << "[inside error]"
                                      << "[inside error]" << false;
}

void LinkEditorTest::opensOnSlot() {
    QFETCH(int, slot);
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(QString, address);
    QFETCH(bool, url);

    LinksFixture::writeConfig(file);
    f.start();
    LinksWindow* links = f.openLinks();
    QVERIFY(links);
    QCOMPARE(links->height(), 204);
    openEditor(slot);
    QCOMPARE(links->height(), 372);
    QCOMPARE(f.child<CaptionFrame>("editorFrame")->caption(),
             "Configuration for #" + QString::number(slot));
    QCOMPARE(text("titleEdit")->text(), title);
    QCOMPARE(text("addressEdit")->text(), address);
    QCOMPARE(option("urlOption")->isChecked(), url);
    QCOMPARE(option("programOption")->isChecked(), !url);
    QCOMPARE(f.child("browseCommand")->isVisible(), !url);
    // Opening reads, never writes.
    QCOMPARE(LinksFixture::readConfig(), file);
}

void LinkEditorTest::switchingTypeSetsDefaults() {
    f.start();
    openEditor(1);
    text("titleEdit")->setText("Kept");
    text("addressEdit")->setText("/usr/bin/foo");
    clickOn(option("urlOption"));
    QVERIFY(option("urlOption")->isChecked());
    QVERIFY(!f.child("browseCommand")->isVisible());
    QCOMPARE(text("addressEdit")->text(), "http://");
    QCOMPARE(text("titleEdit")->text(), "Kept");
    clickOn(option("programOption"));
    QVERIFY(f.child("browseCommand")->isVisible());
    QCOMPARE(text("addressEdit")->text(), "/");
    QCOMPARE(text("titleEdit")->text(), "Kept");
}

void LinkEditorTest::saveChecks_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");

    QTest::newRow("both invalid") << "[none]"
                                  << "none"
                                  << "Invalid title";
    QTest::newRow("empty title") << ""
                                 << "/usr/bin/foo"
                                 << "Invalid title";
    QTest::newRow("address none") << "Mail"
                                  << "none"
                                  << "Invalid file address or ulr";
    QTest::newRow("empty address") << "Mail"
                                   << ""
                                   << "Invalid file address or ulr";
}

void LinkEditorTest::saveChecks() {
    QFETCH(QString, title);
    QFETCH(QString, address);
    QFETCH(QString, message);

    f.start();
    openEditor(3);
    LinksWindow* links = f.links();
    text("titleEdit")->setText(title);
    text("addressEdit")->setText(address);
    clickOn(f.child("saveCommand"));
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].caption, "Error");
    QCOMPARE(f.messages.shown[0].text, message);
    // Nothing written, editor still open with what was typed.
    QCOMPARE(LinksFixture::readConfig(), LinksFixture::defaultText());
    QCOMPARE(f.links(), links);
    QCOMPARE(links->height(), 372);
    QCOMPARE(text("titleEdit")->text(), title);
    QCOMPARE(text("addressEdit")->text(), address);
}

void LinkEditorTest::saveWritesThreeKeysAndReloads() {
    f.start();
    openEditor(3);
    LinksWindow* before = f.links();
    text("titleEdit")->setText("Web");
    clickOn(option("urlOption"));
    QCOMPARE(text("addressEdit")->text(), "http://");
    clickOn(f.child("saveCommand"));
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(LinksFixture::readConfig(),
             LinksFixture::defaultWith({{"No3T=\"[none]\"", "No3T=Web"},
                                        {"No3A=\"none\"", "No3A=http://"},
                                        {"No3S=\"Computer program\"", "No3S=URL"}}));
    // The same window, reloaded in place: the editor hidden and the new title.
    QCOMPARE(f.links(), before);
    QCOMPARE(f.links()->height(), 204);
    QCOMPARE(f.child("slot3")->text(), "Web");

    // Saving a title with a line break keeps the file one line per key.
    openEditor(3);
    text("titleEdit")->setText(QStringLiteral("a\r\nb"));
    clickOn(option("programOption"));
    text("addressEdit")->setText("xterm -e top");
    clickOn(f.child("saveCommand"));
    QCOMPARE(LinksFixture::readConfig(),
             LinksFixture::defaultWith({{"No3T=\"[none]\"", "No3T=a  b"},
                                        {"No3A=\"none\"", "No3A=xterm -e top"},
                                        {"No3S=\"Computer program\"", "No3S=Computer program"}}));
}

void LinkEditorTest::saveAcceptsPlaceholderTexts() {
    QByteArray file = LinksFixture::defaultText();
    file.replace("No5T=\"[none]\"\r\nNo5A=\"none\"\r\nNo5S=\"Computer program\"\r\n", "");
    LinksFixture::writeConfig(file);
    f.start();
    openEditor(5);
    clickOn(f.child("saveCommand"));
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(LinksFixture::readConfig(), file + "No5T=[inside error]\r\nNo5A=[inside error]\r\n"
                                                "No5S=Computer program\r\n");
}

void LinkEditorTest::saveWritesTheLastOpenedSlot() {
    LinksFixture::writeConfig(LinksFixture::defaultWith(
        {{"No5T=\"[none]\"", "No5T=Five"}, {"No5A=\"none\"", "No5A=/bin/five"}}));
    f.start();
    openEditor(3);
    text("titleEdit")->setText("Typed for three");
    openEditor(5);
    QCOMPARE(f.child<CaptionFrame>("editorFrame")->caption(), "Configuration for #5");
    QCOMPARE(text("titleEdit")->text(), "Five");
    text("titleEdit")->setText("Fünf");
    clickOn(f.child("saveCommand"));
    QCOMPARE(LinksFixture::readConfig(),
             LinksFixture::defaultWith({{"No5T=\"[none]\"", "No5T=Fünf"},
                                        {"No5A=\"none\"", "No5A=/bin/five"},
                                        {"No5S=\"Computer program\"", "No5S=Computer program"}}));
    QCOMPARE(f.child("slot5")->text(), "Fünf");
}

void LinkEditorTest::eraseKeepsTheType() {
    LinksFixture::writeConfig(
        LinksFixture::defaultWith({{"No8T=\"[none]\"", "No8T=Web"},
                                   {"No8A=\"none\"", "No8A=https://x/"},
                                   {"No8S=\"Computer program\"", "No8S=URL"}}));
    f.start();
    openEditor(8);
    clickOn(f.child("eraseCommand"));
    QCOMPARE(LinksFixture::readConfig(),
             LinksFixture::defaultWith({{"No8T=\"[none]\"", "No8T=[none]"},
                                        {"No8A=\"none\"", "No8A=none"},
                                        {"No8S=\"Computer program\"", "No8S=URL"}}));
    QVERIFY(QTest::qWaitForWindowExposed(f.links()));
    QCOMPARE(f.links()->height(), 204);
    QCOMPARE(f.child("slot8")->text(), "[none]");
    clickOn(f.child("slot8"));
    QVERIFY(f.shell.opened.isEmpty());

    openEditor(8);
    QVERIFY(option("urlOption")->isChecked());
    QVERIFY(!f.child("browseCommand")->isVisible());
    QCOMPARE(text("titleEdit")->text(), "[none]");
    QCOMPARE(text("addressEdit")->text(), "none");
}

void LinkEditorTest::cancelHidesAndDiscards() {
    LinksFixture::writeConfig(LinksFixture::defaultWith({{"No2T=\"[none]\"", "No2T=Two"}}));
    f.start();
    openEditor(2);
    LinksWindow* links = f.links();
    text("titleEdit")->setText("Changed");
    text("addressEdit")->setText("Changed too");
    clickOn(f.child("cancelCommand"));
    QCOMPARE(links->height(), 204);
    QCOMPARE(f.links(), links);
    QCOMPARE(text("titleEdit")->text(), "");
    QCOMPARE(text("addressEdit")->text(), "/");
    openEditor(2);
    QCOMPARE(text("titleEdit")->text(), "Two");
    QCOMPARE(text("addressEdit")->text(), "none");
    QCOMPARE(LinksFixture::readConfig(),
             LinksFixture::defaultWith({{"No2T=\"[none]\"", "No2T=Two"}}));
}

void LinkEditorTest::browse() {
    f.start();
    openEditor(1);
    CommandLabel* browse = f.child("browseCommand");

    f.files.next = {FileDialog::Result::Chosen, QStringLiteral("/opt/app/run me")};
    clickOn(browse);
    QCOMPARE(f.files.shows, 1);
    QCOMPARE(f.files.lastFilters.size(), 3);
    QCOMPARE(f.files.lastFilters[0].description, "All Files (*.*)");
    QCOMPARE(f.files.lastFilters[1].description, "Applications (*.exe)");
    QCOMPARE(f.files.lastFilters[1].pattern, "*.exe");
    QCOMPARE(f.files.lastFilters[2].description, "Batch Files (*.bat)");
    QCOMPARE(text("addressEdit")->text(), "/opt/app/run me");

    // A cancel brings back the file name the dialog reported last.
    text("addressEdit")->setText("typed");
    f.files.next = {FileDialog::Result::Cancelled, QString()};
    clickOn(browse);
    QCOMPARE(text("addressEdit")->text(), "/opt/app/run me");

    f.files.next = {FileDialog::Result::Failed, QString()};
    text("addressEdit")->setText("typed");
    clickOn(browse);
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].caption, "Error");
    QCOMPARE(f.messages.shown[0].text, "An inside error");
    QCOMPARE(text("addressEdit")->text(), "typed");
    QCOMPARE(f.links()->height(), 372);
}

void LinkEditorTest::commandHighlights() {
    f.start();
    openEditor(1);
    LinksWindow* links = f.links();
    auto background = [&](const char* name) {
        CommandLabel* l = f.child(name);
        QImage image(links->size(), QImage::Format_RGB32);
        links->render(&image);
        return image.pixelColor(l->mapTo(links, QPoint(1, 1)));
    };
    const QColor green(0, 192, 0), pale(255, 255, 192);
    for (const char* name : {"browseCommand", "saveCommand", "cancelCommand", "eraseCommand"})
        QCOMPARE(background(name), green);

    moveOnto(f.child("saveCommand"));
    QCOMPARE(background("saveCommand"), pale);
    QCOMPARE(f.child("saveCommand")->textColor(), green);
    moveOnto(f.child("browseCommand"));
    // Commands only go back to normal over the frame's background.
    QCOMPARE(background("saveCommand"), pale);
    QCOMPARE(background("browseCommand"), pale);
    moveOnto(text("titleEdit"));
    moveOnto(option("programOption"));
    QCOMPARE(background("saveCommand"), pale);
    moveOnto(f.child<QWidget>("editorFrame"), {100, 145});
    for (const char* name : {"browseCommand", "saveCommand", "cancelCommand", "eraseCommand"})
        QCOMPARE(background(name), green);
    moveOnto(f.child("cancelCommand"));
    QCOMPARE(background("cancelCommand"), pale);
    QCOMPARE(background("saveCommand"), green);
}

QTEST_MAIN(LinkEditorTest)
#include "tst_linkeditor.moc"
