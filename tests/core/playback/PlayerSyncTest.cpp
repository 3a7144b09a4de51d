// SPDX-License-Identifier: GPL-3.0-or-later
// The second player's alignment against two simulated players whose clocks run in real
// time and whose seeks take a while to show.
#include "core/playback/RVXPlayerSync.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
using Move = RVXPlayerSync::Move;

// Both players run; the second's seek leaves it without a clock for seekDelayMs, then
// it runs on from the seek's target.
struct TwoPlayers {
    int64_t now = 0;
    int64_t firstStart = 0; // the first player's clock is now - firstStart
    int64_t secondBase = 0; // the second's clock is secondBase + (now - secondSince)
    int64_t secondSince = 0;
    int64_t seekDelayMs = 0;
    bool seeksIgnored = false;
    int seeks = 0;

    int64_t first() const { return now - firstStart; }
    std::optional<int64_t> second() const {
        if (now < secondSince)
            return std::nullopt;
        return secondBase + (now - secondSince);
    }
    void seekSecond(int64_t to) {
        ++seeks;
        if (seeksIgnored)
            return;
        secondBase = to;
        secondSince = now + seekDelayMs;
    }
    // Runs one alignment to its end; returns the number of checks it asked for.
    int align(RVXPlayerSync& sync) {
        sync.begin();
        int checks = 0;
        for (;;) {
            const RVXPlayerSync::Step step = sync.next({first(), second(), true});
            EXPECT_NE(step.move, Move::CopyPosition);
            if (step.move == Move::SeekSecond)
                seekSecond(step.seekToMs);
            if (!step.checkAgain)
                return checks;
            ++checks;
            now += RVXPlayerSync::kCheckDelayMs;
        }
    }
    int64_t lag() const { return first() - second().value_or(-100000); }
};
} // namespace

TEST(RVXPlayerSync, ASecondPlayerBehindEndsWithinAFrameWhateverItsSeeksTake) {
    for (const int64_t delay : {0, 40, 80, 250, 600}) {
        SCOPED_TRACE(delay);
        TwoPlayers players;
        players.now = 10000;
        players.firstStart = 0;
        players.secondBase = 9750; // a quarter of a second behind: the published position
        players.secondSince = 10000;
        players.seekDelayMs = delay;
        RVXPlayerSync sync;
        players.align(sync);
        players.now += 200; // the seek of the last correction has shown by now
        EXPECT_LE(std::abs(players.lag()), RVXPlayerSync::kFrameMs);
        EXPECT_LE(players.seeks, RVXPlayerSync::kMaxCorrections);
        // What it learnt is the seek's delay, so the next discontinuity needs one seek.
        EXPECT_NEAR(double(sync.seekLatencyMs()), double(delay), RVXPlayerSync::kFrameMs);
        players.secondBase = players.second().value() - 400;
        players.secondSince = players.now;
        players.seeks = 0;
        players.align(sync);
        players.now += 1000;
        EXPECT_EQ(players.seeks, 1);
        EXPECT_LE(std::abs(players.lag()), RVXPlayerSync::kFrameMs);
    }
}

TEST(RVXPlayerSync, PlayersWithinAFrameAreLeftAlone) {
    RVXPlayerSync sync;
    sync.begin();
    const RVXPlayerSync::Step step = sync.next({5000, 5000 - RVXPlayerSync::kFrameMs, true});
    EXPECT_EQ(step.move, Move::Nothing);
    EXPECT_FALSE(step.checkAgain);
    EXPECT_EQ(sync.seekLatencyMs(), RVXPlayerSync::kInitialSeekLatencyMs);
}

// What an alignment leaves within a frame, either way round, is taken out by holding
// the player that leads; a lead too small to matter or beyond a frame is not held.
TEST(RVXPlayerSync, TheLeaderIsHeldForItsLeadWithinAFrame) {
    for (const int64_t lead : {-33, -20, -3, 3, 12, 33}) {
        SCOPED_TRACE(lead);
        TwoPlayers players;
        players.now = 10000;
        players.secondBase = 10000 - lead;
        players.secondSince = 10000;
        const auto hold =
            RVXPlayerSync::holdWithinAFrame({players.first(), players.second(), true});
        ASSERT_TRUE(hold);
        EXPECT_EQ(hold->ms, std::abs(lead));
        // A held clock stands still for the hold, then runs on.
        if (hold->first)
            players.firstStart += hold->ms;
        else
            players.secondSince += hold->ms;
        players.now += 100;
        EXPECT_EQ(players.lag(), 0);
    }
    for (const int64_t lead : {-34, -2, 0, 2, 34}) {
        SCOPED_TRACE(lead);
        EXPECT_FALSE(RVXPlayerSync::holdWithinAFrame({5000, 5000 - lead, true}));
    }
    EXPECT_FALSE(RVXPlayerSync::holdWithinAFrame({5000, 4980, false}));
    EXPECT_FALSE(RVXPlayerSync::holdWithinAFrame({5000, std::nullopt, true}));
}

TEST(RVXPlayerSync, WithoutClocksThePublishedPositionIsCopied) {
    RVXPlayerSync sync;
    // Paused: the published position is exact, at once.
    sync.begin();
    RVXPlayerSync::Step step = sync.next({std::nullopt, std::nullopt, false});
    EXPECT_EQ(step.move, Move::CopyPosition);
    EXPECT_FALSE(step.checkAgain);

    // Playing, but a clock never comes: it waits its while, then copies.
    sync.begin();
    for (int i = 0; i < RVXPlayerSync::kMaxClockWaits; ++i) {
        step = sync.next({4000, std::nullopt, true});
        ASSERT_EQ(step.move, Move::Nothing);
        ASSERT_TRUE(step.checkAgain);
    }
    step = sync.next({4000, std::nullopt, true});
    EXPECT_EQ(step.move, Move::CopyPosition);
    EXPECT_FALSE(step.checkAgain);

    // Paused after a correction: the coarse position would undo the seek just made.
    sync.begin();
    step = sync.next({4000, 3000, true});
    ASSERT_EQ(step.move, Move::SeekSecond);
    step = sync.next({std::nullopt, std::nullopt, false});
    EXPECT_EQ(step.move, Move::Nothing);
    EXPECT_FALSE(step.checkAgain);
}

TEST(RVXPlayerSync, ASecondPlayerThatNeverFollowsIsTriedAFewTimesAndTheDelayStaysBounded) {
    TwoPlayers players;
    players.now = 20000;
    players.secondBase = 15000;
    players.secondSince = 20000;
    players.seeksIgnored = true;
    RVXPlayerSync sync;
    for (int i = 0; i < 3; ++i) {
        players.seeks = 0;
        players.align(sync);
        EXPECT_EQ(players.seeks, RVXPlayerSync::kMaxCorrections);
    }
    EXPECT_EQ(sync.seekLatencyMs(), RVXPlayerSync::kMaxSeekLatencyMs);

    // One that runs ahead drives the expected delay down to none, not below.
    players.secondBase = 40000;
    players.align(sync);
    EXPECT_EQ(sync.seekLatencyMs(), 0);
}

TEST(RVXPlayerSync, ANewAlignmentOrACancelMakesTheRunningOneStale) {
    RVXPlayerSync sync;
    const uint64_t first = sync.begin();
    EXPECT_TRUE(sync.isCurrent(first));
    const uint64_t second = sync.begin();
    EXPECT_FALSE(sync.isCurrent(first));
    EXPECT_TRUE(sync.isCurrent(second));
    sync.cancel();
    EXPECT_FALSE(sync.isCurrent(second));
}
