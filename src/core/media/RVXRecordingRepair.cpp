// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/media/RVXRecordingRepair.h"

#include "core/catalogue/RVXMedia.h"
#include "core/media/RVXH264Order.h"
#include "core/media/RVXMp4Boxes.h"
#include "core/media/RVXQuietLibav.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cmath>

#include <unistd.h>

namespace {

using Kind = RVXRecordingReference::Kind;
using B = RVXMp4Box;

QByteArray fullHeader(uint32_t versionAndFlags = 0) {
    QByteArray out;
    B::put32(out, versionAndFlags);
    return out;
}

// The durations in a header box: version 0 holds 32 bits at v0, version 1 64 at v1.
void setDuration(QByteArray& box, qsizetype v0, qsizetype v1, uint64_t duration) {
    const bool wide = box.size() > 8 && box[8] == 1;
    const qsizetype at = 8 + (wide ? v1 : v0);
    if (wide && at + 8 <= box.size()) {
        B::set32(box, at, uint32_t(duration >> 32));
        B::set32(box, at + 4, uint32_t(duration));
    } else if (!wide && at + 4 <= box.size()) {
        B::set32(box, at, uint32_t(std::min<uint64_t>(duration, UINT32_MAX)));
    }
}

struct Tables {
    const RVXRecordingRepair::Walk::Track* walked;
    uint32_t delta;
    int64_t shift; // from the broken file's offsets to the new file's
    bool video;
    // Video: composition offsets in frames, and the frames the first picture waits.
    std::vector<uint32_t> composition;
    uint32_t delay = 0;
    // Where the track's one edit starts in its media, and its length in the movie's
    // timescale; the media's own length.
    uint32_t mediaTime = 0;
    uint64_t edit = 0;
    uint64_t media = 0;
};

// Where the track's media starts to play: its first edit that is not an empty one, 0 when
// it has none. The camera's sound starts after the encoder's priming frame.
uint32_t mediaTimeOf(QByteArrayView trak) {
    const B top{"trak", 0, 8, trak.size()};
    const auto elst = B::descend(trak, top, {"edts", "elst"});
    if (!elst || elst->end - elst->payload < 8)
        return 0;
    const bool wide = trak[elst->payload] == 1;
    const qsizetype entry = wide ? 20 : 12;
    const uint32_t n = B::u32(trak, elst->payload + 4);
    for (uint32_t i = 0; i < n && elst->payload + 8 + qsizetype(i + 1) * entry <= elst->end; ++i) {
        const qsizetype at = elst->payload + 8 + qsizetype(i) * entry + (wide ? 8 : 4);
        const int64_t time = wide ? int64_t(B::u64(trak, at)) : int32_t(B::u32(trak, at));
        if (time >= 0)
            return uint32_t(std::min<int64_t>(time, UINT32_MAX));
    }
    return 0;
}

QByteArray ctts(const Tables& t) {
    QByteArray runs;
    uint32_t count = 0;
    for (size_t i = 0; i < t.composition.size();) {
        size_t j = i;
        while (j < t.composition.size() && t.composition[j] == t.composition[i])
            ++j;
        B::put32(runs, uint32_t(j - i));
        B::put32(runs, t.composition[i] * t.delta);
        ++count;
        i = j;
    }
    QByteArray p = fullHeader();
    B::put32(p, count);
    return B::box("ctts", p + runs);
}

QByteArray stts(const Tables& t) {
    QByteArray p = fullHeader();
    const uint32_t n = uint32_t(t.walked->sizes.size());
    B::put32(p, n ? 1 : 0);
    if (n) {
        B::put32(p, n);
        B::put32(p, t.delta);
    }
    return B::box("stts", p);
}

QByteArray stsc(const Tables& t) {
    QByteArray runs;
    uint32_t count = 0, last = 0;
    for (size_t c = 0; c < t.walked->chunkSamples.size(); ++c) {
        if (t.walked->chunkSamples[c] == last)
            continue;
        last = t.walked->chunkSamples[c];
        B::put32(runs, uint32_t(c + 1));
        B::put32(runs, last);
        B::put32(runs, 1);
        ++count;
    }
    QByteArray p = fullHeader();
    B::put32(p, count);
    return B::box("stsc", p + runs);
}

QByteArray stsz(const Tables& t) {
    const auto& sizes = t.walked->sizes;
    QByteArray p = fullHeader();
    const bool uniform = !sizes.empty() && std::all_of(sizes.begin(), sizes.end(), [&](uint32_t s) {
        return s == sizes.front();
    });
    B::put32(p, uniform ? sizes.front() : 0);
    B::put32(p, uint32_t(sizes.size()));
    if (!uniform) {
        for (uint32_t s : sizes)
            B::put32(p, s);
    }
    return B::box("stsz", p);
}

QByteArray stco(const Tables& t) {
    QByteArray p = fullHeader();
    B::put32(p, uint32_t(t.walked->chunkOffsets.size()));
    for (uint64_t o : t.walked->chunkOffsets)
        B::put32(p, uint32_t(int64_t(o) + t.shift));
    return B::box("stco", p);
}

QByteArray stss(const Tables& t) {
    QByteArray p = fullHeader();
    B::put32(p, uint32_t(t.walked->syncSamples.size()));
    for (uint32_t s : t.walked->syncSamples)
        B::put32(p, s);
    return B::box("stss", p);
}

// The reference's box rebuilt: containers keep their children in order, the sample table
// gets the walk's tables, durations become the recovered ones. What cannot be rebuilt from
// the walk (composition offsets and other sample groupings) is left out.
QByteArray rebuild(QByteArrayView d, const B& box, const Tables& t) {
    QByteArray out = box.bytes(d).toByteArray();
    if (box.type == "tkhd") {
        setDuration(out, 20, 28, t.edit);
        return out;
    }
    if (box.type == "mdhd") {
        setDuration(out, 16, 24, t.media);
        return out;
    }
    if (box.type == "elst") {
        // One edit over the whole track: with pictures reordered it starts where the
        // first is shown, the sound where the reference's does.
        QByteArray p = fullHeader();
        B::put32(p, 1);
        B::put32(p, uint32_t(std::min<uint64_t>(t.edit, UINT32_MAX)));
        B::put32(p, t.mediaTime);
        B::put32(p, 0x00010000);
        return B::box("elst", p);
    }
    static const QByteArray containers[] = {"trak", "mdia", "minf", "stbl", "edts"};
    if (std::find(std::begin(containers), std::end(containers), box.type) == std::end(containers))
        return out;
    QByteArray body;
    for (const B& child : B::children(d, box.payload, box.end)) {
        if (box.type == "stbl") {
            if (child.type == "stsd")
                body += child.bytes(d).toByteArray();
            else if (child.type == "stts")
                body += stts(t);
            else if (child.type == "stsc")
                body += stsc(t);
            else if (child.type == "stsz")
                body += stsz(t);
            else if (child.type == "stco" || child.type == "co64")
                body += stco(t);
            else if (child.type == "stss" && t.video)
                body += stss(t);
            else if (child.type == "ctts" && !t.composition.empty())
                body += ctts(t);
            continue;
        }
        body += rebuild(d, child, t);
    }
    QByteArray header;
    B::put32(header, uint32_t(8 + body.size()));
    header += box.type;
    return header + body;
}

bool copyRange(QFile& in, uint64_t from, uint64_t to, QSaveFile& out,
               const std::atomic<bool>* cancel) {
    // In the kernel where it can: the media data is most of the copy, and it is taken as
    // it is.
    if (out.flush()) {
        const qint64 outStart = out.pos();
        loff_t inAt = loff_t(from), outAt = loff_t(outStart);
        while (uint64_t(inAt) < to) {
            if (cancel && cancel->load())
                return false;
            const ssize_t n =
                ::copy_file_range(in.handle(), &inAt, out.handle(), &outAt,
                                  size_t(std::min<uint64_t>(to - uint64_t(inAt), 64 << 20)), 0);
            if (n <= 0)
                break;
        }
        if (uint64_t(inAt) == to)
            return out.seek(qint64(outAt));
        // Not on this file system: the rest by reading and writing.
        from = uint64_t(inAt);
        if (!out.seek(qint64(outAt)))
            return false;
    }
    if (!in.seek(qint64(from)))
        return false;
    QByteArray block;
    for (uint64_t at = from; at < to;) {
        if (cancel && cancel->load())
            return false;
        block = in.read(qint64(std::min<uint64_t>(to - at, 4 << 20)));
        if (block.isEmpty() || out.write(block) != block.size())
            return false;
        at += uint64_t(block.size());
    }
    return true;
}

// Whether the reference's video set-up decodes the recording's first picture: another
// picture size or encoder set-up fails here, where the walk alone cannot tell.
bool decodesWith(const RVXRecordingReference& ref, const QString& path, uint64_t offset,
                 uint32_t size) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(qint64(offset)) || size > (64u << 20))
        return false;
    const QByteArray sample = f.read(size);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!c || sample.size() != qsizetype(size))
        return false;
    const auto cleanup = qScopeGuard([&] { avcodec_free_context(&c); });
    const QByteArray& avcC = ref.videoConfig;
    c->extradata =
        static_cast<uint8_t*>(av_mallocz(size_t(avcC.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    std::copy(avcC.begin(), avcC.end(), c->extradata);
    c->extradata_size = int(avcC.size());
    c->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
    if (avcodec_open2(c, codec, nullptr) < 0)
        return false;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto release = qScopeGuard([&] {
        av_frame_free(&frame);
        av_packet_free(&pkt);
    });
    if (av_new_packet(pkt, int(size)) < 0)
        return false;
    std::copy(sample.begin(), sample.end(), pkt->data);
    pkt->flags |= AV_PKT_FLAG_KEY;
    const RVXQuietLibav quiet;
    bool ok = avcodec_send_packet(c, pkt) >= 0 && avcodec_send_packet(c, nullptr) >= 0;
    int got = 0;
    while (ok && avcodec_receive_frame(c, frame) >= 0) {
        ok = frame->decode_error_flags == 0 && !(frame->flags & AV_FRAME_FLAG_CORRUPT) &&
             frame->width == ref.videoWidth && frame->height == ref.videoHeight;
        ++got;
        av_frame_unref(frame);
    }
    return ok && got > 0;
}

} // namespace

QString RVXRecordingRepair::proposedPath(const QString& broken) {
    const QFileInfo info(broken);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("_repaired.") +
                               (info.suffix().isEmpty() ? QStringLiteral("MP4") : info.suffix()));
}

