// The sound player's half that needs Qt Multimedia. It is built as a module of its own and
// loaded when the first chime plays, so the clock does not carry Qt Multimedia all day.
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QPointer>
#include <QtEndian>

#include <optional>

namespace {

// A chime that cannot play is silent, and so is Qt Multimedia's sound server back end, which
// reports a missing or lost server on stderr, again at each reconnection attempt.
QtMessageHandler passOn = nullptr;

bool fromSoundBackEnd(const QMessageLogContext& context, const QString& message) {
    if (context.category && qstrncmp(context.category, "qt.multimedia", 13) == 0)
        return true;
    static const char* const prefixes[] = {"PulseAudioService:", "QAudioSink:", "pa_stream",
                                           "No audio device detected"};
    for (const char* prefix : prefixes) {
        if (message.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

void quietSoundMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg && fromSoundBackEnd(context, message))
        return;
    passOn(type, context, message);
}

struct Wave {
    QAudioFormat format;
    QByteArray samples;
};

// An uncompressed RIFF wave file: 8, 16 or 32-bit integer samples or 32-bit floats.
std::optional<Wave> readWave(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(64 << 20);
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return {};
    const char* const data = bytes.constData();
    Wave wave;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArrayView id(data + at, 4);
        const quint32 size = qFromLittleEndian<quint32>(data + at + 4);
        const qsizetype body = at + 8;
        const qsizetype length = qMin<qsizetype>(size, bytes.size() - body);
        if (id == "fmt " && length >= 16) {
            quint16 tag = qFromLittleEndian<quint16>(data + body);
            if (tag == 0xFFFE && length >= 26) // extensible: the real tag opens the subformat
                tag = qFromLittleEndian<quint16>(data + body + 24);
            const int bits = qFromLittleEndian<quint16>(data + body + 14);
            wave.format.setChannelCount(qFromLittleEndian<quint16>(data + body + 2));
            wave.format.setSampleRate(int(qFromLittleEndian<quint32>(data + body + 4)));
            wave.format.setSampleFormat(tag == 3 && bits == 32 ? QAudioFormat::Float
                                        : tag != 1             ? QAudioFormat::Unknown
                                        : bits == 8            ? QAudioFormat::UInt8
                                        : bits == 16           ? QAudioFormat::Int16
                                        : bits == 32           ? QAudioFormat::Int32
                                                               : QAudioFormat::Unknown);
        } else if (id == "data") {
            wave.samples = bytes.mid(body, length);
        }
        at = body + qsizetype(size) + (size & 1);
    }
    if (!wave.format.isValid() || wave.format.channelCount() > 8 ||
        wave.format.sampleRate() > 384000)
        return {};
    wave.samples.truncate(wave.samples.size() / wave.format.bytesPerFrame() *
                          wave.format.bytesPerFrame());
    if (wave.samples.isEmpty())
        return {};
    return wave;
}

// One wave on its way to the sound server. Stopping a stream drops what the server has not
// played yet, and QSoundEffect stops as soon as the last sample is handed over, which cut off the
// end of the chime. Here silence follows the wave, longer than the server's buffer, so that only
// silence is dropped; timers cannot measure the wait, as they run fast under a sped-up clock.
class Playback : public QObject {
public:
    Playback(const QAudioDevice& device, const Wave& wave, QObject* parent)
        : QObject(parent)
        , m_sink(device, wave.format, this) {
        const char silence = wave.format.sampleFormat() == QAudioFormat::UInt8 ? '\x80' : '\0';
        m_samples.setData(wave.samples +
                          QByteArray(wave.format.bytesForDuration(trailingSilence), silence));
        m_samples.open(QIODevice::ReadOnly);
        connect(&m_sink, &QAudioSink::stateChanged, this, &Playback::stateChanged);
        m_sink.start(&m_samples);
        if (m_sink.state() == QAudio::StoppedState)
            deleteLater();
    }

private:
    void stateChanged(QAudio::State state) {
        if (state == QAudio::StoppedState || (state == QAudio::IdleState && m_samples.atEnd()))
            deleteLater();
    }

    static constexpr qint64 trailingSilence = 500000; // microseconds
    QBuffer m_samples;
    QAudioSink m_sink;
};

} // namespace

extern "C" Q_DECL_EXPORT void tempivoPlayWave(const QString* path) {
    // Owned by the application so that it goes before the multimedia back end does.
    static QPointer<Playback> playing;
    // Qt hands back its own handler when none was installed before.
    if (!passOn)
        passOn = qInstallMessageHandler(quietSoundMessages);
    std::optional<Wave> wave = readWave(*path);
    if (!wave)
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    delete playing;
    playing = new Playback(device, *wave, QCoreApplication::instance());
}
