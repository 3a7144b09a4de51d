// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXValidator.h"

#include "core/support/RVXLocalizedString.h"

#include <charconv>
#include <cmath>

namespace {
constexpr double kMinimumThreshold = 0.05;
constexpr double kMaximumThreshold = 1.5;
} // namespace

std::optional<double> RVXValidator::leadingDecimal(const QString& text) {
    const QByteArray latin = text.toLatin1();
    const char* p = latin.constData();
    const char* end = p + latin.size();
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    // Only a decimal number counts: the camera keeps hundredths of a g, and "nan",
    // "inf" or a hexadecimal float would reach the record as nonsense.
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (p == end || !(isDigit(*p) || (*p == '.' && p + 1 < end && isDigit(p[1]))))
        return std::nullopt;
    double value = 0;
    // Independent of the user's locale: the pages take a decimal point.
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    if (result.ptr < end && (*result.ptr == 'x' || *result.ptr == 'X') && result.ptr - p == 1)
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<QString> RVXValidator::validateGsensorThreshold(const QString& text) {
    const auto outOfRange = [] {
        return RVXLocalizedString("msg.gsensor_outofrange_fmt")
            .arg(kMinimumThreshold)
            .arg(kMaximumThreshold);
    };
    // An empty field would be stored as 0 g, and a camera with a threshold of 0 g takes
    // every bump for an impact.
    if (text.trimmed().isEmpty())
        return outOfRange();
    const auto value = leadingDecimal(text);
    if (!value)
        return RVXLocalizedString("msg.input_value_invalid_format");
    if (*value < kMinimumThreshold || *value > kMaximumThreshold)
        return outOfRange();
    return std::nullopt;
}

std::optional<QString> RVXValidator::validateSDCardSizeRatio(int64_t ratio) {
    if (ratio >= 10)
        return std::nullopt;
    return RVXLocalizedString("msg.sdcard_ratio_too_low");
}

bool isEmptyString(const QString* text) {
    return !text || text->isEmpty();
}
bool isEmptyString(const QString& text) {
    return text.isEmpty();
}
bool isNotEmptyString(const QString& text) {
    return !text.isEmpty();
}
