// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/Mp4Box.h"

#include <QByteArray>

#include <optional>
#include <vector>

// Follows the fixed path by which readers of the camera's files find the telemetry
// chunk offsets: ftyp (avc1), a second box, moov; moov's fifth child; its third child's
// third child's third child's fifth child (stco). Written apart from the writer so that
// a mistake in one does not hide in the other.
inline std::optional<std::vector<uint32_t>> cameraChunkOffsets(const QByteArray& f) {
    auto sizeAt = [&](uint64_t at) -> std::optional<uint32_t> {
        if (at + 8 > uint64_t(f.size()))
            return std::nullopt;
        return readU32(f, qsizetype(at));
    };
    auto typeAt = [&](uint64_t at) { return f.mid(qsizetype(at) + 4, 4); };
    if (typeAt(0) != "ftyp" || f.mid(8, 4) != "avc1")
        return std::nullopt;
    uint64_t at = *sizeAt(0);
    at += sizeAt(at).value_or(0);
    if (typeAt(at) != "moov")
        return std::nullopt;
    uint64_t child = at + 8;
    for (int i = 0; i < 4; ++i)
        child += sizeAt(child).value_or(0);
    uint64_t inner = child + 8; // trak's first child
    for (int level = 0; level < 3; ++level) {
        for (int skip = 0; skip < 2; ++skip)
            inner += sizeAt(inner).value_or(0);
        inner += 8; // into the third child
    }
    for (int i = 0; i < 4; ++i)
        inner += sizeAt(inner).value_or(0);
    if (typeAt(inner) != "stco" || !sizeAt(inner + 8))
        return std::nullopt;
    const uint32_t n = readU32(f, qsizetype(inner + 12));
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < n; ++i)
        offsets.push_back(readU32(f, qsizetype(inner + 16 + 4 * i)));
    return offsets;
}

// The 153-byte record behind each chunk offset.
inline std::vector<QByteArray> cameraRecords(const QByteArray& f) {
    std::vector<QByteArray> records;
    for (uint32_t offset : cameraChunkOffsets(f).value_or(std::vector<uint32_t>{}))
        records.push_back(f.mid(qsizetype(offset) + CameraRecordingWriter::kChunkPrefixSize,
                                TelemetryRecord::kSize));
    return records;
}
