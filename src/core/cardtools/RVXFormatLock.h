// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Held while a device is formatted, so that no second format of it starts from another
// window or ruvex-card of the same user: a lock file a device in the user's runtime
// folder, where no other user can plant anything to block it. What keeps two users'
// formats apart is the privileged helper's lock on the device node itself.
class RVXFormatLock {
public:
    RVXFormatLock(RVXFormatLock&& other) noexcept;
    RVXFormatLock& operator=(RVXFormatLock&&) = delete;
    ~RVXFormatLock();

    // The lock on the device, or why it cannot be had (another format holds it, or what
    // lies in its place is not the user's lock file). Never waits.
    static std::optional<RVXFormatLock> acquire(const QString& device, QString* why);
    // Where the lock files lie: $XDG_RUNTIME_DIR when it is the user's alone (0700),
    // else ruvex/locks in the user's cache folder, made 0700.
    static QString lockFolder();
    // The lock file of the device.
    static QString lockPath(const QString& device);

private:
    explicit RVXFormatLock(int fd);
    int m_fd = -1;
};
