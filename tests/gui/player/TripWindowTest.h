// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PlayerTestSupport.h"

#include "gui/trips/RVXTripController.h"

#include <QFileInfo>

inline QString fileOf(const VLCMediaPlayer* player) {
    return player && player->media() ? QFileInfo(player->media()->path()).fileName() : QString();
}

// The demo card open, its two drives listed.
class TripWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        open(demoCard());
        trips = delegate->tripController();
        ASSERT_TRUE(waitFor([&] { return trips->trips().size() == 2; }));
    }
    VLCMediaPlayer* p1() { return delegate->player1; }
    VLCMediaPlayer* p2() { return delegate->player2; }
    void seekTrip(double second) {
        QSlider* slider = delegate->videoPositionSlider;
        slider->setValue(int(second / trips->trips()[0].seconds() * slider->maximum()));
    }
    void playTrip(double second = 0) {
        trips->playTrip(0, second);
        ASSERT_TRUE(waitFor(
            [&] { return !delegate->waitingForPlayStart() && delegate->playInfo()->isPlaying(); }));
    }
    // Both cameras of a pair show the same moment.
    bool inStep() {
        const auto a = p1()->clockTime(), b = p2()->clockTime();
        return a && b && std::abs(*a - *b) < 120;
    }
    bool ranOnFrom(double unitSecond, qint64 elapsedMs) {
        const double now = double(*p1()->clockTime()) / 1000;
        return now >= unitSecond - 0.3 && now <= unitSecond + elapsedMs / 1000.0 + 0.1;
    }
    RVXTripController* trips = nullptr;
};
