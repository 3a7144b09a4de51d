// SPDX-License-Identifier: GPL-3.0-or-later
// The demo card's drive as one trip in the real window: the Trips list, playing the trip
// over its borders without a new start, seeking and jumping across them.
#include "TripWindowTest.h"

#include "core/playback/RVXTelemetryReadout.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCVideoView.h"
#include "support/TempTree.h"
#include "widgets/TKSliderMarks.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>

TEST_F(TripWindowTest, TheTripsListShowsTheDriveAndCtrlGSwitchesToIt) {
    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    EXPECT_TRUE(delegate->mediaListTableView->isVisible());
    QTest::keyClick(delegate->window, Qt::Key_G, Qt::ControlModifier);
    QTreeView* view = trips->tripListView();
    ASSERT_TRUE(waitFor([&] { return view->isVisible(); }));
    EXPECT_FALSE(delegate->mediaListTableView->isVisible());
    EXPECT_TRUE(trips->tripsButton()->isChecked());

    QAbstractItemModel* model = view->model();
    ASSERT_EQ(model->rowCount(), 2);
    const auto text = [&](int row, int column, QModelIndex parent = {}) {
        return model->index(row, column, parent).data().toString();
    };
    EXPECT_EQ(text(0, 0), QStringLiteral("2026-03-14"));
    EXPECT_EQ(text(0, 1), QStringLiteral("08:15:00\u201308:15:56"));
    EXPECT_EQ(text(0, 2), QStringLiteral("0:00:56"));
    // The distance comes once the trip's telemetry is read.
    EXPECT_TRUE(waitFor([&] { return text(0, 3).startsWith(QStringLiteral("0.5")); }))
        << qPrintable(text(0, 3));
    const QModelIndex drive = model->index(0, 0);
    ASSERT_EQ(model->rowCount(drive), 4);
    EXPECT_EQ(text(1, 0, drive), QStringLiteral("Motion"));
    EXPECT_EQ(text(2, 1, drive), QStringLiteral("08:15:27"));
    EXPECT_EQ(text(2, 2, drive), QStringLiteral("+0:27"));
    EXPECT_EQ(text(3, 3, drive), QStringLiteral("alwa_20260314_081541_F.MP4"));

    // A double-click on a unit plays the trip from that unit.
    view->expand(drive);
    spin(100);
    // The distance reads whole; a unit's file name is whole in its tooltip.
    EXPECT_TRUE(columnsFit(view, view->header(), 3));
    EXPECT_EQ(model->index(3, 3, drive).data(Qt::ToolTipRole).toString(),
              QStringLiteral("alwa_20260314_081541_F.MP4"));
    const QRect unitRow = view->visualRect(model->index(2, 0, drive));
    ASSERT_TRUE(unitRow.isValid());
    // As a hand does it: a press and release, then the second press.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, unitRow.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, unitRow.center());
    ASSERT_TRUE(
        waitFor([&] { return fileOf(p1()) == QStringLiteral("event_20260314_081527_F.MP4"); }));
    EXPECT_EQ(trips->playingTrip(), std::optional<size_t>(0));
    ASSERT_TRUE(waitFor([&] { return delegate->playInfo()->isPlaying(); }));
    // The slider and the time field span the trip; events and motion are marked on it.
    EXPECT_TRUE(waitFor([&] {
        return delegate->timeField->text().startsWith(QStringLiteral("0:2"));
    })) << qPrintable(delegate->timeField->text());
    EXPECT_TRUE(delegate->timeField->text().contains(QStringLiteral(" / 0:56 08:15:2")))
        << qPrintable(delegate->timeField->text());
    EXPECT_EQ(trips->sliderMarks()->marks().size(), 2u);
    EXPECT_TRUE(trips->sliderMarks()->isVisible());

    QTest::keyClick(delegate->window, Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(waitFor([&] { return delegate->mediaListTableView->isVisible(); }));
    EXPECT_FALSE(view->isVisible());
}

TEST_F(TripWindowTest, PlaysOverEveryBorderWithoutANewStartBothCamerasInStep) {
    playTrip();
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081500_F.MP4"));
    const struct {
        double seekTo;
        const char* front;
        const char* rear;
    } borders[] = {{12.5, "motion_20260314_081515_F.MP4", "motion_20260314_081515_R.MP4"},
                   {24.5, "event_20260314_081527_F.MP4", "event_20260314_081527_R.MP4"},
                   {38.5, "alwa_20260314_081541_F.MP4", nullptr}};
    int handovers = trips->handovers();
    for (const auto& b : borders) {
        SCOPED_TRACE(b.front);
        seekTrip(b.seekTo);
        ASSERT_TRUE(waitFor([&] { return trips->handovers() == handovers + 1; }, 8000));
        ++handovers;
        EXPECT_EQ(fileOf(p1()), QLatin1String(b.front));
        EXPECT_EQ(fileOf(p2()), b.rear ? QLatin1String(b.rear) : QString());
        // No start from nothing: the player ran on at once.
        EXPECT_FALSE(delegate->waitingForPlayStart());
        EXPECT_TRUE(waitFor([&] { return p1()->clockTime().has_value(); }, 2000));
        EXPECT_LT(*p1()->clockTime(), 1500);
        if (b.rear) {
            EXPECT_TRUE(waitFor([&] { return inStep(); }, 3000));
        }
        // The spare views went under, the new ones show.
        EXPECT_TRUE(waitFor([&] { return delegate->video1View->isVisible(); }));
        EXPECT_EQ(delegate->videoContainerView->videoView(), delegate->video1View);
    }
    EXPECT_TRUE(delegate->playInfo()->isPlaying());
    EXPECT_FALSE(delegate->video2View->isVisible());
}

TEST_F(TripWindowTest, SeeksAndJumpsLandInTheUnitAndSecondOfTheTrip) {
    playTrip();
    // 33 s into the trip is 6 s into the event recording (from 08:15:27).
    QElapsedTimer since;
    since.start();
    seekTrip(33);
    ASSERT_TRUE(waitFor([&] {
        return fileOf(p1()) == QStringLiteral("event_20260314_081527_F.MP4") &&
               p1()->clockTime().has_value();
    }));
    EXPECT_EQ(fileOf(p2()), QStringLiteral("event_20260314_081527_R.MP4"));
    // It started at 6 s and has run on since, for no longer than the time gone by.
    EXPECT_TRUE(ranOnFrom(6.0, since.elapsed())) << *p1()->clockTime();
    EXPECT_TRUE(waitFor([&] { return inStep(); }, 3000));
    EXPECT_TRUE(waitFor([&] {
        return delegate->timeField->text().contains(QStringLiteral("08:15:3"));
    })) << qPrintable(delegate->timeField->text());

    // Left goes ten seconds back, across the border into the motion recording.
    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    const double pressedAt = trips->tripSecond();
    since.restart();
    QTest::keyClick(delegate->window, Qt::Key_Left);
    ASSERT_TRUE(waitFor([&] {
        return fileOf(p1()) == QStringLiteral("motion_20260314_081515_F.MP4") &&
               p1()->clockTime().has_value();
    }));
    EXPECT_TRUE(ranOnFrom(pressedAt - 10 - 15, since.elapsed())) << *p1()->clockTime();
    // The slider stands at the trip's second, not the recording's.
    const double slider =
        delegate->videoPositionSlider->value() / double(delegate->videoPositionSlider->maximum());
    EXPECT_NEAR(slider * 56, trips->tripSecond(), 1.0);
    EXPECT_LT(trips->tripSecond(), 27);

    // A row of the Files list is a single recording again.
    delegate->mediaListTableView->selectionModel()->select(
        delegate->mediaListTableView->model()->index(6, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    delegate->changeAndPlay();
    EXPECT_FALSE(trips->playsTrip());
    ASSERT_TRUE(
        waitFor([&] { return fileOf(p1()) == QStringLiteral("alwa_20260314_081541_F.MP4"); }));
    EXPECT_TRUE(trips->sliderMarks()->marks().empty());
}

namespace {
double peak(const std::vector<RVXGSensor>& samples) {
    double most = 0;
    for (const RVXGSensor& s : samples)
        most = std::max(most, std::sqrt(double(s.x * s.x + s.y * s.y + s.z * s.z)));
    return most;
}
} // namespace

TEST_F(TripWindowTest, TheGraphAndTheMapKeepTheWholeTripAtItsEndAndAfterSeeks) {
    ASSERT_TRUE(waitFor([&] { return trips->distanceOf(0).has_value(); }, 30000));
    playTrip();
    ASSERT_TRUE(trips->playingTelemetry().has_value());
    const RVXTripTelemetry whole = *trips->playingTelemetry();
    const QString track = RVXTelemetryReadout::trackScript(whole.track);
    const int trackPoints = int(track.count(QStringLiteral("],["))) + 1;
    ASSERT_GT(trackPoints, 100);
    const auto mapPoints = [&] {
        int points = -1;
        bool done = false;
        delegate->mapWebView->page()->runJavaScript(QStringLiteral("rvxTrackLength()"),
                                                    [&](const QVariant& v) {
                                                        points = v.toInt();
                                                        done = true;
                                                    });
        waitFor([&] { return done; }, 5000);
        return points;
    };
    const auto showsTheWholeTrip = [&]() -> testing::AssertionResult {
        // Each recording's own telemetry is read when it starts, often after it started.
        spin(1500);
        const std::vector<RVXGSensor>& curve = delegate->graphView->values();
        if (curve.size() != whole.gsensors.size() || peak(curve) != peak(whole.gsensors))
            return testing::AssertionFailure()
                   << "the graph holds " << curve.size() << " samples peaking at " << peak(curve)
                   << " g, the trip " << whole.gsensors.size() << " at " << peak(whole.gsensors)
                   << " g";
        if (const int points = mapPoints(); points != trackPoints)
            return testing::AssertionFailure()
                   << "the map's track has " << points << " points, the trip's " << trackPoints;
        return testing::AssertionSuccess();
    };
    EXPECT_TRUE(showsTheWholeTrip()) << "at the start";

    seekTrip(53);
    ASSERT_TRUE(waitFor(
        [&] {
            return fileOf(p1()) == QStringLiteral("alwa_20260314_081541_F.MP4") &&
                   p1()->state() == VLCMediaPlayerStatePaused && trips->tripSecond() > 55;
        },
        15000));
    // The check timer has its turn at the end, a second on.
    spin(1500);
    EXPECT_TRUE(showsTheWholeTrip()) << "at the trip's end";

    seekTrip(10);
    ASSERT_TRUE(waitFor([&] {
        return fileOf(p1()) == QStringLiteral("alwa_20260314_081500_F.MP4") &&
               !delegate->waitingForPlayStart();
    }));
    EXPECT_TRUE(showsTheWholeTrip()) << "after seeking back";
}

TEST_F(TripWindowTest, ADragSeeksWhereItIsLetGoAndAPausedTripStaysPaused) {
    playTrip();
    ASSERT_TRUE(waitFor([&] { return trips->tripSecond() > 1; }));
    // Through the window, as the pointer does it: the press finds the knob by where it is.
    QSlider* slider = delegate->videoPositionSlider;
    QWindow* window = delegate->window->windowHandle();
    const QPoint knob =
        slider->mapTo(delegate->window, sliderPart(slider, QStyle::SC_SliderHandle).center());
    const QRect groove = sliderPart(slider, QStyle::SC_SliderGroove);
    const int targetX =
        slider->mapTo(delegate->window, QPoint(groove.left() + groove.width() * 3 / 4, 0)).x();
    QTest::mousePress(window, Qt::LeftButton, {}, knob);
    ASSERT_TRUE(slider->isSliderDown());
    for (int x = knob.x(); x <= targetX; x += 20)
        QTest::mouseMove(window, QPoint(x, knob.y()));
    QTest::mouseMove(window, QPoint(targetX, knob.y()));
    const int held = slider->sliderPosition();
    // Positions are published about every 0.75 s meanwhile.
    spin(1600);
    EXPECT_EQ(slider->sliderPosition(), held) << "the knob stays under the pointer";
    EXPECT_LT(trips->tripSecond(), 10) << "no seek before the release";
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(targetX, knob.y()));
    const double letGo = held / double(slider->maximum()) * trips->trips()[0].seconds();
    ASSERT_TRUE(waitFor([&] {
        return fileOf(p1()) == QStringLiteral("alwa_20260314_081541_F.MP4") &&
               p1()->clockTime().has_value();
    }));
    EXPECT_NEAR(trips->tripSecond(), letGo, 1.5);

    // Paused, a seek into another recording shows its picture there and stays paused.
    delegate->clickPlayButton();
    ASSERT_TRUE(waitFor([&] { return p1()->state() == VLCMediaPlayerStatePaused; }));
    const auto pausedAt = [&](const char* file, double second) -> testing::AssertionResult {
        if (!waitFor([&] {
                return fileOf(p1()) == QLatin1String(file) && !delegate->waitingForPlayStart();
            }))
            return testing::AssertionFailure() << fileOf(p1()).toStdString() << " on screen";
        // Long enough for a start to show that it plays on.
        spin(1500);
        if (p1()->state() != VLCMediaPlayerStatePaused ||
            p2()->state() != VLCMediaPlayerStatePaused || delegate->playInfo()->isPlaying())
            return testing::AssertionFailure()
                   << "it plays: states " << p1()->state() << ", " << p2()->state();
        if (std::abs(trips->tripSecond() - second) > 0.5 || !delegate->video1View->isVisible())
            return testing::AssertionFailure() << "at " << trips->tripSecond() << " s";
        return testing::AssertionSuccess();
    };
    seekTrip(5);
    EXPECT_TRUE(pausedAt("alwa_20260314_081500_F.MP4", 5));
    EXPECT_TRUE(delegate->timeField->text().startsWith(QStringLiteral("0:0")))
        << qPrintable(delegate->timeField->text());
    // Right, still paused: ten seconds on, into the motion recording at its start.
    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    QTest::keyClick(delegate->window, Qt::Key_Right);
    EXPECT_TRUE(pausedAt("motion_20260314_081515_F.MP4", 15));
    // Play goes on from there.
    delegate->clickPlayButton();
    EXPECT_TRUE(waitFor([&] { return p1()->clockTime() && trips->tripSecond() > 15.5; }));
}

TEST_F(MainWindowTest, ATripGoesOnThroughAPairWhoseFrontWasCutShort) {
    // The demo drive with the motion pair's front cut in half.
    TempTree tree;
    const QDir card(demoCard() + QStringLiteral("/20260314"));
    for (const QFileInfo& f : card.entryInfoList(QDir::Files)) {
        if (f.fileName() == QStringLiteral("motion_20260314_081515_F.MP4")) {
            QFile in(f.absoluteFilePath());
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            tree.file(f.fileName(), in.readAll().left(in.size() / 2));
        } else {
            ASSERT_TRUE(QFile::link(f.absoluteFilePath(), tree.path(f.fileName())));
        }
    }
    open(tree.root());
    RVXTripController* trips = delegate->tripController();
    ASSERT_TRUE(waitFor([&] { return !trips->trips().empty(); }));
    ASSERT_EQ(trips->trips().size(), 1u) << "one drive, the cut recording inside it";
    EXPECT_EQ(trips->trips()[0].seconds(), 56.0);
    // Into the cut pair: its rear plays alone, then the drive goes on to the event pair, its
    // front in the main view again (a rear alone there was no swap to keep).
    trips->playTrip(0, 16);
    ASSERT_TRUE(waitFor(
        [&] {
            return fileOf(delegate->player1) == QStringLiteral("motion_20260314_081515_R.MP4") &&
                   delegate->player1->clockTime().has_value();
        },
        15000));
    EXPECT_TRUE(waitFor(
        [&] {
            return fileOf(delegate->player1) == QStringLiteral("event_20260314_081527_F.MP4") &&
                   delegate->playInfo()->isPlaying();
        },
        20000))
        << qPrintable(fileOf(delegate->player1));
    EXPECT_EQ(trips->playingTrip(), std::optional<size_t>(0));
}
