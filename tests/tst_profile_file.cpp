#include "TestFiles.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestProfileFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString path(const QString& name = QStringLiteral("config.ini")) const {
        return dir.filePath(name);
    }
    static void put(const QString& file, const QByteArray& bytes) { TestFiles::put(file, bytes); }
    static QByteArray get(const QString& file) { return TestFiles::get(file); }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QFile::remove(path());
    }

    void read_data() {
        QTest::addColumn<QByteArray>("content"); // a null array: no file at all
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("defaultValue");
        QTest::addColumn<QString>("expected");

        const QString s = QStringLiteral("Configuration");
        const QString k = QStringLiteral("No1T");
        const QString d = QStringLiteral("dflt");
        const QByteArray h = "[Configuration]\r\n";

        QTest::newRow("no file, default loses trailing blanks")
            << QByteArray() << s << k << "dflt   " << d;
        QTest::newRow("default keeps leading blanks") << QByteArray() << s << k << "  d  "
                                                      << "  d";
        QTest::newRow("missing section") << QByteArray("[Other]\r\nNo1T=x\r\n") << s << k << d << d;
        QTest::newRow("missing key") << h + "No2T=x\r\n" << s << k << d << d;
        QTest::newRow("empty file") << QByteArray("") << s << k << d << d;

        QTest::newRow("names ignore letter case")
            << QByteArray("[CONFIGURATION]\r\nno1t=x\r\n") << s << k << d << "x";
        QTest::newRow("caller's names ignore letter case") << h + "No1T=x\r\n"
                                                           << "configuration"
                                                           << "NO1T" << d << "x";
        QTest::newRow("blanks and tabs around names and =")
            << QByteArray(" \t[ \tConfiguration\t ]\r\n \tNo1T \t= \tx\t \r\n") << s << k << d
            << "x";
        QTest::newRow("blank inside a key name must match") << h + "No 1T=x\r\n"
                                                            << s << k << d << d;
        QTest::newRow("blank inside a section name must match")
            << QByteArray("[Config uration]\r\nNo1T=x\r\n") << s << k << d << d;
        QTest::newRow("section name runs to the last ]")
            << QByteArray("[a]b] tail\r\nNo1T=x\r\n") << "a]b" << k << d << "x";
        QTest::newRow("text after ] is ignored")
            << QByteArray("[Configuration] ; note\r\nNo1T=x\r\n") << s << k << d << "x";
        QTest::newRow("[ without ] is no header")
            << QByteArray("[Other]\r\n[Configuration\r\nNo1T=x\r\n") << s << k << d << d;
        QTest::newRow("keys before the first header belong to no section")
            << "No1T=x\r\n" + h << s << k << d << d;

        QTest::newRow("value after the first =") << h + "No1T=b=c\r\n" << s << k << d << "b=c";
        QTest::newRow("double quotes removed") << h + "No1T=\"x y\"\r\n" << s << k << d << "x y";
        QTest::newRow("single quotes removed") << h + "No1T='x'\r\n" << s << k << d << "x";
        QTest::newRow("quotes removed once") << h + "No1T=\"\"x\"\"\r\n" << s << k << d << "\"x\"";
        QTest::newRow("blanks inside quotes stay") << h + "No1T=  \" x \"  \r\n"
                                                   << s << k << d << " x ";
        QTest::newRow("mismatched quotes stay") << h + "No1T=\"x'\r\n" << s << k << d << "\"x'";
        QTest::newRow("lone opening quote stays") << h + "No1T=\"x\r\n" << s << k << d << "\"x";
        QTest::newRow("lone quote character stays") << h + "No1T=\"\r\n" << s << k << d << "\"";
        QTest::newRow("inner quotes stay") << h + "No1T=a\"b\"c\r\n" << s << k << d << "a\"b\"c";
        QTest::newRow("empty quotes give empty") << h + "No1T=\"\"\r\n" << s << k << d << "";

        QTest::newRow("nothing after =") << h + "No1T=\r\n" << s << k << d << "";
        QTest::newRow("only blanks after =") << h + "No1T=   \r\n" << s << k << d << "";

        QTest::newRow("300 characters cut to 254") << h + "No1T=" + QByteArray(300, 'v') + "\r\n"
                                                   << s << k << d << QString(254, 'v');
        QTest::newRow("254 counts characters, not bytes")
            << h + "No1T=" + QString(300, QChar(0xE9)).toUtf8() << s << k << d
            << QString(254, QChar(0xE9));
        const QString smiles = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(300);
        QTest::newRow("a character outside the BMP counts once and is never cut in half")
            << h + "No1T=a" + smiles.toUtf8() << s << k << d << "a" + smiles.first(2 * 253);
        QTest::newRow("long default cut too")
            << QByteArray() << s << k << QString(260, 'd') << QString(254, 'd');

        QTest::newRow("first of two equal keys") << h + "No1T=first\r\nno1t=second\r\n"
                                                 << s << k << d << "first";
        QTest::newRow("only the first of two equal sections counts")
            << h + "No2T=x\r\n[configuration]\r\nNo1T=second\r\n"
            << s << k << d << d;

        QTest::newRow("comment is never a key") << h + ";No1T=x\r\n" << s << k << d << d;
        QTest::newRow("indented comment") << h + " \t;No1T=x\r\nNo1T=y\r\n" << s << k << d << "y";
        QTest::newRow("blank lines ignored")
            << QByteArray("\r\n\r\n[Configuration]\r\n\r\n  \r\nNo1T=x\r\n") << s << k << d << "x";
        QTest::newRow("LF line ends")
            << QByteArray("[Configuration]\nNo2T=y\nNo1T=x\n") << s << k << d << "x";
        QTest::newRow("lone CR line ends")
            << QByteArray("[Configuration]\rNo2T=y\rNo1T=x\r") << s << k << d << "x";
        QTest::newRow("no final line break") << h + "No1T=x" << s << k << d << "x";
        QTest::newRow("NUL ends the content")
            << h + QByteArray("No1T=ab\0cd\r\n", 13) << s << k << d << "ab";
        QTest::newRow("NUL before = leaves no key")
            << h + QByteArray("No1T\0=x\r\n", 9) << s << k << d << d;
        QTest::newRow("UTF-8 byte order mark") << "\xEF\xBB\xBF" + h + "No1T=x\r\n"
                                               << s << k << d << "x";
        QTest::newRow("UTF-8 text") << h + "No1T=Gr\xC3\xBC\xC3\x9F"
                                           "e\r\n"
                                    << s << k << d << QString::fromUtf8("Grüße");
        QTest::newRow("not UTF-8: Windows-1252")
            << h + "No1T=Caf\xE9 \x80\x93x\x94 \x81\r\n"
            << s << k << d << QString::fromUtf8("Café €“x” \u0081");
        QTest::newRow("one stray byte makes the whole value Windows-1252")
            << h + "No1T=Gr\xC3\xBC\xDF\r\n"
            << s << k << d << QString::fromUtf8("GrÃ¼ß");
    }

    void read() {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, defaultValue);
        QFETCH(QString, expected);
        if (!content.isNull())
            put(path(), content);
        QCOMPARE(ProfileFile::read(path(), section, key, defaultValue), expected);
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before"); // a null array: no file at all
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QString s = QStringLiteral("Configuration");
        const QString k = QStringLiteral("No1T");

        QTest::newRow("missing file created")
            << QByteArray() << s << k << "v" << QByteArray("[Configuration]\r\nNo1T=v\r\n");
        QTest::newRow("empty file")
            << QByteArray("") << s << k << "v" << QByteArray("[Configuration]\r\nNo1T=v\r\n");
        QTest::newRow("missing section appended")
            << QByteArray("; c\r\n[Other]\nx=1\n") << s << k << "v"
            << QByteArray("; c\r\n[Other]\nx=1\n[Configuration]\r\nNo1T=v\r\n");
        QTest::newRow("missing section after a last line without break")
            << QByteArray("[Other]\r\nx=1") << s << k << "v"
            << QByteArray("[Other]\r\nx=1\r\n[Configuration]\r\nNo1T=v\r\n");

        QTest::newRow("existing key, every other byte kept")
            << QByteArray(
                   "; top\r\n\r\n[configuration]\r\n \tno1t = \"old\"  \r\nNo2T = y\n\n;c\r\n")
            << s << k << "new"
            << QByteArray("; top\r\n\r\n[configuration]\r\nno1t=new\r\nNo2T = y\n\n;c\r\n");
        QTest::newRow("replaced line keeps its LF")
            << QByteArray("[Configuration]\nNo1T=a\nx=b\n") << s << k << "z"
            << QByteArray("[Configuration]\nNo1T=z\nx=b\n");
        QTest::newRow("replaced line keeps its lone CR")
            << QByteArray("[Configuration]\rNo1T=a\rx=b") << s << k << "z"
            << QByteArray("[Configuration]\rNo1T=z\rx=b");
        QTest::newRow("replaced last line gets a line break")
            << QByteArray("[Configuration]\r\nNo1T=a") << s << k << "z"
            << QByteArray("[Configuration]\r\nNo1T=z\r\n");
        QTest::newRow("quoted value replaced unquoted")
            << QByteArray("[Configuration]\r\nNo1T=\"[none]\"\r\n") << s << k << "[none]"
            << QByteArray("[Configuration]\r\nNo1T=[none]\r\n");
        QTest::newRow("same value leaves the file untouched")
            << QByteArray("[Configuration]\n  No1T  =  same \t") << s << k << "same"
            << QByteArray("[Configuration]\n  No1T  =  same \t");
        QTest::newRow("first of two equal keys replaced")
            << QByteArray("[Configuration]\r\nNo1T=a\r\nNo1T=b\r\n") << s << k << "z"
            << QByteArray("[Configuration]\r\nNo1T=z\r\nNo1T=b\r\n");
        QTest::newRow("NUL line replaced whole")
            << QByteArray("[Configuration]\r\nNo1T=a\0junk\r\n", 30) << s << k << "z"
            << QByteArray("[Configuration]\r\nNo1T=z\r\n");

        QTest::newRow("new key after the section's last key")
            << QByteArray("[Configuration]\r\nNo2T=a\r\n\r\n; c\r\n[Other]\r\nx=1\r\n") << s << k
            << "v"
            << QByteArray("[Configuration]\r\nNo2T=a\r\nNo1T=v\r\n\r\n; c\r\n[Other]\r\nx=1\r\n");
        QTest::newRow("new key after a comment between keys")
            << QByteArray("[Configuration]\nA=1\n;c\nB=2\n\n") << s << k << "v"
            << QByteArray("[Configuration]\nA=1\n;c\nB=2\nNo1T=v\r\n\n");
        QTest::newRow("new key in an empty section")
            << QByteArray("[Configuration]\r\n\r\n[Other]\r\n") << s << k << "v"
            << QByteArray("[Configuration]\r\nNo1T=v\r\n\r\n[Other]\r\n");
        QTest::newRow("new key after a header without break")
            << QByteArray("[Configuration]") << s << k << "v"
            << QByteArray("[Configuration]\r\nNo1T=v\r\n");
        QTest::newRow("new key after a last key without break")
            << QByteArray("[Configuration]\r\nA=1") << s << k << "v"
            << QByteArray("[Configuration]\r\nA=1\r\nNo1T=v\r\n");
        QTest::newRow("new key goes to the first of two equal sections")
            << QByteArray("[Configuration]\r\nA=1\r\n[Configuration]\r\nNo1T=x\r\n") << s << k
            << "v"
            << QByteArray("[Configuration]\r\nA=1\r\nNo1T=v\r\n[Configuration]\r\nNo1T=x\r\n");
        QTest::newRow("key before the first header is not the section's")
            << QByteArray("No1T=x\r\n[Configuration]\r\n") << s << k << "v"
            << QByteArray("No1T=x\r\n[Configuration]\r\nNo1T=v\r\n");
        QTest::newRow("byte order mark kept")
            << QByteArray("\xEF\xBB\xBFNo1T=x\r\n[Configuration]\r\nNo1T=a\r\n") << s << k << "b"
            << QByteArray("\xEF\xBB\xBFNo1T=x\r\n[Configuration]\r\nNo1T=b\r\n");

        QTest::newRow("value written as it is")
            << QByteArray("[Configuration]\r\n") << s << k << "  \"q\" = 'x"
            << QByteArray("[Configuration]\r\nNo1T=  \"q\" = 'x\r\n");
        QTest::newRow("empty value") << QByteArray("[Configuration]\r\nNo1T=a\r\n") << s << k << ""
                                     << QByteArray("[Configuration]\r\nNo1T=\r\n");
        QTest::newRow("UTF-8 value") << QByteArray() << s << k << QString::fromUtf8("Grüße")
                                     << QByteArray("[Configuration]\r\nNo1T=Gr\xC3\xBC\xC3\x9F"
                                                   "e\r\n");
    }

    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            put(path(), before);
        QVERIFY(ProfileFile::write(path(), section, key, value));
        QCOMPARE(get(path()), after);
    }

    // Names or values that could not be read back would corrupt the file; they are refused.
    void writeRefusesWhatCannotBeReadBack_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("empty key") << "Configuration"
                                   << ""
                                   << "v";
        QTest::newRow("empty section") << " "
                                       << "No1T"
                                       << "v";
        QTest::newRow("line break in key") << "Configuration"
                                           << "No1T\r\n[X]"
                                           << "v";
        QTest::newRow("line break in section") << "Configuration]\n[X"
                                               << "No1T"
                                               << "v";
        QTest::newRow("= in key") << "Configuration"
                                  << "a=b"
                                  << "v";
        QTest::newRow("key like a comment") << "Configuration"
                                            << ";No1T"
                                            << "v";
        QTest::newRow("key like a header") << "Configuration"
                                           << "[No1T]"
                                           << "v";
        QTest::newRow("line break in value") << "Configuration"
                                             << "No1T"
                                             << "a\nNo2T=b";
    }

    void writeRefusesWhatCannotBeReadBack() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before = "[Configuration]\r\nNo1T=a\r\n";
        put(path(), before);
        QVERIFY(!ProfileFile::write(path(), section, key, value));
        QCOMPARE(get(path()), before);
    }

    void readOnlyFileKeepsItsBytes() {
        const QByteArray before = "[Configuration]\r\nNo1T=a\r\n";
        put(path(), before);
        QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(!ProfileFile::write(path(), "Configuration", "No1T", "b"));
        QVERIFY(!ProfileFile::write(path(), "Configuration", "No2T", "b"));
        QCOMPARE(get(path()), before);
        QCOMPARE(ProfileFile::read(path(), "Configuration", "No1T", "d"), QString("a"));
    }

    void unreadableFileIsNotReplaced() {
        if (geteuid() == 0)
            QSKIP("root reads any file");
        const QByteArray before = "[Configuration]\r\nNo1T=a\r\n";
        put(path(), before);
        QVERIFY(QFile::setPermissions(path(), QFileDevice::WriteOwner));
        QVERIFY(!ProfileFile::write(path(), "Configuration", "No2T", "b"));
        QVERIFY(QFile::setPermissions(path(), QFileDevice::WriteOwner | QFileDevice::ReadOwner));
        QCOMPARE(get(path()), before);
    }

    void permissionsKept() {
        put(path(), "[Configuration]\r\nNo1T=a\r\n");
        const auto permissions =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(path(), permissions));
        QVERIFY(ProfileFile::write(path(), "Configuration", "No1T", "b"));
        QCOMPARE(get(path()), QByteArray("[Configuration]\r\nNo1T=b\r\n"));
        QCOMPARE(QFile::permissions(path()) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 permissions);
    }

    void symlinkStaysALink() {
        QVERIFY(QDir(dir.path()).mkpath("real"));
        const QString target = dir.filePath("real/settings.ini");
        put(target, "[Configuration]\r\nNo1T=a\r\n");
        QVERIFY(QFile::link("real/settings.ini", path()));
        QVERIFY(ProfileFile::write(path(), "Configuration", "No1T", "b"));
        QVERIFY(QFileInfo(path()).isSymLink());
        QCOMPARE(get(target), QByteArray("[Configuration]\r\nNo1T=b\r\n"));
        QCOMPARE(ProfileFile::read(path(), "Configuration", "No1T", "d"), QString("b"));
    }

    void pathIsAFolder() {
        const QString folder = dir.filePath("folder.ini");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!ProfileFile::write(folder, "Configuration", "No1T", "b"));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(ProfileFile::read(folder, "Configuration", "No1T", "d"), QString("d"));
    }

    void missingFolderIsNotCreated() {
        const QString file = dir.filePath("nowhere/config.ini");
        QVERIFY(!ProfileFile::write(file, "Configuration", "No1T", "b"));
        QVERIFY(!QFileInfo::exists(dir.filePath("nowhere")));
    }

    void longValueRoundTrip() {
        const QString value = QString(150, QChar(0x263A)) + QString(150, 'x');
        QVERIFY(ProfileFile::write(path(), "Configuration", "No1T", value));
        QCOMPARE(ProfileFile::read(path(), "Configuration", "No1T", "d"), value.first(254));
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profile_file.moc"
