// SPDX-License-Identifier: GPL-3.0-or-later
// Playback of the demo card's recordings with real decoding.
#include "PlayerTestSupport.h"
#include "core/playback/RVXTelemetryReadout.h"
#include "core/telemetry/RVXBlackBoxData.h"

#include "gui/player/GraphView.h"
#include "gui/player/RVXMapPage.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCVideoView.h"
#include "support/TempTree.h"
#include "support/WebPageTestSupport.h"
#include "widgets/TKImageButton.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
// Demo card rows: 0/1 continuous pair, 2/3 motion pair, 4/5 event pair (15, 12, 14 s),
// 6 a lone front (15 s), 7 a lone rear (12 s).
QString fileOf(const VLCMediaPlayer* player) {
    return player->media() ? QFileInfo(player->media()->path()).fileName() : QString();
}

class PlaybackTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        open(demoCard());
    }
    VLCMediaPlayer* p1() { return delegate->player1; }
    VLCMediaPlayer* p2() { return delegate->player2; }
    bool pausedNear(VLCMediaPlayer* p, float position) {
        return p->state() == VLCMediaPlayerStatePaused && p->position() >= position;
    }
    void selectRow(int row) {
        QTableView* table = delegate->mediaListTableView;
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::ClearAndSelect |
                                            QItemSelectionModel::Rows);
    }
};
} // namespace

TEST_F(PlaybackTest, APairPlaysInBothViews) {
    playAndWait(0);
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_EQ(fileOf(p2()), QStringLiteral("alwa_20260314_081500_R.MP4"));
    ASSERT_TRUE(waitFor([&] { return delegate->isPlaying(p2()); }));
    // The views follow the players' reports, which arrive a moment after their states.
    EXPECT_TRUE(waitFor([&] { return delegate->video1View->isVisible(); }));
    EXPECT_TRUE(waitFor([&] { return delegate->video2View->isVisible(); }));
    EXPECT_TRUE(delegate->audioToggleButton->isVisible());
    // The pictures do not wait for the telemetry, read on a worker meanwhile.
    EXPECT_TRUE(waitFor([&] { return !delegate->graphView->values().empty(); }, 3000));
    EXPECT_EQ(delegate->playButton->imageName(), QStringLiteral("icon_pause_n"));
    // The telemetry of the front recording: the demo card records ten samples a second.
    EXPECT_EQ(delegate->blackBoxData().m_GSensors.size(), 150u);
    // The front is heard, the rear is not.
    EXPECT_EQ(delegate->playInfo()->audioMediaDirection(), 0u);
    EXPECT_FALSE(p1()->audio()->isMuted());
    EXPECT_TRUE(p2()->audio()->isMuted());
    EXPECT_EQ(p1()->audio()->volume(), 70);
    // Positions are published as playback goes on.
    ASSERT_TRUE(waitFor([&] { return delegate->playInfo()->position() > 0.1; }));
    EXPECT_GT(delegate->videoPositionSlider->value(), 0);
    EXPECT_GT(delegate->playInfo()->scale(), 0);
    EXPECT_TRUE(delegate->sizeTextButton->text().endsWith('x'));
}

TEST_F(PlaybackTest, ALoneRecordingPlaysAlone) {
    playAndWait(6);
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081541_F.MP4"));
    EXPECT_FALSE(p2()->media());
    EXPECT_FALSE(delegate->video2View->isVisible());
    EXPECT_FALSE(delegate->audioToggleButton->isVisible());
    EXPECT_TRUE(delegate->video1View->isVisible());
    // Swapping needs two players.
    delegate->swapPlayer();
    EXPECT_FALSE(delegate->swapping());
}

TEST_F(PlaybackTest, ALoneRearRecordingReadsItsOwnTelemetry) {
    playAndWait(7);
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260315_174200_R.MP4"));
    // Its own track, there being no front recording to read.
    RVXBlackBoxData own;
    ASSERT_TRUE(own.ExtractStreamInformation(QFile::encodeName(p1()->media()->path()).constData()));
    ASSERT_GT(own.m_GSensors.size(), 100u);
    EXPECT_TRUE(waitFor(
        [&] { return delegate->blackBoxData().m_GSensors.size() == own.m_GSensors.size(); }, 3000));
    EXPECT_FALSE(delegate->graphView->values().empty());
    EXPECT_EQ(delegate->playInfo()->audioMediaDirection(), 1u);
    ASSERT_TRUE(waitFor([&] { return delegate->playInfo()->position() > 0.2; }));
    EXPECT_TRUE(delegate->speedField->text().endsWith(QStringLiteral(" Km/h")))
        << qPrintable(delegate->speedField->text());
}

