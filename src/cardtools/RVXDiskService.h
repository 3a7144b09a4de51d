// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
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
    // Of the drive: media that can be taken out, and how the drive is attached ("usb",
    // "sdio" for a built-in card reader, "ata", ...).
    bool removable = false;
    QString bus;
    bool optical = false;
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
    virtual std::optional<QString> setVolumeName(const QString& key, const QString& name) = 0;
    // Unmounts the filesystem known by key, or mounts it again where the service
    // chooses (mountedVolumes then tells where): nothing on success, else the message.
    virtual std::optional<QString> unmountVolume(const QString& key) = 0;
    virtual std::optional<QString> mountVolume(const QString& key) = 0;

    // The service the programs use (set once at start); null when none was set.
    static RVXDiskService* shared();
    // The shared one, or one that finds nothing when none was set.
    static RVXDiskService& current();
    // The same, held: for work on another thread that may outlive a setShared.
    static std::shared_ptr<RVXDiskService> currentHeld();
    static void setShared(std::shared_ptr<RVXDiskService> service);
};
