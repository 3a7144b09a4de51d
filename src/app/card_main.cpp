// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "core/support/RVXLocalizedString.h"
#include "platform/RVXPkexec.h"
#include "platform/RVXUDisks2.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    // The evidence sheet is a PDF with text, which needs the fonts of a GUI application;
    // it needs no display.
    const bool drawing = argc > 1 && std::strcmp(argv[1], "evidence") == 0;
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application;
    if (drawing)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    // The viewer's names, so that both keep settings copies in one folder.
    QCoreApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QCoreApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    RVXInstallStringTable();
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>());
    RVXPrivilegedCommand::setShared(std::make_shared<RVXPkexec>());
    return runCardCommandLine(app.arguments().mid(1));
}
