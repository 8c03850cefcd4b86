#include "app/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

class TerminationSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void arriveThroughTheEventLoop() {
        TerminationSignals termination;
        QSignalSpy received(&termination, &TerminationSignals::received);
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            std::raise(signalNumber);
            // Nothing happens inside the handler itself.
            QCOMPARE(received.size(), 0);
            QVERIFY(received.wait(2000));
            QCOMPARE(received.takeFirst().at(0).toInt(), signalNumber);
        }
    }
};

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "tst_termination_signals.moc"
