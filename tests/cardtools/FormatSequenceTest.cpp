// SPDX-License-Identifier: GPL-3.0-or-later
// Formatting cards that are image files: the stand-in UDisks2 unmounts and mounts them
// (mirroring with mtools), mkfs.fat runs for real in place of the privileged step, and
// fsck.fat and the boot sector say what came out. Also ruvex-card format.
#include "cardtools/RVXFormatSequence.h"
#include "platform/RVXUDisks2.h"
#include "settings/RVXLocalizedString.h"
#include "settings/RVXSettingFile.h"
#include "support/CardImage.h"
#include "support/PrivilegedStandIn.h"
#include "support/Run.h"
#include "support/TempTree.h"
#include "support/UDisks2StandIn.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

UDisks2StandIn* standIn = nullptr;
constexpr qint64 kGiB = qint64(1) << 30;
const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QJsonObject usbDrive(const QString& id, const char* bus = "usb", bool removable = true) {
    return {{"id", id}, {"bus", bus}, {"removable", removable}, {"model", "Reader"}};
}

QJsonObject volume(const QString& name, const QString& mount, const QJsonObject& drive) {
    return {{"name", name}, {"mountPoints", QJsonArray{mount}}, {"drive", drive}};
}

QJsonObject with(QJsonObject o, const char* key, const QJsonValue& value) {
    o.insert(QLatin1String(key), value);
    return o;
}

QByteArray changedSettings() {
    _FILEDATA r{};
    makeDefaultSetting(r);
    r.vid_enc_bitrate = 2;
    r.time_gmt = 23;
    RVXSealSetting(r);
    return RVXSettingBytes(r);
}

class FormatTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(standIn->error(), QString());
        disks = std::make_unique<RVXUDisks2>(standIn->bus());
    }
    // A used card: an image labelled OLD, mounted at a folder holding its files.
    QJsonObject card(const char* name, qint64 size, bool whole, bool withConfig) {
        const QString image = tree.path(QStringLiteral("%1.img").arg(QLatin1String(name)));
        const QString mount = tree.folder(QStringLiteral("media/%1").arg(QLatin1String(name)));
        EXPECT_EQ(CardImage::create(image, size, QStringLiteral("OLD")), QString());
        if (withConfig) {
            const QString config =
                tree.file(QStringLiteral("media/%1/config.bin").arg(name), changedSettings());
            EXPECT_EQ(CardImage::put(image, config), QString());
        }
        return {{"name", name},        {"device", image},
                {"image", image},      {"mountPoints", QJsonArray{mount}},
                {"label", "OLD"},      {"size", size},
                {"partition", !whole}, {"drive", usbDrive(QLatin1String(name))}};
    }
    void setVolumes(const QJsonArray& volumes) {
        ASSERT_EQ(standIn->setVolumes(volumes).toStdString(), std::string());
    }
    TKUSBDiskEntity entity(const QString& device) {
        const auto found = RVXFormatSequence::cardForDevice(*disks, device);
        EXPECT_TRUE(std::holds_alternative<TKUSBDiskEntity>(found)) << device.toStdString();
        return std::get<TKUSBDiskEntity>(found);
    }
    std::optional<RVXFormatFailure> format(const TKUSBDiskEntity& disk) {
        RVXFormatSequence sequence(*disks, privileged);
        shown.clear();
        const auto failure =
            sequence.run(disk, [this](const QString& message) { shown << message; });
        saved = sequence.savedConfigPath();
        return failure;
    }
    // Unmounts through the service, so that the mount folder's files reach the image.
    void flush(const QString& name) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.UDisks2"),
            QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + name,
            QStringLiteral("org.freedesktop.UDisks2.Filesystem"), QStringLiteral("Unmount"));
        call << QVariantMap();
        const QDBusMessage reply = standIn->bus().call(call, QDBus::Block, 20000);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    QString mountOf(const QString& device) {
        for (const RVXMountedVolume& v : disks->mountedVolumes())
            if (v.deviceFilePath == device)
                return v.mountPath;
        return {};
    }
    RunResult cardCommand(const QStringList& args, const QString& pkexecScript = {}) {
        QStringList environment = {QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS=") + standIn->address()};
        if (!pkexecScript.isEmpty()) {
            const QString bin = tree.folder(QStringLiteral("bin"));
            const QString pkexec = tree.file(QStringLiteral("bin/pkexec"),
                                             "#!/bin/sh\n" + pkexecScript.toUtf8() + "\n");
            QFile::setPermissions(pkexec, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
            environment << QStringLiteral("PATH=%1:%2").arg(bin, qEnvironmentVariable("PATH"));
        }
        return runProgram(kCard, args, {}, environment);
    }

    TempTree tree;
    std::unique_ptr<RVXUDisks2> disks;
    PrivilegedStandIn privileged;
    QStringList shown;
    QString saved;
};

TEST_F(FormatTest, AnEightGigabyteCardIsFormattedForTheCameraKeepingItsSettings) {
    setVolumes({card("sdb", 8 * kGiB, true, true)});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    ASSERT_FALSE(format(entity(image)));
    EXPECT_EQ(shown, QStringList({"unmount disk...", "formatting...", "try mount...",
                                  "Format completed!"}));
    ASSERT_EQ(privileged.calls().size(), 1);
    const QStringList call = privileged.calls().first();
    EXPECT_TRUE(call.first().endsWith(QStringLiteral("/mkfs.fat"))) << call.first().toStdString();
    EXPECT_EQ(call.mid(1), QStringList({"-a", "-F", "32", "-n", "ZAMO", "-f", "2", "-b", "6", "-R",
                                        "32", "-s", "128", "-I", image}));

    QString report;
    EXPECT_TRUE(CardImage::checks(image, &report)) << report.toStdString();
    const CardImage::BootSector boot = CardImage::bootSector(image);
    EXPECT_EQ(boot.label, QByteArray("ZAMO       "));
    EXPECT_EQ(boot.fileSystem, QByteArray("FAT32   "));
    EXPECT_EQ(boot.fats, 2);
    EXPECT_EQ(boot.backupBootSector, 6);
    EXPECT_EQ(boot.reservedSectors, 32);
    EXPECT_EQ(boot.sectorsPerCluster, 128);

    // Back on the card as it was, and kept aside after.
    const QString mount = mountOf(image);
    ASSERT_FALSE(mount.isEmpty()) << "mounted again";
    flush(QStringLiteral("sdb"));
    EXPECT_EQ(CardImage::read(image, QStringLiteral("config.bin")), changedSettings());
    QFile kept(saved);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << saved.toStdString();
    EXPECT_EQ(kept.readAll(), changedSettings());
    QDir(QFileInfo(saved).path()).removeRecursively();
}

TEST_F(FormatTest, ASmallPartitionWithoutSettingsGetsTheDefaults) {
    setVolumes({card("sdc1", 6 * kGiB, false, false)});
    const QString image = tree.path(QStringLiteral("sdc1.img"));
    ASSERT_FALSE(format(entity(image)));
    EXPECT_EQ(saved, QString());
    ASSERT_EQ(privileged.calls().size(), 1);
    EXPECT_EQ(privileged.calls().first().mid(12, 2), QStringList({"-s", "32"}));
    EXPECT_FALSE(privileged.calls().first().contains(QStringLiteral("-I")));
    EXPECT_EQ(CardImage::bootSector(image).sectorsPerCluster, 32);
    EXPECT_TRUE(CardImage::checks(image));
    flush(QStringLiteral("sdc1"));
    // The defaults as such, unsealed, as the camera takes a fresh card's file.
    _FILEDATA defaults{};
    makeDefaultSetting(defaults);
    EXPECT_EQ(CardImage::read(image, QStringLiteral("config.bin")), RVXSettingBytes(defaults));
    // The size rule at its edge.
    EXPECT_EQ(clusterSizeByVolumeSizeInKB(7 * uint64_t(kGiB)), 128);
    EXPECT_EQ(clusterSizeByVolumeSizeInKB(7 * uint64_t(kGiB) - 1), 32);
}

TEST_F(FormatTest, RefusalsLeaveTheCardAsItWasAndMounted) {
    setVolumes({card("sdd", 6 * kGiB, true, true)});
    const QString image = tree.path(QStringLiteral("sdd.img"));
    const TKUSBDiskEntity disk = entity(image);
    for (int status : {RVXPrivilegedCommand::kDismissed, RVXPrivilegedCommand::kNotAuthorised}) {
        privileged.answer = RVXCommandResult{status, QStringLiteral("Request dismissed")};
        const auto failure = format(disk);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::FormatFailed);
        EXPECT_EQ(failure->errorNumber, status);
        EXPECT_TRUE(failure->message.contains(QStringLiteral("refused")))
            << failure->message.toStdString();
        EXPECT_TRUE(QFile::exists(mountOf(image) + QStringLiteral("/config.bin")))
            << "mounted again with its files";
    }
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("OLD        "));

    // mkfs.fat's own failure and its words; a read-only device reads as write-protected.
    privileged.answer = RVXCommandResult{1, QStringLiteral("mkfs.fat: unable to open x: "
                                                           "Read-only file system\n")};
    auto failure = format(disk);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::WriteProtected);
    privileged.answer.reset();
    setVolumes({with(volume("sde", tree.folder("media/sde"), usbDrive("sde")), "device",
                     tree.folder("not-a-device"))});
    failure = format(entity(tree.path(QStringLiteral("not-a-device"))));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::FormatFailed);
    EXPECT_EQ(failure->errorNumber, 1);
    EXPECT_TRUE(failure->message.startsWith(QStringLiteral("mkfs.fat")))
        << failure->message.toStdString();
}

