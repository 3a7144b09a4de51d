// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TempTree.h"

#include <QString>

// What the privileged format helper sees of the system in tests: a tree of its own in
// place of /sys and /proc/self/mounts, in which image files stand for devices. Made
// once a test program; it names the helper of the build tree and the tree to the
// programs the test starts (through the environment).
class FormatHelperSystem {
public:
    FormatHelperSystem();
    // The image as a device: a removable medium or a fixed disk, a whole medium or a
    // partition of one.
    void addDevice(const QString& image, bool removable = true, bool partition = false);
    // The mount table the helper reads.
    void setMounts(const QString& table);
    // The test build of the helper, which takes the tree; and the one that is installed.
    static QString helper();
    static QString installedHelper();

private:
    TempTree m_tree;
};
