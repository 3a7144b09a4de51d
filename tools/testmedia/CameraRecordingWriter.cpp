// SPDX-License-Identifier: GPL-3.0-or-later
#include "CameraRecordingWriter.h"

#include "ChunkInterleave.h"
#include "Mp4Box.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr int kTelemetryChildIndex = 4; // the fifth child of moov
constexpr uint32_t kTimescale = 1000;

QByteArray fullBoxHeader(uint8_t version = 0, uint32_t flags = 0) {
    QByteArray out;
    appendU8(out, version);
    appendU8(out, uint8_t(flags >> 16));
    appendU16(out, uint16_t(flags));
    return out;
}

struct MovieHeader {
    uint32_t timescale = 1000;
    uint64_t duration = 0;
    qsizetype nextTrackIdOffset = 0;
};

std::optional<MovieHeader> readMovieHeader(const Mp4Box& mvhd) {
    const QByteArray& p = mvhd.payload;
    MovieHeader h;
    if (p.size() >= 100 && p[0] == 0) {
        h.timescale = readU32(p, 12);
        h.duration = readU32(p, 16);
        h.nextTrackIdOffset = 96;
    } else if (p.size() >= 112 && p[0] == 1) {
        h.timescale = readU32(p, 20);
        h.duration = readU64(p, 24);
        h.nextTrackIdOffset = 108;
    } else {
        return std::nullopt;
    }
    return h;
}

QByteArray identityMatrix() {
    QByteArray m;
    for (uint32_t v : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u})
        appendU32(m, v);
    return m;
}

Mp4Box trackHeader(uint32_t trackId, uint32_t movieDuration) {
    QByteArray p = fullBoxHeader(0, 0x000003); // enabled, in movie
    appendU32(p, 0);                           // creation
    appendU32(p, 0);                           // modification
    appendU32(p, trackId);
    appendU32(p, 0);
    appendU32(p, movieDuration);
    p.append(8, '\0'); // reserved
    appendU16(p, 0);   // layer
    appendU16(p, 0);   // alternate group
    appendU16(p, 0);   // volume: not audio
    appendU16(p, 0);
    p += identityMatrix();
    appendU32(p, 0); // width
    appendU32(p, 0); // height
    return Mp4Box::leaf("tkhd", p);
}

Mp4Box editList(uint32_t movieDuration) {
    QByteArray p = fullBoxHeader();
    appendU32(p, 1);
    appendU32(p, movieDuration);
    appendU32(p, 0);          // media time
    appendU32(p, 0x00010000); // rate 1.0
    return Mp4Box::node("edts", {Mp4Box::leaf("elst", p)});
}

Mp4Box mediaHeader(uint32_t mediaDuration) {
    QByteArray p = fullBoxHeader();
    appendU32(p, 0);
    appendU32(p, 0);
    appendU32(p, kTimescale);
    appendU32(p, mediaDuration);
    appendU16(p, 0x55c4); // language "und"
    appendU16(p, 0);
    return Mp4Box::leaf("mdhd", p);
}

Mp4Box handler() {
    QByteArray p = fullBoxHeader();
    appendU32(p, 0);
    p += "meta";
    p.append(12, '\0');
    p += "Telemetry";
    p.append('\0');
    return Mp4Box::leaf("hdlr", p);
}

Mp4Box dataInformation() {
    QByteArray dref = fullBoxHeader();
    appendU32(dref, 1);
    QByteArray url = fullBoxHeader(0, 1); // data in this file
    appendU32(dref, uint32_t(8 + url.size()));
    dref += "url ";
    dref += url;
    return Mp4Box::node("dinf", {Mp4Box::leaf("dref", dref)});
}

Mp4Box sampleTable(uint32_t count, uint32_t sampleDelta, const std::vector<uint32_t>& offsets) {
    QByteArray stsd = fullBoxHeader();
    appendU32(stsd, 1);
    QByteArray entry;
    entry.append(6, '\0');
    appendU16(entry, 1); // data reference index
    appendU32(stsd, uint32_t(8 + entry.size()));
    stsd += "rvxt";
    stsd += entry;

    QByteArray stts = fullBoxHeader();
    appendU32(stts, count ? 1 : 0);
    if (count) {
        appendU32(stts, count);
        appendU32(stts, sampleDelta);
    }

    QByteArray stsc = fullBoxHeader();
    appendU32(stsc, count ? 1 : 0);
    if (count) {
        appendU32(stsc, 1); // first chunk
        appendU32(stsc, 1); // samples per chunk
        appendU32(stsc, 1); // sample description
    }

    QByteArray stsz = fullBoxHeader();
    appendU32(stsz, CameraRecordingWriter::kChunkSize);
    appendU32(stsz, count);

    QByteArray stco = fullBoxHeader();
    appendU32(stco, count);
    for (uint32_t offset : offsets)
        appendU32(stco, offset);

    return Mp4Box::node("stbl", {Mp4Box::leaf("stsd", stsd), Mp4Box::leaf("stts", stts),
                                 Mp4Box::leaf("stsc", stsc), Mp4Box::leaf("stsz", stsz),
                                 Mp4Box::leaf("stco", stco)});
}

