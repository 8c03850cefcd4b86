#pragma once

#include <QImage>
#include <QString>

// Reads one of Tempivo's own XPM pictures with Qt's built-in reader. A plain QImage(path)
// first asks every image-format plug-in whether it reads the format, which loads them all
// (and libjpeg with one) before the strip can show.
QImage readXpmImage(const QString& path);
