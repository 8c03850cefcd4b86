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

#include <sys/wait.h>
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

    // A folder of its own, emptied for each case.
    QString saveFolder() const { return dir.filePath("save"); }

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
        QCOMPARE(LinkStore::keyName(1, 'T'), QString("No1T"));
        QCOMPARE(LinkStore::keyName(10, 'S'), QString("No10S"));
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
            QCOMPARE(LinkStore::ReadIni(file, s, LinkStore::keyName(slot, 'T'), "x"), "[none]");
            QCOMPARE(LinkStore::ReadIni(file, s, LinkStore::keyName(slot, 'A'), "x"), "none");
            QCOMPARE(LinkStore::ReadIni(file, s, LinkStore::keyName(slot, 'S'), "x"),
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

    void hiddenFileGetsTheDefaultsAppended() {
        const QString file = dir.filePath(".hidden.ini");
        put(file, "x=1");
        QVERIFY(LinkStore::writeDefaultFile(file, nullptr));
        QCOMPARE(get(file), "x=1" + defaultText);
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
        QTest::newRow("hidden file") << ".plain.ini" << false;
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
            put(base + "/.plain.ini", "");
            QVERIFY(QFile::link("plain.ini", base + "/link.ini"));
            QVERIFY(QFile::link("gone.ini", base + "/dangling.ini"));
        }
        QCOMPARE(LinkStore::isNormalFile(base + "/" + name), expected);
    }

    void writeIniTurnsLineBreaksIntoBlanks() {
        const QString file = dir.filePath("breaks.ini");
        put(file, "[Configuration]\r\nNo3T=\"[none]\"\r\nNo3A=\"none\"\r\n");
        LinkStore::WriteIni(file, "Configuration", "No3T", "a\r\nb\rc\nd");
        QCOMPARE(get(file), QByteArray("[Configuration]\r\nNo3T=a  b c d\r\nNo3A=\"none\"\r\n"));
        QCOMPARE(LinkStore::ReadIni(file, "Configuration", "No3T", "x"), QString("a  b c d"));
    }

    void writeIniOnAReadOnlyFileChangesNothing() {
        const QString file = dir.filePath("readonly.ini");
        put(file, defaultText);
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
        LinkStore::WriteIni(file, "Configuration", "No1T", "changed");
        QCOMPARE(get(file), defaultText);
        QCOMPARE(LinkStore::ReadIni(file, "Configuration", "No1T", "x"), QString("[none]"));
    }

    void savedLinkReadsBack() {
        const QString file = dir.filePath("saved.ini");
        QVERIFY(LinkStore::writeDefaultFile(file, nullptr));
        const QString longAddress = "https://example.org/" + QString(280, 'p');
        LinkStore::WriteIni(file, "Configuration", "No10T", "  Mail  ");
        LinkStore::WriteIni(file, "Configuration", "No10A", longAddress);
        LinkStore::WriteIni(file, "Configuration", "No10S", "URL");
        QCOMPARE(LinkStore::ReadIni(file, "Configuration", "No10T", "x"), QString("  Mail  "));
        QCOMPARE(LinkStore::ReadIni(file, "Configuration", "No10A", "x"), longAddress.first(254));
        QCOMPARE(LinkStore::ReadIni(file, "Configuration", "No10S", "x"), QString("URL"));
        QCOMPARE(LinkStore::ReadIni(file, "Configuration", "No9S", "x"),
                 QString("Computer program"));
        QVERIFY(get(file).endsWith("No10T=\"  Mail  \"\r\nNo10A=" + longAddress.toUtf8() +
                                   "\r\nNo10S=URL\r\n"));
    }

    // What Save stores is what reads back, or the save fails, says why and changes nothing.
    void saveLink_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file, nor its folder
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>(
            "title"); // null: the title as read, as when only the address changes
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("after"); // null: before, unchanged
        QTest::addColumn<QString>("error");    // the start of the reason, when the save fails

        auto saved = [](const QByteArray& title, const QByteArray& address,
                        const QByteArray& from = defaultText) {
            QByteArray text = from;
            const qsizetype t = text.indexOf("No3T=");
            text.replace(t, text.indexOf("\r\nNo4T=") - t,
                         "No3T=" + title + "\r\nNo3A=" + address + "\r\nNo3S=Computer program");
            return text;
        };
        auto row = [](const char* name, const QByteArray& before, Fault fault, const QString& title,
                      const QString& address, const QByteArray& after, const QString& error) {
            QTest::newRow(name) << before << fault << title << address << after << error;
        };
        const QString caf = QString::fromUtf8("Caf\u00E9");
        const QString quoted = QStringLiteral("\"/opt/my tools/run\" \"a b\"");
        const QString full = "/" + QString(252, 'a') + " ";

        row("plain values as they are", defaultText, None, "Mail", "xterm -e \"top\"",
            saved("Mail", "xterm -e \"top\""), {});
        row("quoted command line", defaultText, None, "Run", quoted,
            saved("Run", '"' + quoted.toUtf8() + '"'), {});
        row("blanks around a title", defaultText, None, " \tMail ", "x", saved("\" \tMail \"", "x"),
            {});
        row("single quotes", defaultText, None, "'x'", "'y\"", saved("\"'x'\"", "'y\""), {});
        row("254 characters and the quotes", defaultText, None, "T", full,
            saved("T", '"' + full.toUtf8() + '"'), {});
        row("Windows-1252 title saved as UTF-8", saved("Caf\xE9", "a"), None, {}, "b",
            saved(caf.toUtf8(), "b"), {});
        row("no file: the default links first", {}, None, "Mail", "m", saved("Mail", "m"), {});
        row("left-overs of a killed save", defaultText, KilledSave, "Mail", "m", saved("Mail", "m"),
            {});
        row("read-only file", defaultText, ReadOnlyFile, "Mail", "m", {}, "Permission denied (");
        row("file of another user", defaultText, OtherUsersFile, "Mail", "m", {},
            "Permission denied (");
        row("read-only folder", defaultText, ReadOnlyFolder, "Mail", "m", {},
            "Permission denied (");
        row("disk full", defaultText, DiskFull, "Mail", "m", {}, "File too large (");
    }

    void saveLink() {
        QFETCH(QByteArray, before);
        QFETCH(Fault, fault);
        QFETCH(QString, title);
        QFETCH(QString, address);
        QFETCH(QByteArray, after);
        QFETCH(QString, error);

        QDir(saveFolder()).removeRecursively();
        const QString file = saveFolder() + "/config.ini";
        const QString section = LinkStore::configSection;
        if (!before.isNull()) {
            QVERIFY(QDir().mkpath(saveFolder()));
            put(file, before);
        }
        if (title.isNull())
            title = LinkStore::ReadIni(file, section, "No3T", "x");
        if (fault == KilledSave) {
            put(file + ".saving", QByteArray(1 << 20, 'k'));
            put(file + ".lock", "");
        }
        if (fault == ReadOnlyFile)
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
        if (fault == OtherUsersFile) {
            if (geteuid() != 0)
                QSKIP("only root can give a file away");
            QCOMPARE(chown(QFile::encodeName(file).constData(), 65534, 65534), 0);
        }
        if (fault == ReadOnlyFolder)
            QVERIFY(QFile::setPermissions(saveFolder(), QFile::ReadOwner | QFile::ExeOwner));
        std::optional<PermissionBitsApply> bits;
        if (fault == ReadOnlyFolder || fault == OtherUsersFile) {
            bits.emplace();
            if (!bits->ok())
                QSKIP("cannot make permission bits apply to this process");
        }

        QString reason;
        bool saved = false;
        {
            std::optional<FileSizeLimit> full;
            if (fault == DiskFull)
                full.emplace(rlim_t(before.size() / 2));
            saved = LinkStore::WriteIniKeys(
                file, section, {{"No3T", title}, {"No3A", address}, {"No3S", "Computer program"}},
                &reason);
        }
        bits.reset();
        QFile::setPermissions(saveFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(saved, error.isEmpty());
        if (!saved)
            QVERIFY2(reason.startsWith(error) && reason.contains(saveFolder()), qPrintable(reason));
        QCOMPARE(get(file), after.isNull() ? before : after);
        if (saved) {
            QCOMPARE(LinkStore::ReadIni(file, section, "No3T", "x"), title);
            QCOMPARE(LinkStore::ReadIni(file, section, "No3A", "x"), address);
        }
        QStringList others = QDir(saveFolder()).entryList(QDir::Files | QDir::Hidden);
        others.removeOne("config.ini");
        others.removeOne("config.ini.lock");
        QCOMPARE(others, QStringList());
    }

    // Followed by the rules of the XDG base directories, not relative to the working folder.
    void configFileLocation_data() {
        QTest::addColumn<QByteArray>("configHome"); // XDG_CONFIG_HOME; null: unset
        QTest::addColumn<QByteArray>("home");       // HOME; null: unset
        QTest::addColumn<QString>("expected");      // empty: no place for the file
        QTest::newRow("XDG_CONFIG_HOME")
            << QByteArray("/x/cfg/") << QByteArray("/h") << "/x/cfg/tempivo/config.ini";
        QTest::newRow("empty XDG_CONFIG_HOME")
            << QByteArray("") << QByteArray("/h") << "/h/.config/tempivo/config.ini";
        QTest::newRow("relative XDG_CONFIG_HOME ignored")
            << QByteArray("cfg") << QByteArray("/h") << "/h/.config/tempivo/config.ini";
        QTest::newRow("no HOME, XDG_CONFIG_HOME")
            << QByteArray("/x/cfg") << QByteArray() << "/x/cfg/tempivo/config.ini";
        QTest::newRow("no HOME") << QByteArray() << QByteArray() << QString();
        QTest::newRow("relative HOME") << QByteArray("cfg") << QByteArray("h") << QString();
    }

    void configFileLocation() {
        QFETCH(QByteArray, configHome);
        QFETCH(QByteArray, home);
        QFETCH(QString, expected);
        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
        auto set = [](const char* name, const QByteArray& value) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        };
        set("XDG_CONFIG_HOME", configHome);
        set("HOME", home);
        QStandardPaths::setTestModeEnabled(false);
        const QString path = LinkStore::configFilePath();
        QStandardPaths::setTestModeEnabled(true);
        set("XDG_CONFIG_HOME", savedConfigHome);
        set("HOME", savedHome);

        QCOMPARE(path, expected);
        if (path.isEmpty()) {
            QString reason;
            QVERIFY(!LinkStore::writeDefaultFile(path, &reason));
            QVERIFY(reason.contains("HOME"));
            QVERIFY(!LinkStore::WriteIniKeys(path, LinkStore::configSection, {{"No1T", "x"}}));
            QCOMPARE(LinkStore::ReadIni(path, LinkStore::configSection, "No1T", "[inside error]"),
                     "[inside error]");
        }
    }

    // Two processes writing different keys at the same time: every write lands.
    void twoProcessesWriteAtOnce() {
        const QString file = dir.filePath("shared.ini");
        put(file, defaultText);
        constexpr int writes = 100;
        pid_t children[2];
        for (int child = 0; child < 2; ++child) {
            children[child] = fork();
            QVERIFY(children[child] >= 0);
            if (children[child] == 0) {
                for (int n = 0; n < writes; ++n) {
                    const QString key = QString("P%1K%2").arg(child).arg(n);
                    if (!LinkStore::WriteIniKeys(file, LinkStore::configSection, {{key, key}}))
                        _exit(1);
                }
                _exit(0);
            }
        }
        for (const pid_t child : children) {
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        int missing = 0;
        for (int child = 0; child < 2; ++child) {
            for (int n = 0; n < writes; ++n) {
                const QString key = QString("P%1K%2").arg(child).arg(n);
                missing += LinkStore::ReadIni(file, LinkStore::configSection, key, "-") != key;
            }
        }
        QCOMPARE(missing, 0);
    }
};

QTEST_GUILESS_MAIN(TestLinkStore)
#include "tst_link_store.moc"
