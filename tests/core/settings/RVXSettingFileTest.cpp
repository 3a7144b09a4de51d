// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXSettingFile.h"
#include "core/cardtools/RVXKeptSettings.h"
#include "support/Run.h"

#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <sys/resource.h>

namespace {

uint32_t le32(const QByteArray& b, int at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(b[at + i]);
    return v;
}

_FILEDATA defaults() {
    _FILEDATA r{};
    makeDefaultSetting(r);
    return r;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SettingRecord, FieldTableCoversTheRecordWithoutGaps) {
    int next = 0;
    for (const RVXSettingField& f : RVXSettingFields()) {
        EXPECT_EQ(f.offset, next) << f.name;
        next = f.offset + f.width;
    }
    EXPECT_EQ(next, 500);
    EXPECT_EQ(RVXSettingFields().size(), 118u);
    EXPECT_EQ(RVXSettingFieldNamed("ADAS_SafeDistacne")->offset, 452);
    EXPECT_FALSE(RVXSettingFieldNamed("ADAS_SafeDistance"));
}

TEST(SettingRecord, DefaultRecordBytes) {
    const QByteArray b = RVXSettingBytes(defaults());
    ASSERT_EQ(b.size(), 500);
    EXPECT_EQ(uint8_t(b[0]), 0x26);
    EXPECT_EQ(uint8_t(b[1]), 0x57);
    EXPECT_EQ(le32(b, 0) >> 16, 0u) << "checksum stays 0";
    EXPECT_EQ(le32(b, 168), 0u) << "time_gmt untouched";
    EXPECT_EQ(le32(b, 172), 0u) << "summer_time untouched";
    EXPECT_EQ(b.mid(256, 8), QByteArray("Zamo\0\0\0\0", 8));
    EXPECT_EQ(b.mid(356, 6), QByteArray("ZamoA\0", 6));
    EXPECT_EQ(b.mid(372, 9), QByteArray("58205820\0", 9));
    EXPECT_EQ(le32(b, 20), 12100u);
    EXPECT_EQ(le32(b, 76), 128u);
    EXPECT_EQ(le32(b, 164), 1u);
    EXPECT_EQ(uint8_t(b[397]), 30);
    EXPECT_EQ(uint8_t(b[400]), 10);
    float height;
    const uint32_t bits = le32(b, 456);
    std::memcpy(&height, &bits, 4);
    EXPECT_EQ(height, 1.35f);
    EXPECT_EQ(le32(b, 496), 1u);
    EXPECT_EQ(b.mid(464, 32), QByteArray(32, '\0'));
}

TEST(SettingRecord, DefaultsKeepTheFiveFieldsTheyDoNotOwn) {
    _FILEDATA r{};
    r.checksum = 7;
    r.time_gmt = 22;
    r.summer_time = 1;
    r.Brightness1 = 3;
    r.dummy1 = 9;
    r.vid_hue = 77;
    makeDefaultSetting(r);
    EXPECT_EQ(r.checksum, 7);
    EXPECT_EQ(r.time_gmt, 22);
    EXPECT_EQ(r.summer_time, 1u);
    EXPECT_EQ(r.Brightness1, 3u);
    EXPECT_EQ(r.dummy1, 9);
    EXPECT_EQ(r.vid_hue, 2u);
}

TEST(SettingRecord, ChecksumSeesTheLowHalfOfEveryWordAfterTheFirst) {
    _FILEDATA zero{};
    RVXSealSetting(zero);
    EXPECT_EQ(zero.checksum, 0);
    for (int offset = 0; offset < 500; ++offset) {
        QByteArray bytes(500, '\0');
        bytes[offset] = char(0x5a);
        _FILEDATA r{};
        RVXSettingFromBytes(bytes, r);
        const bool counts = offset >= 4 && offset % 4 < 2;
        EXPECT_EQ(RVXSettingChecksum(r) != 0, counts) << offset;
    }
}

TEST(SettingRecord, SealingSetsThePlateFlag) {
    _FILEDATA r = defaults();
    RVXSealSetting(r);
    EXPECT_EQ(r.osd_plate_flag, 1);
    EXPECT_EQ(r.checksum, RVXSettingChecksum(r));
    RVXSetSettingText(r.szPlateNumber, 8, QString());
    RVXSealSetting(r);
    EXPECT_EQ(r.osd_plate_flag, 0);
}

TEST(SettingRecord, TextFieldsAreCutAndMayFillTheField) {
    _FILEDATA r{};
    RVXSetSettingText(r.szPlateNumber, 8, QStringLiteral("12AB34cd"));
    EXPECT_EQ(QByteArray(r.szPlateNumber, 8), "12AB34cd");
    EXPECT_EQ(RVXSettingText(r.szPlateNumber, 8), QStringLiteral("12AB34cd"));
    RVXSetSettingText(r.wifi_ssid, 16, QStringLiteral("a much longer network name"));
    EXPECT_EQ(RVXSettingText(r.wifi_ssid, 16), QStringLiteral("a much longer ne"));
    EXPECT_EQ(r.wifi_password[0], 0) << "the next field is untouched";
}

TEST(SettingFile, ReadWriteRoundTripAndShortOrMissingFiles) {
    TempTree tree;
    _FILEDATA r = defaults();
    r.gsen_x_threshold = -3;
    r.ADAS_HeadWayFactor = 2.25f;
    RVXSealSetting(r);
    const QString path = tree.path(QStringLiteral("config.bin"));
    ASSERT_EQ(writeSettingFile(r, path), std::nullopt);
    EXPECT_EQ(readAll(path), RVXSettingBytes(r));
    _FILEDATA back{};
    ASSERT_TRUE(readSettingFile(path, back));
    EXPECT_EQ(RVXSettingBytes(back), RVXSettingBytes(r));

    _FILEDATA untouched = defaults();
    EXPECT_FALSE(readSettingFile(tree.path(QStringLiteral("missing.bin")), untouched));
    EXPECT_EQ(RVXSettingBytes(untouched), RVXSettingBytes(defaults()));
    // A short file changes only the bytes it holds.
    const QString shortFile = tree.file(QStringLiteral("short.bin"), QByteArray(10, '\x01'));
    ASSERT_TRUE(readSettingFile(shortFile, untouched));
    EXPECT_EQ(untouched.cfg_ver, 0x0101);
    EXPECT_EQ(untouched.sd_mem_always_ratio, 0x00000101u);
    EXPECT_EQ(untouched.sd_mem_event_ratio, 10u);
}

TEST(SettingFile, DefaultFileCarriesNoChecksumOrFlag) {
    TempTree tree;
    const QString path = tree.path(QStringLiteral("config.bin"));
    ASSERT_EQ(writeDefaultSettingFile(path), std::nullopt);
    const QByteArray b = readAll(path);
    ASSERT_EQ(b.size(), 500);
    EXPECT_EQ(b, RVXSettingBytes(defaults()));
    EXPECT_EQ(le32(b, 156), 0u);
}

TEST(SettingFile, FailedSaveReportsAndKeepsTheOldFile) {
    TempTree tree;
    const QString path = tree.path(QStringLiteral("config.bin"));
    _FILEDATA old = defaults();
    RVXSealSetting(old);
    ASSERT_EQ(writeSettingFile(old, path), std::nullopt);
    _FILEDATA changed = old;
    changed.vid_hue = 9;

    // A card that fills up half way through the save.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = writeSettingFile(changed, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, QStringLiteral("msg.file_open_fail"));
    EXPECT_EQ(readAll(path), RVXSettingBytes(old));
    EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList({"config.bin"}))
        << "no temporary left";