QString RVXRecordingRepair::findReference(const QString& broken) {
    const RVXMediaRef target = RVXMedia::mediaWithPath(broken);
    const QFileInfo info(broken);
    QString best;
    int64_t bestScore = INT64_MAX;
    const auto seconds = [](const RVXMedia& m) {
        return QDateTime(QDate(m.year(), m.month(), m.day()),
                         QTime(m.hour(), m.minute(), m.second()), Qt::UTC)
            .toSecsSinceEpoch();
    };
    for (const QFileInfo& f : info.dir().entryInfoList(
             {QStringLiteral("*.MP4"), QStringLiteral("*.mp4")}, QDir::Files)) {
        // A copy repaired before is laid out by us, not by the camera.
        if (f.canonicalFilePath() == info.canonicalFilePath() ||
            f.completeBaseName().endsWith(QLatin1String("_repaired"), Qt::CaseInsensitive))
            continue;
        const RVXMediaRef m = RVXMedia::mediaWithPath(f.absoluteFilePath());
        if (!m || (target && m->mediaDirection() != target->mediaDirection()))
            continue;
        if (RVXRecordingDiagnosis::diagnose(f.absoluteFilePath()).state !=
            RVXRecordingDiagnosis::State::Healthy)
            continue;
        // Nearest in time, the same kind first.
        int64_t score = target ? std::llabs(seconds(*m) - seconds(*target)) : 0;
        if (target && m->mediaDivision() != target->mediaDivision())
            score += int64_t(1) << 40;
        if (score < bestScore) {
            bestScore = score;
            best = f.absoluteFilePath();
        }
    }
    return best;
}

