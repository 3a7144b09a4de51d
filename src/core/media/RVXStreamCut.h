// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

// A stretch of one recording, in seconds of its own timeline, and where that timeline's
// second 0 lies on the clock the pieces of a cut share (the camera's, for evidence).
struct RVXCutPiece {
    QString path;
    double from = 0;
    double to = 0;
    double origin = 0;
};

// What of a piece a cut holds, in seconds of the recording: from the keyframe at or before
// its start to the end of the last frame it keeps. Every frame shown before the piece's end
// is kept, and with it whatever decodes before them, so where pictures come out of order
// the end may lie a few frames past the one asked.
struct RVXCutSpan {
    double keyframe = 0; // the first frame shown
    double end = 0;      // the last frame's end
    double frame = 0;    // one frame's duration
};

struct RVXCutReport {
    std::vector<RVXCutSpan> pieces;
    double seconds = 0; // where the output's last frame ends on its own timeline
    int packets = 0;
};

// Video and audio copied packet for packet into a new MP4, nothing decoded or encoded:
// what the camera recorded stays as it was.
class RVXStreamCut {
public:
    // Whether two recordings' video and audio streams agree (codec, picture size, codec
    // set-up, sample rate, channels), so pieces of both can follow one another in one file.
    static bool compatible(const QString& a, const QString& b);
    // Where a cut of the piece would start and end; reads packet headers, writes nothing.
    static std::optional<QString> span(const RVXCutPiece& piece, RVXCutSpan& out);
    // The pieces one after another into out; an error leaves no out file. The first piece's
    // first frame lies at its origin + keyframe - zero on the output's timeline (an empty
    // edit before it when that is later than 0; zero defaults to the first frame, and must
    // not be later than it). Each later piece follows the one before without a break: join
    // only pieces that meet within a frame.
    static std::optional<QString> cut(const std::vector<RVXCutPiece>& pieces, const QString& out,
                                      RVXCutReport* report = nullptr,
                                      const std::atomic<bool>* cancel = nullptr,
                                      std::optional<double> zero = std::nullopt);
};
