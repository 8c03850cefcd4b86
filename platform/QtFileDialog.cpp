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
    QString selected = nameFilters.value(0);
    const QString path =
        QFileDialog::getOpenFileName(parent, QString(), QString(), nameFilters.join(u";;"),
                                     &selected, QFileDialog::HideNameFilterDetails);
    Result result;
    result.status = path.isEmpty() ? Result::Cancelled : Result::Chosen;
    result.path = path;
    return result;
}
