// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RVXLauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>

bool RVXLauncherEntry::update(double progress, bool visible) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/com/ruvex/viewer"), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("progress"), std::clamp(progress, 0.0, 1.0)},
                                 {QStringLiteral("progress-visible"), visible}};
    signal << applicationUri() << properties;
    return bus.send(signal);
}
