// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RVXDiskService.h"
#include "RVXPrivilegedCommand.h"
#include "TKUSBDiskEntity.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

// Why a format did not end with a ready card.
struct RVXFormatFailure {
    enum class Kind {
        NotACard,       // the device is none of the user's cards (any more)
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
    // The filesystem tool and its arguments for the card.
    static QString mkfsProgram();
    static QStringList formatArguments(const TKUSBDiskEntity& disk);

    // Checks the card again, keeps config.bin, unmounts, formats, mounts and restores;
    // show receives each step's message before it runs. Nothing on success.
    std::optional<RVXFormatFailure> run(const TKUSBDiskEntity& disk, const Show& show);

    // Where config.bin was kept; empty when the card had none. The copy stays.
    const QString& savedConfigPath() const { return m_savedConfigPath; }

private:
    std::optional<RVXFormatFailure> saveConfig(const TKUSBDiskEntity& disk);
    std::optional<RVXFormatFailure> restoreConfig(const QString& device);

    RVXDiskService& m_disks;
    RVXPrivilegedCommand& m_privileged;
    QString m_savedConfigPath;
};
