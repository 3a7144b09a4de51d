// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-card format: the format window's sequence for scripts that prepare many cards.
#include "cli/CliCommands.h"
#include "core/cardtools/RVXFormatSequence.h"
#include "core/cardtools/RVXKeptSettings.h"
#include "core/support/RVXLocalizedString.h"

namespace {

int usage() {
    cliErr(QStringLiteral("usage: ruvex-card format DEVICE [--yes]\n"));
    return CliUsage;
}

void describe(const TKUSBDiskEntity& card) {
    cliOut(QStringLiteral("%1 %2 (%3)\n")
               .arg(card.deviceFilePath(), card.displayString().trimmed(),
                    card.mountedURL().toLocalFile()));
    cliOut(QStringLiteral("would run: pkexec %1 %2\n")
               .arg(RVXFormatSequence::helperProgram(),
                    RVXFormatSequence::formatArguments(card).join(u' ')));
    cliOut(QStringLiteral("which checks the card again as root and runs: mkfs.fat -a -F 32 -n ZAMO "
                          "-f 2 -b 6 -R 32 -s %1%2 %3\n")
               .arg(clusterSizeByVolumeSizeInKB(card.volumeSize()))
               .arg(card.mediaWhole() ? QStringLiteral(" -I") : QString(), card.deviceFilePath()));
    cliOut(QStringLiteral("config.bin is kept (a copy stays in %1), or a default one written; add "
                          "--yes to format\n")
               .arg(RVXKeptSettings::folder()));
}

} // namespace

int runFormat(const QStringList& args) {
    QString device;
    bool yes = false;
    for (const QString& arg : args) {
        if (arg == u"--yes")
            yes = true;
        else if (device.isEmpty() && !arg.startsWith(u'-'))
            device = arg;
        else
            return usage();
    }
    if (device.isEmpty())
        return usage();
    RVXDiskService& disks = RVXDiskService::current();
    const auto checked = RVXFormatSequence::cardForDevice(disks, device);
    if (const QString* why = std::get_if<QString>(&checked)) {
        cliErr(QStringLiteral("ruvex-card format: %1\n").arg(*why));
        return CliUsage;
    }
    const TKUSBDiskEntity& card = std::get<TKUSBDiskEntity>(checked);
    if (!yes) {
        describe(card);
        return CliOk;
    }
    RVXFormatSequence sequence(disks, RVXPrivilegedCommand::current());
    const auto failure = sequence.run(
        card, [](const QString& message) { cliErr(QStringLiteral("%1\n").arg(message)); });
    if (!failure) {
        cliOut(QStringLiteral("%1 formatted; %2\n")
                   .arg(device, sequence.savedConfigPath().isEmpty()
                                    ? QStringLiteral("a default config.bin written")
                                    : QStringLiteral("config.bin kept (a copy stays in %1)")
                                          .arg(sequence.savedConfigPath())));
        return CliOk;
    }
    cliErr(QStringLiteral("ruvex-card format: %1: %2\n").arg(device, failure->message));
    return failure->kind == RVXFormatFailure::Kind::NotACard ? CliUsage : CliNotFound;
}
