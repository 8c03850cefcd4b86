#include "FaultInjection.h"
#include "LinksTestSupport.h"

#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringEncoder>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <QProcess>

#include <optional>
#include <poll.h>
#include <sys/file.h>

// The links window on settings files that are damaged, huge, out of reach or changed behind
// its back: it stays up, and the file afterwards is the old one or the new one, never a mix.
class LinksFileFaultsTest : public LinksTestCase {
    Q_OBJECT

public:
    enum Setup {
        Plain,
        Folder,         // the path is a folder
        Unreadable,     // mode 000
        ReadOnlyFile,   // mode 444
        ReadOnlyFolder, // the file's folder has mode 555
        DiskFull,       // no file may grow past a limit
    };
    Q_ENUM(Setup)

    enum OtherChange { EditInPlace, ReplaceByRename, Delete };
    Q_ENUM(OtherChange)

private slots:
    void cleanup();

    void badFile_data();
    void badFile();
    void changedByAnotherProgram_data();
    void changedByAnotherProgram();
    void longCommandSavedAsShown();
    void charactersOutsideTheBasicPlane();
    void scriptAndSaveOnALinkedFile();
    void twoProcessesSaveTwoSlots();
    void noHome();

private:
    void openEditor(int slot);
    void saveSlot3();
    QLineEdit* text(const char* name) const { return f.child<QLineEdit>(name); }
};

namespace {

const QByteArray noFile = "<no file>";

QString configFolder() {
    return QFileInfo(LinksFixture::configPath()).absolutePath();
}

// What lies at the settings path: the file's bytes, a folder's listing and contents, or noFile.
QByteArray pathState() {
    const QString path = LinksFixture::configPath();
    const QFileInfo info(path);
    if (info.isDir()) {
        QByteArray state = "<folder>";
        const QDir dir(path);
        for (const QString& name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            QFile file(dir.filePath(name));
            state +=
                '\n' + name.toUtf8() + ':' + (file.open(QIODevice::ReadOnly) ? file.readAll() : "");
        }
        return state;
    }
    if (!info.exists())
        return noFile;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// text with each whole line from replaced by to; every from must occur exactly once.
QByteArray replaced(QByteArray text, const QList<std::pair<QByteArray, QByteArray>>& lines) {
    for (const auto& [from, to] : lines) {
        const qsizetype at = text.indexOf(from);
        if (at < 0 || text.indexOf(from, at + 1) >= 0)
            qFatal("line %s not found once", from.constData());
        text.replace(at, from.size(), to);
    }
    return text;
}

// What Save on slot 3 (title "New title", address "/new prog", a program) does to lines
// holding the given slot-3 keys, and what a following Erase does.
const QByteArray savedT = "No3T=New title", savedA = "No3A=/new prog",
                 savedS = "No3S=Computer program";
QByteArray afterSave(const QByteArray& text, const QByteArray& t, const QByteArray& a,
                     const QByteArray& s) {
    return replaced(text, {{t, savedT}, {a, savedA}, {s, savedS}});
}
QByteArray afterErase(const QByteArray& saved) {
    return replaced(saved, {{savedT, "No3T=[none]"}, {savedA, "No3A=none"}});
}
QByteArray defaultAfterSave(const QByteArray& text) {
    return afterSave(text, "No3T=\"[none]\"", "No3A=\"none\"", "No3S=\"Computer program\"");
}
// A file without the section gets it, with the three keys, after its last line.
QByteArray appendedSection(const QByteArray& text) {
    QByteArray result = text;
    if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
        result += "\r\n";
    return result + "[Configuration]\r\n" + savedT + "\r\n" + savedA + "\r\n" + savedS + "\r\n";
}

// A small red picture, for titles that name it in an <img> tag.
QByteArray redPicture() {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("red.png"));
    if (!QFileInfo::exists(path)) {
        QImage red(40, 12, QImage::Format_RGB32);
        red.fill(Qt::red);
        red.save(path);
    }
    return QFile::encodeName(path);
}

QByteArray encoded(const QByteArray& utf8, QStringConverter::Encoding encoding, bool mark = true) {
    QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom
                                          : QStringConverter::Flag::Default);
    return encoder(QString::fromUtf8(utf8));
}

