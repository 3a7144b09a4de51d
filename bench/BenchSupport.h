// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Timing and waiting for the benchmarks.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Seconds work took.
inline double secondsOf(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The steady clock in milliseconds, the same on every thread.
inline double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the event loop until done or milliseconds have passed; false on the timeout.
inline bool runUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    return true;
}

inline void runFor(int milliseconds) {
    runUntil([] { return false; }, milliseconds);
}

// For an even count the mean of the two middle values.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
