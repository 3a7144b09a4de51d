// SPDX-License-Identifier: GPL-3.0-or-later
// A recording cut short in the real window: marked in the list, "Repair a copy…" over its
// view when it will not play, and the copy joining the list and playing with its graph
// and map.
#include "PlayerTestSupport.h"

#include "core/catalogue/RVXMediaList.h"

#include "gui/player/GraphView.h"
#include "gui/player/RVXMediaListTableModel.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCVideoView.h"
#include "gui/repair/RVXRepairController.h"
#include "support/TempTree.h"
#include "support/WebPageTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QWebEngineView>

namespace {

QByteArray demo(const char* name, const char* day = "20260314") {
    QFile f(QDir(demoCard()).filePath(QLatin1String(day) + u'/' + QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString fileOf(const VLCMediaPlayer* player) {
    return player->media() ? QFileInfo(player->media()->path()).fileName() : QString();
}

} // namespace

TEST_F(MainWindowTest, ACutRecordingIsMarkedAndItsRepairedCopyPlaysWithGraphAndMap) {
    TempTree tree;
    const QByteArray whole = demo("event_20260314_081527_F.MP4");
    tree.file(QStringLiteral("alwa_20260314_081500_F.MP4"), demo("alwa_20260314_081500_F.MP4"));
    const QString broken =
        tree.file(QStringLiteral("event_20260314_081527_F.MP4"), whole.left(whole.size() / 2));
    RVXRepairController* repairs = delegate->repairController();
    bool found = false;
    QObject::connect(repairs, &RVXRepairController::cutShortFound, [&] { found = true; });
    open(tree.root());
    ASSERT_TRUE(waitFor([&] { return found; }));

    QAbstractItemModel* model = delegate->mediaListTableView->model();
    int row = -1;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 3).data().toString().startsWith(QStringLiteral("event_")))
            row = r;
    }
    ASSERT_GE(row, 0);
    EXPECT_TRUE(model->index(row, 3)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith(QStringLiteral("Cut short (no index); it can be repaired")));
    EXPECT_FALSE(model->index(row, 3).data(Qt::DecorationRole).isNull());
    EXPECT_TRUE(model->index(1 - row, 3).data(Qt::DecorationRole).isNull());

    // The whole one plays first, so that its time is on the field.
    ASSERT_TRUE(delegate->playAtIndex(1 - row));
    ASSERT_TRUE(waitFor([&] {
        return !delegate->waitingForPlayStart() && delegate->player1->time().intValue() > 1000 &&
               !delegate->timeField->text().startsWith(QStringLiteral("00:00"));
    }));

