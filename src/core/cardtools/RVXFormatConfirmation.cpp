// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXFormatConfirmation.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/support/RVXLocalizedString.h"

#include <QStringList>

qsizetype RVXCountRecordings(const QString& mountPath) {
    if (mountPath.isEmpty())
        return 0;
    RVXMediaList list;
    list.setDirectoryPath(mountPath);
    list.waitForWalks();
    return list.count();
}

QString RVXFormatQuestion(const TKUSBDiskEntity& disk) {
    const QString name = disk.volumeName().trimmed().isEmpty()
                             ? RVXLocalizedString("msg.format_confirm_unnamed")
                             : disk.volumeName().trimmed();
    QStringList drive;
    if (disk.deviceModel() && !disk.deviceModel()->trimmed().isEmpty())
        drive << disk.deviceModel()->trimmed();
    drive << sizeString(disk.volumeSize());
    return RVXLocalizedString("msg.format_confirm_fmt")
        .arg(name, drive.join(u' ') + QStringLiteral(", ") + disk.deviceFilePath());
}

QString RVXFormatConsequence(qsizetype recordings) {
    if (recordings <= 0)
        return RVXLocalizedString("msg.format_confirm_no_recordings");
    if (recordings == 1)
        return RVXLocalizedString("msg.format_confirm_one_recording");
    // The catalogue stops counting near its limit.
    const char* key = qsizetype(recordings) >= qsizetype(RVXMediaList::kMediaLimit)
                          ? "msg.format_confirm_many_recordings_fmt"
                          : "msg.format_confirm_recordings_fmt";
    return RVXLocalizedString(key).arg(recordings);
}
