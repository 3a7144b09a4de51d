// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-format-card: the one step of a card format that needs root, run through pkexec.
// Between the user's choice and this step lie an unmount and a password prompt with no
// time limit; the card may have been swapped in that time. So the helper checks the
// device again itself, as root, and only then becomes mkfs.fat with fixed arguments,
// handing it the very descriptor it checked. DEVICE must lie under /dev/.
//
//   ruvex-format-card --uuid UUID --size BYTES --cluster 32|128 DEVICE
//
// Exit status: mkfs.fat's own once it runs; 64 for a malformed call, 65 when the device
// is not the card chosen, 66 when it is write-protected, 75 when another format holds it.
#include "platform/RVXCardDeviceCheck.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kUsage = 64;
constexpr int kRefused = 65;
constexpr int kWriteProtected = 66;
constexpr int kBusy = 75;

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "ruvex-format-card: %s\n", message.c_str());
    return status;
}

bool parseSize(const char* text, uint64_t* size) {
    if (!*text)
        return false;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
    }
    errno = 0;
    *size = std::strtoull(text, nullptr, 10);
    return errno == 0 && *size > 0;
}

#ifdef RUVEX_FORMAT_CARD_TEST_BUILD
// The tests' build only: a test names a tree of its own in place of /sys and /proc, in
// which image files stand for devices. Never under pkexec, which gives the program a
// clean environment anyway, and never for a caller who is not root already.
RVXCardDeviceSystem systemToCheck() {
    RVXCardDeviceSystem system;
    const char* root = std::getenv("RUVEX_FORMAT_CARD_TEST_ROOT");
    if (root && *root && !std::getenv("PKEXEC_UID") && getuid() == geteuid()) {
        system.sysfsRoot = root;
        system.mountsFile = std::string(root) + "/mounts";
        system.imageFilesAllowed = true;
    }
    return system;
}
#else
RVXCardDeviceSystem systemToCheck() {
    return {};
}
#endif

// The device as one file, resolved once: every later step goes by the descriptor, so a
// link switched after this moment changes nothing. Nothing of the device's driver runs
// until it is known to be a block device (opening a character device such as a
// watchdog as root has effects of its own). The descriptor returned is open for
// reading and survives exec; -1 with the reason otherwise.
int openDevice(const RVXCardDeviceSystem& system, const std::string& given, std::string* device,
               std::string* why) {
    char resolved[PATH_MAX];
    if (!::realpath(given.c_str(), resolved)) {
        *why = given + ": " + std::strerror(errno);
        return -1;
    }
    *device = resolved;
    if (device->rfind("/dev/", 0) != 0 && !system.imageFilesAllowed) {
        *why = given + " is not a device under /dev/";
        return -1;
    }
    const int pathFd = ::open(resolved, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (pathFd < 0) {
        *why = *device + ": " + std::strerror(errno);
        return -1;
    }
    struct stat checked {};
    if (::fstat(pathFd, &checked) != 0 ||
        !(S_ISBLK(checked.st_mode) || (system.imageFilesAllowed && S_ISREG(checked.st_mode)))) {
        ::close(pathFd);
        *why = *device + " is not a block device";
        return -1;
    }
    // Reopened through the descriptor, not the name: the same file whatever the name
    // means by now.
    const std::string self = "/proc/self/fd/" + std::to_string(pathFd);
    const int fd = ::open(self.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ::close(pathFd);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || opened.st_dev != checked.st_dev ||
        opened.st_ino != checked.st_ino) {
        *why = *device + ": " + (fd < 0 ? std::strerror(errno) : "changed while it was opened");
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

const char* mkfsProgram() {
    return access("/usr/sbin/mkfs.fat", X_OK) == 0 ? "/usr/sbin/mkfs.fat" : "/sbin/mkfs.fat";
}

} // namespace

int main(int argc, char** argv) {
    RVXCardDeviceExpectation expected;
    std::string cluster;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--uuid" && hasValue)
            expected.uuid = argv[++i];
        else if (arg == "--size" && hasValue) {
            if (!parseSize(argv[++i], &expected.size))
                return fail(kUsage, "--size takes a number of bytes");
        } else if (arg == "--cluster" && hasValue)
            cluster = argv[++i];
        else if (expected.device.empty() && arg.rfind('-', 0) != 0)
            expected.device = arg;
        else
            return fail(kUsage, "usage: ruvex-format-card --uuid UUID --size BYTES --cluster "
                                "32|128 DEVICE");
    }
    if (expected.device.empty() || expected.uuid.empty() || expected.size == 0 ||
        (cluster != "32" && cluster != "128"))
        return fail(kUsage, "usage: ruvex-format-card --uuid UUID --size BYTES --cluster "
                            "32|128 DEVICE");

    // Kept open (not close-on-exec) into mkfs.fat, which formats it by that descriptor:
    // the lock lasts as long as the format, and udev leaves a device alone while someone
    // holds it.
    const RVXCardDeviceSystem system = systemToCheck();
    std::string why;
    const int fd = openDevice(system, expected.device, &expected.device, &why);
    if (fd < 0)
        return fail(kRefused, why + "; nothing was changed");
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(kBusy, expected.device + " is being formatted already");

    RVXCardDeviceFacts facts;
    if (auto refusal = RVXCheckCardDevice(system, expected, fd, &facts))
        return fail(kRefused, *refusal + "; nothing was changed");
    if (facts.readOnly)
        return fail(kWriteProtected,
                    expected.device + " is write-protected (Read-only file system)");

    std::vector<std::string> args = {"mkfs.fat", "-a", "-F", "32", "-n", "ZAMO", "-f",
                                     "2",        "-b", "6",  "-R", "32", "-s",   cluster};
    // mkfs.fat refuses a medium without a partition table unless told.
    if (facts.whole)
        args.push_back("-I");
    args.push_back("/proc/self/fd/" + std::to_string(fd));
    std::vector<char*> argvOut;
    for (std::string& a : args)
        argvOut.push_back(a.data());
    argvOut.push_back(nullptr);
    char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
    char locale[] = "LC_ALL=C";
    char* environment[] = {path, locale, nullptr};
    ::execve(mkfsProgram(), argvOut.data(), environment);
    return fail(kRefused, std::string("mkfs.fat could not be started: ") + std::strerror(errno));
}
