// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/RVXPrivilegedCommand.h"

// Administrator rights through polkit: the program runs under pkexec, which asks the
// user on the desktop (or in the terminal) for the password.
class RVXPkexec : public RVXPrivilegedCommand {
public:
    RVXCommandResult run(const QString& program, const QStringList& arguments) override;
};
