#include "ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

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

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.sliced(first, last - first);
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// A C string ends at its first NUL; the Windows routines never see what follows.
QByteArrayView beforeNul(QByteArrayView text) {
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

enum class Kind { Blank, Comment, Header, Key, Other };

struct Line {
    qsizetype begin = 0;   // first byte of the line
    qsizetype textEnd = 0; // first byte of its line break
    qsizetype end = 0;     // first byte after its line break
    Kind kind = Kind::Blank;
    QByteArrayView text;   // up to a NUL, trimmed
    QByteArrayView header; // a section's name, trimmed
    qsizetype equals = -1; // where a key's "=" is in text

    // A key's name and value, trimmed (the value with its quotes still on); worked out only
    // for the lines of the section looked at.
    QByteArrayView name() const { return trimmed(text.first(equals)); }
    QByteArrayView value() const { return trimmed(text.sliced(equals + 1)); }
};

// Offset of the first byte equal to c in content[from, to), or to.
qsizetype findByte(QByteArrayView content, char c, qsizetype from, qsizetype to) {
    const char* start = content.data() + from;
    const void* found = std::memchr(start, c, size_t(to - from));
    return found ? from + (static_cast<const char*>(found) - start) : to;
}

// Reads content one line at a time. Line ends are found with memchr, which keeps files of many
// megabytes quick; the next LF is remembered so that a file of CR-only lines is not searched to
// its end for every line.
class LineReader {
public:
    explicit LineReader(QByteArrayView content)
        : m_content(content)
        , m_pos(content.startsWith("\xEF\xBB\xBF") ? 3 : 0) {}

    bool next(Line& line) {
        if (m_pos >= m_content.size())
            return false;
        line = Line();
        line.begin = m_pos;
        if (m_nextLf < m_pos)
            m_nextLf = findByte(m_content, '\n', m_pos, m_content.size());
        qsizetype i = findByte(m_content, '\r', m_pos, m_nextLf);
        line.textEnd = i;
        if (i < m_content.size()) {
            i += (m_content[i] == '\r' && i + 1 < m_content.size() && m_content[i + 1] == '\n') ? 2
                                                                                                : 1;
        }
        line.end = i;
        m_pos = i;

        const QByteArrayView text =
            trimmed(beforeNul(m_content.sliced(line.begin, line.textEnd - line.begin)));
        line.text = text;
        if (text.isEmpty()) {
            line.kind = Kind::Blank;
        } else if (text.front() == ';') {
            line.kind = Kind::Comment;
        } else if (const qsizetype close = text.front() == '[' ? text.lastIndexOf(']') : -1;
                   close > 0) {
            line.kind = Kind::Header;
            line.header = trimmed(text.sliced(1, close - 1));
        } else if (const qsizetype equals = text.indexOf('='); equals >= 0) {
            line.kind = Kind::Key;
            line.equals = equals;
        } else {
            line.kind = Kind::Other;
        }
        return true;
    }

private:
    QByteArrayView m_content;
    qsizetype m_pos;
    qsizetype m_nextLf = -1;
};

// Where a key lives or would go in a section.
struct Place {
    std::optional<Line> header;  // the section's header line
    std::optional<Line> key;     // the key's line
    std::optional<Line> lastKey; // the section's last line holding a key or other text
};

// Reads no further than it must: up to the key, or to the end of its section.
Place find(QByteArrayView content, QByteArrayView section, QByteArrayView key) {
    Place place;
    LineReader reader(content);
    Line line;
    while (reader.next(line)) {
        if (!place.header) {
            if (line.kind == Kind::Header && sameName(line.header, section))
                place.header = line;
            continue;
        }
        if (line.kind == Kind::Header)
            break;
        if (line.kind == Kind::Key && sameName(line.name(), key)) {
            place.key = line;
            break;
        }
        if (line.kind == Kind::Key || line.kind == Kind::Other)
            place.lastKey = line;
    }
    return place;
}

bool endsWithLineBreak(const QByteArray& content) {
    return content.endsWith('\n') || content.endsWith('\r');
}

QByteArray cleanName(const QString& name) {
    return trimmed(beforeNul(name.toLocal8Bit())).toByteArray();
}

bool readableBack(const QByteArray& section, const QByteArray& key) {
    if (section.isEmpty() || key.isEmpty())
        return false;
    for (const QByteArray* name : {&section, &key}) {
        if (name->contains('\r') || name->contains('\n'))
            return false;
    }
    return !key.contains('=') && !key.startsWith('[') && !key.startsWith(';');
}

// At most maxValueLength characters, never splitting a surrogate pair.
QString limited(const QString& text) {
    qsizetype units = 0;
    for (int characters = 0; units < text.size() && characters < maxValueLength; ++characters)
        units += (text[units].isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.first(units);
}

// Windows-1252 for the bytes 0x80 to 0x9F; the rest of the page is Latin-1. The five bytes
// Windows leaves undefined become the control characters of the same number, as Windows
// itself turns them.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decoded(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar byte = uchar(bytes[i]);
        text[i] = (byte >= 0x80 && byte < 0xA0) ? QChar(windows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

// A file's bytes as the reader takes them: 8-bit text as it is, UTF-16 with a byte order mark
// (what Windows editors call "Unicode") as UTF-8. Written back in the encoding it came in.
struct FileText {
    std::optional<QStringConverter::Encoding> utf16;
    QByteArray text;
};

// nullopt for an encoding the reader does not know: UTF-32, UTF-16 without a byte order mark,
// or UTF-16 that does not decode.
std::optional<FileText> fileText(const QByteArray& bytes) {
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return std::nullopt;
    for (const auto& [bom, encoding] :
         {std::pair{QByteArrayView("\xFF\xFE"), QStringConverter::Utf16LE},
          std::pair{QByteArrayView("\xFE\xFF"), QStringConverter::Utf16BE}}) {
        if (!bytes.startsWith(bom))
            continue;
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        const QString text = decoder(bytes);
        if (decoder.hasError() || bytes.size() % 2 != 0)
            return std::nullopt;
        return FileText{encoding, text.toUtf8()};
    }
    // A file that starts with one NUL in its first two bytes is UTF-16 written without a mark.
    if (bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0'))
        return std::nullopt;
    return FileText{std::nullopt, bytes};
}

QByteArray fileBytes(const FileText& file, const QByteArray& text) {
    if (!file.utf16)
        return text;
    QStringEncoder encoder(*file.utf16, QStringConverter::Flag::WriteBom);
    return encoder(QString::fromUtf8(text));
}

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

std::optional<QByteArray> lookup(QByteArrayView content, QByteArrayView section,
                                 QByteArrayView key) {
    const Place place = find(content, section, key);
    if (!place.key)
        return std::nullopt;
    QByteArrayView value = place.key->value();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toByteArray();
}

QByteArray withValue(const QByteArray& content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value) {
    static const QByteArray crlf = "\r\n";
    const Place place = find(content, section, key);

    QByteArray result = content;
    if (!place.header) {
        if (!result.isEmpty() && !endsWithLineBreak(result))
            result += crlf;
        result += '[' + section.toByteArray() + ']' + crlf;
        result += key.toByteArray() + '=' + value.toByteArray() + crlf;
        return result;
    }
    if (place.key) {
        const Line& line = *place.key;
        if (line.value() == value)
            return content;
        QByteArray lineBreak = content.sliced(line.textEnd, line.end - line.textEnd);
        if (lineBreak.isEmpty())
            lineBreak = crlf;
        const QByteArray newLine =
            line.name().toByteArray() + '=' + value.toByteArray() + lineBreak;
        return result.replace(line.begin, line.end - line.begin, newLine);
    }
    const Line& after = place.lastKey ? *place.lastKey : *place.header;
    QByteArray newLine = key.toByteArray() + '=' + value.toByteArray() + crlf;
    if (after.end == after.textEnd)
        newLine.prepend(crlf);
    return result.insert(after.end, newLine);
}

QString read(const QString& path, const QString& section, const QString& key,
             const QString& defaultValue) {
    const qsizetype nul = defaultValue.indexOf(QChar(0));
    QString fallback = nul < 0 ? defaultValue : defaultValue.first(nul);
    while (fallback.endsWith(QLatin1Char(' ')))
        fallback.chop(1);
    fallback = limited(fallback);

    const QByteArray sectionName = cleanName(section);
    const QByteArray keyName = cleanName(key);
    if (sectionName.isEmpty() || keyName.isEmpty())
        return fallback;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return fallback;
    const std::optional<FileText> text = fileText(file.readAll());
    if (!text)
        return fallback;
    const std::optional<QByteArray> value = lookup(text->text, sectionName, keyName);
    if (!value)
        return fallback;
    return limited(decoded(*value));
}

QString exactValue(const QString& value) {
    const qsizetype nul = value.indexOf(QChar(0));
    const QString text = nul < 0 ? value : value.first(nul);
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    auto quote = [](QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\''); };
    const bool changedByReading =
        !text.isEmpty() &&
        (blank(text.front()) || blank(text.back()) ||
         (text.size() >= 2 && quote(text.front()) && text.back() == text.front()));
    return changedByReading ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

std::optional<QByteArray> withValues(const QByteArray& content, const QString& section,
                                     const QList<KeyValue>& values) {
    const QByteArray sectionName = cleanName(section);
    QByteArray updated = content;
    for (const auto& [key, value] : values) {
        const QByteArray keyName = cleanName(key);
        const QByteArray bytes = beforeNul(value.toLocal8Bit()).toByteArray();
        if (!readableBack(sectionName, keyName) || bytes.contains('\r') || bytes.contains('\n'))
            return std::nullopt;
        updated = withValue(updated, sectionName, keyName, bytes);
    }
    return updated;
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
        text = fileText(bytes);
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
    return replaceFile(target, text ? fileBytes(*text, *updated) : *updated, mode, errorText);
}

bool write(const QString& path, const QString& section, const QString& key, const QString& value,
           QString* errorText) {
    return write(path, section, {{key, value}}, errorText);
}

bool write(const QString& path, const QString& section, const QList<KeyValue>& values,
           QString* errorText) {
    // Refused before anything is locked or read.
    if (!withValues(QByteArray(), section, values))
        return failed(errorText, QStringLiteral("Invalid name or value"), path);
    return update(
        path,
        [&](const std::optional<QByteArray>& content) {
            return withValues(content.value_or(QByteArray()), section, values);
        },
        errorText);
}

} // namespace ProfileFile
