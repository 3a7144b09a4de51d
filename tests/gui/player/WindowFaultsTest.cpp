// SPDX-License-Identifier: GPL-3.0-or-later
// What a user reads in the shown main window on the demo card: tooltips and titles,
// the list's names, the read-out's contrast and what goes to stderr.
#include "PlayerTestSupport.h"
#include "ScreenPictures.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCTime.h"
#include "support/StderrCapture.h"
#include "support/TempTree.h"
#include "support/WebPageTestSupport.h"
#include "widgets/PMProgressIndicator.h"

#include "gui/player/GraphView.h"
#include "widgets/TKImageButton.h"
#include <QAbstractButton>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QToolButton>
#include <QWebEngineView>

#include <cmath>

namespace {

double luminance(const QColor& c) {
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class WindowFaultsTest : public MainWindowTest {};

} // namespace

TEST_F(WindowFaultsTest, EveryControlSaysWhatItDoesWithoutMnemonics) {
    QStringList untipped;
    for (QWidget* w : delegate->window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QSlider*>(w);
        if (!control || !w->isVisible() || w->objectName().startsWith(u"qt_"))
            continue;
        if (w->toolTip().isEmpty())
            untipped << w->objectName();
        EXPECT_FALSE(w->toolTip().contains(u'&')) << qPrintable(w->toolTip());
    }
    // The position slider is its own tip: the time beside it says where it stands.
    untipped.removeAll(QStringLiteral("videoPositionSlider"));
    EXPECT_TRUE(untipped.isEmpty()) << qPrintable(untipped.join(u' '));
    EXPECT_EQ(delegate->sizeTextButton->toolTip(), QStringLiteral("Window scale"));
    EXPECT_EQ(delegate->speedTextButton->toolTip(), QStringLiteral("Playback rate"));
    EXPECT_EQ(delegate->volumeSlider->toolTip(), QStringLiteral("Volume"));
    EXPECT_EQ(delegate->playButton->toolTip(), QStringLiteral("Play / Pause"));
}

TEST_F(WindowFaultsTest, TheReadOutIsReadableAndTheNamesKeepWhatTellsThemApart) {
    open(demoCard());
    const QImage shown = delegate->window->grab().toImage();
    for (const char* name : {"readout.speed", "readout.hdop", "readout.satellites"}) {
        auto* caption = delegate->window->findChild<QLabel*>(QLatin1String(name));
        ASSERT_NE(caption, nullptr) << name;
        // The background a few pixels left of the caption, as the window shows it.
        const QPoint beside = caption->mapTo(delegate->window, QPoint(-3, caption->height() / 2));
        const QColor background = shown.pixelColor(beside);
        const QColor text = caption->palette().color(QPalette::WindowText);
        EXPECT_GE(contrast(text, background), 4.5)
            << name << " " << qPrintable(text.name()) << " on " << qPrintable(background.name());
    }
    const QColor value = delegate->gsensorXField->palette().color(QPalette::WindowText);
    EXPECT_GE(contrast(value, shown.pixelColor(
                                  delegate->gsensorXField->mapTo(delegate->window, QPoint(-3, 4)))),
              4.5);

    // At the start size, each name reads as one: its kind at the start and its side at
    // the end (the moment is in the columns beside it), cut in the middle.
    QTableView* table = delegate->mediaListTableView;
    const int width = table->horizontalHeader()->sectionSize(3);
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        const QModelIndex cell = table->model()->index(row, 3);
        const QString name = cell.data().toString();
        const QFont font = cell.data(Qt::FontRole).value<QFont>();
        const QString drawn =
            QFontMetrics(font).elidedText(name, table->textElideMode(), width - 8);
        EXPECT_TRUE(drawn.startsWith(name.left(4))) << qPrintable(drawn);
        EXPECT_TRUE(drawn.endsWith(name.right(6))) << qPrintable(drawn);
        EXPECT_TRUE(cell.data(Qt::ToolTipRole).toString().endsWith(name));
    }
}

TEST_F(WindowFaultsTest, PlayingSeekingAndJumpingWriteOnlyTheKnownDiagnostics) {
    open(demoCard());
    StderrCapture log;
    ASSERT_TRUE(delegate->playAtIndex(0));
    ASSERT_TRUE(waitFor([&] { return delegate->playInfo()->isPlaying(); }));
    delegate->videoPositionSliderMoved(0.4);
    spin(800);
    delegate->jumpBackward();
    spin(800);
    EXPECT_FALSE(log.text().contains("align player2")) << log.text().constData();
}

