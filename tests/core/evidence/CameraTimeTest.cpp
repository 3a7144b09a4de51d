// SPDX-License-Identifier: GPL-3.0-or-later
// The camera's clock read from text: no zone of the computer's comes into it, and a time
// that names a zone is refused rather than turned into another moment.
#include "core/evidence/RVXCameraTime.h"

#include <QDateTime>

#include <gtest/gtest.h>

TEST(RVXCameraTime, ReadsTheCamerasTimeAndRefusesZones) {
    const double base =
        double(QDateTime(QDate(2026, 3, 29), QTime(2, 30), Qt::UTC).toSecsSinceEpoch());
    const struct {
        const char* text;
        std::optional<double> seconds;
        const char* why;
    } cases[] = {
        {"2026-03-29T02:30", base, nullptr},
        {"2026-03-29 02:30:05", base + 5, nullptr},
        {"2026-03-29T02:30:05.5", base + 5.5, nullptr},
        {"2026-03-29T02:30:05.250", base + 5.25, nullptr},
        {"2026-03-29T02:30:05Z", std::nullopt, "has a time zone"},
        {"2026-03-29T02:30:05z", std::nullopt, "has a time zone"},
        {"2026-03-29T02:30:05+02:00", std::nullopt, "has a time zone"},
        {"2026-03-29T02:30:05-0130", std::nullopt, "has a time zone"},
        {"2026-02-30T02:30:05", std::nullopt, "not a date and time"},
        {"2026-03-29T24:30:05", std::nullopt, "not a date and time"},
        {"2026-03-29T02:30:05 tomorrow", std::nullopt, "not a time of the form"},
        {"08:15:33", std::nullopt, "not a time of the form"},
    };
    for (const auto& c : cases) {
        QString why;
        const std::optional<double> got = RVXCameraTime::parse(QLatin1String(c.text), &why);
        EXPECT_EQ(got, c.seconds) << c.text;
        if (c.why) {
            EXPECT_TRUE(why.contains(QLatin1String(c.why))) << c.text << ": " << qPrintable(why);
        }
    }
    EXPECT_EQ(RVXCameraTime::text(base + 5.25), QStringLiteral("2026-03-29T02:30:05.250"));
    EXPECT_EQ(RVXCameraTime::tenths(base + 14.96), QStringLiteral("02:30:15.0"));
}
