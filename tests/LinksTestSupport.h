#pragma once

#include "ClockFixture.h"

#include "app/CompanionWindows.h"
#include "clock/ClockWindow.h"
#include "fakes/FakeServices.h"
#include "links/LinkEditor.h"
#include "links/LinkStore.h"
#include "links/LinksWindow.h"
#include "widgets/CommandLabel.h"
#include "widgets/Fonts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// A clock window and the windows it opens, with stand-in services and a settings file in the
// test area.
struct LinksFixture : FakeServices {
    std::unique_ptr<ClockWindow> clock;
    std::unique_ptr<CompanionWindows> companions;

    // Test mode keeps the user's own settings out of reach; a home of its own per
    // test program lets suites run side by side.
    static void isolateConfig() {
        static QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        QStandardPaths::setTestModeEnabled(true);
    }

    static QString configPath() { return LinkStore::configFilePath(); }

    // The settings file as a fresh store writes it.
    static QByteArray defaultText() {
        QByteArray text = "[Configuration]\r\n";
        for (int n = 1; n <= 10; ++n) {
            const QByteArray no = "No" + QByteArray::number(n);
            text +=
                no + "T=\"[none]\"\r\n" + no + "A=\"none\"\r\n" + no + "S=\"Computer program\"\r\n";
        }
        return text;
    }

    static void removeConfig() {
        const QString path = configPath();
        if (QFileInfo(path).isDir())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }

    static void writeConfig(const QByteArray& content) {
        removeConfig();
        QDir().mkpath(QFileInfo(configPath()).absolutePath());
        QFile file(configPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray readConfig() {
        QFile file(configPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    // The default text with whole lines replaced, e.g. {"No3T=\"[none]\"", "No3T=Mail"}.
    static QByteArray defaultWith(const QList<std::pair<QByteArray, QByteArray>>& lines) {
        QByteArray text = defaultText();
        for (const auto& [from, to] : lines) {
            const QByteArray needle = "\n" + from + "\r\n";
            if (!text.contains(needle))
                qFatal("no line %s", from.constData());
            text.replace(needle, "\n" + to + "\r\n");
        }
        return text;
    }

    void start() { start(services()); }
    void start(const Services& with) {
        clock = std::make_unique<ClockWindow>(with);
        startClock(*clock);
        companions = std::make_unique<CompanionWindows>(*clock, with);
        clock->show();
        QVERIFY(QTest::qWaitForWindowExposed(clock.get()));
    }

    LinksWindow* openLinks() {
        companions->showLinks();
        LinksWindow* links = companions->linksWindow();
        if (links && !QTest::qWaitForWindowExposed(links))
            return nullptr;
        return links;
    }

    LinksWindow* links() const { return companions ? companions->linksWindow() : nullptr; }

    template <typename T = CommandLabel> T* child(const char* name) const {
        return links() ? links()->findChild<T*>(QLatin1String(name)) : nullptr;
    }

    void stop() {
        companions.reset();
        clock.reset();
        // Let closed windows go.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

inline void clickOn(QWidget* widget) {
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// Pointer moves the way a user makes them: from wherever the pointer was onto
// a point of the widget.
inline void moveOnto(QWidget* widget, QPoint at = QPoint(-1, -1)) {
    QVERIFY(widget);
    if (at.x() < 0)
        at = widget->rect().center();
    QTest::mouseMove(widget, at);
}

// The set-up the links suites share: the settings file in a home of the suite's own, the
// layouts' fonts, and for each test a fresh fixture without a settings file.
class LinksTestCase : public QObject {
    Q_OBJECT

protected:
    LinksFixture f;

protected slots:
    void initTestCase() {
        LinksFixture::isolateConfig();
        installFontSubstitutions();
    }
    void init() {
        LinksFixture::removeConfig();
        f = {};
    }
    void cleanup() {
        f.stop();
        LinksFixture::removeConfig();
    }
};
