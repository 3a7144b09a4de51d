// SPDX-License-Identifier: GPL-3.0-or-later
// The folder shown: opening one, its list arriving, and what is left of the one before.
#include "gui/player/RVXAppDelegate.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/playback/RVXPlayInfo.h"
#include "core/playback/RVXTelemetryReadout.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXMediaListTableModel.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/repair/RVXRepairController.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/trips/RVXTripController.h"
#include "widgets/RVXPageHelpers.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

void RVXAppDelegate::openMediaDirectoryDialog() {
    const QString path = QFileDialog::getExistingDirectory(
        window, withoutMnemonic(RVXLocalizedString("action.open")), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (path.isEmpty())
        return;
    openMediaDirectory(path);
}

void RVXAppDelegate::openMediaDirectory(const QString& path, const QString& selection) {
    // A recording dropped or named stands for the folder that holds it.
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    // ... and is selected once the list is there, ready to play.
    m_pendingSelection = !selection.isEmpty() ? QFileInfo(selection).absoluteFilePath()
                         : info.isDir()       ? QString()
                                              : info.absoluteFilePath();
    stopPlay();
    clearPlayback();
    window->setWindowTitle(QStringLiteral("RUVEX Viewer - %1").arg(folder));
    m_mediaList->setDirectoryPath(folder);
}

void RVXAppDelegate::mediaListChanged(RVXMediaList*) {
    // Called on the walking thread. The list's content is published whole and never
    // changed, so the reload may run a moment later on the UI thread; waiting for it
    // here could deadlock a UI thread that is waiting for the walk.
    QMetaObject::invokeMethod(this, &RVXAppDelegate::reloadMediaList, Qt::QueuedConnection);
}

void RVXAppDelegate::reloadMediaList() {
    m_rightViewMode = 0;
    updateSideViewButton();
    m_tableModel->reload();
    // The row numbers of the old list mean nothing in the new one.
    m_mediaIndex = -1;
    m_trips->listReloaded();
    m_events->listReloaded();
    m_repairs->listReloaded();
    showEmptyListNote();
    selectPendingRecording();
    Q_EMIT mediaListReloaded();
}

void RVXAppDelegate::selectPendingRecording() {
    const QString wanted = std::exchange(m_pendingSelection, QString());
    if (wanted.isEmpty())
        return;
    const QString canonical = QFileInfo(wanted).canonicalFilePath();
    for (qsizetype i = 0; i < m_mediaList->count(); ++i) {
        const RVXMediaRef media = m_mediaList->mediaAtIndex(i);
        if (media && QFileInfo(media->path()).canonicalFilePath() == canonical) {
            const QModelIndex row = m_tableModel->index(int(i), 0);
            mediaListTableView->selectionModel()->setCurrentIndex(
                row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            mediaListTableView->scrollTo(row);
            return;
        }
    }
}

// Nothing of the recording played before stays on screen once another folder opens:
// not its pictures, its curve, its read-out nor its track.
void RVXAppDelegate::clearPlayback() {
    m_blackBoxData->clear();
    graphView->setGraphData(m_blackBoxData->m_GSensors);
    graphView->updateTimePosition(0);
    m_playInfo->setPosition(0);
    m_playInfo->setScale(0);
    setPositionSliders(0);
    timeField->setText(QStringLiteral("00:00 / 00:00"));
    clearReadout();
    evaluateMapScript(RVXTelemetryReadout::trackScript(std::vector<std::pair<double, double>>{}));
    videoContainerView->setMessage({});
    subVideoContainerView->setMessage({});
    updateVideoViewsVisibility();
}

// An empty list says why it is empty, in the list itself.
void RVXAppDelegate::showEmptyListNote() {
    if (!m_emptyListNote) {
        m_emptyListNote = new QLabel(mediaListTableView->viewport());
        m_emptyListNote->setObjectName(QStringLiteral("emptyListNote"));
        m_emptyListNote->setAlignment(Qt::AlignCenter);
        m_emptyListNote->setWordWrap(true);
        // Dark on the list's white, as its rows are: the window's own text is light.
        m_emptyListNote->setStyleSheet(QStringLiteral("color: #3c3c3c;"));
        auto* layout = new QVBoxLayout(mediaListTableView->viewport());
        layout->addWidget(m_emptyListNote);
    }
    const QString folder =
        QDir::toNativeSeparators(m_mediaList->directoryPath().value_or(QString()));
    m_emptyListNote->setText(RVXLocalizedString("list.no_recordings_fmt").arg(folder));
    m_emptyListNote->setVisible(m_mediaList->count() == 0 && !folder.isEmpty());
}
