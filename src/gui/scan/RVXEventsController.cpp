// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/scan/RVXEventsController.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXMediaPair.h"
#include "core/settings/RVXSettingPages.h"
#include "core/support/RVXDeliver.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXMediaListTableModel.h"
#include "gui/trips/RVXTripController.h"
#include "widgets/PMProgressIndicator.h"
#include "widgets/RVXPageHelpers.h"
#include "widgets/TKSliderMarks.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QThreadPool>
#include <QToolButton>

#include <algorithm>

namespace {
constexpr int kRowRole = Qt::UserRole + 1;
const QColor kImpactColour(0xff, 0x4a, 0x3a);
} // namespace

RVXEventsController::RVXEventsController(RVXAppDelegate* delegate)
    : QObject(delegate)
    , d(delegate) {}

RVXEventsController::~RVXEventsController() {
    die();
}

void RVXEventsController::makeViews(QBoxLayout* buttonLayout, QBoxLayout* listLayout) {
    m_button = new QToolButton();
    m_button->setObjectName(QStringLiteral("eventsButtonImageView"));
    m_button->setToolTip(withoutMnemonic(RVXLocalizedString("action.show_events")));
    m_button->setAutoRaise(true);
    m_button->setIconSize(QSize(40, 28));
    m_button->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; }"));
    m_button->setFocusPolicy(Qt::NoFocus);
    // After the list's and the map's buttons, before the stretch.
    buttonLayout->insertWidget(2, m_button);
    connect(m_button, &QAbstractButton::clicked, d, &RVXAppDelegate::clickEventsViewButton);

    m_progress = new PMProgressIndicator();
    m_progress->setObjectName(QStringLiteral("scanProgress"));
    m_progress->setRange(0, 100);
    m_progress->setFixedSize(64, 8);
    m_progress->setDrawDockProgress(false);
    m_progress->hide();
    buttonLayout->insertWidget(3, m_progress, 0, Qt::AlignVCenter);

    m_viewBox = new QWidget();
    m_viewBox->setObjectName(QStringLiteral("eventsView"));
    auto* layout = new QVBoxLayout(m_viewBox);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    m_view = new QTableView();
    m_view->setObjectName(QStringLiteral("eventsTableView"));
    m_model = new QStandardItemModel(this);
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setAlternatingRowColors(true);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(22);
    m_view->horizontalHeader()->setHighlightSections(false);
    m_view->horizontalHeader()->setStretchLastSection(false);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->viewport()->installEventFilter(this);
    layout->addWidget(m_view, 1);
    m_status = new QLabel();
    m_status->setObjectName(QStringLiteral("eventsStatus"));
    m_status->setWordWrap(true);
    m_status->setContentsMargins(6, 0, 6, 4);
    layout->addWidget(m_status);
    m_exportButton = new QPushButton(RVXLocalizedString("events.export"));
    m_exportButton->setObjectName(QStringLiteral("eventsExportButton"));
    m_exportButton->setToolTip(withoutMnemonic(RVXLocalizedString("action.export_evidence")));
    m_exportButton->setFocusPolicy(Qt::NoFocus);
    m_exportButton->setEnabled(false);
    layout->addWidget(m_exportButton, 0, Qt::AlignRight);
    connect(m_exportButton, &QPushButton::clicked, this, [this] {
        const int index = m_view->currentIndex().siblingAtColumn(0).data(kRowRole).toInt();
        if (!m_view->currentIndex().isValid() || size_t(index) >= m_eventTable.rows().size())
            return;
        const RVXEventRow& row = m_eventTable.rows()[size_t(index)];
        // The row's own event; a quiet event recording's row has none.
        const std::vector<RVXScanEvent>& events = m_eventTable.events();
        const auto event = std::find_if(events.begin(), events.end(), [&](const RVXScanEvent& e) {
            return row.kind && e.kind == *row.kind && e.media == row.media &&
                   e.moment == row.moment;
        });
        d->exportEvidenceAt(row.moment,
                            event == events.end() ? std::nullopt : std::optional(*event));
    });
    // A row chosen offers its pack.
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, m_exportButton,
            [this](const QModelIndex& current) { m_exportButton->setEnabled(current.isValid()); });
    m_viewBox->hide();
    listLayout->addWidget(m_viewBox);
    // Double-click or Enter.
    connect(m_view, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        playRow(index.siblingAtColumn(0).data(kRowRole).toInt());
    });
    fillModel();
}

