#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Profile (INI) files read and written the way the Windows profile routines do it, so that files
// stay interchangeable with them. Text crosses into the file in the locale's 8-bit encoding.
namespace ProfileFile {

// The longest value read() yields, in characters.
inline constexpr int maxValueLength = 254;

// The value of key in the first section named section, with surrounding blanks and one pair of
// enclosing quotes removed; nullopt when the section or the key is missing.
std::optional<QByteArray> lookup(QByteArrayView content, QByteArrayView section,
                                 QByteArrayView key);

// content with key set to value in section, changing no other byte; content itself when the key
// already holds exactly value. Names must be valid (see write()).
QByteArray withValue(const QByteArray& content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value);

QString read(const QString& path, const QString& section, const QString& key,
             const QString& defaultValue);

// Replaces the file at once (temporary file, then rename). False when the file cannot be read or
// replaced, is read-only, or a name is empty or could not be read back (line breaks, a key with
// "=" or starting with "[" or ";"), or the value holds a line break.
bool write(const QString& path, const QString& section, const QString& key, const QString& value);

using KeyValue = std::pair<QString, QString>;
// Sets several keys of one section, in order, with one replacement of the file: afterwards the
// file holds all of them or none. False as for the single write, when any one is refused.
bool write(const QString& path, const QString& section, const QList<KeyValue>& values);

} // namespace ProfileFile
