// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "cli/CliJson.h"

#include "core/cardtools/RVXRemovableDisks.h"

#include <algorithm>

namespace {

QByteArray jsonLine(const TKUSBDiskEntity& disk, bool camera) {
    CliJson json;
    json.add("volumeName", disk.volumeName())
        .add("mountedURL", disk.mountedURL().toLocalFile())
        .add("deviceFilePath", disk.deviceFilePath())
        .add("deviceModel", disk.deviceModel())
        .add("volumeSize", int64_t(disk.volumeSize()))
        .add("writable", disk.writable())
        .add("mediaWhole", disk.mediaWhole())
        .add("key", disk.key())
        .add("displayString", disk.displayString())
        .add("camera", camera);
    return json.toJson() + '\n';
}

void printTable(const QList<TKUSBDiskEntity>& disks) {
    QList<QStringList> rows;
    for (const TKUSBDiskEntity& d : disks)
        rows << QStringList{
            d.displayString().trimmed(), d.deviceFilePath(), d.mountedURL().toLocalFile(),
            d.writable() ? QStringLiteral("writable") : QStringLiteral("write-protected")};
    int widths[3] = {};
    for (const QStringList& row : rows) {
        for (int c = 0; c < 3; ++c)
            widths[c] = std::max(widths[c], int(row[c].size()));
    }
    for (const QStringList& row : rows) {
        QString line;
        for (int c = 0; c < 3; ++c)
            line += row[c].leftJustified(widths[c] + 2);
        cliOut(line + row[3] + u'\n');
    }
}

} // namespace

int runDisks(const QStringList& args) {
    bool json = false;
    for (const QString& a : args) {
        if (a == u"--json") {
            json = true;
        } else {
            cliErr(QStringLiteral("usage: ruvex-card disks [--json]\n"));
            return CliUsage;
        }
    }
    const QList<TKUSBDiskEntity> disks = usbDiskEntities();
    if (!json) {
        printTable(disks);
        return CliOk;
    }
    const std::optional<TKUSBDiskEntity> camera = findCameraDisk(disks);
    for (const TKUSBDiskEntity& d : disks)
        cliOut(jsonLine(d, camera && camera->key() == d.key()));
    return CliOk;
}
