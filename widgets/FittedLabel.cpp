#include "widgets/FittedLabel.h"

#include "widgets/Fonts.h"

#include <QBackingStore>
#include <QEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTextLayout>
#include <QWindow>
#include <QtMath>

#include <cmath>
#include <cstring>

FittedLabel::FittedLabel(QWidget* parent)
    : QLabel(parent) {
}

void FittedLabel::setInkArea(const QRect& area) {
    m_inkAreaSource = nullptr;
    if (area == m_inkArea)
        return;
    m_inkArea = area;
    m_placements.clear();
    update();
}

void FittedLabel::setInkArea(std::function<QRect()> area) {
    m_inkAreaSource = std::move(area);
    m_placements.clear();
    update();
}

void FittedLabel::setKeepsDrawnCaptions(bool keep) {
    m_keepsDrawn = keep;
    m_placements.clear();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    update();
}

bool FittedLabel::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
    case QEvent::FontChange:
    case QEvent::Resize:
    case QEvent::ContentsRectChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::StyleChange:
        m_placements.clear();
        if (m_keepsDrawn)
            setAttribute(Qt::WA_OpaquePaintEvent, false);
        break;
    default:
        break;
    }
    return QLabel::event(event);
}

const FittedLabel::Placement& FittedLabel::placement() const {
    if (m_placedAlignment != alignment()) {
        m_placements.clear();
        m_placedAlignment = alignment();
    }
    const QString caption = text();
    auto placed = m_placements.constFind(caption);
    if (placed == m_placements.cend()) {
        if (m_inkAreaSource) {
            m_inkArea = m_inkAreaSource();
            m_inkAreaSource = nullptr;
        }
        // A stopwatch readout cycles through sixty captions.
        if (m_placements.size() >= 64)
            m_placements.clear();
        placed = m_placements.insert(caption, place());
    }
    return *placed;
}

