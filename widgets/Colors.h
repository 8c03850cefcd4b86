#pragma once

#include <QColor>

class QWidget;

// The named colours of every window the program draws.
namespace Colors {
inline const QColor darkGreen{0x00, 0x80, 0x00};
inline const QColor midGreen{0x00, 0xC0, 0x00};
inline const QColor litGreen{0x00, 0xFF, 0x00};
inline const QColor lightCyan{0x80, 0xFF, 0xFF};
inline const QColor paleCyan{0xC0, 0xFF, 0xFF};
inline const QColor cyan{0x00, 0xFF, 0xFF};
inline const QColor lightYellow{0xFF, 0xFF, 0x80};
inline const QColor paleYellow{0xFF, 0xFF, 0xC0};
inline const QColor peach{0xFF, 0xE0, 0xC0};
inline const QColor orange{0xFF, 0x80, 0x00};
inline const QColor lightGrey{0xC0, 0xC0, 0xC0};
inline const QColor grey{0x80, 0x80, 0x80};
inline const QColor white{0xFF, 0xFF, 0xFF};
inline const QColor black{0x00, 0x00, 0x00};
} // namespace Colors

// Text and background colours of widget in every state; an invalid back leaves the background
// unfilled.
void setColors(QWidget* widget, const QColor& text, const QColor& back);