QWidget* RVXEventsController::makeClockBar() {
    m_clockBar = new QWidget();
    m_clockBar->setObjectName(QStringLiteral("clockBar"));
    m_clockBar->setAttribute(Qt::WA_StyledBackground);
    m_clockBar->setStyleSheet(QStringLiteral(
        "#clockBar { background: #f3d27a; } #clockBar QLabel { color: #1d1d1f; } "
        "#clockBar QPushButton { color: #1d1d1f; background: #fff6dc; border: 1px solid #a07c20; "
        "border-radius: 3px; padding: 2px 10px; }"));
    auto* layout = new QHBoxLayout(m_clockBar);
    layout->setContentsMargins(12, 4, 8, 4);
    m_clockText = new QLabel();
    m_clockText->setObjectName(QStringLiteral("clockBarText"));
    m_clockText->setWordWrap(true);
    layout->addWidget(m_clockText, 1);
    auto* set = new QPushButton(RVXLocalizedString("clock.set_clock"));
    set->setObjectName(QStringLiteral("setClockButton"));
    m_settingsButton = new QPushButton(RVXLocalizedString("clock.open_settings"));
    m_settingsButton->setObjectName(QStringLiteral("clockSettingsButton"));
    auto* hide = new QPushButton(RVXLocalizedString("clock.dismiss"));
    hide->setObjectName(QStringLiteral("hideClockBarButton"));
    for (QPushButton* b : {set, m_settingsButton, hide}) {
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(set, &QPushButton::clicked, d, &RVXAppDelegate::showTimeSetupPanel);
    // The zone and summer time are on the GPS page.
    connect(m_settingsButton, &QPushButton::clicked, d, [this] {
        d->showSettingPanelAt(int(RVXSettingPageNames().indexOf(QStringLiteral("gps"))));
    });
    connect(hide, &QPushButton::clicked, this, [this] {
        m_clockBarDismissed = true;
        m_clockBar->hide();
    });
    m_clockBar->hide();
    return m_clockBar;
}

void RVXEventsController::attachToSliders() {
    m_marks = new TKSliderMarks(d->videoPositionSlider);
    m_fullScreenMarks = new TKSliderMarks(d->videoPositionSliderForFullScreen);
}

void RVXEventsController::listReloaded() {
    if (m_cancel)
        m_cancel->store(true);
    ++m_generation;
    m_scanning = false;
    m_units.clear();
    m_result.reset();
    m_clockBarDismissed = false;
    m_eventTable = RVXEventTable();
    m_progress->hide();
    m_progress->setDrawDockProgress(false);
    if (m_clockBar)
        m_clockBar->hide();
    d->evaluateMapScript(m_eventTable.mapScript());
    fillModel();
    showImpactMarks();
}

void RVXEventsController::tripsChanged() {
    if (m_cancel)
        m_cancel->store(true);
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const uint64_t generation = ++m_generation;
    m_units.clear();
    for (const RVXTrip& trip : d->tripController()->trips())
        m_units.insert(m_units.end(), trip.units().begin(), trip.units().end());
    m_scanning = true;
    m_result.reset();
    m_progress->setDoubleValue(0);
    m_progress->show();
    m_progress->setDrawDockProgress(true);
    setStatus(RVXLocalizedString("events.scanning_fmt").arg(0).arg(m_units.size()));
    QPointer<RVXEventsController> self(this);
    const auto deliver = [self](auto&& call) { RVXDeliver(self, call); };
    QThreadPool::globalInstance()->start(
        [deliver, generation, cancel = m_cancel, units = m_units, folder = d->openFolder()] {
            const RVXScanSettings settings = RVXScanSettings::forFolder(folder);
            int shown = -1;
            std::optional<RVXCardScan::Result> result =
                RVXCardScan::scan(units, settings, cancel.get(), [&](int done, int total) {
                    // A hundred reports at most, not one a recording.
                    const int percent = total > 0 ? done * 100 / total : 100;
                    if (percent == shown)
                        return;
                    shown = percent;
                    deliver([generation, done, total](RVXEventsController* c) {
                        c->scanProgressed(generation, done, total);
                    });
                });
            if (!result)
                return;
            auto shared = std::make_shared<RVXCardScan::Result>(std::move(*result));
            deliver([generation, shared](RVXEventsController* c) {
                c->scanDone(generation, std::move(*shared));
            });
        });
}

void RVXEventsController::scanProgressed(uint64_t generation, int done, int total) {
    if (generation != m_generation || !m_scanning)
        return;
    m_progress->setDoubleValue(total > 0 ? 100.0 * done / total : 100);
    setStatus(RVXLocalizedString("events.scanning_fmt").arg(done).arg(total));
}

void RVXEventsController::scanDone(uint64_t generation, RVXCardScan::Result result) {
    if (generation != m_generation)
        return;
    m_scanning = false;
    m_progress->setDrawDockProgress(false);
    m_progress->hide();
    RVXLog(QStringLiteral("SCAN units=%1 skipped=%2 events=%3 clock=%4")
               .arg(result.units)
               .arg(result.skipped)
               .arg(result.events.size())
               .arg(QLatin1String(RVXClockCheck::stateName(result.clock.state))));
    m_eventTable = RVXEventTable(result, m_units);
    m_result = std::move(result);
    fillModel();
    d->evaluateMapScript(m_eventTable.mapScript());
    showImpactMarks();
    updateClockBar();
    Q_EMIT scanFinished();
}

// The time, kind, peak and speed in full; the place beside them when it fits whole (a
// cut-off "48.2…" says nothing), else in each row's tooltip and on the map page.
void RVXEventsController::fitColumns() {
    constexpr int kPlace = 4;
    if (m_model->columnCount() <= kPlace)
        return;
    int used = 0;
    for (int c = 0; c < kPlace; ++c) {
        m_view->resizeColumnToContents(c);
        used += m_view->columnWidth(c);
    }
    int placeNeeds = 0;
    for (int r = 0; r < m_model->rowCount(); ++r)
        placeNeeds = std::max(placeNeeds, m_view->fontMetrics().horizontalAdvance(
                                              m_model->index(r, kPlace).data().toString()));
    // The cell's margins on both sides.
    placeNeeds += 2 * (m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 4;
    const int left = m_view->viewport()->width() - used;
    m_view->setColumnHidden(kPlace, left < placeNeeds);
    m_view->setColumnWidth(kPlace, std::max(left, placeNeeds));
}

bool RVXEventsController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QObject::eventFilter(watched, event);
}

void RVXEventsController::fillModel() {
    m_model->clear();
    m_model->setHorizontalHeaderLabels(
        {RVXLocalizedString("events.time"), RVXLocalizedString("events.kind"),
         RVXLocalizedString("events.peak"), RVXLocalizedString("events.speed"),
         RVXLocalizedString("events.place")});
    const std::vector<RVXEventRow>& rows = m_eventTable.rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const RVXEventRow& r = rows[i];
        QList<QStandardItem*> items{new QStandardItem(r.timeText), new QStandardItem(r.kindText),
                                    new QStandardItem(r.peakText), new QStandardItem(r.speedText),
                                    new QStandardItem(r.placeText)};
        items[0]->setData(int(i), kRowRole);
        QString tip = r.fullTimeText + u'\n' + (r.media ? r.media->fileName() : QString());
        if (!r.placeText.isEmpty())
            tip += u'\n' + r.placeText;
        for (QStandardItem* item : items)
            item->setToolTip(tip);
        if (r.kind == RVXScanEvent::Kind::Impact)
            items[1]->setForeground(kImpactColour);
        m_model->appendRow(items);
    }
    fitColumns();
    // The model's reset leaves no row chosen.
    m_exportButton->setEnabled(false);
    if (m_scanning)
        return;
    if (!m_result) {
        setStatus(QString());
        return;
    }
    QString status = rows.empty() ? RVXLocalizedString("events.none")
                                  : RVXLocalizedString("events.summary_fmt")
                                            .arg(m_result->events.size())
                                            .arg(m_result->units) +
                                        u' ' + RVXLocalizedString("events.hint");
    if (m_result->skipped > 0)
        status += u' ' + RVXLocalizedString("events.skipped_fmt").arg(m_result->skipped);
    setStatus(status);
}

