// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCTime.h"

#include "core/support/RVXCFormat.h"

QString VLCTime::stringValue() const {
    const int64_t seconds = m_value / 1000;
    if (seconds == 0)
        return QStringLiteral("00:00");
    const int64_t whole = seconds < 0 ? -seconds : seconds;
    const QString sign = seconds < 0 ? QStringLiteral("-") : QString();
    const int64_t hours = whole / 3600;
    const int64_t minutes = (whole / 60) % 60;
    const int64_t rest = whole % 60;
    if (hours > 0)
        return sign + RVXCFormat("%lld:%02lld:%02lld", static_cast<long long>(hours),
                                 static_cast<long long>(minutes), static_cast<long long>(rest));
    return sign + RVXCFormat("%02lld:%02lld", static_cast<long long>(minutes),
                             static_cast<long long>(rest));
}
