// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// When a new picture reaches the screen: a thread of its own reads a strip of the screen
// from the X server every few milliseconds, as a user's eye would see the pictures, and
// notes the moment of every change (a blank strip is no picture).

#include <QByteArray>
#include <QCryptographicHash>
#include <QRect>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

class PictureWatch {
public:
    // The steady clock in milliseconds, on every thread the same.
    static double nowMs() {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // A column down the middle of area, as the screen has it.
    explicit PictureWatch(const QWidget* area) {
        const QPoint origin = area->mapToGlobal(QPoint(0, 0));
        m_strip = QRect(origin.x() + area->width() / 2 - 4, origin.y(), 8, area->height());
        m_thread = std::thread([this] { run(); });
    }
    ~PictureWatch() {
        m_stop = true;
        m_thread.join();
    }

    // The longest time the screen stood still between from and to (ms of nowMs()),
    // counting from `from` to the first new picture and from the last one to `to`.
    double longestStandBetween(double from, double to) const {
        const std::lock_guard lock(m_mutex);
        double longest = 0, last = from;
        for (double t : m_changes) {
            if (t <= from || t >= to)
                continue;
            longest = std::max(longest, t - last);
            last = t;
        }
        return std::max(longest, to - last);
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
                const QByteArray hash =
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
