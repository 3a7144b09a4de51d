// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/media/RVXRecordingReference.h"

#include <QtGlobal>

#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

// Raw AAC frames told apart by libavcodec's decoder with a track's set-up: they carry no
// header of their own, so where one ends is known only by decoding it.
class RVXAacFrames {
public:
    explicit RVXAacFrames(const RVXRecordingReference::Track& track);
    ~RVXAacFrames();
    RVXAacFrames(const RVXAacFrames&) = delete;
    RVXAacFrames& operator=(const RVXAacFrames&) = delete;

    bool ok() const { return m_ok; }
    // Decodes bytes as one packet; the bytes left when each frame began, at most limit.
    std::vector<int> remaining(const uchar* bytes, int size, size_t limit);
    // Whether bytes are one whole frame and nothing more.
    bool isOneFrame(const uchar* bytes, int size);

private:
    bool send(const uchar* bytes, int size);

    AVCodecContext* m_context = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    bool m_ok = false;
};
