// SPDX-License-Identifier: GPL-3.0-or-later
// The library's long work from the window: a card's import, the check, the retention and
// the offer of a card just put in.
#include "core/cardtools/RVXDiskService.h"
#include "core/library/RVXLibrary.h"
#include "core/library/RVXLibraryCheck.h"
#include "core/library/RVXLibraryImport.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/library/RVXLibraryController.h"
#include "gui/library/RVXLibraryImportPanel.h"
#include "gui/library/RVXLibraryJob.h"
#include "gui/library/RVXLibraryRetentionDialog.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/trips/RVXTripController.h"
#include "widgets/RVXPageHelpers.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
// A menu item's words as a window's title: no mnemonic, no ellipsis.
QString plainTitle(const char* key) {
    return RVXLocalizedString(key).remove(u'&').remove(u'\u2026');
}

// What the import did, in a sentence or two.
QString importSummary(const RVXLibraryImport::Result& r) {
    QString text = RVXLocalizedString("library.imported_fmt")
                       .arg(r.record.added)
                       .arg(r.record.skipped)
                       .arg(RVXLibraryImport::sizeText(r.record.bytes));
    if (!r.beside.isEmpty())
        text += u' ' + RVXLocalizedString("library.beside_fmt").arg(r.beside.size());
    if (!r.failedFiles.isEmpty())
        text += u' ' + RVXLocalizedString("library.failed_fmt").arg(r.failedFiles.join(u", "));
    if (r.cancelled)
        text = RVXLocalizedString("library.import_cancelled") + u' ' + text;
    if (r.error && !r.cancelled)
        text = *r.error + u'\n' + text;
    return text;
}
} // namespace

void RVXLibraryController::addMenu(QMenu* fileMenu) {
    QAction* import = new QAction(RVXLocalizedString("action.import_card"), fileMenu);
    import->setObjectName(QStringLiteral("action.import_card"));
    import->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    fileMenu->insertAction(fileMenu->actions().value(1), import);
    connect(import, &QAction::triggered, this, &RVXLibraryController::importCardDialog);
    d->window->addAction(import);

    QMenu* menu = d->window->menuBar()->addMenu(RVXLocalizedString("menu.library"));
    const auto add = [&](const char* key, QKeySequence keys, void (RVXLibraryController::*slot)()) {
        QAction* a = menu->addAction(RVXLocalizedString(key));
        a->setObjectName(QLatin1String(key));
        a->setShortcut(keys);
        d->window->addAction(a);
        connect(a, &QAction::triggered, this, slot);
    };
    add("action.open_library", QKeySequence(Qt::CTRL | Qt::Key_L),
        &RVXLibraryController::openLibrary);
    add("action.keep_playing", {}, &RVXLibraryController::keepWhatPlays);
    menu->addSeparator();
    add("action.check_library", {}, &RVXLibraryController::checkLibrary);
    add("action.retention", {}, &RVXLibraryController::showRetention);
    menu->addSeparator();
    add("action.library_folder", {}, &RVXLibraryController::chooseFolder);
}

void RVXLibraryController::openLibrary() {
    if (!RVXLibrary(folder()).exists()) {
        showAlert(
            d->window, plainTitle("action.open_library"),
            RVXLocalizedString("library.none_yet_fmt").arg(QDir::toNativeSeparators(folder())));
        return;
    }
    d->openMediaDirectory(folder());
}

// The drive playing, or the recording shown with its pair's other side, kept whatever the
// retention says.
void RVXLibraryController::keepWhatPlays() {
    const VLCMediaRef shown = d->player1->media();
    if (!isOpenInWindow() || !shown) {
        showAlert(d->window, plainTitle("action.keep_playing"),
                  RVXLocalizedString("library.keep_nothing"));
        return;
    }
    std::optional<int64_t> tripStart;
    if (const std::optional<size_t> trip = d->tripController()->playingTrip())
        tripStart = d->tripController()->trips()[*trip].start();
    const QString where = folder();
    const QString relative = QDir(where).relativeFilePath(shown->path());
    RVXLibraryJob<QString>(
        this,
        [where, relative, tripStart]() -> QString {
            RVXLibrary library(where);
            if (std::optional<QString> error = library.open(false))
                return *error;
            if (tripStart) {
                for (const RVXLibraryTrip& t : library.index().trips({})) {
                    if (std::llabs(t.start - *tripStart) <= 2) {
                        const std::optional<QString> error = library.protectTrip(t.id);
                        return error ? *error
                                     : RVXLocalizedString("library.kept_drive_fmt")
                                           .arg(t.units.size());
                    }
                }
            }
            const std::optional<RVXLibraryRecording> r = library.index().recordingAt(relative);
            if (!r)
                return RVXLocalizedString("library.keep_nothing");
            std::vector<int64_t> ids{r->id};
            for (const auto& [front, rear] : library.index().pairs()) {
                if (front == r->id)
                    ids.push_back(rear);
                else if (rear == r->id)
                    ids.push_back(front);
            }
            const std::optional<QString> error = library.protectRecordings(ids);
            return error ? *error
                         : RVXLocalizedString("library.kept_recordings_fmt").arg(ids.size());
        },
        [this](QString text) {
            showSuccess(d->window, plainTitle("action.keep_playing"), text);
            Q_EMIT kept(text);
        });
}

