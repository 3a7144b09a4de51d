// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

// When and where to move the second player so that it shows the same moment as the
// first, as arithmetic on what the two players report; the caller makes the calls into
// the players and asks again after the step's delay.
//
// Copying the first player's position, as published, leaves the second behind by up to
// a quarter of a second (libVLC publishes the time four times a second) plus the time
// its seek takes. So the second is moved only when the two running clocks differ by
// more than a frame, to where the first will be once the seek has taken effect, and
// checked again once its clock runs; each check also corrects the seek's expected delay,
// which is kept from one alignment to the next.
class RVXPlayerSync {
public:
    static constexpr int64_t kFrameMs = 33;
    static constexpr int kCheckDelayMs = 50;
    static constexpr int kMaxClockWaits = 30;
    static constexpr int kMaxCorrections = 3;
    static constexpr int64_t kInitialSeekLatencyMs = 80;
    static constexpr int64_t kMaxSeekLatencyMs = 1000;

    struct Reading {
        // The players' running clocks in ms; none while a player has not run since its
        // last seek or stands paused.
        std::optional<int64_t> firstClockMs;
        std::optional<int64_t> secondClockMs;
        bool bothPlaying = false;
    };

    enum class Move {
        Nothing,
        // The players stand still: the published position is exact.
        CopyPosition,
        // Set the second player's time to seekToMs.
        SeekSecond,
    };
    struct Step {
        Move move = Move::Nothing;
        int64_t seekToMs = 0;
        // Ask again after this many ms with a fresh reading; false: this alignment is done.
        bool checkAgain = false;
    };

    // What is left within a frame once an alignment is done: a seek cannot land that
    // finely, but holding the player that is ahead still for as long as it leads can.
    static constexpr int64_t kMinHoldMs = 3;
    struct Hold {
        bool first; // the first player leads
        int64_t ms;
    };
    static std::optional<Hold> holdWithinAFrame(const Reading& reading);

    // A new alignment; the one before, if its checks are still due, is stale from now on.
    uint64_t begin();
    // Cancels the running alignment (the user paused, swapped or chose another recording).
    void cancel() { ++m_generation; }
    bool isCurrent(uint64_t generation) const { return generation == m_generation; }

    Step next(const Reading& reading);

    int64_t seekLatencyMs() const { return m_seekLatencyMs; }

private:
    uint64_t m_generation = 0;
    int m_waits = 0;
    int m_corrections = 0;
    int64_t m_seekLatencyMs = kInitialSeekLatencyMs;
};
