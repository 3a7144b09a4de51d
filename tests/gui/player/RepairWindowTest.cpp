// SPDX-License-Identifier: GPL-3.0-or-later
// A recording cut short in the real window: marked in the list, "Repair a copy…" over its
// view when it will not play, and the copy joining the list and playing with its graph
// and map.
#include "PlayerTestSupport.h"

#include "gui/player/GraphView.h"
#include "gui/player/RVXMediaListTableModel.h"
#include "gui/player/RVXRepairController.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "support/TempTree.h"
#include "support/WebPageTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QWebEngineView>

namespace {

QByteArray demo(const char* name) {
    QFile f(QDir(demoCard()).filePath(QStringLiteral("20260314/") + QLatin1String(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
