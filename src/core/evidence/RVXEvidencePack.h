// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/evidence/RVXEvidencePlan.h"
#include "core/evidence/RVXEvidenceSheet.h"
#include "core/scan/RVXCardScan.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

struct RVXEvidenceRequest {
    // The card (or folder) the recordings are on: its config.bin, and where the pack
    // may not go.
    QString cardFolder;
    RVXEvidencePlan plan;
    // The pack's own folder, which must not exist yet.
    QString target;
    // Bytes free where the pack goes; the file system's by default.
    std::function<qint64(const QString& folder)> freeBytes;
    // The event of the card scan the pack is made for, which the sheet names.
    std::optional<RVXScanEvent> event;
};

struct RVXEvidenceResult {
    QString folder;
    std::vector<RVXEvidenceSheet::File> files;
    // Where the cuts really start, camera seconds: the earliest video file's first frame,
    // second 0 of the timeline the files share.
    double cutStart = 0;
};

// The evidence pack: both cameras' cuts of the window without re-encoding, the whole
// original recordings, the window's telemetry, a PDF sheet, a manifest and SHA256SUMS.
// It is written into a hidden folder beside the target, synced and renamed at the end, so
// a failed or cancelled export leaves nothing behind, and the next export clears what a
// killed one left.
class RVXEvidencePack {
public:
    using Progress = std::function<void(double fraction)>;

    // "RUVEX-evidence-20260314-081533".
    static QString proposedName(double moment);
    // What can be told before anything is written: a target outside the card that does
    // not exist yet, with room for the pack.
    static std::optional<QString> check(const RVXEvidenceRequest& request);
    static std::optional<QString> make(const RVXEvidenceRequest& request,
                                       RVXEvidenceSheetRenderer& renderer,
                                       RVXEvidenceResult* result = nullptr,
                                       const std::atomic<bool>* cancel = nullptr,
                                       const Progress& progress = {});
    // An event is the moment it was found at, give or take this: a time typed to the
    // second, or a picture paused a few frames off, still names the knock.
    static constexpr double kEventSeconds = 1.0;
    // The event nearest the moment within kEventSeconds, if any.
    static std::optional<RVXScanEvent> eventAt(const std::vector<RVXScanEvent>& events,
                                               double moment);
    // "Impact, 3.69 g (x, y and z over their thresholds) at 2026-03-14T08:15:33.000, found by
    // the card scan".
    static QString eventText(const RVXScanEvent& event, double moment);
    // Lower-case hex; none when the file cannot be read.
    static std::optional<QString> sha256(const QString& path);
    // The bytes the pack needs at most: the originals twice (the cuts are shorter).
    static qint64 bytesNeeded(const RVXEvidencePlan& plan);
};
