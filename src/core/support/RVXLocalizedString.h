// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The string table "InfoPlist": user-visible texts looked up by key. Without the
// table installed a lookup gives the key itself.
QString RVXLocalizedString(const char* key);
// Installs the English table into the running application; true when it was found.
bool RVXInstallStringTable();
