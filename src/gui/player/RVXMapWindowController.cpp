// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/RVXMapWindowController.h"

#include "core/playback/RVXTelemetryReadout.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/RVXMapPage.h"
#include "widgets/RVXPageHelpers.h"

#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>

RVXMapWindowController::RVXMapWindowController(QObject* parent)
    : QObject(parent)
    , m_window(new QWidget(nullptr, Qt::Window)) {
    m_window->setObjectName(QStringLiteral("RVXMapWindowController"));
    m_window->setWindowTitle(withoutMnemonic(RVXLocalizedString("action.show_map")));
    m_window->resize(480, 400);
    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 0, 0, 0);
    mapWebView = new QWebEngineView(m_window);
    mapWebView->setObjectName(QStringLiteral("mapWebView"));
    layout->addWidget(mapWebView);
    windowDidLoad();
}

RVXMapWindowController::~RVXMapWindowController() {
    delete m_window;
}

void RVXMapWindowController::windowDidLoad() {
    const QRect f = m_window->frameGeometry();
    RVXLog(QStringLiteral("{{%1, %2}, {%3, %4}}")
               .arg(f.x())
               .arg(f.y())
               .arg(f.width())
               .arg(f.height()));
    m_mapPage = new RVXMapPage(mapWebView, this);
}

void RVXMapWindowController::showWindow() {
    m_window->show();
    m_window->raise();
}

void RVXMapWindowController::moveWindowRightBy(const QRect& frame) {
    m_window->move(frame.x() + frame.width(), frame.y());
    // Beside the editor, but never off the screen.
    keepInsideScreen(m_window);
}

void RVXMapWindowController::updateMapLat(double latitude, double longitude) {
    m_mapPage->evaluate(RVXTelemetryReadout::setLatLagScript(longitude, latitude));
}

void RVXMapWindowController::setTrack(const std::vector<std::pair<double, double>>& points) {
    m_mapPage->evaluate(RVXTelemetryReadout::trackScript(points));
}
