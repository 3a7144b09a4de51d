// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/telemetry/RVXBlackBoxData.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class VLCMediaPlayer;
class VLCVideoView;

// The second pair of players a trip keeps under the views on screen, and what it
// stands ready for.
struct RVXTripSparePair {
    VLCMediaPlayer* player1 = nullptr;
    VLCMediaPlayer* player2 = nullptr;
    VLCVideoView* view1 = nullptr;
    VLCVideoView* view2 = nullptr;
    // The segment the spare pair stands ready for, and that segment's telemetry.
    std::optional<size_t> segment;
    std::shared_ptr<RVXBlackBoxData> data;
    bool handoverScheduled = false;
    uint64_t generation = 0;
    // The players that have decoded their first picture since they were loaded.
    std::vector<const VLCMediaPlayer*> warm;
};
