// SPDX-License-Identifier: GPL-3.0-or-later
// The settings editor's window offscreen, driven as a user drives it.
#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/settings/RVXSettingController.h"
#include "gui/settings/RVXSettingViewController.h"
#include "platform/RVXUDisks2.h"
#include "support/TempTree.h"
#include "support/UDisks2StandIn.h"
#include "support/WindowTestSupport.h"
#include "widgets/SMDoubleSlider.h"
#include "widgets/TKRadioMatrix.h"
#include "widgets/TKSegmentedControl.h"
#include "widgets/TKStepper.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

class SettingControllerTest : public testing::Test {
protected:
    void SetUp() override { RVXDiskService::setShared(nullptr); }
    void TearDown() override {
        editor.reset();
        RVXDiskService::setShared(nullptr);
    }
    // A card copied to disk: a folder with a sealed config.bin.
    QString cardFolder(const std::function<void(_FILEDATA&)>& change = nullptr) {
        _FILEDATA r{};
        makeDefaultSetting(r);
        if (change)
            change(r);
        RVXSealSetting(r);
        const QString folder = tree.folder(QStringLiteral("card"));
        EXPECT_EQ(writeSettingFile(r, folder + QStringLiteral("/config.bin")), std::nullopt);
        return folder;
    }
    void open(const QString& folder, bool waitForRead = true) {
        editor = std::make_unique<RVXSettingController>(folder);
        bool loaded = false;
        QObject::connect(editor.get(), &RVXSettingController::settingFileLoaded,
                         [&] { loaded = true; });
        editor->showWindow();
        if (waitForRead) {
            ASSERT_TRUE(waitFor([&] { return loaded; }));
        }
    }
    void chooseSegment(int index) {
        editor->functionSegmentedControl->segmentButton(index)->click();
    }
    template <typename T> T* control(const char* name) {
        return editor->targetController->findChild<T*>(QLatin1String(name));
    }
    void type(const char* field, const QString& text) {
        QLineEdit* edit = control<QLineEdit>(field);
        ASSERT_NE(edit, nullptr) << field;
        edit->setText(text);
        Q_EMIT edit->editingFinished();
    }
    TempTree tree;
    std::unique_ptr<RVXSettingController> editor;
};

} // namespace

TEST_F(SettingControllerTest, TheOpenFolderStandsInForTheCardAndASaveSealsIt) {
    const QString folder = cardFolder([](_FILEDATA& r) { r.vid_enc_bitrate = 2; });
    const QString file = folder + QStringLiteral("/config.bin");
    open(folder);
    EXPECT_TRUE(editor->window()->windowTitle().endsWith(QStringLiteral(" : ") + file))
        << qPrintable(editor->window()->windowTitle());
    EXPECT_TRUE(editor->window()->windowTitle().contains(QStringLiteral("[Ver ")));
    EXPECT_EQ(editor->lastSelectedTabIndex, 0);
    EXPECT_EQ(control<TKSegmentedControl>("videoEncodingBitrate")->selectedSegment(), 2)
        << "the page shows the card's record once it is read";
    EXPECT_TRUE(editor->sdcardFormatButton->isEnabled());
    // The motion page's zones are check boxes over the picture; unticking one stores its bit.
    chooseSegment(4);
    ASSERT_EQ(editor->lastSelectedTabIndex, 4);
    control<QAbstractButton>("frontMotionBlock01Chk")->click();
    chooseSegment(0);
    EXPECT_EQ(editor->filedata()->motionBlock, 96u + 256u);

    chooseSegment(1);
    ASSERT_EQ(editor->lastSelectedTabIndex, 1);
    control<TKSegmentedControl>("gsensorSensitivityDrivingSeg")->segmentButton(5)->click();
    type("gsensorSensitivityThresholdXDrivingField", QStringLiteral("1.51"));
    // The page cannot be left with a bad threshold: the segment goes back, "ZAMO" says why.
    chooseSegment(0);
    EXPECT_EQ(editor->lastSelectedTabIndex, 1);
    EXPECT_EQ(editor->functionSegmentedControl->selectedSegment(), 1);
    QMessageBox* refused = visibleAlert(editor->window());
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->text(), QStringLiteral("ZAMO"));
    EXPECT_TRUE(refused->informativeText().contains(QStringLiteral("1.5")));
    refused->accept();
    ASSERT_TRUE(waitFor([&] {
        return editor->window()->focusWidget() ==
               control<QLineEdit>("gsensorSensitivityThresholdXDrivingField");
    })) << "the offending field has the focus";

    type("gsensorSensitivityThresholdXDrivingField", QStringLiteral("0.29"));
    editor->saveButton->click();
    QMessageBox* saved = visibleAlert(editor->window());
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->text(), file) << "the saved alert names the full path";
    EXPECT_EQ(saved->informativeText(), RVXLocalizedString("msg.saved"));
    saved->accept();
    ASSERT_TRUE(waitFor([&] { return !editor->window()->isVisible(); }));

    _FILEDATA written{};
    ASSERT_TRUE(readSettingFile(file, written));
    EXPECT_EQ(written.gsen_x_threshold, 29);
    EXPECT_EQ(written.vid_enc_bitrate, 2u);
    EXPECT_EQ(written.checksum, RVXSettingChecksum(written));
}

