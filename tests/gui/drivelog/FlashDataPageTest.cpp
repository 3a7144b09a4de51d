// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's drive-information page with real widgets and a real map window.
#include "core/drivelog/FlashDataRecord.h"
#include "core/drivelog/RVXFlashDataModel.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/drivelog/RVXSettingForFlashDataViewController.h"
#include "gui/player/RVXMapPage.h"
#include "gui/player/RVXMapWindowController.h"
#include "gui/settings/RVXSettingController.h"
#include "support/Run.h"
#include "support/StderrCapture.h"
#include "support/TempTree.h"
#include "support/WebPageTestSupport.h"
#include "support/WindowTestSupport.h"
#include "widgets/TKSegmentedControl.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <QScreen>

#include <gtest/gtest.h>

namespace {

FlashDataRecord at(int latWhole, int latFraction, int lonWhole, int lonFraction) {
    FlashDataRecord r;
    r.year = 126;
    r.month = 3;
    r.day = 14;
    r.latitudeWhole = uint16_t(latWhole);
    r.latitudeFraction = uint16_t(latFraction);
    r.longitudeWhole = uint16_t(lonWhole);
    r.longitudeFraction = uint16_t(lonFraction);
    return r;
}

class FlashDataPageTest : public testing::Test {
protected:
    // The editor on a copied card whose drive log is given, on its information page.
    void openOn(const QByteArray& log) {
        tree.file(QStringLiteral("card/config.bin"), QByteArray(500, '\0'));
        tree.file(QStringLiteral("card/DrvInfo/zamo_000.drv"), log);
        editor = std::make_unique<RVXSettingController>(tree.path(QStringLiteral("card")));
        bool loaded = false;
        QObject::connect(editor.get(), &RVXSettingController::settingFileLoaded,
                         [&] { loaded = true; });
        editor->showWindow();
        // The card search runs behind the loading sheet, which keeps the segments away.
        ASSERT_TRUE(waitFor([&] { return loaded; }));
        editor->functionSegmentedControl->segmentButton(7)->click();
        ASSERT_EQ(editor->lastSelectedTabIndex, 7);
        page = editor->driveInfoController;
        ASSERT_NE(page, nullptr);
    }
    void waitForRows(int rows) {
        ASSERT_TRUE(waitFor([&] { return page->model()->rowCount() == rows; }))
            << page->model()->rowCount();
    }
    TempTree tree;
    std::unique_ptr<RVXSettingController> editor;
    RVXSettingForFlashDataViewController* page = nullptr;
};

} // namespace

TEST_F(FlashDataPageTest, TheCardsLogFillsTheTableAsRuvexCardReadsIt) {
    const QString demo = qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
    ASSERT_FALSE(demo.isEmpty());
    const QString log = QDir(demo).filePath(QStringLiteral("DrvInfo/zamo_000.drv"));
    openOn(readAll(log));
    const QString exported = tree.path(QStringLiteral("cli.csv"));
    ASSERT_EQ(
        runProgram(QStringLiteral(RUVEX_CARD_PATH), {"drivelog", log, "--csv", exported}).exitCode,
        0);
    const QList<QByteArray> lines = readAll(exported).trimmed().split('\n');
    waitForRows(int(lines.size() - 1));
    ASSERT_GT(page->model()->rowCount(), 10);
    QTableView* table = page->tableView;
    EXPECT_EQ(table->model()->columnCount(), 17);
    EXPECT_EQ(table->horizontalHeader()->defaultAlignment(), Qt::AlignCenter);
    EXPECT_GE(table->horizontalHeader()->sectionSize(2), 86);
    EXPECT_GT(table->horizontalHeader()->sectionSize(5),
              table->fontMetrics().horizontalAdvance(table->model()->index(0, 5).data().toString()))
        << "positions are not cut off";
    for (int row : {0, 5, int(lines.size() - 2)}) {
        QStringList cells;
        for (int c = 0; c < 17; ++c)
            cells << table->model()->index(row, c).data().toString();
        EXPECT_EQ(cells.join(u',').toUtf8(), lines[row + 1]) << row;
    }
    EXPECT_EQ(table->model()->index(0, 3).data(Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));
    // A moved column still shows its own field.
    table->horizontalHeader()->moveSection(2, 0);
    EXPECT_EQ(table->model()->index(0, 2).data().toString(),
              QString::fromUtf8(lines[1].split(',')[2]));

    // The export, over a longer file, is byte for byte what ruvex-card writes.
    const QString target = tree.file(QStringLiteral("zamo_000.csv"), QByteArray(200000, '#'));
    page->savePanel = [&] { return target; };
    QString error = QStringLiteral("none yet");
    QObject::connect(page, &RVXSettingForFlashDataViewController::exported,
                     [&](const QString& e) { error = e; });
    page->onSaveCSVFile();
    ASSERT_TRUE(waitFor([&] { return error != u"none yet"; }));
    EXPECT_EQ(error, QString());
    EXPECT_EQ(readAll(target), readAll(exported));
    QMessageBox* saved = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (QMessageBox* box : editor->window()->findChildren<QMessageBox*>())
            if (box->isVisible())
                saved = box;
        return saved != nullptr;
    }));
    EXPECT_EQ(saved->text(), QStringLiteral("RUVEX"));
    // An export's own words, not a settings save's, and the icon of news, not of trouble.
    EXPECT_EQ(
        saved->informativeText(),
        QStringLiteral("The table was exported to %1.").arg(QDir::toNativeSeparators(target)));
    EXPECT_EQ(saved->icon(), QMessageBox::Information);
    saved->accept();
}

