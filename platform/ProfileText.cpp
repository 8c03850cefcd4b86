#include "ProfileText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

namespace ProfileText {
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

QByteArray cleanName(const QString& name) {
    return trimmed(beforeNul(name.toLocal8Bit())).toByteArray();
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

QString read(const std::optional<QByteArray>& fileBytes, const QString& section, const QString& key,
             const QString& defaultValue) {
    const qsizetype nul = defaultValue.indexOf(QChar(0));
    QString fallback = nul < 0 ? defaultValue : defaultValue.first(nul);
    while (fallback.endsWith(QLatin1Char(' ')))
        fallback.chop(1);
    fallback = limited(fallback);

    const QByteArray sectionName = cleanName(section);
    const QByteArray keyName = cleanName(key);
    if (!fileBytes || sectionName.isEmpty() || keyName.isEmpty())
        return fallback;
    const std::optional<FileText> text = fileText(*fileBytes);
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

std::optional<QByteArray> fileBytes(const FileText& file, const QByteArray& text) {
    QByteArray bytes = text;
    if (file.utf16) {
        QStringEncoder encoder(*file.utf16, QStringConverter::Flag::WriteBom);
        bytes = encoder(QString::fromUtf8(text));
    }
    // A file of one NUL byte given a section would begin with a NUL and a line break, which
    // the reader takes for UTF-16 without a mark.
    if (!fileText(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace ProfileText