TEST_F(SettingControllerTest, ResetKeepsTheUsersZoneSummerTimeAndVoiceAndWritesNothing) {
    const QString folder = cardFolder([](_FILEDATA& r) {
        r.time_gmt = 16;
        r.summer_time = 1;
        r.Brightness1 = 13;
        r.vid_enc_bitrate = 0;
    });
    const QByteArray before = readAll(folder + QStringLiteral("/config.bin"));
    open(folder);
    EXPECT_EQ(control<TKSegmentedControl>("videoEncodingBitrate")->selectedSegment(), 0);
    editor->resetButton->click();
    EXPECT_EQ(control<TKSegmentedControl>("videoEncodingBitrate")->selectedSegment(), 1);
    EXPECT_EQ(editor->filedata()->time_gmt, 16);
    EXPECT_EQ(editor->filedata()->summer_time, 1u);
    EXPECT_EQ(editor->filedata()->Brightness1, 13u);
    editor->cancelButton->click();
    EXPECT_EQ(readAll(folder + QStringLiteral("/config.bin")), before);
}

TEST_F(SettingControllerTest, WithoutACardTheSavePanelDecidesAndCancelWritesNothing) {
    // A config.bin of 499 bytes is no camera's: the editor starts from the defaults and
    // says so, and a save puts a sound one in its place.
    tree.file(QStringLiteral("odd/config.bin"), QByteArray(499, '\x7f'));
    open(tree.path(QStringLiteral("odd")));
    EXPECT_TRUE(editor->m_SettingFilePath.isEmpty());
    EXPECT_FALSE(editor->window()->windowTitle().contains(QStringLiteral(" : ")));
    EXPECT_EQ(editor->filedata()->time_gmt, findTimeZoneIndex());
    EXPECT_EQ(control<TKSegmentedControl>("videoEncodingBitrate")->selectedSegment(), 1);
    auto* notice = editor->window()->findChild<QLabel*>(QStringLiteral("damageNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), QStringLiteral("The card's config.bin is damaged (499 bytes); the "
                                             "defaults are shown. Save writes a sound one."));
    for (QMessageBox* box : editor->window()->findChildren<QMessageBox*>())
        EXPECT_FALSE(box->isVisible()) << "said without stopping the user";
    editor->saveButton->click();
    QMessageBox* mended = visibleAlert(editor->window());
    ASSERT_NE(mended, nullptr);
    EXPECT_EQ(mended->text(), tree.path(QStringLiteral("odd/config.bin")));
    mended->accept();
    _FILEDATA sound{};
    ASSERT_TRUE(readSettingFile(tree.path(QStringLiteral("odd/config.bin")), sound));
    EXPECT_FALSE(settingFileDamage(tree.path(QStringLiteral("odd/config.bin"))));

    // A folder without one: the panel decides.
    tree.folder(QStringLiteral("none"));
    open(tree.path(QStringLiteral("none")));
    EXPECT_FALSE(editor->window()->findChild<QLabel*>(QStringLiteral("damageNotice"))->isVisible());

    int asked = 0;
    editor->saveSettingsPanel = [&] {
        ++asked;
        return QString();
    };
    editor->saveButton->click();
    EXPECT_TRUE(waitFor([&] { return asked == 1; }));
    QTest::qWait(200);
    for (QMessageBox* box : editor->window()->findChildren<QMessageBox*>())
        EXPECT_FALSE(box->isVisible()) << "a cancelled panel shows nothing";
    EXPECT_FALSE(QFile::exists(tree.path(QStringLiteral("none/config.bin"))));

    const QString chosen = tree.path(QStringLiteral("chosen.bin"));
    editor->saveSettingsPanel = [&] { return chosen; };
    editor->saveButton->click();
    QMessageBox* saved = visibleAlert(editor->window());
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->text(), chosen);
    EXPECT_EQ(readAll(chosen).size(), 500);
    saved->accept();
}

