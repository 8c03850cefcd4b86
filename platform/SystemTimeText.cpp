#include "platform/TimeText.h"

#include <QLocale>
#include <QTime>

QString SystemTimeText::currentTimeText() const {
    // The C locale keeps "AM"/"PM" whatever the user's language is.
    return QLocale::c().toString(QTime::currentTime(), QStringLiteral("h:mm:ss AP"));
}

int SystemTimeText::msecsToNextSecond() const {
    return 1000 - QTime::currentTime().msec();
}
