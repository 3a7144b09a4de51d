// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// One recording the library holds, as its index describes it.
struct RVXLibraryRecording {
    enum class State { Ok, Cut, Repaired };

    int64_t id = 0;
    // Relative to the library's folder, '/'-separated: "2026/2026-03-14/alwa_..._F.MP4".
    QString path;
    // The name the camera gave it (the file name on the card); a recording kept beside
    // another of the same name has another file name in path.
    QString name;
    int32_t kind = 0; // RVXMediaDivision
    int32_t side = 0; // RVXMediaDirection
    // The moment of the name, camera local seconds counted as if UTC (as trips count).
    int64_t moment = 0;
    // The movie header's seconds; 0 when unreadable.
    double length = 0;
    int64_t size = 0;
    // Lower-case hex.
    QString sha256;
    State state = State::Ok;
    bool isProtected = false;
    // Held under a name the library already had for other bytes (a camera whose clock
    // was reset): kept beside it, never over it, and left out of the trips.
    bool clash = false;
    // Filled by queries: the other side of its pair, 0 for none.
    int64_t partner = 0;
    // Filled by place queries: the first camera moment the recording's track is there.
    std::optional<double> placeMoment;

    static const char* stateName(State state);
    static std::optional<State> stateNamed(const QString& name);
    // "loop", "motion" or "event".
    static const char* kindName(int32_t kind);
    static std::optional<int32_t> kindNamed(const QString& name);
    // "yyyy-MM-ddTHH:mm:ss" of a camera moment.
    static QString momentText(int64_t moment);
};
