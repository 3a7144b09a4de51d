// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

// A file read once, its SHA-256 worked out on the way: copied into the library under a
// hidden name in its folder, forced to the disk and only then given its own name, so a
// file under its own name is always whole; or only hashed.
class RVXLibraryFileCopy {
public:
    enum class Error { None, Source, Target, DiskFull, Cancelled };
    struct Result {
        Error error = Error::None;
        QString message;
        // Lower-case hex; empty on failure.
        QString sha256;
        int64_t size = 0;
    };
    // Bytes read since the last call.
    using Progress = std::function<void(int64_t bytes)>;

    // A stop at any point leaves no file under name; a hidden one may be left behind
    // (temporaryName), which a later import removes.
    static Result copy(const QString& source, const QString& folder, const QString& name,
                       const Progress& progress = {}, const std::atomic<bool>* cancel = nullptr);
    // The two halves of copy: write leaves the hidden file open (fd) and not yet forced to
    // the disk; place forces it, closes it and gives it its name, the folder not synced.
    static Result write(const QString& source, const QString& folder, const QString& name, int* fd,
                        const Progress& progress = {}, const std::atomic<bool>* cancel = nullptr);
    static Result place(int fd, const QString& folder, const QString& name);
    static Result hash(const QString& path, const Progress& progress = {},
                       const std::atomic<bool>* cancel = nullptr);
    // ".<name>.part": hidden from file managers and from the catalogue's walk.
    static QString temporaryName(const QString& name);
    static bool isTemporaryName(const QString& name);
    // Makes a rename or an unlink in folder survive a power loss.
    static bool syncFolder(const QString& folder);
};
