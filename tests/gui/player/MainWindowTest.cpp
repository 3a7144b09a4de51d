// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayerTestSupport.h"

#include "gui/cardtools/RVXTimeSetupController.h"
#include "gui/player/VLCVideoView.h"
#include "gui/settings/RVXSettingController.h"
#include "support/TempTree.h"
#include "widgets/PMProgressIndicator.h"
#include "widgets/TKThreePartImageView.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

namespace {
// Counts the layout requests a widget receives.
struct LayoutRequests : QObject {
    explicit LayoutRequests(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::LayoutRequest)
            ++count;
        return false;
    }
    int count = 0;
};

QString cellText(QAbstractItemModel* model, int row, int column, int role = Qt::DisplayRole) {
    return model->data(model->index(row, column), role).toString();
}
} // namespace

TEST_F(MainWindowTest, ListsTheCardWithKindSideDateTimeAndName) {
    open(demoCard());
    QAbstractItemModel* model = delegate->mediaListTableView->model();
    ASSERT_EQ(model->rowCount(), 8);
    EXPECT_EQ(delegate->numberOfRowsInTableView(), 8);
    EXPECT_EQ(cellText(model, 0, 0), QStringLiteral("Continuous"));
    EXPECT_EQ(cellText(model, 0, 1), QStringLiteral("2026-03-14"));
    EXPECT_EQ(cellText(model, 0, 2), QStringLiteral("08:15:00"));
    EXPECT_EQ(cellText(model, 0, 3), QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_EQ(cellText(model, 2, 0), QStringLiteral("Motion"));
    EXPECT_EQ(cellText(model, 5, 0), QStringLiteral("Event"));
    EXPECT_EQ(cellText(model, 7, 2), QStringLiteral("17:42:00"));
    const char* icons[] = {"car_front_alwa",  "car_rear_alwa",   "car_front_motion",
                           "car_rear_motion", "car_front_event", "car_rear_event",
                           "car_front_alwa",  "car_rear_alwa"};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(cellText(model, row, 0, Qt::UserRole), QString::fromLatin1(icons[row])) << row;
        EXPECT_FALSE(model->data(model->index(row, 0), Qt::DecorationRole).isNull()) << row;
        EXPECT_TRUE(model->data(model->index(row, 1), Qt::DecorationRole).isNull()) << row;
    }
    QStringList titles;
    for (int c = 0; c < 4; ++c)
        titles << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(titles, QStringList({"Mode", "Date", "Time", "File"}));
    EXPECT_EQ(delegate->columnNames(), titles);
    const auto alignment = [&](int c) {
        return model->data(model->index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(1), Qt::AlignHCenter);
    EXPECT_EQ(alignment(3), Qt::AlignLeft);
    EXPECT_FALSE(model->index(8, 0).isValid());
}

TEST_F(MainWindowTest, AFolderWithoutRecordingsGivesAnEmptyListInListMode) {
    open(demoCard());
    delegate->clickMapViewButton();
    ASSERT_EQ(delegate->rightViewMode(), 1);
    TempTree tree;
    tree.files(QStringLiteral("DCIM"),
               {"notes.txt", "alwa_2026_F.MP4", "event_20261301_081500_F.MP4"});
    open(tree.root());
    EXPECT_EQ(delegate->mediaListTableView->model()->rowCount(), 0);
    EXPECT_EQ(delegate->rightViewMode(), 0);
    EXPECT_TRUE(delegate->mediaListScrollView->isVisible());
}

TEST_F(MainWindowTest, SideButtonsSwitchBetweenListAndMap) {
    const auto images = [&] {
        return QStringList{delegate->recordButtonImageView->property("imageName").toString(),
                           delegate->informationButtonImageView->property("imageName").toString()};
    };
    EXPECT_EQ(images(), QStringList({"record_p", "information_n"}));
    EXPECT_TRUE(delegate->mediaListScrollView->isVisible());
    EXPECT_FALSE(delegate->mapContainerView->isVisible());

    QTest::mouseClick(delegate->informationButtonImageView, Qt::LeftButton);
    EXPECT_EQ(delegate->rightViewMode(), 1);
    EXPECT_EQ(images(), QStringList({"record_n", "information_p"}));
    ASSERT_TRUE(waitFor([&] { return delegate->mapContainerView->isVisible(); }));
    EXPECT_FALSE(delegate->mediaListScrollView->isVisible());
    EXPECT_TRUE(waitFor(
        [&] { return delegate->mapContainerView->geometry() == delegate->mediaListBox->rect(); }));
    EXPECT_EQ(delegate->mapContainerBottomView->height(), 57);

    // A second click on the shown panel's button changes and re-lays out nothing: the
    // panel's box is asked for no new layout.
    spin(100);
    LayoutRequests requests(delegate->mediaListBox);
    delegate->clickMapViewButton();
    spin(100);
    EXPECT_EQ(requests.count, 0);
    QTest::mouseClick(delegate->recordButtonImageView, Qt::LeftButton);
    EXPECT_EQ(delegate->rightViewMode(), 0);
    spin(100);
    EXPECT_GT(requests.count, 0);
    requests.count = 0;
    delegate->clickMediaListViewButton();
    spin(100);
    EXPECT_EQ(requests.count, 0);
    EXPECT_EQ(images(), QStringList({"record_p", "information_n"}));
}

TEST_F(MainWindowTest, StartsAtTheMinimumSizeCentredInTheVisibleArea) {
    const QRect visible = delegate->window->screen()->availableGeometry();
    const QRect frame = delegate->window->geometry();
    EXPECT_EQ(frame.size(), QSize(1020, 640));
    EXPECT_EQ(frame.topLeft(), visible.topLeft() + QPoint((visible.width() - 1020) / 2,
                                                          (visible.height() - 640) / 2));
    EXPECT_EQ(delegate->window->initialFrame(), frame);
    EXPECT_EQ(delegate->mediaIndex(), -1);
}

TEST_F(MainWindowTest, BoxesHaveTheirFixedSizesAndMargins) {
    ASSERT_TRUE(waitFor([&] { return delegate->bodyBox->height() > 0; }));
    EXPECT_EQ(delegate->headBox->height(), 50);
    EXPECT_EQ(delegate->bodyRightBox->width(), 334);
    EXPECT_EQ(delegate->gsensorBox->height(), 130);
    EXPECT_EQ(delegate->mediaControlBox->height(), 72);
    EXPECT_EQ(delegate->sideButtonBox->height(), 32);
    EXPECT_EQ(delegate->subVideoBox->height(), 250);
    EXPECT_EQ(delegate->bodyLeftBox->x(), 10);
    EXPECT_EQ(delegate->bodyRightBox->x() - delegate->bodyLeftBox->geometry().right() - 1, 10);
    EXPECT_EQ(delegate->bodyBox->width() - delegate->bodyRightBox->geometry().right() - 1, 10);
    EXPECT_EQ(delegate->bodyBox->height() - delegate->bodyLeftBox->geometry().bottom() - 1, 8);
    EXPECT_EQ(delegate->gsensorBox->y() - delegate->videoBox->geometry().bottom() - 1, 4);
    EXPECT_FALSE(delegate->mediaControlBoxForFullScreen->isVisible());
    // The second video sits in the right column's bottom.
    EXPECT_EQ(delegate->subVideoBox->geometry().bottom(), delegate->bodyRightBox->height() - 1);
    QSettings defaults;
    EXPECT_TRUE(
        defaults.value("NSConstraintBasedLayoutVisualizeMutuallyExclusiveConstraints").toBool());
}

TEST_F(MainWindowTest, FullScreenShowsOnlyTheVideoAndTheSlimBar) {
    const QRect start = delegate->window->geometry();
    delegate->toggleFullScreen();
    ASSERT_TRUE(delegate->window->isFullScreen());
    const QRect screen = delegate->window->screen()->geometry();
    ASSERT_TRUE(waitFor([&] { return delegate->window->geometry() == screen; }));
    ASSERT_TRUE(waitFor([&] { return delegate->mediaControlBoxForFullScreen->isVisible(); }));
    EXPECT_FALSE(delegate->headBox->isVisible());
    EXPECT_FALSE(delegate->bodyRightBox->isVisible());
    EXPECT_FALSE(delegate->gsensorBox->isVisible());
    EXPECT_FALSE(delegate->mediaControlBox->isVisible());
    ASSERT_TRUE(waitFor([&] { return delegate->mediaControlBoxForFullScreen->height() == 36; }));
    EXPECT_EQ(delegate->bodyBox->height() - delegate->bodyLeftBox->geometry().bottom() - 1, 2);

    // Escape leaves full screen, back to the frame of the launch.
    QTest::keyClick(delegate->window, Qt::Key_Escape);
    EXPECT_FALSE(delegate->window->isFullScreen());
    ASSERT_TRUE(waitFor([&] { return delegate->window->geometry() == start; }));
    EXPECT_TRUE(delegate->headBox->isVisible());
    EXPECT_TRUE(delegate->gsensorBox->isVisible());
    // Outside full screen Escape is an ordinary key.
    QTest::keyClick(delegate->window, Qt::Key_Escape);
    EXPECT_FALSE(delegate->window->isFullScreen());
    EXPECT_EQ(delegate->window->geometry(), start);
}

TEST_F(MainWindowTest, SizeStepsGrowThenGoFullScreenAndShrinkToTheMinimum) {
    ASSERT_EQ(delegate->window->screen()->geometry().size(), QSize(1920, 1080))
        << "run under xvfb-run -s '-screen 0 1920x1080x24'";
    const QRect start = delegate->window->geometry();
    const auto settle = [&] { return waitFor([&] { return !delegate->window->isAnimating(); }); };
    // The X server confirms a new frame a moment after the animation's last step.
    const auto sizeBecomes = [&](QSize size) {
        waitFor([&] { return delegate->window->size() == size; }, 1000);
        return delegate->window->size();
    };
    delegate->setVideoScaleIndex(1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sizeBecomes(QSize(1224, 768)), QSize(1224, 768));
    EXPECT_EQ(delegate->window->geometry().topLeft(), start.topLeft());
    delegate->setVideoScaleIndex(1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sizeBecomes(QSize(1428, 896)), QSize(1428, 896));
    // 896 high from 220 down would end below the screen: the window moves up, not left.
    const QRect available = delegate->window->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(delegate->window->frameGeometry()))
        << delegate->window->frameGeometry().y() << " + "
        << delegate->window->frameGeometry().height();
    EXPECT_EQ(delegate->window->geometry().left(), start.left());
    delegate->setVideoScaleIndex(1);
    EXPECT_TRUE(delegate->window->isFullScreen());
    // Down from full screen goes back to the launch frame, not to 1428 x 896.
    delegate->setVideoScaleIndex(-1);
    EXPECT_FALSE(delegate->window->isFullScreen());
    ASSERT_TRUE(waitFor([&] { return delegate->window->geometry() == start; }));
    delegate->setVideoScaleIndex(-1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sizeBecomes(QSize(1020, 640)), QSize(1020, 640));
    // The keys size the window with nothing playing too (shortcuts need the window active).
    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    QTest::keyClick(delegate->window, Qt::Key_Plus, Qt::ControlModifier);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sizeBecomes(QSize(1224, 768)), QSize(1224, 768));
    QTest::keyClick(delegate->window, Qt::Key_Minus, Qt::ControlModifier);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sizeBecomes(QSize(1020, 640)), QSize(1020, 640));
}

