#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

// Why the folder is no place for the lock, or empty when it is one: a folder (not a symlink)
// of user's that no one else may enter. A folder of user's open to others is closed when
// mayClose, as for the one Tempivo makes itself.
QString unusableFolder(const QByteArray& path, uid_t user, bool mayClose) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat status {};
    QString problem;
    if (::fstat(fd, &status) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    else if (status.st_uid != user)
        problem = QStringLiteral("owned by another user");
    else if ((status.st_mode & 077) != 0 && !(mayClose && ::fchmod(fd, 0700) == 0))
        problem = QStringLiteral("open to other users");
    ::close(fd);
    return problem;
}

void warn(const QString& text) {
    std::fprintf(stderr, "tempivo: %s; starting without the check for a running clock\n",
                 qPrintable(text));
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
    if (m_lock >= 0)
        ::close(m_lock);
}

QString SingleInstance::runtimeFolder(const QByteArray& runtimeDir, const QString& cacheHome,
                                      uid_t user, QString* whyNot) {
    // The XDG rules: a relative path is to be ignored, and the folder must be the user's alone.
    QString problem;
    if (runtimeDir.startsWith('/')) {
        problem = unusableFolder(runtimeDir, user, false);
        if (problem.isEmpty())
            return QFile::decodeName(runtimeDir);
        problem =
            QStringLiteral("XDG_RUNTIME_DIR %1: %2; ").arg(QFile::decodeName(runtimeDir), problem);
    }
    if (!QDir::isAbsolutePath(cacheHome)) {
        *whyNot =
            problem + QStringLiteral("no folder of the user's own (HOME is no absolute path)");
        return {};
    }
    // Named after the machine: a home folder shared over the network serves several.
    const QString parent = QDir::cleanPath(cacheHome + QStringLiteral("/tempivo"));
    const QString folder = parent + QStringLiteral("/runtime-") + QSysInfo::machineHostName();
    QDir().mkpath(parent);
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    const QString fallbackProblem = unusableFolder(QFile::encodeName(folder), user, true);
    if (fallbackProblem.isEmpty())
        return folder;
    *whyNot = problem + QStringLiteral("%1: %2").arg(folder, fallbackProblem);
    return {};
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
    const QString home = qEnvironmentVariable("HOME");
    QString cacheHome = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cacheHome))
        cacheHome = QDir::isAbsolutePath(home) ? home + QStringLiteral("/.cache") : QString();
    QString problem;
    const QString folder =
        runtimeFolder(qgetenv("XDG_RUNTIME_DIR"), cacheHome, ::geteuid(), &problem);
    if (folder.isEmpty()) {
        warn(problem);
        return true;
    }
    const QString base = folder + QLatin1String("/tempivo-") + m_key;
    m_socketPath = QFile::encodeName(base + QLatin1String(".socket"));
    const QString lockPath = base + QLatin1String(".lock");
    // Whatever the file holds, only a living holder's lock counts; a FIFO or a link there is
    // no lock file.
    m_lock = ::open(QFile::encodeName(lockPath).constData(),
                    O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    QString lockProblem;
    struct stat status {};
    if (m_lock < 0)
        lockProblem = QString::fromLocal8Bit(std::strerror(errno));
    else if (::fstat(m_lock, &status) != 0 || !S_ISREG(status.st_mode))
        lockProblem = QStringLiteral("not a regular file");
    if (!lockProblem.isEmpty()) {
        warn(QStringLiteral("cannot use the lock file %1 (%2)").arg(lockPath, lockProblem));
        return true;
    }
    // The running clock listens right after taking the lock, and one that is ending lets go of
    // it: ask again for a moment.
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0) {
            listen();
            return true;
        }
        if (errno != EWOULDBLOCK) {
            warn(QStringLiteral("cannot lock %1 (%2)")
                     .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno))));
            return true;
        }
        if (knock())
            return false;
        QThread::msleep(50);
    }
    std::fprintf(stderr, "tempivo: the clock that holds %s does not answer\n",
                 qPrintable(lockPath));
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
