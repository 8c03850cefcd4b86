// The settings file under a full disk and with contents no editor would write: it must never be
// lost or cut, reads and writes must stay correct, and every line a write does not touch keeps
// its bytes.
#include "TestFiles.h"
#include "links/LinkStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString section = QStringLiteral("Configuration");

QByteArray defaultText(const QByteArray& lineEnd = "\r\n") {
    QByteArray text = "[Configuration]" + lineEnd;
    for (int slot = 1; slot <= 10; ++slot) {
        const QByteArray n = QByteArray::number(slot);
        text += "No" + n + "T=\"[none]\"" + lineEnd;
        text += "No" + n + "A=\"none\"" + lineEnd;
        text += "No" + n + "S=\"Computer program\"" + lineEnd;
    }
    return text;
}

using TestFiles::get;
using TestFiles::put;

// True when another process holds the lock on path.
bool lockedElsewhere(const QByteArray& path) {
    const int fd = open(path.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

// Threads and open descriptors of this process.
std::pair<int, int> threadsAndFiles() {
    return {int(QDir(QStringLiteral("/proc/self/task"))
                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                    .size()),
            int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System).size())};
}

// The bytes a write took away lie within one line of before, that line's break included.
bool onlyOneLineChanged(const QByteArray& before, const QByteArray& after) {
    const qsizetype n = before.size();
    const qsizetype m = after.size();
    const char* const b = before.constData();
    const char* const a = after.constData();
    qsizetype prefix = 0;
    while (prefix < n && prefix < m && b[prefix] == a[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix && b[n - 1 - suffix] == a[m - 1 - suffix])
        ++suffix;
    if (n - suffix == prefix)
        return true;
    qsizetype lineEnd = prefix;
    while (lineEnd < n && before[lineEnd] != '\r' && before[lineEnd] != '\n')
        ++lineEnd;
    if (lineEnd < n)
        lineEnd +=
            (before[lineEnd] == '\r' && lineEnd + 1 < n && before[lineEnd + 1] == '\n') ? 2 : 1;
    return n - suffix <= lineEnd;
}

// Lets write() fail with EFBIG past limit bytes instead of killing the process, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit reduced = saved;
        reduced.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &reduced);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
};

} // namespace

