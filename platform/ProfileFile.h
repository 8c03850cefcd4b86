#pragma once

#include "platform/ProfileText.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

// Profile (INI) files on disk, read and updated with the text rules of ProfileText.
namespace ProfileFile {

// The value of key in section of the file at path (see ProfileText::read()).
QString read(const QString& path, const QString& section, const QString& key,
             const QString& defaultValue);

// Replaces the file with change(its content), or change(nullopt) when there is no file; writes
// nothing when change gives the content back unchanged, and fails when it gives nullopt or
// content that would not read back in the file's encoding.
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
// read-only, or ProfileText::withValues() refuses the name or value.
bool write(const QString& path, const QString& section, const QString& key, const QString& value,
           QString* errorText = nullptr);

// Sets several keys of one section, in order, with one replacement of the file: afterwards the
// file holds all of them or none. False as for the single write, when any one is refused.
bool write(const QString& path, const QString& section, const QList<ProfileText::KeyValue>& values,
           QString* errorText = nullptr);

} // namespace ProfileFile
