#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringConverter>

#include <optional>
#include <utility>

// The text rules of profile (INI) files as the Windows profile routines apply them, so that
// files stay interchangeable with them: pure functions over a file's bytes. Text crosses into
// the file in the locale's 8-bit encoding (UTF-8); reading also takes what Windows programs
// write in their own code page. A file in UTF-16 with a byte order mark is read and written in
// UTF-16; one in an encoding the reader does not know (UTF-32, UTF-16 without the mark) reads as
// missing and is never written. ProfileFile applies them to files on disk.
namespace ProfileText {

// The longest value read() yields, in characters.
inline constexpr int maxValueLength = 254;

// The value of key in the first section named section, with surrounding blanks and one pair of
// enclosing quotes removed; nullopt when the section or the key is missing.
std::optional<QByteArray> lookup(QByteArrayView content, QByteArrayView section,
                                 QByteArrayView key);

// content with key set to value in section, changing no other byte; content itself when the key
// already holds exactly value. Names must be valid (see withValues()).
QByteArray withValue(const QByteArray& content, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value);

// The value of key in section of a file's bytes (nullopt: no file), at most maxValueLength
// characters; defaultValue (up to a NUL, without trailing blanks) when the file, the section or
// the key is missing or the file's encoding unknown. A value that is not valid UTF-8 is taken
// as Windows-1252, the code page Windows programs write such files in.
QString read(const std::optional<QByteArray>& fileBytes, const QString& section, const QString& key,
             const QString& defaultValue);

// value as it must be written for read() to give it back unchanged: inside one more pair of
// double quotes when reading would take blanks or a pair of quotes off it, else as it is.
// Nothing after a NUL can be stored.
QString exactValue(const QString& value);

using KeyValue = std::pair<QString, QString>;
// content with the values set in section, in order, as withValue() sets them; nullopt when a
// name is empty or could not be read back (line breaks, a key with "=" or starting with "[" or
// ";"), or a value holds a line break.
std::optional<QByteArray> withValues(const QByteArray& content, const QString& section,
                                     const QList<KeyValue>& values);

// A file's bytes as the text rules take them: 8-bit text as it is, UTF-16 with a byte order
// mark (what Windows editors call "Unicode") as UTF-8, to be written back in UTF-16.
struct FileText {
    std::optional<QStringConverter::Encoding> utf16;
    QByteArray text;
};

// nullopt for an encoding the reader does not know: UTF-32, UTF-16 without a byte order mark,
// or UTF-16 that does not decode.
std::optional<FileText> fileText(const QByteArray& bytes);

// text in the encoding file came in; nullopt when fileText() would not take those bytes back,
// so that nothing is written that reads as missing afterwards.
std::optional<QByteArray> fileBytes(const FileText& file, const QByteArray& text);

} // namespace ProfileText
