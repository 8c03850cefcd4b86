#include "clock/GlyphCell.h"

#include "clock/GlyphStore.h"

#include <QMouseEvent>
#include <QPainter>

GlyphCell::GlyphCell(const QString& name, const QRect& geometry, QWidget* parent)
    : QWidget(parent) {
    setObjectName(name);
    setGeometry(geometry);
    // Moves over a cell must not reach the window behind it.
    setAttribute(Qt::WA_NoMousePropagation);
    // The cell draws the LED grid behind its glyph itself, so a blink repaints the cell alone.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GlyphCell::setGlyph(const QPixmap* glyph) {
    if (glyph == m_glyph)
        return;
    m_glyph = glyph;
    update();
}

void GlyphCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, GlyphStore::instance().ledGrid(), x(), y(), width(), height());
    if (m_glyph)
        painter.drawPixmap(0, 0, *m_glyph);
}

void GlyphCell::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed();
}

void GlyphCell::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is not another press.
    event->accept();
}
