#pragma once

#include <QFont>

// Maps the typefaces the layouts name onto fonts a Linux desktop has.
void installFontSubstitutions();

// A font of a face the layouts name, at a size in points, narrowed where the face
// that stands in for it runs wider than the original.
QFont layoutFont(const QString& family, qreal pointSize);

// Turns bold on or off. Qt synthesises no bold for a monospaced face, so bold
// "OCR A Extended" is taken from the bold OCR A, which is installed as a family of its own.
void setBoldFace(QFont& font, bool bold);
