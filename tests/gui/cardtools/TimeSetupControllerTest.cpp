// SPDX-License-Identifier: GPL-3.0-or-later
// The clock window offscreen with real widgets.
#include "core/support/RVXLocalizedString.h"
#include "gui/cardtools/RVXTimeSetupController.h"
#include "platform/RVXUDisks2.h"
#include "support/FormatHelperSystem.h"
#include "support/TempTree.h"
#include "support/UDisks2StandIn.h"
#include "support/WindowTestSupport.h"
#include "widgets/TKClockTimePicker.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

class TimeSetupTest : public testing::Test {
protected:
    void SetUp() override { RVXDiskService::setShared(nullptr); }
    void TearDown() override {
        clock.reset();
        RVXDiskService::setShared(nullptr);
        QLocale::setDefault(QLocale::c());
    }
    void open(const QString& folder = {}) {
        clock = std::make_unique<RVXTimeSetupController>(folder);
        clock->showWindow();
        // The card search runs on a worker; the window is there at once, Save waits.
        EXPECT_TRUE(clock->searching());
        EXPECT_FALSE(child<QPushButton>("saveButton")->isEnabled());
        ASSERT_TRUE(waitFor([&] { return !clock->searching(); }));
        EXPECT_TRUE(child<QPushButton>("saveButton")->isEnabled());
    }
    // The date and time as a user picks them.
    void pick(const QDate& date, const QTime& time) {
        child<QCalendarWidget>("datePicker")->setSelectedDate(date);
        child<QTimeEdit>("timePicker")->setTime(time);
    }
    template <typename T> T* child(const char* name) {
        return clock->window()->findChild<T*>(QLatin1String(name));
    }
    TempTree tree;
    std::unique_ptr<RVXTimeSetupController> clock;
};

} // namespace

TEST_F(TimeSetupTest, ThePickersKeepInStepAndTodayUnticksItself) {
    open();
    EXPECT_EQ(clock->selectedDate, QDate::currentDate());
    child<QTimeEdit>("timePicker")->setTime(QTime(13, 45, 0));
    EXPECT_EQ(child<TKClockTimePicker>("clockTimePicker")->time(), QTime(13, 45, 0));
    EXPECT_EQ(clock->selectedTime, QTime(13, 45, 0));
    // A click on the clock face's outer ring at three o'clock: 15 minutes.
    const QRect face = child<TKClockTimePicker>("clockTimePicker")->rect();
    QTest::mouseClick(child<TKClockTimePicker>("clockTimePicker"), Qt::LeftButton, Qt::NoModifier,
                      QPoint(face.right() - 6, face.center().y()));
    EXPECT_EQ(child<TKClockTimePicker>("clockTimePicker")->time(), QTime(13, 15, 0));
    EXPECT_EQ(child<QTimeEdit>("timePicker")->time(), QTime(13, 15, 0));
    EXPECT_EQ(clock->selectedTime, QTime(13, 15, 0));
    // The inner disc sets the hour, keeping the afternoon.
    QTest::mouseClick(child<TKClockTimePicker>("clockTimePicker"), Qt::LeftButton, Qt::NoModifier,
                      face.center() + QPoint(0, face.height() / 5));
    EXPECT_EQ(clock->selectedTime, QTime(18, 15, 0));

    child<QCalendarWidget>("datePicker")->setSelectedDate(QDate(2026, 12, 6));
    EXPECT_EQ(clock->selectedDate, QDate(2026, 12, 6));
    EXPECT_EQ(child<QLabel>("dateField")->text(),
              QLocale().toString(QDate(2026, 12, 6), QLocale::LongFormat));
    child<QCheckBox>("nowDaySettingChk")->click();
    EXPECT_EQ(clock->selectedDate, QDate::currentDate());
    EXPECT_EQ(child<QCalendarWidget>("datePicker")->selectedDate(), QDate::currentDate());
    EXPECT_TRUE(child<QCheckBox>("nowDaySettingChk")->isChecked());
    ASSERT_TRUE(waitFor([&] { return !child<QCheckBox>("nowDaySettingChk")->isChecked(); }, 1000));
    EXPECT_TRUE(child<QCheckBox>("nowDaySettingChk")
                    ->text()
                    .startsWith(RVXLocalizedString("today") + u'('));
    // Today's date in the medium style, its month named: "Today(10 Dec 2026)".
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^.+\\(\\d{1,2} \\S{3,} \\d{4}\\)$"))
                    .match(child<QCheckBox>("nowDaySettingChk")->text())
                    .hasMatch())
        << qPrintable(child<QCheckBox>("nowDaySettingChk")->text());
}

