// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXKeptSettings.h"

#include "support/TempTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString mode(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return QString::number(st.st_mode & 07777, 8);
}

// Copies of config.bin hold the Wi-Fi password and the plate.
TEST(KeptSettings, CopiesAreReadableByTheUserAlone) {
    TempTree data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.root()));
    QCoreApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QCoreApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    const QString folder = RVXKeptSettings::folder();
    ASSERT_TRUE(folder.startsWith(data.root() + u'/')) << qPrintable(folder);
    // As an earlier version left it: open to all.
    ASSERT_TRUE(QDir().mkpath(folder));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ::umask(022);

    const QByteArray bytes(500, 'k');
    const auto first = RVXKeptSettings::keep(bytes, QStringLiteral("ZAMO"));
    ASSERT_TRUE(std::holds_alternative<RVXKeptSettings::Kept>(first))
        << qPrintable(std::get<QString>(first));
    const QString path = std::get<RVXKeptSettings::Kept>(first).path;
    EXPECT_EQ(mode(folder), QStringLiteral("700"));
    EXPECT_EQ(mode(path), QStringLiteral("600"));
    QFile copy(path);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), bytes);
    EXPECT_TRUE(path.endsWith(QStringLiteral("-ZAMO.bin"))) << qPrintable(path);

    // A second copy within the second is one more file, as private; nothing else is left.
    const QString source = data.file(QStringLiteral("config.bin"), QByteArray(500, 's'));
    const auto second = RVXKeptSettings::keepFile(source, QStringLiteral("ZAMO"));
    ASSERT_TRUE(std::holds_alternative<RVXKeptSettings::Kept>(second));
    const QString other = std::get<RVXKeptSettings::Kept>(second).path;
    EXPECT_NE(other, path);
    EXPECT_EQ(mode(other), QStringLiteral("600"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    qunsetenv("XDG_DATA_HOME");
}

} // namespace
