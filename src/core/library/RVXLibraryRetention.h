// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryRecording.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class RVXLibrary;

// Which recordings go when the library is kept to an age or a size. Event recordings,
// motion recordings, protected ones and any recording an event was found in (with its
// pair's other side) are always kept; loop recordings go, oldest first.
class RVXLibraryRetention {
public:
    struct Rule {
        // Keep the loop recordings of the last N days of the camera's clock.
        std::optional<int> keepDays;
        // Delete loop recordings until the library holds at most this many bytes.
        std::optional<int64_t> maxBytes;
    };
    struct Plan {
        std::vector<RVXLibraryRecording> remove;
        int64_t freedBytes = 0;
        int64_t totalBytes = 0;
        // Set when the size cannot be reached by deleting what may go.
        std::optional<QString> shortfall;
    };

    // now: the computer's clock, which the camera's is set from.
    static Plan plan(RVXLibrary& library, const Rule& rule,
                     const QDateTime& now = QDateTime::currentDateTime());
    // Deletes what plan lists and is still free to go (a protection since is honoured).
    // Takes the library's lock.
    static std::optional<QString> apply(RVXLibrary& library, const Plan& plan);
};
