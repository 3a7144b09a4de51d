// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXRemovableDisks.h"

#include "core/support/RVXLog.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// "/dev/sdb2" before "/dev/sdb10": runs of digits compare as numbers.
bool deviceNameLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const qulonglong x = a.mid(i, ei - i).toULongLong();
            const qulonglong y = b.mid(j, ej - j).toULongLong();
            if (x != y)
                return x < y;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

QList<RVXMountedVolume> removableVolumes(RVXDiskService& service) {
    QList<RVXMountedVolume> volumes = service.mountedVolumes();
    volumes.removeIf([](const RVXMountedVolume& v) {
        return !isRemovableMedium(v) || v.optical || v.mountPath.isEmpty() ||
               isSystemMountPath(v.mountPath);
    });
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const RVXMountedVolume& a, const RVXMountedVolume& b) {
                         return deviceNameLess(a.deviceFilePath, b.deviceFilePath);
                     });
    return volumes;
}

QList<RVXMountedVolume> usbVolumes(RVXDiskService& service) {
    QList<RVXMountedVolume> volumes = removableVolumes(service);
    volumes.removeIf([](const RVXMountedVolume& v) { return !isUSBCardVolume(v); });
    return volumes;
}

QList<QUrl> urlsOf(const QList<RVXMountedVolume>& volumes) {
    QList<QUrl> urls;
    for (const RVXMountedVolume& v : volumes)
        urls << QUrl::fromLocalFile(v.mountPath);
    return urls;
}

} // namespace

bool isSystemMountPath(const QString& mountPath) {
    const QString path = QDir::cleanPath(mountPath);
    const QString home = QDir::cleanPath(QDir::homePath());
    return path == u"/" || path == u"/boot" || path.startsWith(u"/boot/") || path == u"/home" ||
           path == home || path == u"/usr" || path == u"/var";
}

bool isRemovableMedium(const RVXMountedVolume& volume) {
    // Every disk on USB can be unplugged, so UDisks2 calls all of them removable; a card
    // is the medium taken out of its reader. A laptop's built-in slot says only that the
    // drive is removable.
    if (volume.bus == u"sdio")
        return volume.removable || volume.mediaRemovable;
    return volume.mediaRemovable;
}

bool isUSBCardVolume(const RVXMountedVolume& volume) {
    return isRemovableMedium(volume) && !volume.optical && !isSystemMountPath(volume.mountPath) &&
           (volume.bus == u"usb" || volume.bus == u"sdio");
}

QList<QUrl> removableVolumeURLs(RVXDiskService& service) {
    return urlsOf(removableVolumes(service));
}

QList<QUrl> removableVolumeURLs() {
    return removableVolumeURLs(RVXDiskService::current());
}

QList<QUrl> usbVolumeURLs(RVXDiskService& service) {
    return urlsOf(usbVolumes(service));
}

QList<QUrl> usbVolumeURLs() {
    return usbVolumeURLs(RVXDiskService::current());
}

QList<TKUSBDiskEntity> usbDiskEntities(RVXDiskService& service) {
    QList<TKUSBDiskEntity> entities;
    for (const RVXMountedVolume& v : usbVolumes(service)) {
        if (v.deviceFilePath.isEmpty())
            continue;
        RVXLog(v.mountPath);
        TKUSBDiskEntity disk(v.volumeName, QUrl::fromLocalFile(v.mountPath), v.deviceFilePath,
                             v.deviceModel, v.volumeSize, v.writable, v.mediaWhole, v.key);
        disk.setIdentity(
            {v.uuid, v.volumeSize, v.volumeName, v.serial, v.deviceModel.value_or(QString())});
        disk.setDeviceWritable(!v.deviceReadOnly);
        entities << disk;
    }
    return entities;
}

QList<TKUSBDiskEntity> usbDiskEntities() {
    return usbDiskEntities(RVXDiskService::current());
}

std::optional<QUrl> usbVolumeURLWithFile(RVXDiskService& service, const QString& name) {
    for (const QUrl& url : usbVolumeURLs(service)) {
        if (QFileInfo::exists(QDir(url.toLocalFile()).filePath(name)))
            return url;
    }
    return std::nullopt;
}

std::optional<QUrl> usbVolumeURLWithFile(const QString& name) {
    return usbVolumeURLWithFile(RVXDiskService::current(), name);
}

bool holdsSettingFile(const QString& folder) {
    const QFileInfo file(QDir(folder).filePath(QStringLiteral("config.bin")));
    return file.isFile() && file.size() == 500;
}

std::optional<QString> standInCardFolder(const QList<TKUSBDiskEntity>& disks,
                                         const QString& openFolder) {
    for (const TKUSBDiskEntity& disk : disks) {
        if (holdsSettingFile(disk.mountedURL().toLocalFile()))
            return std::nullopt;
    }
    if (openFolder.isEmpty() || !holdsSettingFile(openFolder))
        return std::nullopt;
    return QDir(openFolder).absolutePath();
}
