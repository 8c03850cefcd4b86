#include "widgets/CaptionFrame.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Where the caption starts, and the gap the border leaves on each side of it (px).
constexpr int captionIndent = 7;
constexpr int captionGap = 2;
} // namespace

CaptionFrame::CaptionFrame(QWidget* parent)
    : QWidget(parent)
    , m_captionColor(Qt::black)
    , m_lineColor(Qt::gray)
    , m_background(Qt::lightGray) {
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CaptionFrame::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    setAccessibleName(caption);
    update();
}

void CaptionFrame::setCaptionColor(const QColor& color) {
    m_captionColor = color;
    update();
}

void CaptionFrame::setLineColor(const QColor& color) {
    m_lineColor = color;
    update();
}

void CaptionFrame::setBackgroundColor(const QColor& color) {
    m_background = color;
    update();
}

void CaptionFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);

    const QFontMetrics metrics = fontMetrics();
    const int lineY = metrics.height() / 2;
    painter.setPen(m_lineColor);
    painter.drawRect(0, lineY, width() - 1, height() - 1 - lineY);

    if (m_caption.isEmpty())
        return;
    const int textWidth = metrics.horizontalAdvance(m_caption);
    painter.fillRect(captionIndent - captionGap, 0, textWidth + 2 * captionGap, metrics.height(),
                     m_background);
    painter.setPen(m_captionColor);
    painter.drawText(captionIndent, metrics.ascent(), m_caption);
}

void CaptionFrame::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit pointerMoved();
}

void CaptionFrame::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
