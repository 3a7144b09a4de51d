// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QJsonArray>
#include <QProcess>
#include <QString>

#include <memory>

// A private message bus with the stand-in UDisks2 (python-dbusmock with our template)
// on it: programs find it through DBUS_SYSTEM_BUS_ADDRESS=address(). Needs a
// QCoreApplication. Both processes end with the object.
class UDisks2StandIn {
public:
    UDisks2StandIn();
    ~UDisks2StandIn();

    // Empty when the bus and the service run, else what went wrong.
    const QString& error() const { return m_error; }
    const QString& address() const { return m_address; }
    // A connection of this process to the private bus.
    QDBusConnection bus() const;

    // Replaces the mounted volumes; see udisks2_stand_in.py for the keys. Empty on
    // success, else the error.
    QString setVolumes(const QJsonArray& volumes);
    // The calls of method on the object at path so far, each its arguments.
    QList<QVariantList> methodCalls(const QString& path, const QString& method);
    // Ends the service and leaves the bus, as a desktop without UDisks2 has it.
    void stopService();

private:
    bool waitForService(int timeoutMs);

    QProcess m_daemon;
    QProcess m_service;
    QString m_address;
    QString m_connectionName;
    QString m_error;
};
