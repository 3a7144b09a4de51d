// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/cardtools/RVXFormatWindowController.h"

#include "core/cardtools/RVXFormatConfirmation.h"
#include "core/cardtools/RVXRemovableDisks.h"
#include "core/support/RVXLocalizedString.h"
#include "ui_RVXFormatWindowController.h"
#include "widgets/RVXPageHelpers.h"

#include <QCloseEvent>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPointer>
#include <QShortcut>
#include <QtConcurrent>

namespace {

constexpr int kProgressTickMs = 300;
constexpr double kProgressTotal = 1000;

constexpr int kChangeSettleMs = 400;

struct FormatOutcome {
    std::optional<RVXFormatFailure> failure;
    QString kept;
};

} // namespace

RVXFormatWindowController::RVXFormatWindowController(QObject* parent)
    : QObject(parent) {
    m_progressTimer.setInterval(kProgressTickMs);
    connect(&m_progressTimer, &QTimer::timeout, this,
            [this] { updateProgressBar(kProgressTotal); });
    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(kChangeSettleMs);
    connect(&m_changeTimer, &QTimer::timeout, this, [this] {
        if (m_formatting)
            return;
        // Keep the user's choice when it is still there.
        const auto chosen = selectedUSBDisk();
        loadUSBVolumes([this, chosen] {
            if (chosen)
                selectUSBByDevFile(chosen->deviceFilePath());
        });
    });
}

RVXFormatWindowController::~RVXFormatWindowController() {
    delete m_window;
}

QWidget* RVXFormatWindowController::window() {
    if (!m_window)
        windowDidLoad();
    return m_window;
}

void RVXFormatWindowController::showWindow() {
    window()->show();
    m_window->raise();
    m_window->activateWindow();
}

void RVXFormatWindowController::windowDidLoad() {
    m_window = new QWidget(nullptr, Qt::Window);
    m_ui = std::make_unique<Ui::RVXFormatWindowController>();
    m_ui->setupUi(m_window);
    m_window->setWindowTitle(RVXLocalizedString("setting.format.window_title"));
    m_window->installEventFilter(this);
    m_ui->pathLabel->setText(RVXLocalizedString("setting.format.path"));
    m_ui->allocationUnitLabel->setText(RVXLocalizedString("setting.format.allocation_unit_size"));
    m_ui->fileSystemLabel->setText(RVXLocalizedString("setting.format.filesystem"));
    m_ui->formatButton->setText(RVXLocalizedString("setting.format.format"));
    m_ui->cancelButton->setText(RVXLocalizedString("cancel"));
    m_ui->cancelButton->setShortcut(QKeySequence::Cancel);
    m_ui->fileSystemField->setText(QStringLiteral("FAT32"));
    m_ui->pathField->setText(QStringLiteral("-"));
    connect(m_ui->usbDiskCombo, &QComboBox::activated, this,
            &RVXFormatWindowController::changeDisk);
    connect(m_ui->formatButton, &QPushButton::clicked, this, &RVXFormatWindowController::onFormat);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &RVXFormatWindowController::cancel);
    connect(m_ui->restoreButton, &QPushButton::clicked, this,
            &RVXFormatWindowController::onRestore);
    RVXDiskService::current().watchChanges(this, [this] { m_changeTimer.start(); });
    // A card put in after the window opened: search again.
    auto* refresh = new QShortcut(QKeySequence::Refresh, m_window);
    connect(refresh, &QShortcut::activated, this, [this] {
        if (!m_formatting)
            loadUSBVolumes();
    });
    hideProgressBar();
    m_window->adjustSize();
    centerInScreen(m_window);
    loadUSBVolumes();
}

bool RVXFormatWindowController::eventFilter(QObject* watched, QEvent* event) {
    // Half a format is worse than none: the window stays until the sequence is through.
    if (watched == m_window && event->type() == QEvent::Close) {
        if (m_formatting) {
            event->ignore();
            return true;
        }
        if (m_deleteWhenClosed)
            deleteLater();
    }
    return QObject::eventFilter(watched, event);
}

void RVXFormatWindowController::loadUSBVolumes(std::function<void()> completion) {
    window();
    bool ownsProgress = false;
    if (!stopProgressBar) {
        m_ui->progressMessageField->setText(QStringLiteral("Disk searching..."));
    } else {
        showProgressBar(QStringLiteral("Disk searching..."));
        ownsProgress = true;
    }
    const int generation = ++m_searchGeneration;
    auto* watcher = new QFutureWatcher<QList<TKUSBDiskEntity>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, generation, ownsProgress, completion = std::move(completion)] {
                watcher->deleteLater();
                if (generation != m_searchGeneration)
                    return;
                usbDiskArray = watcher->result();
                QStringList names;
                for (const TKUSBDiskEntity& disk : usbDiskArray)
                    names << disk.displayString();
                setComboItems(m_ui->usbDiskCombo, names);
                m_ui->usbDiskCombo->setCurrentIndex(names.isEmpty() ? -1 : 0);
                updateSelectedDiskInfo();
                updateRestoreButton();
                if (ownsProgress)
                    hideProgressBar();
                if (completion)
                    completion();
            });
    watcher->setFuture(QtConcurrent::run(
        [disks = RVXDiskService::currentHeld()] { return doLoadUSBVolumes(*disks); }));
}

