// SPDX-License-Identifier: GPL-3.0-or-later
// The format window offscreen with real widgets, over the stand-in UDisks2 and image
// files formatted by mkfs.fat in place of the privileged step.
#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/cardtools/RVXFormatWindowController.h"
#include "gui/settings/RVXSettingController.h"
#include "platform/RVXUDisks2.h"
#include "support/CardImage.h"
#include "support/FormatHelperSystem.h"
#include "support/PrivilegedStandIn.h"
#include "support/TempTree.h"
#include "support/UDisks2StandIn.h"
#include "support/WindowTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

extern FormatHelperSystem* formatHelperSystem;

namespace {

constexpr qint64 kGiB = qint64(1) << 30;

class FormatWindowTest : public testing::Test {
protected:
    void SetUp() override {
        RVXDiskService::setShared(nullptr);
        RVXPrivilegedCommand::setShared(privileged);
    }
    void TearDown() override {
        window.reset();
        RVXDiskService::setShared(nullptr);
        RVXPrivilegedCommand::setShared(nullptr);
    }
    // The stand-in service with an image card (and a write-protected one).
    void cards(const QString& mountError = {}) {
        ASSERT_EQ(standIn.error(), QString());
        const QString image = tree.path(QStringLiteral("a.img"));
        ASSERT_EQ(CardImage::create(image, 8 * kGiB, QStringLiteral("OLD")), QString());
        formatHelperSystem->addDevice(image);
        _FILEDATA r{};
        makeDefaultSetting(r);
        r.vid_enc_bitrate = 2;
        RVXSealSetting(r);
        settings = RVXSettingBytes(r);
        tree.file(QStringLiteral("media/a/config.bin"), settings);
        const QJsonObject reader{
            {"id", "Reader"}, {"bus", "usb"}, {"removable", true}, {"model", "Reader"}};
        const QJsonArray volumes{
            QJsonObject{{"name", "a"},
                        {"device", image},
                        {"image", image},
                        {"mountPoints", QJsonArray{tree.path(QStringLiteral("media/a"))}},
                        {"label", "OLD"},
                        {"size", 8 * kGiB},
                        {"partition", false},
                        {"mountError", mountError},
                        {"drive", reader}},
            QJsonObject{{"name", "b"},
                        {"device", tree.path(QStringLiteral("b.img"))},
                        {"mountPoints", QJsonArray{tree.folder(QStringLiteral("media/b"))}},
                        {"label", "LOCKED"},
                        {"size", 2 * kGiB},
                        {"readOnly", true},
                        {"drive", reader}}};
        ASSERT_EQ(standIn.setVolumes(volumes), QString());
        RVXDiskService::setShared(std::make_shared<RVXUDisks2>(standIn.bus()));
    }
    void open() {
        window = std::make_unique<RVXFormatWindowController>();
        window->showWindow();
        ASSERT_TRUE(waitFor([&] { return window->stopProgressBar; })) << "the search ends";
    }
    template <typename T> T* child(const char* name) {
        return window->window()->findChild<T*>(QLatin1String(name));
    }
    void choose(int index) {
        auto* combo = child<QComboBox>("usbDiskCombo");
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    // The question asked before a format, once it shows (the recordings are counted
    // first); null when none does.
    static QMessageBox* question(QWidget* on) {
        QMessageBox* found = nullptr;
        waitFor([&] {
            found = on->findChild<QMessageBox*>(QStringLiteral("formatConfirmation"));
            return found && found->isVisible();
        });
        return found && found->isVisible() ? found : nullptr;
    }
    static void answer(QWidget* on, bool erase) {
        QMessageBox* asked = question(on);
        ASSERT_NE(asked, nullptr) << "no question before the format";
        QAbstractButton* button = erase ? asked->findChild<QAbstractButton*>("eraseButton")
                                        : asked->button(QMessageBox::Cancel);
        ASSERT_NE(button, nullptr);
        button->click();
    }

    UDisks2StandIn standIn;
    TempTree tree;
    std::shared_ptr<PrivilegedStandIn> privileged = std::make_shared<PrivilegedStandIn>();
    std::unique_ptr<RVXFormatWindowController> window;
    QByteArray settings;
};

} // namespace

TEST_F(FormatWindowTest, WithoutACardTheWindowSaysSo) {
    // A fixed disk and a stick holding / are no cards to format.
    ASSERT_EQ(standIn.error(), QString());
    const QJsonArray volumes{
        QJsonObject{{"name", "sda2"},
                    {"mountPoints", QJsonArray{tree.folder(QStringLiteral("data"))}},
                    {"drive", QJsonObject{{"id", "Disk"}, {"bus", "ata"}, {"removable", false}}}},
        QJsonObject{{"name", "sdb1"},
                    {"mountPoints", QJsonArray{"/"}},
                    {"drive", QJsonObject{{"id", "Live"}, {"bus", "usb"}, {"removable", true}}}}};
    ASSERT_EQ(standIn.setVolumes(volumes), QString());
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>(standIn.bus()));
    open();
    EXPECT_EQ(child<QComboBox>("usbDiskCombo")->count(), 0);
    EXPECT_EQ(child<QLineEdit>("pathField")->text(), QStringLiteral("-"));
    EXPECT_EQ(child<QLineEdit>("allocationUnitField")->text(), QStringLiteral("128KB"));
    EXPECT_EQ(child<QLineEdit>("fileSystemField")->text(), QStringLiteral("FAT32"));
    EXPECT_FALSE(child<QProgressBar>("progressBar")->isVisible());
    child<QPushButton>("formatButton")->click();
    QMessageBox* alert = visibleAlert(window->window());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), QStringLiteral("ZAMO"));
    EXPECT_EQ(alert->informativeText(), QStringLiteral("There is no USB drive."));
    alert->accept();
}