TEST_F(PlaybackTest, StartingWhileAStartIsPendingIsIgnored) {
    ASSERT_TRUE(delegate->playAtIndex(0));
    EXPECT_FALSE(delegate->playAtIndex(2));
    EXPECT_EQ(delegate->mediaIndex(), 0);
    ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart(); }));
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081500_F.MP4"));
    // An index past the end plays the last row.
    ASSERT_TRUE(delegate->playAtIndex(99));
    EXPECT_EQ(delegate->mediaIndex(), 7);
}

TEST_F(PlaybackTest, DoubleClickOnThePausedRowRestartsBothAtZero) {
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] { return p1()->time().intValue() > 2500; }));
    delegate->clickPlayButton();
    ASSERT_TRUE(waitFor([&] { return pausedNear(p1(), 0) && pausedNear(p2(), 0); }));
    EXPECT_TRUE(waitFor([&] { return !delegate->playInfo()->isPlaying(); }));
    EXPECT_EQ(delegate->playButton->imageName(), QStringLiteral("icon_play_n"));
    selectRow(0);
    delegate->changeAndPlay();
    ASSERT_TRUE(waitFor([&] { return p1()->isPlaying() && p2()->isPlaying(); }));
    EXPECT_LT(p1()->time().intValue(), 1500);
    EXPECT_LT(p2()->time().intValue(), 1500);
    EXPECT_EQ(delegate->mediaIndex(), 0);
}

TEST_F(PlaybackTest, SliderReleaseNearTheEndMovesBothToTheEnd) {
    playAndWait(0);
    // Seeks while libVLC still prepares the first frames can be lost; users cannot be
    // that quick.
    ASSERT_TRUE(waitFor([&] { return p1()->time().intValue() > 1000; }));
    delegate->videoPositionSlider->setValue(99850);
    EXPECT_FALSE(delegate->moving());
    ASSERT_TRUE(waitFor([&] { return pausedNear(p1(), 0.98f) && pausedNear(p2(), 0.98f); }));
    EXPECT_FALSE(delegate->isPlaying(p1()));
}

TEST_F(PlaybackTest, SliderSeekMovesBothPlayersTogether) {
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] { return p1()->time().intValue() > 1000; }));
    delegate->videoPositionSlider->setValue(50000);
    EXPECT_TRUE(delegate->moving());
    EXPECT_DOUBLE_EQ(delegate->movingPosition(), 0.5);
    EXPECT_DOUBLE_EQ(delegate->playInfo()->position(), 0.5);
    ASSERT_TRUE(waitFor([&] { return !delegate->moving(); }));
    spin(800);
    const int64_t t1 = p1()->time().intValue(), t2 = p2()->time().intValue();
    EXPECT_GT(t1, 7000);
    // The players report their times in steps of their own; the bench measures the
    // agreement finely.
    EXPECT_LT(std::abs(t1 - t2), 700) << t1 << " " << t2;
}

TEST_F(PlaybackTest, JumpsNearTheEnds) {
    playAndWait(0);
    // Within the first 10 seconds the backward jump goes to the start.
    ASSERT_TRUE(waitFor([&] { return p1()->time().intValue() > 1500; }));
    delegate->jumpBackward();
    spin(300);
    EXPECT_LT(p1()->time().intValue(), 1200);
    EXPECT_LT(p2()->time().intValue(), 1200);
    // With more than 10 seconds left the forward jump moves 10 seconds on.
    delegate->jumpForward();
    EXPECT_TRUE(delegate->moving());
    delegate->jumpForward(); // ignored while moving
    ASSERT_TRUE(waitFor([&] { return !delegate->moving(); }));
    spin(500);
    EXPECT_GT(p1()->time().intValue(), 10000);
    EXPECT_LT(p1()->time().intValue(), 13500);
    // Less than 10 seconds left: both go to the end.
    delegate->jumpForward();
    EXPECT_FALSE(delegate->moving());
    ASSERT_TRUE(waitFor([&] { return pausedNear(p1(), 0.99f) && pausedNear(p2(), 0.99f); }));
}

