// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/library/RVXLibraryController.h"

#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXTrip.h"
#include "core/library/RVXLibrary.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/library/RVXLibraryImportPanel.h"
#include "gui/library/RVXLibraryJob.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXMapPage.h"
#include "gui/trips/RVXTripController.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSettings>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <cmath>

namespace {
constexpr int kTripStartRole = Qt::UserRole + 1;
constexpr int kMomentRole = Qt::UserRole + 2;
const QString kFolderKey = QStringLiteral("library/folder");
// Enough points for a day's drives to be drawn whole without a script of megabytes.
constexpr size_t kMostPointsDrawn = 20000;

QString clockText(double moment) {
    return RVXTrip::clockTimeOf(int64_t(std::floor(moment)))
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString tripText(const RVXLibraryTrip& trip) {
    const QDateTime start = RVXTrip::clockTimeOf(trip.start);
    const QDateTime end = RVXTrip::clockTimeOf(trip.start + int64_t(std::lround(trip.seconds)));
    return RVXLocalizedString("library.drive_fmt")
        .arg(start.toString(QStringLiteral("HH:mm:ss")), end.toString(QStringLiteral("HH:mm:ss")))
        .arg(trip.distanceKm, 0, 'f', 2);
}

// "no events", "1 drive", "3 drives".
QString counted(size_t n, const char* oneKey, const char* manyKey) {
    if (n == 1)
        return RVXLocalizedString(oneKey);
    return RVXLocalizedString(manyKey).arg(n == 0 ? RVXLocalizedString("library.none")
                                                  : QString::number(n));
}

QString eventText(const RVXLibraryEvent& event) {
    if (event.kind == QLatin1String("impact"))
        return RVXLocalizedString("library.impact_fmt").arg(event.peak, 0, 'f', 2);
    const char* key =
        event.kind == QLatin1String("braking") ? "library.braking_fmt" : "library.acceleration_fmt";
    return RVXLocalizedString(key).arg(event.peak, 0, 'f', 1);
}
} // namespace

RVXLibraryController::RVXLibraryController(RVXAppDelegate* delegate)
    : QObject(delegate)
    , d(delegate) {
    connect(d, &RVXAppDelegate::mediaListReloaded, this, &RVXLibraryController::listReloaded);
}

RVXLibraryController::~RVXLibraryController() {
    if (m_cancel)
        m_cancel->store(true);
}

QString RVXLibraryController::folder() const {
    const QString chosen = QSettings().value(kFolderKey).toString();
    return chosen.isEmpty() ? RVXLibrary::defaultFolder() : chosen;
}

void RVXLibraryController::setFolder(const QString& folder) {
    QSettings().setValue(kFolderKey, QDir::cleanPath(QDir(folder).absolutePath()));
}

bool RVXLibraryController::isOpenInWindow() const {
    const std::optional<QString> open = d->mediaList()->directoryPath();
    return open && QDir::cleanPath(*open) == QDir::cleanPath(QDir(folder()).absolutePath());
}

void RVXLibraryController::makeViews(QWidget* mapBottom) {
    m_mapHint = mapBottom->findChild<QWidget*>(QStringLiteral("mapHint"));
    m_libraryBox = new QWidget();
    m_libraryBox->setObjectName(QStringLiteral("libraryPlaceBox"));
    auto* layout = new QVBoxLayout(m_libraryBox);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* days = new QHBoxLayout();
    m_from = new QDateEdit();
    m_to = new QDateEdit();
    for (auto [edit, name] : {std::pair{m_from, "libraryFrom"}, std::pair{m_to, "libraryTo"}}) {
        edit->setObjectName(QLatin1String(name));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setToolTip(RVXLocalizedString("library.days"));
        // The whole date beside the calendar's arrow.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("2026-03-14")) +
                              40);
        connect(edit, &QDateEdit::dateChanged, this, [this] {
            ++m_daysChosen;
            showDrivesOfChosenDays();
        });
    }
    m_radius = new QComboBox();
    m_radius->setObjectName(QStringLiteral("libraryRadius"));
    for (int metres : {50, 100, 200, 500, 1000})
        m_radius->addItem(metres < 1000 ? QStringLiteral("%1 m").arg(metres)
                                        : QStringLiteral("%1 km").arg(metres / 1000),
                          metres);
    m_radius->setCurrentIndex(2);
    connect(m_radius, &QComboBox::currentIndexChanged, this,
            &RVXLibraryController::updatePlaceSearch);
    days->addWidget(m_from);
    days->addWidget(new QLabel(QStringLiteral("\u2013")));
    days->addWidget(m_to);
    days->addStretch(1);
    days->addWidget(m_radius);
    layout->addLayout(days);
    m_placeStatus = new QLabel(RVXLocalizedString("library.place_hint"));
    m_placeStatus->setObjectName(QStringLiteral("libraryPlaceStatus"));
    m_placeStatus->setWordWrap(true);
    layout->addWidget(m_placeStatus);
    m_placeList = new QTreeWidget();
    m_placeList->setObjectName(QStringLiteral("libraryPlaceList"));
    m_placeList->setRootIsDecorated(false);
    m_placeList->setHeaderLabels(
        {RVXLocalizedString("library.when"), RVXLocalizedString("library.what")});
    m_placeList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_placeList->header()->setStretchLastSection(true);
    m_placeList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_placeList->setMinimumHeight(90);
    m_placeList->hide();
    connect(m_placeList, &QTreeWidget::itemActivated, this, &RVXLibraryController::placeActivated);
    layout->addWidget(m_placeList, 1);
    mapBottom->layout()->addWidget(m_libraryBox);
    m_libraryBox->hide();
    connect(d->mapWebView, &QWebEngineView::titleChanged, this,
            &RVXLibraryController::mapTitleChanged);
    connect(d->tripController(), &RVXTripController::tripsChanged, this, [this] {
        if (m_pendingPlay && isOpenInWindow())
            playWhenListed(m_pendingPlay->first, m_pendingPlay->second);
    });
}

