// SPDX-License-Identifier: GPL-3.0-or-later
// Formatting cards that are image files: the stand-in UDisks2 unmounts and mounts them
// (mirroring with mtools), mkfs.fat runs for real in place of the privileged step, and
// fsck.fat and the boot sector say what came out. Also ruvex-card format.
#include "core/cardtools/RVXFormatLock.h"
#include "core/cardtools/RVXFormatSequence.h"
#include "core/cardtools/RVXKeptSettings.h"
#include "core/cardtools/RVXRemovableDisks.h"
#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXLocalizedString.h"
#include "platform/RVXUDisks2.h"
#include "support/CardImage.h"
#include "support/FormatHelperSystem.h"
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

#include <sys/file.h>

#include <cstdio>

namespace {

UDisks2StandIn* standIn = nullptr;
FormatHelperSystem* helperSystem = nullptr;
constexpr qint64 kGiB = qint64(1) << 30;
const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QJsonObject usbDrive(const QString& id, const char* bus = "usb", bool removable = true) {
    return {{"id", id}, {"bus", bus}, {"removable", removable}, {"model", "Reader"}};
}

// A USB hard disk: it can be unplugged, but its medium does not come out.
QJsonObject usbHardDisk(const QString& id) {
    return {{"id", id},
            {"bus", "usb"},
            {"removable", true},
            {"mediaRemovable", false},
            {"model", "Portable SSD"}};
}

QJsonObject volume(const QString& name, const QString& mount, const QJsonObject& drive) {
    return {{"name", name}, {"mountPoints", QJsonArray{mount}}, {"drive", drive}};
}

QJsonObject with(QJsonObject o, const char* key, const QJsonValue& value) {
    o.insert(QLatin1String(key), value);
    return o;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        helperSystem->addDevice(image, true, !whole);
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
    const QString uuid = entity(image).identity().uuid;
    ASSERT_FALSE(format(entity(image)));
    EXPECT_EQ(shown, QStringList({"unmount disk...", "formatting...", "try mount...",
                                  "Format completed!"}));
    ASSERT_EQ(privileged.calls().size(), 1);
    const QStringList call = privileged.calls().first();
    EXPECT_EQ(call.first(), FormatHelperSystem::helper());
    EXPECT_EQ(call.mid(1), QStringList({"--uuid", uuid, "--size", QString::number(8 * kGiB),
                                        "--cluster", "128", image}));

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
    EXPECT_TRUE(saved.startsWith(RVXKeptSettings::folder() + u'/')) << saved.toStdString();
    EXPECT_TRUE(saved.endsWith(QStringLiteral("-OLD.bin"))) << saved.toStdString();
}

TEST_F(FormatTest, ASmallPartitionWithoutSettingsGetsTheDefaults) {
    setVolumes({card("sdc1", 6 * kGiB, false, false)});
    const QString image = tree.path(QStringLiteral("sdc1.img"));
    ASSERT_FALSE(format(entity(image)));
    EXPECT_EQ(saved, QString());
    ASSERT_EQ(privileged.calls().size(), 1);
    EXPECT_EQ(privileged.calls().first().mid(5, 2), QStringList({"--cluster", "32"}));
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
    setVolumes({with(with(with(volume("sde", tree.folder("media/sde"), usbDrive("sde")), "device",
                               tree.folder("not-a-device")),
                          "size", kGiB),
                     "uuid", "1234-5678")});
    failure = format(entity(tree.path(QStringLiteral("not-a-device"))));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::NotACard);
    EXPECT_EQ(failure->errorNumber, RVXFormatSequence::kHelperRefused);
    EXPECT_TRUE(failure->message.startsWith(QStringLiteral("ruvex-format-card: ")))
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
        volume("sdi1", tree.folder("ssd"), usbHardDisk("ssd")),
        with(volume(
                 "mmcblk0p1", tree.folder("slot"),
                 {{"id", "slot"}, {"bus", "sdio"}, {"removable", true}, {"mediaRemovable", false}}),
             "device", "/dev/mmcblk0p1"),
    });
    QStringList listed;
    for (const TKUSBDiskEntity& disk : usbDiskEntities(*disks))
        listed << disk.deviceFilePath();
    EXPECT_EQ(listed, QStringList({"/dev/mmcblk0p1", "/dev/sdf2", "/dev/sdg1", "/dev/sdh1"}))
        << "a USB hard disk is no card; a laptop's slot is";
    for (const char* device : {"/dev/sda2", "/dev/sdf1", "/dev/sdf", "/dev/sdz1", "/dev/sdi1"}) {
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

TEST_F(FormatTest, ACardSwappedUnderTheSameNameIsRefusedBeforeAnythingRuns) {
    setVolumes({card("sdb", 6 * kGiB, true, true)});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    const TKUSBDiskEntity chosen = entity(image);
    // Another card in the reader: same device name, size and drive, another filesystem.
    setVolumes({card("sdb", 6 * kGiB, true, true)});
    ASSERT_NE(entity(image).identity().uuid, chosen.identity().uuid);
    const auto failure = format(chosen);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::NotACard);
    EXPECT_TRUE(failure->message.contains(QStringLiteral("another card")))
        << failure->message.toStdString();
    EXPECT_TRUE(privileged.calls().isEmpty());
    EXPECT_TRUE(
        standIn->methodCalls("/org/freedesktop/UDisks2/block_devices/sdb", "Unmount").isEmpty());
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("OLD        "));

    // Two formats of one device never run at once.
    QString why;
    const auto held = RVXFormatLock::acquire(image, &why);
    ASSERT_TRUE(held) << why.toStdString();
    const auto busy = format(entity(image));
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->kind, RVXFormatFailure::Kind::Busy);
    EXPECT_TRUE(privileged.calls().isEmpty());
}

