#pragma once

#include <QWidget>

class QPixmap;

// A picture cell of the clock strip: shows one glyph at its natural size, or
// nothing so that the LED grid behind it shows through.
class GlyphCell : public QWidget {
    Q_OBJECT
public:
    GlyphCell(const QString& name, const QRect& geometry, QWidget* parent);

    const QPixmap* glyph() const { return m_glyph; }
    void setGlyph(const QPixmap* glyph);

signals:
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const QPixmap* m_glyph = nullptr;
};