TEST_F(FormatWindowTest, TheCardIsFormattedKeepingItsSettingsAndTheWindowCloses) {
    cards();
    open();
    auto* combo = child<QComboBox>("usbDiskCombo");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("[8.0 GB] OLD <Reader>"));
    const QString image = tree.path(QStringLiteral("a.img"));
    EXPECT_EQ(child<QLineEdit>("pathField")->text(),
              image + QStringLiteral("   ") + tree.path(QStringLiteral("media/a")));
    EXPECT_EQ(child<QLineEdit>("allocationUnitField")->text(), QStringLiteral("128 KB"));

    // Write-protected: said, nothing run.
    choose(1);
    EXPECT_EQ(child<QLineEdit>("allocationUnitField")->text(), QStringLiteral("32 KB"));
    child<QPushButton>("formatButton")->click();
    QMessageBox* locked = visibleAlert(window->window());
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(locked->text(), RVXLocalizedString("msg.cannot_format"));
    EXPECT_TRUE(locked->informativeText().endsWith(RVXLocalizedString("msg.write_protected_disk")));
    locked->accept();
    EXPECT_TRUE(privileged->calls().isEmpty());

    choose(0);
    bool finished = false, succeeded = false;
    QObject::connect(window.get(), &RVXFormatWindowController::formatFinished,
                     [&](bool ok) { finished = true, succeeded = ok; });
    child<QPushButton>("formatButton")->click();
    answer(window->window(), true);
    // One format at a time, and the window stays while it runs.
    EXPECT_FALSE(child<QPushButton>("formatButton")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cancelButton")->isEnabled());
    EXPECT_TRUE(child<QProgressBar>("progressBar")->isVisible());
    EXPECT_EQ(child<QLabel>("progressMessageField")->text(), QStringLiteral("Formatting..."));
    window->window()->close();
    EXPECT_TRUE(window->window()->isVisible());
    ASSERT_TRUE(waitFor([&] { return finished; }, 30000));
    EXPECT_TRUE(succeeded);
    ASSERT_EQ(privileged->calls().size(), 1);
    QMessageBox* done = visibleAlert(window->window());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), RVXLocalizedString("msg.format_complete"));
    EXPECT_EQ(done->informativeText(), QStringLiteral("[8.0 GB] ZAMO <Reader>"));
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("ZAMO       "));
    EXPECT_EQ(readAll(tree.path(QStringLiteral("media/a/config.bin"))), settings);
    done->accept();
    EXPECT_TRUE(waitFor([&] { return !window->window()->isVisible(); }));
}

