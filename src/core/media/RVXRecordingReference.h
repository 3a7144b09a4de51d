// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// What a healthy recording of the camera teaches about its files: its ftyp, the moov's
// children in order with each track's boxes as they are (the sample descriptions with
// avcC and esds), the timescales and sample durations, the order in which the tracks'
// chunks follow one another in mdat with the samples each holds, and what a video NAL
// unit and a telemetry chunk of this camera look like.
class RVXRecordingReference {
public:
    enum class Kind { Video, Audio, Telemetry, Other };

    struct Track {
        Kind kind = Kind::Other;
        QByteArray trak; // the whole box, to copy its structure from
        uint32_t timescale = 0;
        uint32_t sampleDelta = 0; // the first stts entry's
        // Video: the NAL length size of avcC, the NAL header bytes its stream uses (a set
        // over the byte), the largest NAL unit.
        int nalLengthSize = 4;
        std::array<bool, 256> nalHeaders{};
        uint32_t maxNal = 0;
        // Audio: the decoder's set-up (AudioSpecificConfig), rate and channels.
        QByteArray audioConfig;
        int sampleRate = 0;
        int channels = 0;
        // Telemetry: a chunk's size, and its two leading bytes.
        uint32_t chunkSize = 0;
        QByteArray chunkPrefix;
    };
    struct Chunk {
        int track = 0;
        uint32_t samples = 0;
    };

    QByteArray ftyp;                      // the whole box
    std::vector<QByteArray> moovChildren; // the boxes other than traks, as they are
    std::vector<int> childTrack;          // per moov child: a track index, or -1
    std::vector<Track> tracks;
    uint32_t movieTimescale = 0;
    std::vector<Chunk> pattern; // in mdat order
    int videoWidth = 0, videoHeight = 0;
    QByteArray videoConfig; // the avcC

    // Nothing on success.
    std::optional<QString> read(const QString& path);
    int trackOf(Kind kind) const;
};
