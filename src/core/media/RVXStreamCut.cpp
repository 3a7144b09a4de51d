// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/media/RVXStreamCut.h"

#include "core/media/RVXQuietLibav.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

struct InputCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using Packet = std::unique_ptr<AVPacket, PacketFree>;

QString avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

std::optional<QString> openInput(const QString& path, Input& out) {
    AVFormatContext* c = nullptr;
    if (int e = avformat_open_input(&c, QFile::encodeName(path).constData(), nullptr, nullptr);
        e < 0)
        return QStringLiteral("%1: %2").arg(path, avError(e));
    out.reset(c);
    if (int e = avformat_find_stream_info(c, nullptr); e < 0)
        return QStringLiteral("%1: %2").arg(path, avError(e));
    return std::nullopt;
}

bool copied(const AVStream* s) {
    return s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO ||
           s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
}

std::vector<const AVCodecParameters*> copiedParameters(const AVFormatContext* c) {
    std::vector<const AVCodecParameters*> out;
    for (unsigned i = 0; i < c->nb_streams; ++i) {
        if (copied(c->streams[i]))
            out.push_back(c->streams[i]->codecpar);
    }
    return out;
}

bool sameParameters(const AVCodecParameters* a, const AVCodecParameters* b) {
    if (a->codec_type != b->codec_type || a->codec_id != b->codec_id ||
        a->extradata_size != b->extradata_size ||
        (a->extradata_size > 0 &&
         !std::equal(a->extradata, a->extradata + a->extradata_size, b->extradata)))
        return false;
    if (a->codec_type == AVMEDIA_TYPE_VIDEO)
        return a->width == b->width && a->height == b->height && a->format == b->format;
    return a->sample_rate == b->sample_rate && a->ch_layout.nb_channels == b->ch_layout.nb_channels;
}

double seconds(int64_t ts, AVRational base) {
    return ts == AV_NOPTS_VALUE ? 0 : double(ts) * av_q2d(base);
}

int64_t toBase(double s, AVRational base) {
    return int64_t(std::llround(s / av_q2d(base)));
}

int firstVideo(const AVFormatContext* c) {
    return av_find_best_stream(const_cast<AVFormatContext*>(c), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr,
                               0);
}

// Which of a recording's video packets a piece keeps: a run in decoding order from the
// keyframe at or before its start (the first keyframe when none is that early).
struct Selection {
    size_t first = 0, count = 0; // video packets by their place in the file
    int video = -1;
    RVXCutSpan span;
};

// Pictures out of order: decoding order is file order, the display order their pts. The
// run ends at the first point past every frame shown before `to` where no frame after it
// in decoding order is shown before a frame of the run: nothing kept misses what it refers
// to, and the frames shown run on without a hole.
std::optional<QString> select(const RVXCutPiece& piece, Selection& out) {
    Input in;
    if (auto e = openInput(piece.path, in))
        return e;
    out.video = firstVideo(in.get());
    if (out.video < 0)
        return QStringLiteral("%1: no video stream").arg(piece.path);
    const AVStream* stream = in->streams[out.video];
    const AVRational base = stream->time_base;
    const AVRational rate = stream->avg_frame_rate;
    const int64_t fallback =
        rate.num > 0 && rate.den > 0 ? av_rescale_q(1, av_inv_q(rate), base) : 0;
    struct Times {
        int64_t pts, duration;
        bool key;
    };
    std::vector<Times> video;
    Packet pkt(av_packet_alloc());
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (pkt->stream_index == out.video) {
            const int64_t dts = pkt->dts == AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
            const int64_t pts = pkt->pts == AV_NOPTS_VALUE ? dts : pkt->pts;
            video.push_back({pts, pkt->duration > 0 ? pkt->duration : fallback,
                             (pkt->flags & AV_PKT_FLAG_KEY) != 0});
            // Out-of-order pictures reach a few frames ahead, never seconds.
            if (dts != AV_NOPTS_VALUE && seconds(dts, base) > piece.to + 2) {
                av_packet_unref(pkt.get());
                break;
            }
        }
        av_packet_unref(pkt.get());
    }
    std::optional<size_t> key;
    for (size_t i = 0; i < video.size(); ++i) {
        if (!video[i].key || video[i].pts == AV_NOPTS_VALUE)
            continue;
        if (!key || seconds(video[i].pts, base) <= piece.from + 1e-6)
            key = i;
        if (seconds(video[i].pts, base) > piece.from + 1e-6)
            break;
    }
    if (!key)
        return QStringLiteral("%1: no keyframe").arg(piece.path);
    const size_t k = *key, m = video.size();
    size_t last = k;
    for (size_t i = k; i < m; ++i) {
        if (seconds(video[i].pts, base) < piece.to - 1e-6)
            last = i;
    }
    std::vector<int64_t> laterLeast(m + 1, INT64_MAX);
    for (size_t i = m; i-- > k;)
        laterLeast[i] = std::min(laterLeast[i + 1], video[i].pts);
    size_t n = last + 1;
    int64_t latest = INT64_MIN, end = INT64_MIN;
    for (size_t i = k; i < n; ++i)
        latest = std::max(latest, video[i].pts);
    while (n < m && latest > laterLeast[n])
        latest = std::max(latest, video[n++].pts);
    for (size_t i = k; i < n; ++i)
        end = std::max(end, video[i].pts + video[i].duration);
    out.first = k;
    out.count = n - k;
    out.span = {seconds(video[k].pts, base), seconds(end, base), seconds(video[k].duration, base)};
    return std::nullopt;
}

