// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/support/RVXCFormat.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include <locale.h>

QString RVXCFormat(const char* pattern, ...) {
    // uselocale acts on the calling thread alone, so workers may format at the same time.
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    const locale_t previous = uselocale(c);
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    char small[128];
    const int length = std::vsnprintf(small, sizeof small, pattern, args);
    va_end(args);
    QString text;
    if (length < 0) {
        text.clear();
    } else if (size_t(length) < sizeof small) {
        text = QString::fromLatin1(small, length);
    } else {
        std::vector<char> large(size_t(length) + 1);
        std::vsnprintf(large.data(), large.size(), pattern, again);
        text = QString::fromLatin1(large.data(), length);
    }
    va_end(again);
    uselocale(previous);
    return text;
}