TEST_F(WindowFaultsTest, ASeekWhilePausedMovesTheTimeTheMarkerAndTheKnob) {
    open(demoCard());
    ASSERT_TRUE(delegate->playAtIndex(0));
    ASSERT_TRUE(waitFor([&] { return delegate->player1->time().intValue() > 1000; }));
    delegate->clickPlayButton();
    ASSERT_TRUE(waitFor([&] { return delegate->player1->state() == VLCMediaPlayerStatePaused; }));
    spin(500);

    // Dragged to 83 % with the mouse, as a user does.
    QSlider* slider = delegate->videoPositionSlider;
    const QRect handle = sliderPart(slider, QStyle::SC_SliderHandle);
    const QRect groove = sliderPart(slider, QStyle::SC_SliderGroove);
    const int y = handle.center().y();
    const int targetX = groove.left() + int(groove.width() * 0.83);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, handle.center());
    for (int x = handle.center().x(); x < targetX; x += 20)
        QTest::mouseMove(slider, QPoint(x, y));
    QTest::mouseMove(slider, QPoint(targetX, y));
    const double let = slider->sliderPosition() / double(slider->maximum());
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(targetX, y));
    spin(800);
    const int lengthS = delegate->player1->mediaLength().intValue() / 1000;
    const auto seconds = [&] { return delegate->timeField->text().mid(3, 2).toInt(); };
    EXPECT_NEAR(delegate->playInfo()->position(), let, 0.02);
    EXPECT_NEAR(delegate->graphView->timePosition(), let, 0.02);
    EXPECT_NEAR(seconds(), let * lengthS, 1.0) << qPrintable(delegate->timeField->text());
    EXPECT_NEAR(slider->value() / double(slider->maximum()), let, 0.02);
    EXPECT_EQ(delegate->player1->state(), VLCMediaPlayerStatePaused);

    // Left, still paused: ten seconds back, and the controls with it.
    EXPECT_FALSE(delegate->moving());
    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    QTest::keyClick(delegate->window, Qt::Key_Left);
    spin(800);
    EXPECT_NEAR(seconds(), let * lengthS - 10, 1.5) << qPrintable(delegate->timeField->text());
    EXPECT_NEAR(delegate->graphView->timePosition(), let - 10.0 / lengthS, 0.05);
    EXPECT_NEAR(slider->value() / double(slider->maximum()), let - 10.0 / lengthS, 0.05);
}

// Moving on at the end of a recording, many times over, with a pause and resume just
// before the end now and then: every move must end with the next row playing.
TEST_F(WindowFaultsTest, MovingOnAtTheEndAlwaysStartsTheNextRow) {
    open(demoCard());
    const int moves = qEnvironmentVariableIntValue("RUVEX_TEST_MOVES") > 0
                          ? qEnvironmentVariableIntValue("RUVEX_TEST_MOVES")
                          : 50;
    // Rows 0 (front of a pair) and 6 (a lone front), each followed by a playable row.
    const int starts[] = {0, 6};
    for (int i = 0; i < moves; ++i) {
        const int row = starts[i % 2];
        ASSERT_TRUE(delegate->playAtIndex(row)) << "move " << i;
        ASSERT_TRUE(waitFor([&] {
            return !delegate->waitingForPlayStart() && delegate->playInfo()->isPlaying();
        })) << "move "
            << i << ": row " << row << " did not start";
        delegate->videoPositionSliderMoved(0.9);
        ASSERT_TRUE(waitFor([&] { return !delegate->moving(); }));
        if (i % 3 == 1) {
            delegate->clickPlayButton();
            spin(150);
            delegate->clickPlayButton();
        } else if (i % 3 == 2) {
            // Full screen and back, as F11 then Escape.
            delegate->toggleFullScreen();
            spin(300);
            delegate->toggleFullScreen();
        }
        const int64_t next = row + (row == 0 ? 2 : 1);
        ASSERT_TRUE(waitFor(
            [&] {
                return delegate->mediaIndex() == next && !delegate->waitingForPlayStart() &&
                       delegate->playInfo()->isPlaying();
            },
            15000))
            << "move " << i << ": from row " << row << " the next row " << next
            << " is not playing (row " << delegate->mediaIndex() << ", waiting "
            << delegate->waitingForPlayStart() << ", time "
            << qPrintable(delegate->timeField->text()) << ", state " << delegate->player1->state()
            << ", position " << delegate->player1->position() << ", remaining "
            << delegate->player1->remainingTime().intValue() << ")";
    }
}

