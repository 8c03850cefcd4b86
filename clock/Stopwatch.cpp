#include "clock/Stopwatch.h"

#include "platform/CommandLabel.h"
#include "platform/SoundPlayer.h"

#include <QTimer>

namespace {

void padToTwoDigits(CommandLabel* label) {
    if (label->text().size() == 1)
        label->setText(QLatin1Char('0') + label->text());
}

} // namespace

Stopwatch::Stopwatch(const Controls& controls, SoundPlayer& sound, QObject* parent)
    : QObject(parent)
    , m_c(controls)
    , m_sound(sound) {
    // The count comes from ticks alone, so they must not drift: an hour is 3600 of them.
    m_c.Timer3->setTimerType(Qt::PreciseTimer);
    m_c.Timer3->setInterval(1000);
    connect(m_c.Timer3, &QTimer::timeout, this, &Stopwatch::tick);
    connect(m_c.Label4, &CommandLabel::clicked, this, &Stopwatch::startStopClicked);
    connect(m_c.Label5, &CommandLabel::clicked, this, &Stopwatch::pauseClicked);
}

void Stopwatch::startStopClicked() {
    if (m_c.Label4->text() == QLatin1String("Start")) {
        m_c.Timer3->start();
        m_c.Label5->setEnabled(true);
        m_c.Label4->setText(QStringLiteral("Stop"));
        return;
    }
    m_c.Timer3->stop();
    m_c.Label5->setEnabled(false);
    m_c.Label4->setText(QStringLiteral("Start"));
    m_c.lblH->setText(QStringLiteral("00"));
    m_c.lblM->setText(QStringLiteral("00"));
    m_c.lblS->setText(QStringLiteral("00"));
}

void Stopwatch::pauseClicked() {
    if (!m_c.Label5->isEnabled())
        return;
    if (m_c.Timer3->isActive())
        m_c.Timer3->stop();
    else
        m_c.Timer3->start(); // a fresh second: the part before the pause is dropped
}

void Stopwatch::tick() {
    const int seconds = m_c.lblS->text().toInt();
    if (seconds == 59) {
        m_c.lblS->setText(QStringLiteral("00"));
        const int minutes = m_c.lblM->text().toInt();
        if (minutes == 59) {
            m_c.lblM->setText(QStringLiteral("00"));
            m_c.lblH->setText(QString::number(m_c.lblH->text().toLongLong() + 1));
            m_sound.PlayWave(SoundFiles::callRing());
        } else {
            m_c.lblM->setText(QString::number(minutes + 1));
        }
    } else {
        m_c.lblS->setText(QString::number(seconds + 1));
    }
    padToTwoDigits(m_c.lblS);
    padToTwoDigits(m_c.lblM);
    padToTwoDigits(m_c.lblH);
}
