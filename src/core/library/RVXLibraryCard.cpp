// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryCard.h"

#include "core/cardtools/RVXDiskService.h"

#include <QDir>
#include <QFileInfo>

RVXLibraryCard RVXLibraryCard::ofFolder(const QString& folder) {
    RVXLibraryCard card;
    const QFileInfo info(folder);
    card.source = info.canonicalFilePath().isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                                                     : info.canonicalFilePath();
    card.label = info.fileName();
    // The volume whose mount point is the longest one above the folder.
    qsizetype best = -1;
    for (const RVXMountedVolume& v : RVXDiskService::current().mountedVolumes()) {
        const QString mount = QDir::cleanPath(v.mountPath);
        const bool under = card.source == mount ||
                           card.source.startsWith(mount.endsWith(u'/') ? mount : mount + u'/');
        if (!under || mount.size() <= best)
            continue;
        best = mount.size();
        card.label = v.volumeName;
        card.filesystemUuid = v.uuid;
        card.driveSerial = v.serial;
    }
    return card;
}

bool RVXLibraryCard::sameCard(const RVXLibraryCard& other) const {
    // A card is the same card in any reader and under any label; a folder only where it is.
    if (!filesystemUuid.isEmpty() || !other.filesystemUuid.isEmpty())
        return filesystemUuid == other.filesystemUuid && driveSerial == other.driveSerial;
    return source == other.source;
}

const char* RVXLibraryImportRecord::choiceName(Choice choice) {
    switch (choice) {
    case Choice::EventsOnly:
        return "events";
    case Choice::SinceLast:
        return "since-last";
    case Choice::Everything:
        break;
    }
    return "everything";
}

std::optional<RVXLibraryImportRecord::Choice>
RVXLibraryImportRecord::choiceNamed(const QString& name) {
    for (Choice c : {Choice::Everything, Choice::EventsOnly, Choice::SinceLast}) {
        if (name == QLatin1String(choiceName(c)))
            return c;
    }
    return std::nullopt;
}