// libVLC's published times lag by up to a quarter second; the running clocks show
// where the pictures are.
TEST_F(PlaybackTest, AfterAJumpTheRearRunsInStepWithTheFront) {
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] { return p1()->clockTime() && p1()->time().intValue() > 1000; }));
    EXPECT_GE(*p1()->clockTime(), p1()->time().intValue());
    EXPECT_LT(*p1()->clockTime() - p1()->time().intValue(), 300);
    delegate->jumpForward();
    // A seek's first report is only its target.
    EXPECT_FALSE(p1()->clockTime());
    ASSERT_TRUE(waitFor([&] { return !delegate->moving(); }));
    spin(1500);
    ASSERT_TRUE(p1()->clockTime() && p2()->clockTime());
    EXPECT_GT(*p1()->clockTime(), 11000);
    EXPECT_LT(std::abs(*p1()->clockTime() - *p2()->clockTime()), 120)
        << *p1()->clockTime() << " " << *p2()->clockTime();
    delegate->clickPlayButton();
    ASSERT_TRUE(waitFor([&] { return p1()->state() == VLCMediaPlayerStatePaused; }));
    EXPECT_FALSE(p1()->clockTime());
}

TEST_F(PlaybackTest, PlayAtTheVeryEndReloadsTheSameRecording) {
    playAndWait(6);
    ASSERT_TRUE(waitFor([&] { return p1()->time().intValue() > 1000; }));
    delegate->videoPositionSlider->setValue(100000);
    ASSERT_TRUE(waitFor([&] { return pausedNear(p1(), 0.998f); }));
    ASSERT_TRUE(waitFor([&] { return !delegate->playInfo()->isPlaying(); }));
    delegate->clickPlayButton();
    EXPECT_TRUE(delegate->waitingForPlayStart());
    ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart() && p1()->isPlaying(); }));
    EXPECT_LT(p1()->time().intValue(), 2000);
    // The move to the next recording that the end had scheduled does not follow.
    spin(2500);
    EXPECT_EQ(delegate->mediaIndex(), 6);
    EXPECT_TRUE(p1()->isPlaying());
}

TEST_F(PlaybackTest, SwapOnlyWhileBothReallyPlay) {
    playAndWait(0);
    ASSERT_TRUE(
        waitFor([&] { return p1()->time().intValue() > 1500 && delegate->isPlaying(p2()); }));
    delegate->clickPlayButton();
    ASSERT_TRUE(waitFor([&] {
        return pausedNear(p1(), 0) && pausedNear(p2(), 0) && !delegate->playInfo()->isPlaying();
    }));
    delegate->swapPlayer();
    EXPECT_FALSE(delegate->swapping());
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081500_F.MP4"));

    delegate->clickPlayButton();
    ASSERT_TRUE(waitFor([&] { return delegate->isPlaying(p1()) && delegate->isPlaying(p2()); }));
    delegate->swapPlayer();
    EXPECT_TRUE(delegate->swapping());
    EXPECT_TRUE(delegate->moving());
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081500_R.MP4"));
    EXPECT_EQ(fileOf(p2()), QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_TRUE(p1()->audio()->isMuted());
    EXPECT_TRUE(p2()->audio()->isMuted());
    // A second swap during the first is ignored.
    delegate->swapPlayer();
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081500_R.MP4"));
    ASSERT_TRUE(waitFor([&] { return !delegate->swapping(); }, 4000));
    // The front is still the side heard, now from the second player.
    EXPECT_EQ(delegate->playInfo()->audioMediaDirection(), 0u);
    EXPECT_TRUE(p1()->audio()->isMuted());
    EXPECT_FALSE(p2()->audio()->isMuted());
    EXPECT_EQ(delegate->video1View->geometry(), delegate->videoContainerView->rect());
}

TEST_F(PlaybackTest, RateAndVolumeSteps) {
    playAndWait(0);
    delegate->increaseSpeed();
    EXPECT_DOUBLE_EQ(delegate->playInfo()->speed(), 2.0);
    EXPECT_FLOAT_EQ(p1()->rate(), 2.0f);
    EXPECT_FLOAT_EQ(p2()->rate(), 2.0f);
    EXPECT_EQ(delegate->speedTextButton->text(), QStringLiteral("2.0x"));
    delegate->increaseSpeed();
    EXPECT_DOUBLE_EQ(delegate->playInfo()->speed(), 2.0);
    delegate->decreaseSpeed();
    EXPECT_DOUBLE_EQ(delegate->playInfo()->speed(), 1.0);
    EXPECT_FLOAT_EQ(p1()->rate(), 1.0f);
    delegate->decreaseSpeed();
    EXPECT_DOUBLE_EQ(delegate->playInfo()->speed(), 1.0);
    EXPECT_EQ(delegate->speedTextButton->text(), QStringLiteral("1.0x"));

    delegate->setVolume(195);
    delegate->volumeUp();
    EXPECT_EQ(delegate->volume(), 200u);
    EXPECT_EQ(delegate->volumeSlider->value(), 200);
    EXPECT_EQ(p1()->audio()->volume(), 200);
    delegate->setVolume(5);
    delegate->volumeDown();
    EXPECT_EQ(delegate->volume(), 0u);
    EXPECT_EQ(p1()->audio()->volume(), 0);
    delegate->volumeSlider->setValue(120);
    EXPECT_EQ(delegate->volume(), 120u);
    // The heard side follows the toggle.
    delegate->clickAudioToggle();
    EXPECT_EQ(delegate->playInfo()->audioMediaDirection(), 1u);
    EXPECT_TRUE(p1()->audio()->isMuted());
    EXPECT_FALSE(p2()->audio()->isMuted());
    EXPECT_EQ(p2()->audio()->volume(), 120);
}

TEST_F(PlaybackTest, NextRecordingIsTwoRowsOnForAPairAndOneForALoneOne) {
    playAndWait(4);
    ASSERT_TRUE(delegate->playNext());
    EXPECT_EQ(delegate->mediaIndex(), 6);
    ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart(); }));
    // From the rear of a pair the next row is the next recording.
    playAndWait(5);
    ASSERT_TRUE(delegate->playNext());
    EXPECT_EQ(delegate->mediaIndex(), 6);
}

