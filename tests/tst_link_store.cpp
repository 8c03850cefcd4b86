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
};

QTEST_GUILESS_MAIN(TestLinkStore)
#include "tst_link_store.moc"
