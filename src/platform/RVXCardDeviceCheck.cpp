// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RVXCardDeviceCheck.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

const char* const kSystemMounts[] = {"/", "/boot", "/home", "/usr", "/var"};

std::string hex(const unsigned char* bytes, int count) {
    std::string out;
    char digits[3];
    // Stored little-endian; the probing tools print the most significant byte first.
    for (int i = count - 1; i >= 0; --i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        out += digits;
    }
    return out;
}

std::string serialUUID(const unsigned char* serial) {
    const std::string h = hex(serial, 4);
    return h.substr(0, 4) + "-" + h.substr(4);
}

bool same(const unsigned char* at, const char* text) {
    return std::memcmp(at, text, std::strlen(text)) == 0;
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool hasEntries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isSystemMount(const std::string& target) {
    for (const char* system : kSystemMounts) {
        if (target == system)
            return true;
    }
    return target.rfind("/boot/", 0) == 0;
}

// The sysfs folder of a block device, or of an image file in a test's tree.
std::string sysfsFolder(const RVXCardDeviceSystem& system, const struct stat& st,
                        const std::string& device) {
    if (S_ISBLK(st.st_mode)) {
        return realPath(system.sysfsRoot + "/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                        std::to_string(minor(st.st_rdev)));
    }
    return realPath(system.sysfsRoot + "/block/" + baseName(device));
}

std::string diskFolderOf(const std::string& folder) {
    return exists(folder + "/partition") ? realPath(folder + "/..") : folder;
}

struct Mount {
    std::string source;
    std::string target;
};

std::vector<Mount> readMounts(const std::string& file) {
    std::vector<Mount> mounts;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Mount m;
        if (fields >> m.source >> m.target)
            mounts.push_back({RVXUnescapeMountField(m.source), RVXUnescapeMountField(m.target)});
    }
    return mounts;
}

std::optional<std::string> checkMounts(const RVXCardDeviceSystem& system, const std::string& device,
                                       const struct stat& st, const std::string& diskFolder) {
    const std::string devicePath = realPath(device);
    for (const Mount& m : readMounts(system.mountsFile)) {
        struct stat source {};
        if (::stat(m.source.c_str(), &source) != 0)
            continue;
        const bool itself = S_ISBLK(st.st_mode)
                                ? S_ISBLK(source.st_mode) && source.st_rdev == st.st_rdev
                                : realPath(m.source) == devicePath;
        if (itself)
            return device + " is mounted at " + m.target;
        if (!S_ISBLK(source.st_mode) || !S_ISBLK(st.st_mode) || !isSystemMount(m.target))
            continue;
        // Another partition of the same medium holding the system: not the user's card.
        if (diskFolderOf(sysfsFolder(system, source, m.source)) == diskFolder)
            return device + " shares its disk with " + m.target;
    }
    return std::nullopt;
}

bool removable(const std::string& diskFolder) {
    // A card reader's medium is removable; a built-in reader's card says it is an SD card.
    return firstLine(diskFolder + "/removable") == "1" ||
           firstLine(diskFolder + "/device/type") == "SD";
}

uint64_t sizeOf(int fd, const struct stat& st) {
    if (!S_ISBLK(st.st_mode))
        return uint64_t(st.st_size);
    uint64_t bytes = 0;
    return ::ioctl(fd, BLKGETSIZE64, &bytes) == 0 ? bytes : 0;
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper((unsigned char)a[i]) != std::toupper((unsigned char)b[i]))
            return false;
    }
    return true;
}

} // namespace

std::string RVXFilesystemUUID(const unsigned char* b, size_t length) {
    if (length < 512 || b[510] != 0x55 || b[511] != 0xAA)
        return {};
    if (same(b + 3, "EXFAT   "))
        return serialUUID(b + 100);
    if (same(b + 3, "NTFS    "))
        return hex(b + 72, 8);
    // FAT32 keeps its extended boot record further in than FAT12 and FAT16.
    if (same(b + 82, "FAT32   ") && b[66] == 0x29)
        return serialUUID(b + 67);
    if (same(b + 54, "FAT1") && (b[38] == 0x29 || b[38] == 0x28))
        return serialUUID(b + 39);
    return {};
}

std::string RVXUnescapeMountField(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && std::isdigit((unsigned char)field[i + 1]) &&
            std::isdigit((unsigned char)field[i + 2]) &&
            std::isdigit((unsigned char)field[i + 3])) {
            out += char(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::optional<std::string> RVXCheckCardDevice(const RVXCardDeviceSystem& system,
                                              const RVXCardDeviceExpectation& expected, int fd,
                                              RVXCardDeviceFacts* facts) {
    const std::string& device = expected.device;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return device + " cannot be examined";
    if (!S_ISBLK(st.st_mode) && !(system.imageFilesAllowed && S_ISREG(st.st_mode)))
        return device + " is not a block device";
    const std::string folder = sysfsFolder(system, st, device);
    if (folder.empty())
        return device + " is unknown to the system";
    const std::string disk = diskFolderOf(folder);
    if (!removable(disk))
        return device + " is not a removable medium";
    if (hasEntries(folder + "/holders") || hasEntries(disk + "/holders"))
        return device + " is in use by another device";
    if (auto mounted = checkMounts(system, device, st, disk))
        return mounted;
    const uint64_t size = sizeOf(fd, st);
    if (size != expected.size) {
        return device + " holds " + std::to_string(size) + " bytes, not the " +
               std::to_string(expected.size) + " of the card chosen";
    }
    unsigned char boot[512];
    const ssize_t got = ::pread(fd, boot, sizeof boot, 0);
    const std::string uuid =
        got == ssize_t(sizeof boot) ? RVXFilesystemUUID(boot, sizeof boot) : std::string();
    if (expected.uuid.empty() || !equalIgnoringCase(uuid, expected.uuid)) {
        return device + " holds the filesystem " + (uuid.empty() ? "(none known)" : uuid) +
               ", not " + expected.uuid + " of the card chosen";
    }
    if (facts) {
        facts->whole = folder == disk;
        int readOnly = 0;
        facts->readOnly = S_ISBLK(st.st_mode) ? ::ioctl(fd, BLKROGET, &readOnly) == 0 && readOnly
                                              : ::access(device.c_str(), W_OK) != 0;
    }
    return std::nullopt;
}
