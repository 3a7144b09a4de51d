// SPDX-License-Identifier: GPL-3.0-or-later
// The library as the user meets it in the real window: a card imported, the library
// opened, a day's drive on the map, a box dragged there with Shift held (the real
// pointer, through xdotool), the drive found and played from that place; a card put in
// offered for import.
#include "../player/PlayerTestSupport.h"

#include "core/library/RVXLibrary.h"
#include "gui/library/RVXLibraryController.h"
#include "gui/library/RVXLibraryImportPanel.h"
#include "gui/library/RVXLibraryRetentionDialog.h"
#include "gui/trips/RVXTripController.h"
#include "platform/RVXUDisks2.h"
#include "support/TempTree.h"
#include "support/UDisks2StandIn.h"
#include "support/WebPageTestSupport.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWebEngineView>

namespace {

class LibraryWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        library = delegate->libraryController();
        library->setFolder(folder.path());
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        RVXDiskService::setShared(nullptr);
    }
    // Imports card and waits for the panel's last word.
    QString importAndWait(const QString& card) {
        QSignalSpy finished(library, &RVXLibraryController::importFinished);
        library->importCard(card);
        if (!waitFor([&] { return finished.count() == 1; }, 120000))
            return QStringLiteral("the import did not end");
        return library->importPanel()->text();
    }
    // Where a place of the map is on the screen.
    QPoint onScreen(double latitude, double longitude) {
        const QVariantList p =
            evaluate(delegate->mapWebView->page(), QStringLiteral("rvxPointOf(%1, %2)")
                                                       .arg(latitude, 0, 'f', 7)
                                                       .arg(longitude, 0, 'f', 7))
                .toList();
        if (p.size() != 2)
            return QPoint(-1, -1);
        return delegate->mapWebView->mapToGlobal(
            QPoint(int(p[0].toDouble()), int(p[1].toDouble())));
    }
    static void xdotool(const QString& args) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args.split(u' ')), 0)
            << "xdotool " << qPrintable(args);
        spin(60);
    }
    QTemporaryDir folder;
    RVXLibraryController* library = nullptr;
};

} // namespace

TEST_F(LibraryWindowTest, ACardImportedIsFoundByPlaceOnTheMapAndPlaysFromThere) {
    open(demoCard());
    const QString first = importAndWait(demoCard());
    EXPECT_TRUE(first.startsWith(QStringLiteral("8 recordings imported, 0 already")))
        << qPrintable(first);
    // The same card again adds nothing.
    const QString second = importAndWait(demoCard());
    EXPECT_TRUE(second.startsWith(QStringLiteral("0 recordings imported, 8 already")))
        << qPrintable(second);

    // Done with the panel, as a user is: its Close button.
    library->importPanel()->findChild<QPushButton*>(QStringLiteral("libraryTaskClose"))->click();
    ASSERT_TRUE(waitFor([&] { return !library->importPanel()->isVisible(); }));
    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    bool reloaded = false;
    auto c = QObject::connect(delegate.get(), &RVXAppDelegate::mediaListReloaded,
                              [&] { reloaded = true; });
    QTest::keyClick(delegate->window, Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return reloaded; }))
        << "the focus is on a "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                        : "nothing");
    QObject::disconnect(c);
    ASSERT_TRUE(library->isOpenInWindow());
    EXPECT_EQ(delegate->mediaList()->count(), 8);
    ASSERT_TRUE(waitFor([&] { return delegate->tripController()->trips().size() == 2; }));

    // The map page with the first day chosen: its drive is drawn.
    QTest::keyClick(delegate->window, Qt::Key_2, Qt::ControlModifier);
    auto* from = delegate->window->findChild<QDateEdit*>(QStringLiteral("libraryFrom"));
    auto* to = delegate->window->findChild<QDateEdit*>(QStringLiteral("libraryTo"));
    ASSERT_TRUE(from && to);
    ASSERT_TRUE(waitFor([&] { return from->isVisible(); }));
    from->setDate(QDate(2026, 3, 14));
    to->setDate(QDate(2026, 3, 14));
    ASSERT_TRUE(waitFor([&] {
        return library->drivesShown() == 1 &&
               evaluate(delegate->mapWebView->page(), QStringLiteral("rvxDriveCount()")).toInt() ==
                   1;
    })) << library->drivesShown();

    // A point 20 s into the drive, from the index, and a box around it on the screen.
    RVXLibrary index(folder.path());
    ASSERT_EQ(index.open(false), std::nullopt);
    RVXLibraryQuery day;
    day.from = day.to = QDate(2026, 3, 14);
    const std::vector<RVXLibraryTrip> trips = index.index().trips(day);
    ASSERT_EQ(trips.size(), 1u);
    const std::vector<RVXLibraryTrackPoint> track = index.index().track(trips[0].id);
    ASSERT_GT(track.size(), 30u);
    const RVXLibraryTrackPoint& here = track[20];
    const QPoint a = onScreen(here.latitude + 0.0004, here.longitude - 0.0006);
    const QPoint b = onScreen(here.latitude - 0.0004, here.longitude + 0.0006);
    const QRect map(delegate->mapWebView->mapToGlobal(QPoint(0, 0)), delegate->mapWebView->size());
    ASSERT_TRUE(map.contains(a) && map.contains(b))
        << a.x() << "," << a.y() << " " << b.x() << "," << b.y() << " outside the map";
    QSignalSpy answered(library, &RVXLibraryController::placeAnswered);
    xdotool(QStringLiteral("mousemove %1 %2").arg(a.x()).arg(a.y()));
    xdotool(QStringLiteral("keydown shift"));
    xdotool(QStringLiteral("mousedown 1"));
    xdotool(QStringLiteral("mousemove %1 %2").arg((a.x() + b.x()) / 2).arg((a.y() + b.y()) / 2));
    xdotool(QStringLiteral("mousemove %1 %2").arg(b.x()).arg(b.y()));
    xdotool(QStringLiteral("mouseup 1"));
    xdotool(QStringLiteral("keyup shift"));
    ASSERT_TRUE(waitFor([&] { return answered.count() >= 1; }))
        << "no answer for the box; the status says " << qPrintable(library->placeStatus()->text());

    QTreeWidget* list = library->placeList();
    ASSERT_TRUE(list->isVisible());
    QTreeWidgetItem* drive = nullptr;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(1).startsWith(QStringLiteral("Drive 08:15:00")))
            drive = list->topLevelItem(i);
    ASSERT_NE(drive, nullptr) << qPrintable(library->placeStatus()->text());

    // A double-click plays the drive from where it passed the box.
    const QPoint row = list->visualItemRect(drive).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    RVXTripController* playing = delegate->tripController();
    ASSERT_TRUE(waitFor([&] { return playing->playsTrip() && delegate->playInfo()->isPlaying(); }));
    const double passed = here.moment - double(trips[0].start);
    EXPECT_NEAR(playing->tripSecond(), passed, 6.0);
}

