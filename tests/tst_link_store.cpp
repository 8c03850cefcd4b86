#include "FaultInjection.h"
#include "TestFiles.h"
#include "links/LinkStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QByteArray defaultText =
    "[Configuration]\r\n"
    "No1T=\"[none]\"\r\nNo1A=\"none\"\r\nNo1S=\"Computer program\"\r\n"
    "No2T=\"[none]\"\r\nNo2A=\"none\"\r\nNo2S=\"Computer program\"\r\n"
    "No3T=\"[none]\"\r\nNo3A=\"none\"\r\nNo3S=\"Computer program\"\r\n"
    "No4T=\"[none]\"\r\nNo4A=\"none\"\r\nNo4S=\"Computer program\"\r\n"
    "No5T=\"[none]\"\r\nNo5A=\"none\"\r\nNo5S=\"Computer program\"\r\n"
    "No6T=\"[none]\"\r\nNo6A=\"none\"\r\nNo6S=\"Computer program\"\r\n"
    "No7T=\"[none]\"\r\nNo7A=\"none\"\r\nNo7S=\"Computer program\"\r\n"
    "No8T=\"[none]\"\r\nNo8A=\"none\"\r\nNo8S=\"Computer program\"\r\n"
    "No9T=\"[none]\"\r\nNo9A=\"none\"\r\nNo9S=\"Computer program\"\r\n"
    "No10T=\"[none]\"\r\nNo10A=\"none\"\r\nNo10S=\"Computer program\"\r\n";

using TestFiles::get;
using TestFiles::put;

} // namespace

