#pragma once

#include "platform/FileDialog.h"

class FakeFileDialog : public FileDialog {
public:
    Result getOpenFileName(QWidget*, const QList<Filter>& filters) override {
        ++shows;
        lastFilters = filters;
        return next;
    }

    Result next;
    int shows = 0;
    QList<Filter> lastFilters;
};
