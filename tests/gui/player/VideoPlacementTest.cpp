// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures as the user sees them: what the X server shows where each video view
// stands, after size steps, full screen, the swap and dialogs, paused and playing.
#include "PlayerTestSupport.h"
#include "ScreenPictures.h"
#include "gui/settings/RVXSettingController.h"
#include "support/StderrCapture.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QScreen>

#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCVideoView.h"
#include <cmath>

namespace {

class VideoPlacementTest : public MainWindowTest {
protected:
    // Paused, every shown view's picture stands on the screen where the view has it; the
    // players play on afterwards if they played before.
    testing::AssertionResult picturesAreRight() {
        if (!waitFor([&] { return !delegate->window->isAnimating() && !delegate->swapping(); }))
            return testing::AssertionFailure() << "the window did not settle";
        const bool wasPlaying = delegate->player1->state() == VLCMediaPlayerStatePlaying;
        if (wasPlaying) {
            // The button pauses only once the window knows the pair plays (a time report
            // after a full-screen change or a seek tells it).
            if (!waitFor([&] { return delegate->playInfo()->isPlaying(); }))
                return testing::AssertionFailure() << "the window never knew the pair plays";
            delegate->clickPlayButton();
            if (!waitFor([&] { return delegate->player1->state() == VLCMediaPlayerStatePaused; }))
                return testing::AssertionFailure()
                       << "the player did not pause (state " << delegate->player1->state()
                       << ", the window " << (delegate->playInfo()->isPlaying() ? "" : "not ")
                       << "playing)";
        }
        QString last;
        const bool right = waitFor(
            [&] {
                last.clear();
                for (VLCVideoView* view : {delegate->video1View, delegate->video2View}) {
                    if (view->isVisible() && last.isEmpty())
                        last = pictureOnScreenDiffers(view);
                }
                return last.isEmpty();
            },
            3000);
        if (wasPlaying) {
            delegate->clickPlayButton();
            // The next press is a pause only once the window knows the pair plays again.
            waitFor([&] {
                return delegate->player1->state() == VLCMediaPlayerStatePlaying &&
                       delegate->playInfo()->isPlaying();
            });
        }
        if (right)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << qPrintable(last);
    }

    // Keys reach the window's shortcuts only while it is the active window, as the user's is.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        delegate->window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
        QTest::keyClick(delegate->window, Qt::Key(key), modifiers);
    }
};

} // namespace

TEST_F(VideoPlacementTest, ThePicturesFollowSizeStepsFullScreenAndTheSwap) {
    ASSERT_NE(xConnection(), nullptr) << "the window tests need an X server";
    open(demoCard());
    playAndWait(0);
    ASSERT_TRUE(picturesAreRight()) << "at the start";

    press(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_TRUE(picturesAreRight()) << "after a size step up";
    EXPECT_TRUE(waitFor([&] { return delegate->window->size() == QSize(1224, 768); }));
    // The scale is the main picture's box over the recording's height, at its new size.
    const double scale =
        double(delegate->videoContainerView->height()) / delegate->player1->videoSize().height();
    EXPECT_TRUE(waitFor([&] { return std::abs(delegate->playInfo()->scale() - scale) < 0.005; }))
        << delegate->playInfo()->scale() << " for " << scale;

    press(Qt::Key_F11);
    ASSERT_TRUE(delegate->window->isFullScreen());
    ASSERT_TRUE(waitFor(
        [&] { return delegate->window->geometry() == delegate->window->screen()->geometry(); }));
    EXPECT_TRUE(picturesAreRight()) << "in full screen";
    press(Qt::Key_Escape);
    EXPECT_TRUE(picturesAreRight()) << "after full screen";
    EXPECT_TRUE(waitFor([&] {
        return std::abs(delegate->playInfo()->scale() -
                        double(delegate->videoContainerView->height()) /
                            delegate->player1->videoSize().height()) < 0.005;
    })) << "the scale after full screen: "
        << delegate->playInfo()->scale();

    press(Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return !delegate->swapping(); }, 4000));
    EXPECT_TRUE(picturesAreRight()) << "after the swap";
    press(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_TRUE(picturesAreRight()) << "after a size step down";

    // The next recording plays where the last one was shown.
    playAndWait(2);
    EXPECT_TRUE(picturesAreRight()) << "in the next recording";
}

// A dialog closed over a paused picture leaves nothing of itself on the screen.
TEST_F(VideoPlacementTest, AClosedDialogLeavesNoPictureOfItselfOverThePausedVideo) {
    open(demoCard());
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] { return delegate->player1->time().intValue() > 1000; }));
    StderrCapture log;
    delegate->clickPlayButton();
    ASSERT_TRUE(waitFor([&] { return delegate->player1->state() == VLCMediaPlayerStatePaused; }));
    QAction* settings =
        delegate->window->findChild<QAction*>(QStringLiteral("action.camera_settings"));
    ASSERT_NE(settings, nullptr);
    settings->trigger();
    auto* controller = qobject_cast<RVXSettingController*>(delegate->lastDialogController());
    ASSERT_NE(controller, nullptr);
    QWidget* editor = controller->window();
    ASSERT_TRUE(waitFor([&] { return editor->isVisible(); }));
    spin(800);
    editor->close();
    ASSERT_TRUE(waitFor([&] { return !editor->isVisible(); }));
    spin(800);

    // The dialog's face is a pale grey the recordings' test pictures never show in bulk.
    const auto pale = [](const QColor& c) {
        return c.red() > 225 && c.green() > 225 && c.blue() > 225 &&
               std::abs(c.red() - c.blue()) < 12;
    };
    for (QWidget* view : {static_cast<QWidget*>(delegate->video1View),
                          static_cast<QWidget*>(delegate->video2View)}) {
        const QPoint at = view->mapToGlobal(QPoint(0, 0));
        const QImage screen =
            view->screen()->grabWindow(0, at.x(), at.y(), view->width(), view->height()).toImage();
        int stale = 0;
        for (int y = 0; y < screen.height(); y += 2)
            for (int x = 0; x < screen.width(); x += 2)
                stale += pale(screen.pixelColor(x, y));
        EXPECT_LT(stale, screen.width() * screen.height() / 40) << qPrintable(view->objectName());
    }
    EXPECT_FALSE(log.text().contains("Failed to make context current")) << "the window's "
                                                                           "composition failed";
    EXPECT_TRUE(picturesAreRight()) << "after the dialog";
}

// While the pictures change sides the time stays where the pair was: the main player's
// new recording starts at 00:00 until the pair is sought back to its place.
TEST_F(VideoPlacementTest, TheSwapKeepsTheTimeWhereThePairWas) {
    open(demoCard());
    playAndWait(0);
    ASSERT_TRUE(waitFor([&] { return delegate->player1->time().intValue() > 3000; }));
    press(Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return delegate->swapping(); }));
    QStringList shown;
    while (delegate->swapping()) {
        shown << delegate->timeField->text();
        spin(20);
    }
    for (const QString& text : shown)
        EXPECT_FALSE(text.startsWith(QStringLiteral("00:00"))) << qPrintable(shown.join(u' '));
    EXPECT_TRUE(picturesAreRight()) << "after the swap";
}
