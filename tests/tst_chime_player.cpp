#include "platform/SoundPlayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace {

bool multimediaMapped() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
}

} // namespace

class TestChimePlayer : public QObject {
    Q_OBJECT
private slots:
    void loadsQtMultimediaOnlyForARealChime() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("Qt Multimedia's sample loader leaves its requests behind at exit, which "
              "LeakSanitizer reports; the plain build runs this");
#endif
        QtSoundPlayer player({QStringLiteral(TEMPIVO_BUILD_DIR)});
        QVERIFY(!multimediaMapped());

        player.playWave(QStringLiteral("/nonexistent/CallRing.wav"));
        QVERIFY(!player.isLoaded());
        QVERIFY(!multimediaMapped());

        const QString chime = SoundFiles::hourlyChime();
        QVERIFY(QFile::exists(chime));
        QElapsedTimer clock;
        clock.start();
        player.playWave(chime);
        player.playWave(chime);
        QVERIFY(player.isLoaded());
        QVERIFY(multimediaMapped());
        // Playing never waits for the sound.
        QVERIFY(clock.elapsed() < 2000);
    }

    void missingModuleMeansSilence() {
        QtSoundPlayer player({QStringLiteral("/nonexistent")});
        player.playWave(SoundFiles::hourlyChime());
        QVERIFY(!player.isLoaded());
    }
};

QTEST_MAIN(TestChimePlayer)
#include "tst_chime_player.moc"
