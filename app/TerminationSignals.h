#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (the session ending) into a Qt signal delivered by the
// event loop, so the program ends between two handlers and never in the middle of one.
// One instance at a time; it restores the default actions when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
