#pragma once

#include "platform/ProfileFile.h"

#include <QList>
#include <QString>

#include <utility>

// The quick links live in one profile (INI) file, section "Configuration", three keys per slot:
// No{N}T (title), No{N}A (address), No{N}S (type). Nothing is cached: every call goes to the file.
namespace LinkStore {

inline const QString configSection = QStringLiteral("Configuration");

// What an empty slot holds, the two link types, and what the windows show for a missing key.
inline const QString emptyTitle = QStringLiteral("[none]");
inline const QString emptyAddress = QStringLiteral("none");
inline const QString urlType = QStringLiteral("URL");
inline const QString programType = QStringLiteral("Computer program");
inline const QString missingValue = QStringLiteral("[inside error]");

// The longest value the store gives back, in characters.
inline constexpr int maxValueLength = ProfileText::maxValueLength;

// tempivo/config.ini in $XDG_CONFIG_HOME, or in $HOME/.config when that is unset, empty or not
// an absolute path (the XDG base-directory rules); the one path every reader and writer uses.
// Empty when HOME is no absolute path either: there is then no place for the file.
QString configFilePath();

// The three things stored for each link; each key ends in the field's letter.
enum class LinkField : char { Title = 'T', Address = 'A', Type = 'S' };

// "No" + slot in decimal + the field's letter, e.g. keyName(10, LinkField::Address) == "No10A".
QString keyName(int slot, LinkField field);

// The value of key in section, at most 254 characters; defaultValue (without trailing blanks)
// when the file, the section or the key is missing.
QString readValue(const QString& file, const QString& section, const QString& key,
                  const QString& defaultValue);

// Stores several keys of section at once, each value (CR and LF turned into blanks) so that
// readValue gives it back as it is (see ProfileText::exactValue): the file gets all of them or,
// when the write is refused, none, so that a link is never left half old and half new. A
// missing file is first given the default text, so that the other links stay. False with the
// reason in errorText when the file cannot be written.
bool writeValues(const QString& file, const QString& section,
                 const QList<std::pair<QString, QString>>& values, QString* errorText = nullptr);

// One field of a slot's link in the settings file, or defaultValue.
QString readLink(int slot, LinkField field, const QString& defaultValue);

// Writes fields of one link together, so that a refused write leaves the whole link as it was.
// False with the reason in errorText when the file cannot be written.
bool writeLink(int slot, const QList<std::pair<LinkField, QString>>& fields,
               QString* errorText = nullptr);

// True when the settings file at configFilePath() is there as a normal file.
bool isSettingsFileThere();

// True only for an existing regular file, or a link to one (a folder is no file).
bool isNormalFile(const QString& path);

// When path is not a normal file, appends the default ten empty links to it (creating the folder
// and the file when missing). Returns false with a human-readable reason in errorText when the
// file cannot be written; true when it was written or already existed.
bool writeDefaultFile(const QString& path, QString* errorText);

} // namespace LinkStore
