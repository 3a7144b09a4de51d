// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryCard.h"
#include "core/library/RVXLibraryEvent.h"
#include "core/library/RVXLibraryQuery.h"
#include "core/library/RVXLibraryRecording.h"
#include "core/library/RVXLibraryTrip.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The trips, events and pairs worked out again over some days, handed to the index whole.
struct RVXLibraryDriveSet {
    struct Drive {
        RVXLibraryTrip trip;
        std::vector<RVXLibraryEvent> events;
        std::vector<RVXLibraryTrackPoint> track;
    };
    // The recordings of the days worked over: what the index held for them before (trips
    // through them, their pairs) is replaced, and they are marked done.
    std::vector<int64_t> recordings;
    // Front, rear.
    std::vector<std::pair<int64_t, int64_t>> pairs;
    std::vector<Drive> drives;
};

// The library's index: what the library holds and where, found by day, kind and place.
// Plain records in and out, so that an index on another database serves the same library
// code. Every write is whole or not at all. Operations return nothing on success, else a
// message.
class RVXLibraryIndex {
public:
    virtual ~RVXLibraryIndex();

    // Finds the card by its identity (RVXLibraryCard::sameCard) or adds it; sets its id
    // and keeps the latest label.
    virtual std::optional<QString> rememberCard(RVXLibraryCard& card) = 0;
    virtual std::vector<RVXLibraryCard> cards() = 0;
    // Adds record (its id set) or writes its counts and end again.
    virtual std::optional<QString> addImport(RVXLibraryImportRecord& record) = 0;
    virtual std::optional<QString> updateImport(const RVXLibraryImportRecord& record) = 0;
    // Oldest first.
    virtual std::vector<RVXLibraryImportRecord> imports() = 0;

    // Adds a recording whose file is in place; its id set. It waits for the trips until
    // replaceDrives covers it (a kept-beside clash never joins them).
    virtual std::optional<QString> addRecording(RVXLibraryRecording& recording) = 0;
    // Several in one transaction: all or none.
    virtual std::optional<QString> addRecordings(std::vector<RVXLibraryRecording>& recordings) = 0;
    // Every recording the camera gave this name, kept-beside ones included.
    virtual std::vector<RVXLibraryRecording> recordingsNamed(const QString& name) = 0;
    virtual std::optional<RVXLibraryRecording> recordingAt(const QString& path) = 0;
    virtual std::optional<RVXLibraryRecording> recording(int64_t id) = 0;
    // In catalogue order: moment, the larger kind, front before rear.
    virtual std::vector<RVXLibraryRecording> recordings(const RVXLibraryQuery& query) = 0;
    // The recordings added or left by a removal that no trip covers yet.
    virtual std::vector<RVXLibraryRecording> recordingsAwaitingDrives() = 0;
    virtual int64_t totalBytes() = 0;
    virtual std::optional<QString> setProtected(const std::vector<int64_t>& recordings,
                                                bool on) = 0;
    // Marks recordings as being deleted: they leave every answer at once, and stay in
    // deletingRecordings until removeRecording, so that a deletion a crash stopped is
    // finished, never forgotten.
    virtual std::optional<QString> setDeleting(const std::vector<int64_t>& recordings) = 0;
    virtual std::vector<RVXLibraryRecording> deletingRecordings() = 0;
    // The row and the trips through it; the trips' other recordings wait for the drives.
    virtual std::optional<QString> removeRecording(int64_t id) = 0;

    virtual std::optional<QString> replaceDrives(const RVXLibraryDriveSet& set) = 0;
    // Trips that overlap the days, hold a recording of the kind or an event (eventsOnly),
    // or pass through the place; in start order.
    virtual std::vector<RVXLibraryTrip> trips(const RVXLibraryQuery& query) = 0;
    virtual std::optional<RVXLibraryTrip> trip(int64_t id) = 0;
    virtual std::vector<RVXLibraryEvent> events(const RVXLibraryQuery& query) = 0;
    virtual std::optional<RVXLibraryEvent> event(int64_t id) = 0;
    virtual std::vector<RVXLibraryTrackPoint> track(int64_t trip) = 0;
    virtual std::vector<std::pair<int64_t, int64_t>> pairs() = 0;
};
