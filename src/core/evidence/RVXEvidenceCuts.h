// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/evidence/RVXEvidencePlan.h"
#include "core/media/RVXStreamCut.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <vector>

// One video file of a pack: the pieces it joins, and in camera seconds where its first
// frame shown starts and its last frame ends.
struct RVXEvidenceVideo {
    QString name;
    bool rear = false;
    std::vector<RVXCutPiece> pieces;
    double from = 0, to = 0;
    double frame = 0;
    // How many recordings of its camera were left out before it (cut short, damaged).
    size_t skippedBefore = 0;
};

// Seconds of the window asked (or between two files) a camera has no video for, and why.
struct RVXEvidenceGap {
    bool rear = false;
    double from = 0, to = 0;
    // Empty for no recording; else the recordings there that could not be cut.
    QString why;
};

// Both cameras' cuts of a plan. A file joins pieces only where the next one's first frame
// follows the last one's end within a frame: a gap, a missing or uncuttable recording, a
// change of streams, or a keyframe before the next piece's start that would show a moment
// again, each starts a new file. One camera's files are "front.mp4" when there is one,
// "front-1.mp4", "front-2.mp4"... when there are more. All files share one timeline whose
// second 0 is start(); a file starting later begins with an empty edit.
class RVXEvidenceCuts {
public:
    // Reads where every piece's cut would start and end; writes nothing.
    static RVXEvidenceCuts of(const RVXEvidencePlan& plan);

    std::optional<QString> write(const QDir& dir, const std::atomic<bool>* cancel) const;

    const std::vector<RVXEvidenceVideo>& videos() const { return m_videos; }
    const std::vector<RVXEvidenceGap>& gaps() const { return m_gaps; }
    // The first frame of the earliest file (the window's start without any), and the last
    // file's end (the window's end without any), camera seconds.
    double start() const { return m_start; }
    double end() const { return m_end; }
    // Each gap and each file that starts before the one before it ends, in words.
    QStringList notes() const;

private:
    struct Skipped {
        RVXCutPiece piece;
        QString why;
    };
    void addPiece(bool rear, const RVXCutPiece& piece, const RVXCutSpan& span,
                  size_t skippedBefore);
    void nameAndFindGaps(bool rear, const std::vector<Skipped>& skipped);

    std::vector<RVXEvidenceVideo> m_videos;
    std::vector<RVXEvidenceGap> m_gaps;
    double m_start = 0, m_end = 0;
    double m_askedFrom = 0, m_askedTo = 0;
};
