// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the privileged format helper checks before it lets mkfs.fat near a device. Plain
// C++ and POSIX, no Qt: it runs as root, and the less it carries the better.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where the helper looks at the system. Outside tests: the real /sys and /proc; a test
// names a folder of its own holding block/<name>/removable, block/<name>/partition and a
// mounts file, and may then name an image file as the device.
struct RVXCardDeviceSystem {
    std::string sysfsRoot = "/sys";
    std::string mountsFile = "/proc/self/mounts";
    bool imageFilesAllowed = false;
};

// What the user chose, as the unprivileged side saw it.
struct RVXCardDeviceExpectation {
    std::string device;
    std::string uuid;
    uint64_t size = 0;
};

// The facts found about the device; whole is true for a medium without partitions.
struct RVXCardDeviceFacts {
    bool whole = false;
    // The medium refuses writes (a card's lock switch).
    bool readOnly = false;
};

// The UUID the system's probing gives a FAT or exFAT filesystem ("1A2B-3C4D"), or the
// NTFS one, read from a boot sector; empty for anything else.
std::string RVXFilesystemUUID(const unsigned char* bootSector, size_t length);

// A mount table's field with its octal escapes ("\040" for a blank) undone.
std::string RVXUnescapeMountField(const std::string& field);

// Checks that the device is a removable medium, not mounted, not beside a system
// filesystem, holding the filesystem and size expected. fd is the device, open for
// reading. Nothing on success, else the reason.
std::optional<std::string> RVXCheckCardDevice(const RVXCardDeviceSystem& system,
                                              const RVXCardDeviceExpectation& expected, int fd,
                                              RVXCardDeviceFacts* facts);
