// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/RVXSettingController.h"

#include "RVXVersion.h"
#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/cardtools/RVXFormatWindowController.h"
#include "gui/drivelog/RVXSettingForFlashDataViewController.h"
#include "gui/settings/RVXSettingForAdasViewController.h"
#include "gui/settings/RVXSettingForAudioViewController.h"
#include "gui/settings/RVXSettingForAuxViewController.h"
#include "gui/settings/RVXSettingForBasicViewController.h"
#include "gui/settings/RVXSettingForGpsViewController.h"
#include "gui/settings/RVXSettingForMotionViewController.h"
#include "gui/settings/RVXSettingForVideoViewController.h"
#include "ui_RVXSettingController.h"
#include "widgets/PMProgressIndicator.h"
#include "widgets/RVXPageHelpers.h"
#include "widgets/TKSegmentedControl.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

// Segment, label key and page title key, in segment order.
struct Segment {
    const char* labelKey;
    const char* titleKey;
};
constexpr Segment kSegments[] = {
    {"setting.video", "setting.video"}, {"setting.basic", "setting.basic"},
    {"setting.gps", "setting.gps"},     {"setting.aux", "setting.aux"},
    {"setting.park", "setting.motion"}, {"setting.adas", "setting.adas"},
    {"setting.audio", "setting.audio"}, {"setting.driveinfoview", "setting.information"},
};

RVXSettingViewController* makePage(int index) {
    switch (index) {
    case 0:
        return new RVXSettingForVideoViewController;
    case 1:
        return new RVXSettingForBasicViewController;
    case 2:
        return new RVXSettingForGpsViewController;
    case 3:
        return new RVXSettingForAuxViewController;
    case 4:
        return new RVXSettingForMotionViewController;
    case 5:
        return new RVXSettingForAdasViewController;
    case 6:
        return new RVXSettingForAudioViewController;
    default:
        return nullptr;
    }
}

constexpr int kDriveInfoSegment = 7;
constexpr int kLoadingTickMs = 500;
constexpr double kLoadingSeconds = 15;

} // namespace

RVXSettingController::RVXSettingController(QString openFolder, QObject* parent)
    : QObject(parent)
    , m_openFolder(std::move(openFolder)) {
    makeDefaultSetting(m_FileData);
    loadSettingFile2();
}

RVXSettingController::~RVXSettingController() {
    // A read still running finds its generation outdated.
    ++m_loadGeneration;
    if (driveInfoController && !driveInfoController->parent())
        delete driveInfoController;
    // A format under way outlives the editor, so that its outcome is still shown.
    if (formatWindowController && formatWindowController->isFormatting()) {
        formatWindowController->setParent(nullptr);
        formatWindowController->deleteWhenClosed();
    }
    delete m_window;
}

bool RVXSettingController::hasPage(int index) {
    return index >= 0 && index <= kDriveInfoSegment;
}

RVXSettingForFlashDataViewController* RVXSettingController::createDriveInfoController() {
    if (!driveInfoController) {
        driveInfoController = new RVXSettingForFlashDataViewController;
        const QString root = m_card.rootFolder();
        const QString log = QDir(root).filePath(QStringLiteral("DrvInfo/zamo_000.drv"));
        if (!root.isEmpty() && QFileInfo::exists(log))
            driveInfoController->m_FlashDataFilePath = log;
        driveInfoController->setWindowTitle(RVXLocalizedString("setting.information"));
    }
    return driveInfoController;
}

