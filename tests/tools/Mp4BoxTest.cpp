// SPDX-License-Identifier: GPL-3.0-or-later
#include "testmedia/Mp4Box.h"

#include <gtest/gtest.h>

namespace {

QByteArray box(const char* type, const QByteArray& body) {
    QByteArray out;
    appendU32(out, uint32_t(8 + body.size()));
    return out + type + body;
}

TEST(Mp4Box, ParsesContainersAndSerializesBackByteForByte) {
    const QByteArray stbl = box("stbl", box("stsd", "abcd") + box("stco", QByteArray(8, '\0')));
    const QByteArray file =
        box("ftyp", "avc1\0\0\0\0") +
        box("moov", box("mvhd", "x") + box("trak", box("mdia", box("minf", stbl))));
    QString error;
    const auto boxes = Mp4Box::parseList(file, &error);
    ASSERT_TRUE(boxes) << qPrintable(error);
    ASSERT_EQ(boxes->size(), 2u);
    Mp4Box moov = (*boxes)[1];
    EXPECT_TRUE(moov.container);
    const Mp4Box* stco = moov.descend({"trak", "mdia", "minf", "stbl"})->child("stco");
    ASSERT_TRUE(stco);
    EXPECT_EQ(stco->payload.size(), 8);
    EXPECT_EQ((*boxes)[0].serialize() + moov.serialize(), file);
}

TEST(Mp4Box, UnderstandsLargeAndToTheEndSizes) {
    QByteArray large;
    appendU32(large, 1);
    large += "mdat";
    appendU64(large, 16 + 3);
    large += "xyz";
    QByteArray toEnd;
    appendU32(toEnd, 0);
    toEnd += "free12345";
    QString error;
    const auto boxes = Mp4Box::parseList(large + toEnd, &error);
    ASSERT_TRUE(boxes) << qPrintable(error);
    ASSERT_EQ(boxes->size(), 2u);
    EXPECT_EQ((*boxes)[0].payload, "xyz");
    EXPECT_EQ((*boxes)[1].payload, "12345");
}

TEST(Mp4Box, RejectsDamagedInput) {
    QString error;
    QByteArray tooBig;
    appendU32(tooBig, 100);
    tooBig += "moovxxxx";
    EXPECT_FALSE(Mp4Box::parseList(tooBig, &error));
    EXPECT_FALSE(error.isEmpty());
    QByteArray tooSmall;
    appendU32(tooSmall, 4);
    tooSmall += "free";
    EXPECT_FALSE(Mp4Box::parseList(tooSmall, &error));
    EXPECT_FALSE(Mp4Box::parseList(QByteArray("\0\0\0", 3), &error));
    // A damaged child fails the whole container.
    EXPECT_FALSE(Mp4Box::parseList(box("moov", tooBig), &error));
}

} // namespace
