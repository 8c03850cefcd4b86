#include "widgets/ExactSize.h"

#include <QEvent>
#include <QWidget>

namespace {

void setBaseSize(QWidget* window) {
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
    // The size asked for, not one a window manager cut short.
    const QSize size =
        window->minimumSize() == window->maximumSize() ? window->minimumSize() : window->size();
    const QSize wanted = step > 1 ? QSize(base(size.width()), base(size.height())) : QSize();
    if (window->baseSize() != wanted)
        window->setBaseSize(wanted);
}

class ExactSizeKeeper : public QObject {
public:
    explicit ExactSizeKeeper(QWidget* window)
        : QObject(window) {
        setObjectName(QStringLiteral("exactSizeKeeper"));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            setBaseSize(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

void keepExactSize(QWidget* window) {
    if (!window->findChild<QObject*>(QStringLiteral("exactSizeKeeper"), Qt::FindDirectChildrenOnly))
        new ExactSizeKeeper(window);
    setBaseSize(window);
}
