#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void displayKeys();
    void secondClaimAsksTheFirstToShow();
    void runtimeFolders_data();
    void runtimeFolders();
};

void TestSingleInstance::displayKeys() {
    const QString local = SingleInstance::keyFor(QStringLiteral("xcb"), ":0");
    QCOMPARE(local, QStringLiteral("xcb-0"));
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("xcb"), ":0.1"), local);
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("xcb"), "unix:0.0"), local);
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("xcb"), "localhost:10.0"),
             QStringLiteral("xcb-localhost-10"));
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("xcb"), "/tmp/../x:3"),
             QStringLiteral("xcb-_tmp_.._x-3"));
    QCOMPARE(SingleInstance::keyFor(QStringLiteral("offscreen"), ""), QStringLiteral("offscreen"));
}

void TestSingleInstance::secondClaimAsksTheFirstToShow() {
    QTemporaryDir runtime;
    QVERIFY(QFile::setPermissions(runtime.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    SingleInstance first(QStringLiteral("test"));
    QVERIFY(first.claim());
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    SingleInstance second(QStringLiteral("test"));
    QVERIFY(!second.claim());
    QVERIFY(shown.wait(2000));

    // Another display has a clock of its own.
    SingleInstance elsewhere(QStringLiteral("other"));
    QVERIFY(elsewhere.claim());
}

// Only a folder of the user's alone holds the lock: never a relative XDG_RUNTIME_DIR, a link,
// a folder others may write or one of another user.
void TestSingleInstance::runtimeFolders_data() {
    QTest::addColumn<QByteArray>("runtimeDir"); // "run" and "link" lie in the test folder
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("sameUser");
    QTest::addColumn<QString>("chosen"); // "run", "fallback" or empty for none

    QTest::newRow("private") << QByteArray("run") << "" << true << "run";
    QTest::newRow("relative") << QByteArray("relative/run") << "" << true << "fallback";
    QTest::newRow("unset") << QByteArray() << "" << true << "fallback";
    QTest::newRow("open to others") << QByteArray("run") << "open" << true << "fallback";
    QTest::newRow("a link") << QByteArray("link") << "" << true << "fallback";
    QTest::newRow("fallback open to others: closed")
        << QByteArray() << "open fallback" << true << "fallback";
    QTest::newRow("fallback is a link") << QByteArray() << "link fallback" << true << "";
    QTest::newRow("another user's") << QByteArray("run") << "" << false << "";
}

void TestSingleInstance::runtimeFolders() {
    QFETCH(QByteArray, runtimeDir);
    QFETCH(QString, setup);
    QFETCH(bool, sameUser);
    QFETCH(QString, chosen);

    QTemporaryDir base;
    const QString run = base.filePath("run");
    const QString cache = base.filePath("cache");
    const QString fallback = cache + "/tempivo/runtime-" + QSysInfo::machineHostName();
    QVERIFY(QDir().mkpath(run) && QDir().mkpath(cache + "/tempivo"));
    chmod(QFile::encodeName(run), setup == "open" ? 0777 : 0700);
    QVERIFY(QFile::link(run, base.filePath("link")));
    if (setup == "open fallback") {
        QVERIFY(QDir().mkpath(fallback));
        chmod(QFile::encodeName(fallback), 0777);
    }
    if (setup == "link fallback")
        QVERIFY(QFile::link(run, fallback));
    if (runtimeDir == "run" || runtimeDir == "link")
        runtimeDir = QFile::encodeName(base.filePath(QString::fromLatin1(runtimeDir)));

    QString whyNot;
    const QString folder = SingleInstance::runtimeFolder(
        runtimeDir, cache, sameUser ? geteuid() : geteuid() + 1, &whyNot);
    QCOMPARE(folder, chosen == "run" ? run : chosen == "fallback" ? fallback : QString());
    QCOMPARE(whyNot.isEmpty(), !folder.isEmpty());
    if (!folder.isEmpty()) {
        struct stat status {};
        QCOMPARE(lstat(QFile::encodeName(folder), &status), 0);
        QVERIFY(S_ISDIR(status.st_mode) && (status.st_mode & 077) == 0);
    }
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
