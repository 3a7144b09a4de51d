// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

// What tells one card from another: a card swapped for another in the same reader gets
// the same device name, but not the same filesystem, size and drive. The label is no
// part of it: the settings editor renames the camera's card at any moment.
struct RVXDiskIdentity {
    QString uuid;
    uint64_t size = 0;
    QString label;
    QString serial;
    QString model;
    bool operator==(const RVXDiskIdentity& other) const {
        return uuid == other.uuid && size == other.size && serial == other.serial &&
               model == other.model;
    }
    // "UUID 1A2B-3C4D, 7.4 GB, ZAMO, Reader 0123" for messages.
    QString describe() const;
};

// One mounted volume on a USB medium, copied out of the disk service's description so
// it stays valid after the volume goes away.
class TKUSBDiskEntity {
public:
    TKUSBDiskEntity(QString volumeName, QUrl mountedURL, QString deviceFilePath,
                    std::optional<QString> deviceModel, uint64_t volumeSize, bool writable,
                    bool mediaWhole, QString key);

    const QString& volumeName() const { return m_volumeName; }
    const QUrl& mountedURL() const { return m_mountedURL; }
    const QString& deviceFilePath() const { return m_deviceFilePath; }
    const std::optional<QString>& deviceModel() const { return m_deviceModel; }
    uint64_t volumeSize() const { return m_volumeSize; }
    bool writable() const { return m_writable; }
    bool mediaWhole() const { return m_mediaWhole; }
    const QString& key() const { return m_key; }

    // "[7.4 GB] ZAMO <Reader>"; without a model the name is followed by one blank.
    QString displayString() const;

    const RVXDiskIdentity& identity() const { return m_identity; }
    void setIdentity(RVXDiskIdentity identity) { m_identity = std::move(identity); }
    // Whether the device takes writes at all. writable also says no for a card the
    // system mounted read-only after finding errors, which a format mends.
    bool deviceWritable() const { return m_deviceWritable; }
    void setDeviceWritable(bool writable) { m_deviceWritable = writable; }

private:
    QString m_volumeName;
    QUrl m_mountedURL;
    QString m_deviceFilePath;
    std::optional<QString> m_deviceModel;
    uint64_t m_volumeSize;
    bool m_writable;
    bool m_mediaWhole;
    QString m_key;
    RVXDiskIdentity m_identity;
    bool m_deviceWritable = true;
};

// A size in units of 1024 with the camera tools' rounding: "1.5 kB", "15 GB".
QString sizeString(uint64_t bytes);

// The most likely camera card: a writable "ZAMO" with config.bin in its root, else a
// writable "ZAMO", else any "ZAMO", else any writable volume, else the first.
std::optional<TKUSBDiskEntity> findCameraDisk(const QList<TKUSBDiskEntity>& disks);

// The allocation unit the card is formatted with: 32 below 7 x 2^30 bytes, else 128.
int clusterSizeByVolumeSizeInKB(uint64_t volumeSizeBytes);