void RVXLibraryController::chooseFolder() {
    const QString chosen = QFileDialog::getExistingDirectory(
        d->window, plainTitle("action.library_folder"), folder(), QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        setFolder(chosen);
}

void RVXLibraryController::importCardDialog() {
    const std::optional<QString> open = d->mediaList()->directoryPath();
    const QString start = open && !isOpenInWindow() ? *open : QString();
    const QString card = QFileDialog::getExistingDirectory(
        d->window, plainTitle("action.import_card"), start,
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!card.isEmpty())
        chooseAndImport(card);
}

void RVXLibraryController::chooseAndImport(const QString& card) {
    using Choice = RVXLibraryImportRecord::Choice;
    auto* box = new QMessageBox(
        QMessageBox::Question, plainTitle("action.import_card"),
        RVXLocalizedString("library.choice_fmt").arg(QDir::toNativeSeparators(card)),
        QMessageBox::Cancel, d->window);
    box->setObjectName(QStringLiteral("importChoice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    const std::pair<const char*, Choice> choices[] = {
        {"library.choice_everything", Choice::Everything},
        {"library.choice_events", Choice::EventsOnly},
        {"library.choice_since_last", Choice::SinceLast}};
    for (const auto& [key, choice] : choices) {
        QPushButton* button = box->addButton(RVXLocalizedString(key), QMessageBox::AcceptRole);
        button->setObjectName(QLatin1String(key));
        if (choice == Choice::Everything)
            box->setDefaultButton(button);
        connect(button, &QPushButton::clicked, this,
                [this, card, choice = choice] { importCard(card, choice); });
    }
    box->open();
}

void RVXLibraryController::importCard(const QString& card, RVXLibraryImportRecord::Choice choice) {
    if (!m_importPanel)
        m_importPanel = new RVXLibraryImportPanel(d->window);
    if (m_importPanel->isBusy()) {
        m_importPanel->show();
        m_importPanel->raise();
        return;
    }
    m_cardBar->hide();
    const QString where = folder();
    const std::shared_ptr<std::atomic<bool>> cancel = m_importPanel->start(
        RVXLocalizedString("library.importing_fmt").arg(QDir::toNativeSeparators(card)),
        RVXLocalizedString("library.looking"));
    m_cancel = cancel;
    const RVXLibraryImport::Progress progress = m_importPanel->progressFromWorker();
    RVXLibraryJob<RVXLibraryImport::Result>(
        this,
        [where, card, choice, cancel, progress] {
            RVXLibrary library(where);
            if (std::optional<QString> error = library.open(true)) {
                RVXLibraryImport::Result failed;
                failed.error = *error;
                return failed;
            }
            return RVXLibraryImport::run(library, card, choice, progress, cancel.get());
        },
        [this, card](RVXLibraryImport::Result result) {
            const bool ok = !result.error && !result.cancelled;
            reportImport(card, importSummary(result), ok);
        });
}

void RVXLibraryController::reportImport(const QString& card, const QString& text, bool ok) {
    Q_UNUSED(card);
    m_importPanel->finish(text);
    // The window shows the library as it is now.
    if (isOpenInWindow())
        d->openMediaDirectory(folder());
    Q_EMIT importFinished(ok);
}

void RVXLibraryController::checkLibrary() {
    if (!m_importPanel)
        m_importPanel = new RVXLibraryImportPanel(d->window);
    if (m_importPanel->isBusy())
        return;
    const QString where = folder();
    const std::shared_ptr<std::atomic<bool>> cancel = m_importPanel->start(
        plainTitle("action.check_library"), RVXLocalizedString("library.looking"));
    m_cancel = cancel;
    const RVXLibraryImport::Progress progress = m_importPanel->progressFromWorker();
    using Checked = std::variant<RVXLibraryCheck::Result, QString>;
    RVXLibraryJob<Checked>(
        this,
        [where, cancel, progress]() -> Checked {
            RVXLibrary library(where);
            if (std::optional<QString> error = library.open(false))
                return *error;
            return RVXLibraryCheck::run(library, progress, cancel.get());
        },
        [this](Checked checked) {
            if (const QString* error = std::get_if<QString>(&checked)) {
                m_importPanel->finish(*error);
                return;
            }
            const RVXLibraryCheck::Result& r = std::get<RVXLibraryCheck::Result>(checked);
            QString text = r.clean() ? RVXLocalizedString("library.check_clean_fmt").arg(r.checked)
                                     : RVXLocalizedString("library.check_faults_fmt")
                                           .arg(r.checked)
                                           .arg(r.missing.size())
                                           .arg(r.changed.size())
                                           .arg(r.unindexed.size());
            for (const QString& f : r.missing)
                text += u'\n' + RVXLocalizedString("library.missing_fmt").arg(f);
            for (const QString& f : r.changed)
                text += u'\n' + RVXLocalizedString("library.changed_fmt").arg(f);
            for (const QString& f : r.unindexed)
                text += u'\n' + RVXLocalizedString("library.unindexed_fmt").arg(f);
            if (r.cancelled)
                text = RVXLocalizedString("library.check_cancelled");
            m_importPanel->finish(text);
        });
}

void RVXLibraryController::showRetention() {
    auto* dialog = new RVXLibraryRetentionDialog(folder(), d->window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &RVXLibraryRetentionDialog::deleted, this, [this] {
        if (isOpenInWindow())
            d->openMediaDirectory(folder());
    });
    dialog->show();
}

QWidget* RVXLibraryController::makeCardBar() {
    m_cardBar = new QWidget();
    m_cardBar->setObjectName(QStringLiteral("libraryCardBar"));
    m_cardBar->setAttribute(Qt::WA_StyledBackground);
    m_cardBar->setStyleSheet(QStringLiteral(
        "#libraryCardBar { background: #bcd9f2; } #libraryCardBar QLabel { color: #1d1d1f; } "
        "#libraryCardBar QPushButton { color: #1d1d1f; background: #eef6fd; "
        "border: 1px solid #4f7fa8; border-radius: 3px; padding: 2px 10px; }"));
    auto* layout = new QHBoxLayout(m_cardBar);
    layout->setContentsMargins(12, 4, 8, 4);
    m_cardText = new QLabel();
    m_cardText->setObjectName(QStringLiteral("libraryCardText"));
    m_cardText->setWordWrap(true);
    layout->addWidget(m_cardText, 1);
    auto* import = new QPushButton(RVXLocalizedString("library.import_button"));
    import->setObjectName(QStringLiteral("libraryCardImport"));
    auto* later = new QPushButton(RVXLocalizedString("clock.dismiss"));
    later->setObjectName(QStringLiteral("libraryCardDismiss"));
    for (QPushButton* b : {import, later}) {
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(import, &QPushButton::clicked, this, [this] { chooseAndImport(m_offeredCard); });
    connect(later, &QPushButton::clicked, m_cardBar, &QWidget::hide);
    m_cardBar->hide();
    RVXDiskService::current().watchChanges(this, [this] { cardsChanged(); });
    QMetaObject::invokeMethod(
        this, [this] { cardsChanged(); }, Qt::QueuedConnection);
    return m_cardBar;
}

// A card put in once is offered once; the mounted volumes are asked on a worker, as the
// disk service may take a moment to answer.
void RVXLibraryController::cardsChanged() {
    using Volumes = QList<RVXMountedVolume>;
    RVXLibraryJob<Volumes>(
        this, [] { return RVXDiskService::current().mountedVolumes(); },
        [this](Volumes volumes) {
            QStringList present;
            for (const RVXMountedVolume& v : volumes) {
                if (!v.removable || v.mountPath.isEmpty())
                    continue;
                present << v.mountPath;
                if (!m_cardsSeen.contains(v.mountPath))
                    offerCard(v.mountPath, v.volumeName);
            }
            m_cardsSeen = present;
            if (!m_offeredCard.isEmpty() && !present.contains(m_offeredCard))
                m_cardBar->hide();
        });
}

// Counted against the library as it is; without one yet, against an empty one in a
// temporary folder, so that putting a card in never makes the library's folder.
void RVXLibraryController::offerCard(const QString& mountPath, const QString& label) {
    const QString where = folder();
    using Planned = std::variant<RVXLibraryImport::Plan, QString>;
    RVXLibraryJob<Planned>(
        this,
        [where, mountPath]() -> Planned {
            QTemporaryDir scratch;
            const bool exists = RVXLibrary(where).exists();
            RVXLibrary library(exists ? where : scratch.path());
            if (std::optional<QString> error = library.open(!exists))
                return *error;
            return RVXLibraryImport::plan(library, mountPath, RVXLibraryImport::Choice::Everything);
        },
        [this, mountPath, label](Planned planned) {
            const auto* plan = std::get_if<RVXLibraryImport::Plan>(&planned);
            if (!plan || plan->count == 0)
                return;
            m_offeredCard = mountPath;
            const QString text = RVXLocalizedString("library.card_offer_fmt")
                                     .arg(label.isEmpty() ? QFileInfo(mountPath).fileName() : label)
                                     .arg(plan->count)
                                     .arg(RVXLibraryImport::sizeText(plan->needBytes));
            m_cardText->setText(text);
            m_cardBar->show();
            Q_EMIT cardOffered(text);
        });
}