TEST_F(FormatTest, TheEditorsRenameLeavesItTheSameCard) {
    setVolumes({card("sdb", 6 * kGiB, true, true)});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    const TKUSBDiskEntity chosen = entity(image);
    // The settings editor, on a worker, names the camera's card ZAMO after the user chose it.
    ASSERT_FALSE(disks->setVolumeName(chosen.key(), QStringLiteral("ZAMO"), false));
    ASSERT_EQ(entity(image).volumeName(), QStringLiteral("ZAMO"));
    const auto failure = format(chosen);
    EXPECT_FALSE(failure) << failure->message.toStdString();
    EXPECT_EQ(privileged.calls().size(), 1);
    EXPECT_TRUE(CardImage::checks(image));
}

TEST_F(FormatTest, TheHelperChecksTheDeviceItselfAsRoot) {
    setVolumes({card("sdb", 6 * kGiB, true, false)});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    const TKUSBDiskEntity disk = entity(image);
    const QStringList args = RVXFormatSequence::formatArguments(disk);
    const auto helper = [&](const QStringList& arguments) {
        return runProgram(FormatHelperSystem::helper(), arguments, 60000);
    };
    const auto expectRefused = [&](const QStringList& arguments, int status, const char* says) {
        const RunResult r = helper(arguments);
        EXPECT_EQ(r.exitCode, status) << r.err.constData();
        EXPECT_TRUE(r.err.contains(says)) << r.err.constData();
        EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("OLD        ")) << says;
    };
    QStringList wrongUuid = args;
    wrongUuid[1] = QStringLiteral("1234-ABCD");
    expectRefused(wrongUuid, RVXFormatSequence::kHelperRefused, "not 1234-ABCD");
    QStringList wrongSize = args;
    wrongSize[3] = QString::number(7 * kGiB);
    expectRefused(wrongSize, RVXFormatSequence::kHelperRefused, "bytes, not the");
    expectRefused({"--uuid", args[1], image}, RVXFormatSequence::kHelperUsage, "usage");
    expectRefused(args + QStringList{"--force"}, RVXFormatSequence::kHelperUsage, "usage");
    QStringList otherCluster = args;
    otherCluster[5] = QStringLiteral("64");
    expectRefused(otherCluster, RVXFormatSequence::kHelperUsage, "usage");
    // As the kernel writes it, a blank in a path escaped.
    helperSystem->setMounts(QString(image).replace(u' ', QStringLiteral("\\040")) +
                            QStringLiteral(" /media/card vfat rw 0 0\n"));
    expectRefused(args, RVXFormatSequence::kHelperRefused, "is mounted at /media/card");
    helperSystem->setMounts({});
    {
        // A device another format holds.
        QFile device(image);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        ASSERT_EQ(flock(device.handle(), LOCK_EX | LOCK_NB), 0);
        expectRefused(args, RVXFormatSequence::kHelperBusy, "being formatted already");
    }
    const QString fixed = tree.path(QStringLiteral("fixed.img"));
    ASSERT_EQ(CardImage::create(fixed, 6 * kGiB, QStringLiteral("OLD")), QString());
    helperSystem->addDevice(fixed, false);
    const RunResult r = helper({"--uuid", args[1], "--size", args[3], "--cluster", "32", fixed});
    EXPECT_EQ(r.exitCode, RVXFormatSequence::kHelperRefused);
    EXPECT_TRUE(r.err.contains("not a removable medium")) << r.err.constData();
    const RunResult null =
        helper({"--uuid", args[1], "--size", args[3], "--cluster", "32", "/dev/null"});
    EXPECT_TRUE(null.err.contains("not a block device")) << null.err.constData();

    // And what it was given checked, it formats.
    const RunResult done = helper(args);
    ASSERT_EQ(done.exitCode, 0) << done.err.constData();
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("ZAMO       "));
    EXPECT_TRUE(CardImage::checks(image));
}

