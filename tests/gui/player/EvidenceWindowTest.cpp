// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+E in the real window at the event recording's knock: the pack checks out with
// sha256sum -c and its cuts play in libVLC.
#include "PlayerTestSupport.h"

#include "gui/evidence/RVXEvidenceController.h"
#include "gui/player/VLCMedia.h"
#include "gui/player/VLCVideoView.h"
#include "gui/scan/RVXEventsController.h"
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

TEST_F(MainWindowTest, CtrlEAtTheKnockMakesAPackThatChecksOutAndPlays) {
    open(demoCard());
    RVXEventsController* events = delegate->eventsController();
    ASSERT_TRUE(waitFor([&] { return events->result().has_value(); }, 20000));
    delegate->clickEventsViewButton();
    // The knock's row plays from a second before it.
    events->playRow(0);
    ASSERT_TRUE(waitFor([&] {
        const auto clock = delegate->player1->clockTime();
        return clock && *clock >= 5500;
    }));
    delegate->clickPlayButton(); // paused on the moment
    ASSERT_TRUE(waitFor([&] { return !delegate->playInfo()->isPlaying(); }));
    const std::optional<double> moment = delegate->playingMoment();
    ASSERT_TRUE(moment);

    delegate->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window));
    QTest::keyClick(delegate->window, Qt::Key_E, Qt::ControlModifier);
    auto* dialog = qobject_cast<RVXEvidenceController*>(delegate->lastDialogController());
    ASSERT_TRUE(dialog);
    QWidget* w = dialog->window();
    ASSERT_TRUE(waitFor([&] { return w->isVisible(); }));
    TempTree tree;
    w->findChild<QLineEdit*>("folderField")->setText(tree.root());
    w->findChild<QSpinBox*>("beforeField")->setValue(5);
    w->findChild<QSpinBox*>("afterField")->setValue(5);
    const QString name = w->findChild<QLineEdit*>("nameField")->text();
    EXPECT_TRUE(name.startsWith(QStringLiteral("RUVEX-evidence-20260314-08153")))
        << qPrintable(name);

    bool made = false, done = false;
    QObject::connect(dialog, &RVXEvidenceController::exportFinished, [&](bool ok) {
        made = ok;
        done = true;
    });
    QTest::mouseClick(w->findChild<QPushButton*>("exportButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return done; }, 60000));
    ASSERT_TRUE(made) << qPrintable(dialog->statusText());
    // The window went on while the pack was written, and the folder opens from the dialog.
    QString opened;
    // A desktop without a program for folders: the dialog says where the pack is.
    dialog->openFolder = [&](const QUrl&) { return false; };
    QPushButton* open = w->findChild<QPushButton*>("openButton");
    ASSERT_TRUE(open->isVisible());
    QTest::mouseClick(open, Qt::LeftButton);
    auto* where = w->findChild<QMessageBox*>(QStringLiteral("fileLocationAlert"));
    ASSERT_TRUE(where && where->isVisible()) << "Open Folder did nothing on screen";
    EXPECT_TRUE(where->text().contains(tree.path(name))) << qPrintable(where->text());
    where->accept();
    dialog->openFolder = [&](const QUrl& folder) {
        opened = folder.toLocalFile();
        return true;
    };
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(opened, tree.path(name));

    const RunResult sums =
        runProgram(QStringLiteral("sh"),
                   {"-c", QStringLiteral("cd '%1' && sha256sum -c SHA256SUMS").arg(opened)});
    EXPECT_EQ(sums.exitCode, 0) << sums.out.constData() << sums.err.constData();
    // Paused within a second of the knock, the sheet names it; further off, it does not.
    const double knock =
        double(QDateTime(QDate(2026, 3, 14), QTime(8, 15, 33), Qt::UTC).toSecsSinceEpoch());
    const QByteArray sheet =
        runProgram(QStringLiteral("pdftotext"), {opened + QStringLiteral("/sheet.pdf"), "-"})
            .out.simplified();
    EXPECT_EQ(sheet.contains("Event: Impact, 3.69 g"), std::abs(*moment - knock) <= 1.0)
        << *moment - knock << "\n"
        << sheet.constData();

    // The front cut plays in libVLC, as any player would play it.
    VLCVideoView view;
    view.resize(320, 180);
    view.show();
    VLCMediaPlayer player(&view);
    player.setMedia(VLCMedia::mediaWithPath(opened + QStringLiteral("/front.mp4")));
    player.play();
    EXPECT_TRUE(waitFor([&] {
        const auto clock = player.clockTime();
        return player.isPlaying() && clock && *clock > 1000;
    }));
    player.stop();
}

namespace {

// The sheet's text, its lines run together.
QByteArray sheetTextOf(const QString& pack) {
    return runProgram(QStringLiteral("pdftotext"), {pack + QStringLiteral("/sheet.pdf"), "-"})
        .out.simplified();
}

// Exports the pack the dialog offers into folder, a second either side; its folder, empty
// when it was not made.
QString exportInto(RVXEvidenceController* dialog, const QString& folder) {
    QWidget* w = dialog->window();
    w->findChild<QLineEdit*>("folderField")->setText(folder);
    w->findChild<QSpinBox*>("beforeField")->setValue(1);
    w->findChild<QSpinBox*>("afterField")->setValue(1);
    bool made = false, done = false;
    QObject::connect(dialog, &RVXEvidenceController::exportFinished, [&](bool ok) {
        made = ok;
        done = true;
    });
    QTest::mouseClick(w->findChild<QPushButton*>("exportButton"), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return done; }, 60000));
    EXPECT_TRUE(made) << qPrintable(dialog->statusText());
    return made ? QDir(folder).filePath(w->findChild<QLineEdit*>("nameField")->text()) : QString();
}

} // namespace

TEST_F(MainWindowTest, ExportEvidenceUnderTheKnocksRowNamesItOnTheSheet) {
    open(demoCard());
    RVXEventsController* events = delegate->eventsController();
    ASSERT_TRUE(waitFor([&] { return events->result().has_value(); }, 20000));
    delegate->clickEventsViewButton();
    auto* table = delegate->window->findChild<QTableView*>("eventsTableView");
    ASSERT_TRUE(table);
    ASSERT_TRUE(waitFor([&] { return table->isVisible() && table->model()->rowCount() > 0; }));
    table->setCurrentIndex(table->model()->index(0, 0));
    auto* button = delegate->window->findChild<QPushButton*>("eventsExportButton");
    ASSERT_TRUE(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    auto* dialog = qobject_cast<RVXEvidenceController*>(delegate->lastDialogController());
    ASSERT_TRUE(dialog);
    TempTree tree;
    const QString pack = exportInto(dialog, tree.root());
    ASSERT_FALSE(pack.isEmpty());
    const QByteArray text = sheetTextOf(pack);
    EXPECT_TRUE(text.contains("Event: Impact, 3.69 g")) << text.constData();
    EXPECT_TRUE(text.contains("Camera time: 2026-03-14T08:15:33.000")) << text.constData();
    EXPECT_TRUE(text.contains("Speed: 32.2 km/h")) << text.constData();
}
