// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/TKUSBDiskEntity.h"
#include "core/cardtools/RVXRemovableDisks.h"
#include "core/cardtools/RVXTimeSetFile.h"

#include "support/TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kKiB = 1024, kMiB = kKiB * 1024, kGiB = kMiB * 1024, kTiB = kGiB * 1024;

TEST(SizeString, EveryExample) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 B"},
        {1, "1 B"},
        {1023, "1023 B"},
        {1024, "1.0 kB"},
        {1536, "1.5 kB"},
        {10239, "10 kB"},
        {10240, "10 kB"},
        {10752, "10 kB"},
        {11264, "11 kB"},
        {kMiB, "1.0 MB"},
        {1048575, "1.0 MB"},
        {7 * kGiB, "7.0 GB"},
        {uint64_t(7.4 * double(kGiB)), "7.4 GB"},
        {uint64_t(14.8 * double(kGiB)), "15 GB"},
        {uint64_t(29.7 * double(kGiB)), "30 GB"},
        {uint64_t(59.48 * double(kGiB)), "59 GB"},
        {uint64_t(1.8 * double(kTiB)), "1.8 TB"},
        {uint64_t(1023.5 * double(kMiB)), "1.0 GB"},
        {1023 * kGiB, "1023 GB"},
        {4095, "4.0 kB"},
        {10 * kKiB - 1 - 1024 + 1024, "10 kB"},
        {UINT64_MAX, "16 EB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(sizeString(bytes), QLatin1String(text)) << bytes;
}

TKUSBDiskEntity disk(const QString& name, bool writable,
                     const QString& mount = QStringLiteral("/nowhere"),
                     std::optional<QString> model = std::nullopt) {
    return TKUSBDiskEntity(name, QUrl::fromLocalFile(mount), QStringLiteral("/dev/sdz1"), model,
                           uint64_t(7.4 * double(kGiB)), writable, false, QStringLiteral("/org/x"));
}

TEST(TKUSBDiskEntity, DisplayString) {
    EXPECT_EQ(disk("ZAMO", true, "/m", QStringLiteral("Reader")).displayString(),
              QStringLiteral("[7.4 GB] ZAMO <Reader>"));
    EXPECT_EQ(disk("ZAMO", true).displayString(), QStringLiteral("[7.4 GB] ZAMO "));
}

TEST(FindCameraDisk, FivePassesInOrder) {
    TempTree tree;
    const QString withConfig = tree.folder(QStringLiteral("card"));
    tree.file(QStringLiteral("card/config.bin"));
    EXPECT_EQ(findCameraDisk({}), std::nullopt);
    // A write-protected ZAMO beats a writable stranger listed first.
    auto found = findCameraDisk({disk("NO NAME", true), disk("ZAMO", false)});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->volumeName(), QStringLiteral("ZAMO"));
    // config.bin decides between two writable ZAMOs.
    found =
        findCameraDisk({disk("ZAMO", true, tree.path("empty")), disk("ZAMO", true, withConfig)});
    EXPECT_EQ(found->mountedURL().toLocalFile(), withConfig);
    // Writable ZAMO before write-protected ZAMO.
    found = findCameraDisk({disk("ZAMO", false, "/a"), disk("ZAMO", true, "/b")});
    EXPECT_EQ(found->mountedURL().toLocalFile(), QStringLiteral("/b"));
    // Names compare exactly; then writable, then the first.
    found = findCameraDisk({disk("zamo", false, "/a"), disk("CARD", true, "/b")});
    EXPECT_EQ(found->mountedURL().toLocalFile(), QStringLiteral("/b"));
    found = findCameraDisk({disk("A", false, "/a"), disk("B", false, "/b")});
    EXPECT_EQ(found->mountedURL().toLocalFile(), QStringLiteral("/a"));
}

// The main window's open folder stands in for the card only when no card holds the
// camera's settings and the folder does, with exactly 500 bytes.
TEST(StandInCard, OpenFolderWithTheSettingsWhenNoCardHasThem) {
    TempTree tree;
    const QString open = tree.folder(QStringLiteral("copied-card"));
    const QString stick = tree.folder(QStringLiteral("stick"));
    EXPECT_EQ(standInCardFolder({}, open), std::nullopt) << "no config.bin";
    tree.file(QStringLiteral("copied-card/config.bin"), QByteArray(499, '\0'));
    EXPECT_FALSE(holdsSettingFile(open));
    EXPECT_EQ(standInCardFolder({}, open), std::nullopt);
    tree.file(QStringLiteral("copied-card/config.bin"), QByteArray(500, '\0'));
    EXPECT_EQ(standInCardFolder({disk("NO NAME", true, stick)}, open), open);
    EXPECT_EQ(standInCardFolder({}, QString()), std::nullopt);
    tree.file(QStringLiteral("stick/config.bin"), QByteArray(500, '\0'));
    EXPECT_EQ(standInCardFolder({disk("NO NAME", true, stick)}, open), std::nullopt)
        << "a real card comes first";
    tree.folder(QStringLiteral("odd/config.bin"));
    EXPECT_FALSE(holdsSettingFile(tree.path(QStringLiteral("odd"))));
}

