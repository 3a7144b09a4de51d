// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

// The last milliseconds between the two players, taken in by running the second a
// little faster or slower for a moment. An alignment leaves up to a frame between them
// (a seek to correct less would show as a stutter in the second picture); a change of
// rate of a few percent for a fraction of a second shows as nothing.
//
// The trim is measured once and then timed, not steered by the clocks while it runs:
// a player's clock is extrapolated from libVLC's last publication, which tells nothing
// of a rate changed since, so a reading during the trim would be off by as much as the
// trim takes in.
struct RVXRateTrim {
    static constexpr int64_t kCloseEnoughMs = 3;
    static constexpr double kChange = 0.2;
    // Lags beyond this are an alignment's to correct, not a trim's.
    static constexpr int64_t kMaxLagMs = 60;

    // The factor on the chosen speed for the second player, and for how long.
    double factor = 1.0;
    int durationMs = 0;

    // lagMs: how far the second player's clock is behind the first's. None when the
    // players agree, or a clock is not known.
    static std::optional<RVXRateTrim> forLag(std::optional<int64_t> lagMs);
};