struct Output {
    AVFormatContext* context = nullptr;
    bool opened = false;
    ~Output() {
        if (opened)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

std::optional<QString> openOutput(const AVFormatContext* first, const QString& path, Output& out) {
    if (int e = avformat_alloc_output_context2(&out.context, nullptr, "mp4",
                                               QFile::encodeName(path).constData());
        e < 0)
        return QStringLiteral("%1: %2").arg(path, avError(e));
    for (unsigned i = 0; i < first->nb_streams; ++i) {
        const AVStream* in = first->streams[i];
        if (!copied(in))
            continue;
        AVStream* s = avformat_new_stream(out.context, nullptr);
        if (!s || avcodec_parameters_copy(s->codecpar, in->codecpar) < 0)
            return QStringLiteral("%1: cannot add a stream").arg(path);
        s->codecpar->codec_tag = 0;
        s->time_base = in->time_base;
    }
    if (int e = avio_open(&out.context->pb, QFile::encodeName(path).constData(), AVIO_FLAG_WRITE);
        e < 0)
        return QStringLiteral("%1: %2").arg(path, avError(e));
    out.opened = true;
    AVDictionary* options = nullptr;
    // The index at the front: a player can start before it has read the whole file.
    av_dict_set(&options, "movflags", "+faststart", 0);
    // A track that starts after the file's second 0 says so with an empty edit (the muxer
    // writes one for a first frame shown after 0), and negative decoding times of pictures
    // out of order stay as they are, so the first frame is shown at its own time.
    av_dict_set(&options, "use_editlist", "1", 0);
    out.context->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
    const int e = avformat_write_header(out.context, &options);
    av_dict_free(&options);
    if (e < 0)
        return QStringLiteral("%1: %2").arg(path, avError(e));
    return std::nullopt;
}

// One piece onto the output, its first frame shown at place seconds of the output.
std::optional<QString> copyPiece(const RVXCutPiece& piece, const Selection& chosen, Output& out,
                                 double place, RVXCutReport& report,
                                 const std::atomic<bool>* cancel) {
    Input in;
    if (auto e = openInput(piece.path, in))
        return e;
    // Input stream -> output stream; the streams are matched in order of kind.
    std::vector<int> map(in->nb_streams, -1);
    int next = 0;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        if (copied(in->streams[i]) && next < int(out.context->nb_streams))
            map[i] = next++;
    }
    const RVXCutSpan& span = chosen.span;
    // Every stream moves alike, so the sound stays with the pictures.
    const double shift = span.keyframe - place;
    report.pieces.push_back(span);
    Packet pkt(av_packet_alloc());
    std::vector<bool> done(in->nb_streams, false);
    size_t videoIndex = 0;
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (cancel && cancel->load())
            return QStringLiteral("cancelled");
        const int s = pkt->stream_index;
        const int o = map[size_t(s)];
        bool keep = false;
        if (s == chosen.video) {
            const size_t i = videoIndex++;
            keep = i >= chosen.first && i < chosen.first + chosen.count;
            if (i + 1 >= chosen.first + chosen.count)
                done[size_t(s)] = true;
        } else if (o >= 0 && !done[size_t(s)] && pkt->pts != AV_NOPTS_VALUE) {
            // The sound of the frames shown.
            const double at = seconds(pkt->pts, in->streams[s]->time_base);
            keep = at >= span.keyframe - 1e-6 && at < span.end - 1e-6;
            if (at >= span.end - 1e-6)
                done[size_t(s)] = true;
        }
        if (!keep || o < 0) {
            av_packet_unref(pkt.get());
            if (std::all_of(map.begin(), map.end(),
                            [&, i = 0](int m) mutable { return m < 0 || done[size_t(i++)]; }))
                break;
            continue;
        }
        const AVRational base = in->streams[s]->time_base;
        const int64_t move = toBase(shift, base);
        const int64_t dts = pkt->dts == AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
        pkt->pts = (pkt->pts == AV_NOPTS_VALUE ? dts : pkt->pts) - move;
        pkt->dts = dts - move;
        pkt->stream_index = o;
        av_packet_rescale_ts(pkt.get(), base, out.context->streams[o]->time_base);
        pkt->pos = -1;
        if (int e = av_interleaved_write_frame(out.context, pkt.get()); e < 0)
            return QStringLiteral("%1: %2").arg(piece.path, avError(e));
        ++report.packets;
    }
    return std::nullopt;
}

} // namespace