TEST_F(MainWindowTest, OpeningAFolderWhilePlayingStopsBothPlayersFirst) {
    open(demoCard());
    playAndWait(0);
    ASSERT_TRUE(delegate->player2->media());
    TempTree tree;
    delegate->openMediaDirectory(tree.root());
    // At once, before the new folder's walk has finished.
    EXPECT_FALSE(delegate->player1->media());
    EXPECT_FALSE(delegate->player2->media());
    EXPECT_FALSE(delegate->player1->isPlaying());
    EXPECT_FALSE(delegate->player2->isPlaying());
    ASSERT_TRUE(waitFor([&] { return delegate->mediaListTableView->model()->rowCount() == 0; }));
}

TEST_F(MainWindowTest, StartingARecordingLeavesFullScreen) {
    open(demoCard());
    delegate->window->enterFullscreen();
    ASSERT_TRUE(delegate->window->isFullScreen());
    ASSERT_TRUE(delegate->playAtIndex(6));
    ASSERT_TRUE(waitFor([&] { return !delegate->window->isFullScreen(); }));
    EXPECT_TRUE(waitFor([&] { return delegate->headBox->isVisible(); }));
}

TEST_F(MainWindowTest, ADroppedFolderOpensLikeTheOpenAction) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(demoCard())});
    bool reloaded = false;
    QObject::connect(delegate.get(), &RVXAppDelegate::mediaListReloaded, [&] { reloaded = true; });
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(delegate->window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(delegate->window, &drop);
    ASSERT_TRUE(waitFor([&] { return reloaded; }));
    EXPECT_EQ(delegate->mediaListTableView->model()->rowCount(), 8);
    // A recording dropped opens the folder that holds it.
    TempTree tree;
    tree.files(QStringLiteral("a"), {"alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4"});
    open(tree.path(QStringLiteral("a/alwa_20260314_081500_R.MP4")));
    EXPECT_EQ(delegate->mediaListTableView->model()->rowCount(), 2);
    // ... with that recording selected, ready for Enter, and nothing playing yet.
    const QModelIndexList selected = delegate->mediaListTableView->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 1);
    EXPECT_EQ(delegate->mediaListTableView->currentIndex().row(), 1);
    EXPECT_EQ(delegate->mediaIndex(), -1);
    // A folder opened afterwards selects nothing.
    open(tree.path(QStringLiteral("a")));
    EXPECT_TRUE(delegate->mediaListTableView->selectionModel()->selectedRows().isEmpty());
}

