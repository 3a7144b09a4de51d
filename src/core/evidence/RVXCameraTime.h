// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The camera's clock as its recordings' names give it: a local time of no stated zone,
// counted in seconds as if it were UTC (as trips count it), so that no zone of the
// computer's, and none of its summer-time changes, comes between the card and the pack.
class RVXCameraTime {
public:
    // "2026-03-14T08:15:33.500".
    static QString text(double seconds);
    // "08:15:33.5", to the tenth.
    static QString tenths(double seconds);
    // "yyyy-MM-ddTHH:mm[:ss[.fff]]", a blank allowed for the T; none for anything else,
    // with why, and a time with a zone (Z or an offset) is refused: the camera has none.
    static std::optional<double> parse(const QString& text, QString* why = nullptr);
};
