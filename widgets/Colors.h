#pragma once

#include <QColor>

// The named colours of the clock window and the About box.
namespace Colors {
inline const QColor darkGreen{0x00, 0x80, 0x00};
inline const QColor litGreen{0x00, 0xFF, 0x00};
inline const QColor lightCyan{0x80, 0xFF, 0xFF};
inline const QColor cyan{0x00, 0xFF, 0xFF};
inline const QColor orange{0xFF, 0x80, 0x00};
inline const QColor lightGrey{0xC0, 0xC0, 0xC0};
inline const QColor white{0xFF, 0xFF, 0xFF};
inline const QColor black{0x00, 0x00, 0x00};
} // namespace Colors
