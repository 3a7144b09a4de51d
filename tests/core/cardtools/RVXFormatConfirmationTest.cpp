// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXFormatConfirmation.h"

#include "support/StringTableApp.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kGiB = uint64_t(1) << 30;

TKUSBDiskEntity disk(const QString& label, std::optional<QString> model) {
    return TKUSBDiskEntity(label, QUrl::fromLocalFile(QStringLiteral("/media/card")),
                           QStringLiteral("/dev/sdb1"), std::move(model), 29.7 * double(kGiB), true,
                           false, QStringLiteral("sdb1"));
}

TEST(FormatConfirmation, NamesTheCardAndWhatIsLost) {
    ASSERT_TRUE(startStringTableApp());
    EXPECT_EQ(RVXFormatQuestion(disk(QStringLiteral("ZAMO"), QStringLiteral("SanDisk"))),
              QStringLiteral("Erase ZAMO (SanDisk 30 GB, /dev/sdb1)?"));
    EXPECT_EQ(RVXFormatQuestion(disk(QStringLiteral("ZAMO"), std::nullopt)),
              QStringLiteral("Erase ZAMO (30 GB, /dev/sdb1)?"));
    EXPECT_EQ(RVXFormatQuestion(disk(QString(), QStringLiteral(" "))),
              QStringLiteral("Erase the card without a name (30 GB, /dev/sdb1)?"));
    EXPECT_EQ(RVXFormatConsequence(412), QStringLiteral("Its 412 recordings will be lost."));
    EXPECT_EQ(RVXFormatConsequence(1), QStringLiteral("Its one recording will be lost."));
    EXPECT_EQ(RVXFormatConsequence(0),
              QStringLiteral("It holds no recordings; all else on it will be lost."));
    // Where the catalogue stops counting, the number is a floor.
    EXPECT_EQ(RVXFormatConsequence(15000),
              QStringLiteral("Its 15000 recordings and more will be lost."));
}

TEST(FormatConfirmation, CountsRecordingsByTheirNamesAtAnyDepth) {
    TempTree card;
    card.files(QStringLiteral("Normal"),
               {"alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4",
                "alwa_20260314_081500_F_repaired.mp4", "alwa_20261314_081500_F.MP4", "notes.mp4"});
    card.files(QStringLiteral("Event/2026"), {"event_20260314_081533_R.mp4", "event.txt"});
    card.file(QStringLiteral("config.bin"), QByteArray(500, '\0'));
    EXPECT_EQ(RVXCountRecordings(card.root()), 4);
    EXPECT_EQ(RVXCountRecordings(card.path(QStringLiteral("none"))), 0);
    EXPECT_EQ(RVXCountRecordings(QString()), 0);
}

} // namespace