// The volumes as a mount the system made read-only after finding errors reports them.
class ReadOnlyMounts : public RVXDiskService {
public:
    explicit ReadOnlyMounts(RVXDiskService& real)
        : m_real(real) {}
    QList<RVXMountedVolume> mountedVolumes() override {
        QList<RVXMountedVolume> volumes = m_real.mountedVolumes();
        for (RVXMountedVolume& v : volumes)
            v.writable = false;
        return volumes;
    }
    std::optional<QString> setVolumeName(const QString& k, const QString& n, bool i) override {
        return m_real.setVolumeName(k, n, i);
    }
    std::optional<QString> unmountVolume(const QString& k) override {
        return m_real.unmountVolume(k);
    }
    std::optional<QString> mountVolume(const QString& k) override { return m_real.mountVolume(k); }

private:
    RVXDiskService& m_real;
};

TEST_F(FormatTest, ACardMountedReadOnlyAfterErrorsFormatsAndAFailedRestoreKeepsItsSettings) {
    setVolumes({card("sdb", 6 * kGiB, true, true)});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    ReadOnlyMounts readOnly(*disks);
    {
        RVXFormatSequence sequence(readOnly, privileged);
        EXPECT_FALSE(sequence.run(entity(image), [](const QString&) {}));
        EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("ZAMO       "));
    }

    // Formatted, but the card does not come back: the settings are kept and named.
    setVolumes({with(card("sdb", 6 * kGiB, true, true), "mountError", "no medium")});
    const auto failure = format(entity(image));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, RVXFormatFailure::Kind::RestoreFailed);
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_TRUE(failure->message.contains(saved)) << failure->message.toStdString();
    QFile kept(saved);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), changedSettings());

    // Once it is back, the kept copy goes on it.
    setVolumes({card("sdb", 6 * kGiB, true, false)});
    const auto back = RVXFormatSequence::formattedCard(*disks, entity(image));
    ASSERT_TRUE(back);
    EXPECT_FALSE(RVXFormatSequence::restoreKeptCopy(saved, *back));
    flush(QStringLiteral("sdb"));
    EXPECT_EQ(CardImage::read(image, QStringLiteral("config.bin")), changedSettings());
}

TEST_F(FormatTest, AFailedFormatNamesTheKeptSettings) {
    setVolumes({card("sdb", 6 * kGiB, true, true)});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    // mkfs.fat failing half-way, the card pulled while it writes, a refused password:
    // whatever ends the format once config.bin is kept names the copy.
    for (const RVXCommandResult& answer :
         {RVXCommandResult{1, QStringLiteral("mkfs.fat: failed whilst writing FAT\n")},
          RVXCommandResult{1, QStringLiteral("mkfs.fat: unable to open /proc/self/fd/3: No "
                                             "such device or address\n")},
          RVXCommandResult{RVXPrivilegedCommand::kDismissed, QString()}}) {
        privileged.answer = answer;
        const auto failure = format(entity(image));
        ASSERT_TRUE(failure);
        ASSERT_FALSE(saved.isEmpty());
        EXPECT_TRUE(failure->message.contains(saved)) << failure->message.toStdString();
        EXPECT_EQ(readAll(saved), changedSettings());
    }
}

// The settings put back after a format are on the card once the restore says so: the
// file and its folder synced, as a save of the editor does. Seen from outside, by strace.
TEST_F(FormatTest, ARestoredConfigIsSyncedWithItsFolder) {
    if (!programExists(QStringLiteral("strace")))
        GTEST_SKIP() << "strace is not installed";
    const QString card = tree.folder(QStringLiteral("card"));
    tree.file(QStringLiteral("card/config.bin"), "an older record");
    const QString kept = tree.file(QStringLiteral("kept.bin"), changedSettings());
    const QString log = tree.path(QStringLiteral("strace.log"));
    const RunResult r = runProgram(QStringLiteral("strace"),
                                   {"-f", "-y", "-e", "trace=fsync,fdatasync", "-o", log,
                                    QCoreApplication::applicationFilePath()},
                                   {},
                                   {QStringLiteral("RUVEX_TEST_RESTORE_KEPT=") + kept,
                                    QStringLiteral("RUVEX_TEST_RESTORE_INTO=") + card});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(readAll(card + QStringLiteral("/config.bin")), changedSettings());
    const QByteArray calls = readAll(log);
    EXPECT_TRUE(calls.contains("<" + QFile::encodeName(card) + ">)"))
        << "the folder: " << calls.constData();
    EXPECT_TRUE(calls.contains("<" + QFile::encodeName(card) + "/"))
        << "the file: " << calls.constData();
}

