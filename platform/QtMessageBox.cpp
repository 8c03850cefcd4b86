#include "platform/DialogPlacement.h"
#include "platform/MessageBox.h"

#include <QMessageBox>

void QtMessageBox::showError(QWidget* parent, const QString& caption, const QString& text) {
    ClearlyPlaced<QMessageBox> box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.standApartFrom(parent);
    // Texts quote command lines and paths from the settings file: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
