// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/repair/RVXRepairController.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/media/RVXRecordingRepair.h"
#include "core/support/RVXDeliver.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXMediaListTableModel.h"
#include "gui/player/RVXScrollableVideoContainerView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QThreadPool>

namespace {
// Whether the walk of folder finds path: anywhere below it, links resolved.
bool isUnder(const QString& path, const QString& folder) {
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || file.isEmpty())
        return false;
    const QString relative = QDir(root).relativeFilePath(file);
    return !relative.startsWith(QLatin1String("../")) && QDir::isRelativePath(relative);
}
} // namespace

RVXRepairController::RVXRepairController(RVXAppDelegate* delegate)
    : QObject(delegate)
    , d(delegate) {}

RVXRepairController::~RVXRepairController() {
    if (m_cancel)
        m_cancel->store(true);
}

void RVXRepairController::listReloaded() {
    const uint64_t generation = ++m_generation;
    m_cut.clear();
    d->m_tableModel->setCutPaths({});
    QStringList paths;
    const RVXMediaList* list = d->mediaList();
    for (qsizetype i = 0; i < list->count(); ++i)
        paths << list->mediaAtIndex(i)->path();
    // A few headers a file: quick, but file reads all the same, so not on the UI thread.
    QThreadPool::globalInstance()->start([self = QPointer(this), generation, paths] {
        QSet<QString> cut;
        for (const QString& p : paths) {
            if (RVXRecordingDiagnosis::diagnose(p).state == RVXRecordingDiagnosis::State::CutShort)
                cut.insert(p);
        }
        RVXDeliver(self,
                   [generation, cut](RVXRepairController* c) { c->diagnosed(generation, cut); });
    });
}

void RVXRepairController::diagnosed(uint64_t generation, QSet<QString> cut) {
    if (generation != m_generation)
        return;
    m_cut = std::move(cut);
    d->m_tableModel->setCutPaths(m_cut);
    for (const QString& p : m_cut)
        RVXLog(QStringLiteral("CUT_SHORT %1").arg(p));
    if (!m_cut.isEmpty())
        Q_EMIT cutShortFound();
}

void RVXRepairController::offerRepair(RVXScrollableVideoContainerView* view, const QString& path) {
    if (!isCutShort(path))
        return;
    view->setMessage(RVXLocalizedString("repair.cannot_play_fmt").arg(QFileInfo(path).fileName()));
    view->setMessageAction(RVXLocalizedString("repair.offer"), [this, path] { repairCopy(path); });
}

QString RVXRepairController::askWhere(const QString& broken) {
    QString proposed = RVXRecordingRepair::proposedPath(broken);
    // A card that cannot be written (locked, or mounted read-only): the copy goes elsewhere.
    if (!QFileInfo(QFileInfo(broken).absolutePath()).isWritable()) {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        proposed = QDir(QDir(documents).exists() ? documents : QDir::homePath())
                       .filePath(QFileInfo(proposed).fileName());
    }
    if (savePanel)
        return savePanel(proposed);
    return QFileDialog::getSaveFileName(d->window, RVXLocalizedString("repair.offer"), proposed,
                                        QStringLiteral("MP4 (*.MP4 *.mp4)"));
}

void RVXRepairController::repairCopy(const QString& broken) {
    if (m_cancel)
        return;
    const QString copy = askWhere(broken);
    if (copy.isEmpty())
        return;
    const QString reference = RVXRecordingRepair::findReference(broken);
    if (reference.isEmpty()) {
        finished(copy, RVXLocalizedString("repair.no_reference"), {});
        return;
    }
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_progress = new QProgressDialog(
        RVXLocalizedString("repair.progress_fmt").arg(QFileInfo(broken).fileName()),
        RVXLocalizedString("cancel"), 0, 1000, d->window);
    m_progress->setObjectName(QStringLiteral("repairProgress"));
    m_progress->setWindowModality(Qt::NonModal);
    m_progress->setMinimumDuration(300);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    connect(m_progress, &QProgressDialog::canceled, this,
            [cancel = m_cancel] { cancel->store(true); });
    QThreadPool::globalInstance()->start(
        [self = QPointer(this), broken, reference, copy, cancel = m_cancel] {
            RVXRecordingRepair::Result result;
            const auto error = RVXRecordingRepair::repair(
                broken, reference, copy, &result, cancel.get(), [self](double f) {
                    RVXDeliver(self, [f](RVXRepairController* c) {
                        if (c->m_progress)
                            c->m_progress->setValue(int(f * 1000));
                    });
                });
            RVXDeliver(self, [copy, error, result](RVXRepairController* c) {
                c->finished(copy, error, result);
            });
        });
}

void RVXRepairController::finished(const QString& copy, std::optional<QString> error,
                                   const RVXRecordingRepair::Result& result) {
    const bool cancelled = m_cancel && m_cancel->load();
    m_cancel.reset();
    if (m_progress)
        m_progress->deleteLater();
    if (error) {
        RVXLog(QStringLiteral("REPAIR failed: %1").arg(*error));
        if (!cancelled) {
            const QString text = RVXLocalizedString("repair.failed_fmt").arg(*error);
            if (tellFailure)
                tellFailure(text);
            else
                QMessageBox::warning(d->window, RVXLocalizedString("repair.offer"), text);
        }
        Q_EMIT repairFinished(copy, false);
        return;
    }
    RVXLog(QStringLiteral("REPAIR %1 stopped at %2: %3")
               .arg(copy)
               .arg(result.stoppedAt)
               .arg(result.stoppedBecause));
    tellDone(copy, result);
    // The copy joins the list (the folder open read again, the copy chosen) and plays.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(d, &RVXAppDelegate::mediaListReloaded, this, [this, copy, connection] {
        disconnect(*connection);
        const RVXMediaList* list = d->mediaList();
        for (qsizetype i = 0; i < list->count(); ++i) {
            if (QFileInfo(list->mediaAtIndex(i)->path()) == QFileInfo(copy)) {
                d->playAtIndex(i);
                break;
            }
        }
        Q_EMIT repairFinished(copy, true);
    });
    // A copy saved outside the open folder (the card could not be written) is listed
    // only where it is.
    const QString open = d->mediaList()->directoryPath().value_or(QString());
    if (isUnder(copy, open))
        d->openMediaDirectory(open, copy);
    else
        d->openMediaDirectory(copy);
}

void RVXRepairController::tellDone(const QString& copy, const RVXRecordingRepair::Result& result) {
    // How much came back and why no more did: a partial chunk is what the camera was
    // writing when the power went, unrecognised bytes say the rest is not the camera's.
    QString stop = result.stoppedBecause;
    if (result.bytesLeft > 0)
        stop = RVXLocalizedString("repair.left_out_fmt").arg(stop).arg(result.bytesLeft);
    const QString text =
        RVXLocalizedString("repair.done_fmt")
            .arg(QFileInfo(copy).fileName(), QString::number(result.videoSeconds, 'f', 2))
            .arg(result.videoFrames)
            .arg(stop);
    // Beside the window, which goes on to play the copy.
    auto* box = new QMessageBox(QMessageBox::Information, RVXLocalizedString("repair.offer"), text,
                                QMessageBox::Ok, d->window);
    box->setObjectName(QStringLiteral("repairDone"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