QList<TKUSBDiskEntity> RVXFormatWindowController::doLoadUSBVolumes(RVXDiskService& disks) {
    return usbDiskEntities(disks);
}

std::optional<TKUSBDiskEntity> RVXFormatWindowController::selectedUSBDisk() const {
    const int index = m_ui ? m_ui->usbDiskCombo->currentIndex() : -1;
    if (index < 0 || index >= usbDiskArray.size())
        return std::nullopt;
    return usbDiskArray[index];
}

std::optional<TKUSBDiskEntity>
RVXFormatWindowController::selectUSBByDevFile(const QString& device) {
    for (qsizetype i = 0; i < usbDiskArray.size(); ++i) {
        if (usbDiskArray[i].deviceFilePath() == device) {
            m_ui->usbDiskCombo->setCurrentIndex(int(i));
            updateSelectedDiskInfo();
            return usbDiskArray[i];
        }
    }
    return std::nullopt;
}

void RVXFormatWindowController::updateSelectedDiskInfo() {
    const auto disk = selectedUSBDisk();
    if (!disk) {
        m_ui->allocationUnitField->setText(QStringLiteral("128KB"));
        m_ui->pathField->setText(QStringLiteral("-"));
        return;
    }
    m_ui->pathField->setText(
        QStringLiteral("%1   %2").arg(disk->deviceFilePath(), disk->mountedURL().toLocalFile()));
    m_ui->allocationUnitField->setText(
        QStringLiteral("%1 KB").arg(clusterSizeByVolumeSizeInKB(disk->volumeSize())));
}

void RVXFormatWindowController::changeDisk() {
    updateSelectedDiskInfo();
    updateRestoreButton();
}

void RVXFormatWindowController::updateRestoreButton() {
    const auto disk = selectedUSBDisk();
    const bool pending = !m_pendingRestorePath.isEmpty() && m_pendingRestoreCard;
    m_ui->restoreButton->setVisible(pending);
    m_ui->restoreButton->setEnabled(
        pending && !m_formatting && disk &&
        disk->deviceFilePath() == m_pendingRestoreCard->deviceFilePath() &&
        disk->volumeSize() == m_pendingRestoreCard->volumeSize() &&
        disk->identity().serial == m_pendingRestoreCard->identity().serial);
}

void RVXFormatWindowController::onRestore() {
    const auto disk = selectedUSBDisk();
    if (!disk || m_pendingRestorePath.isEmpty())
        return;
    if (auto error = RVXFormatSequence::restoreKeptCopy(m_pendingRestorePath, *disk)) {
        showAlert(m_window, QStringLiteral("config.bin copy fail"), *error);
        return;
    }
    const QString kept = m_pendingRestorePath;
    const bool formatted = m_pendingRestoreFormatted;
    m_pendingRestorePath.clear();
    m_pendingRestoreCard.reset();
    updateRestoreButton();
    if (formatted) {
        showSuccessSheet(m_window, RVXLocalizedString("msg.format_complete"), disk->displayString(),
                         [this] { cancel(); });
        return;
    }
    // The format itself failed: the card still wants one, so the window stays.
    showSuccess(m_window, RVXLocalizedString("msg.settings_restored"),
                QStringLiteral("%1\n%2").arg(disk->displayString(), kept));
}

void RVXFormatWindowController::onFormat() {
    if (m_formatting || m_confirming)
        return;
    const auto disk = selectedUSBDisk();
    if (!disk) {
        showAlert(m_window, QStringLiteral("ZAMO"),
                  usbDiskArray.isEmpty() ? QStringLiteral("There is no USB drive.")
                                         : QStringLiteral("Please select USB drive."));
        return;
    }
    // The mount may be read-only after the system found errors; a format mends that.
    if (!disk->deviceWritable()) {
        showAlert(m_window, RVXLocalizedString("msg.cannot_format"),
                  QStringLiteral("%1\n%2").arg(disk->displayString(),
                                               RVXLocalizedString("msg.write_protected_disk")));
        return;
    }
    // Within a password the system keeps, no prompt comes between this click and the
    // erase: the window asks itself, naming the card and its recordings.
    m_confirming = true;
    m_ui->formatButton->setEnabled(false);
    auto* watcher = new QFutureWatcher<qsizetype>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, disk = *disk] {
        watcher->deleteLater();
        askToFormat(disk, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(
        [mount = disk->mountedURL().toLocalFile()] { return RVXCountRecordings(mount); }));
}

