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
