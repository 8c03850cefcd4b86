#include "app/SingleInstance.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void displayKeys();
    void secondClaimAsksTheFirstToShow();
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

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
