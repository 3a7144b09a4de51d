// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/support/RVXLogThrottle.h"

std::optional<QString> RVXLogThrottle::admit(const QString& key, const QString& line,
                                             qint64 nowMs) {
    QMutexLocker lock(&m_mutex);
    auto found = m_entries.find(key);
    if (found != m_entries.end() && nowMs - found->loggedAt < m_interval) {
        ++found->held;
        return std::nullopt;
    }
    const int held = found != m_entries.end() ? found->held : 0;
    if (found == m_entries.end() && m_entries.size() >= kMostKeys) {
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (nowMs - it->loggedAt >= m_interval)
                it = m_entries.erase(it);
            else
                ++it;
        }
        if (m_entries.size() >= kMostKeys)
            m_entries.clear();
    }
    m_entries.insert(key, Entry{nowMs, 0});
    if (held == 0)
        return line;
    return QStringLiteral("%1 (and %2 more times since it was last logged)").arg(line).arg(held);
}