void RVXLibraryController::listReloaded() {
    const bool library = isOpenInWindow();
    if (m_libraryBox)
        m_libraryBox->setVisible(library);
    // The library's answers share the panel with the map; the hint alone needs no room.
    d->layoutMapContainer();
    if (m_mapHint)
        m_mapHint->setVisible(!library);
    updatePlaceSearch();
    if (!library) {
        m_drivesShown = 0;
        if (d->mapPage())
            d->mapPage()->evaluate(QStringLiteral("setDrives([])"));
        return;
    }
    // The days chosen start as the newest day of the library, unless the user chose
    // others while it was being found.
    const QString where = folder();
    const uint64_t chosen = m_daysChosen;
    RVXLibraryJob<std::optional<QDate>>(
        this,
        [where]() -> std::optional<QDate> {
            RVXLibrary library(where);
            if (library.open(false))
                return std::nullopt;
            const std::vector<RVXLibraryTrip> trips = library.index().trips({});
            if (trips.empty())
                return std::nullopt;
            return RVXTrip::clockTimeOf(trips.back().start).date();
        },
        [this, chosen](std::optional<QDate> newest) {
            if (chosen != m_daysChosen)
                return;
            const QSignalBlocker a(m_from), b(m_to);
            if (newest) {
                m_from->setDate(*newest);
                m_to->setDate(*newest);
            }
            showDrivesOfChosenDays();
        });
}

void RVXLibraryController::updatePlaceSearch() {
    const bool on = isOpenInWindow();
    if (!d->mapPage())
        return;
    d->mapPage()->evaluate(QStringLiteral("setPlaceSearch(%1, %2)")
                               .arg(on ? QStringLiteral("true") : QStringLiteral("false"))
                               .arg(m_radius ? m_radius->currentData().toInt() : 200));
}

void RVXLibraryController::showDrivesOfChosenDays() {
    if (!isOpenInWindow() || !m_from)
        return;
    RVXLibraryQuery query;
    query.from = std::min(m_from->date(), m_to->date());
    query.to = std::max(m_from->date(), m_to->date());
    const QString where = folder();
    const uint64_t generation = ++m_generation;
    struct Drawn {
        QString script;
        int count = 0;
    };
    RVXLibraryJob<Drawn>(
        this,
        [where, query]() {
            Drawn drawn;
            RVXLibrary library(where);
            if (library.open(false))
                return drawn;
            std::vector<std::vector<RVXLibraryTrackPoint>> tracks;
            size_t points = 0;
            for (const RVXLibraryTrip& trip : library.index().trips(query)) {
                tracks.push_back(library.index().track(trip.id));
                points += tracks.back().size();
            }
            const size_t step = std::max<size_t>(1, points / kMostPointsDrawn + 1);
            QStringList lines;
            for (const auto& track : tracks) {
                QStringList coordinates;
                for (size_t i = 0; i < track.size(); i += step)
                    coordinates << QStringLiteral("[%1,%2]")
                                       .arg(track[i].longitude, 0, 'f', 6)
                                       .arg(track[i].latitude, 0, 'f', 6);
                lines << u'[' + coordinates.join(u',') + u']';
            }
            drawn.count = int(tracks.size());
            drawn.script = QStringLiteral("setDrives([%1])").arg(lines.join(u','));
            return drawn;
        },
        [this, generation](Drawn drawn) {
            if (generation != m_generation)
                return;
            if (d->mapPage())
                d->mapPage()->evaluate(drawn.script);
            m_drivesShown = drawn.count;
            Q_EMIT drivesDrawn(drawn.count);
        });
}

