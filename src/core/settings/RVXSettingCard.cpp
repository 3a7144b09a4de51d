// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXSettingCard.h"

#include "core/cardtools/RVXRemovableDisks.h"
#include "core/support/RVXLog.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace {
const QString kSettingFile = QStringLiteral("config.bin");
const QString kCardName = QStringLiteral("ZAMO");

QString settingFileIn(const QString& folder) {
    return QDir(folder).filePath(kSettingFile);
}

bool holdsDamagedSettingFile(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(settingFileIn(folder)).isFile() &&
           !holdsSettingFile(folder);
}

RVXSettingCard standIn(const QString& openFolder) {
    RVXSettingCard card;
    if (!openFolder.isEmpty() && holdsSettingFile(openFolder)) {
        card.standInFolder = QDir(openFolder).absolutePath();
        card.settingFilePath = settingFileIn(*card.standInFolder);
    } else if (holdsDamagedSettingFile(openFolder)) {
        card.standInFolder = QDir(openFolder).absolutePath();
        card.damagedSettingFile = settingFileIn(*card.standInFolder);
    }
    return card;
}

// The cards already asked to be renamed: a refused password prompt must not come back
// each time the editor opens.
bool firstRenameOf(const TKUSBDiskEntity& disk) {
    static QMutex mutex;
    static QSet<QString> asked;
    QMutexLocker lock(&mutex);
    const QString identity = disk.key() + u'\n' + disk.identity().uuid;
    if (asked.contains(identity))
        return false;
    asked.insert(identity);
    return true;
}
} // namespace

QString RVXSettingCard::rootFolder() const {
    if (standInFolder)
        return *standInFolder;
    if (selectedUSBDisk)
        return selectedUSBDisk->mountedURL().toLocalFile();
    return {};
}

RVXSettingCard findUSBVolume(RVXDiskService& service, const QString& openFolder,
                             const RVXSettingCard& previous, bool rename) {
    if (usbVolumeURLs(service).isEmpty()) {
        RVXLog("no removable devices");
        const RVXSettingCard folder = standIn(openFolder);
        return folder.standInFolder ? folder : previous;
    }
    std::optional<TKUSBDiskEntity> disk = findCameraDisk(usbDiskEntities(service));
    if (disk && holdsDamagedSettingFile(disk->mountedURL().toLocalFile())) {
        RVXSettingCard card;
        card.selectedUSBDisk = disk;
        card.damagedSettingFile = settingFileIn(disk->mountedURL().toLocalFile());
        return card;
    }
    if (!disk || !holdsSettingFile(disk->mountedURL().toLocalFile()))
        return standIn(openFolder);
    if (rename && disk->volumeName() != kCardName && firstRenameOf(*disk)) {
        if (auto error = service.setVolumeName(disk->key(), kCardName)) {
            RVXLog(QStringLiteral("error=%1").arg(*error));
        } else if (auto renamed = findCameraDisk(usbDiskEntities(service))) {
            disk = renamed;
        }
    }
    RVXSettingCard card;
    card.settingFilePath = settingFileIn(disk->mountedURL().toLocalFile());
    card.selectedUSBDisk = disk;
    return card;
}

QString settingSaveTarget(RVXDiskService& service, const RVXSettingCard& card) {
    const QString root = card.rootFolder();
    if (!root.isEmpty() && QFileInfo::exists(settingFileIn(root)))
        return settingFileIn(root);
    if (auto camera = findCameraDisk(usbDiskEntities(service)))
        return settingFileIn(camera->mountedURL().toLocalFile());
    return {};
}
