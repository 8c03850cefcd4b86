#include "app/SingleInstance.h"

#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A raw Unix socket rather than QLocalServer: Qt Network would load Kerberos and libproxy at
// every start for one knock.

namespace {

bool toAddress(const QByteArray& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

} // namespace

SingleInstance::SingleInstance(const QString& displayKey, QObject* parent)
    : QObject(parent)
    , m_key(displayKey) {
}

SingleInstance::~SingleInstance() {
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(m_socketPath.constData());
    }
}

QString SingleInstance::keyFor(const QString& platformName, const QByteArray& display) {
    QString name = QString::fromLocal8Bit(display.trimmed());
    const qsizetype colon = name.lastIndexOf(u':');
    if (platformName == QLatin1String("xcb") && colon >= 0) {
        // [host]:number[.screen]; "unix" is the local host.
        QString host = name.left(colon);
        const QString number = name.mid(colon + 1).section(u'.', 0, 0);
        bool isNumber = false;
        number.toUInt(&isNumber);
        if (isNumber) {
            if (host == QLatin1String("unix"))
                host.clear();
            name = host.isEmpty() ? number : host + u'-' + number;
        }
    }
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        const bool safe = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                          (u >= '0' && u <= '9') || u == '.' || u == '_' || u == '-';
        if (!safe)
            c = u'_';
    }
    return name.isEmpty() ? platformName : platformName + u'-' + name;
}

bool SingleInstance::claim() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return true;
    const QString base = folder + QLatin1String("/tempivo-") + m_key;
    m_socketPath = QFile::encodeName(base + QLatin1String(".socket"));
    m_lock = std::make_unique<QLockFile>(base + QLatin1String(".lock"));
    // Only a dead holder makes the lock stale, however long the clock has been running.
    m_lock->setStaleLockTime(0);
    // The running clock listens right after taking the lock, and one that is ending lets go of
    // it: ask again for a moment.
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (m_lock->tryLock(0)) {
            listen();
            return true;
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_lock.reset();
            return true;
        }
        if (knock())
            return false;
        QThread::msleep(50);
    }
    return false;
}

bool SingleInstance::listen() {
    sockaddr_un address;
    if (!toAddress(m_socketPath, address))
        return false;
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0)
        return false;
    // A socket file left by a clock that was killed; the lock says it is gone.
    ::unlink(m_socketPath.constData());
    if (::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptKnocks);
    return true;
}

bool SingleInstance::knock() const {
    sockaddr_un address;
    if (!toAddress(m_socketPath, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answered =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

void SingleInstance::acceptKnocks() {
    bool knocked = false;
    for (int fd; (fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        ::close(fd);
        knocked = true;
    }
    if (knocked)
        emit showRequested();
}
