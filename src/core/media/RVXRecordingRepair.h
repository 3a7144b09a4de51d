// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/media/RVXRecordingDiagnosis.h"
#include "core/media/RVXRecordingReference.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// A recording cut short by power loss made playable again: its media data walked with a
// healthy recording's pattern of chunks, and written with a fresh index as a new file.
// The original is only read.
class RVXRecordingRepair {
public:
    struct Walk {
        // Per track of the reference: sample sizes, chunk offsets (in the broken file) and
        // samples per chunk.
        struct Track {
            std::vector<uint32_t> sizes;
            std::vector<uint64_t> chunkOffsets;
            std::vector<uint32_t> chunkSamples;
            std::vector<uint32_t> syncSamples; // 1-based, video only
            // Video: each picture's order count, when the stream's can be read.
            std::vector<int64_t> pocs;
            bool ordered = false;
        };
        std::vector<Track> tracks;
        uint64_t dataStart = 0; // the mdat payload in the broken file
        uint64_t dataEnd = 0;   // past the last whole chunk
        QString stoppedBecause;
    };

    struct Result {
        // Seconds recovered of each kind of track.
        double videoSeconds = 0, audioSeconds = 0, telemetrySeconds = 0;
        int videoFrames = 0;
        // Where the walk stopped in the broken file, the bytes after it that the copy
        // leaves out, and why: "end of data", "a partial chunk at byte N" (what the camera
        // was writing when the power went) or "unrecognised bytes at N".
        uint64_t stoppedAt = 0, bytesLeft = 0;
        QString stoppedBecause;
    };

    using Progress = std::function<void(double fraction)>;

    // A healthy recording of the same folder, same side, the same kind if it can, nearest
    // in time; empty when there is none.
    static QString findReference(const QString& broken);
    // The walk alone, for tests and the fuzzer; never reads past end.
    static Walk walk(const RVXRecordingReference& reference, const QString& path, uint64_t start,
                     uint64_t end, const std::atomic<bool>* cancel = nullptr,
                     const Progress& progress = {});
    // Writes out (atomically, never over broken) from broken with reference's pattern.
    static std::optional<QString> repair(const QString& broken, const QString& reference,
                                         const QString& out, Result* result = nullptr,
                                         const std::atomic<bool>* cancel = nullptr,
                                         const Progress& progress = {});
    // "<name>_repaired.MP4" beside it.
    static QString proposedPath(const QString& broken);
};