class TestLinkStore : public QObject {
    Q_OBJECT

public:
    enum Fault { None, ReadOnlyFile, OtherUsersFile, ReadOnlyFolder, DiskFull, KilledSave };
    Q_ENUM(Fault)

private:
    QTemporaryDir dir;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir.isValid());
    }

    void configFileLivesInTheConfigFolder() {
        const QString home =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QCOMPARE(LinkStore::configFilePath(), home + "/tempivo/config.ini");
        QCOMPARE(LinkStore::configSection, QString("Configuration"));
        QCOMPARE(LinkStore::keyName(1, LinkStore::LinkField::Title), QString("No1T"));
        QCOMPARE(LinkStore::keyName(10, LinkStore::LinkField::Type), QString("No10S"));
    }

    void defaultFileCreatedWithFolder() {
        const QString home =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QDir(home + "/tempivo").removeRecursively();
        const QString file = LinkStore::configFilePath();
        QString error;
        QVERIFY(LinkStore::writeDefaultFile(file, &error));
        QCOMPARE(get(file), defaultText);
        for (int slot = 1; slot <= 10; ++slot) {
            const QString s = LinkStore::configSection;
            QCOMPARE(LinkStore::readValue(
                         file, s, LinkStore::keyName(slot, LinkStore::LinkField::Title), "x"),
                     "[none]");
            QCOMPARE(LinkStore::readValue(
                         file, s, LinkStore::keyName(slot, LinkStore::LinkField::Address), "x"),
                     "none");
            QCOMPARE(LinkStore::readValue(
                         file, s, LinkStore::keyName(slot, LinkStore::LinkField::Type), "x"),
                     "Computer program");
        }
        QDir(home + "/tempivo").removeRecursively();
    }

    void existingFileUntouchedByDefaultStep() {
        const QString file = dir.filePath("existing.ini");
        const QByteArray before = "[Configuration]\nNo1T=mine\n";
        put(file, before);
        const QDateTime modified = QFileInfo(file).lastModified();
        QVERIFY(LinkStore::writeDefaultFile(file, nullptr));
        QCOMPARE(get(file), before);
        QCOMPARE(QFileInfo(file).lastModified(), modified);
    }

    void defaultFileInAFolderPath() {
        const QString folder = dir.filePath("folder.ini");
        QVERIFY(QDir().mkpath(folder));
        QString error;
        QVERIFY(!LinkStore::writeDefaultFile(folder, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
    }

    void defaultFileWithoutRightToWrite() {
        if (geteuid() == 0)
            QSKIP("root may write into any folder");
        const QString folder = dir.filePath("locked");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QString error;
        QVERIFY(!LinkStore::writeDefaultFile(folder + "/config.ini", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!LinkStore::writeDefaultFile(folder + "/sub/config.ini", &error));
        QVERIFY(!error.isEmpty());
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }

    void normalFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("expected");
        QTest::newRow("regular file") << "plain.ini" << true;
        QTest::newRow("folder") << "sub" << false;
        QTest::newRow("missing") << "missing.ini" << false;
        QTest::newRow("link to a file") << "link.ini" << true;
        QTest::newRow("dangling link") << "dangling.ini" << false;
    }

    void normalFile() {
        QFETCH(QString, name);
        QFETCH(bool, expected);
        const QString base = dir.filePath("exist");
        if (!QFileInfo::exists(base)) {
            QVERIFY(QDir().mkpath(base + "/sub"));
            put(base + "/plain.ini", "");
            QVERIFY(QFile::link("plain.ini", base + "/link.ini"));
            QVERIFY(QFile::link("gone.ini", base + "/dangling.ini"));
        }
        QCOMPARE(LinkStore::isNormalFile(base + "/" + name), expected);
    }

    void writeIniTurnsLineBreaksIntoBlanks() {
        const QString file = dir.filePath("breaks.ini");
        put(file, "[Configuration]\r\nNo3T=\"[none]\"\r\nNo3A=\"none\"\r\n");
        QVERIFY(LinkStore::writeValues(file, "Configuration", {{"No3T", "a\r\nb\rc\nd"}}));
        QCOMPARE(get(file), QByteArray("[Configuration]\r\nNo3T=a  b c d\r\nNo3A=\"none\"\r\n"));
        QCOMPARE(LinkStore::readValue(file, "Configuration", "No3T", "x"), QString("a  b c d"));
    }

    void writeIniOnAReadOnlyFileChangesNothing() {
        const QString file = dir.filePath("readonly.ini");
        put(file, defaultText);
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
        QVERIFY(!LinkStore::writeValues(file, "Configuration", {{"No1T", "changed"}}));
        QCOMPARE(get(file), defaultText);
        QCOMPARE(LinkStore::readValue(file, "Configuration", "No1T", "x"), QString("[none]"));
    }

    void savedLinkReadsBack() {
        const QString file = dir.filePath("saved.ini");
        QVERIFY(LinkStore::writeDefaultFile(file, nullptr));
        const QString longAddress = "https://example.org/" + QString(280, 'p');
        QVERIFY(LinkStore::writeValues(file, "Configuration", {{"No10T", "  Mail  "}}));
        QVERIFY(LinkStore::writeValues(file, "Configuration", {{"No10A", longAddress}}));
        QVERIFY(LinkStore::writeValues(file, "Configuration", {{"No10S", "URL"}}));
        QCOMPARE(LinkStore::readValue(file, "Configuration", "No10T", "x"), QString("  Mail  "));
        QCOMPARE(LinkStore::readValue(file, "Configuration", "No10A", "x"), longAddress.first(254));
        QCOMPARE(LinkStore::readValue(file, "Configuration", "No10S", "x"), QString("URL"));
        QCOMPARE(LinkStore::readValue(file, "Configuration", "No9S", "x"),
                 QString("Computer program"));
        QVERIFY(get(file).endsWith("No10T=\"  Mail  \"\r\nNo10A=" + longAddress.toUtf8() +
                                   "\r\nNo10S=URL\r\n"));
    }

    // What Save stores reads back as it was typed, or the save fails, says why and changes nothing.
    void saveLink_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file, nor its folder
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("after"); // null: before, unchanged
        QTest::addColumn<QString>("error");    // the start of the reason, when the save fails

        auto saved = [](const QByteArray& title, const QByteArray& address) {
            QByteArray text = defaultText;
            const qsizetype t = text.indexOf("No3T=");
            return text.replace(t, text.indexOf("\r\nNo4T=") - t,
                                "No3T=" + title + "\r\nNo3A=" + address + "\r\nNo3S=URL");
        };
        const QString quoted = "\"/opt/my tools/run\" \"a b\"";
        const QString full = "/" + QString(252, 'a') + " ";
        const QByteArray d = defaultText;
        QTest::newRow("quoted command")
            << d << None << "Run" << quoted << saved("Run", '"' + quoted.toUtf8() + '"') << "";
        QTest::newRow("blanks, single quotes") << d << None << " \tMail "
                                               << "'y'" << saved("\" \tMail \"", "\"'y'\"") << "";
        QTest::newRow("254 characters and the quotes")
            << d << None << "T" << full << saved("T", '"' + full.toUtf8() + '"') << "";
        QTest::newRow("no file: the default links first") << QByteArray() << None << "M"
                                                          << "m" << saved("M", "m") << "";
        QTest::newRow("left-overs of a killed save") << d << KilledSave << "M"
                                                     << "m" << saved("M", "m") << "";
        const QString denied = "Permission denied (";
        QTest::newRow("read-only file") << d << ReadOnlyFile << "M"
                                        << "m" << QByteArray() << denied;
        QTest::newRow("file of another user") << d << OtherUsersFile << "M"
                                              << "m" << QByteArray() << denied;
        QTest::newRow("read-only folder") << d << ReadOnlyFolder << "M"
                                          << "m" << QByteArray() << denied;
        QTest::newRow("disk full") << d << DiskFull << "M"
                                   << "m" << QByteArray() << "File too large (";
    }

    void saveLink() {
        QFETCH(QByteArray, before);
        QFETCH(Fault, fault);
        QFETCH(QString, title);
        QFETCH(QString, address);
        QFETCH(QByteArray, after);
        QFETCH(QString, error);
        const QString folder = dir.filePath("save");
        const QString file = folder + "/config.ini";
        QDir(folder).removeRecursively();
        if (!before.isNull()) {
            QVERIFY(QDir().mkpath(folder));
            put(file, before);
        }
        if (fault == KilledSave) {
            put(file + ".saving", QByteArray(1 << 20, 'k'));
            put(file + ".lock", "");
        }
        if (fault == ReadOnlyFile)
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
        if (fault == OtherUsersFile && chown(QFile::encodeName(file).constData(), 65534, 65534))
            QSKIP("only root can give a file away");
        if (fault == ReadOnlyFolder)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        std::optional<PermissionBitsApply> bits;
        std::optional<FileSizeLimit> full;
        if ((fault == ReadOnlyFolder || fault == OtherUsersFile) && !bits.emplace().ok())
            QSKIP("cannot make permission bits apply to this process");
        if (fault == DiskFull)
            full.emplace(rlim_t(before.size() / 2));

        QString reason;
        const bool saved =
            LinkStore::writeValues(file, LinkStore::configSection,
                                   {{"No3T", title}, {"No3A", address}, {"No3S", "URL"}}, &reason);
        full.reset();
        bits.reset();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(saved, error.isEmpty());
        QVERIFY2(saved || (reason.startsWith(error) && reason.contains(folder)),
                 qPrintable(reason));
        QCOMPARE(get(file), after.isNull() ? before : after);
        QCOMPARE(LinkStore::readValue(file, LinkStore::configSection, "No3A", "x"),
                 saved ? address : "none");
        QCOMPARE(LinkStore::readValue(file, LinkStore::configSection, "No3T", "x"),
                 saved ? title : "[none]");
        QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        files.removeOne("config.ini.lock");
        QCOMPARE(files, QStringList{"config.ini"});
    }

    // The rules of the XDG base directories: never a path relative to the working folder.
    void configFileLocation_data() {
        QTest::addColumn<QByteArray>("configHome"); // XDG_CONFIG_HOME; null: unset
        QTest::addColumn<QByteArray>("home");       // HOME; null: unset
        QTest::addColumn<QString>("expected");      // empty: no place for the file
        const QString inHome = "/h/.config/tempivo/config.ini";
        QTest::newRow("absolute") << QByteArray("/x/") << QByteArray("/h")
                                  << "/x/tempivo/config.ini";
        QTest::newRow("empty") << QByteArray("") << QByteArray("/h") << inHome;
        QTest::newRow("relative, ignored") << QByteArray("cfg") << QByteArray("/h") << inHome;
        QTest::newRow("no HOME") << QByteArray("/x") << QByteArray() << "/x/tempivo/config.ini";
        QTest::newRow("neither") << QByteArray() << QByteArray() << QString();
        QTest::newRow("relative HOME") << QByteArray("cfg") << QByteArray("h") << QString();
    }

    void configFileLocation() {
        QFETCH(QByteArray, configHome);
        QFETCH(QByteArray, home);
        QFETCH(QString, expected);
        const QByteArray saved[2] = {qgetenv("XDG_CONFIG_HOME"), qgetenv("HOME")};
        auto set = [](const QByteArray& xdg, const QByteArray& homeDir) {
            xdg.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", xdg);
            homeDir.isNull() ? qunsetenv("HOME") : qputenv("HOME", homeDir);
        };
        set(configHome, home);
        QStandardPaths::setTestModeEnabled(false);
        const QString path = LinkStore::configFilePath();
        QStandardPaths::setTestModeEnabled(true);
        set(saved[0], saved[1]);
        QCOMPARE(path, expected);
    }
};

QTEST_GUILESS_MAIN(TestLinkStore)
#include "tst_link_store.moc"
