// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Mp4Box.h"
#include "TelemetryRecord.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Lays the telemetry chunks between the video and audio chunks of an MP4's media data,
// each before the first video chunk that starts after the record's time, as the camera
// writes them while it records. The chunk offsets of the existing tracks are rewritten.
struct ChunkInterleave {
    QByteArray payload;            // the new mdat payload
    std::vector<uint32_t> offsets; // where each telemetry chunk now starts in the file

    // oldPayloadOffset: where payload began in the input file; newPayloadOffset: where the
    // new one begins in the output.
    static std::optional<QString> build(Mp4Box& moov, QByteArrayView payload,
                                        uint64_t oldPayloadOffset, uint64_t newPayloadOffset,
                                        const TelemetryRecords& records, ChunkInterleave& out);
};
