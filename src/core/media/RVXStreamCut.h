// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

// A stretch of one recording, in seconds of its own timeline.
struct RVXCutPiece {
    QString path;
    double from = 0;
    double to = 0;
};

// Where a cut really went: each piece from the keyframe at or before its asked start.
struct RVXCutReport {
    struct Piece {
        double keyframe = 0; // seconds into the recording the piece starts at
        double to = 0;
    };
    std::vector<Piece> pieces;
    double seconds = 0; // the output's length
    int packets = 0;
};

// Video and audio copied packet for packet into a new MP4, nothing decoded or encoded:
// what the camera recorded stays as it was.
class RVXStreamCut {
public:
    // Whether two recordings' video and audio streams agree (codec, picture size, codec
    // set-up, sample rate, channels), so pieces of both can follow one another in one file.
    static bool compatible(const QString& a, const QString& b);
    // The pieces one after another into out; an error leaves no out file.
    static std::optional<QString> cut(const std::vector<RVXCutPiece>& pieces, const QString& out,
                                      RVXCutReport* report = nullptr,
                                      const std::atomic<bool>* cancel = nullptr);
};
