#pragma once

#include <QWidget>

// A group box drawn the classic way: a single-line or etched border with its caption set
// into the top edge. It reports pointer moves over its own background and never
// lets a press or a move through to the window behind it.
class CaptionFrame : public QWidget {
    Q_OBJECT
public:
    explicit CaptionFrame(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    void setCaptionColor(const QColor& color);
    void setLineColor(const QColor& color);
    // An etched border: a second line in this colour one pixel below and right of the first;
    // the caption moves in by that pixel. Invalid (the default) for a single line.
    void setEtchColor(const QColor& color);
    void setBackgroundColor(const QColor& color);

signals:
    void pointerMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_caption;
    QColor m_captionColor;
    QColor m_lineColor;
    QColor m_etchColor;
    QColor m_background;
};
