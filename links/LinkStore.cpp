#include "LinkStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace LinkStore {
namespace {

QByteArray defaultFileText() {
    QByteArray text = "[Configuration]\r\n";
    for (int slot = 1; slot <= 10; ++slot) {
        const QByteArray n = QByteArray::number(slot);
        text += "No" + n + "T=\"[none]\"\r\n";
        text += "No" + n + "A=\"none\"\r\n";
        text += "No" + n + "S=\"Computer program\"\r\n";
    }
    return text;
}

const QString noHome =
    QStringLiteral("Neither XDG_CONFIG_HOME nor HOME names a folder (an absolute path).");

bool fail(QString* errorText, const QString& reason) {
    if (errorText)
        *errorText = reason;
    return false;
}

} // namespace

QString configFilePath() {
    // Qt takes a relative XDG_CONFIG_HOME as it is and a missing HOME as "/".
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString home = qEnvironmentVariable("HOME");
    QString folder;
    if (QDir::isAbsolutePath(configHome))
        folder = configHome;
    else if (QDir::isAbsolutePath(home))
        folder = home + QStringLiteral("/.config");
    else
        return {};
    // Test mode keeps the user's own settings out of the tests' way, as for Qt's own lookups
    // (which put the folder under HOME).
    if (QStandardPaths::isTestModeEnabled()) {
        if (!QDir::isAbsolutePath(home))
            return {};
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    }
    return QDir::cleanPath(folder + QStringLiteral("/tempivo/config.ini"));
}

QString keyName(int slot, LinkField field) {
    return QStringLiteral("No") + QString::number(slot) + QLatin1Char(char(field));
}

QString readValue(const QString& file, const QString& section, const QString& key,
                  const QString& defaultValue) {
    return ProfileFile::read(file, section, key, defaultValue);
}

bool writeValues(const QString& file, const QString& section,
                 const QList<std::pair<QString, QString>>& values, QString* errorText) {
    if (file.isEmpty())
        return fail(errorText, noHome);
    QList<ProfileText::KeyValue> stored = values;
    for (auto& [key, value] : stored) {
        value.replace(QLatin1Char('\r'), QLatin1Char(' '));
        value.replace(QLatin1Char('\n'), QLatin1Char(' '));
        value = ProfileText::exactValue(value);
    }
    // Written first when missing, as the links window does at loading.
    QDir().mkpath(QFileInfo(file).absolutePath());
    return ProfileFile::update(
        file,
        [&](const std::optional<QByteArray>& content) {
            return ProfileText::withValues(content.value_or(defaultFileText()), section, stored);
        },
        errorText);
}

QString readLink(int slot, LinkField field, const QString& defaultValue) {
    return readValue(configFilePath(), configSection, keyName(slot, field), defaultValue);
}

bool writeLink(int slot, const QList<std::pair<LinkField, QString>>& fields, QString* errorText) {
    QList<std::pair<QString, QString>> values;
    for (const auto& [field, value] : fields)
        values.append({keyName(slot, field), value});
    return writeValues(configFilePath(), configSection, values, errorText);
}

bool isSettingsFileThere() {
    return isNormalFile(configFilePath());
}

bool isNormalFile(const QString& path) {
    return QFileInfo(path).isFile();
}

bool writeDefaultFile(const QString& path, QString* errorText) {
    if (isNormalFile(path))
        return true;
    if (path.isEmpty())
        return fail(errorText, noHome);

    const QFileInfo info(path);
    if (info.isDir())
        return fail(errorText, QStringLiteral("The path names a folder, not a file."));
    if (info.exists() && !info.isFile())
        return fail(errorText,
                    QStringLiteral("The path names something that is not a regular file."));
    if (!QDir().mkpath(info.absolutePath()))
        return fail(errorText, QStringLiteral("The folder %1 could not be created.")
                                   .arg(QDir::toNativeSeparators(info.absolutePath())));

    // Looked at again under the lock: another process may have written the file meanwhile.
    return ProfileFile::update(
        path,
        [](const std::optional<QByteArray>& content) {
            return content.value_or(defaultFileText());
        },
        errorText);
}

} // namespace LinkStore