    // It will not play; the view offers the repair, drawn under its message, and the
    // field no longer shows the time of the recording before.
    ASSERT_TRUE(delegate->playAtIndex(row));
    RVXScrollableVideoContainerView* view = delegate->videoContainerView;
    ASSERT_TRUE(waitFor([&] { return !view->messageActionRect().isEmpty(); }));
    EXPECT_EQ(delegate->timeField->text(), QStringLiteral("00:00 / 00:00"))
        << qPrintable(delegate->timeField->text());
    EXPECT_EQ(view->messageActionText(), QStringLiteral("Repair a copy\u2026"));
    EXPECT_TRUE(view->message().contains(QStringLiteral("was cut short")))
        << qPrintable(view->message());
    // Drawn, so no window of its own over the video's.
    EXPECT_TRUE(view->findChildren<QPushButton*>().isEmpty());
    QString proposed;
    repairs->savePanel = [&](const QString& p) {
        proposed = p;
        return p;
    };
    bool made = false, done = false;
    QObject::connect(repairs, &RVXRepairController::repairFinished, [&](const QString&, bool ok) {
        made = ok;
        done = true;
    });
    QTest::mouseClick(view, Qt::LeftButton, {}, view->messageActionRect().center());
    ASSERT_TRUE(waitFor([&] { return done; }, 30000));
    ASSERT_TRUE(made);
    // It says how much came back, and where and why the walk stopped.
    auto* report = delegate->window->findChild<QMessageBox*>(QStringLiteral("repairDone"));
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->isVisible());
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^The copy event_20260314_081527_F_repaired.MP4 holds 7.00 s "
                                   "of video \\(210 frames\\). The repair stopped: a partial "
                                   "chunk at byte \\d+; the \\d+ bytes from there on are left "
                                   "out\\.$"))
                    .match(report->text())
                    .hasMatch())
        << qPrintable(report->text());
    report->close();
    EXPECT_EQ(QFileInfo(proposed).fileName(),
              QStringLiteral("event_20260314_081527_F_repaired.MP4"));
    EXPECT_EQ(demo("event_20260314_081527_F.MP4"), whole);

    // The copy is in the list, plays, and drives the graph and the map.
    ASSERT_TRUE(waitFor([&] {
        return delegate->player1->media() &&
               QFileInfo(delegate->player1->media()->path()).fileName() ==
                   QStringLiteral("event_20260314_081527_F_repaired.MP4") &&
               delegate->playInfo()->isPlaying();
    }));
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_TRUE(waitFor([&] { return !delegate->graphView->values().empty(); }));
    EXPECT_TRUE(waitFor([&] {
        return evaluate(delegate->mapWebView->page(), QStringLiteral("rvxTrackLength()")).toInt() >
               10;
    }));
    EXPECT_TRUE(delegate->videoContainerView->message().isEmpty());
}

// The offer belongs to the recording that will not play: it is there each time that
// recording is shown (a partner cut short pauses a moment after it seemed to start), and
// stays when the side that plays has come to its end.
TEST_F(MainWindowTest, TheRepairOfferStaysWhileTheCutRecordingIsShown) {
    for (const bool frontCut : {true, false}) {
        SCOPED_TRACE(frontCut ? "the front cut short" : "the rear cut short");
        TempTree tree;
        for (const char* name : {"alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4"})
            tree.file(QLatin1String(name), demo(name));
        const char* cutName =
            frontCut ? "event_20260314_081527_F.MP4" : "event_20260314_081527_R.MP4";
        const char* wholeName =
            frontCut ? "event_20260314_081527_R.MP4" : "event_20260314_081527_F.MP4";
        const QByteArray cut = demo(cutName);
        tree.file(QLatin1String(cutName), cut.left(cut.size() / 2));
        tree.file(QLatin1String(wholeName), demo(wholeName));
        RVXRepairController* repairs = delegate->repairController();
        bool found = false;
        auto c =
            QObject::connect(repairs, &RVXRepairController::cutShortFound, [&] { found = true; });
        open(tree.root());
        ASSERT_TRUE(waitFor([&] { return found; }));
        QObject::disconnect(c);

        // The event pair is the last in the list: nothing follows it at its end. Which of
        // the two players reports what first differs from start to start: a few starts.
        ASSERT_EQ(delegate->mediaList()->count(), 4);
        RVXScrollableVideoContainerView* sub = delegate->subVideoContainerView;
        for (int start = 0; start < 3; ++start) {
            SCOPED_TRACE(start);
            delegate->stopPlay();
            ASSERT_TRUE(delegate->playAtIndex(2));
            ASSERT_TRUE(waitFor(
                [&] {
                    return !delegate->waitingForPlayStart() && delegate->playInfo()->isPlaying() &&
                           !sub->messageActionRect().isEmpty();
                },
                5000));
        }
        EXPECT_EQ(sub->messageActionText(), QStringLiteral("Repair a copy\u2026"));
        const QString shown = sub->message();
        EXPECT_TRUE(shown.contains(QLatin1String(cutName))) << qPrintable(shown);

        // Played to its end, and past the moment the list would have moved on.
        ASSERT_TRUE(waitFor(
            [&] {
                return delegate->player1->media() &&
                       delegate->player1->state() == VLCMediaPlayerStatePaused &&
                       delegate->player1->position() >= 0.95f;
            },
            30000));
        spin(2500);
        EXPECT_EQ(delegate->mediaIndex(), 2);
        EXPECT_EQ(sub->message(), shown);
        EXPECT_FALSE(sub->messageActionRect().isEmpty());
        delegate->stopPlay();
    }
}