// tkhd, a second box, mdia; mdia: mdhd, hdlr, minf; minf: a media header, dinf, stbl.
Mp4Box telemetryTrack(uint32_t trackId, uint32_t movieDuration, uint32_t count,
                      uint32_t mediaDuration, const std::vector<uint32_t>& offsets) {
    const uint32_t delta = count ? std::max<uint32_t>(1, mediaDuration / count) : 1;
    Mp4Box minf = Mp4Box::node("minf", {Mp4Box::leaf("nmhd", fullBoxHeader()), dataInformation(),
                                        sampleTable(count, delta, offsets)});
    Mp4Box mdia = Mp4Box::node("mdia", {mediaHeader(delta * count), handler(), std::move(minf)});
    return Mp4Box::node(
        "trak", {trackHeader(trackId, movieDuration), editList(movieDuration), std::move(mdia)});
}

struct TopLevel {
    Mp4Box ftyp, moov;
    QByteArrayView mdatPayload;
    uint64_t mdatPayloadOffset = 0;
};

// The top level is scanned by hand: mdat is large and is only copied, never parsed.
std::optional<QString> scanTopLevel(const QByteArray& file, TopLevel& top) {
    bool haveFtyp = false, haveMoov = false, haveMdat = false;
    qsizetype offset = 0;
    while (offset + 8 <= file.size()) {
        uint64_t size = readU32(file, offset);
        qsizetype header = 8;
        if (size == 1 && offset + 16 <= file.size()) {
            size = readU64(file, offset + 8);
            header = 16;
        } else if (size == 0) {
            size = uint64_t(file.size() - offset);
        }
        if (size < uint64_t(header) || size > uint64_t(file.size() - offset))
            return QStringLiteral("damaged top-level box at %1").arg(offset);
        const QByteArray type = file.mid(offset + 4, 4);
        const QByteArrayView body =
            QByteArrayView(file).sliced(offset + header, qsizetype(size) - header);
        QString error;
        if (type == "ftyp") {
            top.ftyp = Mp4Box::leaf("ftyp", body.toByteArray());
            haveFtyp = true;
        } else if (type == "moov") {
            auto children = Mp4Box::parseList(body, &error);
            if (!children)
                return QStringLiteral("moov: ") + error;
            top.moov = Mp4Box::node("moov", std::move(*children));
            haveMoov = true;
        } else if (type == "mdat") {
            top.mdatPayload = body;
            top.mdatPayloadOffset = uint64_t(offset + header);
            haveMdat = true;
        }
        offset += qsizetype(size);
    }
    if (!haveFtyp || !haveMoov || !haveMdat)
        return QStringLiteral("the input needs ftyp, mdat and moov boxes");
    if (top.ftyp.payload.size() < 8)
        return QStringLiteral("ftyp too short");
    return std::nullopt;
}

} // namespace

std::optional<QString> CameraRecordingWriter::convert(const QByteArray& ffmpegMp4,
                                                      const TelemetryRecords& records,
                                                      QByteArray& out) {
    TopLevel top;
    if (auto error = scanTopLevel(ffmpegMp4, top))
        return error;
    Mp4Box* mvhd = top.moov.child("mvhd");
    if (!mvhd || top.moov.children.empty() || top.moov.children.front().type != "mvhd")
        return QStringLiteral("moov must begin with mvhd");
    const auto movie = readMovieHeader(*mvhd);
    if (!movie)
        return QStringLiteral("unknown mvhd version");

    top.ftyp.payload.replace(0, 4, "avc1");
    const uint64_t telemetryBytes = uint64_t(records.size()) * kChunkSize;
    const uint64_t mdatBody = uint64_t(top.mdatPayload.size()) + telemetryBytes;
    const uint64_t mdatHeader = mdatBody + 8 > UINT32_MAX ? 16 : 8;
    const uint64_t newPayloadOffset = top.ftyp.size() + mdatHeader;
    if (newPayloadOffset + mdatBody > UINT32_MAX)
        return QStringLiteral("the camera's layout cannot address a file of 4 GiB or more");
    // The telemetry chunks go between the others, as the camera writes them.
    ChunkInterleave media;
    if (auto error = ChunkInterleave::build(top.moov, top.mdatPayload, top.mdatPayloadOffset,
                                            newPayloadOffset, records, media))
        return error;

    const uint32_t trackId = readU32(mvhd->payload, movie->nextTrackIdOffset);
    writeU32(mvhd->payload, movie->nextTrackIdOffset, trackId + 1);
    const uint32_t movieDuration = uint32_t(std::min<uint64_t>(movie->duration, UINT32_MAX));
    const uint64_t durationMs =
        movie->timescale ? movie->duration * kTimescale / movie->timescale : 0;
    Mp4Box trak =
        telemetryTrack(trackId, movieDuration, uint32_t(records.size()),
                       uint32_t(std::min<uint64_t>(durationMs, UINT32_MAX)), media.offsets);
    // Keep the telemetry track the fifth child whatever ffmpeg wrote before it.
    auto& children = top.moov.children;
    while (children.size() < kTelemetryChildIndex)
        children.push_back(Mp4Box::leaf("free", {}));
    children.insert(children.begin() + kTelemetryChildIndex, std::move(trak));

    out.clear();
    out.reserve(qsizetype(newPayloadOffset + mdatBody + top.moov.size()));
    top.ftyp.serializeInto(out);
    if (mdatHeader == 16) {
        appendU32(out, 1);
        out += "mdat";
        appendU64(out, mdatBody + 16);
    } else {
        appendU32(out, uint32_t(mdatBody + 8));
        out += "mdat";
    }
    out += media.payload;
    top.moov.serializeInto(out);
    return std::nullopt;
}