TEST_F(SettingControllerTest, PageActionsAsTheUserClicks) {
    const QString folder = cardFolder([](_FILEDATA& r) {
        r.recordChannel = 1;
        r.ledoff_rear = 1;
    });
    open(folder);
    // A changed quality warns once when the page is left; the choice stays.
    control<TKSegmentedControl>("videoEncodingBitrate")->segmentButton(2)->click();
    chooseSegment(1);
    QMessageBox* warning = visibleAlert(editor->window());
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->text(), QStringLiteral("Warning"));
    EXPECT_EQ(warning->informativeText(), RVXLocalizedString("msg.video_quality_warning"));
    warning->accept();
    EXPECT_EQ(editor->filedata()->vid_enc_bitrate, 2u);
    EXPECT_EQ(editor->lastSelectedTabIndex, 1);

    // One channel: the rear LED is off and cannot be switched on.
    auto* rearLed = control<TKSegmentedControl>("rearLEDSeg");
    EXPECT_FALSE(rearLed->isEnabled());
    EXPECT_EQ(rearLed->selectedSegment(), 0);
    EXPECT_EQ(editor->filedata()->ledoff_rear, 0u);

    // The external-power box writes the record at once and locks both lists.
    auto* external = control<QAbstractButton>("useExternalPowerChk");
    ASSERT_NE(external, nullptr);
    external->click();
    EXPECT_EQ(editor->filedata()->sd_mem_event_reserved, 1u);
    EXPECT_FALSE(editor->targetController->findChild<QWidget*>(QStringLiteral("powerVoltageCombo"))
                     ->isEnabled());
    // The GPS page shows the record's zone; what it stores stays when the page is left.
    chooseSegment(2);
    ASSERT_EQ(editor->lastSelectedTabIndex, 2);
    auto* zone = control<QComboBox>("timeGmtCombo");
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->count(), 34);
    // The wheel over a combo box the user did not click changes nothing: scrolling the
    // page must not change a setting on the way.
    const int zoneBefore = zone->currentIndex();
    const QPoint centre = zone->rect().center();
    QWheelEvent wheel(centre, zone->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(zone, &wheel);
    EXPECT_EQ(zone->currentIndex(), zoneBefore);
    zone->setCurrentIndex(14);
    Q_EMIT zone->activated(14);
    chooseSegment(1);
    EXPECT_EQ(editor->filedata()->time_gmt, 14);
    // The voice language in the matrix, whatever its shape: "German" stores 13.
    chooseSegment(6);
    ASSERT_EQ(editor->lastSelectedTabIndex, 6);
    auto* languages = control<TKRadioMatrix>("voiceLangRadio");
    ASSERT_NE(languages, nullptr);
    for (int columns : {5, 3}) {
        languages->setColumns(columns);
        QAbstractButton* german = nullptr;
        for (QAbstractButton* cell : languages->cells())
            if (cell->text() == RVXLocalizedString("German"))
                german = cell;
        ASSERT_NE(german, nullptr);
        control<QAbstractButton>("malaysiaRadio")->click();
        EXPECT_EQ(editor->filedata()->Brightness1, 20u);
        EXPECT_EQ(languages->selectedCell(), -1);
        // A second click leaves it chosen, as any radio button.
        control<QAbstractButton>("malaysiaRadio")->click();
        EXPECT_TRUE(control<QAbstractButton>("malaysiaRadio")->isChecked());
        EXPECT_EQ(editor->filedata()->Brightness1, 20u);
        german->click();
        EXPECT_EQ(editor->filedata()->Brightness1, 13u) << columns << " columns";
        EXPECT_FALSE(control<QAbstractButton>("malaysiaRadio")->isChecked());
    }
    chooseSegment(1);
    // Choosing the segment shown does nothing, not even a check.
    type("gsensorSensitivityThresholdXParkingField", QStringLiteral("nan"));
    chooseSegment(1);
    EXPECT_EQ(editor->lastSelectedTabIndex, 1);
}