// A card of two days, the front of the knock cut short: its copy, repaired from the rear's
// view, joins the card as it was open (both days listed), chosen and playing beside the
// rear of its moment as the camera's recording would have; the list goes on from the
// moment's rows to the next day.
TEST_F(MainWindowTest, TheRepairedCopyJoinsTheOpenCardAndPlaysBesideItsRear) {
    TempTree tree;
    for (const char* name : {"alwa_20260314_081500_F.MP4", "alwa_20260314_081500_R.MP4",
                             "event_20260314_081527_R.MP4"})
        tree.file(QStringLiteral("20260314/") + QLatin1String(name), demo(name));
    tree.file(QStringLiteral("20260315/alwa_20260315_174200_R.MP4"),
              demo("alwa_20260315_174200_R.MP4", "20260315"));
    const QByteArray whole = demo("event_20260314_081527_F.MP4");
    tree.file(QStringLiteral("20260314/event_20260314_081527_F.MP4"), whole.left(whole.size() / 2));
    RVXRepairController* repairs = delegate->repairController();
    bool found = false;
    QObject::connect(repairs, &RVXRepairController::cutShortFound, [&] { found = true; });
    open(tree.root());
    ASSERT_TRUE(waitFor([&] { return found; }));
    ASSERT_EQ(delegate->mediaList()->count(), 5);

    // The front will not play: the rear leads, the small view offers the repair.
    ASSERT_TRUE(delegate->playAtIndex(2));
    RVXScrollableVideoContainerView* sub = delegate->subVideoContainerView;
    ASSERT_TRUE(waitFor([&] {
        return !delegate->waitingForPlayStart() && delegate->playInfo()->isPlaying() &&
               !sub->messageActionRect().isEmpty();
    }));
    EXPECT_EQ(fileOf(delegate->player1), QStringLiteral("event_20260314_081527_R.MP4"));
    repairs->savePanel = [](const QString& p) { return p; };
    bool made = false, done = false;
    QObject::connect(repairs, &RVXRepairController::repairFinished, [&](const QString&, bool ok) {
        made = ok;
        done = true;
    });
    QTest::mouseClick(sub, Qt::LeftButton, {}, sub->messageActionRect().center());
    ASSERT_TRUE(waitFor([&] { return done; }, 30000));
    ASSERT_TRUE(made);
    if (auto* report = delegate->window->findChild<QMessageBox*>(QStringLiteral("repairDone")))
        report->close();

    // The copy plays with the rear, and the card is open as it was.
    ASSERT_TRUE(waitFor([&] {
        return fileOf(delegate->player1) ==
                   QStringLiteral("event_20260314_081527_F_repaired.MP4") &&
               delegate->playInfo()->isPlaying() && delegate->player2->isPlaying();
    }));
    EXPECT_EQ(fileOf(delegate->player2).toStdString(), "event_20260314_081527_R.MP4");
    EXPECT_TRUE(waitFor([&] { return delegate->video2View->isVisible(); }));
    EXPECT_TRUE(sub->message().isEmpty()) << qPrintable(sub->message());
    EXPECT_EQ(delegate->mediaList()->directoryPath().value_or(QString()).toStdString(),
              tree.root().toStdString());
    EXPECT_TRUE(delegate->window->windowTitle().endsWith(tree.root()))
        << qPrintable(delegate->window->windowTitle());
    QStringList rows;
    QAbstractItemModel* model = delegate->mediaListTableView->model();
    for (int r = 0; r < model->rowCount(); ++r)
        rows << model->index(r, 3).data().toString();
    EXPECT_EQ(rows.join(u' ').toStdString(),
              "alwa_20260314_081500_F.MP4 alwa_20260314_081500_R.MP4 "
              "event_20260314_081527_F.MP4 event_20260314_081527_F_repaired.MP4 "
              "event_20260314_081527_R.MP4 alwa_20260315_174200_R.MP4");
    EXPECT_EQ(delegate->mediaIndex(), 3);
    const QModelIndexList selected = delegate->mediaListTableView->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 3);
    // The cut recording is still marked; its copy is not.
    EXPECT_TRUE(waitFor([&] { return !model->index(2, 3).data(Qt::DecorationRole).isNull(); }));
    EXPECT_TRUE(model->index(3, 3).data(Qt::DecorationRole).isNull());

    // From every row of the moment, the list goes on to the next day's recording; the rear
    // plays beside the copy, not beside the recording that cannot be played.
    struct Start {
        int row;
        const char *main, *beside;
    };
    for (const Start& start :
         {Start{4, "event_20260314_081527_R.MP4", "event_20260314_081527_F_repaired.MP4"},
          Start{2, "event_20260314_081527_R.MP4", ""}}) {
        SCOPED_TRACE(start.row);
        ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart(); }));
        ASSERT_TRUE(delegate->playNext());
        EXPECT_EQ(delegate->mediaIndex(), 5);
        ASSERT_TRUE(waitFor([&] { return !delegate->waitingForPlayStart(); }));
        ASSERT_TRUE(delegate->playAtIndex(start.row));
        ASSERT_TRUE(waitFor([&] {
            return !delegate->waitingForPlayStart() && delegate->playInfo()->isPlaying() &&
                   fileOf(delegate->player1) == QLatin1String(start.main);
        }));
        EXPECT_EQ(fileOf(delegate->player2).toStdString(), start.beside);
    }
    ASSERT_TRUE(delegate->playNext());
    EXPECT_EQ(delegate->mediaIndex(), 5);
}

