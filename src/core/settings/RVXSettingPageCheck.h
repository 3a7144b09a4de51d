// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/_FILEDATA.h"

#include <QString>

#include <optional>

// Whether the settings pages take a record as it stands: a page that refuses it, shows a
// stored value as no entry, or would store one of the changed fields back as something
// else. Only what is new against `before` counts, so a file that was already off in one
// place can still be changed in another. Nothing when every page takes it, else why not.
std::optional<QString> RVXSettingPagesRefusal(const _FILEDATA& before, const _FILEDATA& after);
