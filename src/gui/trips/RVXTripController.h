// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/catalogue/RVXTripTelemetry.h"
#include "core/playback/RVXTripTimeline.h"
#include "core/telemetry/RVXBlackBoxData.h"

#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QBoxLayout;
class QStandardItemModel;
class QToolButton;
class QTreeView;
class RVXAppDelegate;
struct RVXTripSparePair;
class TKSliderMarks;
class VLCMediaPlayer;
class VLCVideoView;

// The Trips side of the recording list and a trip's playback: the drive on one slider,
// the next recording made ready in a second pair of players that takes over the views
// at the border, the whole trip's track and G curve. The window controller asks it at
// the few places where a trip plays differently from a single recording. The list and the
// playback are here, the borders in RVXTripControllerBorders.cpp.
class RVXTripController : public QObject {
    Q_OBJECT
public:
    explicit RVXTripController(RVXAppDelegate* delegate);
    ~RVXTripController() override;

    // The Trips view beside the Files table, and the Files | Trips buttons.
    void makeViews(QBoxLayout* listLayout, QBoxLayout* buttonLayout);
    // The slider's marks, once the window's slider exists.
    void attachToSlider();
    QTreeView* tripListView() const { return m_view; }
    QToolButton* filesButton() const { return m_filesButton; }
    QToolButton* tripsButton() const { return m_tripsButton; }
    TKSliderMarks* sliderMarks() const { return m_marks; }

    bool showsTrips() const { return m_showsTrips; }
    void setShowsTrips(bool trips);
    void toggleShowsTrips() { setShowsTrips(!m_showsTrips); }

    // A finished walk: the trips are worked out on a worker, then their telemetry; the
    // work for an earlier list is dropped.
    void listReloaded();
    const std::vector<RVXTrip>& trips() const { return m_trips; }
    std::optional<double> distanceOf(size_t trip) const;

    bool playsTrip() const { return m_timeline.has_value(); }
    std::optional<size_t> playingTrip() const;
    // The trip segment on screen and its unit's second.
    size_t playingSegment() const { return m_segment; }
    double tripSecond() const;
    void playTrip(size_t trip, double tripSecond = 0);
    // Back to single recordings: the list's row plays as it always did.
    void leaveTrip();

    // Asked by the window controller while a trip plays.
    double sliderPosition(double unitPosition) const;
    QString timeText() const;
    void seekToPosition(double tripPosition);
    void jump(double seconds);
    void unitStarted();
    void unitTimeChanged();
    // The unit ended without a border handing over (the trip's last, or a failed
    // preparation): true when the trip went on.
    bool unitEnded();
    const std::optional<RVXTripTelemetry>& playingTelemetry() const { return m_playingTelemetry; }
    // How many borders were crossed by the spare pair, without a new start.
    int handovers() const { return m_handovers; }

    void die();

Q_SIGNALS:
    void tripsChanged();
    void tripTelemetryRead(size_t trip);
    void handedOver(size_t segment);

private:
    void tripsRead(uint64_t generation, std::vector<RVXTrip> trips);
    void telemetryRead(uint64_t generation, size_t trip, RVXTripTelemetry telemetry);
    void makeSparePlayers();
    void fillModel();
    void markPlayingUnit();
    void activated(const class QModelIndex& index);
    int64_t mediaIndexOf(const RVXTripUnit& unit) const;
    void startSegment(size_t segment, double unitSecond, bool paused = false);
    // A start made paused stops at its first picture, at its second.
    void holdPausedStart();
    void prepareNext();
    void scheduleHandover();
    void spareTimeChanged(VLCMediaPlayer* player);
    void playerStateChanged(VLCMediaPlayer* player);
    void handOver();
    void releaseSpare();
    // Stops a pair's player off the UI thread, then takes its media.
    void releaseAsync(VLCMediaPlayer* player);
    bool isSpareInUse(const VLCMediaPlayer* player) const;
    void applyGraphAndTrack();
    double unitLength() const;

    RVXAppDelegate* d;
    QTreeView* m_view = nullptr;
    QStandardItemModel* m_model = nullptr;
    QToolButton* m_filesButton = nullptr;
    QToolButton* m_tripsButton = nullptr;
    TKSliderMarks* m_marks = nullptr;
    TKSliderMarks* m_fullScreenMarks = nullptr;
    bool m_showsTrips = false;

    uint64_t m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::vector<RVXTrip> m_trips;
    std::vector<std::optional<RVXTripTelemetry>> m_telemetry;

    std::optional<RVXTripTimeline> m_timeline;
    size_t m_tripIndex = 0;
    size_t m_segment = 0;
    std::optional<double> m_pendingUnitSecond;
    // The unit second a paused start stops at once its first picture is out.
    std::optional<double> m_pausedStartSecond;
    std::optional<RVXTripTelemetry> m_playingTelemetry;
    std::unique_ptr<RVXTripSparePair> m_spare;
    int m_handovers = 0;
    QThreadPool m_releases;
};
