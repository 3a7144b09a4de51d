// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/evidence/RVXEvidenceController.h"

#include "ui_RVXEvidenceController.h"

#include "core/evidence/RVXEvidencePack.h"
#include "core/support/RVXDeliver.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "platform/RVXEvidenceSheetWriter.h"
#include "widgets/RVXPageHelpers.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>

#include <cmath>

namespace {

const QString kFolderKey = QStringLiteral("EvidenceFolder");

QString defaultFolder() {
    const QString saved = QSettings().value(kFolderKey).toString();
    if (!saved.isEmpty() && QDir(saved).exists())
        return saved;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

RVXEvidenceController::RVXEvidenceController(QString cardFolder, std::vector<RVXTrip> trips,
                                             double moment, std::optional<RVXScanEvent> event,
                                             QObject* parent)
    : QObject(parent)
    , m_cardFolder(std::move(cardFolder))
    , m_trips(std::move(trips))
    , m_moment(moment)
    , m_event(std::move(event)) {}

RVXEvidenceController::~RVXEvidenceController() {
    // A pack still being written stops and leaves nothing; the worker holds its own data.
    if (m_cancel)
        m_cancel->store(true);
    delete m_window;
}

QWidget* RVXEvidenceController::window() {
    if (m_window)
        return m_window;
    m_window = new QWidget(nullptr, Qt::Dialog);
    m_ui = std::make_unique<Ui::RVXEvidenceController>();
    m_ui->setupUi(m_window);
    m_window->setWindowTitle(withoutMnemonic(RVXLocalizedString("action.export_evidence")));
    m_ui->momentLabel->setText(RVXLocalizedString("evidence.moment_fmt")
                                   .arg(RVXTrip::clockTimeOf(0)
                                            .addMSecs(std::llround(m_moment * 1000))
                                            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))));
    m_ui->beforeLabel->setText(RVXLocalizedString("evidence.before"));
    m_ui->afterLabel->setText(RVXLocalizedString("evidence.after"));
    m_ui->folderLabel->setText(RVXLocalizedString("evidence.folder"));
    m_ui->nameLabel->setText(RVXLocalizedString("evidence.name"));
    m_ui->chooseButton->setText(RVXLocalizedString("evidence.choose"));
    m_ui->openButton->setText(RVXLocalizedString("evidence.open_folder"));
    m_ui->cancelButton->setText(RVXLocalizedString("cancel"));
    m_ui->exportButton->setText(RVXLocalizedString("evidence.export"));
    m_ui->beforeField->setValue(int(RVXEvidencePlan::kDefaultBefore));
    m_ui->afterField->setValue(int(RVXEvidencePlan::kDefaultAfter));
    m_ui->folderField->setText(defaultFolder());
    m_ui->nameField->setText(RVXEvidencePack::proposedName(m_moment));
    m_ui->openButton->hide();
    m_ui->progressBar->setValue(0);
    connect(m_ui->chooseButton, &QPushButton::clicked, this, &RVXEvidenceController::chooseFolder);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &RVXEvidenceController::startExport);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, [this] {
        if (m_exporting)
            cancelExport();
        else
            m_window->close();
    });
    connect(m_ui->openButton, &QPushButton::clicked, this, [this] {
        openOrSayWhere(
            m_window, m_packFolder,
            RVXLocalizedString("msg.pack_saved_at_fmt").arg(QDir::toNativeSeparators(m_packFolder)),
            RVXLocalizedString("msg.no_desktop_opener"), openFolder);
    });
    m_window->adjustSize();
    return m_window;
}

