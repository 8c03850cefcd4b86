#include "widgets/ExactSize.h"

#include <QWidget>

void keepExactSize(QWidget* window) {
    const qreal ratio = window->devicePixelRatioF();
    const int step = qRound(ratio);
    auto base = [&](int logical) {
        const int size = qRound(logical * ratio);
        for (int b = 0; b <= 2 * step; ++b) {
            const int native = qRound(b * ratio);
            if (native <= size && (size - native) % step == 0)
                return b;
        }
        return 0;
    };
    const QSize wanted = step > 1 ? QSize(base(window->width()), base(window->height())) : QSize();
    if (window->baseSize() != wanted)
        window->setBaseSize(wanted);
}
