// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXCarNumber.h"

QString RVXFilterCarNumber(const QString& text) {
    constexpr int kMaxCharacters = 8;
    QString kept;
    for (const QChar c : text) {
        if (kept.size() == kMaxCharacters)
            break;
        const char16_t u = c.unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
            kept += c;
    }
    return kept;
}
