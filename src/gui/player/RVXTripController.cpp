// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/RVXTripController.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/playback/RVXMediaListCell.h"
#include "core/playback/RVXPlayInfo.h"
#include "core/playback/RVXTelemetryReadout.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"
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

#include <vlc/vlc.h>

namespace {
constexpr int kUnitRole = Qt::UserRole + 1;
// The handover runs this long before the border: the last picture of the old pair stays
// on screen until the new pair's first one replaces it.
constexpr double kHandoverLeadSeconds = 0.04;

bool hasMedia(const VLCMediaPlayer* player) {
    return player && player->media();
}
} // namespace

struct RVXTripController::Spare {
    VLCMediaPlayer* player1 = nullptr;
    VLCMediaPlayer* player2 = nullptr;
    VLCVideoView* view1 = nullptr;
    VLCVideoView* view2 = nullptr;
    // The segment the spare pair stands ready for, and that segment's telemetry.
    std::optional<size_t> segment;
    std::shared_ptr<RVXBlackBoxData> data;
    bool handoverScheduled = false;
    uint64_t generation = 0;
    // The players that have decoded their first picture since they were loaded.
    std::vector<const VLCMediaPlayer*> warm;
};

RVXTripController::RVXTripController(RVXAppDelegate* delegate)
    : QObject(delegate)
    , d(delegate)
    , m_spare(std::make_unique<Spare>()) {}

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
    m_view->setTextElideMode(Qt::ElideLeft);
    m_view->header()->setStretchLastSection(true);
    m_view->header()->setMinimumSectionSize(30);
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
}

// Made when a trip first plays: until then the window holds only its own pair's windows.
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
        const auto deliver = [self](auto&& call) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, call] {
                    if (self)
                        call(self.data());
                },
                Qt::QueuedConnection);
        };
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
            row[0]->appendRow(child);
        }
        m_model->appendRow(row);
    }
    // Sized to the trips' rows and their units' alike, so the kind words show in full.
    m_view->expandAll();
    for (int c = 0; c < 3; ++c)
        m_view->resizeColumnToContents(c);
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
    const std::optional<int64_t> clock = d->player1->clockTime();
    const double unitSecond =
        clock ? double(*clock) / 1000 : d->m_playInfo->position() * unitLength();
    return m_timeline->tripSecond(m_segment, unitSecond);
}

void RVXTripController::playTrip(size_t trip, double tripSecond) {
    if (trip >= m_trips.size())
        return;
    makeSparePlayers();
    m_timeline.emplace(m_trips[trip]);
    m_tripIndex = trip;
    m_playingTelemetry = trip < m_telemetry.size() ? m_telemetry[trip] : std::nullopt;
    std::vector<TKSliderMarks::Mark> marks;
    for (const RVXTripTimeline::Mark& m : m_timeline->marks())
        marks.push_back({m.from, m.to,
                         m.division == RVXMediaDivisionEvent ? QColor(0xe0, 0x40, 0x30)
                                                             : QColor(0xf0, 0xb0, 0x20)});
    m_marks->setMarks(std::move(marks));
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
    if (m_marks)
        m_marks->setMarks({});
}

// A start from nothing, as for a single recording, then a seek to the unit's second once
// both players run: a seek across a border, or the trip's first unit.
void RVXTripController::startSegment(size_t segment, double unitSecond) {
    releaseSpare();
    m_segment = segment;
    m_pendingUnitSecond = unitSecond > 0.05 ? std::optional(unitSecond) : std::nullopt;
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
    if (second && length > 0) {
        // Straight to the players: a seek still settling would make the slider's path
        // drop this one.
        const VLCTime at(int64_t(std::min(*second, length) * 1000));
        d->player1->setTime(at);
        if (hasMedia(d->player2))
            d->player2->setTime(at);
        d->m_playInfo->setPosition(std::clamp(*second / length, 0.0, 1.0));
        d->syncVideoPositionDelay(0.3);
    }
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
    // unit starts from nothing at its second.
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
    startSegment(place->segment, place->unitSecond);
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
        d->evaluateMapScript(RVXTelemetryReadout::trackScript(m_playingTelemetry->track));
    }
}

