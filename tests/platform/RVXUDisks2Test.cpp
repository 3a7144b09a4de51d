// SPDX-License-Identifier: GPL-3.0-or-later
// The disk service against a stand-in UDisks2 on a private bus, with real folders as
// mount points; the card functions and ruvex-card on top of it.
#include "platform/RVXUDisks2.h"
#include "core/cardtools/RVXRemovableDisks.h"
#include "support/Run.h"
#include "support/TempTree.h"
#include "support/UDisks2StandIn.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

UDisks2StandIn* standIn = nullptr;
constexpr qint64 kGiB = qint64(1) << 30;

QJsonObject drive(const char* id, const char* bus, bool removable, const char* model = "") {
    return {{"id", id}, {"bus", bus}, {"removable", removable}, {"model", model}};
}

QJsonObject volume(const char* name, const QString& mount, const QJsonObject& drive,
                   const char* label = "NO NAME", qint64 size = 8 * kGiB) {
    return {{"name", name},
            {"mountPoints", QJsonArray{mount}},
            {"drive", drive},
            {"label", label},
            {"size", size}};
}

QJsonObject with(QJsonObject o, const char* key, const QJsonValue& value) {
    o.insert(QLatin1String(key), value);
    return o;
}

QStringList paths(const QList<QUrl>& urls) {
    QStringList out;
    for (const QUrl& u : urls)
        out << u.toLocalFile();
    return out;
}

