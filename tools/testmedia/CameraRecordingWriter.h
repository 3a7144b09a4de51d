// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TelemetryRecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Turns an MP4 that ffmpeg wrote (ftyp, free, mdat, moov) into the camera's layout:
// ftyp of major brand avc1, then mdat, then moov whose fifth child is the telemetry
// track, each telemetry chunk being two bytes and one record. The media data is kept
// as it is; the existing chunk offsets are moved by the change in the mdat position.
class CameraRecordingWriter {
public:
    static constexpr int kChunkPrefixSize = 2;
    static constexpr int kChunkSize = kChunkPrefixSize + TelemetryRecord::kSize;

    // Both return nothing on success, else what went wrong.
    static std::optional<QString> convert(const QByteArray& ffmpegMp4,
                                          const TelemetryRecords& records, QByteArray& out);
    // A camera-layout file with no video: ftyp, mdat holding only the telemetry chunks
    // (each after gapBytes of filler, as if video lay between them), and moov with mvhd,
    // three empty boxes and the telemetry track. For tests and benchmarks without ffmpeg.
    static QByteArray skeleton(const TelemetryRecords& records, uint32_t gapBytes = 0);
    // The same written to a file, the gaps left as holes.
    static std::optional<QString>
    writeSkeletonFile(const QString& path, const TelemetryRecords& records, uint32_t gapBytes);
    static std::optional<QString>
    writeFile(const QString& inputMp4, const TelemetryRecords& records, const QString& outputPath);
};