TEST_F(WindowFaultsTest, OnlyTheHeaderBandDragsTheWindow) {
    CustomWindow* window = delegate->window;
    // A window manager frames and places the window a moment after it is shown.
    ASSERT_TRUE(waitFor([&] {
        const QPoint before = window->pos();
        spin(300);
        return window->pos() == before;
    }));
    const QPoint start = window->pos();
    // A few pixels beside the position slider, in its row.
    QWidget* row = delegate->videoPositionSlider->parentWidget();
    const QPoint beside(delegate->videoPositionSlider->geometry().right() + 3,
                        delegate->videoPositionSlider->geometry().center().y());
    ASSERT_EQ(row->childAt(beside), nullptr) << "the point is the row's own background";
    // The real pointer, as a hand moves it: under a window manager the drag is the
    // manager's, which follows the pointer and not the events Qt is sent.
    const auto drag = [&](QWidget* from, QPoint at) {
        const QPoint a = from->mapToGlobal(at), b = a + QPoint(-60, 40);
        const QStringList steps = {
            QStringLiteral("mousemove %1 %2").arg(a.x()).arg(a.y()), QStringLiteral("mousedown 1"),
            QStringLiteral("mousemove %1 %2").arg(a.x() - 20).arg(a.y() + 10),
            QStringLiteral("mousemove %1 %2").arg(b.x()).arg(b.y()), QStringLiteral("mouseup 1")};
        for (const QString& step : steps) {
            ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), step.split(u' ')), 0)
                << "xdotool " << qPrintable(step);
            spin(60);
        }
    };
    drag(row, beside);
    spin(200);
    EXPECT_EQ(window->pos(), start) << "no drag from the slider row";
    // The header band still moves it.
    QWidget* head = delegate->window->findChild<QWidget*>(QStringLiteral("headBox"));
    ASSERT_NE(head, nullptr);
    const QPoint grab(head->width() / 2, head->height() / 2);
    ASSERT_EQ(head->childAt(grab), nullptr);
    drag(head, grab);
    EXPECT_TRUE(waitFor([&] { return window->pos() != start; }));
}
// The front cut to half ("moov atom not found"), its rear whole: the rear plays alone in
// the main view and leads the controls; the small view says why, on the real screen.
TEST_F(WindowFaultsTest, ARearWhoseFrontCannotBePlayedPlaysAloneAndLeadsTheControls) {
    TempTree tree;
    const QDir card(demoCard() + QStringLiteral("/20260314"));
    ASSERT_TRUE(QFile::link(card.filePath(QStringLiteral("motion_20260314_081515_R.MP4")),
                            tree.path(QStringLiteral("motion_20260314_081515_R.MP4"))));
    const QByteArray front = readAll(card.filePath(QStringLiteral("motion_20260314_081515_F.MP4")));
    tree.file(QStringLiteral("motion_20260314_081515_F.MP4"), front.left(front.size() / 2));
    open(tree.root());
    StderrCapture log;
    ASSERT_TRUE(delegate->playAtIndex(0));
    ASSERT_TRUE(waitFor([&] {
        return delegate->player1->media() && delegate->player1->time().intValue() > 1500;
    })) << "before, the rear played on alone with the time at 00:00";
    EXPECT_TRUE(delegate->player1->media()->path().endsWith(u"_R.MP4"));
    EXPECT_FALSE(delegate->player2->media());
    EXPECT_TRUE(log.text().contains("cannot be played")) << log.text().constData();
    EXPECT_TRUE(delegate->subVideoContainerView->message().contains(
        QStringLiteral("motion_20260314_081515_F.MP4")));
    EXPECT_TRUE(delegate->videoContainerView->message().isEmpty());
    // The rear drives the time, the slider and the read-out (its own telemetry).
    EXPECT_NE(delegate->timeField->text().left(5), QStringLiteral("00:00"));
    EXPECT_GT(delegate->videoPositionSlider->value(), 0);
    EXPECT_FALSE(delegate->speedField->text().isEmpty());
    EXPECT_FALSE(delegate->progressIndicator->isVisible());

    // On screen: no box was made a window of its own, and the line is there to read.
    EXPECT_EQ(nativeChildCount(delegate->window), 0);
    spin(300);
    QWidget* box = delegate->subVideoContainerView;
    const QPoint at = box->mapToGlobal(QPoint(0, 0));
    const QImage screen = delegate->window->screen()
                              ->grabWindow(0, at.x(), at.y(), box->width(), box->height())
                              .toImage();
    int light = 0;
    for (int y = box->height() / 2 - 10; y < box->height() / 2 + 10; ++y)
        for (int x = 0; x < screen.width(); ++x)
            light += screen.pixelColor(x, y).lightness() > 200;
    EXPECT_GT(light, 40) << "the message's text shows in the small view";

    // Space pauses the rear, and the next start works.
    delegate->clickPlayButton();
    EXPECT_TRUE(waitFor([&] { return delegate->player1->state() == VLCMediaPlayerStatePaused; }));
    EXPECT_TRUE(delegate->video1View->isVisible());
}

