#pragma once

#include "platform/MessageBox.h"

#include <QList>

class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        QString caption;
        QString text;
    };

    void showError(QWidget*, const QString& caption, const QString& text) override {
        shown.append({caption, text});
    }

    QList<Shown> shown;
};
