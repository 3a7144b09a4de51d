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

// The video's keyframe at or before from, as (pts, dts) in its time base; the first
// keyframe when none is that early.
std::optional<std::pair<int64_t, int64_t>> keyframeAtOrBefore(AVFormatContext* c, int video,
                                                              double from) {
    Packet pkt(av_packet_alloc());
    std::optional<std::pair<int64_t, int64_t>> found, first;
    const AVRational base = c->streams[video]->time_base;
    while (av_read_frame(c, pkt.get()) >= 0) {
        const bool key = pkt->stream_index == video && (pkt->flags & AV_PKT_FLAG_KEY) &&
                         pkt->pts != AV_NOPTS_VALUE;
        if (key) {
            const std::pair<int64_t, int64_t> k{pkt->pts,
                                                pkt->dts == AV_NOPTS_VALUE ? pkt->pts : pkt->dts};
            if (!first)
                first = k;
            if (seconds(k.first, base) <= from + 1e-6)
                found = k;
            else {
                av_packet_unref(pkt.get());
                break;
            }
        }
        av_packet_unref(pkt.get());
    }
    return found ? found : first;
}

struct Output {
    AVFormatContext* context = nullptr;
    bool opened = false;
    // Per output stream: the end written so far, in seconds.
    std::vector<double> ends;
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
        out.ends.push_back(0);
    }
    if (int e = avio_open(&out.context->pb, QFile::encodeName(path).constData(), AVIO_FLAG_WRITE);
        e < 0)
        return QStringLiteral("%1: %2").arg(path, avError(e));
    out.opened = true;
    AVDictionary* options = nullptr;
    // The index at the front: a player can start before it has read the whole file.
    av_dict_set(&options, "movflags", "+faststart", 0);
    const int e = avformat_write_header(out.context, &options);
    av_dict_free(&options);
    if (e < 0)
        return QStringLiteral("%1: %2").arg(path, avError(e));
    return std::nullopt;
}

// One piece onto the output, starting at offset seconds of it.
std::optional<QString> copyPiece(const RVXCutPiece& piece, Output& out, double offset,
                                 RVXCutReport& report, const std::atomic<bool>* cancel) {
    Input scan, in;
    if (auto e = openInput(piece.path, scan))
        return e;
    const int video = firstVideo(scan.get());
    if (video < 0)
        return QStringLiteral("%1: no video stream").arg(piece.path);
    const auto key = keyframeAtOrBefore(scan.get(), video, piece.from);
    if (!key)
        return QStringLiteral("%1: no keyframe").arg(piece.path);
    if (auto e = openInput(piece.path, in))
        return e;
    // Input stream -> output stream; the streams are matched in order of kind.
    std::vector<int> map(in->nb_streams, -1);
    int next = 0;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        if (copied(in->streams[i]) && next < int(out.context->nb_streams))
            map[i] = next++;
    }
    const AVRational videoBase = in->streams[video]->time_base;
    const double startPts = seconds(key->first, videoBase);
    // Every stream moves by the keyframe's decoding time, so the first picture decodes at
    // the output's start.
    const double shift = seconds(key->second, videoBase) - offset;
    report.pieces.push_back({startPts, piece.to});
    Packet pkt(av_packet_alloc());
    std::vector<bool> done(in->nb_streams, false);
    while (av_read_frame(in.get(), pkt.get()) >= 0) {
        if (cancel && cancel->load())
            return QStringLiteral("cancelled");
        const int s = pkt->stream_index;
        const int o = map[size_t(s)];
        if (o < 0 || done[size_t(s)] || pkt->pts == AV_NOPTS_VALUE) {
            av_packet_unref(pkt.get());
            continue;
        }
        const AVRational base = in->streams[s]->time_base;
        const int64_t dts = pkt->dts == AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
        bool keep;
        if (s == video) {
            // In decoding order from the keyframe, and every picture decoded before the end
            // so that none at the end lacks what it refers to.
            keep = dts >= key->second;
            if (seconds(dts, base) >= piece.to)
                done[size_t(s)] = true, keep = false;
        } else {
            keep = seconds(pkt->pts, base) >= startPts - 1e-6;
            if (seconds(pkt->pts, base) >= piece.to)
                done[size_t(s)] = true, keep = false;
        }
        if (!keep) {
            av_packet_unref(pkt.get());
            if (std::all_of(map.begin(), map.end(),
                            [&, i = 0](int m) mutable { return m < 0 || done[size_t(i++)]; }))
                break;
            continue;
        }
        const int64_t move = toBase(shift, base);
        pkt->pts -= move;
        pkt->dts = dts - move;
        out.ends[size_t(o)] =
            std::max(out.ends[size_t(o)], seconds(pkt->pts + pkt->duration, base));
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

std::optional<QString> RVXStreamCut::cut(const std::vector<RVXCutPiece>& pieces, const QString& out,
                                         RVXCutReport* report, const std::atomic<bool>* cancel) {
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
    Input first;
    if (auto e = openInput(pieces.front().path, first))
        return e;
    std::optional<QString> error;
    {
        Output output;
        if ((error = openOutput(first.get(), out, output)))
            return fail(*error);
        double offset = 0;
        for (const RVXCutPiece& piece : pieces) {
            if ((error = copyPiece(piece, output, offset, r, cancel)))
                return fail(*error);
            offset = *std::max_element(output.ends.begin(), output.ends.end());
        }
        if (int e = av_write_trailer(output.context); e < 0)
            return fail(QStringLiteral("%1: %2").arg(out, avError(e)));
        r.seconds = offset;
    }
    return std::nullopt;
}
