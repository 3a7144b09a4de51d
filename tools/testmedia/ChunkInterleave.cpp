// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChunkInterleave.h"

#include <algorithm>

namespace {

struct Chunk {
    uint64_t offset = 0; // in the input file
    QByteArray* table = nullptr;
    qsizetype entry = 0; // byte position of its offset in the table
    bool wide = false;
    double start = -1; // seconds; only for video chunks
};

uint32_t mediaTimescale(Mp4Box& trak) {
    Mp4Box* mdhd = trak.descend({"mdia", "mdhd"});
    if (!mdhd || mdhd->payload.size() < 24)
        return 0;
    return readU32(mdhd->payload, mdhd->payload[0] == 1 ? 20 : 12);
}

bool isVideo(Mp4Box& trak) {
    Mp4Box* hdlr = trak.descend({"mdia", "hdlr"});
    return hdlr && hdlr->payload.size() >= 12 && hdlr->payload.mid(8, 4) == "vide";
}

// The start time of each chunk of a track, from its stsc and stts.
std::vector<double> chunkStarts(Mp4Box& stbl, uint32_t chunks, uint32_t timescale) {
    std::vector<double> out(chunks, 0);
    const Mp4Box* stsc = stbl.child("stsc");
    const Mp4Box* stts = stbl.child("stts");
    if (!stsc || !stts || timescale == 0)
        return out;
    std::vector<uint64_t> sampleTimes;
    uint64_t t = 0;
    for (uint32_t i = 0, n = readU32(stts->payload, 4); i < n; ++i) {
        const uint32_t count = readU32(stts->payload, 8 + 8 * i),
                       delta = readU32(stts->payload, 12 + 8 * i);
        for (uint32_t k = 0; k < count; ++k, t += delta)
            sampleTimes.push_back(t);
    }
    const uint32_t entries = readU32(stsc->payload, 4);
    uint64_t sample = 0;
    for (uint32_t c = 0; c < chunks; ++c) {
        uint32_t perChunk = 1;
        for (uint32_t e = 0; e < entries; ++e) {
            if (readU32(stsc->payload, 8 + 12 * e) <= c + 1)
                perChunk = readU32(stsc->payload, 12 + 12 * e);
        }
        out[c] = sample < sampleTimes.size() ? double(sampleTimes[sample]) / timescale : 0;
        sample += perChunk;
    }
    return out;
}

} // namespace

std::optional<QString> ChunkInterleave::build(Mp4Box& moov, QByteArrayView payload,
                                              uint64_t oldPayloadOffset, uint64_t newPayloadOffset,
                                              const TelemetryRecords& records,
                                              ChunkInterleave& out) {
    std::vector<Chunk> chunks;
    for (Mp4Box& trak : moov.children) {
        if (trak.type != "trak")
            continue;
        Mp4Box* stbl = trak.descend({"mdia", "minf", "stbl"});
        if (!stbl)
            return QStringLiteral("a track without a sample table");
        Mp4Box* table = stbl->child("stco") ? stbl->child("stco") : stbl->child("co64");
        if (!table || table->payload.size() < 8)
            return QStringLiteral("a track without chunk offsets");
        const bool wide = table->type == "co64";
        const uint32_t n = readU32(table->payload, 4);
        if (uint64_t(table->payload.size()) < 8 + uint64_t(n) * (wide ? 8 : 4))
            return QStringLiteral("chunk offset table shorter than its count");
        const std::vector<double> starts =
            isVideo(trak) ? chunkStarts(*stbl, n, mediaTimescale(trak)) : std::vector<double>();
        for (uint32_t i = 0; i < n; ++i) {
            const qsizetype at = 8 + qsizetype(i) * (wide ? 8 : 4);
            const uint64_t offset =
                wide ? readU64(table->payload, at) : readU32(table->payload, at);
            chunks.push_back({offset, &table->payload, at, wide, starts.empty() ? -1 : starts[i]});
        }
    }
    std::sort(chunks.begin(), chunks.end(),
              [](const Chunk& a, const Chunk& b) { return a.offset < b.offset; });
    const uint64_t payloadEnd = oldPayloadOffset + uint64_t(payload.size());
    out.payload.clear();
    out.offsets.clear();
    size_t record = 0;
    const auto emitRecordsUntil = [&](double seconds) {
        for (; record < records.size() && records[record].time / 1000.0 <= seconds; ++record) {
            out.offsets.push_back(uint32_t(newPayloadOffset + uint64_t(out.payload.size())));
            appendU16(out.payload, TelemetryRecord::kSize);
            out.payload += records[record].toBytes();
        }
    };
    for (size_t i = 0; i < chunks.size(); ++i) {
        const Chunk& c = chunks[i];
        const uint64_t end = i + 1 < chunks.size() ? chunks[i + 1].offset : payloadEnd;
        if (c.offset < oldPayloadOffset || end > payloadEnd || end < c.offset)
            return QStringLiteral("a chunk outside the media data");
        if (c.start >= 0)
            emitRecordsUntil(c.start);
        const uint64_t moved = newPayloadOffset + uint64_t(out.payload.size());
        if (!c.wide && moved > UINT32_MAX)
            return QStringLiteral("chunk offset out of range after the move");
        c.wide ? writeU64(*c.table, c.entry, moved) : writeU32(*c.table, c.entry, uint32_t(moved));
        out.payload +=
            payload.sliced(qsizetype(c.offset - oldPayloadOffset), qsizetype(end - c.offset));
    }
    emitRecordsUntil(1e300);
    return std::nullopt;
}
