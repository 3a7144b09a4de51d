// SPDX-License-Identifier: GPL-3.0-or-later
// The picture gap where one recording of a drive ends and the next begins, as the X
// server shows it: a thread of its own reads a column of the main video area from the
// screen every few milliseconds, and the gap is the longest time without a new picture
// around the border. A trip hands over to its prepared pair; the files list moves on by
// its check timer.
#include "BorderGapBench.h"
#include "BenchSupport.h"

#include "core/playback/RVXPlayInfo.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/RVXTripController.h"
#include "gui/player/VLCMediaPlayer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QSlider>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Reads a column of the screen and notes when a new picture (not a blank one) came.
class ScreenWatch {
public:
    explicit ScreenWatch(QRect strip)
        : m_strip(strip) {
        m_thread = std::thread([this] { run(); });
    }
    ~ScreenWatch() {
        m_stop = true;
        m_thread.join();
    }
    void clear() {
        const std::lock_guard lock(m_mutex);
        m_changes.clear();
    }
    std::vector<double> changes() const {
        const std::lock_guard lock(m_mutex);
        return m_changes;
    }
    // The longest time between two pictures from `from` on.
    double longestGapSince(double from) const {
        const std::lock_guard lock(m_mutex);
        double gap = 0, last = -1;
        for (double t : m_changes) {
            if (t < from)
                continue;
            if (last >= 0)
                gap = std::max(gap, t - last);
            last = t;
        }
        return gap;
    }

private:
    void run() {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        QByteArray last;
        while (!m_stop) {
            auto* image = xcb_get_image_reply(
                c,
                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(m_strip.x()),
                              int16_t(m_strip.y()), uint16_t(m_strip.width()),
                              uint16_t(m_strip.height()), ~0u),
                nullptr);
            if (image) {
                const uint8_t* data = xcb_get_image_data(image);
                const int length = xcb_get_image_data_length(image);
                const bool blank =
                    std::all_of(data, data + length, [&](uint8_t b) { return b == data[0]; });
                QByteArray hash =
                    QCryptographicHash::hash(QByteArrayView(data, length), QCryptographicHash::Md5);
                if (!blank && hash != last) {
                    const std::lock_guard lock(m_mutex);
                    m_changes.push_back(nowMs());
                }
                last = hash;
                std::free(image);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        xcb_disconnect(c);
    }

    QRect m_strip;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<double> m_changes;
    std::thread m_thread;
};

// A column down the middle of the main picture: the demo recordings' test pattern changes
// there with every frame (a band across it stands still for some frames at times).
QRect stripOf(RVXAppDelegate& delegate) {
    QWidget* area = delegate.videoContainerView;
    const QPoint origin = area->mapToGlobal(QPoint(0, 0));
    return QRect(origin.x() + area->width() / 2 - 4, origin.y(), 8, area->height());
}

void report(benchmark::State& state, const std::vector<double>& gaps) {
    state.counters["borders"] = double(gaps.size());
    state.counters["median_gap_ms"] = median(gaps);
    state.counters["max_gap_ms"] = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
}

} // namespace

// The demo card's drive has three borders; each is crossed again from 2.6 s before it.
void measureTripBorders(benchmark::State& state, RVXAppDelegate& delegate, int borders) {
    RVXTripController* trips = delegate.tripController();
    if (!runUntil([&] { return trips->trips().size() >= 1; }, 20000))
        return state.SkipWithError("no trips");
    const double seconds = trips->trips()[0].seconds();
    const double before[] = {15 - 2.6, 27 - 2.6, 41 - 2.6};
    // The first start brings libVLC's decoders up; it is not a border.
    trips->playTrip(0, 0);
    runUntil([&] { return delegate.playInfo()->isPlaying(); }, 10000);
    runUntil([] { return false; }, 1500);
    ScreenWatch watch(stripOf(delegate));
    std::vector<double> gaps;
    for (auto _ : state) {
        for (int i = 0; i < borders; ++i) {
            const int handovers = trips->handovers();
            QSlider* slider = delegate.videoPositionSlider;
            slider->setValue(int(before[i % 3] / seconds * slider->maximum()));
            // The seek settles, then the watch runs over the border.
            runUntil([] { return false; }, 1200);
            const double from = nowMs();
            if (!runUntil([&] { return trips->handovers() > handovers; }, 5000))
                return state.SkipWithError("a border was not handed over");
            const double handedAt = nowMs();
            runUntil([] { return false; }, 600);
            // Half a second before the border on: a seek settling is not the border's.
            gaps.push_back(watch.longestGapSince(std::max(from, handedAt - 500)));
            if (qEnvironmentVariableIsSet("RUVEX_BENCH_TRACE")) {
                QString line;
                for (double t : watch.changes())
                    if (t > handedAt - 600 && t < handedAt + 600)
                        line += QString::number(int(t - handedAt)) + u' ';
                qInfo("border %d: %s", i, qPrintable(line));
            }
        }
    }
    report(state, gaps);
}

// The same move by the list's check timer: the row's end, then the next row started.
void measureCheckTimerBorders(benchmark::State& state, RVXAppDelegate& delegate, int borders) {
    ScreenWatch watch(stripOf(delegate));
    std::vector<double> gaps;
    for (auto _ : state) {
        for (int i = 0; i < borders; ++i) {
            const int64_t row = (i % 2) * 2; // the continuous pair, then the motion pair
            delegate.stopPlay();
            if (!delegate.playAtIndex(row) ||
                !runUntil([&] { return delegate.playInfo()->isPlaying(); }, 10000))
                return state.SkipWithError("the row did not start");
            QSlider* slider = delegate.videoPositionSlider;
            const double length = row == 0 ? 15 : 12;
            slider->setValue(int((length - 2.6) / length * slider->maximum()));
            runUntil([] { return false; }, 1200);
            const double from = nowMs();
            if (!runUntil(
                    [&] {
                        return delegate.mediaIndex() == row + 2 &&
                               delegate.playInfo()->isPlaying() && delegate.player1->clockTime();
                    },
                    10000))
                return state.SkipWithError("the next row did not start");
            runUntil([] { return false; }, 600);
            gaps.push_back(watch.longestGapSince(from));
        }
    }
    report(state, gaps);
}
