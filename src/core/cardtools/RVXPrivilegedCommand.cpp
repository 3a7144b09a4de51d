// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXPrivilegedCommand.h"

namespace {

std::shared_ptr<RVXPrivilegedCommand>& sharedCommand() {
    static std::shared_ptr<RVXPrivilegedCommand> command;
    return command;
}

class NoRights : public RVXPrivilegedCommand {
public:
    RVXCommandResult run(const QString&, const QStringList&) override {
        return {kNotAuthorised, QStringLiteral("no way to ask for administrator rights")};
    }
};

} // namespace

RVXPrivilegedCommand::~RVXPrivilegedCommand() = default;

bool RVXPrivilegedCommand::refused(const RVXCommandResult& result) {
    return result.exitStatus == kDismissed || result.exitStatus == kNotAuthorised;
}

RVXPrivilegedCommand& RVXPrivilegedCommand::current() {
    static NoRights none;
    return sharedCommand() ? *sharedCommand() : none;
}

std::shared_ptr<RVXPrivilegedCommand> RVXPrivilegedCommand::currentHeld() {
    if (sharedCommand())
        return sharedCommand();
    return std::shared_ptr<RVXPrivilegedCommand>(std::shared_ptr<RVXPrivilegedCommand>(),
                                                 &current());
}

void RVXPrivilegedCommand::setShared(std::shared_ptr<RVXPrivilegedCommand> command) {
    sharedCommand() = std::move(command);
}