void RVXEventsController::setStatus(const QString& text) {
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void RVXEventsController::updateClockBar() {
    if (!m_clockBar)
        return;
    if (!m_result || m_clockBarDismissed || d->window->isFullScreen()) {
        m_clockBar->hide();
        return;
    }
    const RVXClockCheck& clock = m_result->clock;
    const bool off = clock.offsetSeconds && std::abs(*clock.offsetSeconds) >= kClockBarSeconds;
    const bool zone = clock.zoneMinutesOff != 0;
    if (!off && !zone) {
        m_clockBar->hide();
        return;
    }
    m_clockText->setText(clock.sentence());
    // A wrong zone is a setting of the camera's, which its clock file does not change.
    m_settingsButton->setVisible(zone);
    m_clockBar->show();
}

void RVXEventsController::playRow(int row) {
    const std::vector<RVXEventRow>& rows = m_eventTable.rows();
    if (row < 0 || size_t(row) >= rows.size() || !rows[size_t(row)].media)
        return;
    const RVXEventRow& r = rows[size_t(row)];
    const RVXMediaList* list = d->mediaList();
    for (qsizetype i = 0; i < list->count(); ++i) {
        if (list->mediaAtIndex(i) != r.media)
            continue;
        d->tripController()->leaveTrip();
        d->stopPlay();
        // The Files list follows, as for a row played there.
        const QModelIndex index = d->m_tableModel->index(int(i), 0);
        d->mediaListTableView->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        d->m_startSecond = r.playSecond;
        d->playAtIndex(i);
        return;
    }
}

double RVXEventsController::lengthOf(const RVXMediaRef& media) const {
    for (const RVXTripUnit& unit : m_units) {
        if (unit.media == media)
            return unit.length;
    }
    return 0;
}

void RVXEventsController::showImpactMarks() {
    std::vector<double> positions;
    RVXTripController* trips = d->tripController();
    // Until a trip's own curve is there the graph shows its unit's, on another scale.
    bool graphMatches = true;
    if (const std::optional<size_t> trip = trips->playingTrip()) {
        positions = m_eventTable.impactPositions(trips->trips()[*trip]);
        graphMatches = trips->playingTelemetry().has_value();
    } else if (RVXMediaRef media = d->mediaList()->mediaAtIndex(d->mediaIndex())) {
        // The scan names a pair by its front; the rear of it plays the same seconds.
        if (const RVXMediaPairRef pair =
                d->mediaList()->findMediaPairWithFileName(media->mediaName());
            pair && pair->frontMedia())
            media = pair->frontMedia();
        positions = m_eventTable.impactPositions(media, lengthOf(media));
    }
    if (d->graphView && graphMatches)
        d->graphView->setImpactMarks(positions);
    std::vector<TKSliderMarks::Mark> marks;
    for (double p : positions)
        marks.push_back({p, p, kImpactColour, true});
    for (TKSliderMarks* m : {m_marks, m_fullScreenMarks}) {
        if (m)
            m->setMarks(marks);
    }
}

void RVXEventsController::die() {
    if (m_cancel)
        m_cancel->store(true);
    ++m_generation;
}
