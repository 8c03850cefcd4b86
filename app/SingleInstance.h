#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <sys/types.h>

class QSocketNotifier;

// One clock per user and display. The first start holds an flock() on a lock file in a folder
// only the user can write and listens on a socket beside it; a later start connects to that
// socket, which asks the running clock to show itself, and ends. The kernel lets go of the lock
// when its holder dies, so neither a crash nor the file's content can keep a clock from starting.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // displayKey: see keyFor().
    explicit SingleInstance(const QString& displayKey, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the clock of its display, or when that cannot be told (no
    // usable folder or lock file: the reason goes to stderr); false when another one runs and
    // was asked to show itself.
    bool claim();

    // A file-name-safe name of the display a Qt platform runs on: ":0", ":0.0" and "unix:0" name
    // the same X display.
    static QString keyFor(const QString& platformName, const QByteArray& display);

    // The folder for the lock and the socket: runtimeDir ($XDG_RUNTIME_DIR) when it is an
    // absolute path to a folder of user's that nobody else may use; else cacheHome's
    // "tempivo/runtime-<host>", made so. Neither may be a symlink. Empty, with the reason in
    // whyNot, when there is no such folder.
    static QString runtimeFolder(const QByteArray& runtimeDir, const QString& cacheHome, uid_t user,
                                 QString* whyNot);

signals:
    void showRequested();

private:
    bool listen();
    bool knock() const;
    void acceptKnocks();

    QString m_key;
    QByteArray m_socketPath;
    int m_lock = -1;
    int m_listener = -1;
    QSocketNotifier* m_notifier = nullptr;
};
