// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// One mounted filesystem as the system's disk service describes it, copied out whole.
struct RVXMountedVolume {
    QString volumeName;
    QString mountPath;
    // As the disk tools take it: "/dev/sdb1".
    QString deviceFilePath;
    std::optional<QString> deviceModel;
    uint64_t volumeSize = 0;
    bool writable = false;
    // The medium itself carries the filesystem (no partition table).
    bool mediaWhole = false;
    // The service's own name for the volume; renaming goes by it.
    QString key;
    // Of the drive: it can be unplugged (true for every USB disk), its medium can be
    // taken out of it (a card reader's), and how it is attached ("usb", "sdio" for a
    // built-in card reader, "ata", ...).
    bool removable = false;
    bool mediaRemovable = false;
    QString bus;
    bool optical = false;
    // The device itself refuses writes (a card's lock switch), whatever the mount says.
    bool deviceReadOnly = false;
    // What tells one card from another under the same device name.
    QString uuid;
    QString serial;
};

// What the card tools need of the system's disk service. The core decides which
// volumes are cards; an implementation only reports what is mounted.
class RVXDiskService {
public:
    virtual ~RVXDiskService();

    // Every block device with a mounted filesystem whose drive could be had, in any
    // order; empty when the service cannot be reached.
    virtual QList<RVXMountedVolume> mountedVolumes() = 0;
    // Renames the filesystem of the volume known by key: nothing on success, else the
    // service's message.
    // interactive: the service may ask the user for a password (which can take long).
    virtual std::optional<QString> setVolumeName(const QString& key, const QString& name,
                                                 bool interactive = true) = 0;
    // Unmounts the filesystem known by key, or mounts it again where the service
    // chooses (mountedVolumes then tells where): nothing on success, else the message.
    virtual std::optional<QString> unmountVolume(const QString& key) = 0;
    virtual std::optional<QString> mountVolume(const QString& key) = 0;
    // Calls changed (on context's thread) whenever a disk or volume comes, goes or is
    // mounted, until context is destroyed. False when the service cannot tell.
    virtual bool watchChanges(QObject* context, std::function<void()> changed);

    // The service the programs use (set once at start); null when none was set.
    static RVXDiskService* shared();
    // The shared one, or one that finds nothing when none was set.
    static RVXDiskService& current();
    // The same, held: for work on another thread that may outlive a setShared.
    static std::shared_ptr<RVXDiskService> currentHeld();
    static void setShared(std::shared_ptr<RVXDiskService> service);
};
