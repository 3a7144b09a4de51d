// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"
#include "settings/RVXLocalizedString.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RVXInstallStringTable();
    return runCardCommandLine(app.arguments().mid(1));
}
