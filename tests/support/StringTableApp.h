// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/support/RVXLocalizedString.h"

#include <QCoreApplication>

// For core tests that look texts up: one application object for the whole program, with
// the English string table installed. True when the table could be installed.
inline bool startStringTableApp() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return RVXInstallStringTable();
}
