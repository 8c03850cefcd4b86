#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QUrl>

void QtSoundPlayer::PlayWave(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    // Created on the first chime only: Qt Multimedia costs memory in a program that runs all day.
    // Owned by the application so that it goes before the multimedia back end does.
    if (!m_effect)
        m_effect = new QSoundEffect(QCoreApplication::instance());
    const QUrl source = QUrl::fromLocalFile(path);
    if (m_effect->source() != source)
        m_effect->setSource(source);
    m_effect->play();
}

QString SoundFiles::callRing() {
    const QString relative = QStringLiteral("tempivo/sounds/CallRing.wav");
    QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative);
    if (path.isEmpty()) {
        const QString installed = QStringLiteral(TEMPIVO_DATA_INSTALL_DIR "/") + relative;
        const QString source = QStringLiteral(TEMPIVO_SOURCE_DIR "/resources/sounds/CallRing.wav");
        path = QFileInfo::exists(installed) ? installed : source;
    }
    return path;
}
