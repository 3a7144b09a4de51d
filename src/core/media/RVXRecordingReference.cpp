// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/media/RVXRecordingReference.h"

#include "core/media/RVXMp4Boxes.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>

namespace {

constexpr int kTelemetryChild = 4; // moov's fifth child, where the camera puts it
constexpr qint64 kMaxMoov = 64 << 20;

struct ChunkAt {
    uint64_t offset;
    int track;
    uint32_t samples;
};

// The chunks of a track with their sample counts, from stco/co64 and stsc.
void chunksOf(QByteArrayView d, const RVXMp4Box& stbl, int track, std::vector<ChunkAt>& out) {
    const auto stco = RVXMp4Box::child(d, stbl, "stco");
    const auto co64 = RVXMp4Box::child(d, stbl, "co64");
    const auto stsc = RVXMp4Box::child(d, stbl, "stsc");
    const auto table = stco ? stco : co64;
    if (!table || !stsc)
        return;
    const bool wide = !stco;
    const uint32_t n = RVXMp4Box::u32(d, table->payload + 4);
    const uint32_t entries = RVXMp4Box::u32(d, stsc->payload + 4);
    if (qsizetype(n) * (wide ? 8 : 4) > table->end - table->payload ||
        qsizetype(entries) * 12 > stsc->end - stsc->payload)
        return;
    uint32_t e = 0, perChunk = 0;
    for (uint32_t c = 0; c < n; ++c) {
        while (e < entries && RVXMp4Box::u32(d, stsc->payload + 8 + 12 * e) <= c + 1)
            perChunk = RVXMp4Box::u32(d, stsc->payload + 12 + 12 * e++);
        const qsizetype at = table->payload + 8 + qsizetype(c) * (wide ? 8 : 4);
        out.push_back({wide ? RVXMp4Box::u64(d, at) : RVXMp4Box::u32(d, at), track, perChunk});
    }
}

uint32_t timescaleOf(QByteArrayView d, const RVXMp4Box& trak) {
    const auto mdhd = RVXMp4Box::descend(d, trak, {"mdia", "mdhd"});
    if (!mdhd)
        return 0;
    const bool v1 = mdhd->payload < d.size() && d[mdhd->payload] == 1;
    return RVXMp4Box::u32(d, mdhd->payload + (v1 ? 20 : 12));
}

// NAL header bytes, the largest NAL, the rate and the set-ups, from the streams themselves.
std::optional<QString> learnStreams(const QString& path, RVXRecordingReference& r) {
    AVFormatContext* c = nullptr;
    if (avformat_open_input(&c, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return QStringLiteral("%1 cannot be read").arg(path);
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> closer(
        c, [](AVFormatContext* p) { avformat_close_input(&p); });
    if (avformat_find_stream_info(c, nullptr) < 0)
        return QStringLiteral("%1 cannot be read").arg(path);
    const int video = r.trackOf(RVXRecordingReference::Kind::Video);
    const int audio = r.trackOf(RVXRecordingReference::Kind::Audio);
    // The streams are the tracks in their order.
    if (int(c->nb_streams) != int(r.tracks.size()))
        return QStringLiteral("%1: its streams do not match its tracks").arg(path);
    if (video >= 0) {
        const AVCodecParameters* p = c->streams[video]->codecpar;
        if (p->codec_id != AV_CODEC_ID_H264 || p->extradata_size < 7 || p->extradata[0] != 1)
            return QStringLiteral("%1: the video is not H.264 with an avcC").arg(path);
        r.tracks[size_t(video)].nalLengthSize = (p->extradata[4] & 3) + 1;
        r.videoWidth = p->width;
        r.videoConfig = QByteArray(reinterpret_cast<const char*>(p->extradata), p->extradata_size);
        r.videoHeight = p->height;
    }
    if (audio >= 0) {
        const AVCodecParameters* p = c->streams[audio]->codecpar;
        if (p->codec_id != AV_CODEC_ID_AAC)
            return QStringLiteral("%1: the sound is not AAC").arg(path);
        RVXRecordingReference::Track& t = r.tracks[size_t(audio)];
        t.audioConfig = QByteArray(reinterpret_cast<const char*>(p->extradata), p->extradata_size);
        t.sampleRate = p->sample_rate;
        t.channels = p->ch_layout.nb_channels;
    }
    if (video < 0)
        return std::nullopt;
    RVXRecordingReference::Track& v = r.tracks[size_t(video)];
    AVPacket* pkt = av_packet_alloc();
    int seen = 0;
    while (seen < 300 && av_read_frame(c, pkt) >= 0) {
        if (pkt->stream_index == video) {
            ++seen;
            int at = 0;
            while (at + v.nalLengthSize < pkt->size) {
                uint32_t len = 0;
                for (int i = 0; i < v.nalLengthSize; ++i)
                    len = len << 8 | pkt->data[at + i];
                at += v.nalLengthSize;
                if (len == 0 || at + int(len) > pkt->size)
                    break;
                v.nalHeaders[pkt->data[at]] = true;
                v.maxNal = std::max(v.maxNal, len);
                at += int(len);
            }
        }
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    return std::nullopt;
}

} // namespace

int RVXRecordingReference::trackOf(Kind kind) const {
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (tracks[i].kind == kind)
            return int(i);
    }
    return -1;
}

std::optional<QString> RVXRecordingReference::read(const QString& path) {
    *this = {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(path, f.errorString());
    // The top level, header by header; only ftyp and moov are read whole.
    QByteArray moov;
    qint64 at = 0;
    while (at + 8 <= f.size()) {
        f.seek(at);
        const QByteArray h = f.read(16);
        uint64_t size = RVXMp4Box::u32(h, 0);
        if (size == 1)
            size = RVXMp4Box::u64(h, 8);
        if (size < 8 || at + qint64(size) > f.size())
            break;
        const QByteArray type = h.mid(4, 4);
        if (type == "ftyp" && size < 4096) {
            f.seek(at);
            ftyp = f.read(qint64(size));
        } else if (type == "moov" && qint64(size) < kMaxMoov) {
            f.seek(at);
            moov = f.read(qint64(size));
        }
        at += qint64(size);
    }
    if (ftyp.isEmpty() || moov.isEmpty())
        return QStringLiteral("%1 is not a whole recording of this camera (no ftyp or moov)")
            .arg(path);
    const QByteArrayView d(moov);
    const RVXMp4Box top{"moov", 0, 8, moov.size()};
    std::vector<ChunkAt> chunks;
    int index = 0;
    for (const RVXMp4Box& b : RVXMp4Box::children(d, top.payload, top.end)) {
        const int child = index++;
        if (b.type == "mvhd") {
            const bool v1 = b.payload < d.size() && d[b.payload] == 1;
            movieTimescale = RVXMp4Box::u32(d, b.payload + (v1 ? 20 : 12));
        }
        if (b.type != "trak") {
            moovChildren.push_back(b.bytes(d).toByteArray());
            childTrack.push_back(-1);
            continue;
        }
        Track t;
        t.trak = b.bytes(d).toByteArray();
        t.timescale = timescaleOf(d, b);
        const auto hdlr = RVXMp4Box::descend(d, b, {"mdia", "hdlr"});
        const QByteArray handler =
            hdlr ? d.sliced(hdlr->payload + 8, 4).toByteArray() : QByteArray();
        t.kind = child == kTelemetryChild ? Kind::Telemetry
                 : handler == "vide"      ? Kind::Video
                 : handler == "soun"      ? Kind::Audio
                                          : Kind::Other;
        const auto stbl = RVXMp4Box::descend(d, b, {"mdia", "minf", "stbl"});
        if (!stbl)
            return QStringLiteral("%1: a track without a sample table").arg(path);
        if (const auto stts = RVXMp4Box::child(d, *stbl, "stts"))
            t.sampleDelta = RVXMp4Box::u32(d, stts->payload + 12);
        if (const auto stsz = RVXMp4Box::child(d, *stbl, "stsz"); stsz && t.kind == Kind::Telemetry)
            t.chunkSize = RVXMp4Box::u32(d, stsz->payload + 4);
        chunksOf(d, *stbl, int(tracks.size()), chunks);
        moovChildren.push_back(QByteArray());
        childTrack.push_back(int(tracks.size()));
        tracks.push_back(std::move(t));
    }
    std::sort(chunks.begin(), chunks.end(),
              [](const ChunkAt& a, const ChunkAt& b) { return a.offset < b.offset; });
    for (const ChunkAt& c : chunks)
        pattern.push_back({c.track, c.samples});
    const int telemetry = trackOf(Kind::Telemetry);
    if (telemetry >= 0) {
        Track& t = tracks[size_t(telemetry)];
        const auto first = std::find_if(chunks.begin(), chunks.end(),
                                        [&](const ChunkAt& c) { return c.track == telemetry; });
        if (first != chunks.end() && f.seek(qint64(first->offset)))
            t.chunkPrefix = f.read(2);
    }
    if (trackOf(Kind::Video) < 0 || pattern.empty())
        return QStringLiteral("%1 holds no video to learn from").arg(path);
    return learnStreams(path, *this);
}
