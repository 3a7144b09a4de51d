// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Checks of what the user typed on the settings pages: nothing when acceptable, else
// the text to show.
class RVXValidator {
public:
    // A G-sensor threshold in g, 0.05 to 1.5 inclusive; an empty text is out of range.
    static std::optional<QString> validateGsensorThreshold(const QString& text);
    // A card share in percent, at least 10.
    static std::optional<QString> validateSDCardSizeRatio(int64_t ratio);
    // The number a threshold text starts with, read as the C library would.
    static std::optional<double> leadingDecimal(const QString& text);
};

bool isEmptyString(const QString* text);
bool isEmptyString(const QString& text);
bool isNotEmptyString(const QString& text);
