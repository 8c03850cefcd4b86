#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

// Profile (INI) files read and written the way the Windows profile routines do it, so that files
// stay interchangeable with them. Text crosses into the file in the locale's 8-bit encoding
// (UTF-8); read() also takes what Windows programs write in their own code page. A file in
// UTF-16 with a byte order mark is read and written in UTF-16; one in an encoding the reader
// does not know (UTF-32, UTF-16 without the mark) reads as missing and is never written.
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

// A value that is not valid UTF-8 is taken as Windows-1252, the code page Windows programs
// write such files in.
QString read(const QString& path, const QString& section, const QString& key,
             const QString& defaultValue);

// value as it must be written for read() to give it back unchanged: inside one more pair of
// double quotes when reading would take blanks or a pair of quotes off it, else as it is.
// Nothing after a NUL can be stored.
QString exactValue(const QString& value);

// Replaces the file with change(its content), or change(nullopt) when there is no file; writes
// nothing when change gives the content back unchanged, and fails when it gives nullopt.
// Every update holds an advisory lock (flock on path + ".lock", beside path even when that is a
// symlink; it must be a regular file) from reading to renaming, so that writers take turns and
// none loses another's change. The wait for the lock lasts at most lockWait and lets the
// calling thread's timers and repaints run. The new content goes to ".saving" beside the file (a
// symlink's target) and is renamed over it, so the file is never cut. On failure errorText gets
// the reason and the path it concerns, e.g. "Permission denied (/x/config.ini)".
using Change = std::function<std::optional<QByteArray>(const std::optional<QByteArray>& content)>;
bool update(const QString& path, const Change& change, QString* errorText = nullptr,
            std::chrono::milliseconds lockWait = std::chrono::seconds(10));

// Replaces the file at once (see update()). False when the file cannot be read or replaced, is
// read-only, or a name is empty or could not be read back (line breaks, a key with "=" or
// starting with "[" or ";"), or the value holds a line break.
bool write(const QString& path, const QString& section, const QString& key, const QString& value,
           QString* errorText = nullptr);

using KeyValue = std::pair<QString, QString>;
// Sets several keys of one section, in order, with one replacement of the file: afterwards the
// file holds all of them or none. False as for the single write, when any one is refused.
bool write(const QString& path, const QString& section, const QList<KeyValue>& values,
           QString* errorText = nullptr);

// content with the values set in section as write() sets them; nullopt when one is refused.
std::optional<QByteArray> withValues(const QByteArray& content, const QString& section,
                                     const QList<KeyValue>& values);

} // namespace ProfileFile
