#include "ClockFixture.h"
#include "LinksTestSupport.h"
#include "about/AboutBox.h"
#include "app/CompanionWindows.h"
#include "clock/Stopwatch.h"
#include "widgets/CaptionFrame.h"
#include "widgets/Fonts.h"

#include <QBackingStore>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

// Every caption of every window, drawn as laid out, shows as much ink as it has when drawn with
// room to spare, and no two labels' ink touches.
class CaptionsTest : public QObject {
    Q_OBJECT

    LinksFixture fx;
    // Label ink drawn so far in the window under test, by label.
    QHash<QPoint, QString> m_owner;

    static QRect boundsOf(const QList<QPoint>& pixels) {
        QRect r;
        for (const QPoint& p : pixels)
            r |= QRect(p, QSize(1, 1));
        return r;
    }

    static QImage rendered(QWidget* widget, const QColor& background) {
        QImage image(widget->size(), QImage::Format_RGB32);
        image.fill(background);
        widget->render(&image, {}, {}, QWidget::DrawWindowBackground | QWidget::DrawChildren);
        return image;
    }

    static QRect freeInk(const QString& text, const QFont& font, const QColor& pen,
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
        QRect r;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != background.rgb())
                    r |= QRect(x, y, 1, 1);
            }
        }
        return r;
    }

    // The caption's ink is what changes when the caption is taken away; where a frame's line
    // gives way to the caption, only the caption's own pixels count.
    static QList<QPoint> captionInk(QWidget* widget, const QString& caption,
                                    const std::function<void(const QString&)>& setCaption,
                                    const QColor& background) {
        const QImage with = rendered(widget, background);
        setCaption(QString());
        const QImage without = rendered(widget, background);
        setCaption(caption);
        QList<QPoint> ink;
        for (int y = 0; y < with.height(); ++y) {
            for (int x = 0; x < with.width(); ++x) {
                if (with.pixel(x, y) != without.pixel(x, y) && with.pixel(x, y) != background.rgb())
                    ink.append({x, y});
            }
        }
        return ink;
    }

    static bool checkCaption(QWidget* widget, const QString& caption, const QFont& font,
                             const QColor& pen, const QColor& background,
                             const std::function<void(const QString&)>& setCaption,
                             QList<QPoint>* ink = nullptr) {
        const QList<QPoint> shown = captionInk(widget, caption, setCaption, background);
        const QRect free = freeInk(caption, font, pen, background);
        const QRect bounds = boundsOf(shown);
        if (ink)
            *ink = shown;
        if (bounds.size() == free.size())
            return true;
        qWarning("%s \"%s\" is cut: %dx%d of %dx%d shown", qPrintable(widget->objectName()),
                 qPrintable(caption), bounds.width(), bounds.height(), free.width(), free.height());
        return false;
    }

    void checkLabels(QWidget* window) {
        m_owner.clear();
        for (FittedLabel* label : window->findChildren<FittedLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            const QColor background = label->autoFillBackground()
                                          ? label->palette().color(label->backgroundRole())
                                          : QColor(1, 2, 3);
            QList<QPoint> ink;
            QVERIFY(checkCaption(
                label, label->text(), label->drawnFont(),
                label->palette().color(label->foregroundRole()), background,
                [label](const QString& c) { label->setText(c); }, &ink));
            const QString name = label->objectName();
            const QPoint offset = label->mapTo(window, QPoint());
            for (const QPoint& p : ink) {
                for (const QPoint d : {QPoint(-1, -1), QPoint(0, -1), QPoint(1, -1), QPoint(-1, 0),
                                       QPoint(1, 0), QPoint(-1, 1), QPoint(0, 1), QPoint(1, 1)}) {
                    const QString other = m_owner.value(p + offset + d, name);
                    QVERIFY2(other == name, qPrintable(name + QStringLiteral(" touches ") + other));
                }
            }
            for (const QPoint& p : ink)
                m_owner.insert(p + offset, name);
        }
    }

    // Shows the clock, unfolds its panel and starts the stopwatch.
    bool unfoldAndStartStopwatch(ClockWindow& clock) {
        startClock(clock);
        if (!QTest::qWaitForWindowExposed(&clock))
            return false;
        QTest::mouseClick(clock.windowHandle(), Qt::LeftButton, {}, QPoint(80, 5));
        QTest::mouseClick(clock.findChild<CommandLabel*>(QStringLiteral("startCommand")),
                          Qt::LeftButton);
        return true;
    }

