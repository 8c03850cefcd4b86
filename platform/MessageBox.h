#pragma once

#include <QString>

class QWidget;

// Modal message boxes with the error icon and a single OK button.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void showError(QWidget* parent, const QString& caption, const QString& text) = 0;
};

class QtMessageBox : public MessageBox {
public:
    void showError(QWidget* parent, const QString& caption, const QString& text) override;
};
