#pragma once

#include <QLabel>

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
    // The font the caption is drawn in: the label's own, narrowed when the caption is too wide.
    QFont drawnFont() const { return placement().font; }
    // Where the caption's ink lies, in label coordinates.
    QRect inkRect() const { return placement().ink; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Placement {
        QFont font;
        QPoint origin; // start of the baseline
        QRect ink;
    };
    Placement placement() const;

    QRect m_inkArea;
};