    // A folder that cannot be written, nor even exists.
    EXPECT_EQ(writeSettingFile(changed, QStringLiteral("/proc/config.bin")),
              QStringLiteral("msg.file_open_fail"));
    EXPECT_EQ(writeSettingFile(changed, tree.path(QStringLiteral("no/such/config.bin"))),
              QStringLiteral("msg.file_open_fail"));
}

TEST(SettingFile, ReadOnlyFileIsRefusedAndKept) {
    TempTree tree;
    const QString path = tree.path(QStringLiteral("config.bin"));
    _FILEDATA old = defaults();
    RVXSealSetting(old);
    ASSERT_EQ(writeSettingFile(old, path), std::nullopt);
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    _FILEDATA changed = old;
    changed.vid_hue = 9;
    EXPECT_EQ(writeSettingFile(changed, path), QStringLiteral("msg.file_open_fail"));
    EXPECT_EQ(readAll(path), RVXSettingBytes(old));
    EXPECT_EQ(QFile::permissions(path) &
                  (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());
    EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList({"config.bin"}));
    // Writable again, the save goes through and keeps the file's modes.
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    EXPECT_EQ(writeSettingFile(changed, path), std::nullopt);
    EXPECT_EQ(readAll(path), RVXSettingBytes(changed));
    EXPECT_EQ(QFile::permissions(path) & (QFile::WriteOwner | QFile::WriteOther | QFile::ReadOther),
              QFile::WriteOwner | QFile::ReadOther);
}

