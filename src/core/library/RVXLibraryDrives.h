// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/library/RVXLibraryRecording.h"

#include <QDate>
#include <QHash>

#include <atomic>
#include <optional>
#include <set>
#include <vector>

class RVXLibrary;

// The pairs, trips (the catalogue's trip rule), events (the card scan) and one track point
// a second, worked out again from the library's files for some days. The days beside
// them are read as well, so a drive over midnight or split across two imports is one
// trip.
class RVXLibraryDrives {
public:
    static std::optional<QString> workOut(RVXLibrary& library, const std::set<QDate>& days,
                                          const std::atomic<bool>* cancel = nullptr);
    // The days of every recording no trip covers yet.
    static std::optional<QString> workOutAwaiting(RVXLibrary& library,
                                                  const std::atomic<bool>* cancel = nullptr);
    static QDate dayOf(int64_t moment);

    // The trip rule's units of recordings in catalogue order: a pair by its front, its
    // rear as partner; lengths from the index. ids hears the recording of each path.
    static std::vector<RVXTripUnit> unitsOf(const RVXLibrary& library,
                                            const std::vector<RVXLibraryRecording>& recordings,
                                            QHash<QString, int64_t>& ids,
                                            std::vector<std::pair<int64_t, int64_t>>* pairs);

private:
    static std::optional<QString> workOutRun(RVXLibrary& library, const QDate& first,
                                             const QDate& last, const std::atomic<bool>* cancel);
};
