#include "clock/GlyphCell.h"

#include <QMouseEvent>

GlyphCell::GlyphCell(const QString& name, const QRect& geometry, QWidget* parent)
    : QWidget(parent) {
    setObjectName(name);
    setGeometry(geometry);
    // Moves over a cell must not reach the window behind it.
    setAttribute(Qt::WA_NoMousePropagation);
}

void GlyphCell::setGlyph(const QImage* glyph) {
    if (replaceGlyph(glyph))
        update();
}

bool GlyphCell::replaceGlyph(const QImage* glyph) {
    if (glyph == m_glyph)
        return false;
    m_glyph = glyph;
    return true;
}

void GlyphCell::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed();
}

void GlyphCell::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is not another press.
    event->accept();
}