TEST(DiskIdentity, TheLabelIsNoPartOfWhichCardItIs) {
    const RVXDiskIdentity card{QStringLiteral("1A2B-3C4D"), 8 * kGiB, QStringLiteral("NO NAME"),
                               QStringLiteral("000000123"), QStringLiteral("Reader")};
    // The settings editor names the camera's card ZAMO: the same card.
    RVXDiskIdentity renamed = card;
    renamed.label = QStringLiteral("ZAMO");
    EXPECT_EQ(renamed, card);
    RVXDiskIdentity other = card;
    other.uuid = QStringLiteral("5E6F-7A8B");
    EXPECT_NE(other, card);
    other = card;
    other.size = 16 * kGiB;
    EXPECT_NE(other, card);
    other = card;
    other.serial = QStringLiteral("000000124");
    EXPECT_NE(other, card);
    other = card;
    other.model = QStringLiteral("Other Reader");
    EXPECT_NE(other, card);
}

TEST(ClusterSize, SevenGibibytesAndUp) {
    EXPECT_EQ(clusterSizeByVolumeSizeInKB(7 * kGiB), 128);
    EXPECT_EQ(clusterSizeByVolumeSizeInKB(7 * kGiB - 1), 32);
    EXPECT_EQ(clusterSizeByVolumeSizeInKB(0), 32);
}

TEST(TimeSetFile, NineteenAsciiBytesWrittenOverFromTheStart) {
    TempTree tree;
    const QString path = tree.path(QStringLiteral("timeset.cfg"));
    ASSERT_EQ(doWriteConfigFile(path, QDate(2026, 12, 6), QTime(13, 45, 0)), std::nullopt);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "2026/12/06 13:45:00");
    EXPECT_EQ(RVXTimeSetText(QDate(2026, 1, 2), QTime(9, 5, 7)), "2026/01/02 09:05:07");
    EXPECT_EQ(RVXTimeSetText(QDate(2026, 1, 2), QTime(0, 0, 0)), "2026/01/02 00:00:00");
    // A longer file keeps its tail.
    const QString longer = tree.file(QStringLiteral("old.cfg"), "1999/01/01 00:00:00\n");
    ASSERT_EQ(doWriteConfigFile(longer, QDate(2026, 12, 6), QTime(13, 45, 0)), std::nullopt);
    QFile g(longer);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), "2026/12/06 13:45:00\n");
    EXPECT_TRUE(doWriteConfigFile(tree.path(QStringLiteral("no/such/timeset.cfg")),
                                  QDate(2026, 1, 1), QTime(0, 0)));
    EXPECT_TRUE(doWriteConfigFile(path, QDate(), QTime(0, 0)));
}

TEST(TimeSetFile, AClockFileIsKnownByItsFirstNineteenBytes) {
    EXPECT_TRUE(RVXIsClockText("2026/12/06 13:45:00"));
    EXPECT_TRUE(RVXIsClockText("2026/12/06 13:45:00\n"));
    EXPECT_FALSE(RVXIsClockText("2026/12/06 13:45:0"));
    EXPECT_FALSE(RVXIsClockText("2026-12-06 13:45:00"));
    EXPECT_FALSE(RVXIsClockText("2026/12/06T13:45:00"));
    EXPECT_FALSE(RVXIsClockText(QByteArray("&W\0\0\1\0\0\0F\0\0\0\n\0\0\0\x14\0\0\0", 20)));
    TempTree tree;
    EXPECT_FALSE(RVXNotAClockFile(tree.path(QStringLiteral("new.cfg"))));
    EXPECT_FALSE(RVXNotAClockFile(tree.file(QStringLiteral("empty.cfg"))));
    EXPECT_FALSE(RVXNotAClockFile(tree.file(QStringLiteral("t.cfg"), "1999/01/01 00:00:00")));
    EXPECT_TRUE(RVXNotAClockFile(tree.file(QStringLiteral("config.bin"), QByteArray(500, '\0'))));
    EXPECT_TRUE(RVXNotAClockFile(tree.folder(QStringLiteral("folder"))));
}

} // namespace
