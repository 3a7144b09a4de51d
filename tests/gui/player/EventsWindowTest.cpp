// SPDX-License-Identifier: GPL-3.0-or-later
// The card scan in the real window: the Events view lists what the demo card holds and
// plays each moment; a card whose clock is off gets the clock bar.
#include "PlayerTestSupport.h"

#include "core/settings/RVXSettingFile.h"
#include "gui/cardtools/RVXTimeSetupController.h"
#include "gui/player/GraphView.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/settings/RVXSettingController.h"
#include "support/TempTree.h"
#include "support/WebPageTestSupport.h"
#include "widgets/PMProgressIndicator.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QWebEngineView>

namespace {

QString fileOf(const VLCMediaPlayer* player) {
    return player && player->media() ? QFileInfo(player->media()->path()).fileName() : QString();
}

class EventsWindowTest : public MainWindowTest {
protected:
    void openAndScan(const QString& folder) {
        open(folder);
        events = delegate->eventsController();
        ASSERT_TRUE(waitFor([&] { return events->result().has_value(); }, 20000));
    }
    // Double-clicks a row of the Events view as a hand does, and gives the second the
    // main player opened at.
    std::optional<double> playRow(int row, const QString& file) {
        // The first time libVLC publishes for the recording is where it opened; timing
        // the start with a clock would count a busy machine's delays as seconds.
        std::optional<double> first;
        const auto watch = QObject::connect(
            delegate->player1, &VLCMediaPlayer::mediaPlayerTimeChanged, [&](VLCMediaPlayer* p) {
                if (!first && fileOf(p) == file && p->time().intValue() > 0)
                    first = p->time().intValue() / 1000.0;
            });
        QTableView* view = events->eventsTable();
        const QRect rect = view->visualRect(view->model()->index(row, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        const bool played = waitFor([&] {
            return fileOf(delegate->player1) == file && delegate->playInfo()->isPlaying() && first;
        });
        QObject::disconnect(watch);
        return played ? first : std::nullopt;
    }
    RVXEventsController* events = nullptr;
};

} // namespace

TEST_F(EventsWindowTest, TheEventsViewListsTheDemoCardAndPlaysEachMoment) {
    openAndScan(demoCard());
    EXPECT_FALSE(events->progress()->isVisible());
    EXPECT_FALSE(events->clockBar()->isVisible()) << "the demo card's clock is right";

    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    QTest::keyClick(delegate->window, Qt::Key_3, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return events->eventsView()->isVisible(); }));
    EXPECT_FALSE(delegate->mediaListTableView->isVisible());
    EXPECT_EQ(events->eventsButton()->property("imageName").toString(), QStringLiteral("events_p"));

    QAbstractItemModel* model = events->eventsTable()->model();
    ASSERT_EQ(model->rowCount(), 2);
    spin(200);
    EXPECT_TRUE(columnsFit(events->eventsTable(), events->eventsTable()->horizontalHeader(), 3));
    const auto text = [&](int row, int column) {
        return model->index(row, column).data().toString();
    };
    EXPECT_EQ(text(0, 0), QStringLiteral("03-14 08:15:33"));
    EXPECT_EQ(text(0, 1), QStringLiteral("Impact"));
    EXPECT_TRUE(text(0, 2).endsWith(QStringLiteral(" g (xyz)"))) << qPrintable(text(0, 2));
    EXPECT_EQ(text(1, 0), QStringLiteral("03-15 17:42:07"));
    EXPECT_EQ(text(1, 1), QStringLiteral("Hard braking"));
    EXPECT_TRUE(text(1, 4).startsWith(QStringLiteral("48.20"))) << qPrintable(text(1, 4));
    // Both have a place, so both are on the map page.
    EXPECT_TRUE(waitFor([&] {
        return evaluate(delegate->mapWebView->page(), QStringLiteral("rvxEventCount()")).toInt() ==
               2;
    }));

    // The knock 6 s into the event recording plays from 5 s, its mark on graph and slider.
    std::optional<double> opened = playRow(0, QStringLiteral("event_20260314_081527_F.MP4"));
    ASSERT_TRUE(opened);
    EXPECT_NEAR(*opened, 5.0, 0.6);
    ASSERT_TRUE(waitFor([&] { return delegate->graphView->impactMarks().size() == 1; }));
    EXPECT_NEAR(delegate->graphView->impactMarks()[0], 6.0 / 14.0, 0.02);

    // The hard stop, in the next day's rear recording.
    opened = playRow(1, QStringLiteral("alwa_20260315_174200_R.MP4"));
    ASSERT_TRUE(opened);
    EXPECT_NEAR(*opened, 6.2, 0.6);
    EXPECT_TRUE(delegate->graphView->impactMarks().empty());
}

