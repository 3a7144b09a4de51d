// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

// The entry a page shows for a stored value: the first entry of the value table equal
// to it, else the page's fallback entry for that control.
template <typename T>
int RVXEntryForStoredValue(std::span<const T> values, T stored, int fallback) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i] == stored)
            return int(i);
    }
    return fallback;
}
