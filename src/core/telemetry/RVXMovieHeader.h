// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

class RVXFileReader;

// A recording's length as its movie header ("moov"/"mvhd") gives it: duration over
// timescale. The boxes are walked by their sizes (32-bit, 64-bit and to-the-end forms),
// wherever in the file moov lies; nothing is read outside the file or a box's parent.
struct RVXMovieHeader {
    // Seconds, or nothing when there is no readable header or its timescale is 0.
    static std::optional<double> durationSeconds(const RVXFileReader& file);
    // path: NUL-terminated UTF-8.
    static std::optional<double> durationSeconds(const char* path);
};
