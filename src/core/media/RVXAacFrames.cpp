// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/media/RVXAacFrames.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>

RVXAacFrames::RVXAacFrames(const RVXRecordingReference::Track& t) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    m_context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!m_context)
        return;
    m_context->extradata = static_cast<uint8_t*>(
        av_mallocz(size_t(t.audioConfig.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    std::copy(t.audioConfig.begin(), t.audioConfig.end(), m_context->extradata);
    m_context->extradata_size = int(t.audioConfig.size());
    m_context->sample_rate = t.sampleRate;
    av_channel_layout_default(&m_context->ch_layout, std::max(1, t.channels));
    m_ok = avcodec_open2(m_context, codec, nullptr) >= 0;
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
}

RVXAacFrames::~RVXAacFrames() {
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_context);
}

std::vector<int> RVXAacFrames::remaining(const uchar* bytes, int size, size_t limit) {
    std::vector<int> out;
    if (!send(bytes, size))
        return out;
    while (out.size() < limit && avcodec_receive_frame(m_context, m_frame) >= 0) {
        out.push_back(m_frame->pkt_size);
        av_frame_unref(m_frame);
    }
    return out;
}

bool RVXAacFrames::isOneFrame(const uchar* bytes, int size) {
    if (!send(bytes, size) || avcodec_receive_frame(m_context, m_frame) < 0)
        return false;
    av_frame_unref(m_frame);
    return avcodec_receive_frame(m_context, m_frame) == AVERROR(EAGAIN);
}

bool RVXAacFrames::send(const uchar* bytes, int size) {
    avcodec_flush_buffers(m_context);
    av_packet_unref(m_packet);
    if (av_new_packet(m_packet, size) < 0)
        return false;
    std::copy(bytes, bytes + size, m_packet->data);
    return avcodec_send_packet(m_context, m_packet) >= 0;
}
