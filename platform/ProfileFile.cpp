#include "ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ProfileFile {
namespace {

using ProfileText::FileText;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool failed(QString* errorText, const QString& reason, const QString& path) {
    if (errorText)
        *errorText = QStringLiteral("%1 (%2)").arg(reason, QDir::toNativeSeparators(path));
    return false;
}

// Waits in the kernel's queue for the lock, which gives each writer its turn where trying again
// now and then loses every time to a writer that saves in a loop. A thread waits there while
// this one goes on with its timers and repaints (not with user input: the click that saves is
// still being answered); at the time limit a signal takes the thread out of flock(). Returns
// 0 or the error, ETIMEDOUT when the time ran out.
int waitForLock(int fd, std::chrono::milliseconds limit) {
    static const int wakeSignal = [] {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: flock() is to return with EINTR.
        ::sigaction(SIGRTMIN, &action, nullptr);
        return SIGRTMIN;
    }();
    std::atomic<bool> done = false;
    std::atomic<bool> givenUp = false;
    int error = 0;
    std::thread waiter([&] {
        int result = 0;
        while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR && !givenUp) {
        }
        error = result == 0 ? 0 : errno;
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    givenUp = true;
    // Sent again until it lands: the first may come before the thread is inside flock().
    while (!done) {
        ::pthread_kill(waiter.native_handle(), wakeSignal);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    waiter.join();
    return error == EINTR ? ETIMEDOUT : error;
}

// An advisory lock on a file of its own beside the settings file: the settings file itself is
// replaced on every write, so a lock on it would be lost with the old file. The kernel drops
// the lock when its holder dies, so one left by a killed process never blocks; the lock file
// stays.
class WriteLock {
public:
    ~WriteLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool lock(const QString& path, std::chrono::milliseconds wait, QString* errorText) {
        // Only a regular file: a FIFO would block open(), a link would make it create the
        // link's target.
        m_fd = ::open(QFile::encodeName(path).constData(),
                      O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        const QString notRegular = QStringLiteral("Not a regular file");
        if (m_fd < 0)
            return failed(errorText, errno == ELOOP ? notRegular : systemError(errno), path);
        struct stat status {};
        if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode))
            return failed(errorText, notRegular, path);
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK)
            return failed(errorText, systemError(errno), path);
        const int error = waitForLock(m_fd, wait);
        if (error == ETIMEDOUT)
            return failed(errorText, QStringLiteral("Locked by another program"), path);
        return error == 0 || failed(errorText, systemError(error), path);
    }

private:
    int m_fd = -1;
};

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

QString temporaryPath(const QString& path) {
    return path + QStringLiteral(".saving");
}

// Writes content to a temporary file beside path and renames it over path.
bool replaceFile(const QString& path, const QByteArray& content, std::optional<mode_t> mode,
                 QString* errorText) {
    const QString temporary = temporaryPath(path);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    const int fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          mode.value_or(0666));
    if (fd < 0)
        return failed(errorText, systemError(errno), temporary);
    // The mode given to open() lost the bits the umask takes away; the file keeps its own.
    int error = 0;
    if ((mode && ::fchmod(fd, *mode) != 0) || !writeAll(fd, content) ||
        // A full disk may show only now, when the data goes to it.
        (::fsync(fd) != 0 && errno != EINVAL))
        error = errno;
    if (::close(fd) != 0 && errno != EINTR && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporaryName.constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    if (error == 0)
        error = errno;
    ::unlink(temporaryName.constData());
    return failed(errorText, systemError(error), path);
}

} // namespace

QString read(const QString& path, const QString& section, const QString& key,
             const QString& defaultValue) {
    std::optional<QByteArray> bytes;
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    return ProfileText::read(bytes, section, key, defaultValue);
}

bool update(const QString& path, const Change& change, QString* errorText,
            std::chrono::milliseconds lockWait) {
    if (path.isEmpty())
        return failed(errorText, QStringLiteral("No file name"), path);
    // The lock is beside the name given, link or not, where scripts look for it.
    WriteLock lock;
    if (!lock.lock(path + QStringLiteral(".lock"), lockWait, errorText))
        return false;
    // Follow a symlink so that the link stays and its target gets the new content.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    // Only the lock's holder writes the temporary file: one found now was left by a killed write.
    ::unlink(QFile::encodeName(temporaryPath(target)).constData());

    const QByteArray targetName = QFile::encodeName(target);
    std::optional<FileText> text;
    std::optional<mode_t> mode;
    struct stat status {};
    if (::stat(targetName.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return failed(errorText, systemError(EISDIR), target);
        if (!S_ISREG(status.st_mode))
            return failed(errorText, QStringLiteral("Not a regular file"), target);
        // The write bits are checked as well because root may replace a file nobody may write.
        if (!(status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) ||
            ::faccessat(AT_FDCWD, targetName.constData(), W_OK, AT_EACCESS) != 0)
            return failed(errorText, systemError(EACCES), target);
        QFile file(target);
        if (!file.open(QIODevice::ReadOnly))
            return failed(errorText, file.errorString(), target);
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return failed(errorText, file.errorString(), target);
        text = ProfileText::fileText(bytes);
        if (!text)
            return failed(errorText, QStringLiteral("Unknown text encoding"), target);
        mode = status.st_mode & 07777;
    } else if (errno != ENOENT) {
        return failed(errorText, systemError(errno), target);
    }

    const std::optional<QByteArray> updated =
        change(text ? std::optional(text->text) : std::nullopt);
    if (!updated)
        return failed(errorText, QStringLiteral("Invalid name or value"), target);
    if (text && *updated == text->text)
        return true;
    const std::optional<QByteArray> bytes =
        ProfileText::fileBytes(text.value_or(FileText()), *updated);
    if (!bytes)
        return failed(errorText, QStringLiteral("Unknown text encoding"), target);
    return replaceFile(target, *bytes, mode, errorText);
}

bool write(const QString& path, const QString& section, const QString& key, const QString& value,
           QString* errorText) {
    return write(path, section, {{key, value}}, errorText);
}

bool write(const QString& path, const QString& section, const QList<ProfileText::KeyValue>& values,
           QString* errorText) {
    // Refused before anything is locked or read.
    if (!ProfileText::withValues(QByteArray(), section, values))
        return failed(errorText, QStringLiteral("Invalid name or value"), path);
    return update(
        path,
        [&](const std::optional<QByteArray>& content) {
            return ProfileText::withValues(content.value_or(QByteArray()), section, values);
        },
        errorText);
}

} // namespace ProfileFile
