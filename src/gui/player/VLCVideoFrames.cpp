// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCVideoFrames.h"

#include <vlc/vlc.h>

#include <cstring>

namespace {
// The picture's bytes are QImage::Format_RGB32's: B, G, R, X in memory on a
// little-endian machine, which is libVLC's RV32.
constexpr char kChroma[] = "RV32";
} // namespace

VLCVideoFrames::VLCVideoFrames(QObject* parent)
    : QObject(parent) {}

VLCVideoFrames::~VLCVideoFrames() = default;

void VLCVideoFrames::attach(libvlc_media_player_t* player) {
    libvlc_video_set_callbacks(player, &VLCVideoFrames::lock, nullptr, &VLCVideoFrames::display,
                               this);
    libvlc_video_set_format_callbacks(player, &VLCVideoFrames::setup, &VLCVideoFrames::cleanup);
}

// On libVLC's thread, each time a video output is made: the decoder's size kept, the
// pictures converted to RGB by libVLC, as the view scales them itself.
unsigned VLCVideoFrames::setup(void** opaque, char* chroma, unsigned* width, unsigned* height,
                               unsigned* pitches, unsigned* lines) {
    auto* self = static_cast<VLCVideoFrames*>(*opaque);
    if (*width == 0 || *height == 0 || *width > 16384 || *height > 16384)
        return 0;
    std::memcpy(chroma, kChroma, 4);
    auto pool = std::make_shared<Pool>();
    pool->width = int(*width);
    pool->height = int(*height);
    // Rows rounded up to 32 pixels and the height to 16, as libVLC's converters may write
    // a little past the visible picture.
    pool->pitch = ((pool->width + 31) / 32) * 32 * 4;
    const size_t rows = ((*height + 15) / 16) * 16;
    for (auto& plane : pool->planes)
        plane.assign(size_t(pool->pitch) * rows, 0);
    pitches[0] = unsigned(pool->pitch);
    lines[0] = unsigned(rows);
    const std::lock_guard lock(self->m_mutex);
    self->m_pool = std::move(pool);
    self->m_writing.fill(false);
    self->m_ready = -1;
    return kBuffers;
}

// The output is gone (stop, a new media); the last picture stays on screen until the
// next one, or until clear().
void VLCVideoFrames::cleanup(void* opaque) {
    auto* self = static_cast<VLCVideoFrames*>(opaque);
    const std::lock_guard lock(self->m_mutex);
    self->m_writing.fill(false);
}

void* VLCVideoFrames::lock(void* opaque, void** planes) {
    auto* self = static_cast<VLCVideoFrames*>(opaque);
    const std::lock_guard lock(self->m_mutex);
    Pool* pool = self->m_pool.get();
    const bool shownHere = self->m_shownPool.get() == pool;
    for (int i = 0; i < kBuffers; ++i) {
        if (self->m_writing[size_t(i)] || i == self->m_ready || (shownHere && i == self->m_shown))
            continue;
        self->m_writing[size_t(i)] = true;
        planes[0] = pool->planes[size_t(i)].data();
        return reinterpret_cast<void*>(intptr_t(i));
    }
    // More pictures in flight than buffers: libVLC's pool never asks for that, but the
    // ready one is the oldest to give up.
    const int i = self->m_ready >= 0 ? self->m_ready : 0;
    self->m_ready = -1;
    self->m_writing[size_t(i)] = true;
    planes[0] = pool->planes[size_t(i)].data();
    return reinterpret_cast<void*>(intptr_t(i));
}

void VLCVideoFrames::display(void* opaque, void* picture) {
    auto* self = static_cast<VLCVideoFrames*>(opaque);
    const int i = int(reinterpret_cast<intptr_t>(picture));
    {
        const std::lock_guard lock(self->m_mutex);
        if (i < 0 || i >= kBuffers)
            return;
        self->m_writing[size_t(i)] = false;
        self->m_ready = i;
    }
    ++self->m_displayed;
    if (!self->m_updatePending.exchange(true))
        QMetaObject::invokeMethod(
            self,
            [self] {
                self->m_updatePending = false;
                Q_EMIT self->frameReady();
            },
            Qt::QueuedConnection);
}

QImage VLCVideoFrames::latest() {
    const std::lock_guard lock(m_mutex);
    if (m_ready >= 0 && m_pool) {
        m_shownPool = m_pool;
        m_shown = m_ready;
        m_ready = -1;
    }
    if (!m_shownPool || m_shown < 0)
        return QImage();
    Pool& pool = *m_shownPool;
    // The image keeps its pool alive: a new format may replace the pool while a copy of
    // the image is still being painted or saved.
    auto* keep = new std::shared_ptr<Pool>(m_shownPool);
    return QImage(
        pool.planes[size_t(m_shown)].data(), pool.width, pool.height, pool.pitch,
        QImage::Format_RGB32, [](void* info) { delete static_cast<std::shared_ptr<Pool>*>(info); },
        keep);
}

void VLCVideoFrames::clear() {
    const std::lock_guard lock(m_mutex);
    m_shownPool.reset();
    m_shown = -1;
    m_ready = -1;
}
