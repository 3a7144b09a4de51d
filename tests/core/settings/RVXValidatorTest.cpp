// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXValidator.h"
#include "core/settings/RVXCarNumber.h"
#include "core/settings/RVXChoiceList.h"
#include "core/support/RVXLocalizedString.h"
#include "support/StringTableApp.h"

#include <gtest/gtest.h>

#include <array>

namespace {

class Validation : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(startStringTableApp()); }
};

TEST_F(Validation, GsensorThresholds) {
    for (const char* ok : {"0.05", "1.5", "0.5g", "  1", "+0.1"})
        EXPECT_EQ(RVXValidator::validateGsensorThreshold(QLatin1String(ok)), std::nullopt) << ok;
    const QString outOfRange = RVXLocalizedString("msg.gsensor_outofrange_fmt").arg(0.05).arg(1.5);
    EXPECT_TRUE(outOfRange.contains(QLatin1String("0.05")) &&
                outOfRange.contains(QLatin1String("1.5")));
    // An empty field would be stored as 0 g: every bump an impact.
    for (const char* bad : {"0.04", "1.51", "-1", ""})
        EXPECT_EQ(RVXValidator::validateGsensorThreshold(QLatin1String(bad)), outOfRange) << bad;
    // Only finite decimal numbers are thresholds.
    for (const char* bad : {"abc", "nan", "NaN", "inf", "-inf", "infinity", "0x1p-2", "0X.8p0",
                            "1e999", ".", "-", " .e1"})
        EXPECT_EQ(RVXValidator::validateGsensorThreshold(QLatin1String(bad)),
                  RVXLocalizedString("msg.input_value_invalid_format"))
            << bad;
    for (const char* ok : {".5", "0.5e0", "05e-1", "1.5x"})
        EXPECT_EQ(RVXValidator::validateGsensorThreshold(QLatin1String(ok)), std::nullopt) << ok;
    EXPECT_NE(RVXLocalizedString("msg.input_value_invalid_format"),
              QStringLiteral("msg.input_value_invalid_format"))
        << "the English table is installed";
}

TEST_F(Validation, CardRatio) {
    EXPECT_EQ(RVXValidator::validateSDCardSizeRatio(9),
              RVXLocalizedString("msg.sdcard_ratio_too_low"));
    EXPECT_EQ(RVXValidator::validateSDCardSizeRatio(10), std::nullopt);
    EXPECT_EQ(RVXValidator::validateSDCardSizeRatio(-5),
              RVXLocalizedString("msg.sdcard_ratio_too_low"));
}

TEST(CarNumber, KeepsAsciiLettersAndDigitsUpToEight) {
    EXPECT_EQ(RVXFilterCarNumber(QStringLiteral("12 AB-34cd")), QStringLiteral("12AB34cd"));
    EXPECT_EQ(RVXFilterCarNumber(QStringLiteral("ABCDEFGHIJ")), QStringLiteral("ABCDEFGH"));
    EXPECT_EQ(RVXFilterCarNumber(QStringLiteral("    ")), QString());
    EXPECT_EQ(RVXFilterCarNumber(QStringLiteral("Wü1é2３")), QStringLiteral("W12"))
        << "no letters beyond ASCII";
}

TEST(ChoiceList, StoredValueToEntry) {
    constexpr std::array<uint32_t, 4> timers = {0, 3, 6, 9};
    EXPECT_EQ(RVXEntryForStoredValue<uint32_t>(timers, 6, 0), 2);
    EXPECT_EQ(RVXEntryForStoredValue<uint32_t>(timers, 7, 3), 3);
    constexpr std::array<uint32_t, 3> repeated = {5, 5, 1};
    EXPECT_EQ(RVXEntryForStoredValue<uint32_t>(repeated, 5, 2), 0) << "the first equal entry";
    EXPECT_TRUE(isEmptyString(static_cast<const QString*>(nullptr)));
    EXPECT_TRUE(isEmptyString(QString()));
    EXPECT_TRUE(isNotEmptyString(QStringLiteral(" ")));
}

} // namespace