TEST_F(LibraryWindowTest, ACardPutInIsOfferedAndImportedFromTheBar) {
    UDisks2StandIn standIn;
    ASSERT_EQ(standIn.error(), QString());
    TempTree tree;
    QDir().mkpath(tree.path(QStringLiteral("media")));
    ASSERT_TRUE(QFile::link(demoCard(), tree.path(QStringLiteral("media/ZAMO"))));
    const QJsonObject reader{
        {"id", "Reader"}, {"bus", "usb"}, {"removable", true}, {"model", "Reader"}};
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>(standIn.bus()));
    // A window started before the card: the bar follows the disk service's changes.
    delegate.reset();
    delegate = std::make_unique<RVXAppDelegate>();
    delegate->awakeFromNib();
    delegate->applicationDidFinishLaunching();
    library = delegate->libraryController();
    library->setFolder(folder.path());
    ASSERT_TRUE(waitFor([&] { return delegate->window->isVisible(); }));
    QSignalSpy offered(library, &RVXLibraryController::cardOffered);
    ASSERT_EQ(standIn.setVolumes(QJsonArray{
                  QJsonObject{{"name", "a"},
                              {"device", tree.path(QStringLiteral("a.img"))},
                              {"mountPoints", QJsonArray{tree.path(QStringLiteral("media/ZAMO"))}},
                              {"label", "ZAMO"},
                              {"size", qint64(8) << 30},
                              {"drive", reader}}}),
              QString());
    ASSERT_TRUE(waitFor([&] { return offered.count() == 1; }, 20000));
    QWidget* bar = library->cardBar();
    EXPECT_TRUE(bar->isVisible());
    const QString text = bar->findChild<QLabel*>(QStringLiteral("libraryCardText"))->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Card ZAMO: 8 recordings not in your library (")))
        << qPrintable(text);
    EXPECT_FALSE(QFileInfo::exists(QDir(folder.path()).filePath(QStringLiteral("library.db"))))
        << "the offer made the library";

    // Import… asks what to take; only the drives with an event come in.
    QSignalSpy finished(library, &RVXLibraryController::importFinished);
    bar->findChild<QPushButton*>(QStringLiteral("libraryCardImport"))->click();
    QMessageBox* choice = nullptr;
    ASSERT_TRUE(waitFor([&] {
        choice = delegate->window->findChild<QMessageBox*>(QStringLiteral("importChoice"));
        return choice && choice->isVisible();
    }));
    choice->findChild<QPushButton*>(QStringLiteral("library.choice_events"))->click();
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }, 120000));
    EXPECT_TRUE(finished[0][0].toBool()) << qPrintable(library->importPanel()->text());
    EXPECT_FALSE(bar->isVisible());
    RVXLibrary index(folder.path());
    ASSERT_EQ(index.open(false), std::nullopt);
    const std::vector<RVXLibraryRecording> held = index.index().recordings({});
    EXPECT_GT(held.size(), 0u);
    EXPECT_LT(held.size(), 8u) << "the drive without an event came in too";
    EXPECT_TRUE(
        index.index().recordingAt(QStringLiteral("2026/2026-03-14/event_20260314_081527_F.MP4")));
}

