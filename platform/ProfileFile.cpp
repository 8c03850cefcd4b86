#include "ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
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

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool failed(QString* errorText, const QString& reason, const QString& path) {
    if (errorText)
        *errorText = QStringLiteral("%1 (%2)").arg(reason, QDir::toNativeSeparators(path));
    return false;
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

    bool lock(const QString& path, QString* errorText) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0)
            return failed(errorText, systemError(errno), path);
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK)
            return failed(errorText, systemError(errno), path);

        // Waiting in the kernel's queue gives each writer its turn, where trying again now and
        // then loses every time to a writer that saves in a loop. The wait runs in a thread of
        // its own so that a lock held for good cannot hold this one: writes take milliseconds.
        auto wait = std::make_shared<Wait>();
        wait->fd = m_fd;
        std::thread([wait] {
            int result = 0;
            while ((result = ::flock(wait->fd, LOCK_EX)) != 0 && errno == EINTR) {
            }
            const std::lock_guard guard(wait->mutex);
            if (wait->state == Wait::GivenUp) {
                ::close(wait->fd);
                return;
            }
            wait->error = result == 0 ? 0 : errno;
            wait->state = Wait::Done;
            wait->done.notify_one();
        }).detach();
        std::unique_lock guard(wait->mutex);
        if (!wait->done.wait_for(guard, std::chrono::seconds(10),
                                 [&] { return wait->state == Wait::Done; })) {
            wait->state = Wait::GivenUp;
            m_fd = -1; // closed by the waiting thread, which may still get the lock
            return failed(errorText, QStringLiteral("Locked by another program"), path);
        }
        return wait->error == 0 || failed(errorText, systemError(wait->error), path);
    }

private:
    struct Wait {
        std::mutex mutex;
        std::condition_variable done;
        enum { Waiting, Done, GivenUp } state = Waiting;
        int fd = -1;
        int error = 0;
    };

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
    const std::optional<QByteArray> value = lookup(file.readAll(), sectionName, keyName);
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

bool update(const QString& path, const Change& change, QString* errorText) {
    if (path.isEmpty())
        return failed(errorText, QStringLiteral("No file name"), path);
    // Follow a symlink so that the link stays and its target gets the new content.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    WriteLock lock;
    if (!lock.lock(target + QStringLiteral(".lock"), errorText))
        return false;
    // Only the lock's holder writes the temporary file: one found now was left by a killed write.
    ::unlink(QFile::encodeName(temporaryPath(target)).constData());

    const QByteArray targetName = QFile::encodeName(target);
    std::optional<QByteArray> content;
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
        content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return failed(errorText, file.errorString(), target);
        mode = status.st_mode & 07777;
    } else if (errno != ENOENT) {
        return failed(errorText, systemError(errno), target);
    }

    const std::optional<QByteArray> updated = change(content);
    if (!updated)
        return failed(errorText, QStringLiteral("Invalid name or value"), target);
    if (content && *updated == *content)
        return true;
    return replaceFile(target, *updated, mode, errorText);
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