QString RVXSettingController::diskUtility() {
    for (const char* tool : {"gnome-disks", "partitionmanager"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(tool));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QWidget* RVXSettingController::window() {
    if (!m_window)
        windowDidLoad();
    return m_window;
}

void RVXSettingController::showWindow(int segment) {
    window()->show();
    changeViewController(segment);
    m_window->raise();
    m_window->activateWindow();
}

void RVXSettingController::windowDidLoad() {
    m_window = new QWidget(nullptr, Qt::Window);
    m_ui = std::make_unique<Ui::RVXSettingController>();
    m_ui->setupUi(m_window);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    functionSegmentedControl = m_ui->functionSegmentedControl;
    sdcardFormatButton = m_ui->sdcardFormatButton;
    diskUtilButton = m_ui->diskUtilButton;
    resetButton = m_ui->resetButton;
    saveButton = m_ui->saveButton;
    cancelButton = m_ui->cancelButton;
    targetView = m_ui->targetView;

    QStringList labels;
    for (const Segment& s : kSegments)
        labels << RVXLocalizedString(s.labelKey);
    setSegmentLabels(functionSegmentedControl, labels);
    for (int i = 0; i < int(std::size(kSegments)); ++i)
        functionSegmentedControl->setEnabledForSegment(i, hasPage(i));
    for (QPushButton* b :
         {sdcardFormatButton, diskUtilButton, resetButton, saveButton, cancelButton})
        b->setText(RVXLocalizedString(b->text().toUtf8().constData()));
    // The format window comes with the card tools.
    diskUtilButton->setVisible(!diskUtility().isEmpty());

    connect(functionSegmentedControl, &TKSegmentedControl::segmentClicked, this,
            &RVXSettingController::clickFunctionSegmentedControl);
    connect(saveButton, &QPushButton::clicked, this, &RVXSettingController::onSave);
    connect(resetButton, &QPushButton::clicked, this, &RVXSettingController::onSaveDefaultSetting);
    connect(cancelButton, &QPushButton::clicked, this, &RVXSettingController::onCloseCmd);
    connect(sdcardFormatButton, &QPushButton::clicked, this, &RVXSettingController::onFormat);
    connect(diskUtilButton, &QPushButton::clicked, this, &RVXSettingController::onDiskUtil);

    // The loading sheet, modal to the editor alone.
    progressPanel = new QDialog(m_window);
    progressPanel->setObjectName(QStringLiteral("progressPanel"));
    progressPanel->setWindowModality(Qt::WindowModal);
    auto* sheet = new QVBoxLayout(progressPanel);
    progressTitleField = new QLabel(progressPanel);
    progressIndicator = new PMProgressIndicator(progressPanel);
    progressIndicator->setFixedWidth(260);
    sheet->addWidget(progressTitleField);
    sheet->addWidget(progressIndicator);

    m_window->resize(m_window->minimumSize());
    centerInScreen(m_window);
    onInitDIalog();
    changeViewController(0);
}

void RVXSettingController::onInitDIalog() {
    makeDefaultSetting(m_FileData);
    m_strVersion = QStringLiteral(RUVEX_VERSION);
    updateWindowTitle();
    loadSettingFile();
}

void RVXSettingController::updateWindowTitle() {
    const QString title = RVXLocalizedString("setting.window_title");
    if (m_SettingFilePath.isEmpty())
        m_window->setWindowTitle(QStringLiteral("%1[Ver %2]").arg(title, m_strVersion));
    else
        m_window->setWindowTitle(
            QStringLiteral("%1[Ver %2] : %3").arg(title, m_strVersion, m_SettingFilePath));
}

// What a search and read on a worker hand back.
struct RVXSettingCardRead {
    RVXSettingCard card;
    std::optional<_FILEDATA> record;
    std::optional<QString> damage;
};

namespace {

RVXSettingCardRead searchAndRead(RVXDiskService& disks, const QString& openFolder,
                                 const RVXSettingCard& previous, bool rename, _FILEDATA start) {
    RVXSettingCardRead out;
    out.card = findUSBVolume(disks, openFolder, previous, rename);
    const QString path = out.card.settingFilePath;
    if (!path.isEmpty() && QFileInfo::exists(path) && readSettingFile(path, start))
        out.record = start;
    out.damage = settingFileDamage(path.isEmpty() ? out.card.damagedSettingFile : path);
    return out;
}

} // namespace

void RVXSettingController::findUSBVolume(bool rename, bool withWindow) {
    const uint64_t generation = ++m_loadGeneration;
    // The search asks the disk service, which may take seconds (or a password prompt):
    // never on the UI thread. The page shows the record once it is whole. The watcher
    // goes with the editor, and a newer search makes this one's result moot.
    auto* watcher = new QFutureWatcher<RVXSettingCardRead>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation, withWindow] {
        watcher->deleteLater();
        if (generation == m_loadGeneration)
            cardSearchDidFinish(watcher->result(), withWindow);
    });
    watcher->setFuture(QtConcurrent::run(
        [rename, disks = RVXDiskService::currentHeld(), folder = m_openFolder, previous = m_card,
         start = m_FileData] { return searchAndRead(*disks, folder, previous, rename, start); }));
}