TEST_F(PlaybackTest, ALoneRecordingInTheMiddleIsFollowedByTheNextRow) {
    TempTree tree;
    const QDir card(demoCard() + QStringLiteral("/20260314"));
    // Pairs at 0/1 and 2/3, a lone event front at 4, a lone continuous front at 5.
    for (const char* name : {"alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4",
                             "motion_20260314_081515_F.MP4", "motion_20260314_081515_R.MP4",
                             "event_20260314_081527_F.MP4", "alwa_20260314_081541_F.MP4"})
        ASSERT_TRUE(
            QFile::link(card.filePath(QLatin1String(name)), tree.path(QLatin1String(name))));
    open(tree.root());
    ASSERT_EQ(delegate->mediaListTableView->model()->rowCount(), 6);
    playAndWait(4);
    ASSERT_TRUE(delegate->playNext());
    EXPECT_EQ(delegate->mediaIndex(), 5);
}

TEST_F(PlaybackTest, TheEndOfARecordingMovesOnAndTheLastOneStays) {
    playAndWait(6);
    ASSERT_TRUE(waitFor([&] { return p1()->time().intValue() > 1000; }));
    delegate->videoPositionSlider->setValue(96000);
    ASSERT_TRUE(waitFor([&] { return delegate->mediaIndex() == 7; }, 15000));
    ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart() && p1()->isPlaying(); }));
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260315_174200_R.MP4"));
    // The last recording ends paused on its last frame and nothing follows.
    delegate->videoPositionSlider->setValue(96000);
    ASSERT_TRUE(waitFor([&] { return pausedNear(p1(), 0.95f); }, 15000));
    spin(2600);
    EXPECT_EQ(delegate->mediaIndex(), 7);
    EXPECT_TRUE(pausedNear(p1(), 0.95f));
}

TEST_F(PlaybackTest, TheReadOutAndTheMapFollowThePlayPosition) {
    playAndWait(4);
    ASSERT_TRUE(waitFor([&] { return delegate->playInfo()->position() > 0.2; }));
    // The car stands on the road: about +1 g on z.
    const QString z = delegate->gsensorZField->text();
    ASSERT_TRUE(z.startsWith(QStringLiteral("Z=+"))) << qPrintable(z);
    EXPECT_NEAR(z.mid(2).toDouble(), 1.0, 0.2) << qPrintable(z);
    EXPECT_TRUE(delegate->speedField->text().endsWith(QStringLiteral(" Km/h")));
    EXPECT_FALSE(delegate->hdopField->text().isEmpty());
    EXPECT_FALSE(delegate->sateliteField->text().isEmpty());
    // The graph's marker follows player1.
    EXPECT_GT(delegate->graphView->timePosition(), 0.15);
    // The page placed its marker there.
    QVariantList position;
    ASSERT_TRUE(waitFor(
        [&] {
            bool done = false;
            delegate->mapWebView->page()->runJavaScript(QStringLiteral("rvxMarkerPosition()"),
                                                        [&](const QVariant& v) {
                                                            position = v.toList();
                                                            done = true;
                                                        });
            waitFor([&] { return done; }, 5000);
            return position.size() == 2;
        },
        20000));
    EXPECT_NEAR(position[0].toDouble(), 48.2, 0.1);
    EXPECT_NEAR(position[1].toDouble(), 16.37, 0.1);
}

