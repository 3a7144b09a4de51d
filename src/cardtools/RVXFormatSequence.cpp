// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXFormatSequence.h"

#include "RVXRemovableDisks.h"
#include "platform/RVXLog.h"
#include "settings/RVXLocalizedString.h"
#include "settings/RVXSettingFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString kConfigName = QStringLiteral("config.bin");
constexpr int kMountAttempts = 6;
constexpr int kMountRetryMs = 500;

// "/dev/sdb1" and "/dev/mmcblk0p1" are partitions of "/dev/sdb" and "/dev/mmcblk0".
bool isPartitionOf(const QString& partition, const QString& disk) {
    static const QRegularExpression number(QStringLiteral("^p?[0-9]+$"));
    return partition.startsWith(disk) && number.match(partition.mid(disk.size())).hasMatch();
}

bool holdsSystemFilesystem(const QList<RVXMountedVolume>& volumes, const QString& device) {
    for (const RVXMountedVolume& v : volumes) {
        const bool onDevice = v.deviceFilePath == device || isPartitionOf(v.deviceFilePath, device);
        if (onDevice && isSystemMountPath(v.mountPath))
            return true;
    }
    return false;
}

std::optional<TKUSBDiskEntity> cardNamed(RVXDiskService& disks, const QString& device) {
    for (const TKUSBDiskEntity& disk : usbDiskEntities(disks)) {
        if (disk.deviceFilePath() == device)
            return disk;
    }
    return std::nullopt;
}

} // namespace

RVXFormatSequence::RVXFormatSequence(RVXDiskService& disks, RVXPrivilegedCommand& privileged)
    : m_disks(disks)
    , m_privileged(privileged) {}

std::variant<TKUSBDiskEntity, QString> RVXFormatSequence::cardForDevice(RVXDiskService& disks,
                                                                        const QString& device) {
    if (holdsSystemFilesystem(disks.mountedVolumes(), device))
        return QStringLiteral("%1 holds a system filesystem and is never formatted").arg(device);
    if (auto card = cardNamed(disks, device))
        return *card;
    return QStringLiteral("%1 is not a mounted USB or SD card").arg(device);
}

QString RVXFormatSequence::mkfsProgram() {
    const QString name = QStringLiteral("mkfs.fat");
    QString found = QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"});
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStringLiteral("/usr/sbin/mkfs.fat") : found;
}

QStringList RVXFormatSequence::formatArguments(const TKUSBDiskEntity& disk) {
    // -a keeps the 32 reserved sectors exactly; mkfs.fat would otherwise grow them to
    // align the data to the cluster size.
    QStringList args = {"-a", "-F", "32", "-n", "ZAMO", "-f", "2", "-b", "6", "-R", "32"};
    args << QStringLiteral("-s") << QString::number(clusterSizeByVolumeSizeInKB(disk.volumeSize()));
    // A medium without a partition table is refused by mkfs.fat unless told.
    if (disk.mediaWhole())
        args << QStringLiteral("-I");
    args << disk.deviceFilePath();
    return args;
}

std::optional<RVXFormatFailure> RVXFormatSequence::saveConfig(const TKUSBDiskEntity& disk) {
    m_savedConfigPath.clear();
    const QString mountPath = disk.mountedURL().toLocalFile();
    const QString source = QDir(mountPath).filePath(kConfigName);
    if (mountPath.isEmpty() || !QFile::exists(source))
        return std::nullopt;
    QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("ruvex-format-XXXXXX")));
    // The copy is kept after the restore, a last resort should anything go wrong later.
    folder.setAutoRemove(false);
    const QString target = folder.filePath(kConfigName);
    QFile file(source);
    if (!folder.isValid() || !file.copy(target)) {
        const QString why = folder.isValid() ? file.errorString() : folder.errorString();
        return RVXFormatFailure{RVXFormatFailure::Kind::SaveFailed, 0,
                                QStringLiteral("%1 could not be kept: %2").arg(source, why)};
    }
    m_savedConfigPath = target;
    return std::nullopt;
}

std::optional<RVXFormatFailure> RVXFormatSequence::restoreConfig(const QString& device) {
    const auto card = cardNamed(m_disks, device);
    if (!card) {
        return RVXFormatFailure{RVXFormatFailure::Kind::RestoreFailed, 0,
                                QStringLiteral("%1 was not mounted again").arg(device)};
    }
    const QString target = QDir(card->mountedURL().toLocalFile()).filePath(kConfigName);
    if (m_savedConfigPath.isEmpty()) {
        if (auto error = writeDefaultSettingFile(target))
            return RVXFormatFailure{RVXFormatFailure::Kind::RestoreFailed, 0, *error};
        return std::nullopt;
    }
    QFile::remove(target);
    QFile saved(m_savedConfigPath);
    if (!saved.copy(target)) {
        RVXLog(QStringLiteral("error=%1").arg(saved.errorString()));
        return RVXFormatFailure{RVXFormatFailure::Kind::RestoreFailed, 0, saved.errorString()};
    }
    return std::nullopt;
}

std::optional<RVXFormatFailure> RVXFormatSequence::run(const TKUSBDiskEntity& chosen,
                                                       const Show& show) {
    // The list the user chose from may be stale: ask again right before anything runs.
    const auto checked = cardForDevice(m_disks, chosen.deviceFilePath());
    if (const QString* why = std::get_if<QString>(&checked))
        return RVXFormatFailure{RVXFormatFailure::Kind::NotACard, 0, *why};
    const TKUSBDiskEntity disk = std::get<TKUSBDiskEntity>(checked);
    if (!disk.writable()) {
        return RVXFormatFailure{RVXFormatFailure::Kind::WriteProtected, 0,
                                RVXLocalizedString("msg.write_protected_disk")};
    }
    if (auto failure = saveConfig(disk))
        return failure;

    show(QStringLiteral("unmount disk..."));
    // mkfs.fat refuses a device still mounted, so a failed unmount ends in its message.
    if (auto error = m_disks.unmountVolume(disk.key()))
        RVXLog(QStringLiteral("unmount %1: %2").arg(disk.deviceFilePath(), *error));

    show(QStringLiteral("formatting..."));
    const RVXCommandResult result = m_privileged.run(mkfsProgram(), formatArguments(disk));
    if (result.exitStatus != 0) {
        RVXLog(QStringLiteral("ERROR=%1 %2").arg(result.exitStatus).arg(result.standardError));
        m_disks.mountVolume(disk.key());
        const bool readOnly = result.standardError.contains(u"Read-only file system");
        QString message = result.standardError.trimmed();
        if (RVXPrivilegedCommand::refused(result)) {
            message = QStringLiteral("administrator rights were refused") +
                      (message.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(message));
        }
        return RVXFormatFailure{readOnly ? RVXFormatFailure::Kind::WriteProtected
                                         : RVXFormatFailure::Kind::FormatFailed,
                                result.exitStatus, message};
    }

    show(QStringLiteral("try mount..."));
    // Right after mkfs.fat the system probes the new filesystem, and the disk service may
    // not offer it for mounting yet: try again for a few seconds.
    for (int attempt = 1;; ++attempt) {
        const auto error = m_disks.mountVolume(disk.key());
        if (!error)
            break;
        RVXLog(QStringLiteral("mount %1: %2").arg(disk.deviceFilePath(), *error));
        if (attempt == kMountAttempts)
            break;
        QThread::msleep(kMountRetryMs);
    }
    show(QStringLiteral("Format completed!"));
    return restoreConfig(disk.deviceFilePath());
}
