#include "LinksTestSupport.h"
#include "about/AboutBox.h"
#include "clock/CompanionWindows.h"
#include "platform/CaptionFrame.h"
#include "platform/Fonts.h"

#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

// Every caption of every window, drawn as laid out, shows all the ink it has when drawn
// with room to spare, and no two captions' ink touches.
class CaptionsTest : public QObject {
    Q_OBJECT

    LinksFixture fx;

    struct Ink {
        QList<QPoint> pixels; // window coordinates
        QRect bounds;         // size of the ink, as drawn freely
    };

    static QColor backgroundOf(const FittedLabel* label) {
        return label->autoFillBackground() ? label->palette().color(label->backgroundRole())
                                           : QColor(1, 2, 3);
    }

    static QList<QPoint> inkOf(const QImage& image, const QColor& background) {
        QList<QPoint> pixels;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != background.rgb())
                    pixels.append({x, y});
            }
        }
        return pixels;
    }

    static QRect boundsOf(const QList<QPoint>& pixels) {
        QRect r;
        for (const QPoint& p : pixels)
            r |= QRect(p, QSize(1, 1));
        return r;
    }

    static QList<QPoint> shownInk(FittedLabel* label, QWidget* window) {
        const QColor background = backgroundOf(label);
        QImage image(label->size(), QImage::Format_RGB32);
        image.fill(background);
        label->render(&image, {}, {}, QWidget::DrawChildren);
        QList<QPoint> pixels = inkOf(image, background);
        const QPoint offset = label->mapTo(window, QPoint());
        for (QPoint& p : pixels)
            p += offset;
        return pixels;
    }

    static QList<QPoint> freeInk(const QString& text, const QFont& font, const QColor& pen,
                                 const QColor& background) {
        const QFontMetrics metrics(font);
        QImage image(metrics.horizontalAdvance(text) + 40, metrics.height() + 40,
                     QImage::Format_RGB32);
        image.fill(background);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(pen);
        painter.drawText(image.rect().adjusted(20, 20, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
        painter.end();
        return inkOf(image, background);
    }

    static QList<QPoint> freeInk(const FittedLabel* label) {
        return freeInk(label->text(), label->drawnFont(),
                       label->palette().color(QPalette::Active, label->foregroundRole()),
                       backgroundOf(label));
    }

    // A caption that a frame or a button draws itself: its ink is what changes when the
    // caption is taken away.
    static void checkDrawnCaption(QWidget* widget, const QString& caption,
                                  const std::function<void(const QString&)>& setCaption,
                                  const QColor& pen, const QColor& background) {
        const QImage with = widget->grab().toImage();
        setCaption(QString());
        const QImage without = widget->grab().toImage();
        setCaption(caption);
        QRect shown;
        for (int y = 0; y < with.height(); ++y) {
            for (int x = 0; x < with.width(); ++x) {
                // Where a frame's line gives way to the caption, only the caption's ink counts.
                if (with.pixel(x, y) != without.pixel(x, y) && with.pixel(x, y) != background.rgb())
                    shown |= QRect(x, y, 1, 1);
            }
        }
        const QRect free = boundsOf(freeInk(caption, widget->font(), pen, background));
        QVERIFY2(shown.size() == free.size(),
                 qPrintable(QStringLiteral("%1 \"%2\" is cut: %3x%4 of %5x%6 shown")
                                .arg(widget->objectName(), caption)
                                .arg(shown.width())
                                .arg(shown.height())
                                .arg(free.width())
                                .arg(free.height())));
    }

    void checkWindow(QWidget* window, const char* state) {
        QHash<QPoint, QString> owner;
        for (FittedLabel* label : window->findChildren<FittedLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            const QString name = QStringLiteral("%1 %2 \"%3\"")
                                     .arg(QLatin1String(state), label->objectName(), label->text());
            const QList<QPoint> shown = shownInk(label, window);
            const QList<QPoint> free = freeInk(label);
            QVERIFY2(shown.size() == free.size() && boundsOf(shown).size() == boundsOf(free).size(),
                     qPrintable(QStringLiteral("%1 is cut: %2 of %3 ink pixels shown")
                                    .arg(name)
                                    .arg(shown.size())
                                    .arg(free.size())));
            for (const QPoint& p : shown) {
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QString other = owner.value(p + QPoint(dx, dy));
                        QVERIFY2(other.isEmpty() || other == name,
                                 qPrintable(name + QStringLiteral(" touches ") + other));
                    }
                }
            }
            for (const QPoint& p : shown)
                owner.insert(p, name);
        }
    }

private slots:
    void initTestCase() {
        installFontSubstitutions();
        LinksFixture::isolateConfig();
        LinksFixture::removeConfig();
    }

    void everyCaptionIsWhole() {
        ClockWindow clock(fx.services());
        clock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&clock));
        QTest::mouseClick(clock.windowHandle(), Qt::LeftButton, {}, QPoint(80, 5));
        QCOMPARE(clock.height(), 194);
        checkWindow(&clock, "idle");

        // Running: "Stop" has a descender, and Pause is enabled.
        auto* startStop = clock.findChild<CommandLabel*>(QStringLiteral("Label4"));
        QTest::mouseClick(startStop, Qt::LeftButton);
        QCOMPARE(startStop->text(), QStringLiteral("Stop"));
        for (const char* name : {"lblMove", "Label2", "Label7", "Label8", "lblExit"})
            clock.findChild<CommandLabel*>(QLatin1String(name))->setBold(true);
        checkWindow(&clock, "lit");

        clock.companions().showLinks();
        LinksWindow* links = clock.companions().linksWindow();
        links->Bigger(10);
        checkWindow(links, "links");
        const QColor green(0, 128, 0);
        for (auto* frame : links->findChildren<CaptionFrame*>()) {
            checkDrawnCaption(
                frame, frame->caption(), [frame](const QString& c) { frame->setCaption(c); },
                QColor(0, 255, 255), green);
        }
        for (auto* option : links->findChildren<QRadioButton*>()) {
            checkDrawnCaption(
                option, option->text(), [option](const QString& c) { option->setText(c); },
                QColor(255, 255, 128), green);
        }

        clock.companions().showAbout();
        AboutBox* about = clock.companions().aboutBox();
        checkWindow(about, "about");
        auto* ok = about->findChild<QPushButton*>();
        checkDrawnCaption(
            ok, ok->text(), [ok](const QString& c) { ok->setText(c); },
            ok->palette().color(QPalette::ButtonText), ok->palette().color(QPalette::Button));
    }
};

QTEST_MAIN(CaptionsTest)
#include "tst_captions.moc"
