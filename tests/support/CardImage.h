// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// A card as an image file (sparse), read and written with dosfstools and mtools, since
// the kernel here cannot mount vfat.
namespace CardImage {

// A FAT32 image of the size with the label, as a card that was in use; empty on
// success, else what failed.
QString create(const QString& path, qint64 size, const QString& label);
// Copies a file into the image's root; empty on success.
QString put(const QString& image, const QString& file);
// A file of the image's root, or nothing when it has none.
std::optional<QByteArray> read(const QString& image, const QString& name);
// fsck.fat -n found nothing wrong.
bool checks(const QString& image, QString* report = nullptr);

// The boot sector's fields the camera cares about.
struct BootSector {
    int sectorsPerCluster = 0;
    int reservedSectors = 0;
    int fats = 0;
    int backupBootSector = 0;
    QByteArray label;      // 11 bytes, blank-padded
    QByteArray fileSystem; // 8 bytes
};
BootSector bootSector(const QString& image);

} // namespace CardImage