TEST_F(MainWindowTest, LoadingIndicatorStopsOnHideOrAfterFifteenSeconds) {
    PMProgressIndicator* indicator = delegate->progressIndicator;
    delegate->showLoading(QStringLiteral("Loading..."));
    EXPECT_TRUE(indicator->isVisible());
    EXPECT_EQ(indicator->x(),
              delegate->headBox->x() + (delegate->headBox->width() - indicator->width()) / 2);
    ASSERT_TRUE(waitFor([&] { return delegate->progress() >= 4; }));
    // Two per tick: 50 ticks of 0.3 s make the 15 s.
    EXPECT_EQ(int(delegate->progress()) % 2, 0);
    EXPECT_TRUE(indicator->isVisible());
    delegate->hideLoading();
    ASSERT_TRUE(waitFor([&] { return !indicator->isVisible(); }, 1000));
    EXPECT_TRUE(delegate->stopVideoLoadingView());
}

TEST_F(MainWindowTest, ANewDialogReleasesThePreviousOne) {
    auto first = std::make_unique<QObject>();
    QPointer<QObject> watch(first.get());
    delegate->setLastDialogController(std::move(first));
    EXPECT_EQ(delegate->lastDialogController(), watch.data());
    delegate->setLastDialogController(std::make_unique<QObject>());
    EXPECT_TRUE(watch.isNull());
    EXPECT_NE(delegate->lastDialogController(), nullptr);
}

