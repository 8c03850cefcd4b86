#include "widgets/Fonts.h"

#include <QFont>
#include <QStringList>

namespace {
const QString ocr = QStringLiteral("OCR A Extended");
const QString ocrBold = QStringLiteral("OCR A Extended Bold");
} // namespace

void installFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("OCR A Extended"),
                               QStringList{QStringLiteral("OCR A"), QStringLiteral("OCRA")});
    QFont::insertSubstitutions(QStringLiteral("OCR A Extended Bold"),
                               QStringList{QStringLiteral("OCRABold"), QStringLiteral("OCR A Bold"),
                                           QStringLiteral("OCR A"), QStringLiteral("OCRA")});
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
}

QFont layoutFont(const QString& family, qreal pointSize, bool bold) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    // OCR-A from fonts-ocr-a advances 0.72 em a character, the layouts' OCR A Extended 0.6 em.
    if (family == QLatin1String("OCR A Extended"))
        font.setStretch(84);
    setBoldFace(font, bold);
    return font;
}

QFont narrowedToFit(const QFont& font, int from, int step,
                    const std::function<bool(const QFont&)>& fits) {
    const int full = font.stretch() > 0 ? font.stretch() : 100;
    QFont narrowed = font;
    for (int stretch = from; stretch >= full * 75 / 100; stretch -= step) {
        narrowed.setStretch(stretch);
        if (fits(narrowed))
            break;
    }
    return narrowed;
}

void setBoldFace(QFont& font, bool bold) {
    font.setBold(bold);
    if (bold && font.family() == ocr)
        font.setFamily(ocrBold);
    else if (!bold && font.family() == ocrBold)
        font.setFamily(ocr);
}
