// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXSettingPages.h"

#include "RVXAdasPageLogic.h"
#include "RVXAudioPageLogic.h"
#include "RVXAuxPageLogic.h"
#include "RVXBasicPageLogic.h"
#include "RVXGpsPageLogic.h"
#include "RVXMotionPageLogic.h"
#include "RVXVideoPageLogic.h"

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