TEST_F(FormatWindowTest, ARefusedPasswordLeavesTheWindowWithTheCardChosen) {
    cards();
    privileged->answer = RVXCommandResult{RVXPrivilegedCommand::kDismissed, QString()};
    // The editor's format button opens the window.
    const QString folder = tree.path(QStringLiteral("media/a"));
    RVXSettingController editor(folder);
    editor.showWindow();
    editor.sdcardFormatButton->click();
    RVXFormatWindowController* opened = editor.formatWindowController;
    ASSERT_NE(opened, nullptr);
    ASSERT_TRUE(
        waitFor([&] { return opened->usbDiskArray.size() == 2 && opened->stopProgressBar; }));
    bool finished = false;
    QObject::connect(opened, &RVXFormatWindowController::formatFinished, [&] { finished = true; });
    opened->onFormat();
    answer(opened->window(), true);
    ASSERT_TRUE(waitFor([&] { return finished; }, 30000));
    QMessageBox* refused = visibleAlert(opened->window());
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->text(), RVXLocalizedString("msg.cannot_format"));
    EXPECT_TRUE(refused->informativeText().contains(QStringLiteral("\nError:administrator rights")))
        << refused->informativeText().toStdString();
    refused->accept();
    EXPECT_TRUE(opened->window()->isVisible());
    EXPECT_TRUE(opened->window()->findChild<QPushButton*>("formatButton")->isEnabled());
    EXPECT_EQ(opened->selectedUSBDisk()->deviceFilePath(), tree.path(QStringLiteral("a.img")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/config.bin"))) << "mounted again";
}

TEST_F(FormatWindowTest, AFormatOutlivesTheEditorThatOpenedIt) {
    cards();
    privileged->delayMs = 1000;
    auto editor = std::make_unique<RVXSettingController>(tree.path(QStringLiteral("media/a")));
    editor->showWindow();
    editor->sdcardFormatButton->click();
    QPointer<RVXFormatWindowController> opened = editor->formatWindowController;
    ASSERT_TRUE(
        waitFor([&] { return opened->usbDiskArray.size() == 2 && opened->stopProgressBar; }));
    bool finished = false;
    QObject::connect(opened, &RVXFormatWindowController::formatFinished, [&] { finished = true; });
    opened->onFormat();
    answer(opened->window(), true);
    ASSERT_TRUE(opened->isFormatting());
    editor.reset();
    ASSERT_FALSE(opened.isNull());
    EXPECT_TRUE(opened->window()->isVisible());
    ASSERT_TRUE(waitFor([&] { return finished; }, 30000));
    QMessageBox* done = visibleAlert(opened->window());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), RVXLocalizedString("msg.format_complete"));
    done->accept();
    EXPECT_TRUE(waitFor([&] { return opened.isNull(); })) << "gone with its window";
}

TEST_F(FormatWindowTest, TheListFollowsCardsPutInAndTakenOut) {
    ASSERT_EQ(standIn.setVolumes({}), QString());
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>(standIn.bus()));
    open();
    auto* combo = child<QComboBox>("usbDiskCombo");
    EXPECT_EQ(combo->count(), 0);
    // No F5: the service's news of the new volumes is enough.
    cards();
    ASSERT_TRUE(waitFor([&] { return combo->count() == 2 && window->stopProgressBar; }));
    choose(1);
    ASSERT_EQ(standIn.setVolumes({}), QString());
    EXPECT_TRUE(waitFor([&] { return combo->count() == 0; }));
    EXPECT_EQ(child<QLineEdit>("pathField")->text(), QStringLiteral("-"));
}

TEST_F(FormatWindowTest, SettingsAFailedRestoreKeptGoBackOnceTheCardIsHere) {
    // Formatted, but the card is not mounted again: the alert says where its settings are.
    cards(QStringLiteral("no medium"));
    open();
    auto* restore = child<QPushButton>("restoreButton");
    EXPECT_FALSE(restore->isVisible());
    bool finished = false;
    QObject::connect(window.get(), &RVXFormatWindowController::formatFinished,
                     [&] { finished = true; });
    child<QPushButton>("formatButton")->click();
    answer(window->window(), true);
    ASSERT_TRUE(waitFor([&] { return finished; }, 30000));
    QMessageBox* failed = visibleAlert(window->window());
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->text(), QStringLiteral("config.bin copy fail"));
    const QString kept = window->pendingRestorePath();
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_TRUE(failed->informativeText().contains(kept))
        << failed->informativeText().toStdString();
    EXPECT_EQ(readAll(kept), settings);
    failed->accept();
    EXPECT_TRUE(restore->isVisible());
    EXPECT_FALSE(restore->isEnabled()) << "the card is not there";

    // The card comes back (the system mounts it): Restore puts the settings on it.
    cards();
    auto* combo = child<QComboBox>("usbDiskCombo");
    ASSERT_TRUE(waitFor([&] { return combo->count() == 2 && window->stopProgressBar; }));
    choose(0);
    EXPECT_TRUE(restore->isEnabled());
    tree.folder(QStringLiteral("media/a"));
    QFile::remove(tree.path(QStringLiteral("media/a/config.bin")));
    restore->click();
    QMessageBox* done = visibleAlert(window->window());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), RVXLocalizedString("msg.format_complete"));
    EXPECT_EQ(readAll(tree.path(QStringLiteral("media/a/config.bin"))), settings);
    EXPECT_FALSE(restore->isVisible());
    done->accept();
}