void RVXFormatWindowController::askToFormat(const TKUSBDiskEntity& disk, qsizetype recordings) {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("ZAMO"),
                                RVXFormatQuestion(disk), QMessageBox::Cancel, m_window);
    box->setObjectName(QStringLiteral("formatConfirmation"));
    box->setInformativeText(RVXFormatConsequence(recordings));
    QPushButton* erase = box->addButton(RVXLocalizedString("msg.format_confirm_erase"),
                                        QMessageBox::DestructiveRole);
    erase->setObjectName(QStringLiteral("eraseButton"));
    box->setDefaultButton(QMessageBox::Cancel);
    box->setEscapeButton(QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QDialog::finished, this, [this, box, erase, disk] {
        m_confirming = false;
        if (box->clickedButton() == erase)
            doFormat(disk);
        else
            m_ui->formatButton->setEnabled(!m_formatting);
    });
    box->open();
}

void RVXFormatWindowController::setBusy(bool busy) {
    m_formatting = busy;
    m_ui->formatButton->setEnabled(!busy);
    m_ui->cancelButton->setEnabled(!busy);
    m_ui->usbDiskCombo->setEnabled(!busy);
    updateRestoreButton();
}

void RVXFormatWindowController::doFormat(const TKUSBDiskEntity& disk) {
    setBusy(true);
    showProgressBar(QStringLiteral("Formatting..."));
    const QPointer<RVXFormatWindowController> self(this);
    // Each step's message reaches the window before the step runs.
    const RVXFormatSequence::Show show = [self](const QString& message) {
        QMetaObject::invokeMethod(
            qApp,
            [self, message] {
                if (self && self->m_ui)
                    self->m_ui->progressMessageField->setText(message);
            },
            Qt::QueuedConnection);
    };
    auto* watcher = new QFutureWatcher<FormatOutcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, disk] {
        watcher->deleteLater();
        formatDidFinished(disk, watcher->result().failure, watcher->result().kept);
    });
    // The thread holds copies only: the window may be gone before mkfs.fat is.
    watcher->setFuture(QtConcurrent::run([disk, show, disks = RVXDiskService::currentHeld(),
                                          privileged = RVXPrivilegedCommand::currentHeld()] {
        RVXFormatSequence sequence(*disks, *privileged);
        auto failure = sequence.run(disk, show);
        return FormatOutcome{std::move(failure), sequence.savedConfigPath()};
    }));
}

void RVXFormatWindowController::formatDidFinished(const TKUSBDiskEntity& disk,
                                                  const std::optional<RVXFormatFailure>& failure,
                                                  const QString& kept) {
    const QString device = disk.deviceFilePath();
    // Any failure once config.bin was kept may have cost the card its settings (mkfs.fat
    // stopped half-way, the card pulled): Restore puts them back.
    if (failure && !kept.isEmpty()) {
        m_pendingRestorePath = kept;
        m_pendingRestoreCard = disk;
        m_pendingRestoreFormatted = failure->kind == RVXFormatFailure::Kind::RestoreFailed;
    }
    loadUSBVolumes([this, device, disk, failure, kept] {
        const auto again = selectUSBByDevFile(device);
        const QString name = again ? again->displayString() : disk.displayString();
        hideProgressBar();
        setBusy(false);
        using Kind = RVXFormatFailure::Kind;
        if (!failure) {
            showSuccessSheet(m_window, RVXLocalizedString("msg.format_complete"), name,
                             [this] { cancel(); });
            Q_EMIT formatFinished(true);
            return;
        }
        QString title = RVXLocalizedString("msg.cannot_format");
        QString text;
        if (failure->kind == Kind::RestoreFailed) {
            title = QStringLiteral("config.bin copy fail");
            text = failure->message;
        } else if (failure->kind == Kind::WriteProtected) {
            text =
                QStringLiteral("%1\n%2").arg(name, RVXLocalizedString("msg.write_protected_disk"));
        } else {
            text = QStringLiteral("%1\nError:%2").arg(name, failure->message);
        }
        if (!kept.isEmpty()) {
            text += u'\n' + (text.contains(kept)
                                 ? RVXLocalizedString("msg.settings_restore_hint")
                                 : RVXLocalizedString("msg.settings_kept_fmt").arg(kept));
        }
        showAlert(m_window, title, text);
        Q_EMIT formatFinished(false);
    });
}

void RVXFormatWindowController::cancel() {
    if (m_window && !m_formatting)
        m_window->close();
}

void RVXFormatWindowController::showProgressBar(const QString& text) {
    m_ui->progressBar->show();
    m_ui->progressMessageField->show();
    // Busy: the steps' lengths are not known ahead.
    m_ui->progressBar->setRange(0, 0);
    stopProgressBar = false;
    progress = 0;
    m_ui->progressMessageField->setText(text);
    m_progressTimer.start();
}

void RVXFormatWindowController::updateProgressBar(double total) {
    m_ui->progressBar->show();
    m_ui->progressMessageField->show();
    progress += 100 / (total / (kProgressTickMs / 1000.0));
    if (progress < 100 && !stopProgressBar)
        return;
    hideProgressBar();
}

void RVXFormatWindowController::hideProgressBar() {
    m_progressTimer.stop();
    m_ui->progressBar->hide();
    m_ui->progressMessageField->hide();
    stopProgressBar = true;
}
