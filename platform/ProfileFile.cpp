#include "ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    QByteArrayView name;  // section or key name, trimmed
    QByteArrayView value; // key value, trimmed, quotes still on
};

// The line that starts at pos. Lines are looked at one by one and never all kept: a file of
// millions of short lines would otherwise cost gigabytes.
Line lineAt(QByteArrayView content, qsizetype pos) {
    Line line;
    line.begin = pos;
    qsizetype i = pos;
    while (i < content.size() && content[i] != '\r' && content[i] != '\n')
        ++i;
    line.textEnd = i;
    if (i < content.size())
        i += (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ? 2 : 1;
    line.end = i;

    const QByteArrayView text =
        trimmed(beforeNul(content.sliced(line.begin, line.textEnd - line.begin)));
    if (text.isEmpty()) {
        line.kind = Kind::Blank;
    } else if (text.front() == ';') {
        line.kind = Kind::Comment;
    } else if (const qsizetype close = text.lastIndexOf(']'); text.front() == '[' && close > 0) {
        line.kind = Kind::Header;
        line.name = trimmed(text.sliced(1, close - 1));
    } else if (const qsizetype equals = text.indexOf('='); equals >= 0) {
        line.kind = Kind::Key;
        line.name = trimmed(text.first(equals));
        line.value = trimmed(text.sliced(equals + 1));
    } else {
        line.kind = Kind::Other;
    }
    return line;
}

// Where a key lives or would go in a section.
struct Place {
    std::optional<Line> header;  // the section's header line
    std::optional<Line> key;     // the key's line
    std::optional<Line> lastKey; // the section's last line holding a key or other text
};

Place find(QByteArrayView content, QByteArrayView section, QByteArrayView key) {
    Place place;
    qsizetype pos = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < content.size()) {
        const Line line = lineAt(content, pos);
        pos = line.end;
        if (!place.header) {
            if (line.kind == Kind::Header && sameName(line.name, section))
                place.header = line;
            continue;
        }
        if (line.kind == Kind::Header)
            break;
        if (line.kind == Kind::Key && sameName(line.name, key)) {
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

} // namespace

std::optional<QByteArray> lookup(QByteArrayView content, QByteArrayView section,
                                 QByteArrayView key) {
    const Place place = find(content, section, key);
    if (!place.key)
        return std::nullopt;
    QByteArrayView value = place.key->value;
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
        if (line.value == value)
            return content;
        QByteArray lineBreak = content.sliced(line.textEnd, line.end - line.textEnd);
        if (lineBreak.isEmpty())
            lineBreak = crlf;
        const QByteArray newLine = line.name.toByteArray() + '=' + value.toByteArray() + lineBreak;
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
    return limited(QString::fromLocal8Bit(*value));
}

bool write(const QString& path, const QString& section, const QString& key, const QString& value) {
    const QByteArray sectionName = cleanName(section);
    const QByteArray keyName = cleanName(key);
    const QByteArray bytes = beforeNul(value.toLocal8Bit()).toByteArray();
    if (!readableBack(sectionName, keyName) || bytes.contains('\r') || bytes.contains('\n'))
        return false;

    // Follow a symlink so that the link stays and its target gets the new content.
    const QFileInfo info(path);
    const QFileInfo target(info.isSymLink() && info.exists() ? info.canonicalFilePath() : path);
    QByteArray content;
    const bool exists = target.exists();
    if (exists) {
        // Checked here as well because root may replace a file nobody may write.
        constexpr QFileDevice::Permissions anyWrite =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!target.isFile() || !(target.permissions() & anyWrite))
            return false;
        QFile file(target.filePath());
        if (!file.open(QIODevice::ReadOnly))
            return false;
        content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return false;
    }

    const QByteArray updated = withValue(content, sectionName, keyName, bytes);
    if (exists && updated == content)
        return true;
    QSaveFile file(target.filePath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() ignores a failed flush of the write buffer (a full disk) and would put the cut
    // temporary file in place of the whole one, so the flush is checked here.
    if (file.write(updated) != updated.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace ProfileFile
