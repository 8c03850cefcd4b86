#include "platform/Fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("OCR A Extended"),
                               QStringList{QStringLiteral("OCR A"), QStringLiteral("OCRA")});
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
}

QFont layoutFont(const QString& family, qreal pointSize) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    // OCR-A from fonts-ocr-a advances 0.72 em a character, the layouts' OCR A Extended 0.6 em.
    if (family == QLatin1String("OCR A Extended"))
        font.setStretch(84);
    return font;
}