void RVXTripController::unitTimeChanged() {
    if (!m_timeline || d->m_moving || d->m_swapping || !hasMedia(d->player1))
        return;
    const std::optional<int64_t> clock = d->player1->clockTime();
    if (!clock)
        return;
    const double left = m_timeline->secondsToBorder(m_segment, double(*clock) / 1000);
    if (!m_timeline->hasNext(m_segment))
        return;
    if (left <= 0) {
        // The border went by unnoticed (the spare pair was not ready in time).
        if (m_spare->segment)
            handOver();
        else
            startSegment(m_segment + 1, m_timeline->segment(m_segment + 1).unitStart);
        return;
    }
    if (!m_spare->segment && left <= RVXTripTimeline::kPrepareSeconds)
        prepareNext();
    if (m_spare->segment && !m_spare->handoverScheduled && left <= 1.0)
        scheduleHandover();
}

// The next segment's pair, loaded paused at its first picture under the views on
// screen, the sides as they are now (a swapped pair keeps the rear in the main view).
void RVXTripController::prepareNext() {
    Spare& s = *m_spare;
    const size_t next = m_segment + 1;
    const RVXTripSegment& segment = m_timeline->segment(next);
    const RVXTripUnit& unit = m_timeline->unitOf(next);
    const bool rearInMain = d->player1->media()->mediaDirection() == RVXMediaDirectionRear;
    RVXMediaRef main = unit.media, partner = unit.partner;
    if (rearInMain && partner && partner->isRearMedia())
        std::swap(main, partner);
    // These players may still be stopping from the last border (a short unit).
    m_releases.waitForDone();
    const auto load = [&](VLCMediaPlayer* player, VLCVideoView* view, VLCVideoView* onScreen,
                          const RVXMediaRef& media) {
        player->stop();
        if (!media) {
            player->setMedia(nullptr);
            view->hide();
            return;
        }
        view->stackUnder(onScreen);
        view->show();
        VLCMediaRef m = VLCMedia::mediaWithPath(media->path());
        if (!m)
            return;
        if (segment.unitStart > 0)
            m->addOption(QStringLiteral(":start-time=%1").arg(segment.unitStart, 0, 'f', 3));
        player->setMedia(m);
        player->audio()->setMute(true);
        player->setRate(d->player1->rate());
        player->play();
    };
    load(s.player1, s.view1, d->video1View, main);
    load(s.player2, s.view2, d->video2View, partner);
    s.segment = next;
    s.warm.clear();
    const uint64_t generation = ++s.generation;
    s.data.reset();

    // The telemetry belongs to the pair's front recording; a lone recording has its own.
    QStringList paths;
    if (unit.partner && unit.partner->isFrontMedia())
        paths << unit.partner->path();
    paths << unit.media->path();
    QPointer<RVXTripController> self(this);
    QThreadPool::globalInstance()->start([self, generation, paths] {
        auto data = std::make_shared<RVXBlackBoxData>();
        for (const QString& path : paths) {
            if (data->ExtractStreamInformation(QFile::encodeName(path).constData()))
                break;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, data] {
                if (self && self->m_spare->generation == generation)
                    self->m_spare->data = data;
            },
            Qt::QueuedConnection);
    });
}

// A player loaded paused has opened its file but decoded nothing, and resuming it takes
// a fifth of a second before its first picture. So the spare pair plays, muted, until its
// first picture has come, then waits paused at the segment's start with its decoders
// running; the resume at the border shows the next frame at once.
void RVXTripController::spareTimeChanged(VLCMediaPlayer* player) {
    Spare& s = *m_spare;
    if (!s.segment || (player != s.player1 && player != s.player2) ||
        std::find(s.warm.begin(), s.warm.end(), player) != s.warm.end())
        return;
    s.warm.push_back(player);
    player->pause();
    player->setTime(VLCTime(int64_t(m_timeline->segment(*s.segment).unitStart * 1000)));
}

// The pair on screen paused itself at its recording's end (it plays and pauses) at the
// border: the spare pair takes over now rather than when the timer says.
void RVXTripController::playerStateChanged(VLCMediaPlayer* player) {
    if (!m_timeline || !m_spare->segment || player != d->player1 ||
        player->state() != VLCMediaPlayerStatePaused)
        return;
    // At its end, not paused by the user a moment before it.
    const bool atEnd = player->remainingTime().intValue() > -100;
    const double left = m_timeline->secondsToBorder(m_segment, player->time().intValue() / 1000.0);
    if (atEnd && left < 0.5)
        handOver();
}

