// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXMapPage.h"

#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

void RVXLoadMapPage(QWebEngineView* view) {
    if (!view)
        return;
    // The page is ours, in the resources; its tiles come from the network.
    view->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->load(QUrl(QStringLiteral("qrc:/map/map2_eng.htm")));
}
