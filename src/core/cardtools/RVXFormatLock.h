// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Held while a device is formatted, so that no second format of it starts: from another
// window, another program or ruvex-card. A lock file a device in /run/lock, shared by
// every user; the privileged helper locks the device node itself as well.
class RVXFormatLock {
public:
    RVXFormatLock(RVXFormatLock&& other) noexcept;
    RVXFormatLock& operator=(RVXFormatLock&&) = delete;
    ~RVXFormatLock();

    // The lock on the device, or why it cannot be had (another format holds it).
    static std::optional<RVXFormatLock> acquire(const QString& device, QString* why);
    // Where the lock files lie: /run/lock, else the temporary folder.
    static QString lockFolder();

private:
    explicit RVXFormatLock(int fd);
    int m_fd = -1;
};