// A window opened on now and saved a while later saves the second of the save, until the
// user picks a time of their own.
TEST_F(TimeSetupTest, TheTimeFollowsTheClockUntilTheUserPicksOne) {
    const QString file = tree.file(QStringLiteral("card/timeset.cfg"), "1999/01/01 00:00:00");
    open(tree.path(QStringLiteral("card")));
    const QTime opened = clock->selectedTime;
    ASSERT_TRUE(waitFor([&] { return clock->selectedTime != opened; }, 2000))
        << "still " << opened.toString().toStdString();
    EXPECT_EQ(child<QTimeEdit>("timePicker")->time(), clock->selectedTime);
    EXPECT_EQ(child<TKClockTimePicker>("clockTimePicker")->time(), clock->selectedTime);
    QTest::qWait(1100);
    child<QPushButton>("saveButton")->click();
    const QDateTime saved = QDateTime::currentDateTime();
    ASSERT_NE(visibleAlert(clock->window()), nullptr);
    const QDateTime written = QDateTime::fromString(QString::fromLatin1(readAll(file)),
                                                    QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    EXPECT_LE(std::abs(written.secsTo(saved)), 1) << readAll(file).constData();
    clock.reset();

    // Once picked, a time stays as the user left it.
    open(tree.path(QStringLiteral("card")));
    child<QTimeEdit>("timePicker")->setTime(QTime(7, 30, 0));
    QTest::qWait(1300);
    EXPECT_EQ(clock->selectedTime, QTime(7, 30, 0));
    EXPECT_EQ(child<TKClockTimePicker>("clockTimePicker")->time(), QTime(7, 30, 0));
    EXPECT_EQ(clock->selectedDate, QDate::currentDate());
}

TEST_F(TimeSetupTest, TheOpenFolderStandsInAndALongerFileKeepsItsTail) {
    const QString file = tree.file(QStringLiteral("card/timeset.cfg"), "1999/01/01 00:00:00\n");
    // Digits of another script on the desktop still give ASCII digits on the card.
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    open(tree.path(QStringLiteral("card")));
    EXPECT_EQ(clock->m_SettingFilePath, file);
    pick(QDate(2026, 12, 6), QTime(9, 5, 7));
    child<QPushButton>("saveButton")->click();
    QMessageBox* done = visibleAlert(clock->window());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), QStringLiteral("ZAMO"));
    EXPECT_EQ(done->informativeText(), RVXLocalizedString("time.filesave"));
    EXPECT_EQ(readAll(file), "2026/12/06 09:05:07\n");
    done->accept();
    EXPECT_TRUE(waitFor([&] { return !clock->window()->isVisible(); }));
}

TEST_F(TimeSetupTest, WithoutAClockFileThePanelDecides) {
    open();
    EXPECT_TRUE(clock->m_SettingFilePath.isEmpty());
    int asked = 0;
    clock->savePanel = [&] {
        ++asked;
        return QString();
    };
    child<QPushButton>("saveButton")->click();
    EXPECT_EQ(asked, 1);
    QTest::qWait(200);
    for (QMessageBox* box : clock->window()->findChildren<QMessageBox*>())
        EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(clock->window()->isVisible());

    // A place that cannot be written is said, and the window stays.
    clock->savePanel = [] { return QStringLiteral("/proc/no/timeset.cfg"); };
    child<QPushButton>("saveButton")->click();
    QMessageBox* failed = visibleAlert(clock->window());
    ASSERT_NE(failed, nullptr);
    EXPECT_TRUE(failed->informativeText().contains(QStringLiteral("/proc/no/timeset.cfg")));
    failed->accept();
    EXPECT_TRUE(clock->window()->isVisible());

    const QString chosen = tree.path(QStringLiteral("timeset.cfg"));
    clock->savePanel = [&] { return chosen; };
    pick(QDate(2026, 1, 2), QTime(0, 0, 0));
    child<QPushButton>("saveButton")->click();
    ASSERT_NE(visibleAlert(clock->window()), nullptr);
    EXPECT_EQ(readAll(chosen), "2026/01/02 00:00:00");
}

TEST_F(TimeSetupTest, OfTwoCardsWithAClockFileTheFirstByDeviceGetsIt) {
    UDisks2StandIn disks;
    ASSERT_EQ(disks.error(), QString());
    const QString a = tree.file(QStringLiteral("a/timeset.cfg"), "2000/01/01 00:00:00");
    const QString b = tree.file(QStringLiteral("b/timeset.cfg"), "2000/01/01 00:00:00");
    const QJsonObject drive{{"id", "R"}, {"bus", "usb"}, {"removable", true}};
    ASSERT_EQ(disks.setVolumes({QJsonObject{{"name", "sdc1"},
                                            {"mountPoints", QJsonArray{tree.path("a")}},
                                            {"drive", drive}},
                                QJsonObject{{"name", "sdb1"},
                                            {"mountPoints", QJsonArray{tree.path("b")}},
                                            {"drive", drive}}}),
              QString());
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>(disks.bus()));
    open();
    EXPECT_EQ(clock->m_SettingFilePath, b);
    pick(QDate(2026, 12, 6), QTime(13, 45, 0));
    child<QPushButton>("saveButton")->click();
    ASSERT_NE(visibleAlert(clock->window()), nullptr);
    EXPECT_EQ(readAll(b), "2026/12/06 13:45:00");
    EXPECT_EQ(readAll(a), "2000/01/01 00:00:00");
}

FormatHelperSystem* formatHelperSystem = nullptr;

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings copies a format keeps go to a folder of the test's own.
    TempTree data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.root()));
    // And the format locks to a runtime folder of its own.
    TempTree runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.root()));
    QApplication app(argc, argv);
    RVXInstallStringTable();
    FormatHelperSystem helperSystem;
    formatHelperSystem = &helperSystem;
    return RUN_ALL_TESTS();
}