QString toPlain(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

} // namespace

void LinksFileFaultsTest::cleanup() {
    QFile::setPermissions(configFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    LinksTestCase::cleanup();
}

void LinksFileFaultsTest::openEditor(int slot) {
    const QByteArray edit = "editCommand" + QByteArray::number(slot);
    clickOn(f.child(edit.constData()));
}

void LinksFileFaultsTest::saveSlot3() {
    openEditor(3);
    text("titleEdit")->setText(QStringLiteral("New title"));
    clickOn(f.child<QRadioButton>("programOption"));
    text("addressEdit")->setText(QStringLiteral("/new prog"));
    clickOn(f.child("saveCommand"));
}

void LinksFileFaultsTest::badFile_data() {
    QTest::addColumn<QByteArray>("content"); // noFile: none
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<qint64>("sizeLimit"); // DiskFull only
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QByteArray>("erased");
    QTest::addColumn<QString>("loadMessage"); // part of the message each load shows, if any
    QTest::addColumn<QString>("writeError");  // why Save and Erase fail, when they do

    const QByteArray fresh = LinksFixture::defaultText();
    auto plain = [](const char* name, const QByteArray& content, const QByteArray& saved,
                    const QByteArray& erased = {}) {
        QTest::newRow(name) << content << Plain << qint64(0) << true << saved
                            << (erased.isNull() ? afterErase(saved) : erased) << QString()
                            << QString();
    };

    {
        // 20 MB of another program's settings ahead of the links, half of it in lines that end
        // in CR alone and half in LF alone: neither may cost a search to the end per line.
        QByteArray big = "[Other]\r\n";
        big.reserve(21 << 20);
        for (int i = 0; big.size() < (20 << 20); ++i) {
            big += "key" + QByteArray::number(i).rightJustified(8, '0') +
                   "=a value of some fifty characters, padded out a bit" +
                   (big.size() < (10 << 20) ? '\r' : '\n');
        }
        const QByteArray saved = defaultAfterSave(fresh);
        plain("20 MB", big + fresh, big + saved, big + afterErase(saved));
    }
    {
        QByteArray garbage(64 * 1024, Qt::Uninitialized);
        QRandomGenerator random(20240601);
        for (char& c : garbage)
            c = char(random.bounded(256));
        plain("binary garbage", garbage, appendedSection(garbage));
    }
    {
        const QByteArray bad =
            LinksFixture::defaultWith({
                {"No1T=\"[none]\"", "No1T=Caf\xC3 \xFF\xFE\x80 \xED\xA0\x80 \xF4\x90\x80\x80"},
                {"No3T=\"[none]\"", "No3T=\xC0\xAF\xE2\x82"},
            }) +
            "; \xC3\x28\xA0\xA1\r\n";
        plain(
            "invalid UTF-8", bad,
            afterSave(bad, "No3T=\xC0\xAF\xE2\x82", "No3A=\"none\"", "No3S=\"Computer program\""));
    }
    {
        const QByteArray nul(1, '\0');
        const QByteArray t = "No3T=Old" + nul + "No3A=hidden";
        const QByteArray withNul = LinksFixture::defaultWith({
            {"No1T=\"[none]\"", "No1T=Mail" + nul + "tail"},
            {"No2T=\"[none]\"", "No2T=" + nul},
            {"No3T=\"[none]\"", t},
        });
        plain("NUL in the middle", withNul,
              afterSave(withNul, t, "No3A=\"none\"", "No3S=\"Computer program\""));
    }
    {
        // Titles are text: markup in them is shown, not followed to a file. (Followed, an
        // <img> naming /dev/zero reads until memory runs out; a red picture is safer to test.)
        const QByteArray markup = LinksFixture::defaultWith(
            {{"No1T=\"[none]\"", "No1T=<img src=\"" + redPicture() + "\"><b>bold</b>"},
             {"No3T=\"[none]\"", "No3T=<table><tr><td>&amp;</td></tr></table>"}});
        plain("markup in titles", markup,
              afterSave(markup, "No3T=<table><tr><td>&amp;</td></tr></table>", "No3A=\"none\"",
                        "No3S=\"Computer program\""));
    }
    {
        QByteArray crOnly = fresh;
        crOnly.replace("\r\n", "\r");
        plain("only CR line ends", crOnly, defaultAfterSave(crOnly));
    }
    {
        QByteArray headless = fresh;
        headless.remove(0, QByteArray("[Configuration]\r\n").size());
        plain("no section header", headless, appendedSection(headless));
    }
    {
        QByteArray many;
        for (int i = 0; i < 5000; ++i)
            many += "[Section" + QByteArray::number(i) + "]\r\nNo3T=not this one\r\n";
        many += fresh;
        for (int i = 0; i < 5000; ++i)
            many += "[More" + QByteArray::number(i) + "]\r\nk=v\r\n";
        // A second section of the same name is never read or written.
        many += "[configuration]\r\nNo3T=second\r\nNo3A=second\r\n";
        plain("thousands of sections", many, defaultAfterSave(many));
    }
    {
        // Built around a short stand-in for the long title: searching for a 100,000-byte
        // needle is slow.
        const QByteArray shortT = "No3T=y";
        const QByteArray withShort = LinksFixture::defaultWith({
                                         {"No1T=\"[none]\"", "No1T=" + QByteArray(100000, 'x')},
                                         {"No3T=\"[none]\"", shortT},
                                     }) +
                                     QByteArray(100000, '[') + "\r\n";
        QByteArray longLines = withShort;
        longLines.replace(shortT, "No3T=" + QByteArray(100000, 'y'));
        plain("100,000-character line", longLines,
              afterSave(withShort, shortT, "No3A=\"none\"", "No3S=\"Computer program\""));
    }

    {
        // What Windows editors save as "Unicode": read, and written in the same encoding.
        const QByteArray text =
            LinksFixture::defaultWith({{"No1T=\"[none]\"", "No1T=Caf\xC3\xA9 \xF0\x9F\x8E\xB5"}});
        const QByteArray saved = defaultAfterSave(text);
        for (const auto& [name, encoding] : {std::pair{"UTF-16LE", QStringConverter::Utf16LE},
                                             {"UTF-16BE", QStringConverter::Utf16BE}})
            plain(name, encoded(text, encoding), encoded(saved, encoding),
                  encoded(afterErase(saved), encoding));
    }

    auto refused = [](const char* name, const QByteArray& content, Setup setup, qint64 limit,
                      const QString& loadMessage, const QString& writeError) {
        QTest::newRow(name) << content << setup << limit << false << QByteArray() << QByteArray()
                            << loadMessage << writeError;
    };
    const QByteArray kept = LinksFixture::defaultWith(
        {{"No1T=\"[none]\"", "No1T=One"}, {"No3T=\"[none]\"", "No3T=Three"}});
    const QString denied = QStringLiteral("Permission denied");
    refused("path is a folder", noFile, Folder, 0, "folder", "Is a directory");
    refused("unreadable file", kept, Unreadable, 0, QString(), denied);
    refused("read-only file", kept, ReadOnlyFile, 0, QString(), denied);
    refused("read-only folder", kept, ReadOnlyFolder, 0, QString(), denied);
    refused("read-only folder, no file", noFile, ReadOnlyFolder, 0, "Could not create", denied);
    refused("disk full", kept, DiskFull, kept.size() / 2, QString(), "File too large");
    refused("disk full, no file", noFile, DiskFull, 16, "Could not create", "File too large");
    const QString unknown = QStringLiteral("Unknown text encoding");
    refused("UTF-32", encoded(kept, QStringConverter::Utf32LE), Plain, 0, QString(), unknown);
    refused("unmarked UTF-16", encoded(kept, QStringConverter::Utf16LE, false), Plain, 0, QString(),
            unknown);
    // Given a section, it would begin with a NUL and a line break: unmarked UTF-16 to the reader.
    refused("one NUL byte", QByteArray(1, '\0'), Plain, 0, QString(), unknown);

    // The title grows past the limit, the address shrinks far more: Save stores the whole
    // link or nothing, never the address without its title.
    const QByteArray t = "No3T=T", a = "No3A=/" + QByteArray(300, 'a');
    const QByteArray growing =
        LinksFixture::defaultWith({{"No3T=\"[none]\"", t}, {"No3A=\"none\"", a}});
    const QByteArray grown = afterSave(growing, t, a, "No3S=\"Computer program\"");
    QTest::newRow("disk fills during Save")
        << growing << DiskFull << qint64(growing.size() + 4) << true << grown << afterErase(grown)
        << QString() << QString();
}

void LinksFileFaultsTest::badFile() {
    QFETCH(QByteArray, content);
    QFETCH(Setup, setup);
    QFETCH(qint64, sizeLimit);
    QFETCH(bool, writable);
    QFETCH(QByteArray, saved);
    QFETCH(QByteArray, erased);
    QFETCH(QString, loadMessage);
    QFETCH(QString, writeError);

    const QString path = LinksFixture::configPath();
    if (content != noFile)
        LinksFixture::writeConfig(content);
    QDir().mkpath(configFolder());
    if (setup == Folder)
        QVERIFY(QDir().mkpath(path) && QFile(path + "/keep.txt").open(QIODevice::WriteOnly));
    if (setup == Unreadable)
        QVERIFY(QFile::setPermissions(path, {}));
    if (setup == ReadOnlyFile)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    if (setup == ReadOnlyFolder)
        QVERIFY(QFile::setPermissions(configFolder(), QFile::ReadOwner | QFile::ExeOwner));
    const QByteArray before = pathState();

    std::optional<PermissionBitsApply> bits;
    if (setup == Unreadable || setup == ReadOnlyFolder) {
        bits.emplace();
        if (!bits->ok())
            QSKIP("cannot make permission bits apply to this process");
    }
    // Reads the path with the bits lifted, for a mode-000 file.
    auto stateNow = [&] {
        const bool held = bits.has_value();
        bits.reset();
        const QByteArray state = pathState();
        if (held)
            bits.emplace();
        return state;
    };
    std::optional<FileSizeLimit> limit;
    if (setup == DiskFull) {
        limit.emplace(rlim_t(sizeLimit));
        QVERIFY(limit->ok());
    }

    QElapsedTimer timer;
    timer.start();
    f.start();
    QVERIFY(f.openLinks());

    CommandLabel* first = f.child("slot1");
    clickOn(first);
    const int launches = int(f.shell.opened.size() + f.shell.started.size());
    QCOMPARE(launches, first->text() == "[none]" ? 0 : 1);
    if (setup == Unreadable || writeError == "Unknown text encoding")
        QCOMPARE(first->text(), "[inside error]");
    if (QByteArray(QTest::currentDataTag()).startsWith("UTF-16"))
        QCOMPARE(first->text(), QString::fromUtf8("Caf\xC3\xA9 \xF0\x9F\x8E\xB5"));
    QVERIFY(first->text().size() <= 254);
    // Titles and their tooltips are shown as the text they are, whatever it holds.
    QTRY_VERIFY(!first->toolTip().isEmpty());
    const QString tip = first->toolTip();
    QCOMPARE(Qt::mightBeRichText(tip) ? toPlain(tip) : tip,
             first->text() == "[none]" ? "click edit to modify" : "Run " + first->text());
    QToolTip::showText(first->mapToGlobal(QPoint(2, 2)), tip, first);
    QToolTip::hideText();
    QImage image(first->size(), QImage::Format_RGB32);
    first->render(&image);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(image.pixel(x, y) != qRgb(255, 0, 0));
    }

    saveSlot3();
    QVERIFY(f.links());
    QVERIFY(QTest::qWaitForWindowExposed(f.links()));
    QCOMPARE(stateNow(), writable ? saved : before);
    if (writable) {
        // The reload shows what the file holds.
        QCOMPARE(f.child("slot3")->text(), QStringLiteral("New title"));
        openEditor(3);
    } else {
        // A failed Save says why and keeps the editor open with what was typed.
        QCOMPARE(f.messages.shown.last().caption, "Error");
        const QString expected = "Could not save link 3: " + writeError + " (";
        QVERIFY2(f.messages.shown.last().text.startsWith(expected) &&
                     f.messages.shown.last().text.contains(configFolder()),
                 qPrintable(f.messages.shown.last().text));
        QCOMPARE(f.links()->height(), Twips::toPx(LinksWindow::ExpandedHeight));
        QCOMPARE(text("titleEdit")->text(), QStringLiteral("New title"));
        QCOMPARE(text("addressEdit")->text(), QStringLiteral("/new prog"));
    }
    QCOMPARE(text("titleEdit")->text().size() <= 254, true);
    clickOn(f.child("eraseCommand"));
    QVERIFY(f.links());
    QVERIFY(QTest::qWaitForWindowExposed(f.links()));
    QCOMPARE(stateNow(), writable ? erased : before);
    QVERIFY(f.clock->isVisible());

    // A load message comes with each load: the first, and the reloads after a Save and an
    // Erase that worked.
    QList<FakeMessageBox::Shown> loads = f.messages.shown;
    if (!writable) {
        QCOMPARE(loads.size(), loadMessage.isEmpty() ? 2 : 3);
        QVERIFY2(loads.takeLast().text.startsWith("Could not erase link 3: " + writeError),
                 qPrintable(f.messages.shown.last().text));
        loads.removeLast();
    }
    if (loadMessage.isEmpty()) {
        QVERIFY(loads.isEmpty());
    } else {
        QCOMPARE(loads.size(), writable ? 3 : 1);
        for (const FakeMessageBox::Shown& shown : loads) {
            QCOMPARE(shown.caption, "Error");
            QVERIFY2(shown.text.contains(path) && shown.text.contains(loadMessage),
                     qPrintable(shown.text));
        }
    }
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
}

