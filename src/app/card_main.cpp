// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "core/support/RVXLocalizedString.h"
#include "platform/RVXPkexec.h"
#include "platform/RVXUDisks2.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The viewer's names, so that both keep settings copies in one folder.
    QCoreApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QCoreApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    RVXInstallStringTable();
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>());
    RVXPrivilegedCommand::setShared(std::make_shared<RVXPkexec>());
    return runCardCommandLine(app.arguments().mid(1));
}
