// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/trips/RVXTripController.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/playback/RVXMediaListCell.h"
#include "core/playback/RVXPlayInfo.h"
#include "core/playback/RVXTelemetryReadout.h"
#include "core/support/RVXDeliver.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/trips/RVXTripSparePair.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKSliderMarks.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QSlider>
#include <QStandardItemModel>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <cmath>

namespace {
constexpr int kUnitRole = Qt::UserRole + 1;
bool hasMedia(const VLCMediaPlayer* player) {
    return player && player->media();
}
} // namespace

RVXTripController::RVXTripController(RVXAppDelegate* delegate)
    : QObject(delegate)
    , d(delegate)
    , m_spare(std::make_unique<RVXTripSparePair>()) {}

RVXTripController::~RVXTripController() {
    die();
}

void RVXTripController::makeViews(QBoxLayout* listLayout, QBoxLayout* buttonLayout) {
    m_view = new QTreeView();
    m_view->setObjectName(QStringLiteral("tripListView"));
    m_model = new QStandardItemModel(this);
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setAlternatingRowColors(true);
    m_view->setUniformRowHeights(true);
    m_view->setExpandsOnDoubleClick(false);
    m_view->setIndentation(12);
    // A unit's file name, cut to the room the distance leaves, keeps its end: the side and
    // the time that tell the units apart (the kind is in the first column). Its tooltip
    // has it whole.
    m_view->setTextElideMode(Qt::ElideLeft);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->header()->setMinimumSectionSize(30);
    // The distance and the file take what the date, time and length leave; a stretched
    // last section of QHeaderView's never shrinks below its default size, and the list
    // scrolled sideways for the distance.
    m_view->header()->setStretchLastSection(false);
    m_view->hide();
    listLayout->addWidget(m_view);
    connect(m_view, &QAbstractItemView::activated, this, &RVXTripController::activated);

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (auto [button, key, name] : {std::tuple{&m_filesButton, "list.files", "filesButton"},
                                     std::tuple{&m_tripsButton, "list.trips", "tripsButton"}}) {
        *button = new QToolButton();
        (*button)->setObjectName(QLatin1String(name));
        (*button)->setText(RVXLocalizedString(key));
        (*button)->setCheckable(true);
        // The list shown is the button lit.
        (*button)->setStyleSheet(QStringLiteral(
            "QToolButton:checked { background: #c8902e; color: #111; border-radius: 3px; }"));
        (*button)->setFocusPolicy(Qt::NoFocus);
        (*button)->setToolTip(RVXLocalizedString(key) + QStringLiteral(" (Ctrl+G)"));
        group->addButton(*button);
        buttonLayout->addWidget(*button);
    }
    m_filesButton->setChecked(true);
    connect(m_tripsButton, &QAbstractButton::clicked, this, [this] { setShowsTrips(true); });
    connect(m_filesButton, &QAbstractButton::clicked, this, [this] { setShowsTrips(false); });
}

void RVXTripController::attachToSlider() {
    m_marks = new TKSliderMarks(d->videoPositionSlider);
    m_fullScreenMarks = new TKSliderMarks(d->videoPositionSliderForFullScreen);
}

// Made once a trip's first picture is on screen, not on its way there; until a trip plays
// the window holds only its own pair. The spare views wait hidden under the views on
// screen.
void RVXTripController::makeSparePlayers() {
    if (m_spare->player1)
        return;
    const auto make = [this](RVXScrollableVideoContainerView* container, const char* name,
                             VLCVideoView** view, VLCMediaPlayer** player) {
        *view = new VLCVideoView();
        (*view)->setObjectName(QLatin1String(name));
        (*view)->setFillScreen(true);
        container->setSpareView(*view);
        (*view)->hide();
        *player = new VLCMediaPlayer(*view, d);
        d->connectPlayer(*player);
        connect(*player, &VLCMediaPlayer::mediaPlayerTimeChanged, this,
                &RVXTripController::spareTimeChanged);
        connect(*player, &VLCMediaPlayer::mediaPlayerStateChanged, this,
                &RVXTripController::playerStateChanged);
    };
    make(d->videoContainerView, "spareVideo1View", &m_spare->view1, &m_spare->player1);
    make(d->subVideoContainerView, "spareVideo2View", &m_spare->view2, &m_spare->player2);
    // The window's own pair becomes the spare after the first border.
    for (VLCMediaPlayer* own : {d->player1, d->player2}) {
        connect(own, &VLCMediaPlayer::mediaPlayerTimeChanged, this,
                &RVXTripController::spareTimeChanged);
        connect(own, &VLCMediaPlayer::mediaPlayerStateChanged, this,
                &RVXTripController::playerStateChanged);
    }
}