TEST_F(FormatTest, OnlyCardsAreFormattedAndNothingRunsOtherwise) {
    const QString system = tree.folder(QStringLiteral("media/data"));
    setVolumes({
        volume("sda2", tree.folder("fixed"), usbDrive("ataDisk", "ata", false)),
        volume("sdf1", "/", usbDrive("live")),
        volume("sdf2", system, usbDrive("live")),
        with(volume("sdg1", tree.folder("ro"), usbDrive("ro")), "readOnly", true),
        volume("sdh1", tree.folder("h"), usbDrive("h")),
    });
    for (const char* device : {"/dev/sda2", "/dev/sdf1", "/dev/sdf", "/dev/sdz1"}) {
        const auto found = RVXFormatSequence::cardForDevice(*disks, QLatin1String(device));
        EXPECT_TRUE(std::holds_alternative<QString>(found)) << device;
    }
    EXPECT_TRUE(std::get<QString>(RVXFormatSequence::cardForDevice(*disks, "/dev/sdf"))
                    .contains(QStringLiteral("system filesystem")));
    EXPECT_TRUE(std::holds_alternative<TKUSBDiskEntity>(
        RVXFormatSequence::cardForDevice(*disks, "/dev/sdf2")))
        << "another partition of that stick is the user's";

    auto failure = format(entity(QStringLiteral("/dev/sdg1")));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::WriteProtected);
    // Chosen from a list that has gone stale: checked again before anything runs.
    const TKUSBDiskEntity h = entity(QStringLiteral("/dev/sdh1"));
    setVolumes({volume("sdh1", "/home", usbDrive("h"))});
    failure = format(h);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::NotACard);
    // A config.bin that cannot be kept stops the format before it starts.
    setVolumes({volume("sdh1", tree.folder("h"), usbDrive("h"))});
    tree.folder(QStringLiteral("h/config.bin"));
    failure = format(entity(QStringLiteral("/dev/sdh1")));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::SaveFailed);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_TRUE(privileged.calls().isEmpty());
    EXPECT_TRUE(
        standIn->methodCalls("/org/freedesktop/UDisks2/block_devices/sdh1", "Unmount").isEmpty());
}

TEST_F(FormatTest, TheCommandFormatsOnlyWithYesAndOnlyCards) {
    setVolumes({card("sdb", 6 * kGiB, true, true),
                volume("sda2", tree.folder("fixed"), usbDrive("ataDisk", "ata", false)),
                volume("sdr1", "/", usbDrive("live"))});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    const RunResult dry = cardCommand({"format", image});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.constData();
    EXPECT_TRUE(dry.out.contains("pkexec ")) << dry.out.constData();
    EXPECT_TRUE(dry.out.contains(" -s 32 -I ")) << dry.out.constData();
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("OLD        "));

    EXPECT_EQ(cardCommand({"format", "/dev/sda2", "--yes"}).exitCode, 2);
    const RunResult root = cardCommand({"format", "/dev/sdr1", "--yes"});
    EXPECT_EQ(root.exitCode, 2);
    EXPECT_TRUE(root.err.contains("system filesystem")) << root.err.constData();
    EXPECT_EQ(cardCommand({"format", "/dev/nothing", "--yes"}).exitCode, 2);
    EXPECT_EQ(cardCommand({"format"}).exitCode, 2);

    const RunResult refused = cardCommand({"format", image, "--yes"},
                                          QStringLiteral("echo 'Not authorized' >&2; exit 127"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("refused")) << refused.err.constData();

    const RunResult done = cardCommand({"format", image, "--yes"}, QStringLiteral("exec \"$@\""));
    ASSERT_EQ(done.exitCode, 0) << done.err.constData();
    EXPECT_TRUE(done.out.contains("config.bin kept")) << done.out.constData();
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("ZAMO       "));
    flush(QStringLiteral("sdb"));
    EXPECT_EQ(CardImage::read(image, QStringLiteral("config.bin")), changedSettings());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    RVXInstallStringTable();
    UDisks2StandIn service;
    standIn = &service;
    return RUN_ALL_TESTS();
}
