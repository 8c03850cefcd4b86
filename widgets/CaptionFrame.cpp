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

void CaptionFrame::setEtchColor(const QColor& color) {
    m_etchColor = color;
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
    const int etch = m_etchColor.isValid() ? 1 : 0;
    const QRect line(0, lineY, width() - 1 - etch, height() - 1 - lineY - etch);
    painter.setPen(m_lineColor);
    painter.drawRect(line);
    if (etch) {
        painter.setPen(m_etchColor);
        painter.drawRect(line.translated(etch, etch));
    }

    if (m_caption.isEmpty())
        return;
    const QRect gap(captionIndent + etch - captionGap, 0,
                    metrics.horizontalAdvance(m_caption) + 2 * captionGap, metrics.height());
    painter.fillRect(gap, m_background);
    painter.setPen(m_captionColor);
    // An etched frame centres its caption in the gap, which sets it a fraction of a pixel
    // further in; a single line has it start on the pixel.
    if (etch)
        painter.drawText(gap, Qt::AlignCenter, m_caption);
    else
        painter.drawText(captionIndent, metrics.ascent(), m_caption);
}

void CaptionFrame::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit pointerMoved();
}

void CaptionFrame::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
