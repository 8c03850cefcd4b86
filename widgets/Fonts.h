#pragma once

#include <QFont>

#include <functional>

// Maps the typefaces the layouts name onto fonts a Linux desktop has.
void installFontSubstitutions();

// A font of a face the layouts name, at a size in points, narrowed where the face
// that stands in for it runs wider than the original.
QFont layoutFont(const QString& family, qreal pointSize, bool bold = false);

// A caption that does not fit is set narrower, never below 75 percent of its font's width: font
// stretched, from `from` percent of its width down in steps of `step`, until fits() holds; the
// narrowest tried when it never does.
QFont narrowedToFit(const QFont& font, int from, int step,
                    const std::function<bool(const QFont&)>& fits);

// Turns bold on or off. Qt synthesises no bold for a monospaced face, so bold
// "OCR A Extended" is taken from the bold OCR A, which is installed as a family of its own.
void setBoldFace(QFont& font, bool bold);
