// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXFormatLock.h"

#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <future>

namespace {

// The user's runtime folder as the session manager makes it: the user's alone.
class FormatLockTest : public testing::Test {
protected:
    void SetUp() override {
        runtime = tree.folder(QStringLiteral("run/user/1000"));
        ::chmod(QFile::encodeName(runtime).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(tree.path(QStringLiteral("cache"))));
    }
    void TearDown() override {
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_CACHE_HOME");
    }
    // acquire() run apart, so that a hang fails the test instead of stopping it.
    std::optional<RVXFormatLock> acquireWithin(const QString& device, QString* why) {
        auto attempt = std::async(std::launch::async, [&] {
            QString reason;
            auto lock = RVXFormatLock::acquire(device, &reason);
            return std::make_pair(std::move(lock), reason);
        });
        if (attempt.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "acquire(" << qPrintable(device) << ") hangs";
            std::_Exit(1);
        }
        auto [lock, reason] = attempt.get();
        *why = reason;
        return std::move(lock);
    }
    QString mode(const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return QString::number(st.st_mode & 07777, 8);
    }

    TempTree tree;
    QString runtime;
};

TEST_F(FormatLockTest, LocksLieInTheUsersOwnFolder) {
    EXPECT_EQ(RVXFormatLock::lockFolder(), runtime);
    EXPECT_TRUE(RVXFormatLock::lockPath(QStringLiteral("/dev/sdb1")).startsWith(runtime + u'/'));
    EXPECT_NE(RVXFormatLock::lockPath(QStringLiteral("/dev/sdb1")),
              RVXFormatLock::lockPath(QStringLiteral("/dev/sdc1")));

    // A runtime folder others may write in is no place for it; nor is an unset one.
    const QString shared = tree.folder(QStringLiteral("shared"));
    ::chmod(QFile::encodeName(shared).constData(), 01777);
    for (const QByteArray& value : {QFile::encodeName(shared), QByteArray("relative/run"),
                                    QFile::encodeName(tree.path(QStringLiteral("none")))}) {
        qputenv("XDG_RUNTIME_DIR", value);
        const QString folder = RVXFormatLock::lockFolder();
        EXPECT_TRUE(folder.startsWith(tree.path(QStringLiteral("cache")) + u'/'))
            << value.constData() << " gave " << qPrintable(folder);
        EXPECT_EQ(mode(folder), QStringLiteral("700")) << qPrintable(folder);
    }
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(RVXFormatLock::lockFolder().startsWith(tree.path(QStringLiteral("cache")) + u'/'));
    QString why;
    EXPECT_TRUE(acquireWithin(QStringLiteral("/dev/sdb1"), &why)) << qPrintable(why);
}

TEST_F(FormatLockTest, AHeldLockIsBusyAndNothingPlantedMakesItWait) {
    QString why;
    {
        const auto first = acquireWithin(QStringLiteral("/dev/sdb1"), &why);
        ASSERT_TRUE(first) << qPrintable(why);
        EXPECT_EQ(mode(RVXFormatLock::lockPath(QStringLiteral("/dev/sdb1"))),
                  QStringLiteral("600"));
        EXPECT_FALSE(acquireWithin(QStringLiteral("/dev/sdb1"), &why));
        EXPECT_TRUE(why.contains(QStringLiteral("being formatted already"))) << qPrintable(why);
        EXPECT_TRUE(acquireWithin(QStringLiteral("/dev/sdc1"), &why)) << "another device";
    }
    EXPECT_TRUE(acquireWithin(QStringLiteral("/dev/sdb1"), &why)) << "free again";

    // Held by another program: busy at once.
    const QString held = RVXFormatLock::lockPath(QStringLiteral("/dev/sdd1"));
    QFile holder(held);
    ASSERT_TRUE(holder.open(QIODevice::WriteOnly));
    ASSERT_EQ(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(acquireWithin(QStringLiteral("/dev/sdd1"), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("being formatted already"))) << qPrintable(why);

    // A FIFO in the lock's place would hang an open without O_NONBLOCK.
    const QString fifo = RVXFormatLock::lockPath(QStringLiteral("/dev/sde1"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(acquireWithin(QStringLiteral("/dev/sde1"), &why));
    EXPECT_TRUE(why.contains(fifo)) << qPrintable(why);

    // A link, and a file that is someone else's (the test may run as root, who could
    // open it): neither is taken for ours.
    const QString target = tree.file(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(target, RVXFormatLock::lockPath(QStringLiteral("/dev/sdf1"))));
    EXPECT_FALSE(acquireWithin(QStringLiteral("/dev/sdf1"), &why));
    if (geteuid() == 0) {
        const QString foreign = RVXFormatLock::lockPath(QStringLiteral("/dev/sdg1"));
        tree.file(QFileInfo(foreign).fileName());
        ASSERT_TRUE(QFile::rename(tree.path(QFileInfo(foreign).fileName()), foreign));
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        ::chmod(QFile::encodeName(foreign).constData(), 0600);
        EXPECT_FALSE(acquireWithin(QStringLiteral("/dev/sdg1"), &why));
        EXPECT_TRUE(why.contains(foreign)) << qPrintable(why);
    }
}

} // namespace
