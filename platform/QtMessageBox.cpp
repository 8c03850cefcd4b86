#include "platform/MessageBox.h"

#include <QMessageBox>

void QtMessageBox::showError(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
}