void RVXSettingController::cardSearchDidFinish(const RVXSettingCardRead& read, bool withWindow) {
    m_card = read.card;
    m_SettingFilePath = m_card.settingFilePath;
    selectedUSBDisk = m_card.selectedUSBDisk;
    if (read.record)
        m_FileData = *read.record;
    m_searched = true;
    if (!withWindow || !m_window) {
        Q_EMIT cardSearched();
        return;
    }
    if (m_SettingFilePath.isEmpty())
        m_FileData.time_gmt = findTimeZoneIndex();
    updateWindowTitle();
    hideLoading();
    // Said once, and without stopping the user: the editor works on regardless.
    m_ui->damageNotice->setText(read.damage.value_or(QString()));
    m_ui->damageNotice->setVisible(read.damage.has_value());
    if (read.damage)
        RVXLog(QStringLiteral("error=%1").arg(*read.damage));
    if (targetController)
        targetController->setFileData(&m_FileData);
    Q_EMIT cardSearched();
    Q_EMIT settingFileLoaded();
}

bool RVXSettingController::loadSettingFile2() {
    // At the start the card is only looked at: a password prompt for the renaming waits
    // until the user opens the editor.
    findUSBVolume(false, false);
    return true;
}

bool RVXSettingController::loadSettingFile() {
    showLoading(QStringLiteral("Loading..."));
    findUSBVolume(true, true);
    return true;
}

void RVXSettingController::clickFunctionSegmentedControl(int index) {
    changeViewController(index);
}

void RVXSettingController::changeViewController(int index) {
    if (index == lastSelectedTabIndex || !hasPage(index))
        return;
    if (targetController) {
        if (auto error = targetController->validateUserInput()) {
            functionSegmentedControl->setSelectedSegment(lastSelectedTabIndex);
            alert(QStringLiteral("ZAMO"), *error);
            return;
        }
        if (!targetController->populate()) {
            functionSegmentedControl->setSelectedSegment(lastSelectedTabIndex);
            return;
        }
        targetController->onHide();
        targetView->layout()->removeWidget(targetController);
        // The drive-information page is made once and kept; the others anew each time.
        if (targetController == driveInfoController)
            targetController->hide();
        else
            delete targetController;
        targetController = nullptr;
    }
    if (index == kDriveInfoSegment) {
        targetController = createDriveInfoController();
        targetController->show();
    } else {
        targetController = makePage(index);
        targetController->setWindowTitle(RVXLocalizedString(kSegments[index].titleKey));
    }
    targetView->layout()->addWidget(targetController);
    targetController->setFileData(&m_FileData);
    targetController->setMainController(this);
    lastSelectedTabIndex = index;
    functionSegmentedControl->setSelectedSegment(index);
}

bool RVXSettingController::populate() {
    return targetController ? targetController->populate() : true;
}

std::optional<QString> RVXSettingController::validateUserInput() {
    return targetController ? targetController->validateUserInput() : std::nullopt;
}