void LinksFileFaultsTest::changedByAnotherProgram_data() {
    QTest::addColumn<OtherChange>("change");
    QTest::addColumn<bool>("beforeEdit"); // else between Edit and Save
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QByteArray>("saved");

    const QByteArray theirs = "; edited elsewhere\r\n" +
                              LinksFixture::defaultWith({{"No3T=\"[none]\"", "No3T=Their three"},
                                                         {"No5T=\"[none]\"", "No5T=Theirs"}}) +
                              "[Other]\r\nx=1\r\n";
    const QByteArray saved =
        afterSave(theirs, "No3T=Their three", "No3A=\"none\"", "No3S=\"Computer program\"");

    QTest::newRow("edited in place before Edit") << EditInPlace << true << "Their three" << saved;
    QTest::newRow("edited in place before Save") << EditInPlace << false << "[none]" << saved;
    QTest::newRow("replaced by rename before Save")
        << ReplaceByRename << false << "[none]" << saved;
    // The other links come back as they are after loading, not as "[inside error]".
    QTest::newRow("deleted before Save")
        << Delete << false << "[none]" << defaultAfterSave(LinksFixture::defaultText());
}

void LinksFileFaultsTest::changedByAnotherProgram() {
    QFETCH(OtherChange, change);
    QFETCH(bool, beforeEdit);
    QFETCH(QString, shownTitle);
    QFETCH(QByteArray, saved);

    const QString path = LinksFixture::configPath();
    const QByteArray theirs = "; edited elsewhere\r\n" +
                              LinksFixture::defaultWith({{"No3T=\"[none]\"", "No3T=Their three"},
                                                         {"No5T=\"[none]\"", "No5T=Theirs"}}) +
                              "[Other]\r\nx=1\r\n";
    auto otherProgram = [&] {
        if (change == EditInPlace) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(theirs);
        } else if (change == ReplaceByRename) {
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(theirs);
            QVERIFY(file.commit());
        } else {
            QVERIFY(QFile::remove(path));
        }
    };

    f.start();
    QVERIFY(f.openLinks());
    QCOMPARE(LinksFixture::readConfig(), LinksFixture::defaultText());
    if (beforeEdit)
        otherProgram();
    openEditor(3);
    // Nothing read at load is kept: the editor reads the file as it is now.
    QCOMPARE(text("titleEdit")->text(), shownTitle);
    if (!beforeEdit)
        otherProgram();
    text("titleEdit")->setText(QStringLiteral("New title"));
    text("addressEdit")->setText(QStringLiteral("/new prog"));
    clickOn(f.child("saveCommand"));

    QCOMPARE(LinksFixture::readConfig(), saved);
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(f.child("slot3")->text(), "New title");
    QCOMPARE(f.child("slot5")->text(), change == Delete ? "[none]" : "Theirs");
}

