#pragma once

#include "platform/MessageBox.h"

#include <QStringList>

// Records each message instead of showing it.
class FakeMessageBox : public MessageBox {
public:
    QStringList captions;
    QStringList texts;
    void showError(QWidget*, const QString& caption, const QString& text) override {
        captions << caption;
        texts << text;
    }
};
