// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "platform/RVXUDisks2.h"
#include "settings/RVXLocalizedString.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RVXInstallStringTable();
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>());
    return runCardCommandLine(app.arguments().mid(1));
}
