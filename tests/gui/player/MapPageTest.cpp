// SPDX-License-Identifier: GPL-3.0-or-later
// The map page in a real web view.
#include "PlayerTestSupport.h"
#include "support/WebPageTestSupport.h"

#include "gui/player/RVXMapPage.h"
#include "gui/player/RVXMapWindowController.h"

#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
class MapPageTest : public testing::Test {
protected:
    void SetUp() override {
        bool loaded = false, ok = false;
        QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool success) {
            loaded = true;
            ok = success;
        });
        view.resize(334, 300);
        view.show();
        view.load(QUrl(QStringLiteral("qrc:/map/map2_eng.htm")));
        ASSERT_TRUE(waitFor([&] { return loaded; }, 30000));
        ASSERT_TRUE(ok);
    }
    QWebEngineView view;
};
} // namespace

TEST_F(MapPageTest, SetLatLagTakesTheLongitudeFirst) {
    ASSERT_TRUE(evaluate(view.page(), QStringLiteral("rvxMarkerPosition()")).isNull());
    evaluate(view.page(), QStringLiteral("setLatLag('126.970000','37.525000')"));
    const QVariantList position =
        evaluate(view.page(), QStringLiteral("rvxMarkerPosition()")).toList();
    ASSERT_EQ(position.size(), 2);
    EXPECT_DOUBLE_EQ(position[0].toDouble(), 37.525);
    EXPECT_DOUBLE_EQ(position[1].toDouble(), 126.97);
    // The map follows the marker.
    const QVariantList centre =
        evaluate(view.page(), QStringLiteral("[rvxMap.getCenter().lat, rvxMap.getCenter().lng]"))
            .toList();
    EXPECT_NEAR(centre.value(0).toDouble(), 37.525, 0.01);
    EXPECT_NEAR(centre.value(1).toDouble(), 126.97, 0.01);
}

TEST_F(MapPageTest, SouthAndWestAreNegativeAndOnlyNumbersMoveTheMarker) {
    evaluate(view.page(), QStringLiteral("setLatLag('-58.381600','-34.603700')"));
    const QVariantList position =
        evaluate(view.page(), QStringLiteral("rvxMarkerPosition()")).toList();
    EXPECT_DOUBLE_EQ(position.value(0).toDouble(), -34.6037);
    EXPECT_DOUBLE_EQ(position.value(1).toDouble(), -58.3816);
    evaluate(view.page(), QStringLiteral("setLatLag('x','y')"));
    EXPECT_EQ(evaluate(view.page(), QStringLiteral("rvxMarkerPosition()")).toList(), position);
    // Positions alone draw no line: the track comes whole with each recording.
    evaluate(view.page(), QStringLiteral("setLatLag('16.360000','48.200000')"));
    EXPECT_EQ(evaluate(view.page(), QStringLiteral("rvxTrackLength()")).toInt(), 0);
}

TEST_F(MapPageTest, ATrackIsDrawnWholeAndTakenIntoView) {
    evaluate(view.page(), QStringLiteral("setLatLag('126.970000','37.525000')"));
    evaluate(view.page(), QStringLiteral("setTrack([[16.36,48.20],[16.37,48.21],[16.38,48.205]])"));
    EXPECT_EQ(evaluate(view.page(), QStringLiteral("rvxTrackLength()")).toInt(), 3);
    EXPECT_TRUE(evaluate(view.page(), QStringLiteral("rvxMarkerPosition()")).isNull())
        << "the last recording's marker goes with its track";
    EXPECT_TRUE(
        evaluate(view.page(), QStringLiteral("rvxMap.getBounds().contains([48.20,16.36]) "
                                             "&& rvxMap.getBounds().contains([48.21,16.38])"))
            .toBool());
    // A new track replaces the old one; an empty one clears the map.
    evaluate(view.page(), QStringLiteral("setTrack([[-58.38,-34.60],[-58.39,-34.61]])"));
    EXPECT_EQ(evaluate(view.page(), QStringLiteral("rvxTrackLength()")).toInt(), 2);
    evaluate(view.page(), QStringLiteral("setLatLag('-58.385000','-34.605000')"));
    EXPECT_EQ(evaluate(view.page(), QStringLiteral("rvxTrackLength()")).toInt(), 2);
    evaluate(view.page(), QStringLiteral("setTrack([])"));
    EXPECT_EQ(evaluate(view.page(), QStringLiteral("rvxTrackLength()")).toInt(), 0);
    EXPECT_TRUE(evaluate(view.page(), QStringLiteral("rvxMarkerPosition()")).isNull());
}

