#include "links/LinksLook.h"

#include "widgets/CaptionFrame.h"
#include "widgets/Fonts.h"
#include "widgets/Twips.h"

#include <QPalette>
#include <QWidget>

namespace LinksLook {

QFont makeFont(const char* face, qreal points, bool bold) {
    QFont font = layoutFont(QLatin1String(face), points);
    font.setBold(bold);
    return font;
}

void setColors(QWidget* widget, const QColor& text, const QColor& back) {
    QPalette p = widget->palette();
    if (p.color(QPalette::WindowText) == text && p.color(QPalette::Window) == back &&
        widget->autoFillBackground() == back.isValid()) {
        return;
    }
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::ButtonText, text);
        if (back.isValid()) {
            p.setColor(group, QPalette::Window, back);
            p.setColor(group, QPalette::Button, back);
        }
    }
    widget->setPalette(p);
    widget->setAutoFillBackground(back.isValid());
}

void setUpFrame(CaptionFrame* frame, const char* name, const QString& caption, int left, int top,
                int width, int height) {
    frame->setObjectName(QLatin1String(name));
    frame->setCaption(caption);
    frame->setFont(makeFont("Tahoma", 8.25));
    frame->setCaptionColor(frameCaption);
    frame->setLineColor(frameLine);
    frame->setBackgroundColor(background);
    frame->setGeometry(Twips::rect(left, top, width, height).translated(borderPx, borderPx));
}

} // namespace LinksLook