std::optional<QString> RVXRecordingRepair::repair(const QString& broken, const QString& reference,
                                                  const QString& out, Result* result,
                                                  const std::atomic<bool>* cancel,
                                                  const Progress& progress) {
    if (QFileInfo(out).absoluteFilePath() == QFileInfo(broken).absoluteFilePath())
        return QStringLiteral("the copy must not replace the original");
    const RVXRecordingDiagnosis::Result d = RVXRecordingDiagnosis::diagnose(broken);
    if (d.state == RVXRecordingDiagnosis::State::NotARecording)
        return QStringLiteral("%1 is not a recording of this camera").arg(broken);
    RVXRecordingReference ref;
    if (auto e = ref.read(reference))
        return e;
    const Walk w = walk(ref, broken, d.mdatPayloadOffset, d.mdatPayloadOffset + d.mdatPayloadBytes,
                        cancel, progress);
    if (cancel && cancel->load())
        return QStringLiteral("cancelled");
    const int video = ref.trackOf(Kind::Video);
    if (w.tracks[size_t(video)].sizes.empty())
        return QStringLiteral("nothing recoverable: %1").arg(w.stoppedBecause);
    if (!decodesWith(ref, broken, w.tracks[size_t(video)].chunkOffsets.front(),
                     w.tracks[size_t(video)].sizes.front()))
        return QStringLiteral("%1 does not fit this recording: its video set-up (picture size, "
                              "encoder settings) does not decode it; name another with the same "
                              "settings")
            .arg(QFileInfo(reference).fileName());

    QFile in(broken);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(broken, in.errorString());
    const QByteArray ftyp = in.read(qint64(RVXMp4Box::u32(in.peek(4), 0)));
    const uint64_t payload = w.dataEnd - w.dataStart;
    const bool wide = payload + 8 > UINT32_MAX;
    const uint64_t newStart = uint64_t(ftyp.size()) + (wide ? 16 : 8);
    if (newStart + payload > UINT32_MAX)
        return QStringLiteral("the camera's layout cannot address a copy of 4 GiB or more");

    // Durations: each track's media and what of it plays, the movie the longest of these.
    std::vector<Tables> tables;
    uint64_t movie = 0;
    Result r;
    for (size_t i = 0; i < ref.tracks.size(); ++i) {
        const auto& t = ref.tracks[i];
        const auto& walked = w.tracks[i];
        Tables& tt = tables.emplace_back(Tables{
            &walked, t.sampleDelta, int64_t(newStart) - int64_t(w.dataStart), int(i) == video});
        tt.media = uint64_t(walked.sizes.size()) * t.sampleDelta;
        uint64_t plays = tt.media;
        if (int(i) == video) {
            if (walked.ordered) {
                std::vector<bool> idr(walked.sizes.size(), false);
                for (uint32_t s : walked.syncSamples)
                    idr[s - 1] = true;
                tt.composition = RVXH264Order::compositionOffsets(walked.pocs, idr, &tt.delay);
            }
            // Display order shifts every picture alike: all of the media plays.
            tt.mediaTime = tt.delay * tt.delta;
        } else {
            tt.mediaTime = uint32_t(std::min<uint64_t>(mediaTimeOf(t.trak), tt.media));
            plays = tt.media - tt.mediaTime;
        }
        const double seconds = t.timescale ? double(plays) / t.timescale : 0;
        tt.edit = uint64_t(std::llround(seconds * ref.movieTimescale));
        movie = std::max(movie, tt.edit);
        if (t.kind == Kind::Video)
            r.videoSeconds = seconds;
        else if (t.kind == Kind::Audio)
            r.audioSeconds = seconds;
        else if (t.kind == Kind::Telemetry)
            r.telemetrySeconds = seconds;
    }
    r.videoFrames = int(w.tracks[size_t(video)].sizes.size());
    r.stoppedAt = w.dataEnd;
    r.bytesLeft = d.mdatPayloadOffset + d.mdatPayloadBytes - w.dataEnd;
    r.stoppedBecause = w.stoppedBecause;

    QByteArray moovBody;
    for (size_t c = 0; c < ref.childTrack.size(); ++c) {
        const int track = ref.childTrack[c];
        if (track < 0) {
            QByteArray box = ref.moovChildren[c];
            if (box.mid(4, 4) == "mvhd")
                setDuration(box, 16, 24, movie);
            moovBody += box;
            continue;
        }
        const QByteArray& trak = ref.tracks[size_t(track)].trak;
        const B top{"trak", 0, 8, trak.size()};
        moovBody += rebuild(trak, top, tables[size_t(track)]);
    }

    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(out, file.errorString());
    QByteArray head = ftyp;
    if (wide) {
        B::put32(head, 1);
        head += "mdat";
        B::put64(head, payload + 16);
    } else {
        B::put32(head, uint32_t(payload + 8));
        head += "mdat";
    }
    bool ok =
        file.write(head) == head.size() && copyRange(in, w.dataStart, w.dataEnd, file, cancel);
    const QByteArray moov = B::box("moov", moovBody);
    ok = ok && file.write(moov) == moov.size();
    if (cancel && cancel->load()) {
        file.cancelWriting();
        return QStringLiteral("cancelled");
    }
    if (!ok || !file.commit())
        return QStringLiteral("%1: %2").arg(out, file.errorString());
    if (progress)
        progress(1.0);
    if (result)
        *result = r;
    return std::nullopt;
}
