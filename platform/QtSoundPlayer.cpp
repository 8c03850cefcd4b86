#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QDir>
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
    const QString located = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative);
    if (!located.isEmpty())
        return located;
    // Under the prefix the build was made for; in a build tree, the copy that the build puts
    // beside the program (the test suites run one folder below it).
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        QStringLiteral(TEMPIVO_DATA_INSTALL_DIR "/") + relative,
        programDir + QLatin1String("/resources/sounds/CallRing.wav"),
        programDir + QLatin1String("/../resources/sounds/CallRing.wav"),
    };
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path);
    }
    return candidates[0];
}