void RVXEvidenceController::showWindow() {
    window();
    centerInScreen(m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

QString RVXEvidenceController::statusText() const {
    return m_ui ? m_ui->statusLabel->text() : QString();
}

void RVXEvidenceController::chooseFolder() {
    const QString folder =
        folderPanel
            ? folderPanel()
            : QFileDialog::getExistingDirectory(m_window, RVXLocalizedString("evidence.folder"),
                                                m_ui->folderField->text());
    if (!folder.isEmpty())
        m_ui->folderField->setText(folder);
}

void RVXEvidenceController::setExporting(bool on) {
    m_exporting = on;
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_ui->beforeField, m_ui->afterField, m_ui->folderField,
                                         m_ui->chooseButton, m_ui->nameField, m_ui->exportButton})
        w->setEnabled(!on);
    m_ui->cancelButton->setText(RVXLocalizedString(on ? "cancel" : "evidence.close"));
}

void RVXEvidenceController::startExport() {
    if (m_exporting)
        return;
    window();
    const std::optional<RVXEvidencePlan> plan = RVXEvidencePlan::make(
        m_trips, m_moment, m_ui->beforeField->value(), m_ui->afterField->value());
    if (!plan) {
        m_ui->statusLabel->setText(RVXLocalizedString("evidence.no_recording"));
        return;
    }
    const QString folder = m_ui->folderField->text().trimmed();
    const QString name = m_ui->nameField->text().trimmed();
    if (folder.isEmpty() || name.isEmpty() || name.contains(u'/')) {
        m_ui->statusLabel->setText(RVXLocalizedString("evidence.bad_target"));
        return;
    }
    RVXEvidenceRequest request{m_cardFolder, *plan, QDir(folder).filePath(name), {}, m_event};
    // Told at once, without a worker: these read nothing but the folder's details.
    if (const auto error = RVXEvidencePack::check(request)) {
        m_ui->statusLabel->setText(*error);
        return;
    }
    QSettings().setValue(kFolderKey, folder);
    m_packFolder.clear();
    m_ui->openButton->hide();
    m_ui->progressBar->setValue(0);
    m_ui->statusLabel->setText(RVXLocalizedString("evidence.writing"));
    setExporting(true);
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    QPointer<RVXEvidenceController> self(this);
    const auto deliver = [self](auto&& call) { RVXDeliver(self, call); };
    QThreadPool::globalInstance()->start([deliver, request, cancel = m_cancel] {
        RVXEvidenceSheetWriter sheet;
        int shown = -1;
        const std::optional<QString> error =
            RVXEvidencePack::make(request, sheet, nullptr, cancel.get(), [&](double f) {
                const int permille = int(f * 1000);
                if (permille == shown)
                    return;
                shown = permille;
                deliver([f](RVXEvidenceController* c) { c->progressed(f); });
            });
        deliver([error, folder = request.target](RVXEvidenceController* c) {
            c->finished(error, folder);
        });
    });
}

void RVXEvidenceController::cancelExport() {
    if (m_cancel)
        m_cancel->store(true);
    m_ui->statusLabel->setText(RVXLocalizedString("evidence.cancelling"));
}

void RVXEvidenceController::progressed(double fraction) {
    if (m_exporting)
        m_ui->progressBar->setValue(int(fraction * 1000));
}

void RVXEvidenceController::finished(std::optional<QString> error, QString folder) {
    const bool cancelled = m_cancel && m_cancel->load();
    setExporting(false);
    if (error) {
        m_ui->progressBar->setValue(0);
        m_ui->statusLabel->setText(cancelled
                                       ? RVXLocalizedString("evidence.cancelled")
                                       : RVXLocalizedString("evidence.failed_fmt").arg(*error));
        RVXLog(QStringLiteral("EVIDENCE failed: %1").arg(*error));
        Q_EMIT exportFinished(false);
        return;
    }
    m_packFolder = folder;
    m_ui->progressBar->setValue(1000);
    m_ui->statusLabel->setText(RVXLocalizedString("evidence.done_fmt").arg(folder));
    m_ui->openButton->show();
    RVXLog(QStringLiteral("EVIDENCE %1").arg(folder));
    Q_EMIT exportFinished(true);
}
