// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings/RVXSettingPage.h"

#include <memory>

// The pages built so far, by the names ruvex-card takes ("video", "basic", ...), in the
// editor's segment order.
QStringList RVXSettingPageNames();
std::unique_ptr<RVXSettingPage> RVXMakeSettingPage(const QString& name);