void RVXSettingController::onSave() {
    if (auto error = validateUserInput()) {
        alert(QStringLiteral("ZAMO"), *error);
        return;
    }
    if (!populate())
        return;
    RVXSealSetting(m_FileData);
    // Finding the target asks the disk service: on a worker, as the write is.
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        QString target = watcher->result();
        if (target.isEmpty())
            target = saveSettingsPanel ? saveSettingsPanel() : runSaveSettingsPanel();
        if (!target.isEmpty())
            writeSettingsTo(target);
    });
    watcher->setFuture(QtConcurrent::run([disks = RVXDiskService::currentHeld(), card = m_card] {
        return settingSaveTarget(*disks, card);
    }));
}

void RVXSettingController::writeSettingsTo(const QString& target) {
    auto* watcher = new QFutureWatcher<std::optional<QString>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, target] {
        watcher->deleteLater();
        const std::optional<QString> error = watcher->result();
        if (error == QStringLiteral("msg.card_full")) {
            alert(QStringLiteral("Warn"), RVXLocalizedString("msg.card_full"));
            return;
        }
        if (error) {
            alert(QStringLiteral("Warn"), RVXLocalizedString("msg.write_protected_disk"));
            return;
        }
        m_ui->damageNotice->hide();
        Q_EMIT settingFileSaved(target);
        showSuccessSheet(window(), target, RVXLocalizedString("msg.saved"),
                         [this] { onCloseCmd(); });
    });
    watcher->setFuture(QtConcurrent::run(
        [record = m_FileData, target] { return writeSettingFile(record, target); }));
}

QString RVXSettingController::runSaveSettingsPanel() {
    QFileDialog panel(m_window, QStringLiteral("Save Settings"));
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    panel.selectFile(QStringLiteral("config.bin"));
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return {};
    return panel.selectedFiles().first();
}

void RVXSettingController::onSaveDefaultSetting() {
    // The time zone, summer time and voice language are not the camera's defaults but
    // the user's: makeDefaultSetting leaves them.
    makeDefaultSetting(m_FileData);
    if (targetController)
        targetController->setFileData(&m_FileData);
}

void RVXSettingController::onCloseCmd() {
    if (m_window)
        m_window->close();
}

void RVXSettingController::onFormat() {
    if (!formatWindowController)
        formatWindowController = new RVXFormatWindowController(this);
    else if (!formatWindowController->isFormatting())
        formatWindowController->loadUSBVolumes(); // a card may have come or gone
    formatWindowController->showWindow();
}

void RVXSettingController::onDiskUtil() {
    const QString tool = diskUtility();
    if (!tool.isEmpty())
        QProcess::startDetached(tool, {});
}

void RVXSettingController::alert(const QString& message, const QString& informative,
                                 std::function<void()> end) {
    showAlertSheet(window(), message, informative, std::move(end));
}

void RVXSettingController::showLoading(const QString& text) {
    if (!m_window)
        return;
    progressIndicator->setIndeterminate(true);
    stopLoadingWindow = false;
    progress = 0;
    progressIndicator->setDoubleValue(progressIndicator->minimumValue());
    progressTitleField->setText(text);
    QTimer::singleShot(kLoadingTickMs, this, [this] { updateLoadingWindow(kLoadingSeconds); });
    progressPanel->open();
}

void RVXSettingController::updateLoadingWindow(double seconds) {
    progress += 100.0 / (2 * seconds);
    progressIndicator->setDoubleValue(progress);
    if (progress >= 100 || stopLoadingWindow) {
        progressIndicator->setDoubleValue(progressIndicator->minimumValue());
        progressIndicator->setIndeterminate(false);
        progressPanel->close();
        stopLoadingWindow = true;
        return;
    }
    QTimer::singleShot(kLoadingTickMs, this, [this, seconds] { updateLoadingWindow(seconds); });
}

void RVXSettingController::hideLoading() {
    stopLoadingWindow = true;
}
