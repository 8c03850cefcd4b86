#pragma once

#include <QHash>
#include <QImage>
#include <QLabel>

#include <functional>
#include <memory>

class QTextLayout;

// A one-line text label that draws the ink of its caption wholly inside its box. The layouts
// give many labels a box only as tall as the type's size, where the toolkit's own top
// alignment would cut off descenders and underlines: the baseline moves up just enough for
// them, and a caption wider than its box is set narrower.
class FittedLabel : public QLabel {
    Q_OBJECT
public:
    explicit FittedLabel(QWidget* parent = nullptr);

    // Keeps the ink within this part of the label (label coordinates); null for the whole label.
    void setInkArea(const QRect& area);
    // The same, with the area worked out when the caption is first placed: measuring may load
    // fonts, which a label that is never shown does not need.
    void setInkArea(std::function<QRect()> area);
    // The font the caption is drawn in: the label's own, narrowed when the caption is too wide.
    // The captions test draws each caption freely in it to prove that no label cuts its ink;
    // nothing else tells which narrowing the label chose.
    QFont drawnFont() const { return placement().font; }
    // Where the caption's ink lies, in label coordinates.
    QRect inkRect() const { return placement().ink; }
    // The pixels drawing the caption can change: its ink with a pixel round it for the
    // smoothed edges, and its underline. A repaint that misses them leaves the label alone.
    QRect paintedArea() const { return placement().painted; }
    // For a label over a background that never changes under its box: each caption is drawn
    // once with what lies beneath it, and the label then covers its whole box with those pixels,
    // so that a new caption repaints neither the window nor its neighbours.
    void setKeepsDrawnCaptions(bool keep);
    // Hides QLabel's, so that a kept caption covers its box at once.
    void setText(const QString& caption);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Placement {
        QFont font;
        QPoint origin; // start of the baseline
        QRect ink;
        QRect line; // the text line drawn, from the top of the font to its bottom
        QRect painted;
        // The caption laid out once, for a style that draws it as it is: a stopwatch second
        // then draws glyphs without shaping them again.
        std::shared_ptr<QTextLayout> layout;
        // The box as drawn over its background, in device pixels of this ratio.
        QImage drawn;
        qreal drawnRatio = 0;
    };
    // Worked out when the caption, its font, box or alignment change, not at every paint, and
    // kept for each caption the label has shown since.
    const Placement& placement() const;
    Placement place() const;
    void drawCaption(QPainter& painter, const Placement& p);
    void keepDrawnCaption(QPainter& painter, const QRegion& painted);
    bool drawsInPlace(const QTransform& device) const;
    bool copyKeptToScreen(const QRegion& region);

    mutable QRect m_inkArea;
    mutable std::function<QRect()> m_inkAreaSource;
    mutable QHash<QString, Placement> m_placements;
    mutable Qt::Alignment m_placedAlignment;
    bool m_keepsDrawn = false;
    // The scale the kept captions were drawn at.
    qreal m_drawnRatio = 0;
    bool m_repaintingKept = false;
};
