#include "platform/SoundPlayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

bool mapped(const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

bool multimediaMapped() {
    return mapped("libQt6Multimedia");
}

bool playerModuleMapped() {
    return mapped("libtempivo-chime");
}

} // namespace

class TestChimePlayer : public QObject {
    Q_OBJECT
private slots:
    // First: once loaded, the module stays for the rest of the process.
    void missingModuleMeansSilence() {
        QtSoundPlayer player({QStringLiteral("/nonexistent")});
        player.playWave(SoundFiles::hourlyChime());
        QVERIFY(!playerModuleMapped());
        QVERIFY(!multimediaMapped());
    }

    void loadsQtMultimediaOnlyForARealChime() {
        QtSoundPlayer player({QStringLiteral(TEMPIVO_BUILD_DIR)});
        QVERIFY(!multimediaMapped());

        player.playWave(QStringLiteral("/nonexistent/CallRing.wav"));
        QVERIFY(!playerModuleMapped());
        QVERIFY(!multimediaMapped());

        const QString chime = SoundFiles::hourlyChime();
        QVERIFY(QFile::exists(chime));
        QElapsedTimer clock;
        clock.start();
        player.playWave(chime);
        player.playWave(chime);
        QVERIFY(playerModuleMapped());
        QVERIFY(multimediaMapped());
        // Playing never waits for the sound.
        QVERIFY(clock.elapsed() < 2000);
    }

    // Broken and hostile wave files play nothing and read nothing outside the file.
    void unplayableWavesAreSkipped() {
        const auto word = [](quint32 value) {
            QByteArray bytes(4, '\0');
            qToLittleEndian(value, bytes.data());
            return bytes;
        };
        const QByteArray format = QByteArray::fromHex("01000100225600004488000002001000");
        const QByteArray riff = QByteArray("RIFF") + word(1000) + "WAVE";
        const QList<QByteArray> files = {
            "",
            "RIFF",
            riff,
            riff + "fmt " + word(16) + format.left(6),
            riff + "data" + word(0xFFFFFFF0) + "abc",
            riff + "fmt " + word(16) + QByteArray(16, '\0') + "data" + word(4) + "abcd",
            riff + "fmt " + word(0xFFFFFFF0) + format + "data" + word(4) + "abcd",
            riff + "fmt " + word(16) + format + "data" + word(3) + "abc"};
        QTemporaryDir dir;
        QtSoundPlayer player({QStringLiteral(TEMPIVO_BUILD_DIR)});
        for (const QByteArray& bytes : files) {
            QFile file(dir.filePath(QStringLiteral("broken.wav")));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            player.playWave(file.fileName());
        }
    }
};

QTEST_MAIN(TestChimePlayer)
#include "tst_chime_player.moc"
