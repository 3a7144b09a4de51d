// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/RVXDiskService.h"
#include "core/cardtools/RVXPrivilegedCommand.h"
#include "core/cardtools/TKUSBDiskEntity.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

// Why a format did not end with a ready card.
struct RVXFormatFailure {
    enum class Kind {
        NotACard,       // the device is none of the user's cards (any more), or another
        Busy,           // another format of the device is under way; nothing was changed
        WriteProtected, // the card cannot be written; nothing was changed
        SaveFailed,     // config.bin could not be kept; nothing was changed
        FormatFailed,   // the format did not run or failed; the card is mounted again
        RestoreFailed,  // formatted, but config.bin could not be put back
    };
    Kind kind;
    // The privileged step's exit status for FormatFailed, else 0.
    int errorNumber = 0;
    QString message;
};

// Formats a card as the camera wants it (FAT32 "ZAMO", 2 FATs, backup boot sector 6,
// 32 reserved sectors, 32 or 128 sectors a cluster by its size) and keeps its
// config.bin, or gives it a default one. Shared by the format window and ruvex-card;
// run it off the UI thread.
class RVXFormatSequence {
public:
    using Show = std::function<void(const QString& message)>;

    RVXFormatSequence(RVXDiskService& disks, RVXPrivilegedCommand& privileged);

    // The card the device names, or why it must not be formatted: a device holding a
    // system filesystem (/, /boot, /home, the home folder) or not a USB or SD card.
    static std::variant<TKUSBDiskEntity, QString> cardForDevice(RVXDiskService& disks,
                                                                const QString& device);
    // The privileged helper that checks the device as root and runs mkfs.fat, and its
    // arguments for the card. RUVEX_FORMAT_CARD names another helper (a build tree's).
    static QString helperProgram();
    static QStringList formatArguments(const TKUSBDiskEntity& disk);
    // The helper's own exit statuses.
    static constexpr int kHelperUsage = 64;
    static constexpr int kHelperRefused = 65;
    static constexpr int kHelperWriteProtected = 66;
    static constexpr int kHelperBusy = 75;

    // Puts a kept copy back as the card's config.bin, once the card is mounted again.
    static std::optional<QString> restoreKeptCopy(const QString& keptPath,
                                                  const TKUSBDiskEntity& disk);
    // The card at device after its format: the same drive and size, whatever its new
    // filesystem; nothing when it is not mounted.
    static std::optional<TKUSBDiskEntity> formattedCard(RVXDiskService& disks,
                                                        const TKUSBDiskEntity& before);

    // Checks the card again, keeps config.bin, unmounts, formats, mounts and restores;
    // show receives each step's message before it runs. Nothing on success.
    std::optional<RVXFormatFailure> run(const TKUSBDiskEntity& disk, const Show& show);

    // Where config.bin was kept (see RVXKeptSettings); empty when the card had none. The
    // copy stays; every failure after it was kept names it.
    const QString& savedConfigPath() const { return m_savedConfigPath; }

private:
    std::optional<RVXFormatFailure> saveConfig(const TKUSBDiskEntity& disk);
    std::optional<RVXFormatFailure> restoreConfig(const TKUSBDiskEntity& before);
    // "; its settings are kept in PATH" once config.bin is kept, for every failure after.
    QString keptNote() const;
    std::optional<RVXFormatFailure> runLocked(const TKUSBDiskEntity& chosen, const Show& show);

    RVXDiskService& m_disks;
    RVXPrivilegedCommand& m_privileged;
    QString m_savedConfigPath;
};
