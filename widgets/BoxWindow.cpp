#include "widgets/BoxWindow.h"

#include "widgets/Colors.h"
#include "widgets/ExactSize.h"

#include <QPainter>

BoxWindow::BoxWindow()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    keepExactSize(this);
}

void BoxWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Colors::darkGreen);
    painter.setPen(Colors::black);
    painter.drawRect(0, 0, width() - 1, height() - 1);
}
