#pragma once

#include "clock/ClockWindow.h"
#include "fakes/FakeServices.h"
#include "widgets/CommandLabel.h"

#include <QTest>
#include <memory>

// Starts a clock window as the program does: on screen first, then the start volume.
inline void startClock(ClockWindow& clock) {
    clock.showAtTopEdge();
    clock.setStartVolume();
}

// A clock window on stand-in services, started once the test has set the stand-ins up.
struct ClockFixture : FakeServices {
    std::unique_ptr<ClockWindow> clock;

    void start() {
        clock = std::make_unique<ClockWindow>(services());
        startClock(*clock);
    }

    // Waits for the strip, then unfolds the panel with a click on it.
    void unfold() {
        QVERIFY(QTest::qWaitForWindowExposed(clock.get()));
        QTest::mouseClick(clock->windowHandle(), Qt::LeftButton, {}, QPoint(80, 5));
        QCOMPARE(clock->height(), 194);
    }

    template <typename T = CommandLabel> T* child(const char* name) const {
        return clock->findChild<T*>(QLatin1String(name));
    }
};
