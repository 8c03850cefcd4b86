#include "widgets/FittedLabel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

// A caption is never set narrower than this share of its font's width (percent); past it, the
// end of the caption is cut instead.
constexpr int narrowestStretch = 75;

} // namespace

FittedLabel::FittedLabel(QWidget* parent)
    : QLabel(parent) {
}

void FittedLabel::setInkArea(const QRect& area) {
    if (area == m_inkArea)
        return;
    m_inkArea = area;
    update();
}

FittedLabel::Placement FittedLabel::placement() const {
    const QRect area = m_inkArea.isNull() ? contentsRect() : m_inkArea;
    const QString caption = text();
    Placement p{font(), area.topLeft(), {}};

    QFontMetrics metrics(p.font);
    QRect ink = metrics.tightBoundingRect(caption);
    if (ink.width() > area.width() && !caption.isEmpty()) {
        const int full = p.font.stretch() > 0 ? p.font.stretch() : 100;
        for (int stretch = full * area.width() / ink.width();
             stretch >= full * narrowestStretch / 100; --stretch) {
            p.font.setStretch(stretch);
            metrics = QFontMetrics(p.font);
            // Narrowed glyphs are scaled, and their smoothed edge reaches a pixel past the
            // tight bounds.
            ink = metrics.tightBoundingRect(caption).adjusted(0, 0, 1, 0);
            if (ink.width() <= area.width())
                break;
        }
    }

    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    int x = area.left();
    const int advance = metrics.horizontalAdvance(caption);
    if (align & Qt::AlignHCenter)
        x += (area.width() - advance) / 2;
    else if (align & Qt::AlignRight)
        x = area.right() + 1 - advance;
    if (x + ink.right() > area.right())
        x = area.right() - ink.right();
    if (x + ink.left() < area.left())
        x = area.left() - ink.left();

    int baseline = area.top() + metrics.ascent();
    if (align & Qt::AlignVCenter)
        baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
    else if (align & Qt::AlignBottom)
        baseline = area.bottom() + 1 - metrics.descent();
    // Room below the baseline for any descender of the font, not only of this caption, so
    // that the caption keeps its place when its text changes ("Start", "Stop").
    int below = std::max(ink.bottom(), metrics.descent() - 1);
    if (p.font.underline())
        below = std::max(below, metrics.underlinePos() + metrics.lineWidth());
    if (baseline + below > area.bottom())
        baseline = area.bottom() - below;
    if (baseline + ink.top() < area.top())
        baseline = area.top() - ink.top();

    p.origin = QPoint(x, baseline);
    p.ink = ink.translated(p.origin);
    return p;
}

void FittedLabel::paintEvent(QPaintEvent*) {
    const QString caption = text();
    if (caption.isEmpty())
        return;
    const Placement p = placement();
    QPainter painter(this);
    painter.setFont(p.font);
    QStyleOption option;
    option.initFrom(this);
    const QFontMetrics metrics(p.font);
    // The style draws the text in the label's colours, greyed while the label is disabled.
    const QRect line(p.origin.x(), p.origin.y() - metrics.ascent(),
                     metrics.horizontalAdvance(caption) + 1, metrics.height());
    style()->drawItemText(&painter, line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          option.palette, isEnabled(), caption, foregroundRole());
}