// What is saved is what shows, what runs, and what the editor shows again: the boxes take no
// more than the store gives back.
void LinksFileFaultsTest::longCommandSavedAsShown() {
    const QString command = "/usr/bin/tool --keep=" + QString(258, 'k') + " --dry-run";
    f.start();
    QVERIFY(f.openLinks());
    openEditor(3);
    clickOn(f.child<QRadioButton>("programOption"));
    text("titleEdit")->clear();
    QTest::keyClicks(text("titleEdit"), QString(300, 'T'));
    text("addressEdit")->clear();
    QTest::keyClicks(text("addressEdit"), command);
    const QString title(LinkStore::maxValueLength, 'T');
    QCOMPARE(text("titleEdit")->text(), title);
    QCOMPARE(text("addressEdit")->text(), command.first(LinkStore::maxValueLength));
    clickOn(f.child("saveCommand"));

    QCOMPARE(f.child("slot3")->text(), title);
    clickOn(f.child("slot3"));
    QCOMPARE(f.shell.started, QStringList{command.first(LinkStore::maxValueLength)});
    openEditor(3);
    QCOMPARE(text("titleEdit")->text(), title);
    QCOMPARE(text("addressEdit")->text(), f.shell.started.first());
}

// The boxes count characters as the store does: a link of 200 characters outside the Basic
// Multilingual Plane saves unchanged, and a longer text loses whole characters only.
void LinksFileFaultsTest::charactersOutsideTheBasicPlane() {
    const QByteArray note = "\xF0\x9F\x8E\xB5"; // U+1F3B5
    const QByteArray before =
        LinksFixture::defaultWith({{"No3T=\"[none]\"", "No3T=" + note.repeated(200)},
                                   {"No3A=\"none\"", "No3A=/x"},
                                   {"No3S=\"Computer program\"", "No3S=URL"}});
    LinksFixture::writeConfig(before);
    f.start();
    QVERIFY(f.openLinks());
    openEditor(3);
    QCOMPARE(text("titleEdit")->text(), QString::fromUtf8(note.repeated(200)));
    clickOn(f.child("saveCommand"));
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(LinksFixture::readConfig(), before);

    openEditor(3);
    text("titleEdit")->setText(QString::fromUtf8(note.repeated(300)));
    QCOMPARE(text("titleEdit")->text(), QString::fromUtf8(note.repeated(254)));
    text("titleEdit")->setText(QString::fromUtf8("x" + note.repeated(254)));
    QCOMPARE(text("titleEdit")->text(), QString::fromUtf8("x" + note.repeated(253)));
}