FittedLabel::Placement FittedLabel::place() const {
    const QRect area = m_inkArea.isNull() ? contentsRect() : m_inkArea;
    const QString caption = text();
    Placement p{font(), area.topLeft(), {}, {}, {}, {}, {}, 0};

    QFontMetrics metrics(p.font);
    QRect ink = metrics.tightBoundingRect(caption);
    if (ink.width() > area.width() && !caption.isEmpty()) {
        const int full = p.font.stretch() > 0 ? p.font.stretch() : 100;
        // Narrowed glyphs are scaled, and their smoothed edge reaches a pixel past the tight
        // bounds.
        auto narrowedInk = [&caption](const QFont& font) {
            return QFontMetrics(font).tightBoundingRect(caption).adjusted(0, 0, 1, 0);
        };
        p.font =
            narrowedToFit(p.font, full * area.width() / ink.width(), 1, [&](const QFont& font) {
                return narrowedInk(font).width() <= area.width();
            });
        if (p.font.stretch() != font().stretch()) {
            metrics = QFontMetrics(p.font);
            ink = narrowedInk(p.font);
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
    p.line = QRect(x, baseline - metrics.ascent(), advance + 1, metrics.height());
    p.painted = p.ink.adjusted(-1, 0, 1, 0);
    if (p.font.underline()) {
        p.painted |= QRect(x - 1, baseline + metrics.underlinePos() - 1, advance + 2,
                           metrics.lineWidth() + 2);
    }
    p.painted &= rect();

    // As the text drawing of the toolkit lays out one line; decorations and characters it
    // treats specially are left to it.
    static const QRegularExpression special(QStringLiteral("[&\\t\\r\\n\\x{9c}]"));
    if (!p.font.underline() && !p.font.overline() && !p.font.strikeOut() &&
        !caption.contains(special)) {
        p.layout = std::make_shared<QTextLayout>(caption, p.font, this);
        QTextOption option(Qt::AlignLeft);
        option.setTextDirection(layoutDirection());
        p.layout->setTextOption(option);
        p.layout->setCacheEnabled(true);
        p.layout->beginLayout();
        QTextLine line = p.layout->createLine();
        line.setLineWidth(0x01000000);
        line.setPosition(QPointF(0, 0));
        p.layout->endLayout();
    }
    return p;
}

void FittedLabel::setText(const QString& caption) {
    if (caption == text())
        return;
    if (!m_keepsDrawn) {
        QLabel::setText(caption);
        return;
    }
    // The window leaves the box to the label only when the label has its pixels.
    const auto placed = m_placements.constFind(caption);
    const bool kept = placed != m_placements.cend() && m_placedAlignment == alignment() &&
                      m_drawnRatio != 0 && placed->drawnRatio == m_drawnRatio;
    setAttribute(Qt::WA_OpaquePaintEvent, kept);
    const QWindow* shown = window()->windowHandle();
    if (!kept || !isVisible() || !updatesEnabled() || !shown || !shown->isExposed()) {
        QLabel::setText(caption);
        return;
    }
    // Painted now, with the pass of the event loop that changed it: the update QLabel asks for
    // would cost a pass of its own.
    setAttribute(Qt::WA_UpdatesDisabled);
    QLabel::setText(caption);
    setAttribute(Qt::WA_UpdatesDisabled, false);
    m_repaintingKept = true;
    repaint();
    m_repaintingKept = false;
}

bool FittedLabel::copyKeptToScreen(const QRegion& region) {
    // Its own repaint paints the window's backing store: the kept pixels go there as they are,
    // without a painter's set-up, which would cost more than the copy.
    QBackingStore* store = backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image || region != QRegion(rect()))
        return false;
    auto* screen = static_cast<QImage*>(device);
    const Placement& p = placement();
    const qreal ratio = screen->devicePixelRatio();
    const QPointF origin = QPointF(mapTo(window(), QPoint())) * ratio;
    const QRect box(origin.toPoint(), p.drawn.size());
    if (p.drawnRatio != ratio || origin != QPointF(box.topLeft()) ||
        screen->format() != p.drawn.format() || !screen->isDetached() ||
        !screen->rect().contains(box))
        return false;
    const int pixelBytes = screen->depth() / 8;
    const auto rowBytes = size_t(box.width() * pixelBytes);
    for (int y = 0; y < box.height(); ++y) {
        std::memcpy(screen->scanLine(box.top() + y) + box.left() * pixelBytes,
                    p.drawn.constScanLine(y), rowBytes);
    }
    return true;
}

bool FittedLabel::drawsInPlace(const QTransform& device) const {
    const QPoint at = mapTo(window(), QPoint());
    const qreal ratio = device.m11();
    return device.dx() == at.x() * ratio && device.dy() == at.y() * ratio &&
           device.dx() == std::floor(device.dx()) && device.dy() == std::floor(device.dy());
}

void FittedLabel::paintEvent(QPaintEvent* event) {
    if (m_keepsDrawn && testAttribute(Qt::WA_OpaquePaintEvent)) {
        if (m_repaintingKept && copyKeptToScreen(event->region()))
            return;
        QPainter painter(this);
        const QTransform device = painter.deviceTransform();
        const Placement& p = placement();
        if (p.drawnRatio != device.m11()) {
            // Another scale: the window draws the background again.
            painter.end();
            setAttribute(Qt::WA_OpaquePaintEvent, false);
            parentWidget()->update(geometry());
            return;
        }
        // Drawn anywhere but in its window, the label draws its caption alone.
        if (drawsInPlace(device)) {
            painter.setWorldTransform(QTransform::fromScale(1 / p.drawnRatio, 1 / p.drawnRatio));
            painter.drawImage(0, 0, p.drawn);
            return;
        }
    }
    const QString caption = text();
    if (caption.isEmpty())
        return;
    const Placement& p = placement();
    // Neighbouring boxes overlap by a pixel: a repaint of the next label's box reaches this
    // one without touching its caption.
    if (!event->region().intersects(p.painted))
        return;
    QPainter painter(this);
    drawCaption(painter, p);
    if (m_keepsDrawn)
        keepDrawnCaption(painter, event->region());
}

void FittedLabel::keepDrawnCaption(QPainter& painter, const QRegion& painted) {
    // Only the screen's pixels show what lies beneath, and only a paint of the whole box.
    QBackingStore* store = backingStore();
    QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const QTransform transform = painter.deviceTransform();
    if (!store || device != store->paintDevice() || device->devType() != QInternal::Image ||
        painted.intersected(rect()) != QRegion(rect()) || !drawsInPlace(transform))
        return;
    const qreal ratio = transform.m11();
    const QRect box(int(transform.dx()), int(transform.dy()), qCeil(width() * ratio),
                    qCeil(height() * ratio));
    const auto* screen = static_cast<const QImage*>(device);
    if (!screen->rect().contains(box))
        return;
    auto& p = const_cast<Placement&>(placement());
    p.drawn = screen->copy(box);
    p.drawn.setDevicePixelRatio(1);
    p.drawnRatio = ratio;
    m_drawnRatio = ratio;
}

void FittedLabel::drawCaption(QPainter& painter, const Placement& p) {
    painter.setFont(p.font);
    QStyleOption option;
    option.initFrom(this);
    // Fusion draws an item's text in the palette's colour of its role, greyed by the palette
    // while the label is disabled; the laid-out caption gives the same pixels.
    if (p.layout && style()->name() == QLatin1String("fusion")) {
        painter.setPen(QPen(option.palette.brush(foregroundRole()), painter.pen().widthF()));
        const QTextLine line = p.layout->lineAt(0);
        const QRectF bounds(p.line.topLeft(),
                            QSizeF(line.naturalTextWidth(), line.ascent() + line.descent()));
        if (!QRectF(p.line).contains(bounds))
            painter.setClipRect(p.line, Qt::IntersectClip);
        line.draw(&painter, p.line.topLeft());
        return;
    }
    // The style draws the text in the label's colours, greyed while the label is disabled.
    style()->drawItemText(&painter, p.line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          option.palette, isEnabled(), text(), foregroundRole());
}
