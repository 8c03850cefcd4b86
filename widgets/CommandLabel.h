#pragma once

#include "widgets/FittedLabel.h"

// A text label that takes part in pointer handling: it reports pointer moves
// over itself and clicks (left button pressed and released over it), and never
// lets a press or a move through to the window behind it. The second press of a
// double-click is no press: a double-click is one click.
class CommandLabel : public FittedLabel {
    Q_OBJECT
public:
    explicit CommandLabel(QWidget* parent = nullptr);

    QColor textColor() const;
    void setTextColor(const QColor& color);
    bool isBold() const { return font().bold(); }
    void setBold(bool bold);
    bool isUnderlined() const { return font().underline(); }
    void setUnderlined(bool underlined);

signals:
    void clicked();
    void pointerMoved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