void RVXTripController::setShowsTrips(bool trips) {
    m_showsTrips = trips;
    m_filesButton->setChecked(!trips);
    m_tripsButton->setChecked(trips);
    d->updateSideViewButton();
}

void RVXTripController::listReloaded() {
    leaveTrip();
    if (m_cancel)
        m_cancel->store(true);
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    const uint64_t generation = ++m_generation;
    m_trips.clear();
    m_telemetry.clear();
    fillModel();
    // The units come from the list here, on the UI thread; the worker reads files only.
    std::vector<RVXTripUnit> units = RVXTrip::unitsOfList(*d->mediaList());
    QPointer<RVXTripController> self(this);
    std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
    QThreadPool::globalInstance()->start([self, generation, cancel,
                                          units = std::move(units)]() mutable {
        RVXTrip::readLengths(units);
        auto trips =
            std::make_shared<std::vector<RVXTrip>>(RVXTrip::tripsFromUnits(std::move(units)));
        const auto deliver = [self](auto&& call) { RVXDeliver(self, call); };
        deliver([generation, trips](RVXTripController* c) { c->tripsRead(generation, *trips); });
        for (size_t i = 0; i < trips->size(); ++i) {
            std::optional<RVXTripTelemetry> t = RVXTripTelemetry::read((*trips)[i], cancel.get());
            if (!t)
                return;
            auto shared = std::make_shared<RVXTripTelemetry>(std::move(*t));
            deliver([generation, i, shared](RVXTripController* c) {
                c->telemetryRead(generation, i, *shared);
            });
        }
    });
}

void RVXTripController::tripsRead(uint64_t generation, std::vector<RVXTrip> trips) {
    if (generation != m_generation)
        return;
    m_trips = std::move(trips);
    m_telemetry.assign(m_trips.size(), std::nullopt);
    fillModel();
    Q_EMIT tripsChanged();
}

void RVXTripController::telemetryRead(uint64_t generation, size_t trip,
                                      RVXTripTelemetry telemetry) {
    if (generation != m_generation || trip >= m_telemetry.size())
        return;
    m_telemetry[trip] = std::move(telemetry);
    if (QStandardItem* km = m_model->item(int(trip), 3))
        km->setText(RVXTripTimeline::distanceText(m_telemetry[trip]->distanceKm));
    if (playsTrip() && m_tripIndex == trip) {
        m_playingTelemetry = m_telemetry[trip];
        applyGraphAndTrack();
    }
    Q_EMIT tripTelemetryRead(trip);
}

std::optional<double> RVXTripController::distanceOf(size_t trip) const {
    if (trip >= m_telemetry.size() || !m_telemetry[trip])
        return std::nullopt;
    return m_telemetry[trip]->distanceKm;
}

void RVXTripController::fillModel() {
    m_model->clear();
    m_model->setHorizontalHeaderLabels(
        {RVXLocalizedString("filelist.date"), RVXLocalizedString("filelist.time"),
         RVXLocalizedString("triplist.length"), RVXLocalizedString("triplist.distance")});
    for (size_t t = 0; t < m_trips.size(); ++t) {
        const RVXTrip& trip = m_trips[t];
        QList<QStandardItem*> row{
            new QStandardItem(RVXTripTimeline::dateText(trip)),
            new QStandardItem(RVXTripTimeline::spanText(trip)),
            new QStandardItem(RVXTripTimeline::durationText(trip.seconds())),
            new QStandardItem(RVXTripTimeline::distanceText(
                t < m_telemetry.size() && m_telemetry[t] ? std::optional(m_telemetry[t]->distanceKm)
                                                         : std::nullopt))};
        row[0]->setToolTip(RVXLocalizedString("list.trip_units_fmt").arg(trip.units().size()));
        for (size_t u = 0; u < trip.units().size(); ++u) {
            const RVXTripUnit& unit = trip.units()[u];
            QList<QStandardItem*> child{
                new QStandardItem(RVXLocalizedString(RVXMediaListCell::kindTextKey(*unit.media))),
                new QStandardItem(RVXTripTimeline::unitTimeText(trip, unit)),
                new QStandardItem(RVXTripTimeline::unitOffsetText(unit)),
                new QStandardItem(unit.media->fileName())};
            child[0]->setData(qlonglong(u), kUnitRole);
            for (QStandardItem* item : child)
                item->setToolTip(unit.media->fileName());
            row[0]->appendRow(child);
        }
        m_model->appendRow(row);
    }
    // Sized to the trips' rows and their units' alike, so the kind words show in full.
    m_view->expandAll();
    for (int c = 0; c < 3; ++c)
        m_view->resizeColumnToContents(c);
    m_view->header()->setSectionResizeMode(3, QHeaderView::Stretch);
    m_view->collapseAll();
}