class TestSettingsFileFaults : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString path() const { return dir.filePath(QStringLiteral("config.ini")); }

    QStringList leftovers() const {
        QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeOne(QStringLiteral("config.ini"));
        names.removeOne(QStringLiteral("config.ini.lock"));
        return names;
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dir.filePath(name));
    }

    // The lock file: anything but a regular file is refused at once, and a lock held for good
    // gives up after the wait with the event loop running all along and nothing left behind.
    void lockFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("FIFO") << "fifo"
                              << "Not a regular file";
        QTest::newRow("link to a FIFO") << "link to fifo"
                                        << "Not a regular file";
        QTest::newRow("dangling link") << "dangling link"
                                       << "Not a regular file";
        QTest::newRow("folder") << "folder"
                                << "Is a directory";
        QTest::newRow("held by another program") << "held"
                                                 << "Locked by another program";
    }

    void lockFile() {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        const QByteArray lock = QFile::encodeName(path() + ".lock");
        const QByteArray elsewhere = QFile::encodeName(dir.filePath("elsewhere"));
        put(path(), defaultText());
        if (kind.contains("fifo"))
            QCOMPARE(mkfifo(kind == "fifo" ? lock : elsewhere, 0600), 0);
        if (kind.contains("link"))
            QCOMPARE(symlink(elsewhere.constData(), lock.constData()), 0);
        if (kind == "folder")
            QVERIFY(QDir().mkdir(QFile::decodeName(lock)));
        QProcess holder;
        if (kind == "held") {
            holder.start("flock", {QFile::decodeName(lock), "sleep", "30"});
            QVERIFY(holder.waitForStarted());
            QTRY_VERIFY(lockedElsewhere(lock));
        }
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        const auto before = threadsAndFiles();

        QElapsedTimer timer;
        timer.start();
        QString reason;
        QVERIFY(!ProfileFile::update(
            path(), [](const auto&) { return QByteArray("changed"); }, &reason,
            std::chrono::milliseconds(400)));
        QVERIFY2(reason.startsWith(error + " (" + path() + ".lock)"), qPrintable(reason));
        QCOMPARE(threadsAndFiles(), before);
        QCOMPARE(get(path()), defaultText());
        QVERIFY(!QFile::exists(QFile::decodeName(elsewhere)) || kind.contains("fifo"));
        if (kind == "held") {
            QVERIFY2(timer.elapsed() >= 400 && ticks >= 10, qPrintable(QString::number(ticks)));
            holder.kill();
            holder.waitForFinished();
        } else {
            QVERIFY(timer.elapsed() < 400);
        }
        unlink(lock);
        unlink(elsewhere);
        rmdir(lock);
    }

    void diskFullDuringAWrite_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<qint64>("limit"); // bytes any one file may grow to

        const QString longer = QString(300, QLatin1Char('L'));
        const qint64 oldSize = defaultText().size();
        const qint64 grownSize = oldSize - 8 + longer.size(); // "[none]" with its quotes goes
        QTest::newRow("nothing fits") << longer << qint64(0);
        QTest::newRow("one byte fits") << longer << qint64(1);
        QTest::newRow("cut in the first line") << longer << qint64(9);
        QTest::newRow("cut inside the new value") << longer << qint64(100);
        QTest::newRow("one byte short of the old size") << longer << oldSize - 1;
        QTest::newRow("the old size") << longer << oldSize;
        QTest::newRow("one byte short of the new size") << longer << grownSize - 1;
        QTest::newRow("the new size fits exactly") << longer << grownSize;
        QTest::newRow("shrinking write, cut") << QString() << qint64(200);
        QTest::newRow("shrinking write, fits") << QString() << oldSize - 8;
    }

    void diskFullDuringAWrite() {
        QFETCH(QString, value);
        QFETCH(qint64, limit);
        const QByteArray before = defaultText();
        QByteArray expected = before;
        expected.replace("No1T=\"[none]\"", "No1T=" + value.toUtf8());
        put(path(), before);

        {
            const FileSizeLimit full{rlim_t(limit)};
            LinkStore::writeValues(path(), section, {{QStringLiteral("No1T"), value}});
        }

        const QByteArray after = get(path());
        if (limit >= expected.size())
            QCOMPARE(after, expected);
        else
            QCOMPARE(after, before);
        QCOMPARE(leftovers(), QStringList());
        QCOMPARE(LinkStore::readValue(path(), section, QStringLiteral("No2T"), "x"), "[none]");
    }

    void diskFullWhileCreatingTheDefaultFile_data() {
        QTest::addColumn<qint64>("limit");
        const qint64 size = defaultText().size();
        QTest::newRow("nothing fits") << qint64(0);
        QTest::newRow("cut in the middle") << size / 2;
        QTest::newRow("one byte short") << size - 1;
        QTest::newRow("fits exactly") << size;
    }

    void diskFullWhileCreatingTheDefaultFile() {
        QFETCH(qint64, limit);
        QString error;
        bool written = false;
        {
            const FileSizeLimit full{rlim_t(limit)};
            written = LinkStore::writeDefaultFile(path(), &error);
        }
        QCOMPARE(written, limit >= defaultText().size());
        if (written) {
            QCOMPARE(get(path()), defaultText());
        } else {
            QVERIFY(!QFile::exists(path()));
            QVERIFY(!error.isEmpty());
        }
        QCOMPARE(leftovers(), QStringList());
    }

    void oddFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("readKey");
        QTest::addColumn<QString>("expected"); // "dflt" when the key is not found
        QTest::addColumn<QString>("writeKey");

        // A big file in ordinary shape: many sections of short lines.
        QByteArray block;
        for (int n = 0; n < 1000; ++n)
            block += "[Section" + QByteArray::number(n) + "]\r\nkey=value " +
                     QByteArray::number(n) + "\r\n; note\r\nother=\"quoted\"\r\n";
        const QByteArray filler = block.repeated((20 << 20) / block.size() + 1);

        QByteArray garbage(1 << 20, Qt::Uninitialized);
        QRandomGenerator random(20240);
        for (char& c : garbage)
            c = char(random.bounded(256));

        QByteArray thousands;
        for (int n = 0; n < 5000; ++n)
            thousands +=
                "[S" + QByteArray::number(n) + "]\r\nNo1T=s" + QByteArray::number(n) + "\r\n";

        const QByteArray h = "[Configuration]\r\n";
        QTest::newRow("20 MB, settings first") << defaultText() + filler << "No10S"
                                               << "Computer program"
                                               << "No1T";
        QTest::newRow("20 MB, settings last, new key") << filler + defaultText() << "No10S"
                                                       << "Computer program"
                                                       << "No11T";
        QTest::newRow("20 MB of empty lines")
            << QByteArray(10 << 20, '\n') + defaultText() << "No1A"
            << "none"
            << "No1A";
        QTest::newRow("20 MB in one line") << h + "No1T=" + QByteArray(20 << 20, 'x') + "\r\n"
                                           << "No1T" << QString(254, 'x') << "No2T";
        QTest::newRow("binary garbage") << garbage << "No1T"
                                        << "dflt"
                                        << "No1T";
        QTest::newRow("binary garbage, then the settings")
            << garbage + "\n" + defaultText() << "No3S"
            << "Computer program"
            << "No3S";
        QTest::newRow("invalid UTF-8 is Windows-1252")
            << h + "No1T=\xFF\xFE\xC3(\x80\r\nNo2T=\xC0\xAF\r\n"
            << "No1T" << QString::fromUtf8("\u00FF\u00FE\u00C3(\u20AC") << "No2T";
        QTest::newRow("NUL in the middle")
            << h + QByteArray("No1T=ab\0cd\r\nNo2\0T=x\r\nNo3T=y\r\n", 30) << "No1T"
            << "ab"
            << "No3T";
        QTest::newRow("only CR line ends") << defaultText("\r") << "No4A"
                                           << "none"
                                           << "No4A";
        QTest::newRow("no section header") << QByteArray("No1T=x\r\nNo2T=y\r\n") << "No1T"
                                           << "dflt"
                                           << "No1T";
        QTest::newRow("thousands of sections") << thousands + h + "No1T=mine\r\n"
                                               << "No1T"
                                               << "mine"
                                               << "No1T";
        QTest::newRow("100,000-character line")
            << h + "No1T=" + QByteArray(100000, 'v') + "\r\nNo2T=b\r\n"
            << "No1T" << QString(254, 'v') << "No2T";
        QTest::newRow("100,000-character line replaced")
            << h + "No1T=" + QByteArray(100000, 'v') + "\r\nNo2T=b\r\n"
            << "No2T"
            << "b"
            << "No1T";
        QTest::newRow("100,000-character line without =")
            << h + QByteArray(100000, 'w') + "\r\nNo2T=b\r\n"
            << "No2T"
            << "b"
            << "No3T";
    }

    void oddFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QString, readKey);
        QFETCH(QString, expected);
        QFETCH(QString, writeKey);
        put(path(), content);

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(LinkStore::readValue(path(), section, readKey, "dflt"), expected);
        const qint64 readTime = timer.restart();

        const QString written = QStringLiteral("written \"value\"");
        LinkStore::writeValues(path(), section, {{writeKey, written}});
        const qint64 writeTime = timer.elapsed();
        if (readTime + writeTime > 200)
            qInfo("read %lld ms, write %lld ms", readTime, writeTime);

        const QByteArray after = get(path());
        QVERIFY(onlyOneLineChanged(content, after));
        QCOMPARE(LinkStore::readValue(path(), section, writeKey, "dflt"), written);
        if (writeKey.compare(readKey, Qt::CaseInsensitive) != 0)
            QCOMPARE(LinkStore::readValue(path(), section, readKey, "dflt"), expected);
        QCOMPARE(leftovers(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSettingsFileFaults)
#include "tst_settings_file_faults.moc"