bool RVXStreamCut::compatible(const QString& a, const QString& b) {
    Input first, second;
    if (openInput(a, first) || openInput(b, second))
        return false;
    const auto pa = copiedParameters(first.get()), pb = copiedParameters(second.get());
    if (pa.size() != pb.size())
        return false;
    for (size_t i = 0; i < pa.size(); ++i) {
        if (!sameParameters(pa[i], pb[i]))
            return false;
    }
    return true;
}

std::optional<QString> RVXStreamCut::span(const RVXCutPiece& piece, RVXCutSpan& out) {
    const RVXQuietLibav quiet;
    Selection chosen;
    if (auto e = select(piece, chosen))
        return e;
    out = chosen.span;
    return std::nullopt;
}

std::optional<QString> RVXStreamCut::cut(const std::vector<RVXCutPiece>& pieces, const QString& out,
                                         RVXCutReport* report, const std::atomic<bool>* cancel,
                                         std::optional<double> zero) {
    // The muxer's notes (the second pass for the index at the front) are no one's business;
    // what goes wrong comes back as the error.
    const RVXQuietLibav quiet;
    RVXCutReport local;
    RVXCutReport& r = report ? *report : local;
    r = {};
    if (pieces.empty())
        return QStringLiteral("nothing to cut");
    const auto fail = [&](const QString& why) {
        QFile::remove(out);
        return std::optional<QString>(why);
    };
    std::vector<Selection> chosen(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (auto e = select(pieces[i], chosen[i]))
            return e;
    }
    Input first;
    if (auto e = openInput(pieces.front().path, first))
        return e;
    std::optional<QString> error;
    {
        Output output;
        if ((error = openOutput(first.get(), out, output)))
            return fail(*error);
        const double start = pieces.front().origin + chosen.front().span.keyframe;
        double place = std::max(0.0, start - zero.value_or(start));
        for (size_t i = 0; i < pieces.size(); ++i) {
            if ((error = copyPiece(pieces[i], chosen[i], output, place, r, cancel)))
                return fail(*error);
            place += chosen[i].span.end - chosen[i].span.keyframe;
        }
        if (int e = av_write_trailer(output.context); e < 0)
            return fail(QStringLiteral("%1: %2").arg(out, avError(e)));
        r.seconds = place;
    }
    return std::nullopt;
}
