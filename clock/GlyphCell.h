#pragma once

#include <QWidget>

class QImage;

// A picture cell of the clock strip: holds one glyph or nothing, so that the LED grid shows
// through. The clock window draws both, so that the glyph's dots line up with the grid's.
class GlyphCell : public QWidget {
    Q_OBJECT
public:
    GlyphCell(const QString& name, const QRect& geometry, QWidget* parent);

    const QImage* glyph() const { return m_glyph; }
    void setGlyph(const QImage* glyph);
    // Changes the glyph without asking for a repaint; true when it changed, and the caller
    // repaints the cell.
    bool replaceGlyph(const QImage* glyph);

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const QImage* m_glyph = nullptr;
};