// config.ini linked into a dotfiles folder: the README's script, held up a little inside its
// lock, and a Save take turns on config.ini.lock beside the link; the clock goes on ticking
// while the Save waits, and both changes land in the link's target.
void LinksFileFaultsTest::scriptAndSaveOnALinkedFile() {
    QTemporaryDir dotfiles;
    const QString target = dotfiles.filePath("tempivo.ini");
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(LinksFixture::defaultText()) > 0);
    file.close();
    QDir().mkpath(configFolder());
    QVERIFY(QFile::link(target, LinksFixture::configPath()));
    f.start();
    QVERIFY(f.openLinks());
    openEditor(3);
    text("titleEdit")->setText(QStringLiteral("Mine"));
    text("addressEdit")->setText(QStringLiteral("/mine"));

    QProcess script;
    script.setWorkingDirectory(configFolder());
    script.start("sh", {"-c", "flock config.ini.lock sh -c 'sleep 0.6; sed -i --follow-symlinks "
                              "\"s/^No5T=.*/No5T=Theirs/\" config.ini'"});
    QVERIFY(script.waitForStarted());
    const auto lockedElsewhere = [lock = QFile::encodeName(LinksFixture::configPath() + ".lock")] {
        const int fd = open(lock.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
        const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        close(fd);
        return held;
    };
    QTRY_VERIFY(lockedElsewhere());
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    QElapsedTimer waited;
    waited.start();
    clickOn(f.child("saveCommand"));
    QVERIFY2(waited.elapsed() >= 200 && ticks >= 5,
             qPrintable(QStringLiteral("%1 ms, %2 ticks").arg(waited.elapsed()).arg(ticks)));
    // Save's wait for the lock runs events, which may already have seen the script end.
    QVERIFY(script.state() == QProcess::NotRunning || script.waitForFinished());
    QCOMPARE(script.exitCode(), 0);

    QVERIFY(f.messages.shown.isEmpty());
    QVERIFY(QFileInfo(LinksFixture::configPath()).isSymLink());
    QFile result(target);
    QVERIFY(result.open(QIODevice::ReadOnly));
    const QByteArray content = result.readAll();
    QVERIFY2(content.contains("\nNo3T=Mine\r\n") && content.contains("\nNo5T=Theirs"),
             content.constData());
    QFile::remove(LinksFixture::configPath() + ".lock");
}

