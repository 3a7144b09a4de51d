// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

// Lets a repeated message through at most once an interval and counts what it held back,
// so a library that retries without end (an audio output with no sound device: 400 lines
// a second) cannot fill the log. Safe to call from any thread.
class RVXLogThrottle {
public:
    static constexpr qint64 kInterval = 60 * 1000;

    explicit RVXLogThrottle(qint64 intervalMs = kInterval)
        : m_interval(intervalMs) {}

    // The line to log now, with the count held back since the key was last logged; nothing
    // while the key was logged less than an interval ago.
    std::optional<QString> admit(const QString& key, const QString& line, qint64 nowMs);

private:
    // Beyond this many keys the oldest are forgotten: messages that differ every time
    // must not grow the table without end.
    static constexpr qsizetype kMostKeys = 512;
    struct Entry {
        qint64 loggedAt = 0;
        int held = 0;
    };
    qint64 m_interval;
    QMutex m_mutex;
    QHash<QString, Entry> m_entries;
};
