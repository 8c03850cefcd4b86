#pragma once

// Maps the typefaces the layouts name onto fonts a Linux desktop has.
void installFontSubstitutions();

class QFont;

// Turns bold on or off. Qt synthesises no bold for a monospaced face, so bold
// "OCR A Extended" is taken from the bold OCR A, which is installed as a family of its own.
void setBoldFace(QFont& font, bool bold);