void RVXTripController::activated(const QModelIndex& index) {
    const QModelIndex first = index.siblingAtColumn(0);
    if (!first.parent().isValid()) {
        playTrip(size_t(first.row()), 0);
        return;
    }
    const size_t trip = size_t(first.parent().row());
    const size_t unit = size_t(first.data(kUnitRole).toLongLong());
    if (trip < m_trips.size() && unit < m_trips[trip].units().size())
        playTrip(trip, m_trips[trip].units()[unit].offset);
}

std::optional<size_t> RVXTripController::playingTrip() const {
    return playsTrip() ? std::optional(m_tripIndex) : std::nullopt;
}

int64_t RVXTripController::mediaIndexOf(const RVXTripUnit& unit) const {
    const RVXMediaList* list = d->mediaList();
    for (qsizetype i = 0; i < list->count(); ++i) {
        if (list->mediaAtIndex(i) == unit.media)
            return i;
    }
    return -1;
}

double RVXTripController::unitLength() const {
    return m_timeline ? m_timeline->unitOf(m_segment).length : 0;
}

double RVXTripController::tripSecond() const {
    if (!m_timeline || !hasMedia(d->player1))
        return 0;
    std::optional<int64_t> clock = d->player1->clockTime();
    if (!clock && d->player1->state() == VLCMediaPlayerStatePaused)
        clock = d->player1->pausedTime();
    const double unitSecond =
        clock ? double(*clock) / 1000 : d->m_playInfo->position() * unitLength();
    return m_timeline->tripSecond(m_segment, unitSecond);
}

void RVXTripController::playTrip(size_t trip, double tripSecond) {
    if (trip >= m_trips.size())
        return;
    m_timeline.emplace(m_trips[trip]);
    m_tripIndex = trip;
    m_playingTelemetry = trip < m_telemetry.size() ? m_telemetry[trip] : std::nullopt;
    std::vector<TKSliderMarks::Mark> marks;
    for (const RVXTripTimeline::Mark& m : m_timeline->marks())
        marks.push_back({m.from, m.to,
                         m.division == RVXMediaDivisionEvent ? QColor(0xe0, 0x40, 0x30)
                                                             : QColor(0xf0, 0xb0, 0x20)});
    m_fullScreenMarks->setMarks(marks);
    m_marks->setMarks(std::move(marks));
    // Not the curve of what played before while the first unit starts.
    applyGraphAndTrack();
    const std::optional<RVXTrip::Place> place = m_timeline->placeAtSecond(tripSecond);
    if (!place) {
        leaveTrip();
        return;
    }
    startSegment(place->segment, place->unitSecond);
}

void RVXTripController::leaveTrip() {
    if (!m_timeline)
        return;
    releaseSpare();
    m_timeline.reset();
    m_playingTelemetry.reset();
    m_pendingUnitSecond.reset();
    m_pausedStartSecond.reset();
    for (TKSliderMarks* marks : {m_marks, m_fullScreenMarks}) {
        if (marks)
            marks->setMarks({});
    }
}

// A start from nothing, as for a single recording, with both players opening the files at
// the unit's second: a seek across a border, or the trip's first unit.
void RVXTripController::startSegment(size_t segment, double unitSecond, bool paused) {
    releaseSpare();
    m_segment = segment;
    m_pendingUnitSecond = unitSecond > 0.05 ? std::optional(unitSecond) : std::nullopt;
    m_pausedStartSecond = paused ? std::optional(unitSecond) : std::nullopt;
    d->m_startSecond = m_pendingUnitSecond.value_or(0);
    const int64_t index = mediaIndexOf(m_timeline->unitOf(segment));
    if (index < 0) {
        leaveTrip();
        return;
    }
    d->stopPlay();
    d->playAtIndex(index);
    markPlayingUnit();
}

