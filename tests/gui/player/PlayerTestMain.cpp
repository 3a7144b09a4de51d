// SPDX-License-Identifier: GPL-3.0-or-later
// The window tests run in a real application on an X server (ctest starts them under
// xvfb-run); listing the tests needs neither.
#include "core/support/RVXLocalizedString.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <unistd.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("RUVEX_VLC_OPTIONS"))
        qputenv("RUVEX_VLC_OPTIONS", "--aout=adummy");
    // Each test program gets user defaults of its own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("RUVEX_LOG_STDERR", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    RVXInstallStringTable();
    return RUN_ALL_TESTS();
}
