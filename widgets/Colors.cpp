#include "widgets/Colors.h"

#include <QPalette>
#include <QWidget>

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
