// SPDX-License-Identifier: GPL-3.0-or-later
// The input is the media data of a recording cut short; the walk reads it by path with
// the layout of the demo camera, so it is handed over in an anonymous memory file.
#include "core/media/RVXRecordingRepair.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

RVXRecordingReference demoLayout() {
    using Kind = RVXRecordingReference::Kind;
    RVXRecordingReference r;
    RVXRecordingReference::Track video, audio, telemetry;
    video.kind = Kind::Video;
    video.timescale = 15360;
    video.sampleDelta = 512;
    for (uint8_t h : {0x06, 0x65, 0x41, 0x01})
        video.nalHeaders[h] = true;
    video.maxNal = 16384;
    audio.kind = Kind::Audio;
    audio.timescale = 48000;
    audio.sampleDelta = 1024;
    audio.audioConfig = QByteArray("\x11\x88\x56\xe5\x00", 5);
    audio.sampleRate = 48000;
    audio.channels = 1;
    telemetry.kind = Kind::Telemetry;
    telemetry.chunkSize = 155;
    telemetry.chunkPrefix = QByteArray("\x00\x99", 2);
    r.tracks = {video, audio, telemetry};
    static const unsigned char avcC[] = {
        0x01, 0x64, 0x00, 0x1e, 0xff, 0xe1, 0x00, 0x1a, 0x67, 0x64, 0x00, 0x1e, 0xac, 0xd9, 0x40,
        0xa0, 0x2f, 0xf9, 0x70, 0x11, 0x00, 0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0x03, 0x00, 0x3c,
        0x0f, 0x16, 0x2d, 0x96, 0x01, 0x00, 0x04, 0x68, 0xef, 0x8f, 0xcb, 0xfd, 0xf8, 0xf8, 0x00};
    r.videoConfig = QByteArray(reinterpret_cast<const char*>(avcC), sizeof avcC);
    r.videoWidth = 640;
    r.videoHeight = 360;
    // The demo recording's first chunks: telemetry 2, video 0, sound 1.
    const int order[][2] = {{2, 1}, {0, 2}, {1, 1}, {0, 1}, {1, 2}, {2, 1}, {0, 1},
                            {1, 2}, {0, 1}, {1, 1}, {0, 1}, {1, 2}, {2, 1}};
    for (const auto& c : order)
        r.pattern.push_back({c[0], uint32_t(c[1])});
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("mdat", 0);
    static const QString path = QString::fromStdString("/proc/self/fd/" + std::to_string(fd));
    static const RVXRecordingReference reference = demoLayout();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        return 0;
    const RVXRecordingRepair::Walk w = RVXRecordingRepair::walk(reference, path, 0, size);
    // What the walk keeps lies inside what it was given, chunk after chunk, and it says
    // why it stopped.
    if (w.dataEnd > size || w.stoppedBecause.isEmpty())
        __builtin_trap();
    for (const auto& t : w.tracks) {
        if (t.chunkOffsets.size() != t.chunkSamples.size())
            __builtin_trap();
        uint64_t samples = 0;
        for (size_t c = 0; c < t.chunkOffsets.size(); ++c) {
            if (t.chunkOffsets[c] >= w.dataEnd)
                __builtin_trap();
            samples += t.chunkSamples[c];
        }
        if (samples != t.sizes.size())
            __builtin_trap();
    }
    return 0;
}