TEST_F(MapPageTest, DebugTextShowsInTheStatusLine) {
    evaluate(view.page(), QStringLiteral("RVXDebug('GPS Data Count=Zero')"));
    EXPECT_EQ(evaluate(view.page(), QStringLiteral("document.getElementById('status').textContent"))
                  .toString(),
              QStringLiteral("GPS Data Count=Zero"));
    // The attribution of the map data is on the page.
    EXPECT_TRUE(evaluate(view.page(), QStringLiteral("document.body.innerHTML"))
                    .toString()
                    .contains(QStringLiteral("OpenStreetMap")));
}

TEST_F(MainWindowTest, MainWindowLoadsTheMapPageOnceAtStart) {
    ASSERT_TRUE(waitFor([&] {
        return delegate->mapWebView->url() == QUrl(QStringLiteral("qrc:/map/map2_eng.htm"));
    }));
    bool loaded = false;
    QObject::connect(delegate->mapWebView, &QWebEngineView::loadFinished,
                     [&](bool) { loaded = true; });
    waitFor([&] { return loaded; }, 20000);
    delegate->evaluateMapScript(QStringLiteral("setLatLag('126.970000','37.525000')"));
    const QVariantList position =
        evaluate(delegate->mapWebView->page(), QStringLiteral("rvxMarkerPosition()")).toList();
    ASSERT_EQ(position.size(), 2);
    EXPECT_DOUBLE_EQ(position[0].toDouble(), 37.525);
}

TEST(RVXMapWindowController, StandsBesideTheGivenFrameAndShowsThePosition) {
    RVXMapWindowController controller;
    bool loaded = false;
    QObject::connect(controller.mapWebView, &QWebEngineView::loadFinished,
                     [&](bool) { loaded = true; });
    controller.showWindow();
    ASSERT_TRUE(waitFor([&] { return loaded; }, 30000));
    const QSize size = controller.window()->size();
    controller.moveWindowRightBy(QRect(100, 150, 600, 400));
    EXPECT_EQ(controller.window()->pos(), QPoint(700, 150));
    EXPECT_EQ(controller.window()->size(), size);
    controller.updateMapLat(37.525, 126.97);
    const QVariantList position =
        evaluate(controller.mapWebView->page(), QStringLiteral("rvxMarkerPosition()")).toList();
    ASSERT_EQ(position.size(), 2);
    EXPECT_DOUBLE_EQ(position[0].toDouble(), 37.525);
    EXPECT_DOUBLE_EQ(position[1].toDouble(), 126.97);
    // A second position moves the marker, not the window.
    controller.updateMapLat(-33.8688, 151.2093);
    const QVariantList second =
        evaluate(controller.mapWebView->page(), QStringLiteral("rvxMarkerPosition()")).toList();
    EXPECT_DOUBLE_EQ(second.value(0).toDouble(), -33.8688);
    EXPECT_EQ(controller.window()->pos(), QPoint(700, 150));
}

// The drive-log page gives the map window a position right after creating it, long
// before its page has loaded.
TEST(RVXMapWindowController, APositionGivenBeforeThePageIsReadyIsShownOnceItIs) {
    RVXMapWindowController controller;
    controller.updateMapLat(10.0, 20.0);
    controller.updateMapLat(37.525, 126.97);
    ASSERT_FALSE(controller.mapPage()->isReady());
    EXPECT_EQ(controller.mapPage()->pendingScripts(),
              QStringList({QStringLiteral("setLatLag('126.970000','37.525000')")}))
        << "only the newest position waits";
    controller.showWindow();
    ASSERT_TRUE(waitFor([&] { return controller.mapPage()->isReady(); }, 30000));
    EXPECT_TRUE(controller.mapPage()->pendingScripts().isEmpty());
    const QVariantList position =
        evaluate(controller.mapWebView->page(), QStringLiteral("rvxMarkerPosition()")).toList();
    ASSERT_EQ(position.size(), 2);
    EXPECT_DOUBLE_EQ(position[0].toDouble(), 37.525);
}

TEST(RVXAppDelegateMap, TrackAndPositionGivenBeforeThePageIsReadyAreShownOnceItIs) {
    RVXAppDelegate delegate;
    delegate.awakeFromNib();
    delegate.evaluateMapScript(QStringLiteral("setTrack([[16.36,48.20],[16.37,48.21]])"));
    delegate.evaluateMapScript(QStringLiteral("setLatLag('16.370000','48.210000')"));
    ASSERT_FALSE(delegate.mapPage()->isReady());
    EXPECT_EQ(delegate.mapPage()->pendingScripts().size(), 2);
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(waitFor([&] { return delegate.mapPage()->isReady(); }, 30000));
    EXPECT_EQ(evaluate(delegate.mapWebView->page(), QStringLiteral("rvxTrackLength()")).toInt(), 2);
    const QVariantList position =
        evaluate(delegate.mapWebView->page(), QStringLiteral("rvxMarkerPosition()")).toList();
    ASSERT_EQ(position.size(), 2);
    EXPECT_DOUBLE_EQ(position[0].toDouble(), 48.21);
}
