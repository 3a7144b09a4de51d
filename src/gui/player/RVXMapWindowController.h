// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QRect>

#include <utility>
#include <vector>

class QWebEngineView;
class RVXMapPage;
class QWidget;

// A small window of its own with the map page, for showing one position (a row of
// the drive log).
class RVXMapWindowController : public QObject {
    Q_OBJECT
public:
    explicit RVXMapWindowController(QObject* parent = nullptr);
    ~RVXMapWindowController() override;

    QWidget* window() const { return m_window; }
    QWebEngineView* mapWebView = nullptr;
    RVXMapPage* mapPage() const { return m_mapPage; }

    void showWindow();
    // Places the window, keeping its size, with its left edge on frame's right edge
    // and its top level with frame's top.
    void moveWindowRightBy(const QRect& frame);
    void updateMapLat(double latitude, double longitude);
    // A route to draw under the marker: (longitude, latitude) in decimal degrees.
    void setTrack(const std::vector<std::pair<double, double>>& points);

private:
    void windowDidLoad();
    QWidget* m_window = nullptr;
    RVXMapPage* m_mapPage = nullptr;
};