// Library > Retention…: what would go is listed first and nothing is deleted until asked;
// then only those go, never an event recording.
TEST_F(LibraryWindowTest, RetentionListsWhatGoesBeforeDeletingAndKeepsTheEvents) {
    ASSERT_TRUE(importAndWait(demoCard()).startsWith(QStringLiteral("8 recordings imported")));
    QAction* retention = delegate->window->findChild<QAction*>(QStringLiteral("action.retention"));
    ASSERT_NE(retention, nullptr);
    retention->trigger();
    RVXLibraryRetentionDialog* dialog = nullptr;
    ASSERT_TRUE(waitFor([&] {
        dialog = delegate->window->findChild<RVXLibraryRetentionDialog*>();
        return dialog && dialog->isVisible();
    }));
    auto* days = dialog->findChild<QSpinBox*>(QStringLiteral("keepDays"));
    days->setValue(30);
    QSignalSpy shown(dialog, &RVXLibraryRetentionDialog::planShown);
    dialog->findChild<QPushButton*>(QStringLiteral("showButton"))->click();
    ASSERT_TRUE(waitFor([&] { return shown.count() == 1; }));
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("toDelete"));
    QStringList listed;
    for (int i = 0; i < list->count(); ++i)
        listed << list->item(i)->text();
    // The demo card's drives are months old: every loop recording goes, nothing else.
    ASSERT_FALSE(listed.isEmpty());
    for (const QString& path : listed) {
        EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("alwa_")))
            << qPrintable(path);
        EXPECT_TRUE(QFileInfo::exists(QDir(folder.path()).filePath(path)))
            << "listed, then deleted before the user asked: " << qPrintable(path);
    }

    QSignalSpy deleted(dialog, &RVXLibraryRetentionDialog::deleted);
    dialog->findChild<QPushButton*>(QStringLiteral("deleteButton"))->click();
    ASSERT_TRUE(waitFor([&] { return deleted.count() == 1; }));
    EXPECT_TRUE(deleted[0][0].toBool());
    for (const QString& path : listed)
        EXPECT_FALSE(QFileInfo::exists(QDir(folder.path()).filePath(path))) << qPrintable(path);
    EXPECT_TRUE(QFileInfo::exists(
        QDir(folder.path())
            .filePath(QStringLiteral("2026/2026-03-14/event_20260314_081527_F.MP4"))));
}

// Library > Keep What Plays Always on a recording shown from the library: it and its
// pair's other side leave the retention's list.
TEST_F(LibraryWindowTest, WhatPlaysIsKeptAndTheRetentionLeavesIt) {
    ASSERT_TRUE(importAndWait(demoCard()).startsWith(QStringLiteral("8 recordings imported")));
    open(folder.path());
    ASSERT_TRUE(library->isOpenInWindow());
    playAndWait(0);
    const QString shown = QFileInfo(delegate->player1->media()->path()).fileName();
    ASSERT_TRUE(shown.startsWith(QStringLiteral("alwa_20260314_081500"))) << qPrintable(shown);
    QSignalSpy kept(library, &RVXLibraryController::kept);
    delegate->window->findChild<QAction*>(QStringLiteral("action.keep_playing"))->trigger();
    ASSERT_TRUE(waitFor([&] { return kept.count() == 1; }));
    EXPECT_TRUE(kept[0][0].toString().startsWith(QStringLiteral("2 recordings")))
        << qPrintable(kept[0][0].toString());

    RVXLibrary index(folder.path());
    ASSERT_EQ(index.open(false), std::nullopt);
    for (const QString side : {"F", "R"}) {
        const auto r = index.index().recordingAt(
            QStringLiteral("2026/2026-03-14/alwa_20260314_081500_%1.MP4").arg(side));
        ASSERT_TRUE(r);
        EXPECT_TRUE(r->isProtected) << qPrintable(side);
    }
    RVXLibraryRetention::Rule rule;
    rule.keepDays = 1;
    for (const RVXLibraryRecording& r : RVXLibraryRetention::plan(index, rule).remove)
        EXPECT_FALSE(r.path.contains(QStringLiteral("081500"))) << qPrintable(r.path);
}