TEST_F(FlashDataPageTest, EmptyCutAndUnreadableLogs) {
    openOn(flashDataFileBytes({}));
    ASSERT_TRUE(waitFor([&] { return !page->firstLoad; }));
    QTest::qWait(300);
    EXPECT_EQ(page->model()->rowCount(), 0);
    int asked = 0;
    page->savePanel = [&] {
        ++asked;
        return QString();
    };
    page->onSaveCSVFile();
    EXPECT_EQ(asked, 0) << "nothing to export";

    // Three records, the last cut in half: two rows.
    QByteArray cut =
        flashDataFileBytes({at(3733, 1, 12658, 1), at(3733, 2, 12658, 2), at(3733, 3, 12658, 3)});
    cut.chop(22);
    const QString cutPath = tree.file(QStringLiteral("cut.drv"), cut);
    page->openPanel = [&] { return cutPath; };
    page->openFileDialog();
    waitForRows(2);

    // A file that cannot be opened: logged, the rows stay.
    StderrCapture log;
    const QString folder = tree.folder(QStringLiteral("not-a-file.drv"));
    page->openPanel = [&] { return folder; };
    bool loaded = false;
    QObject::connect(page, &RVXSettingForFlashDataViewController::flashDataLoaded,
                     [&] { loaded = true; });
    page->openFileDialog();
    ASSERT_TRUE(waitFor([&] { return loaded; }));
    EXPECT_TRUE(log.text().contains("fopen fail:" + folder.toUtf8())) << log.text().constData();
    EXPECT_EQ(page->model()->rowCount(), 2);
    // A cancelled open panel changes nothing.
    page->openPanel = [] { return QString(); };
    page->openFileDialog();
    EXPECT_EQ(page->m_FlashDataFilePath, folder);
}

TEST_F(FlashDataPageTest, ADoubleClickShowsTheRowOnTheMapBesideTheEditor) {
    openOn(
        flashDataFileBytes({at(3733, 1234, 12658, 5000), at(0, 0, 0, 0), at(3734, 0, 12659, 0)}));
    waitForRows(3);
    StderrCapture log;
    // A row without a position opens the window beside the editor and moves nothing.
    page->doubleClickTableRow(1);
    EXPECT_TRUE(log.text().contains("rowNum=1"));
    RVXMapWindowController* map = page->mapWindowController();
    ASSERT_NE(map, nullptr);
    // Beside the editor as far as the screen allows: never partly off it (on 1920 px the
    // editor's right edge is at 1480, and the map window is 480 wide).
    const QRect editorFrame = editor->window()->frameGeometry();
    const QRect visible = map->window()->screen()->availableGeometry();
    EXPECT_TRUE(visible.contains(map->window()->frameGeometry()))
        << map->window()->frameGeometry().x() << "+" << map->window()->frameGeometry().width();
    EXPECT_EQ(
        map->window()->frameGeometry().right(),
        std::min(editorFrame.right() + map->window()->frameGeometry().width(), visible.right()));
    ASSERT_TRUE(waitFor([&] { return map->mapPage()->isReady(); }, 30000));
    EXPECT_TRUE(evaluate(map->mapWebView->page(), QStringLiteral("rvxMarkerPosition()")).isNull());
    const QPoint placed = map->window()->pos();
    page->doubleClickTableRow(0);
    EXPECT_EQ(map->window()->pos(), placed);
    const QVariantList marker =
        evaluate(map->mapWebView->page(), QStringLiteral("rvxMarkerPosition()")).toList();
    ASSERT_EQ(marker.size(), 2);
    EXPECT_NEAR(marker[0].toDouble(), 37.552057, 1e-6);
    EXPECT_NEAR(marker[1].toDouble(), 126.975, 1e-6);
    EXPECT_EQ(evaluate(map->mapWebView->page(), QStringLiteral("rvxTrackLength()")).toInt(), 2)
        << "the route leaves out the row without a position";

    // Later double-clicks move the marker, not the window; a zero position moves nothing.
    map->window()->move(map->window()->pos() + QPoint(40, 30));
    const QPoint moved = map->window()->pos();
    page->doubleClickTableRow(1);
    EXPECT_EQ(page->mapWindowController(), map);
    EXPECT_EQ(map->window()->pos(), moved);
    EXPECT_NEAR(
        evaluate(map->mapWebView->page(), QStringLiteral("rvxMarkerPosition()[0]")).toDouble(),
        37.552057, 1e-6);
    // Enter on a selected row acts as a double-click.
    page->tableView->setFocus();
    page->tableView->selectRow(2);
    page->tableView->setCurrentIndex(page->tableView->model()->index(2, 0));
    QTest::keyClick(page->tableView, Qt::Key_Return);
    EXPECT_NEAR(
        evaluate(map->mapWebView->page(), QStringLiteral("rvxMarkerPosition()[0]")).toDouble(),
        37.566667, 1e-6);
    page->doubleClickTableRow(-1);
    page->doubleClickTableRow(3);
    EXPECT_TRUE(log.text().contains("rowNum=3"));

    // Leaving the page releases the map window.
    editor->functionSegmentedControl->segmentButton(0)->click();
    EXPECT_EQ(page->mapWindowController(), nullptr);
    editor->functionSegmentedControl->segmentButton(7)->click();
    EXPECT_EQ(editor->driveInfoController, page) << "made once and kept";
    EXPECT_EQ(page->model()->rowCount(), 3);
}
