// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXSettingPages.h"

#include "RVXBasicPageLogic.h"
#include "RVXVideoPageLogic.h"

QStringList RVXSettingPageNames() {
    return {QStringLiteral("video"), QStringLiteral("basic")};
}

std::unique_ptr<RVXSettingPage> RVXMakeSettingPage(const QString& name) {
    if (name == u"video")
        return std::make_unique<RVXVideoPageLogic>();
    if (name == u"basic")
        return std::make_unique<RVXBasicPageLogic>();
    return nullptr;
}