private slots:
    void initTestCase() {
        installFontSubstitutions();
        LinksFixture::isolateConfig();
        LinksFixture::removeConfig();
    }

    void everyCaptionIsWhole() {
        ClockWindow clock(fx.services());
        startClock(clock);
        CompanionWindows companions(clock, fx.services());
        clock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&clock));
        QTest::mouseClick(clock.windowHandle(), Qt::LeftButton, {}, QPoint(80, 5));
        QCOMPARE(clock.height(), 194);
        checkLabels(&clock);

        // Running: "Stop" has a descender and Pause is enabled; the commands lit are bold.
        auto* startStop = clock.findChild<CommandLabel*>(QStringLiteral("startCommand"));
        QTest::mouseClick(startStop, Qt::LeftButton);
        QCOMPARE(startStop->text(), QStringLiteral("Stop"));
        for (const char* name :
             {"moveCommand", "soundCommand", "linksCommand", "aboutCommand", "exitCommand"})
            clock.findChild<CommandLabel*>(QLatin1String(name))->setBold(true);
        checkLabels(&clock);

        companions.showLinks();
        LinksWindow* links = companions.linksWindow();
        links->openEditor(10);
        checkLabels(links);
        const QColor green(0, 128, 0);
        for (auto* frame : links->findChildren<CaptionFrame*>()) {
            QVERIFY(checkCaption(frame, frame->caption(), frame->font(), QColor(0, 255, 255), green,
                                 [frame](const QString& c) { frame->setCaption(c); }));
        }
        for (auto* option : links->findChildren<QRadioButton*>()) {
            QVERIFY(checkCaption(option, option->text(), option->font(), QColor(255, 255, 128),
                                 green, [option](const QString& c) { option->setText(c); }));
        }

        companions.showAbout();
        AboutBox* about = companions.aboutBox();
        checkLabels(about);
        auto* ok = about->findChild<QPushButton*>();
        QVERIFY(checkCaption(ok, ok->text(), ok->font(), ok->palette().color(QPalette::ButtonText),
                             ok->palette().color(QPalette::Button),
                             [ok](const QString& c) { ok->setText(c); }));
    }

    // Boxes overlap their neighbours by a pixel. A label draws only where its caption can
    // change pixels, so a stopwatch second draws the seconds readout alone, and a repaint of
    // any one box gives the pixels of a whole repaint.
    void aRepaintDrawsOnlyTheLabelsItReaches() {
        ClockWindow clock(fx.services());
        QVERIFY(unfoldAndStartStopwatch(clock));
        const auto labels = clock.findChildren<CommandLabel*>();
        auto* seconds = clock.findChild<CommandLabel*>(QStringLiteral("secondsReadout"));
        for (CommandLabel* label : labels) {
            const bool reached =
                label->paintedArea().translated(label->pos()).intersects(seconds->geometry());
            QVERIFY2(reached == (label == seconds), qPrintable(label->objectName()));
        }
        for (qreal ratio : {1.0, 1.5, 2.0}) {
            QImage whole(clock.size() * ratio, QImage::Format_RGB32);
            whole.setDevicePixelRatio(ratio);
            clock.render(&whole);
            for (CommandLabel* label : labels) {
                QImage part = whole.copy();
                QPainter(&part).fillRect(label->geometry(), Qt::magenta);
                clock.render(&part, label->pos(), QRegion(label->geometry()));
                QVERIFY2(
                    part == whole,
                    qPrintable(QStringLiteral("%1 at %2").arg(label->objectName()).arg(ratio)));
            }
        }
    }

    // From its second minute on, a stopwatch second paints the seconds' box and the blinking
    // colon alone, at once, with the pixels the labels draw there.
    void aStopwatchSecondPaintsTheSecondsAlone() {
        ClockWindow clock(fx.services());
        QVERIFY(unfoldAndStartStopwatch(clock));
        auto* stopwatch = clock.findChild<Stopwatch*>();
        auto* seconds = clock.findChild<CommandLabel*>(QStringLiteral("secondsReadout"));
        auto second = [&] {
            fx.uptime.now += 1000;
            stopwatch->tick();
        };
        for (int i = 0; i < 60; ++i) {
            second();
            QCoreApplication::processEvents();
        }
        QCOMPARE(seconds->text(), QStringLiteral("00"));

        struct PaintLog : QObject {
            QStringList painted;
            int updateRequests = 0;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Paint)
                    painted << watched->objectName();
                updateRequests += event->type() == QEvent::UpdateRequest;
                return false;
            }
        } log;
        clock.installEventFilter(&log);
        for (QWidget* child : clock.findChildren<QWidget*>())
            child->installEventFilter(&log);
        second();
        QCOMPARE(log.painted, (QStringList{QStringLiteral("secondsReadout"), clock.objectName()}));
        // Painted within the tick, with nothing left for another pass of the event loop.
        QCOMPARE(log.updateRequests, 2);
        QCoreApplication::processEvents();
        QCOMPARE(log.painted.size(), 2);
        QCOMPARE(log.updateRequests, 2);

        const QImage kept = clock.grab().toImage();
        const auto* screen = static_cast<const QImage*>(clock.backingStore()->paintDevice());
        QCOMPARE(screen->copy(seconds->geometry()).convertToFormat(QImage::Format_RGB32),
                 kept.copy(seconds->geometry()).convertToFormat(QImage::Format_RGB32));
        seconds->setKeepsDrawnCaptions(false);
        QCOMPARE(clock.grab().toImage(), kept);
    }
};

QTEST_MAIN(CaptionsTest)
#include "tst_captions.moc"
