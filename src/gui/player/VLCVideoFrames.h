// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QObject>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct libvlc_media_player_t;

// A player's pictures as libVLC decodes them, in memory, for a view that paints them
// itself. libVLC's own windows are X windows beside Qt's: they do not repaint a paused
// picture a dialog covered, show the rear at native size while a swap re-makes them,
// and cannot exist at all on a Wayland desktop.
//
// libVLC writes on its picture thread into buffers of a small pool; the UI thread takes
// the newest finished one and paints it. A buffer being written is never the one shown,
// so neither side waits for the other or copies a picture.
class VLCVideoFrames : public QObject {
    Q_OBJECT
public:
    explicit VLCVideoFrames(QObject* parent = nullptr);
    ~VLCVideoFrames() override;

    // Hands libVLC the callbacks; before the player's first media.
    void attach(libvlc_media_player_t* player);

    // On the UI thread: the newest picture, null before the first and after clear(). The
    // image reads the pool's memory, which it keeps; libVLC does not write into it again
    // until a newer picture is taken.
    QImage latest();
    // A media that is not the one shown: its pictures start afresh, and until the first
    // comes the view has none (not the last recording's).
    void clear();
    // How many pictures libVLC has finished since the player was made.
    uint64_t framesDisplayed() const { return m_displayed; }

Q_SIGNALS:
    // A new picture is ready; queued to this object's thread, at most one waiting.
    void frameReady();

private:
    static constexpr int kBuffers = 4;
    struct Pool {
        int width = 0;
        int height = 0;
        int pitch = 0;
        std::array<std::vector<uchar>, kBuffers> planes;
    };

    static unsigned setup(void** opaque, char* chroma, unsigned* width, unsigned* height,
                          unsigned* pitches, unsigned* lines);
    static void cleanup(void* opaque);
    static void* lock(void* opaque, void** planes);
    static void display(void* opaque, void* picture);

    std::mutex m_mutex;
    std::shared_ptr<Pool> m_pool;
    std::array<bool, kBuffers> m_writing{};
    int m_ready = -1;
    // What the UI thread paints: kept alive with its pool after a new format replaced it.
    std::shared_ptr<Pool> m_shownPool;
    int m_shown = -1;
    std::atomic<bool> m_updatePending{false};
    std::atomic<uint64_t> m_displayed{0};
};
