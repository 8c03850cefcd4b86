#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>

QtSoundPlayer::QtSoundPlayer(const QStringList& moduleDirs)
    : m_moduleDirs(moduleDirs) {
}

void QtSoundPlayer::playWave(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    if (!m_play && !m_loadFailed) {
        QStringList dirs = m_moduleDirs;
        if (dirs.isEmpty()) {
            // Installed beside the other libraries; in a build tree beside the program.
            const QString programDir = QCoreApplication::applicationDirPath();
            dirs = {programDir + QLatin1String("/" TEMPIVO_CHIME_DIR_FROM_BIN), programDir};
        }
        for (const QString& dir : std::as_const(dirs)) {
            QLibrary module(dir + QStringLiteral("/tempivo-chime"));
            if (module.load()) {
                m_play = reinterpret_cast<PlayFunction>(module.resolve("tempivoPlayWave"));
                break;
            }
        }
        m_loadFailed = !m_play;
    }
    if (m_play)
        m_play(&path);
}

QString SoundFiles::hourlyChime() {
    const QString relative = QStringLiteral("tempivo/sounds/CallRing.wav");
    QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative);
    if (path.isEmpty()) {
        const QString installed = QStringLiteral(TEMPIVO_DATA_INSTALL_DIR "/") + relative;
        const QString source = QStringLiteral(TEMPIVO_SOURCE_DIR "/resources/sounds/CallRing.wav");
        path = QFileInfo::exists(installed) ? installed : source;
    }
    return path;
}