TEST(MainWindowStart, LogsThePreferredLanguagesThenStoresEnglish) {
    QSettings().setValue(QStringLiteral("AppleLanguages"), QStringList{"de-AT", "fr"});
    testing::internal::CaptureStderr();
    {
        RVXAppDelegate delegate;
        delegate.awakeFromNib();
        delegate.applicationDidFinishLaunching();
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("SUPPORT_LANGUAGE=de-AT\n"), std::string::npos) << log;
    EXPECT_NE(log.find("SUPPORT_LANGUAGE=fr\n"), std::string::npos) << log;
    EXPECT_EQ(QSettings().value(QStringLiteral("AppleLanguages")).toStringList(),
              QStringList{"en"});
    // The next launch finds only English.
    testing::internal::CaptureStderr();
    {
        RVXAppDelegate delegate;
        delegate.awakeFromNib();
        delegate.applicationDidFinishLaunching();
    }
    const std::string second = testing::internal::GetCapturedStderr();
    EXPECT_NE(second.find("SUPPORT_LANGUAGE=en\n"), std::string::npos) << second;
    EXPECT_EQ(second.find("SUPPORT_LANGUAGE=fr"), std::string::npos) << second;
}

// Ctrl+, opens the editor; without a card the open folder with its config.bin stands in.
TEST_F(MainWindowTest, TheCardMenuOpensTheSettingsOnTheOpenCard) {
    open(demoCard());
    QAction* settings =
        delegate->window->findChild<QAction*>(QStringLiteral("action.camera_settings"));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->trigger();
    auto* editor = qobject_cast<RVXSettingController*>(delegate->lastDialogController());
    ASSERT_NE(editor, nullptr);
    // The search runs behind the editor's loading sheet.
    EXPECT_TRUE(waitFor([&] { return !editor->m_SettingFilePath.isEmpty(); }));
    EXPECT_EQ(editor->m_SettingFilePath, QDir(demoCard()).filePath(QStringLiteral("config.bin")));
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(editor->lastSelectedTabIndex, 0);
    // Another open releases this one.
    settings->trigger();
    EXPECT_NE(delegate->lastDialogController(), editor);
    // The clock window from the same menu, on the open card's timeset.cfg.
    QAction* clock = delegate->window->findChild<QAction*>(QStringLiteral("action.clock_file"));
    ASSERT_NE(clock, nullptr);
    clock->trigger();
    auto* clockWindow = qobject_cast<RVXTimeSetupController*>(delegate->lastDialogController());
    ASSERT_NE(clockWindow, nullptr);
    EXPECT_TRUE(clockWindow->window()->isVisible());
    EXPECT_TRUE(waitFor([&] { return !clockWindow->searching(); }));
    EXPECT_EQ(clockWindow->m_SettingFilePath,
              QDir(demoCard()).filePath(QStringLiteral("timeset.cfg")));
}
