// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliJson.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(CliJson, EscapesTextSoAnyParserReadsItBack) {
    const QString awkward = QStringLiteral("a\"b\\c\nd\te\x01f/ü€");
    const QByteArray text = CliJson().add("s", awkward).add("n", std::optional<QString>()).toJson();
    const QJsonObject o = QJsonDocument::fromJson(text).object();
    EXPECT_EQ(o.value(u"s").toString(), awkward);
    EXPECT_TRUE(o.value(u"n").isNull());
}

TEST(CliJson, NumbersAreShortestRoundTrip) {
    EXPECT_EQ(CliJson::number(0.1), "0.1");
    EXPECT_EQ(CliJson::number(1.0), "1");
    EXPECT_EQ(CliJson::number(-0.00390625), "-0.00390625");
    EXPECT_EQ(CliJson::number(double(0.1f)), "0.10000000149011612");
    EXPECT_EQ(CliJson::number(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(CliJson::number(std::nan("")), "null");
    EXPECT_EQ(CliJson().add("i", int64_t(-5)).add("b", true).toJson(), "{\"i\":-5,\"b\":true}");
}

} // namespace
