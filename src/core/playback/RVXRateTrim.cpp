// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/playback/RVXRateTrim.h"

#include <cmath>
#include <cstdlib>

std::optional<RVXRateTrim> RVXRateTrim::forLag(std::optional<int64_t> lagMs) {
    if (!lagMs || std::abs(*lagMs) <= kCloseEnoughMs || std::abs(*lagMs) > kMaxLagMs)
        return std::nullopt;
    RVXRateTrim trim;
    trim.factor = *lagMs > 0 ? 1.0 + kChange : 1.0 - kChange;
    trim.durationMs = int(std::lround(double(std::abs(*lagMs)) / kChange));
    return trim;
}