void RVXTripController::scheduleHandover() {
    const std::optional<int64_t> clock = d->player1->clockTime();
    if (!clock)
        return;
    const double rate = std::max(0.1f, d->player1->rate());
    const double left = m_timeline->secondsToBorder(m_segment, double(*clock) / 1000);
    const int ms = std::max(0, int(std::lround((left - kHandoverLeadSeconds) / rate * 1000)));
    m_spare->handoverScheduled = true;
    const uint64_t generation = m_spare->generation;
    QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, generation] {
        if (m_spare->generation == generation && m_spare->segment && !d->m_died)
            handOver();
    });
}

// The spare pair runs on from its first picture and takes the views' places; the pair
// that played lets go. The heard side, rate, volume and swap state stay as they were.
void RVXTripController::handOver() {
    Spare& s = *m_spare;
    if (!m_timeline || !s.segment)
        return;
    if (d->m_swapping) {
        QTimer::singleShot(100, this, [this] { handOver(); });
        return;
    }
    const size_t next = *s.segment;
    s.player1->play();
    if (hasMedia(s.player2))
        s.player2->play();
    std::swap(d->player1, s.player1);
    std::swap(d->player2, s.player2);
    std::swap(d->video1View, s.view1);
    std::swap(d->video2View, s.view2);
    d->videoContainerView->setVideoView(d->video1View);
    d->videoContainerView->setSpareView(s.view1);
    d->subVideoContainerView->setVideoView(d->video2View);
    d->subVideoContainerView->setSpareView(s.view2);
    // libVLC's stop waits for the decoders and the picture to go; on the UI thread it
    // would hold back the raise of the new views, and the old pictures would stand.
    for (VLCMediaPlayer* old : {s.player1, s.player2})
        releaseAsync(old);
    s.view1->hide();
    s.view2->hide();
    s.segment.reset();
    s.handoverScheduled = false;
    ++s.generation;
    if (s.data)
        *d->m_blackBoxData = std::move(*s.data);
    else
        d->m_blackBoxData->clear();
    s.data.reset();

    m_segment = next;
    d->m_mediaIndex = mediaIndexOf(m_timeline->unitOf(next));
    markPlayingUnit();
    d->updatePlayerLogos();
    d->audioToggleButton->setVisible(hasMedia(d->player2));
    d->updateVideoViewsVisibility();
    d->updateAudioUI();
    d->syncVideoPositionDelay(0.3);
    ++m_handovers;
    RVXLog(QStringLiteral("[D ] trip border: segment %1").arg(next));
    Q_EMIT handedOver(next);
}

void RVXTripController::releaseAsync(VLCMediaPlayer* player) {
    if (!hasMedia(player))
        return;
    player->pause();
    QPointer<RVXTripController> self(this);
    QPointer<VLCMediaPlayer> target(player);
    libvlc_media_player_t* raw = player->player();
    m_releases.start([self, target, raw] {
        libvlc_media_player_stop(raw);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, target] {
                // Prepared again meanwhile (a border soon after the last): it is in use.
                if (self && target && !self->isSpareInUse(target))
                    target->setMedia(nullptr);
            },
            Qt::QueuedConnection);
    });
}

bool RVXTripController::isSpareInUse(const VLCMediaPlayer* player) const {
    return player == d->player1 || player == d->player2 || m_spare->segment.has_value();
}

void RVXTripController::releaseSpare() {
    Spare& s = *m_spare;
    ++s.generation;
    s.segment.reset();
    s.handoverScheduled = false;
    s.data.reset();
    for (VLCMediaPlayer* p : {s.player1, s.player2}) {
        if (hasMedia(p)) {
            p->stop();
            p->setMedia(nullptr);
        }
    }
    for (VLCVideoView* v : {s.view1, s.view2}) {
        if (v)
            v->hide();
    }
}

bool RVXTripController::unitEnded() {
    if (!m_timeline || !m_timeline->hasNext(m_segment))
        return false;
    if (m_spare->segment)
        handOver();
    else
        startSegment(m_segment + 1, m_timeline->segment(m_segment + 1).unitStart);
    return true;
}

void RVXTripController::die() {
    // A release still stopping a player must finish before the player goes.
    m_releases.waitForDone();
    if (m_cancel)
        m_cancel->store(true);
    ++m_generation;
    Spare& s = *m_spare;
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