TEST_F(FormatWindowTest, TheWindowAsksFirstNamingWhatWillBeErased) {
    cards();
    // Recordings as the catalogue knows them, in folders; and files that are none.
    for (const char* name :
         {"Normal/alwa_20260314_081500_F.MP4", "Normal/alwa_20260314_081500_R.MP4",
          "Event/event_20260314_081533_F.mp4", "Normal/alwa_20261314_081500_F.MP4", "notes.mp4",
          "alwa_20260314_081500_F.txt"})
        tree.file(QStringLiteral("media/a/") + QLatin1String(name));
    open();
    const QString image = tree.path(QStringLiteral("a.img"));
    child<QPushButton>("formatButton")->click();
    QMessageBox* asked = question(window->window());
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->text(), QStringLiteral("Erase OLD (Reader 8.0 GB, %1)?").arg(image));
    EXPECT_EQ(asked->informativeText(), QStringLiteral("Its 3 recordings will be lost."));
    EXPECT_FALSE(child<QPushButton>("formatButton")->isEnabled()) << "one question at a time";

    // Cancel: nothing runs, nothing is unmounted, the card is as it was.
    answer(window->window(), false);
    spin(500);
    EXPECT_TRUE(privileged->calls().isEmpty());
    EXPECT_TRUE(
        standIn.methodCalls("/org/freedesktop/UDisks2/block_devices/a", "Unmount").isEmpty());
    EXPECT_EQ(CardImage::bootSector(image).label, QByteArray("OLD        "));
    EXPECT_FALSE(window->isFormatting());
    EXPECT_TRUE(child<QPushButton>("formatButton")->isEnabled());
    for (QMessageBox* box : window->window()->findChildren<QMessageBox*>())
        EXPECT_FALSE(box->isVisible()) << "no alert after a cancel: " << qPrintable(box->text());

    // A card with nothing of the camera's on it says so.
    for (const char* name : {"Normal", "Event"})
        QDir(tree.path(QStringLiteral("media/a/") + QLatin1String(name))).removeRecursively();
    child<QPushButton>("formatButton")->click();
    asked = question(window->window());
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->informativeText(), RVXLocalizedString("msg.format_confirm_no_recordings"));
    answer(window->window(), false);
}

TEST_F(FormatWindowTest, AFailedFormatNamesTheKeptSettingsAndOffersThemBack) {
    cards();
    // mkfs.fat stopped half-way, or the card pulled while it wrote.
    privileged->answer = RVXCommandResult{1, QStringLiteral("mkfs.fat: failed whilst writing FAT")};
    open();
    bool finished = false;
    QObject::connect(window.get(), &RVXFormatWindowController::formatFinished,
                     [&] { finished = true; });
    child<QPushButton>("formatButton")->click();
    answer(window->window(), true);
    ASSERT_TRUE(waitFor([&] { return finished; }, 30000));
    QMessageBox* failed = visibleAlert(window->window());
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->text(), RVXLocalizedString("msg.cannot_format"));
    const QString kept = window->pendingRestorePath();
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_TRUE(failed->informativeText().contains(kept))
        << failed->informativeText().toStdString();
    EXPECT_EQ(readAll(kept), settings);
    failed->accept();
    auto* restore = child<QPushButton>("restoreButton");
    EXPECT_TRUE(restore->isVisible());
    ASSERT_TRUE(restore->isEnabled()) << "the card is mounted again";

    const QString config = tree.path(QStringLiteral("media/a/config.bin"));
    ASSERT_TRUE(QFile::remove(config));
    restore->click();
    QMessageBox* done = visibleAlert(window->window());
    ASSERT_NE(done, nullptr);
    EXPECT_NE(done->text(), RVXLocalizedString("msg.format_complete")) << "it was not formatted";
    EXPECT_TRUE(done->informativeText().contains(kept)) << done->informativeText().toStdString();
    EXPECT_EQ(readAll(config), settings);
    EXPECT_FALSE(restore->isVisible());
    done->accept();
    spin(200);
    EXPECT_TRUE(window->window()->isVisible()) << "the card still wants its format";
}
