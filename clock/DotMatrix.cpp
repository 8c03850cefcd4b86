#include "clock/DotMatrix.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Ratios such as 1.1 are not exact in binary: keep 10 * 1.1 at 11.
constexpr qreal slack = 1e-6;

} // namespace

int DotMatrix::toDevice(int logical, qreal ratio) {
    return int(std::floor(logical * ratio + slack));
}

int DotMatrix::dotSize(qreal ratio) {
    return std::max(1, int(std::floor(ratio + slack)));
}

bool DotMatrix::drawsAlike(QPoint a, QPoint b, QSize size, qreal ratio) {
    auto sameSteps = [ratio](int from, int to, int count) {
        for (int i = 1; i <= count; ++i) {
            if (toDevice(from + i, ratio) - toDevice(from, ratio) !=
                toDevice(to + i, ratio) - toDevice(to, ratio))
                return false;
        }
        return true;
    };
    return sameSteps(a.x(), b.x(), size.width()) && sameSteps(a.y(), b.y(), size.height());
}

void DotMatrix::paint(QPainter& painter, const QImage& picture, QPoint at, qreal ratio) {
    const int left = toDevice(at.x(), ratio);
    const int top = toDevice(at.y(), ratio);
    painter.fillRect(
        QRect(QPoint(left, top), QPoint(toDevice(at.x() + picture.width(), ratio) - 1,
                                        toDevice(at.y() + picture.height(), ratio) - 1)),
        Qt::black);
    const int dot = dotSize(ratio);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if ((pixel | 0xff000000) != black) {
                painter.fillRect(toDevice(at.x() + x, ratio), toDevice(at.y() + y, ratio), dot, dot,
                                 QColor::fromRgb(pixel));
            }
        }
    }
}