namespace {

// The pieces of a video-less camera file: the bytes before the chunks, where each chunk
// goes, and the moov box after them. Filler between chunks is left to the caller, so a
// file with large gaps can be written sparse.
struct Skeleton {
    QByteArray head; // ftyp and the mdat header
    std::vector<uint32_t> offsets;
    uint64_t mdatEnd = 0;
    QByteArray moov;
};

Skeleton skeletonParts(const TelemetryRecords& records, uint32_t gapBytes) {
    QByteArray ftyp = "avc1";
    appendU32(ftyp, 0);
    ftyp += "isomavc1";
    const uint32_t count = uint32_t(records.size());
    const uint32_t durationMs = count * 100;
    QByteArray mvhd = fullBoxHeader();
    appendU32(mvhd, 0);
    appendU32(mvhd, 0);
    appendU32(mvhd, kTimescale);
    appendU32(mvhd, durationMs);
    appendU32(mvhd, 0x00010000); // rate
    appendU16(mvhd, 0x0100);     // volume
    mvhd.append(10, '\0');
    mvhd += identityMatrix();
    mvhd.append(24, '\0');
    appendU32(mvhd, 2); // next track

    Skeleton s;
    Mp4Box::leaf("ftyp", ftyp).serializeInto(s.head);
    const uint64_t body = uint64_t(count) * (gapBytes + CameraRecordingWriter::kChunkSize);
    appendU32(s.head, uint32_t(8 + body));
    s.head += "mdat";
    uint64_t at = uint64_t(s.head.size());
    for (uint32_t i = 0; i < count; ++i) {
        at += gapBytes;
        s.offsets.push_back(uint32_t(at));
        at += CameraRecordingWriter::kChunkSize;
    }
    s.mdatEnd = at;
    Mp4Box trak = telemetryTrack(1, durationMs, count, durationMs, s.offsets);
    Mp4Box::node("moov", {Mp4Box::leaf("mvhd", mvhd), Mp4Box::leaf("free", {}),
                          Mp4Box::leaf("free", {}), Mp4Box::leaf("free", {}), std::move(trak)})
        .serializeInto(s.moov);
    return s;
}

QByteArray chunkOf(const TelemetryRecord& r) {
    QByteArray chunk;
    appendU16(chunk, TelemetryRecord::kSize);
    return chunk + r.toBytes();
}

} // namespace

QByteArray CameraRecordingWriter::skeleton(const TelemetryRecords& records, uint32_t gapBytes) {
    const Skeleton s = skeletonParts(records, gapBytes);
    QByteArray out = s.head;
    for (const TelemetryRecord& r : records) {
        out.append(qsizetype(gapBytes), '\0');
        out += chunkOf(r);
    }
    return out + s.moov;
}

std::optional<QString> CameraRecordingWriter::writeSkeletonFile(const QString& path,
                                                                const TelemetryRecords& records,
                                                                uint32_t gapBytes) {
    const Skeleton s = skeletonParts(records, gapBytes);
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(s.head) == s.head.size();
    for (size_t i = 0; ok && i < records.size(); ++i) {
        const QByteArray chunk = chunkOf(records[i]);
        ok = file.seek(qint64(s.offsets[i])) && file.write(chunk) == chunk.size();
    }
    ok = ok && file.seek(qint64(s.mdatEnd)) && file.write(s.moov) == s.moov.size();
    if (!ok)
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    return std::nullopt;
}

std::optional<QString> CameraRecordingWriter::writeFile(const QString& inputMp4,
                                                        const TelemetryRecords& records,
                                                        const QString& outputPath) {
    QFile in(inputMp4);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(inputMp4, in.errorString());
    QByteArray out;
    if (auto error = convert(in.readAll(), records, out))
        return QStringLiteral("%1: %2").arg(inputMp4, *error);
    QSaveFile file(outputPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
        return QStringLiteral("%1: %2").arg(outputPath, file.errorString());
    return std::nullopt;
}
