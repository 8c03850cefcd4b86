// The sound player's half that needs Qt Multimedia. It is built as a module of its own and
// loaded when the first chime plays, so the clock does not carry Qt Multimedia all day.
#include <QCoreApplication>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

extern "C" Q_DECL_EXPORT void tempivoPlayWave(const QString* path) {
    // Owned by the application so that it goes before the multimedia back end does.
    static QPointer<QSoundEffect> effect;
    if (!effect)
        effect = new QSoundEffect(QCoreApplication::instance());
    const QUrl source = QUrl::fromLocalFile(*path);
    if (effect->source() != source)
        effect->setSource(source);
    effect->play();
}
