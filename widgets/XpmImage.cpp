#include "widgets/XpmImage.h"

#include <QImageReader>

QImage readXpmImage(const QString& path) {
    QImageReader reader(path, "xpm");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