TEST_F(FormatTest, TheCommandFormatsOnlyWithYesAndOnlyCards) {
    setVolumes({card("sdb", 6 * kGiB, true, true),
                volume("sda2", tree.folder("fixed"), usbDrive("ataDisk", "ata", false)),
                volume("sdr1", "/", usbDrive("live"))});
    const QString image = tree.path(QStringLiteral("sdb.img"));
    const RunResult dry = cardCommand({"format", image});
    ASSERT_EQ(dry.exitCode, 0) << dry.err.constData();
    EXPECT_TRUE(dry.out.contains("pkexec " + FormatHelperSystem::helper().toUtf8() + " --uuid "))
        << dry.out.constData();
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

    // Failed past the copy of config.bin: the command names it and how to put it back.
    const RunResult failed =
        cardCommand({"format", image, "--yes"},
                    QStringLiteral("echo 'mkfs.fat: failed whilst writing FAT' >&2; exit 1"));
    EXPECT_EQ(failed.exitCode, 1);
    const QByteArray restore = "ruvex-card format " + QFile::encodeName(image) + " --restore ";
    const qsizetype offer = failed.err.indexOf(restore);
    ASSERT_GE(offer, 0) << failed.err.constData();
    const QString kept = QString::fromLocal8Bit(
        failed.err.mid(offer + restore.size()).split('\n').first().trimmed());
    EXPECT_TRUE(failed.err.contains("kept in " + QFile::encodeName(kept)))
        << failed.err.constData();
    EXPECT_EQ(readAll(kept), changedSettings());
    const QString config = mountOf(image) + QStringLiteral("/config.bin");
    ASSERT_TRUE(QFile::remove(config));
    const RunResult restored = cardCommand({"format", image, "--restore", kept});
    ASSERT_EQ(restored.exitCode, 0) << restored.err.constData();
    EXPECT_EQ(readAll(config), changedSettings());
    EXPECT_EQ(cardCommand({"format", image, "--restore", tree.path("none.bin")}).exitCode, 1);
    EXPECT_EQ(cardCommand({"format", image, "--restore"}).exitCode, 2);

    const RunResult done = cardCommand({"format", image, "--yes"}, QStringLiteral("exec \"$@\""));
    ASSERT_EQ(done.exitCode, 0) << done.err.constData();
    EXPECT_TRUE(
        done.out.contains("config.bin kept (a copy stays in " + RVXKeptSettings::folder().toUtf8()))
        << done.out.constData();
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("ZAMO       "));
    flush(QStringLiteral("sdb"));
    EXPECT_EQ(CardImage::read(image, QStringLiteral("config.bin")), changedSettings());
}

} // namespace

int main(int argc, char** argv) {
    // The restore alone, for a test that watches it from outside.
    const QString restoreInto = qEnvironmentVariable("RUVEX_TEST_RESTORE_INTO");
    if (!restoreInto.isEmpty()) {
        const TKUSBDiskEntity disk(QStringLiteral("ZAMO"), QUrl::fromLocalFile(restoreInto),
                                   QStringLiteral("/dev/sdz1"), std::nullopt, 8 * kGiB, true, true,
                                   QStringLiteral("sdz1"));
        const auto error = RVXFormatSequence::restoreKeptCopy(
            qEnvironmentVariable("RUVEX_TEST_RESTORE_KEPT"), disk);
        if (error)
            std::fprintf(stderr, "%s\n", qPrintable(*error));
        return error ? 1 : 0;
    }
    // Settings copies a format keeps go to a folder of the test's own, for the command too.
    TempTree data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.root()));
    // And the format locks to a runtime folder of its own.
    TempTree runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.root()));
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QCoreApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    RVXInstallStringTable();
    UDisks2StandIn service;
    standIn = &service;
    FormatHelperSystem system;
    helperSystem = &system;
    return RUN_ALL_TESTS();
}
