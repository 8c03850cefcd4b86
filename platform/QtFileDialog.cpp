#include "platform/DialogPlacement.h"
#include "platform/FileDialog.h"

#include <QFileDialog>
#include <QStringList>

FileDialog::Result QtFileDialog::getOpenFileName(QWidget* parent, const QList<Filter>& filters) {
    // Qt shows the description alone and filters by the pattern in the last brackets.
    // "*.*" would hide names without a dot, so every-file filters become "*".
    QStringList nameFilters;
    for (const Filter& filter : filters) {
        const QString pattern =
            filter.pattern == QLatin1String("*.*") ? QStringLiteral("*") : filter.pattern;
        nameFilters.append(filter.description + QStringLiteral(" (") + pattern + u')');
    }
    ClearlyPlaced<QFileDialog> dialog(nullptr, QString(), QString(), nameFilters.join(u";;"));
    dialog.standApartFrom(parent);
    dialog.setOptions(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectNameFilter(nameFilters.value(0));
    Result result;
    if (dialog.exec() == QDialog::Accepted)
        result.path = dialog.selectedFiles().value(0);
    result.status = result.path.isEmpty() ? Result::Cancelled : Result::Chosen;
    return result;
}
