#pragma once

#include <QString>

class CaptionFrame;

// What the links window's slot list and its link editor share.
namespace LinksLook {

inline const QString errorCaption = QStringLiteral("Error");

// One of the window's two frames: caption, colours, and its place in twips inside the border.
void setUpFrame(CaptionFrame* frame, const char* name, const QString& caption, int left, int top,
                int width, int height);

} // namespace LinksLook
