// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/TKUSBDiskEntity.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

TKUSBDiskEntity::TKUSBDiskEntity(QString volumeName, QUrl mountedURL, QString deviceFilePath,
                                 std::optional<QString> deviceModel, uint64_t volumeSize,
                                 bool writable, bool mediaWhole, QString key)
    : m_volumeName(std::move(volumeName))
    , m_mountedURL(std::move(mountedURL))
    , m_deviceFilePath(std::move(deviceFilePath))
    , m_deviceModel(std::move(deviceModel))
    , m_volumeSize(volumeSize)
    , m_writable(writable)
    , m_mediaWhole(mediaWhole)
    , m_key(std::move(key)) {}

QString RVXDiskIdentity::describe() const {
    QStringList parts = {
        QStringLiteral("UUID %1").arg(uuid.isEmpty() ? QStringLiteral("none") : uuid),
        sizeString(size)};
    if (!label.isEmpty())
        parts << label;
    const QString drive = QStringList{model, serial}.join(u' ').trimmed();
    if (!drive.isEmpty())
        parts << drive;
    return parts.join(QStringLiteral(", "));
}

QString TKUSBDiskEntity::displayString() const {
    const QString model = m_deviceModel ? u'<' + *m_deviceModel + u'>' : QString();
    return QStringLiteral("[%1] %2 %3").arg(sizeString(m_volumeSize), m_volumeName, model);
}

QString sizeString(uint64_t n) {
    static constexpr char kUnits[] = "kMGTPEZY";
    if (n < 1024)
        return QStringLiteral("%1 B").arg(n);
    uint64_t q = n, r = 0;
    bool lowerBits = false;
    int divisions = 0;
    do {
        lowerBits = lowerBits || r != 0;
        r = q % 1024;
        q /= 1024;
        ++divisions;
    } while (q >= 1024);
    const char unit = kUnits[divisions - 1];
    const char nextUnit = kUnits[divisions];
    if (q >= 10) {
        // Ties go to the even number unless lower bits break them.
        if (r > 512 || (r == 512 && (q % 2 == 1 || lowerBits)))
            ++q;
        if (q == 1024)
            return QStringLiteral("1.0 %1B").arg(QChar(nextUnit));
        return QStringLiteral("%1 %2B").arg(q).arg(QChar(unit));
    }
    if (r >= 950) {
        // Rounds up to the next whole number; 9.95 and up reads 10.
        ++q;
        return q == 10 ? QStringLiteral("10 %1B").arg(QChar(unit))
                       : QStringLiteral("%1.0 %2B").arg(q).arg(QChar(unit));
    }
    // The decimal digit counts hundreds of 1/1024 parts, not tenths, as the camera tools do.
    uint64_t d = r / 100;
    const uint64_t e = r % 100;
    if (e > 50 || (e == 50 && (d % 2 == 1 || lowerBits)))
        ++d;
    return QStringLiteral("%1.%2 %3B").arg(q).arg(d).arg(QChar(unit));
}

std::optional<TKUSBDiskEntity> findCameraDisk(const QList<TKUSBDiskEntity>& disks) {
    const auto isZamo = [](const TKUSBDiskEntity& d) { return d.volumeName() == u"ZAMO"; };
    const auto hasConfig = [](const TKUSBDiskEntity& d) {
        return QFileInfo::exists(
            QDir(d.mountedURL().toLocalFile()).filePath(QStringLiteral("config.bin")));
    };
    const std::function<bool(const TKUSBDiskEntity&)> passes[] = {
        [&](const TKUSBDiskEntity& d) { return isZamo(d) && d.writable() && hasConfig(d); },
        [&](const TKUSBDiskEntity& d) { return isZamo(d) && d.writable(); },
        [&](const TKUSBDiskEntity& d) { return isZamo(d); },
        [&](const TKUSBDiskEntity& d) { return d.writable(); },
        [&](const TKUSBDiskEntity&) { return true; },
    };
    for (const auto& pass : passes) {
        for (const TKUSBDiskEntity& d : disks) {
            if (pass(d))
                return d;
        }
    }
    return std::nullopt;
}

int clusterSizeByVolumeSizeInKB(uint64_t volumeSizeBytes) {
    return (volumeSizeBytes >> 30) < 7 ? 32 : 128;
}
