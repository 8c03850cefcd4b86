#pragma once

#include <QList>
#include <QString>

class QWidget;

// The modal dialog for choosing an existing file.
class FileDialog {
public:
    struct Filter {
        QString description;
        QString pattern; // as the user knows it, "*.*" meaning every file
    };
    struct Result {
        enum Status { Chosen, Cancelled, Failed };
        Status status = Cancelled;
        QString path; // full path of the chosen file
    };

    virtual ~FileDialog() = default;
    // The first filter is in force when the dialog opens.
    virtual Result getOpenFileName(QWidget* parent, const QList<Filter>& filters) = 0;
};

class QtFileDialog : public FileDialog {
public:
    Result getOpenFileName(QWidget* parent, const QList<Filter>& filters) override;
};