namespace {
// A card of links to the demo card's recordings, with an empty (unplayable) motion
// front: rows 0/1 the continuous pair, 2/3 the motion pair.
class BrokenCardTest : public PlaybackTest {
protected:
    void SetUp() override {
        PlaybackTest::SetUp();
        const QDir card(demoCard() + QStringLiteral("/20260314"));
        for (const char* name : {"alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4",
                                 "motion_20260314_081515_R.MP4"})
            ASSERT_TRUE(
                QFile::link(card.filePath(QLatin1String(name)), tree.path(QLatin1String(name))));
        tree.file(QStringLiteral("motion_20260314_081515_F.MP4"));
        open(tree.root());
        ASSERT_EQ(delegate->mediaListTableView->model()->rowCount(), 4);
    }
    QString message() const { return delegate->videoContainerView->message(); }
    TempTree tree;
};
} // namespace

TEST_F(BrokenCardTest, APartnerGoneSinceTheWalkLeavesTheMainRecordingPlayingAlone) {
    ASSERT_TRUE(QFile::remove(tree.path(QStringLiteral("alwa_20260314_081500_R.MP4"))));
    playAndWait(0);
    EXPECT_EQ(fileOf(p1()), QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_FALSE(p2()->media());
    EXPECT_FALSE(delegate->video2View->isVisible());
    EXPECT_FALSE(delegate->audioToggleButton->isVisible());
    EXPECT_FALSE(p1()->audio()->isMuted());
    EXPECT_TRUE(message().isEmpty());
    ASSERT_TRUE(waitFor([&] { return delegate->playInfo()->position() > 0.05; }));
}

TEST_F(BrokenCardTest, AnUnplayableFrontLeavesItsRearPlayingAndTheNextStartWorks) {
    ASSERT_TRUE(delegate->playAtIndex(2));
    ASSERT_TRUE(waitFor([&] { return p1()->media() && delegate->playInfo()->isPlaying(); }));
    EXPECT_EQ(fileOf(p1()), QStringLiteral("motion_20260314_081515_R.MP4"));
    EXPECT_FALSE(p2()->media());
    EXPECT_TRUE(delegate->subVideoContainerView->message().contains(
        QStringLiteral("motion_20260314_081515_F.MP4")));
    EXPECT_TRUE(message().isEmpty());
    // Another row plays and the line goes.
    playAndWait(0);
    EXPECT_TRUE(delegate->subVideoContainerView->message().isEmpty());
    EXPECT_EQ(fileOf(p2()), QStringLiteral("alwa_20260314_081500_R.MP4"));
    // The broken rear-side row: the rear plays alone without its front, which is named.
    playAndWait(3);
    EXPECT_EQ(fileOf(p1()), QStringLiteral("motion_20260314_081515_R.MP4"));
    EXPECT_FALSE(p2()->media());
    EXPECT_TRUE(delegate->subVideoContainerView->message().contains(
        QStringLiteral("motion_20260314_081515_F.MP4")));
}

TEST_F(BrokenCardTest, ALoneRecordingThatCannotBePlayedSaysSoAndNothingPlays) {
    ASSERT_TRUE(QFile::remove(tree.path(QStringLiteral("motion_20260314_081515_R.MP4"))));
    open(tree.root());
    ASSERT_TRUE(delegate->playAtIndex(2));
    ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart(); }));
    EXPECT_FALSE(p1()->media());
    EXPECT_FALSE(delegate->playInfo()->isPlaying());
    EXPECT_TRUE(message().contains(QStringLiteral("motion_20260314_081515_F.MP4")))
        << qPrintable(message());
    // A double-click on the same row tries again.
    selectRow(2);
    delegate->changeAndPlay();
    EXPECT_TRUE(delegate->waitingForPlayStart());
    EXPECT_TRUE(message().isEmpty());
    ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart(); }));
    EXPECT_FALSE(message().isEmpty());
    playAndWait(0);
    EXPECT_TRUE(message().isEmpty());
}

