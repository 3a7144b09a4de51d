// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/RVXDiskService.h"
#include "core/cardtools/TKUSBDiskEntity.h"

#include <QString>

#include <optional>

// The card the settings editor works on, as its search found it.
struct RVXSettingCard {
    // The card's config.bin, when one of exactly 500 bytes was found; empty otherwise.
    QString settingFilePath;
    std::optional<TKUSBDiskEntity> selectedUSBDisk;
    // The folder open in the main window stands in for the card (no renaming there).
    std::optional<QString> standInFolder;
    // A config.bin of the wrong size on the card (or in the open folder): not read, but
    // said, and a save replaces it.
    QString damagedSettingFile;
    // The root the settings file and the drive log lie in, when any.
    QString rootFolder() const;
};

// The editor's card search: the most likely camera card among the USB and SD cards, used
// when it holds a 500-byte config.bin and then named "ZAMO" as the camera names it;
// without one, the open folder when it holds such a file. previous is kept when no
// removable disk is there at all.
// rename: the card is named "ZAMO" when it is not, asking the user for a password if
// need be; at most once for each card put in (the same volume and filesystem).
// Blocks on the disk service: call it off the UI thread.
RVXSettingCard findUSBVolume(RVXDiskService& service, const QString& openFolder,
                             const RVXSettingCard& previous = {}, bool rename = true);

// Where a save goes: the found card's config.bin, else config.bin on the camera's card
// even without one; empty when the user must choose.
QString settingSaveTarget(RVXDiskService& service, const RVXSettingCard& card);