TEST_F(WindowFaultsTest, AnotherFolderClearsThePlayedRecordingAndAnEmptyOneSaysSo) {
    open(demoCard());
    EXPECT_EQ(delegate->sizeTextButton->text(), QStringLiteral("\u2013")) << "no picture, no scale";
    playAndWait(0);
    QWebEnginePage* map = delegate->mapWebView->page();
    ASSERT_TRUE(waitFor([&] {
        return !delegate->graphView->values().empty() && !delegate->speedField->text().isEmpty() &&
               evaluate(map, QStringLiteral("rvxTrackLength()")).toInt() > 0;
    }));
    TempTree tree;
    const QString empty = tree.folder(QStringLiteral("nothing here"));
    tree.file(QStringLiteral("nothing here/notes.txt"), "not a recording");
    open(empty);
    EXPECT_FALSE(delegate->video1View->isVisible()) << "the old picture stays on screen";
    EXPECT_FALSE(delegate->video2View->isVisible());
    EXPECT_TRUE(delegate->graphView->values().empty());
    EXPECT_TRUE(delegate->speedField->text().isEmpty());
    EXPECT_EQ(delegate->gsensorXField->text(), QStringLiteral("X=+0.00"));
    EXPECT_EQ(delegate->timeField->text(), QStringLiteral("00:00 / 00:00"));
    EXPECT_EQ(delegate->sizeTextButton->text(), QStringLiteral("\u2013"));
    EXPECT_TRUE(
        waitFor([&] { return evaluate(map, QStringLiteral("rvxTrackLength()")).toInt() == 0; }));
    auto* note = delegate->mediaListTableView->findChild<QLabel*>(QStringLiteral("emptyListNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), QStringLiteral("No recordings in ") + empty);

    open(demoCard());
    EXPECT_FALSE(note->isVisible());
}

// libVLC publishes the time four times a second: paused just after a second began, the
// last publication is often of the second before, which the field showed.
TEST_F(WindowFaultsTest, PausedTheTimeFieldShowsThePictureOnScreen) {
    open(demoCard());
    playAndWait(0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::optional<int64_t> clock;
        ASSERT_TRUE(waitFor([&] {
            clock = delegate->player1->clockTime();
            return clock && *clock > 1000 && *clock % 1000 >= 20 && *clock % 1000 < 70;
        }));
        delegate->clickPlayButton();
        ASSERT_TRUE(
            waitFor([&] { return delegate->player1->state() == VLCMediaPlayerStatePaused; }));
        spin(500);
        const QString expected = VLCTime(*clock).stringValue();
        EXPECT_TRUE(delegate->timeField->text().startsWith(expected + u' '))
            << qPrintable(delegate->timeField->text()) << " paused at " << *clock << " ms";
        EXPECT_NEAR(delegate->playInfo()->position() * delegate->player1->mediaLength().intValue(),
                    double(*clock), 60)
            << "the graph's marker and the knob at the picture too";
        delegate->clickPlayButton();
        ASSERT_TRUE(waitFor([&] { return delegate->isPlaying(delegate->player1); }));
    }
}
