// SPDX-License-Identifier: GPL-3.0-or-later
// A trip's borders as the user meets them in the real window: the pictures as the X
// server shows them, the time field and the knob.
#include "PictureWatch.h"
#include "ScreenPictures.h"
#include "TripWindowTest.h"

#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCVideoView.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTime>
#include <QTreeView>

namespace {

// What the time field says ("0:15 / 0:56 08:15:15"), as seconds of the trip: its trip
// time, and its clock counted from the drive's start at 08:15:00.
struct ShownSeconds {
    int trip = -1;
    int clock = -1;
};

ShownSeconds shownSeconds(const QString& text) {
    const QStringList parts = text.split(u' ');
    if (parts.size() != 4)
        return {};
    const QStringList trip = parts[0].split(u':');
    const QTime clock = QTime::fromString(parts[3], QStringLiteral("HH:mm:ss"));
    if (trip.size() != 2 || !clock.isValid())
        return {};
    return {trip[0].toInt() * 60 + trip[1].toInt(), QTime(8, 15).secsTo(clock)};
}

} // namespace

TEST_F(TripWindowTest, TheFirstBorderAfterTheStartGoesOnWithoutAStop) {
    // As a user starts it: Ctrl+G, a double-click on the drive.
    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    QTest::keyClick(delegate->window, Qt::Key_G, Qt::ControlModifier);
    QTreeView* view = trips->tripListView();
    ASSERT_TRUE(waitFor([&] { return view->isVisible(); }));
    const QPoint drive = view->visualRect(view->model()->index(0, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, drive);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, drive);
    ASSERT_TRUE(waitFor([&] { return trips->playsTrip() && delegate->playInfo()->isPlaying(); }));

    // From 11 s on: the first recording's last seconds, the next pair made ready 2.5 s
    // before the border, the border.
    PictureWatch watch(delegate->videoContainerView);
    ASSERT_TRUE(waitFor([&] { return trips->tripSecond() >= 11; }, 20000));
    const double from = PictureWatch::nowMs();
    QString over;
    const auto readyPairUnder = [&] {
        for (auto [spare, onScreen] : {std::pair{"spareVideo1View", delegate->video1View},
                                       std::pair{"spareVideo2View", delegate->video2View}}) {
            auto* ready = delegate->window->findChild<VLCVideoView*>(QLatin1String(spare));
            if (ready && ready->isVisible() && ready->parentWidget() == onScreen->parentWidget() &&
                siblingIndex(ready) > siblingIndex(onScreen))
                over = QLatin1String(spare);
        }
    };
    ASSERT_TRUE(waitFor(
        [&] {
            readyPairUnder();
            return trips->handovers() == 1;
        },
        15000));
    const double handedAt = PictureWatch::nowMs();
    spin(600);
    EXPECT_TRUE(over.isEmpty()) << qPrintable(over)
                                << " stood over the picture on screen while it was made ready";
    // Before, the picture stood 1.2 to 1.6 s where the next pair was made ready, then that
    // pair's first picture stood until the border.
    const double stand = watch.longestStandBetween(from, handedAt + 600);
    EXPECT_LT(stand, 1000) << "the pictures stood still for " << stand << " ms";
    EXPECT_EQ(fileOf(p1()), QStringLiteral("motion_20260314_081515_F.MP4"));
    EXPECT_FALSE(delegate->waitingForPlayStart()) << "a new start instead of the spare pair";
}

TEST_F(TripWindowTest, AfterEachBorderTheTimeAndTheKnobShowTheTripsMoment) {
    playTrip();
    QSlider* slider = delegate->videoPositionSlider;
    const double seconds = trips->trips()[0].seconds();
    for (double border : {15.0, 27.0, 41.0}) {
        SCOPED_TRACE(border);
        const int handovers = trips->handovers();
        seekTrip(border - 2.6);
        ASSERT_TRUE(waitFor([&] { return trips->handovers() == handovers + 1; }, 10000));
        // Until the new pair's clock is known, and after: the border's moment and on, never
        // the new recording's end (before, 08:15:26 for 08:15:15 for up to half a second).
        QString field;
        double knob = border;
        QElapsedTimer since;
        since.start();
        while (since.elapsed() < 1500) {
            const double latest = border + 1.0 + since.elapsed() / 1000.0;
            const QString text = delegate->timeField->text();
            const ShownSeconds shown = shownSeconds(text);
            if (shown.trip < border - 1 || shown.trip > latest || shown.clock != shown.trip)
                field = text;
            const double at = slider->value() / double(slider->maximum()) * seconds;
            if (at < border - 1 || at > latest)
                knob = at;
            spin(10);
        }
        EXPECT_TRUE(field.isEmpty()) << "the time field read " << qPrintable(field);
        EXPECT_EQ(knob, border) << "the knob stood at " << knob << " s";
    }
}
