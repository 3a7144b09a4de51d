// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Progress on the program's launcher entry, where the desktop listens for it: the
// com.canonical.Unity.LauncherEntry signal on the session bus, which KDE Plasma and the
// GNOME docks understand. Without a session bus nothing happens.
class RVXLauncherEntry {
public:
    static QString applicationUri() { return QStringLiteral("application://ruvex-viewer.desktop"); }
    // progress from 0 to 1; visible false takes the bar off the entry.
    static bool update(double progress, bool visible);
};
