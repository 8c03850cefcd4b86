#pragma once

#include "platform/MessageBox.h"

#include <QList>

// Records each message instead of showing it.
class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        QString caption;
        QString text;
    };
    QList<Shown> shown;

    void showError(QWidget*, const QString& caption, const QString& text) override {
        shown.append({caption, text});
    }
};