TEST_F(SettingControllerTest, EveryPageOpensWithItsTextsAndTheAuxAndAdasControlsWork) {
    const QString folder = cardFolder([](_FILEDATA& r) {
        r.sd_mem_always_ratio = 30;
        r.sd_mem_motion_ratio = 40;
        r.sd_mem_event_ratio = 30;
    });
    open(folder);
    // Every page, and no text left as its string-table key.
    for (int segment = 0; segment < 8; ++segment) {
        ASSERT_TRUE(editor->functionSegmentedControl->segmentButton(segment)->isEnabled());
        chooseSegment(segment);
        ASSERT_EQ(editor->lastSelectedTabIndex, segment);
        QStringList texts;
        for (QGroupBox* box : editor->targetController->findChildren<QGroupBox*>())
            texts << box->title();
        for (QLabel* label : editor->targetController->findChildren<QLabel*>())
            texts << label->text();
        for (QAbstractButton* button : editor->targetController->findChildren<QAbstractButton*>())
            texts << button->text();
        for (const QString& text : texts)
            EXPECT_FALSE(text.startsWith(QStringLiteral("setting.")) ||
                         text.startsWith(QStringLiteral("msg.")))
                << "page " << segment << ": " << qPrintable(text);
    }

    // The share knobs show the record and move the record's shares.
    chooseSegment(3);
    auto* slider = control<SMDoubleSlider>("sdRatioSlider");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->doubleLoValue(), 30);
    EXPECT_EQ(slider->doubleHiValue(), 70);
    EXPECT_EQ(control<QLineEdit>("motionField")->text(), QStringLiteral("40%"));
    slider->setFocus();
    slider->setTrackingLoKnob(false);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(control<QLineEdit>("eventField")->text(), QStringLiteral("29%"));
    // Dragging the high knob far right leaves too little for events; the page stays.
    const QRect hiKnob = slider->knobRect(slider->doubleHiValue());
    QTest::mousePress(slider, Qt::LeftButton, {}, hiKnob.center());
    QTest::mouseMove(slider, QPoint(slider->width() - 2, hiKnob.center().y()));
    QTest::mouseRelease(slider, Qt::LeftButton, {},
                        QPoint(slider->width() - 2, hiKnob.center().y()));
    EXPECT_GT(slider->doubleHiValue(), 91);
    EXPECT_EQ(slider->doubleHiValue(), std::floor(slider->doubleHiValue()));
    chooseSegment(5);
    EXPECT_EQ(editor->lastSelectedTabIndex, 3);
    QMessageBox* tooLow = visibleAlert(editor->window());
    ASSERT_NE(tooLow, nullptr);
    EXPECT_EQ(tooLow->informativeText(), RVXLocalizedString("msg.sdcard_ratio_too_low"));
    tooLow->accept();
    QTest::keyClick(slider, Qt::Key_Left); // the high knob, dragged last
    for (int i = 0; i < 20 && slider->doubleHiValue() > 80; ++i)
        QTest::keyClick(slider, Qt::Key_Left);
    // A Wi-Fi name too short: its own warning, the page stays, the segment too.
    type("ssidLabel", QStringLiteral("Zamo"));
    chooseSegment(5);
    QMessageBox* warning = visibleAlert(editor->window());
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->text(), QStringLiteral("Warning"));
    EXPECT_EQ(warning->informativeText(), RVXLocalizedString("setting.aux.ssid_length"));
    warning->accept();
    EXPECT_EQ(editor->lastSelectedTabIndex, 3);
    EXPECT_EQ(editor->functionSegmentedControl->selectedSegment(), 3);
    EXPECT_EQ(editor->filedata()->sd_mem_always_ratio, 30u);
    EXPECT_EQ(editor->filedata()->sd_mem_event_ratio, 20u) << "shares stored before the check";
    type("ssidLabel", QStringLiteral("ABCDEFGHIJKLMNOPQRST"));

    // The height stepper's clicks reach the record at once; the field is read-only.
    chooseSegment(5);
    ASSERT_EQ(editor->lastSelectedTabIndex, 5);
    auto* height = control<QLineEdit>("heightInput");
    ASSERT_NE(height, nullptr);
    EXPECT_TRUE(height->isReadOnly());
    EXPECT_EQ(height->text(), QStringLiteral("135cm"));
    auto* stepper = control<TKStepper>("heightStepper");
    stepper->upButton()->click();
    stepper->upButton()->click();
    EXPECT_EQ(height->text(), QStringLiteral("137cm"));
    EXPECT_EQ(editor->filedata()->blackboxHeight, 1.37f);
    EXPECT_EQ(control<QComboBox>("adasHeadwayZoneCombo")->currentText(), QStringLiteral("1.2"));
    EXPECT_EQ(control<QComboBox>("adasLDWSSpeedCombo")->itemText(7), QStringLiteral("45Mi/h"));

    editor->saveButton->click();
    QMessageBox* saved = visibleAlert(editor->window());
    ASSERT_NE(saved, nullptr);
    saved->accept();
    const QByteArray bytes = readAll(folder + QStringLiteral("/config.bin"));
    ASSERT_EQ(bytes.size(), 500);
    const auto u32 = [&](int offset) {
        uint32_t v;
        std::memcpy(&v, bytes.constData() + offset, 4);
        return v;
    };
    const auto f32 = [&](int offset) {
        float v;
        std::memcpy(&v, bytes.constData() + offset, 4);
        return v;
    };
    EXPECT_EQ(u32(8), 30u);  // continuous
    EXPECT_EQ(u32(16), 50u); // motion
    EXPECT_EQ(u32(12), 20u); // event
    EXPECT_EQ(bytes.mid(356, 16), QByteArray("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(f32(456), 1.37f);
    EXPECT_EQ(f32(452), 1.25f) << "the zone nobody picked keeps its value";
}

TEST_F(SettingControllerTest, AWriteProtectedFileIsSaidAndTheEditorStays) {
    const QString folder = cardFolder();
    const QString file = folder + QStringLiteral("/config.bin");
    const QByteArray before = readAll(file);
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther));
    open(folder);
    control<TKSegmentedControl>("wdr")->segmentButton(1)->click();
    editor->saveButton->click();
    QMessageBox* refused = visibleAlert(editor->window());
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->text(), QStringLiteral("Warn"));
    EXPECT_EQ(refused->informativeText(), RVXLocalizedString("msg.write_protected_disk"));
    refused->accept();
    QTest::qWait(100);
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(editor->filedata()->En_SuperNightVision, 1u) << "the edit is kept";
    EXPECT_EQ(readAll(file), before);
}

