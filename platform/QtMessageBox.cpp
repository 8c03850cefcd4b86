#include "platform/DialogPlacement.h"
#include "platform/MessageBox.h"

#include <QMessageBox>

void QtMessageBox::showError(QWidget* parent, const QString& caption, const QString& text) {
    ClearlyPlaced<QMessageBox> box(QMessageBox::Critical, caption, text, QMessageBox::NoButton);
    // A plain OK button, as the box's one answer: a standard one also carries the theme's
    // picture, and reading that picture loads every image plug-in Qt has, to stay for good.
    // It answers Return, wherever the focus is, and, being the only button, Escape.
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.standApartFrom(parent);
    // Texts quote command lines and paths from the settings file: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
