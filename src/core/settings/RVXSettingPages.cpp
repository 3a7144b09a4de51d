// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXSettingPages.h"

#include "core/settings/RVXAdasPageLogic.h"
#include "core/settings/RVXAudioPageLogic.h"
#include "core/settings/RVXAuxPageLogic.h"
#include "core/settings/RVXBasicPageLogic.h"
#include "core/settings/RVXGpsPageLogic.h"
#include "core/settings/RVXMotionPageLogic.h"
#include "core/settings/RVXVideoPageLogic.h"

QStringList RVXSettingPageNames() {
    return {QStringLiteral("video"), QStringLiteral("basic"), QStringLiteral("gps"),
            QStringLiteral("aux"),   QStringLiteral("park"),  QStringLiteral("adas"),
            QStringLiteral("audio")};
}

std::unique_ptr<RVXSettingPage> RVXMakeSettingPage(const QString& name) {
    if (name == u"video")
        return std::make_unique<RVXVideoPageLogic>();
    if (name == u"basic")
        return std::make_unique<RVXBasicPageLogic>();
    if (name == u"gps")
        return std::make_unique<RVXGpsPageLogic>();
    if (name == u"aux")
        return std::make_unique<RVXAuxPageLogic>();
    if (name == u"adas")
        return std::make_unique<RVXAdasPageLogic>();
    if (name == u"park")
        return std::make_unique<RVXMotionPageLogic>();
    if (name == u"audio")
        return std::make_unique<RVXAudioPageLogic>();
    return nullptr;
}