TEST_F(SettingControllerTest, ACardHoldingTheSettingsIsNamedZamo) {
    UDisks2StandIn disks;
    ASSERT_EQ(disks.error(), QString());
    const QString folder = cardFolder();
    ASSERT_EQ(disks.setVolumes({QJsonObject{
                  {"name", "sdb1"},
                  {"mountPoints", QJsonArray{folder}},
                  {"label", "NO NAME"},
                  {"size", 8.0 * (1 << 30)},
                  {"drive", QJsonObject{{"id", "R"}, {"bus", "usb"}, {"removable", true}}}}}),
              QString());
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>(disks.bus()));
    const QString path = QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1");
    // At the program's start the card is found on a worker, and not renamed: that may
    // ask for a password, which waits until the user opens the editor.
    RVXSettingController search;
    EXPECT_FALSE(search.searched()) << "the search does not hold up the start";
    ASSERT_TRUE(waitFor([&] { return search.searched(); }));
    EXPECT_EQ(search.m_SettingFilePath, folder + QStringLiteral("/config.bin"));
    EXPECT_TRUE(disks.methodCalls(path, QStringLiteral("SetLabel")).isEmpty());

    open(QString());
    ASSERT_TRUE(editor->selectedUSBDisk);
    EXPECT_EQ(editor->selectedUSBDisk->volumeName(), QStringLiteral("ZAMO"));
    auto calls = disks.methodCalls(path, QStringLiteral("SetLabel"));
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0].value(0).toString(), QStringLiteral("ZAMO"));
    // Once a card: a refused prompt does not come back at each opening.
    ASSERT_EQ(disks.setVolumes({QJsonObject{
                  {"name", "sdb1"},
                  {"mountPoints", QJsonArray{folder}},
                  {"label", "NO NAME"},
                  {"size", 8.0 * (1 << 30)},
                  {"labelError", "Not authorized"},
                  {"drive", QJsonObject{{"id", "R"}, {"bus", "usb"}, {"removable", true}}}}}),
              QString());
    open(QString());
    open(QString());
    EXPECT_EQ(disks.methodCalls(path, QStringLiteral("SetLabel")).size(), 0)
        << "the same card, asked already";
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("RUVEX_LOG_STDERR", "1");
    QApplication app(argc, argv);
    RVXInstallStringTable();
    return RUN_ALL_TESTS();
}
