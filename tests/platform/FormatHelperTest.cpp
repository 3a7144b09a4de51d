// SPDX-License-Identifier: GPL-3.0-or-later
// The privileged format helper on its own: what it opens, what it hands mkfs.fat, and
// that the installed build knows nothing of the tests' stand-in system.
#include "platform/RVXCardDeviceCheck.h"
#include "support/CardImage.h"
#include "support/FormatHelperSystem.h"
#include "support/Run.h"
#include "support/TempTree.h"

#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

FormatHelperSystem* helperSystem = nullptr;
// The smallest size mkfs.fat makes a FAT32 of with 32 sectors a cluster, and some.
constexpr qint64 kSize = qint64(2) << 30;

QByteArray head(const QString& image, qint64 bytes = 1 << 20) {
    QFile file(image);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

QString uuidOf(const QString& image) {
    const QByteArray boot = head(image, 512);
    return QString::fromStdString(RVXFilesystemUUID(
        reinterpret_cast<const unsigned char*>(boot.constData()), size_t(boot.size())));
}

RunResult helper(const QString& program, const QString& uuid, const QString& device) {
    return runProgram(program,
                      {"--uuid", uuid, "--size", QString::number(kSize), "--cluster", "32", device},
                      60000);
}

TEST(FormatHelper, ALinkSwitchedWhileTheHelperChecksNeverGetsTheOtherImageFormatted) {
    TempTree tree;
    const QString card = tree.path(QStringLiteral("card.img"));
    const QString victim = tree.path(QStringLiteral("victim.img"));
    ASSERT_EQ(CardImage::create(card, kSize, QStringLiteral("OLD")), QString());
    ASSERT_EQ(CardImage::create(victim, kSize, QStringLiteral("VICTIM")), QString());
    const QString link = tree.path(QStringLiteral("chosen.img"));
    // Every name a check could look up is known as a removable medium, so that only the
    // filesystem tells the two apart.
    for (const QString& name : {card, victim, link})
        helperSystem->addDevice(name);
    const QByteArray victimBefore = head(victim);

    // Another process of the user's flips the name between the two as fast as it can.
    const QByteArray linkName = QFile::encodeName(link);
    const QByteArray spare = linkName + ".next";
    ASSERT_EQ(::symlink("card.img", linkName.constData()), 0);
    std::atomic<bool> stop = false;
    std::thread flipper([&] {
        for (bool toVictim = true; !stop; toVictim = !toVictim) {
            ::unlink(spare.constData());
            if (::symlink(toVictim ? "victim.img" : "card.img", spare.constData()) == 0)
                ::rename(spare.constData(), linkName.constData());
        }
    });
    int formatted = 0;
    constexpr int kRuns = 100;
    for (int run = 0; run < kRuns && head(victim) == victimBefore; ++run) {
        // The card's filesystem as the user chose it, anew after each format.
        const RunResult r = helper(FormatHelperSystem::helper(), uuidOf(card), link);
        formatted += r.exitCode == 0;
    }
    stop = true;
    flipper.join();
    EXPECT_EQ(head(victim), victimBefore) << "the other image was formatted";
    EXPECT_EQ(CardImage::bootSector(victim).label, QByteArray("VICTIM     "));
    // The runs that got the card formatted it; without any the test proves nothing.
    EXPECT_GT(formatted, 0);
    EXPECT_EQ(CardImage::bootSector(card).label, QByteArray("ZAMO       "));
    EXPECT_TRUE(CardImage::checks(card));
}

TEST(FormatHelper, WhatIsNoMediumIsNeverOpened) {
    TempTree tree;
    // A FIFO stands for a character device: opening one as root can have effects.
    const QString fifo = tree.path(QStringLiteral("watchdog"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    helperSystem->addDevice(fifo);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(fifo).constData(), IN_OPEN), 0);
    const RunResult r = helper(FormatHelperSystem::helper(), QStringLiteral("1234-ABCD"), fifo);
    EXPECT_EQ(r.exitCode, 65) << r.err.constData();
    EXPECT_TRUE(r.err.contains("not a block device")) << r.err.constData();
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the helper opened " << qPrintable(fifo);
    ::close(watch);
}

TEST(FormatHelper, TheInstalledHelperTakesDevicesOnlyAndKnowsNoTestRoot) {
    const QString installed = FormatHelperSystem::installedHelper();
    QFile binary(installed);
    ASSERT_TRUE(binary.open(QIODevice::ReadOnly)) << qPrintable(installed);
    EXPECT_FALSE(binary.readAll().contains("RUVEX_FORMAT_CARD_TEST_ROOT"));

    // The test root is set in this program's environment, and the image is known in it:
    // the test build would format it.
    TempTree tree;
    const QString image = tree.path(QStringLiteral("card.img"));
    ASSERT_EQ(CardImage::create(image, kSize, QStringLiteral("OLD")), QString());
    helperSystem->addDevice(image);
    const QString uuid = uuidOf(image);
    RunResult r = helper(installed, uuid, image);
    EXPECT_EQ(r.exitCode, 65) << r.err.constData();
    EXPECT_TRUE(r.err.contains("not a device under /dev/")) << r.err.constData();
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("OLD        "));
    // A name is judged by what it resolves to.
    const QString link = tree.path(QStringLiteral("null"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
    r = helper(installed, uuid, link);
    EXPECT_EQ(r.exitCode, 65) << r.err.constData();
    EXPECT_TRUE(r.err.contains("/dev/null is not a block device")) << r.err.constData();

    const RunResult test = helper(FormatHelperSystem::helper(), uuid, image);
    EXPECT_EQ(test.exitCode, 0) << test.err.constData();
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("ZAMO       "));
}

// pkexec runs the helper under this action. A kept authorisation (auth_admin_keep) would
// let any program of the user's run it again unasked for minutes; and the prompt names
// the device, which pkexec offers only within its command line.
TEST(FormatHelper, ThePolkitActionAsksEveryTimeAndNamesTheDevice) {
    QFile policy(QStringLiteral(RUVEX_FORMAT_CARD_POLICY));
    ASSERT_TRUE(policy.open(QIODevice::ReadOnly)) << RUVEX_FORMAT_CARD_POLICY;
    QXmlStreamReader xml(&policy);
    QStringList defaults;
    QString message, path;
    QString element;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            element = xml.name().toString();
            if (element == u"annotate" && xml.attributes().value(QStringLiteral("key")) ==
                                              u"org.freedesktop.policykit.exec.path")
                path = xml.readElementText();
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            if (element == u"message")
                message = xml.text().toString();
            else if (element.startsWith(u"allow_"))
                defaults << element + u'=' + xml.text().toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(defaults.join(u' ').toStdString(),
              "allow_any=auth_admin allow_inactive=auth_admin allow_active=auth_admin");
    EXPECT_TRUE(message.contains(QStringLiteral("$(command_line)"))) << qPrintable(message);
    EXPECT_EQ(path, QStringLiteral("/usr/libexec/ruvex/ruvex-format-card"));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    FormatHelperSystem system;
    helperSystem = &system;
    return RUN_ALL_TESTS();
}
