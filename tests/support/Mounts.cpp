// SPDX-License-Identifier: GPL-3.0-or-later
#include "Mounts.h"

#include "Run.h"

#include <QDir>

bool TestMount::run(const QStringList& args) {
    const RunResult r = runProgram(QStringLiteral("mount"), args, 30000);
    if (r.exitCode == 0)
        return true;
    m_error = QString::fromLocal8Bit(r.err).trimmed();
    if (m_error.isEmpty())
        m_error = QStringLiteral("mount could not be run");
    return false;
}

TestMount TestMount::tmpfs(const QString& folder, qint64 bytes) {
    TestMount m;
    m.m_folder = folder;
    QDir().mkpath(folder);
    m.m_ok = m.m_mounted =
        m.run({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
               QStringLiteral("size=%1").arg(bytes), QStringLiteral("tmpfs"), folder});
    return m;
}

TestMount TestMount::readOnly(const QString& folder) {
    TestMount m;
    m.m_folder = folder;
    if (!m.run({QStringLiteral("--bind"), folder, folder}))
        return m;
    m.m_mounted = true;
    m.m_ok = m.run({QStringLiteral("-o"), QStringLiteral("remount,ro,bind"), folder});
    return m;
}

TestMount::TestMount(TestMount&& other) noexcept
    : m_folder(std::move(other.m_folder))
    , m_mounted(other.m_mounted)
    , m_ok(other.m_ok)
    , m_error(std::move(other.m_error)) {
    other.m_mounted = false;
}

TestMount::~TestMount() {
    if (m_mounted)
        runProgram(QStringLiteral("umount"), {m_folder}, 30000);
}
