// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/RVXMapPage.h"

#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <utility>

namespace {
QStringView functionOf(const QString& script) {
    const qsizetype paren = script.indexOf(u'(');
    return paren < 0 ? QStringView(script) : QStringView(script).left(paren);
}
} // namespace

RVXMapPage::RVXMapPage(QWebEngineView* view, QObject* parent)
    : QObject(parent)
    , m_view(view) {
    if (!view)
        return;
    connect(view, &QWebEngineView::loadStarted, this, [this] { m_ready = false; });
    connect(view, &QWebEngineView::loadFinished, this, &RVXMapPage::loadFinished);
    // The page is ours, in the resources; its tiles come from the network.
    view->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->load(QUrl(QStringLiteral("qrc:/map/map2_eng.htm")));
}

void RVXMapPage::evaluate(const QString& script) {
    if (!m_view)
        return;
    if (m_ready) {
        m_view->page()->runJavaScript(script);
        return;
    }
    const QStringView function = functionOf(script);
    m_pending.removeIf([&](const QString& s) { return functionOf(s) == function; });
    m_pending.append(script);
}

void RVXMapPage::loadFinished(bool ok) {
    // A page that failed to load has none of the functions; what waits keeps waiting
    // for a load that works.
    if (!ok || !m_view)
        return;
    m_ready = true;
    const QStringList pending = std::exchange(m_pending, {});
    for (const QString& script : pending)
        m_view->page()->runJavaScript(script);
    Q_EMIT ready();
}
