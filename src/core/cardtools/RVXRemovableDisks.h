// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/RVXDiskService.h"
#include "core/cardtools/TKUSBDiskEntity.h"

#include <QList>
#include <QUrl>

#include <optional>

// Which mounted volumes are the user's cards. Each function asks the service once and
// lists in the order of the device names (/dev/sdb1 before /dev/sdc1, /dev/sdb2 before
// /dev/sdb10), so that two calls agree. The forms without a service ask the shared one.

// Removable media, never a system filesystem (/, /boot, /home, the user's home).
QList<QUrl> removableVolumeURLs(RVXDiskService& service);
QList<QUrl> removableVolumeURLs();
// Of those, the ones on USB, and cards in a built-in reader (bus "sdio"), which is where
// most users put a dash camera's card.
QList<QUrl> usbVolumeURLs(RVXDiskService& service);
QList<QUrl> usbVolumeURLs();
QList<TKUSBDiskEntity> usbDiskEntities(RVXDiskService& service);
QList<TKUSBDiskEntity> usbDiskEntities();
// The first of usbVolumeURLs holding a file or folder of that name at its root.
std::optional<QUrl> usbVolumeURLWithFile(RVXDiskService& service, const QString& name);
std::optional<QUrl> usbVolumeURLWithFile(const QString& name);

// Whether the volume's medium can be taken out: a card, not a USB hard disk.
bool isRemovableMedium(const RVXMountedVolume& volume);
// Whether the volume counts as a card for the functions above.
bool isUSBCardVolume(const RVXMountedVolume& volume);
bool isSystemMountPath(const QString& mountPath);

// A folder holds the camera's settings when a config.bin of exactly 500 bytes lies at
// its root.
bool holdsSettingFile(const QString& folder);
// The folder the main window has open stands in for the card (a card copied to disk, a
// reader the disk service does not see) when no card holds the settings and it does;
// else nothing.
std::optional<QString> standInCardFolder(const QList<TKUSBDiskEntity>& disks,
                                         const QString& openFolder);