// A card with no free cluster left: a small tmpfs filled up (the kernel here mounts no
// FAT, and a full filesystem refuses a new file the same way).
class FullCard : public testing::Test {
protected:
    void SetUp() override {
        mountPoint = tree.folder(QStringLiteral("card"));
        const RunResult mounted = runProgram(
            QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint});
        if (mounted.exitCode != 0)
            GTEST_SKIP() << "no tmpfs can be mounted here: " << mounted.err.constData();
        isMounted = true;
        qputenv("XDG_DATA_HOME", QFile::encodeName(tree.folder(QStringLiteral("data"))));
    }
    void TearDown() override {
        if (isMounted)
            runProgram(QStringLiteral("umount"), {mountPoint});
    }
    void fill() {
        QFile filler(mountPoint + QStringLiteral("/recording.bin"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    TempTree tree;
    QString mountPoint;
    bool isMounted = false;
};

TEST_F(FullCard, ASaveOverwritesInPlaceKeepingACopyAndANewFileSaysFull) {
    _FILEDATA old{};
    makeDefaultSetting(old);
    const QString path = mountPoint + QStringLiteral("/config.bin");
    ASSERT_EQ(writeSettingFile(old, path), std::nullopt);
    fill();
    _FILEDATA changed = old;
    changed.vid_enc_bitrate = 2;
    RVXSealSetting(changed);
    ASSERT_EQ(writeSettingFile(changed, path), std::nullopt) << "a full card still takes a save";
    _FILEDATA read{};
    ASSERT_TRUE(readSettingFile(path, read));
    EXPECT_EQ(RVXSettingBytes(read), RVXSettingBytes(changed));
    EXPECT_EQ(QFileInfo(path).size(), 500);
    const QStringList kept = QDir(RVXKeptSettings::folder()).entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    QFile copy(QDir(RVXKeptSettings::folder()).filePath(kept.first()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), RVXSettingBytes(old)) << "the old record kept before the overwrite";
    EXPECT_TRUE(QDir(mountPoint)
                    .entryList({QStringLiteral(".config.bin.*")}, QDir::Hidden | QDir::Files)
                    .isEmpty());

    // No file to write over: the card is full, and said so (not write-protected).
    EXPECT_EQ(writeSettingFile(changed, mountPoint + QStringLiteral("/other.bin")),
              QStringLiteral("msg.card_full"));
}

TEST(TimeZoneIndex, ChosenZones) {
    const QDateTime winter(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(findTimeZoneIndex(QTimeZone("Asia/Kolkata"), winter), 22);
    EXPECT_EQ(findTimeZoneIndex(QTimeZone("Asia/Kathmandu"), winter), 23);
    EXPECT_EQ(findTimeZoneIndex(QTimeZone("America/St_Johns"), winter), 10);
    EXPECT_EQ(findTimeZoneIndex(QTimeZone("Pacific/Kiritimati"), winter), -1);
    EXPECT_EQ(findTimeZoneIndex(QTimeZone("UTC"), winter), 14);
    // Summer time in force counts: Vienna is +2:00 in July.
    EXPECT_EQ(findTimeZoneIndex(QTimeZone("Europe/Vienna"),
                                QDateTime(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC)),
              16);
    EXPECT_EQ(findTimeZoneIndexForOffset(-(4 * 3600 + 30 * 60)), 8);
    EXPECT_EQ(findTimeZoneIndexForOffset(-(4 * 3600 + 29 * 60)), -1);
    EXPECT_GE(findTimeZoneIndex(), -1);
}

} // namespace