// A card that cannot be written has its copy saved elsewhere: that folder is the one
// where the copy can be listed and played.
TEST_F(MainWindowTest, ACopySavedOutsideTheOpenFolderIsListedWhereItIs) {
    TempTree card, documents;
    card.file(QStringLiteral("20260314/alwa_20260314_081500_F.MP4"),
              demo("alwa_20260314_081500_F.MP4"));
    const QByteArray whole = demo("event_20260314_081527_F.MP4");
    card.file(QStringLiteral("20260314/event_20260314_081527_F.MP4"), whole.left(whole.size() / 2));
    RVXRepairController* repairs = delegate->repairController();
    bool found = false;
    QObject::connect(repairs, &RVXRepairController::cutShortFound, [&] { found = true; });
    open(card.root());
    ASSERT_TRUE(waitFor([&] { return found; }));
    const QString copy = documents.path(QStringLiteral("event_20260314_081527_F_repaired.MP4"));
    repairs->savePanel = [&](const QString&) { return copy; };
    bool made = false, done = false;
    QObject::connect(repairs, &RVXRepairController::repairFinished, [&](const QString&, bool ok) {
        made = ok;
        done = true;
    });
    repairs->repairCopy(card.path(QStringLiteral("20260314/event_20260314_081527_F.MP4")));
    ASSERT_TRUE(waitFor([&] { return done; }, 30000));
    ASSERT_TRUE(made);
    ASSERT_TRUE(waitFor([&] {
        return fileOf(delegate->player1) == QFileInfo(copy).fileName() &&
               delegate->playInfo()->isPlaying();
    }));
    EXPECT_EQ(delegate->mediaList()->directoryPath().value_or(QString()).toStdString(),
              documents.root().toStdString());
    EXPECT_EQ(delegate->mediaList()->count(), 1);
}
