// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/evidence/RVXEvidencePlan.h"
#include "core/evidence/RVXEvidenceSheet.h"

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
    // Lower-case hex; none when the file cannot be read.
    static std::optional<QString> sha256(const QString& path);
    // The bytes the pack needs at most: the originals twice (the cuts are shorter).
    static qint64 bytesNeeded(const RVXEvidencePlan& plan);
};
