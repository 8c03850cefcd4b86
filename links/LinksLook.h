#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class CaptionFrame;
class QWidget;

// The look the links window's slot list and its link editor share.
namespace LinksLook {

inline const QColor background{0, 128, 0};
inline const QColor frameCaption{0, 255, 255};
inline const QColor frameLine{192, 192, 192};
inline const QColor slotText{255, 255, 128};

inline const QString errorCaption = QStringLiteral("Error");

// The client area starts inside the one-pixel window border.
inline constexpr int borderPx = 1;

QFont makeFont(const char* face, qreal points, bool bold = false);

// Text and background colours; an invalid back leaves the background unfilled.
void setColors(QWidget* widget, const QColor& text, const QColor& back);

// One of the window's two frames: caption, colours, and its place in twips inside the border.
void setUpFrame(CaptionFrame* frame, const char* name, const QString& caption, int left, int top,
                int width, int height);

} // namespace LinksLook
