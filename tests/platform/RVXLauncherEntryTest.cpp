// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RVXLauncherEntry.h"
#include "widgets/PMProgressIndicator.h"
#include "widgets/PMProgressIndicatorController.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Records the launcher signals the desktop would receive.
class Listener : public QObject {
    Q_OBJECT
public:
    QList<QVariantList> updates;
public Q_SLOTS:
    void onUpdate(const QDBusMessage& message) { updates << message.arguments(); }
};

QProcess* bus = nullptr;

TEST(RVXLauncherEntry, ProgressReachesTheSessionBus) {
    if (!bus)
        GTEST_SKIP() << "dbus-daemon is not installed";
    QDBusConnection listen = QDBusConnection::connectToBus(
        qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("listener"));
    ASSERT_TRUE(listen.isConnected());
    Listener listener;
    ASSERT_TRUE(listen.connect(QString(), QString(),
                               QStringLiteral("com.canonical.Unity.LauncherEntry"),
                               QStringLiteral("Update"), &listener, SLOT(onUpdate(QDBusMessage))));
    PMProgressIndicator indicator;
    indicator.setDoubleValue(25);
    PMProgressIndicatorController::sharedInstance()->drawProgressIndicators();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !listener.updates.isEmpty(); }, 5000));
    const QVariantList& args = listener.updates.last();
    ASSERT_EQ(args.size(), 2);
    EXPECT_EQ(args[0].toString(), RVXLauncherEntry::applicationUri());
    const QVariantMap properties = qdbus_cast<QVariantMap>(args[1]);
    EXPECT_DOUBLE_EQ(properties.value(QStringLiteral("progress")).toDouble(), 0.25);
    EXPECT_TRUE(properties.value(QStringLiteral("progress-visible")).toBool());
    indicator.setDoubleValue(0); // leaves the icon: the bar goes off the entry
    PMProgressIndicatorController::sharedInstance()->drawProgressIndicators();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.updates.size() >= 2; }, 5000));
    EXPECT_FALSE(qdbus_cast<QVariantMap>(listener.updates.last()[1])
                     .value(QStringLiteral("progress-visible"))
                     .toBool());
}

} // namespace

// A private session bus, so the test neither needs nor disturbs a desktop's.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QProcess daemon;
    if (!QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
        daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        if (daemon.waitForStarted() && daemon.waitForReadyRead(5000)) {
            qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.readLine().trimmed());
            bus = &daemon;
        }
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    daemon.kill();
    daemon.waitForFinished();
    return result;
}

#include "RVXLauncherEntryTest.moc"
