// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/RVXDiskService.h"

#include <QDBusConnection>
#include <QMutex>

// Hands the service's change signals to a function; lives as long as its parent.
class RVXUDisks2Relay : public QObject {
    Q_OBJECT
public:
    RVXUDisks2Relay(std::function<void()> changed, QObject* parent);
public Q_SLOTS:
    void relay();

private:
    std::function<void()> m_changed;
};

// The disk service on Linux: UDisks2 on the system bus (DBUS_SYSTEM_BUS_ADDRESS names
// another one, as the tests' stand-in does). One GetManagedObjects call a search.
class RVXUDisks2 : public RVXDiskService {
public:
    // How long one call may take before the service counts as absent.
    static constexpr int kCallTimeoutMs = 3000;
    // How long a call that may ask the user for a password may take.
    static constexpr int kInteractiveTimeoutMs = 120000;

    explicit RVXUDisks2(QDBusConnection bus = QDBusConnection::systemBus());

    QList<RVXMountedVolume> mountedVolumes() override;
    std::optional<QString> setVolumeName(const QString& key, const QString& name,
                                         bool interactive = true) override;
    std::optional<QString> unmountVolume(const QString& key) override;
    std::optional<QString> mountVolume(const QString& key) override;
    bool watchChanges(QObject* context, std::function<void()> changed) override;

private:
    // A Filesystem method of the volume, allowed to ask the user for a password.
    std::optional<QString> callFilesystem(const QString& key, const QString& method,
                                          const QVariantList& arguments, bool interactive);
    // Logs each distinct reason the service could not be asked once.
    void logUnavailable(const QString& why);

    QDBusConnection m_bus;
    // Searches run on worker threads, the format window's and the editor's at once.
    QMutex m_logMutex;
    QString m_lastUnavailable;
};
