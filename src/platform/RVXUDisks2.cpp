// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RVXUDisks2.h"

#include "core/support/RVXLog.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>

#include <sys/statvfs.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kRoot = QStringLiteral("/org/freedesktop/UDisks2");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kPartition = QStringLiteral("org.freedesktop.UDisks2.Partition");
const QString kLoop = QStringLiteral("org.freedesktop.UDisks2.Loop");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

// UDisks2 sends paths as NUL-terminated byte strings ("ay").
QString bytestring(const QVariant& value) {
    QByteArray bytes = value.toByteArray();
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QFile::decodeName(bytes);
}

QStringList bytestrings(const QVariant& value) {
    QList<QByteArray> list;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> list;
    else
        list = value.value<QList<QByteArray>>();
    QStringList out;
    for (const QByteArray& b : list)
        out << bytestring(b);
    return out;
}

bool mountIsReadOnly(const QString& mountPath) {
    struct statvfs info {};
    return statvfs(QFile::encodeName(mountPath).constData(), &info) == 0 &&
           (info.f_flag & ST_RDONLY) != 0;
}

} // namespace

RVXUDisks2Relay::RVXUDisks2Relay(std::function<void()> changed, QObject* parent)
    : QObject(parent)
    , m_changed(std::move(changed)) {}

void RVXUDisks2Relay::relay() {
    if (m_changed)
        m_changed();
}

Q_DECLARE_METATYPE(Interfaces)
Q_DECLARE_METATYPE(ManagedObjects)

RVXUDisks2::RVXUDisks2(QDBusConnection bus)
    : m_bus(std::move(bus)) {
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<ManagedObjects>();
}

void RVXUDisks2::logUnavailable(const QString& why) {
    QMutexLocker lock(&m_logMutex);
    if (why == m_lastUnavailable)
        return;
    m_lastUnavailable = why;
    RVXLog(QStringLiteral("no disk service: %1").arg(why));
}

QList<RVXMountedVolume> RVXUDisks2::mountedVolumes() {
    if (!m_bus.isConnected()) {
        logUnavailable(QStringLiteral("no system bus (%1)").arg(m_bus.lastError().message()));
        return {};
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kRoot, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects"));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        logUnavailable(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
        return {};
    }
    {
        QMutexLocker lock(&m_logMutex);
        m_lastUnavailable.clear();
    }
    const ManagedObjects objects =
        qdbus_cast<ManagedObjects>(reply.arguments().first().value<QDBusArgument>());

    QList<RVXMountedVolume> volumes;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const Interfaces& interfaces = it.value();
        if (!interfaces.contains(kBlock) || !interfaces.contains(kFilesystem) ||
            interfaces.contains(kLoop))
            continue;
        const QVariantMap& block = interfaces[kBlock];
        const QStringList mountPoints = bytestrings(interfaces[kFilesystem].value("MountPoints"));
        if (mountPoints.isEmpty())
            continue;
        // A volume whose drive cannot be had is no card anyone could take out.
        const auto drive = objects.constFind(block.value("Drive").value<QDBusObjectPath>());
        if (drive == objects.constEnd() || !drive->contains(kDrive))
            continue;
        const QVariantMap& driveProps = (*drive)[kDrive];

        RVXMountedVolume v;
        v.volumeName = block.value("IdLabel").toString();
        v.mountPath = mountPoints.first();
        v.deviceFilePath = bytestring(block.value("Device"));
        const QString model = driveProps.value("Model").toString();
        if (!model.isEmpty())
            v.deviceModel = model;
        v.volumeSize = block.value("Size").toULongLong();
        v.writable = !block.value("ReadOnly").toBool() && !mountIsReadOnly(v.mountPath);
        v.mediaWhole = !interfaces.contains(kPartition);
        v.key = it.key().path();
        v.removable = driveProps.value("Removable").toBool();
        v.mediaRemovable = driveProps.value("MediaRemovable").toBool();
        v.deviceReadOnly = block.value("ReadOnly").toBool();
        v.uuid = block.value("IdUUID").toString();
        v.serial = driveProps.value("Serial").toString();
        v.bus = driveProps.value("ConnectionBus").toString();
        v.optical = driveProps.value("Optical").toBool();
        volumes << v;
    }
    return volumes;
}

std::optional<QString> RVXUDisks2::callFilesystem(const QString& key, const QString& method,
                                                  const QVariantList& arguments, bool interactive) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, key, kFilesystem, method);
    call.setArguments(arguments);
    // The desktop may ask the user for a password, which takes longer than a plain call.
    call.setInteractiveAuthorizationAllowed(interactive);
    const QDBusMessage reply =
        m_bus.call(call, QDBus::Block, interactive ? kInteractiveTimeoutMs : kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return std::nullopt;
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

std::optional<QString> RVXUDisks2::setVolumeName(const QString& key, const QString& name,
                                                 bool interactive) {
    return callFilesystem(key, QStringLiteral("SetLabel"), {name, QVariantMap()}, interactive);
}

std::optional<QString> RVXUDisks2::unmountVolume(const QString& key) {
    return callFilesystem(key, QStringLiteral("Unmount"), {QVariantMap()}, true);
}

std::optional<QString> RVXUDisks2::mountVolume(const QString& key) {
    return callFilesystem(key, QStringLiteral("Mount"), {QVariantMap()}, true);
}

bool RVXUDisks2::watchChanges(QObject* context, std::function<void()> changed) {
    if (!m_bus.isConnected())
        return false;
    auto* relay = new RVXUDisks2Relay(std::move(changed), context);
    const QString manager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
    bool ok = m_bus.connect(kService, kRoot, manager, QStringLiteral("InterfacesAdded"), relay,
                            SLOT(relay()));
    ok = m_bus.connect(kService, kRoot, manager, QStringLiteral("InterfacesRemoved"), relay,
                       SLOT(relay())) &&
         ok;
    // Mounts and unmounts change a Filesystem's MountPoints on its own object.
    ok = m_bus.connect(kService, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), relay, SLOT(relay())) &&
         ok;
    return ok;
}
