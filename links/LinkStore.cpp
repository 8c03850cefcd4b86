#include "LinkStore.h"

#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

} // namespace

QString configFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tempivo/config.ini");
}

QString keyName(int slot, char field) {
    return QStringLiteral("No") + QString::number(slot) + QLatin1Char(field);
}

QString ReadIni(const QString& file, const QString& section, const QString& key,
                const QString& defaultValue) {
    return ProfileFile::read(file, section, key, defaultValue);
}

void WriteIni(const QString& file, const QString& section, const QString& key,
              const QString& value) {
    WriteIniKeys(file, section, {{key, value}});
}

void WriteIniKeys(const QString& file, const QString& section,
                  const QList<std::pair<QString, QString>>& values) {
    QList<ProfileFile::KeyValue> oneLine = values;
    for (auto& [key, value] : oneLine) {
        value.replace(QLatin1Char('\r'), QLatin1Char(' '));
        value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    ProfileFile::write(file, section, oneLine);
}

bool isNormalFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

bool writeDefaultFile(const QString& path, QString* errorText) {
    if (isNormalFile(path))
        return true;
    auto fail = [errorText](const QString& reason) {
        if (errorText)
            *errorText = reason;
        return false;
    };

    const QFileInfo info(path);
    if (info.isDir())
        return fail(QStringLiteral("The path names a folder, not a file."));
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("The path names something that is not a regular file."));
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("The folder %1 could not be created.")
                        .arg(QDir::toNativeSeparators(info.absolutePath())));

    const QByteArray text = defaultFileText();
    if (info.exists()) {
        // A hidden file is not seen as the settings file; the defaults go after its last byte.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            return fail(file.errorString());
        if (file.write(text) != text.size() || !file.flush())
            return fail(file.errorString());
        return true;
    }
    // A new file appears whole or not at all.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // commit() alone misses a failed last flush and would put a cut file in place.
    if (file.write(text) != text.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace LinkStore
