#include "widgets/CommandLabel.h"

#include "widgets/Fonts.h"

#include <QMouseEvent>

CommandLabel::CommandLabel(QWidget* parent)
    : FittedLabel(parent) {
    setAttribute(Qt::WA_NoMousePropagation);
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QColor CommandLabel::textColor() const {
    // The colour set, also while the label is disabled and drawn greyed.
    return palette().color(QPalette::Active, QPalette::WindowText);
}

void CommandLabel::setTextColor(const QColor& color) {
    if (textColor() == color)
        return;
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::WindowText, color);
    p.setColor(QPalette::Inactive, QPalette::WindowText, color);
    setPalette(p);
}

void CommandLabel::setBold(bool bold) {
    if (isBold() == bold)
        return;
    QFont f = font();
    setBoldFace(f, bold);
    setFont(f);
}

void CommandLabel::setUnderlined(bool underlined) {
    if (isUnderlined() == underlined)
        return;
    QFont f = font();
    f.setUnderline(underlined);
    setFont(f);
}

void CommandLabel::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void CommandLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

void CommandLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    m_pressed = false;
    event->accept();
}

void CommandLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit pointerMoved();
}
