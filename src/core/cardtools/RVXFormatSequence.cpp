// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXFormatSequence.h"

#include "core/cardtools/RVXFormatLock.h"
#include "core/cardtools/RVXKeptSettings.h"
#include "core/cardtools/RVXRemovableDisks.h"
#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

RVXFormatFailure failureOf(const RVXCommandResult& result) {
    using Kind = RVXFormatFailure::Kind;
    QString message = result.standardError.trimmed();
    if (RVXPrivilegedCommand::refused(result)) {
        message = QStringLiteral("administrator rights were refused") +
                  (message.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(message));
        return {Kind::FormatFailed, result.exitStatus, message};
    }
    if (result.exitStatus == RVXFormatSequence::kHelperBusy)
        return {Kind::Busy, result.exitStatus, message};
    if (result.exitStatus == RVXFormatSequence::kHelperRefused)
        return {Kind::NotACard, result.exitStatus, message};
    const bool readOnly = result.exitStatus == RVXFormatSequence::kHelperWriteProtected ||
                          result.standardError.contains(u"Read-only file system");
    return {readOnly ? Kind::WriteProtected : Kind::FormatFailed, result.exitStatus, message};
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

QString RVXFormatSequence::helperProgram() {
    const QString named = qEnvironmentVariable("RUVEX_FORMAT_CARD");
    if (!named.isEmpty())
        return named;
    // Where the package puts it, which is where its polkit action says it is; else
    // beside the program, as in a build tree.
    const QString app = QCoreApplication::applicationDirPath();
    for (const QString& path : {QStringLiteral("/usr/libexec/ruvex/ruvex-format-card"),
                                app + QStringLiteral("/../libexec/ruvex/ruvex-format-card"),
                                app + QStringLiteral("/ruvex-format-card")}) {
        if (QFileInfo(path).isExecutable())
            return QDir::cleanPath(path);
    }
    return QStringLiteral("/usr/libexec/ruvex/ruvex-format-card");
}

QStringList RVXFormatSequence::formatArguments(const TKUSBDiskEntity& disk) {
    // The helper checks that the device still holds what the user chose, then runs
    // mkfs.fat -a -F 32 -n ZAMO -f 2 -b 6 -R 32 -s <cluster> [-I] on it.
    return {QStringLiteral("--uuid"),
            disk.identity().uuid,
            QStringLiteral("--size"),
            QString::number(disk.volumeSize()),
            QStringLiteral("--cluster"),
            QString::number(clusterSizeByVolumeSizeInKB(disk.volumeSize())),
            disk.deviceFilePath()};
}

std::optional<TKUSBDiskEntity> RVXFormatSequence::formattedCard(RVXDiskService& disks,
                                                                const TKUSBDiskEntity& before) {
    for (const TKUSBDiskEntity& disk : usbDiskEntities(disks)) {
        if (disk.deviceFilePath() == before.deviceFilePath() &&
            disk.volumeSize() == before.volumeSize() &&
            disk.identity().serial == before.identity().serial)
            return disk;
    }
    return std::nullopt;
}

std::optional<QString> RVXFormatSequence::restoreKeptCopy(const QString& keptPath,
                                                          const TKUSBDiskEntity& disk) {
    QFile kept(keptPath);
    if (!kept.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(keptPath, kept.errorString());
    const QByteArray bytes = kept.readAll();
    if (kept.error() != QFileDevice::NoError)
        return QStringLiteral("%1: %2").arg(keptPath, kept.errorString());
    // As the editor saves: beside the old file, synced with its folder, then renamed.
    const QString target = QDir(disk.mountedURL().toLocalFile()).filePath(kConfigName);
    if (auto error = writeSettingBytes(bytes, target)) {
        const QString message = RVXLocalizedString(error->toUtf8().constData());
        RVXLog(QStringLiteral("error=%1").arg(message));
        return QStringLiteral("%1: %2").arg(target, message);
    }
    return std::nullopt;
}

std::optional<RVXFormatFailure> RVXFormatSequence::saveConfig(const TKUSBDiskEntity& disk) {
    m_savedConfigPath.clear();
    const QString mountPath = disk.mountedURL().toLocalFile();
    const QString source = QDir(mountPath).filePath(kConfigName);
    if (mountPath.isEmpty() || !QFile::exists(source))
        return std::nullopt;
    // Kept where a reboot does not clear it, and kept after the restore: a last resort
    // should anything go wrong later.
    const auto kept = RVXKeptSettings::keepFile(source, disk.volumeName());
    if (const QString* why = std::get_if<QString>(&kept)) {
        return RVXFormatFailure{RVXFormatFailure::Kind::SaveFailed, 0,
                                QStringLiteral("%1 could not be kept: %2").arg(source, *why)};
    }
    m_savedConfigPath = std::get<RVXKeptSettings::Kept>(kept).path;
    RVXLog(QStringLiteral("config.bin kept in %1").arg(m_savedConfigPath));
    return std::nullopt;
}

QString RVXFormatSequence::keptNote() const {
    return m_savedConfigPath.isEmpty()
               ? QString()
               : QStringLiteral("; its settings are kept in %1").arg(m_savedConfigPath);
}

std::optional<RVXFormatFailure> RVXFormatSequence::restoreConfig(const TKUSBDiskEntity& before) {
    const QString keptNote = this->keptNote();
    const auto card = formattedCard(m_disks, before);
    if (!card) {
        const QString message =
            QStringLiteral("%1 was not mounted again%2").arg(before.deviceFilePath(), keptNote);
        RVXLog(QStringLiteral("error=%1").arg(message));
        return RVXFormatFailure{RVXFormatFailure::Kind::RestoreFailed, 0, message};
    }
    if (m_savedConfigPath.isEmpty()) {
        const QString target = QDir(card->mountedURL().toLocalFile()).filePath(kConfigName);
        if (auto error = writeDefaultSettingFile(target))
            return RVXFormatFailure{RVXFormatFailure::Kind::RestoreFailed, 0,
                                    RVXLocalizedString(error->toUtf8().constData())};
        return std::nullopt;
    }
    if (auto error = restoreKeptCopy(m_savedConfigPath, *card))
        return RVXFormatFailure{RVXFormatFailure::Kind::RestoreFailed, 0, *error + keptNote};
    return std::nullopt;
}

std::optional<RVXFormatFailure> RVXFormatSequence::run(const TKUSBDiskEntity& chosen,
                                                       const Show& show) {
    QString why;
    const auto lock = RVXFormatLock::acquire(chosen.deviceFilePath(), &why);
    if (!lock)
        return RVXFormatFailure{RVXFormatFailure::Kind::Busy, 0, why};
    return runLocked(chosen, show);
}

std::optional<RVXFormatFailure> RVXFormatSequence::runLocked(const TKUSBDiskEntity& chosen,
                                                             const Show& show) {
    // The list the user chose from may be stale: ask again right before anything runs.
    const auto checked = cardForDevice(m_disks, chosen.deviceFilePath());
    if (const QString* why = std::get_if<QString>(&checked))
        return RVXFormatFailure{RVXFormatFailure::Kind::NotACard, 0, *why};
    const TKUSBDiskEntity disk = std::get<TKUSBDiskEntity>(checked);
    // Another card in the same reader gets the same device name.
    if (disk.identity() != chosen.identity()) {
        return RVXFormatFailure{
            RVXFormatFailure::Kind::NotACard, 0,
            QStringLiteral("%1 now holds another card (%2, not %3); nothing was changed")
                .arg(disk.deviceFilePath(), disk.identity().describe(),
                     chosen.identity().describe())};
    }
    // A card the system mounted read-only after finding errors is what a format mends;
    // only the device's own write protection stops it.
    if (!disk.deviceWritable()) {
        return RVXFormatFailure{RVXFormatFailure::Kind::WriteProtected, 0,
                                RVXLocalizedString("msg.write_protected_disk")};
    }
    if (auto failure = saveConfig(disk))
        return failure;

    show(QStringLiteral("unmount disk..."));
    // The helper refuses a device still mounted, so a failed unmount ends in its message.
    if (auto error = m_disks.unmountVolume(disk.key()))
        RVXLog(QStringLiteral("unmount %1: %2").arg(disk.deviceFilePath(), *error));

    show(QStringLiteral("formatting..."));
    const RVXCommandResult result = m_privileged.run(helperProgram(), formatArguments(disk));
    if (result.exitStatus != 0) {
        RVXLog(QStringLiteral("ERROR=%1 %2").arg(result.exitStatus).arg(result.standardError));
        m_disks.mountVolume(disk.key());
        // mkfs.fat may have stopped half-way, or the card gone while it wrote: the
        // settings' copy is the user's way back.
        RVXFormatFailure failure = failureOf(result);
        failure.message += keptNote();
        return failure;
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
    return restoreConfig(disk);
}
