// SPDX-License-Identifier: GPL-3.0-or-later
// Quitting at any moment: the players and their views go first (die), then the
// controller; whatever was still scheduled or running must find nothing of theirs.
// Built with AddressSanitizer, which stops the program at the first touch of freed
// memory.
#include "PlayerTestSupport.h"

#include <QSlider>

// libVLC's plugins and the web engine are not instrumented: leaks at exit are theirs
// to keep, and the web engine frees some of its objects through a base class.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:new_delete_type_mismatch=0";
}

namespace {

class ShutdownTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        open(demoCard());
    }
    // What the application does when it quits, then time for everything scheduled.
    void quit() {
        delegate->die();
        EXPECT_EQ(delegate->player1, nullptr);
        spin(2200);
        delegate.reset();
        spin(300);
    }
};

TEST_F(ShutdownTest, DuringTheTelemetryRead) {
    ASSERT_TRUE(delegate->playAtIndex(0));
    quit();
}

TEST_F(ShutdownTest, ControllerGoneBeforeTheTelemetryReadReturns) {
    ASSERT_TRUE(delegate->playAtIndex(2));
    delegate.reset();
    spin(1000);
}

TEST_F(ShutdownTest, DuringASwapAnimation) {
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] {
        return delegate->isPlaying(delegate->player1) && delegate->isPlaying(delegate->player2);
    }));
    delegate->swapPlayer();
    ASSERT_TRUE(delegate->swapping());
    spin(300);
    quit();
}

TEST_F(ShutdownTest, WithAResynchronisationScheduled) {
    playAndWait(0);
    // Under AddressSanitizer on a busy machine the first second can take long.
    ASSERT_TRUE(waitFor([&] { return delegate->player1->time().intValue() > 1000; }, 40000));
    delegate->jumpForward();
    ASSERT_TRUE(delegate->moving());
    quit();
}

TEST_F(ShutdownTest, WithTheMoveToTheNextRecordingScheduled) {
    playAndWait(6);
    // Under AddressSanitizer on a busy machine the first second can take long.
    ASSERT_TRUE(waitFor([&] { return delegate->player1->time().intValue() > 1000; }, 40000));
    delegate->videoPositionSlider->setValue(97000);
    ASSERT_TRUE(waitFor([&] { return delegate->preparingPlayNext(); }, 15000));
    quit();
}

TEST_F(ShutdownTest, ClosingTheWindowWhilePlaying) {
    playAndWait(4);
    delegate->closeWindow();
    quit();
}

} // namespace
