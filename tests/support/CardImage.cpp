// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardImage.h"

#include "Run.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

namespace {

QString tool(const char* name) {
    QString found = QStandardPaths::findExecutable(QLatin1String(name), {"/usr/sbin", "/sbin"});
    return found.isEmpty() ? QStandardPaths::findExecutable(QLatin1String(name)) : found;
}

// mtools checks the geometry of a real floppy; an image has none worth checking.
const QStringList kMtoolsEnvironment = {QStringLiteral("MTOOLS_SKIP_CHECK=1")};

int le(const QByteArray& bytes, int offset, int width) {
    int value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value * 256 + uint8_t(bytes[offset + i]);
    return value;
}

} // namespace

namespace CardImage {

QString create(const QString& path, qint64 size, const QString& label) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return QStringLiteral("cannot make %1: %2").arg(path, file.errorString());
    file.close();
    const RunResult r = runProgram(tool("mkfs.fat"), {"-F", "32", "-n", label, "-I", path}, 60000);
    return r.exitCode == 0 ? QString() : QString::fromLocal8Bit(r.err);
}

QString put(const QString& image, const QString& file) {
    const RunResult r =
        runProgram(tool("mcopy"), {"-o", "-i", image, file, "::/"}, {}, kMtoolsEnvironment);
    return r.exitCode == 0 ? QString() : QString::fromLocal8Bit(r.err);
}

std::optional<QByteArray> read(const QString& image, const QString& name) {
    QTemporaryDir folder;
    const QString target = folder.filePath(name);
    const RunResult r =
        runProgram(tool("mcopy"), {"-i", image, "::/" + name, target}, {}, kMtoolsEnvironment);
    QFile file(target);
    if (r.exitCode != 0 || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool checks(const QString& image, QString* report) {
    const RunResult r = runProgram(tool("fsck.fat"), {"-n", image}, 60000);
    if (report)
        *report = QString::fromLocal8Bit(r.out + r.err);
    return r.exitCode == 0;
}

BootSector bootSector(const QString& image) {
    QFile file(image);
    BootSector b;
    if (!file.open(QIODevice::ReadOnly))
        return b;
    const QByteArray s = file.read(512);
    if (s.size() < 512)
        return b;
    b.sectorsPerCluster = uint8_t(s[13]);
    b.reservedSectors = le(s, 14, 2);
    b.fats = uint8_t(s[16]);
    b.backupBootSector = le(s, 50, 2);
    b.label = s.mid(71, 11);
    b.fileSystem = s.mid(82, 8);
    return b;
}

} // namespace CardImage