void RVXLibraryController::mapTitleChanged(const QString& title) {
    static const QString prefix = QStringLiteral("rvx-place:");
    if (!title.startsWith(prefix) || !isOpenInWindow())
        return;
    const QJsonObject place = QJsonDocument::fromJson(title.mid(prefix.size()).toUtf8()).object();
    const double latitude = place.value(QStringLiteral("latitude")).toDouble(NAN);
    const double longitude = place.value(QStringLiteral("longitude")).toDouble(NAN);
    if (!std::isfinite(latitude) || !std::isfinite(longitude))
        return;
    if (place.contains(QStringLiteral("latitude2")))
        findBox(latitude, longitude, place.value(QStringLiteral("latitude2")).toDouble(),
                place.value(QStringLiteral("longitude2")).toDouble());
    else
        findPlace(latitude, longitude, place.value(QStringLiteral("radius")).toDouble(200));
}

namespace {
RVXLibraryController::PlaceAnswer answerFor(const QString& where, const RVXLibraryPlace& place) {
    RVXLibraryController::PlaceAnswer answer;
    RVXLibrary library(where);
    if (library.open(false))
        return answer;
    RVXLibraryQuery query;
    query.place = place;
    answer.trips = library.index().trips(query);
    answer.events = library.index().events(query);
    for (const RVXLibraryEvent& e : answer.events) {
        const std::optional<RVXLibraryTrip> trip = library.index().trip(e.trip);
        answer.eventTripStarts.push_back(trip ? trip->start : 0);
    }
    return answer;
}
} // namespace

void RVXLibraryController::findPlace(double latitude, double longitude, double radiusMetres) {
    const QString where = folder();
    const RVXLibraryPlace place = RVXLibraryPlace::circle(latitude, longitude, radiusMetres);
    m_placeStatus->setText(RVXLocalizedString("library.searching"));
    RVXLibraryJob<PlaceAnswer>(
        this, [where, place] { return answerFor(where, place); },
        [this](PlaceAnswer answer) { showPlaceAnswer(answer); });
}

void RVXLibraryController::findBox(double latitude1, double longitude1, double latitude2,
                                   double longitude2) {
    const QString where = folder();
    const RVXLibraryPlace place =
        RVXLibraryPlace::corners(latitude1, longitude1, latitude2, longitude2);
    m_placeStatus->setText(RVXLocalizedString("library.searching"));
    RVXLibraryJob<PlaceAnswer>(
        this, [where, place] { return answerFor(where, place); },
        [this](PlaceAnswer answer) { showPlaceAnswer(answer); });
}

void RVXLibraryController::showPlaceAnswer(const PlaceAnswer& answer) {
    m_placeList->clear();
    for (const RVXLibraryTrip& trip : answer.trips) {
        const double moment = trip.placeMoment.value_or(double(trip.start));
        auto* item = new QTreeWidgetItem({clockText(moment), tripText(trip)});
        item->setData(0, kTripStartRole, qlonglong(trip.start));
        item->setData(0, kMomentRole, moment);
        item->setToolTip(1, item->text(1));
        m_placeList->addTopLevelItem(item);
    }
    for (size_t i = 0; i < answer.events.size(); ++i) {
        const RVXLibraryEvent& event = answer.events[i];
        auto* item = new QTreeWidgetItem({clockText(event.moment), eventText(event)});
        item->setData(0, kTripStartRole, qlonglong(answer.eventTripStarts[i]));
        // From a second before, as the events list plays them.
        item->setData(0, kMomentRole, event.moment - 1.0);
        m_placeList->addTopLevelItem(item);
    }
    m_placeList->setVisible(m_placeList->topLevelItemCount() > 0);
    m_placeStatus->setText(
        m_placeList->topLevelItemCount() == 0
            ? RVXLocalizedString("library.nothing_here")
            : RVXLocalizedString("library.found_fmt")
                  .arg(counted(answer.trips.size(), "library.one_drive", "library.drives_fmt"),
                       counted(answer.events.size(), "library.one_event", "library.events_fmt")));
    Q_EMIT placeAnswered();
}

void RVXLibraryController::placeActivated(QTreeWidgetItem* item) {
    if (item)
        playAt(item->data(0, kTripStartRole).toLongLong(), item->data(0, kMomentRole).toDouble());
}

void RVXLibraryController::playAt(int64_t tripStart, double moment) {
    m_pendingPlay = std::pair{tripStart, moment};
    if (!isOpenInWindow()) {
        d->openMediaDirectory(folder());
        return;
    }
    playWhenListed(tripStart, moment);
}

// The window's trips are the trip rule over the library's recordings, the same as the
// index's; the one that starts where the index's does is played.
void RVXLibraryController::playWhenListed(int64_t tripStart, double moment) {
    RVXTripController* trips = d->tripController();
    for (size_t i = 0; i < trips->trips().size(); ++i) {
        const RVXTrip& trip = trips->trips()[i];
        if (std::llabs(trip.start() - tripStart) > 2)
            continue;
        m_pendingPlay.reset();
        trips->playTrip(i, std::clamp(moment - double(trip.start()), 0.0, trip.seconds()));
        return;
    }
}