// The Trips list follows the unit on screen, as the Files list follows its row.
void RVXTripController::markPlayingUnit() {
    const QModelIndex trip = m_model->index(int(m_tripIndex), 0);
    const QModelIndex unit = m_model->index(int(m_timeline->segment(m_segment).unit), 0, trip);
    if (!unit.isValid())
        return;
    m_view->selectionModel()->setCurrentIndex(unit, QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    if (m_view->isExpanded(trip))
        m_view->scrollTo(unit);
}

void RVXTripController::unitStarted() {
    if (!m_timeline)
        return;
    applyGraphAndTrack();
    const std::optional<double> second = std::exchange(m_pendingUnitSecond, std::nullopt);
    const double length = unitLength();
    // The players opened at the unit's second; the published position follows at once.
    if (second && length > 0) {
        d->m_playInfo->setPosition(std::clamp(*second / length, 0.0, 1.0));
        d->syncVideoPositionDelay(0.3);
    }
    // Nothing is heard of a start that stops at its first picture.
    if (m_pausedStartSecond) {
        for (VLCMediaPlayer* p : {d->player1, d->player2})
            p->audio()->setMute(true);
    }
}

// libVLC draws nothing for a player paused before its first picture, so a paused start
// plays until its first time report and stops there, back at the second it was asked for.
void RVXTripController::holdPausedStart() {
    const double unitSecond = *std::exchange(m_pausedStartSecond, std::nullopt);
    const VLCTime at(int64_t(std::lround(unitSecond * 1000)));
    for (VLCMediaPlayer* p : {d->player1, d->player2}) {
        if (hasMedia(p)) {
            p->pause();
            p->setTime(at);
        }
    }
    // libVLC reports the pause a moment later; the controls show it now.
    d->m_playInfo->setIsPlaying(false);
    const double length = unitLength();
    d->m_playInfo->setPosition(length > 0 ? std::clamp(unitSecond / length, 0.0, 1.0) : 0);
    d->timeField->setText(timeText());
    d->updateAudioUI();
}

double RVXTripController::sliderPosition(double unitPosition) const {
    if (!m_timeline)
        return unitPosition;
    return m_timeline->position(m_timeline->tripSecond(m_segment, unitPosition * unitLength()));
}

QString RVXTripController::timeText() const {
    return m_timeline ? m_timeline->timeText(tripSecond()) : QString();
}

void RVXTripController::seekToPosition(double tripPosition) {
    if (!m_timeline)
        return;
    const std::optional<RVXTrip::Place> place = m_timeline->placeAtPosition(tripPosition);
    if (!place)
        return;
    // Within the unit on screen the players seek as for a single recording; another
    // unit starts from nothing at its second, paused if the trip was.
    const bool paused = m_pausedStartSecond.has_value() ||
                        (hasMedia(d->player1) && d->player1->state() == VLCMediaPlayerStatePaused);
    if (m_timeline->segment(place->segment).unit == m_timeline->segment(m_segment).unit &&
        hasMedia(d->player1)) {
        if (place->segment != m_segment)
            releaseSpare();
        m_segment = place->segment;
        const double position = unitLength() > 0 ? place->unitSecond / unitLength() : 0;
        d->m_playInfo->setPosition(position);
        d->videoPositionSliderMoved(position);
        return;
    }
    startSegment(place->segment, place->unitSecond, paused);
}

void RVXTripController::jump(double seconds) {
    if (m_timeline && m_timeline->seconds() > 0)
        seekToPosition((tripSecond() + seconds) / m_timeline->seconds());
}

void RVXTripController::applyGraphAndTrack() {
    if (!m_timeline)
        return;
    if (m_playingTelemetry) {
        d->graphView->setGraphData(m_playingTelemetry->gsensors);
        d->m_events->showImpactMarks();
        d->evaluateMapScript(RVXTelemetryReadout::trackScript(m_playingTelemetry->track));
    }
}

void RVXTripController::die() {
    // A release still stopping a player must finish before the player goes.
    m_releases.waitForDone();
    if (m_cancel)
        m_cancel->store(true);
    ++m_generation;
    RVXTripSparePair& s = *m_spare;
    ++s.generation;
    delete s.player1;
    s.player1 = nullptr;
    delete s.player2;
    s.player2 = nullptr;
    delete s.view1;
    s.view1 = nullptr;
    delete s.view2;
    s.view2 = nullptr;
    m_timeline.reset();
}