namespace {

const char otherWriter[] = "--write-slot-7";

// The other process: saves slot 7 over and over until its input ends, then prints the number
// of its last save.
int writeSlot7(const QString& path) {
    int n = 0;
    for (;; ++n) {
        const QString title = QStringLiteral("Other %1").arg(n);
        if (!LinkStore::writeValues(path, LinkStore::configSection,
                                    {{"No7T", title}, {"No7A", "/other"}, {"No7S", "URL"}}))
            return 1;
        pollfd input{0, POLLIN, 0};
        char byte = 0;
        if (poll(&input, 1, 0) > 0 && read(0, &byte, 1) <= 0)
            break;
    }
    std::printf("%d\n", n);
    return 0;
}

} // namespace

void LinksFileFaultsTest::twoProcessesSaveTwoSlots() {
    f.start();
    QVERIFY(f.openLinks());
    QProcess other;
    other.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(otherWriter), LinksFixture::configPath()});
    QVERIFY(other.waitForStarted());
    QTRY_VERIFY(LinksFixture::readConfig().contains("No7T=Other"));

    for (int n = 0; n < 20; ++n) {
        openEditor(3);
        text("titleEdit")->setText(QStringLiteral("Mine %1").arg(n));
        text("addressEdit")->setText(QStringLiteral("/mine"));
        clickOn(f.child("saveCommand"));
    }
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(20000));
    QCOMPARE(other.exitCode(), 0);
    const QString last = QString::fromLatin1(other.readAllStandardOutput()).trimmed();

    QVERIFY(f.messages.shown.isEmpty());
    const QString path = LinksFixture::configPath();
    QCOMPARE(LinkStore::readValue(path, LinkStore::configSection, "No3T", "-"), "Mine 19");
    QCOMPARE(LinkStore::readValue(path, LinkStore::configSection, "No7T", "-"), "Other " + last);
}

// With no home there is no place for the file: the window says so and shows no links.
void LinksFileFaultsTest::noHome() {
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    f.start();
    LinksWindow* links = f.openLinks();
    qputenv("HOME", home);
    QVERIFY(links);
    QCOMPARE(f.child("slot1")->text(), "[inside error]");
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY(f.messages.shown.first().text.startsWith("Could not create the settings file: "));
}

int main(int argc, char* argv[]) {
    if (argc == 3 && qstrcmp(argv[1], otherWriter) == 0)
        return writeSlot7(QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    LinksFileFaultsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_links_file_faults.moc"
