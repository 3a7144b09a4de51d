// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>

// A playback time in milliseconds, as the players report it; remaining times are
// negative.
class VLCTime {
public:
    static VLCTime timeWithInt(int64_t milliseconds) { return VLCTime(milliseconds); }
    static VLCTime nullTime() { return VLCTime(0); }

    explicit VLCTime(int64_t milliseconds = 0)
        : m_value(milliseconds) {}

    int64_t intValue() const { return m_value; }
    // "mm:ss" of the whole seconds (truncated toward zero), "h:mm:ss" from an hour on,
    // with a leading "-" for negative times; less than a second either way is "00:00".
    QString stringValue() const;

    bool operator==(const VLCTime&) const = default;

private:
    int64_t m_value;
};