// The demo card's recordings, linked into tree, for a config.bin of a test's own.
static bool linkDemoRecordings(TempTree& tree) {
    for (const QString day : {"20260314", "20260315"}) {
        QDir().mkpath(tree.path(day));
        for (const QFileInfo& f : QDir(QDir(demoCard()).filePath(day)).entryInfoList(QDir::Files))
            if (!QFile::link(f.absoluteFilePath(), tree.path(day + u'/' + f.fileName())))
                return false;
    }
    return true;
}

TEST_F(EventsWindowTest, ACardWhoseClockIsOffGetsTheClockBar) {
    // The demo card's recordings under a config.bin that claims summer time: its clock is
    // then an hour behind what the settings say.
    TempTree tree;
    ASSERT_TRUE(linkDemoRecordings(tree));
    _FILEDATA settings{};
    ASSERT_TRUE(readSettingFile(QDir(demoCard()).filePath(QStringLiteral("config.bin")), settings));
    settings.summer_time = 1;
    RVXSealSetting(settings);
    ASSERT_FALSE(writeSettingFile(settings, tree.path(QStringLiteral("config.bin"))));

    openAndScan(tree.root());
    ASSERT_TRUE(waitFor([&] { return events->clockBar()->isVisible(); }));
    EXPECT_TRUE(events->clockBarText()->text().startsWith(
        QStringLiteral("The camera's clock is 1 h slow.")))
        << qPrintable(events->clockBarText()->text());
    auto* settingsButton = events->clockBar()->findChild<QPushButton*>("clockSettingsButton");
    ASSERT_TRUE(settingsButton);
    EXPECT_TRUE(settingsButton->isVisible()) << "a zone off is a setting";
    // The bar is a bar, not a dialog: the list stays usable under it.
    EXPECT_TRUE(delegate->mediaListTableView->isEnabled());

    auto* set = events->clockBar()->findChild<QPushButton*>("setClockButton");
    ASSERT_TRUE(set);
    QTest::mouseClick(set, Qt::LeftButton);
    auto* clock = qobject_cast<RVXTimeSetupController*>(delegate->lastDialogController());
    ASSERT_TRUE(clock);
    EXPECT_TRUE(waitFor([&] { return clock->window()->isVisible(); }));
    EXPECT_EQ(clock->selectedDate, QDate::currentDate());
    delegate->setLastDialogController(nullptr);

    QTest::mouseClick(events->clockBar()->findChild<QPushButton*>("hideClockBarButton"),
                      Qt::LeftButton);
    EXPECT_FALSE(events->clockBar()->isVisible());
    // Full screen and back does not bring a dismissed bar again.
    delegate->layoutWindow();
    EXPECT_FALSE(events->clockBar()->isVisible());
}

// The bar's "Camera settings…" leads to where the zone and summer time are, and once they
// are saved right on the card the bar is worked out again.
TEST_F(EventsWindowTest, SavingTheRightSummerTimeTakesTheClockBarAway) {
    TempTree tree;
    ASSERT_TRUE(linkDemoRecordings(tree));
    _FILEDATA settings{};
    const QString config = tree.path(QStringLiteral("config.bin"));
    ASSERT_TRUE(readSettingFile(QDir(demoCard()).filePath(QStringLiteral("config.bin")), settings));
    settings.summer_time = 1;
    RVXSealSetting(settings);
    ASSERT_FALSE(writeSettingFile(settings, config));

    openAndScan(tree.root());
    ASSERT_TRUE(waitFor([&] { return events->clockBar()->isVisible(); }));
    QTest::mouseClick(events->clockBar()->findChild<QPushButton*>("clockSettingsButton"),
                      Qt::LeftButton);
    auto* editor = qobject_cast<RVXSettingController*>(delegate->lastDialogController());
    ASSERT_TRUE(editor);
    ASSERT_TRUE(waitFor([&] { return editor->window()->isVisible() && editor->searched(); }));
    EXPECT_EQ(editor->lastSelectedTabIndex, 2) << "the GPS page, where the zone is";
    ASSERT_EQ(QFileInfo(editor->m_SettingFilePath).canonicalFilePath(),
              QFileInfo(config).canonicalFilePath());
    auto* summer = editor->window()->findChild<QCheckBox*>(QStringLiteral("summerTimeChk"));
    ASSERT_TRUE(summer);
    ASSERT_TRUE(waitFor([&] { return summer->isChecked(); }));
    summer->click();
    editor->onSave();
    ASSERT_TRUE(waitFor([&] {
        _FILEDATA saved{};
        return readSettingFile(config, saved) && saved.summer_time == 0;
    }));
    EXPECT_TRUE(
        waitFor([&] { return !events->scanning() && !events->clockBar()->isVisible(); }, 20000))
        << qPrintable(events->clockBarText()->text());
}
