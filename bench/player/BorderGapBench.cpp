// SPDX-License-Identifier: GPL-3.0-or-later
// The picture gap where one recording of a drive ends and the next begins, as the X
// server shows it: a thread of its own reads a column of the main video area from the
// screen every few milliseconds, and the gap is the longest time without a new picture
// around the border, and over the approach to it while the next pair is made ready. A trip
// hands over to its prepared pair, at the first border after the program started as at
// the borders crossed again; the files list moves on by its check timer.
#include "BorderGapBench.h"
#include "BenchSupport.h"

#include "core/playback/RVXPlayInfo.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/trips/RVXTripController.h"

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
#include <functional>
#include <memory>
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

// The demo drive's borders, in trip seconds.
constexpr double kBorders[] = {15, 27, 41};
// The watch starts this long before a border: before the next pair is made ready
// (RVXTripTimeline::kPrepareSeconds), which has its own cost on the pictures on screen.
constexpr double kApproachSeconds = 2.8;

struct BorderGaps {
    // From half a second before the handover on: the border itself.
    std::vector<double> border;
    // From kApproachSeconds before the border on: the next pair's preparation as well.
    std::vector<double> approach;
};

// Watches the pictures until the trip hands over and 0.6 s after; false when it did not.
bool watchBorder(RVXTripController* trips, const ScreenWatch& watch, int handovers,
                 BorderGaps& gaps, const char* what, int index) {
    const double from = nowMs();
    if (!runUntil([&] { return trips->handovers() > handovers; }, 8000))
        return false;
    const double handedAt = nowMs();
    runFor(600);
    // Half a second before the border on: a seek settling is not the border's.
    gaps.border.push_back(watch.longestGapSince(std::max(from, handedAt - 500)));
    gaps.approach.push_back(watch.longestGapSince(from));
    if (qEnvironmentVariableIsSet("RUVEX_BENCH_TRACE")) {
        QString line;
        for (double t : watch.changes())
            if (t > from && t < handedAt + 600)
                line += QString::number(int(t - handedAt)) + u' ';
        qInfo("%s border %d: %s", what, index, qPrintable(line));
    }
    return true;
}

void reportBorders(benchmark::State& state, const BorderGaps& gaps) {
    report(state, gaps.border);
    state.counters["median_approach_gap_ms"] = median(gaps.approach);
    state.counters["max_approach_gap_ms"] =
        gaps.approach.empty() ? 0 : *std::max_element(gaps.approach.begin(), gaps.approach.end());
}

} // namespace

// The demo card's drive has three borders; each is crossed again, from a seek to 4 s
// before it (the seek settles first), with its players made ready before.
void measureTripBorders(benchmark::State& state, RVXAppDelegate& delegate, int borders) {
    RVXTripController* trips = delegate.tripController();
    if (!runUntil([&] { return trips->trips().size() >= 1; }, 20000))
        return state.SkipWithError("no trips");
    const double seconds = trips->trips()[0].seconds();
    // The first start brings libVLC's decoders up, and the first border after it is
    // measureFirstTripBorder's.
    trips->playTrip(0, 0);
    runUntil([&] { return delegate.playInfo()->isPlaying(); }, 10000);
    runFor(1500);
    ScreenWatch watch(stripOf(delegate));
    BorderGaps gaps;
    for (auto _ : state) {
        for (int i = 0; i < borders; ++i) {
            const int handovers = trips->handovers();
            QSlider* slider = delegate.videoPositionSlider;
            const double border = kBorders[i % 3];
            slider->setValue(int((border - 4.0) / seconds * slider->maximum()));
            // The seek settles, then the watch runs over the border.
            runFor(300);
            const auto settled = [&] {
                const double at = trips->tripSecond();
                return at >= border - kApproachSeconds && at < border - 1;
            };
            if (!runUntil(settled, 5000) || !watchBorder(trips, watch, handovers, gaps, "warm", i))
                return state.SkipWithError("a border was not handed over");
        }
    }
    reportBorders(state, gaps);
}

// The first border after the program started: a window of its own each time, the trip
// played from its start as a double-click on its row plays it.
void measureFirstTripBorder(benchmark::State& state,
                            const std::function<std::unique_ptr<RVXAppDelegate>()>& openWindow,
                            int starts) {
    BorderGaps gaps;
    for (auto _ : state) {
        for (int i = 0; i < starts; ++i) {
            std::unique_ptr<RVXAppDelegate> delegate = openWindow();
            RVXTripController* trips = delegate->tripController();
            if (!runUntil([&] { return trips->trips().size() >= 1; }, 20000))
                return state.SkipWithError("no trips");
            runFor(1000);
            ScreenWatch watch(stripOf(*delegate));
            trips->playTrip(0, 0);
            const int handovers = trips->handovers();
            if (!runUntil([&] { return trips->tripSecond() >= kBorders[0] - kApproachSeconds; },
                          30000) ||
                !watchBorder(trips, watch, handovers, gaps, "first", i))
                return state.SkipWithError("the first border was not handed over");
        }
    }
    reportBorders(state, gaps);
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
