#include "links/LinksLook.h"

#include "widgets/BoxWindow.h"
#include "widgets/CaptionFrame.h"
#include "widgets/Colors.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

namespace LinksLook {

void setUpFrame(CaptionFrame* frame, const char* name, const QString& caption, int left, int top,
                int width, int height) {
    frame->setObjectName(QLatin1String(name));
    frame->setCaption(caption);
    frame->setFont(layoutFont(QStringLiteral("Tahoma"), 8.25));
    frame->setCaptionColor(Colors::cyan);
    frame->setLineColor(Colors::lightGrey);
    frame->setBackgroundColor(Colors::darkGreen);
    frame->setGeometry(
        Twips::rect(left, top, width, height).translated(BoxWindow::borderPx, BoxWindow::borderPx));
}

} // namespace LinksLook
