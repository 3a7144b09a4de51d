// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// How a program run with administrator rights ended: its exit status (0 for success)
// and what it wrote to standard error.
struct RVXCommandResult {
    int exitStatus = 0;
    QString standardError;
};

// Runs one program with an argument list (never a shell string) with administrator
// rights, which the user grants or refuses. The desktop's way of asking lives in the
// platform layer; tests put a stand-in in its place.
class RVXPrivilegedCommand {
public:
    // Exit statuses of the asking step itself, as polkit's pkexec gives them.
    static constexpr int kDismissed = 126;
    static constexpr int kNotAuthorised = 127;

    virtual ~RVXPrivilegedCommand();
    // Blocks until the program ends; call it off the UI thread.
    virtual RVXCommandResult run(const QString& program, const QStringList& arguments) = 0;

    // Whether the user (or the system) refused the rights rather than the program failing.
    static bool refused(const RVXCommandResult& result);

    // The one the programs use; without one set, every run is refused.
    static RVXPrivilegedCommand& current();
    // The same, held: for work on another thread that may outlive a setShared.
    static std::shared_ptr<RVXPrivilegedCommand> currentHeld();
    static void setShared(std::shared_ptr<RVXPrivilegedCommand> command);
};
