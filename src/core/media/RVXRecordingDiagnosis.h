// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>

// What the top-level boxes of a file say of it, read cheaply (a few headers, never the
// media data): a whole recording; one the camera was still writing when the power went
// (its media data open-ended and no index after it); or not a recording of this camera.
class RVXRecordingDiagnosis {
public:
    enum class State { Healthy, CutShort, NotARecording };

    struct Result {
        State state = State::NotARecording;
        // Where the media data's payload starts, and how many of its bytes the file holds.
        uint64_t mdatPayloadOffset = 0;
        uint64_t mdatPayloadBytes = 0;
    };

    static Result diagnose(const QString& path);
    // "ok", "cut" or "none".
    static const char* stateName(State state);
};