class UDisks2Test : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(standIn->error(), QString());
        service = std::make_unique<RVXUDisks2>(standIn->bus());
    }
    void setVolumes(const QJsonArray& volumes) {
        ASSERT_EQ(standIn->setVolumes(volumes), QString());
    }
    RunResult card(const QStringList& args) {
        return runProgram(QStringLiteral(RUVEX_CARD_PATH), args, {},
                          {QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS=") + standIn->address()});
    }
    TempTree tree;
    std::unique_ptr<RVXUDisks2> service;
};

TEST_F(UDisks2Test, OnlyUSBAndSDCardsAreListedInDeviceOrder) {
    const QString usb = tree.folder("usb"), sd = tree.folder("sd"), fixed = tree.folder("fixed"),
                  loop = tree.folder("loop"), dvd = tree.folder("dvd");
    QJsonObject sdCard = volume("mmcblk0", sd, drive("SD", "sdio", false), "ZAMO", 16 * kGiB);
    sdCard = with(with(sdCard, "partition", false), "drive",
                  with(drive("SD", "sdio", false), "mediaRemovable", true));
    setVolumes({
        volume("sdb1", usb, drive("Reader", "usb", true, "Reader")),
        sdCard,
        volume("sda2", fixed, drive("Disk", "ata", false, "Fixed")),
        with(with(volume("loop0", loop, QJsonObject()), "loop", true), "drive", QJsonValue()),
        with(volume("sr0", dvd, drive("DVD", "usb", true)), "drive",
             with(drive("DVD", "usb", true), "optical", true)),
        volume("sdc1", QStringLiteral("/"), drive("Stick", "usb", true)),
        with(volume("sdd1", QString(), drive("Stick2", "usb", true)), "mountPoints", QJsonArray()),
    });
    EXPECT_EQ(paths(usbVolumeURLs(*service)), QStringList({sd, usb}));
    EXPECT_EQ(paths(removableVolumeURLs(*service)), QStringList({sd, usb}));

    const QList<TKUSBDiskEntity> disks = usbDiskEntities(*service);
    ASSERT_EQ(disks.size(), 2);
    const TKUSBDiskEntity& reader = disks[1];
    EXPECT_EQ(reader.volumeName(), QStringLiteral("NO NAME"));
    EXPECT_EQ(reader.mountedURL(), QUrl::fromLocalFile(usb));
    EXPECT_EQ(reader.deviceFilePath(), QStringLiteral("/dev/sdb1"));
    EXPECT_EQ(reader.deviceModel(), QStringLiteral("Reader"));
    EXPECT_EQ(reader.volumeSize(), uint64_t(8 * kGiB));
    EXPECT_TRUE(reader.writable());
    EXPECT_FALSE(reader.mediaWhole());
    EXPECT_EQ(reader.key(), QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1"));
    EXPECT_EQ(reader.displayString(), QStringLiteral("[8.0 GB] NO NAME <Reader>"));
    const TKUSBDiskEntity& builtIn = disks[0];
    EXPECT_EQ(builtIn.deviceFilePath(), QStringLiteral("/dev/mmcblk0"));
    EXPECT_EQ(builtIn.deviceModel(), std::nullopt) << "an empty model is absent";
    EXPECT_TRUE(builtIn.mediaWhole());
    EXPECT_EQ(builtIn.displayString(), QStringLiteral("[16 GB] ZAMO "));
}

TEST_F(UDisks2Test, TheWriteProtectedZamoIsTheCameraCard) {
    setVolumes({volume("sdb1", tree.folder("a"), drive("A", "usb", true)),
                with(volume("sdc1", tree.folder("b"), drive("B", "usb", true), "ZAMO"), "readOnly",
                     true)});
    const std::optional<TKUSBDiskEntity> camera = findCameraDisk(usbDiskEntities(*service));
    ASSERT_TRUE(camera);
    EXPECT_EQ(camera->volumeName(), QStringLiteral("ZAMO"));
    EXPECT_FALSE(camera->writable());

    const RunResult r = card({"disks", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(first.keys(),
              QStringList({"camera", "deviceFilePath", "deviceModel", "displayString", "key",
                           "mediaWhole", "mountedURL", "volumeName", "volumeSize", "writable"}));
    EXPECT_EQ(first.value("volumeName").toString(), QStringLiteral("NO NAME"));
    EXPECT_TRUE(first.value("deviceModel").isNull());
    EXPECT_FALSE(first.value("camera").toBool());
    EXPECT_TRUE(first.value("writable").toBool());
    EXPECT_EQ(first.value("mountedURL").toString(), tree.path("a"));
    EXPECT_EQ(first.value("volumeSize").toDouble(), double(8 * kGiB));
    EXPECT_TRUE(second.value("camera").toBool());
    EXPECT_FALSE(second.value("writable").toBool());
    EXPECT_TRUE(lines[0].startsWith("{\"volumeName\":")) << "keys in the documented order";

    const RunResult table = card({"disks"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_TRUE(table.out.contains("/dev/sdc1")) << table.out.constData();
    EXPECT_TRUE(table.out.contains("write-protected"));
}

TEST_F(UDisks2Test, TheClockFileGoesToTheFirstVolumeHoldingOneByDeviceNumber) {
    for (const char* name : {"sdb10", "sdb2", "sdb3"})
        tree.folder(QLatin1String(name));
    tree.file("sdb10/timeset.cfg", "2000/01/01 00:00:00");
    tree.file("sdb3/timeset.cfg", "2000/01/01 00:00:00");
    setVolumes({volume("sdb10", tree.path("sdb10"), drive("R", "usb", true)),
                volume("sdb3", tree.path("sdb3"), drive("R", "usb", true)),
                volume("sdb2", tree.path("sdb2"), drive("R", "usb", true))});
    EXPECT_EQ(usbVolumeURLWithFile(*service, QStringLiteral("timeset.cfg")),
              QUrl::fromLocalFile(tree.path("sdb3")));
    EXPECT_EQ(usbVolumeURLWithFile(*service, QStringLiteral("nothing.here")), std::nullopt);

    const RunResult r = card({"timeset", "--card", "--date", "2026-12-08", "--time", "16:30:00"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QFile written(tree.path("sdb3/timeset.cfg"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "2026/12/08 16:30:00");
    QFile other(tree.path("sdb10/timeset.cfg"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "2000/01/01 00:00:00");
    // A mistyped or incomplete option writes nothing, least of all the current time.
    for (const QStringList& wrong :
         {QStringList{"timeset", "--card", "--tme", "13:45:00"},
          QStringList{"timeset", "--card", "--date"}, QStringList{"timeset", "--card", "--time"}}) {
        EXPECT_EQ(card(wrong).exitCode, 2) << wrong.join(u' ').toStdString();
        written.seek(0);
        EXPECT_EQ(written.readAll(), "2026/12/08 16:30:00");
    }

    setVolumes({volume("sdb2", tree.path("sdb2"), drive("R", "usb", true))});
    const RunResult none = card({"timeset", "--card"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("timeset.cfg")) << none.err.constData();
    EXPECT_EQ(card({"timeset", "--card", "--out", "x"}).exitCode, 2);
}

TEST_F(UDisks2Test, AVolumeWhoseDriveIsMissingIsSkipped) {
    setVolumes({with(volume("sdb1", tree.folder("gone"), drive("Gone", "usb", true)),
                     "driveMissing", true),
                volume("sdc1", tree.folder("here"), drive("Here", "usb", true))});
    EXPECT_EQ(paths(usbVolumeURLs(*service)), QStringList({tree.path("here")}));
}

TEST_F(UDisks2Test, RenamingGoesThroughSetLabelAndAFailureIsAMessage) {
    setVolumes({volume("sdb1", tree.folder("a"), drive("A", "usb", true)),
                with(volume("sdc1", tree.folder("b"), drive("B", "usb", true)), "labelError",
                     "Not authorized to perform operation")});
    const QString key = QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1");
    EXPECT_EQ(service->setVolumeName(key, QStringLiteral("ZAMO")), std::nullopt);
    const QList<QVariantList> calls = standIn->methodCalls(key, QStringLiteral("SetLabel"));
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0].value(0).toString(), QStringLiteral("ZAMO"));
    const QList<TKUSBDiskEntity> renamed = usbDiskEntities(*service);
    ASSERT_FALSE(renamed.isEmpty());
    EXPECT_EQ(renamed[0].volumeName(), QStringLiteral("ZAMO"));

    const auto failed = service->setVolumeName(
        QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdc1"), QStringLiteral("ZAMO"));
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->contains(QStringLiteral("Not authorized"))) << qPrintable(*failed);
    EXPECT_TRUE(service->setVolumeName(QStringLiteral("/org/freedesktop/UDisks2/block_devices/no"),
                                       QStringLiteral("ZAMO")));
}

TEST(UDisks2Absent, ListsAreEmptyAndNothingWaitsLong) {
    UDisks2StandIn bus;
    ASSERT_EQ(bus.error(), QString());
    bus.stopService();
    RVXUDisks2 service(bus.bus());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(service.mountedVolumes().isEmpty());
    EXPECT_TRUE(usbVolumeURLs(service).isEmpty());
    EXPECT_EQ(findCameraDisk(usbDiskEntities(service)), std::nullopt);
    EXPECT_LT(clock.elapsed(), RVXUDisks2::kCallTimeoutMs + 500);

    RVXUDisks2 noBus(QDBusConnection(QStringLiteral("never-connected")));
    EXPECT_TRUE(noBus.mountedVolumes().isEmpty());

    const RunResult r = runProgram(QStringLiteral(RUVEX_CARD_PATH), {"disks", "--json"}, {},
                                   {"DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/bus"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QCoreApplication app(argc, argv);
    UDisks2StandIn shared;
    standIn = &shared;
    return RUN_ALL_TESTS();
}
