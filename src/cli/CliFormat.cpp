// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-card format: the format window's sequence for scripts that prepare many cards.
#include "cli/CliCommands.h"
#include "core/cardtools/RVXFormatSequence.h"
#include "core/cardtools/RVXKeptSettings.h"
#include "core/support/RVXLocalizedString.h"

namespace {

int usage() {
    cliErr(QStringLiteral("usage: ruvex-card format DEVICE [--yes | --restore KEPT]\n"));
    return CliUsage;
}

// The window's Restore: a kept copy of config.bin back on the card.
int restore(const TKUSBDiskEntity& card, const QString& kept) {
    if (auto error = RVXFormatSequence::restoreKeptCopy(kept, card)) {
        cliErr(QStringLiteral("ruvex-card format: %1\n").arg(*error));
        return CliNotFound;
    }
    cliOut(QStringLiteral("%1 put back as %2/config.bin\n")
               .arg(kept, card.mountedURL().toLocalFile()));
    return CliOk;
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
    std::optional<QString> kept;
    bool yes = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--yes")
            yes = true;
        else if (arg == u"--restore" && i + 1 < args.size() && !kept)
            kept = args[++i];
        else if (device.isEmpty() && !arg.startsWith(u'-'))
            device = arg;
        else
            return usage();
    }
    if (device.isEmpty() || (yes && kept))
        return usage();
    RVXDiskService& disks = RVXDiskService::current();
    const auto checked = RVXFormatSequence::cardForDevice(disks, device);
    if (const QString* why = std::get_if<QString>(&checked)) {
        cliErr(QStringLiteral("ruvex-card format: %1\n").arg(*why));
        return CliUsage;
    }
    const TKUSBDiskEntity& card = std::get<TKUSBDiskEntity>(checked);
    if (kept)
        return restore(card, *kept);
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
    if (!sequence.savedConfigPath().isEmpty()) {
        cliErr(QStringLiteral("put the settings back, once the card is mounted, with: ruvex-card "
                              "format %1 --restore %2\n")
                   .arg(device, sequence.savedConfigPath()));
    }
    return failure->kind == RVXFormatFailure::Kind::NotACard ? CliUsage : CliNotFound;
}