// Published positions come about every 0.75 s; while the user holds the handle they
// must not pull it back, and letting go seeks to where it was let go.
TEST_F(PlaybackTest, DraggingThePositionSliderSeeksWhereItIsLetGo) {
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] { return p1()->time().intValue() > 1000; }));
    QSlider* slider = delegate->videoPositionSlider;
    const QRect handle = sliderPart(slider, QStyle::SC_SliderHandle);
    const QRect groove = sliderPart(slider, QStyle::SC_SliderGroove);
    ASSERT_TRUE(handle.isValid());
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, handle.center());
    ASSERT_TRUE(slider->isSliderDown());
    const int targetX = groove.left() + groove.width() * 3 / 4;
    for (int x = handle.center().x(); x <= targetX; x += 20)
        QTest::mouseMove(slider, QPoint(x, handle.center().y()));
    QTest::mouseMove(slider, QPoint(targetX, handle.center().y()));
    const int held = slider->sliderPosition();
    EXPECT_GT(held, slider->maximum() * 6 / 10);
    const double publishedBefore = delegate->playInfo()->position();
    ASSERT_TRUE(waitFor([&] { return delegate->playInfo()->position() > publishedBefore; }));
    spin(800);
    EXPECT_EQ(slider->sliderPosition(), held) << "the handle stays under the pointer";
    EXPECT_LT(p1()->time().intValue(), 6000) << "no seek before the release";
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier,
                        QPoint(targetX, handle.center().y()));
    EXPECT_TRUE(delegate->moving());
    EXPECT_NEAR(delegate->movingPosition(), held / double(slider->maximum()), 0.001);
    ASSERT_TRUE(waitFor([&] { return !delegate->moving(); }));
    spin(600);
    const double expected = held / double(slider->maximum()) * p1()->mediaLength().intValue();
    EXPECT_NEAR(p1()->time().intValue(), expected, 1500);
    EXPECT_NEAR(p2()->time().intValue(), expected, 1500);
}

// After a swap the front is heard from player2; the next start must hear the new
// front from player1 even though the heard side, front, did not change.
TEST_F(PlaybackTest, AfterASwapTheNextRecordingHearsItsFront) {
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] {
        return p1()->time().intValue() > 1500 && delegate->isPlaying(p1()) &&
               delegate->isPlaying(p2());
    }));
    delegate->swapPlayer();
    ASSERT_TRUE(delegate->swapping());
    ASSERT_TRUE(waitFor([&] { return !delegate->swapping(); }, 4000));
    ASSERT_TRUE(p1()->audio()->isMuted());
    ASSERT_FALSE(p2()->audio()->isMuted());
    playAndWait(2);
    EXPECT_EQ(fileOf(p1()), QStringLiteral("motion_20260314_081515_F.MP4"));
    EXPECT_EQ(delegate->playInfo()->audioMediaDirection(), 0u);
    EXPECT_FALSE(p1()->audio()->isMuted());
    EXPECT_TRUE(p2()->audio()->isMuted());
}

TEST_F(PlaybackTest, TheMapShowsEachRecordingsOwnTrack) {
    playAndWait(4);
    ASSERT_TRUE(waitFor([&] { return delegate->mapPage()->isReady(); }, 20000));
    QWebEnginePage* page = delegate->mapWebView->page();
    const auto trackOnPage = [&] {
        return QStringList{
            evaluate(page, QStringLiteral("rvxTrackLength()")).toString(),
            evaluate(page, QStringLiteral("JSON.stringify(rvxTrackPoint(0))")).toString()};
    };
    // Vienna, latitude first on the page.
    ASSERT_TRUE(waitFor([&] { return trackOnPage()[0].toInt() > 20; }, 10000));
    const QStringList eventTrack = trackOnPage();
    EXPECT_TRUE(eventTrack[1].startsWith(QStringLiteral("[48."))) << qPrintable(eventTrack[1]);
    // The lone rear recording's map is its own track, not the one before.
    playAndWait(7);
    RVXBlackBoxData own;
    ASSERT_TRUE(own.ExtractStreamInformation(QFile::encodeName(p1()->media()->path()).constData()));
    const QString script = RVXTelemetryReadout::trackScript(own);
    const int points = int(script.count(u'[')) - 1;
    ASSERT_TRUE(waitFor([&] { return trackOnPage()[0].toInt() == points; }, 10000))
        << qPrintable(trackOnPage()[0]) << " " << points;
    EXPECT_NE(trackOnPage(), eventTrack);
}
