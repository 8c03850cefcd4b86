#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QLockFile;
class QSocketNotifier;

// One clock per user and display. The first start holds a lock file in the user's runtime folder
// and listens on a socket beside it; a later start connects to that socket, which asks the
// running clock to show itself, and ends. The lock file names the process that holds it, so one
// left behind by a crash or kill -9 is taken over by the next start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // displayKey: see keyFor().
    explicit SingleInstance(const QString& displayKey, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the clock of its display (or when that cannot be told, as
    // without a runtime folder); false when another one runs and was asked to show itself.
    bool claim();

    // A file-name-safe name of the display a Qt platform runs on: ":0", ":0.0" and "unix:0" name
    // the same X display.
    static QString keyFor(const QString& platformName, const QByteArray& display);

signals:
    void showRequested();

private:
    bool listen();
    bool knock() const;
    void acceptKnocks();

    QString m_key;
    QByteArray m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_listener = -1;
    QSocketNotifier* m_notifier = nullptr;
};
