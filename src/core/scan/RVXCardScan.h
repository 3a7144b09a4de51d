// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXTrip.h"
#include "core/scan/RVXScanRecording.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

class RVXBlackBoxData;
struct _FILEDATA;

// What the scan takes from the card's settings: the driving impact thresholds
// (hundredths of g) and the camera's time zone.
struct RVXScanSettings {
    int xThreshold = 0;
    int yThreshold = 0;
    int zThreshold = 0;
    // Minutes the camera's clock stands ahead of UTC: the zone, plus 60 with summer time.
    int clockMinutesFromUtc = 0;
    // False without a sound config.bin: the defaults' zone is not the camera's, so the clock
    // cannot be judged.
    bool zoneKnown = true;

    static RVXScanSettings fromRecord(const _FILEDATA& record);
    // The folder's config.bin when it is a sound record, else the camera's defaults.
    static RVXScanSettings forFolder(const QString& folder);
};

struct RVXScanEvent {
    enum class Kind { Impact, Braking, Acceleration };
    Kind kind = Kind::Impact;
    // Camera local time, seconds counted as if UTC (as trips count them).
    double moment = 0;
    RVXMediaRef media;
    double offset = 0; // seconds into media
    // Impacts: the dynamic G of the peak sample (g) and its magnitude; the axes over.
    double x = 0, y = 0, z = 0, magnitude = 0;
    QString axes;
    // Braking and acceleration: the largest |a| in m/s^2.
    double acceleration = 0;
    std::optional<double> speedKmh;
    std::optional<double> latitude;
    std::optional<double> longitude;

    static const char* kindName(Kind kind);
};

struct RVXClockCheck {
    enum class State { Ok, Fast, Slow, Unknown };
    int units = 0;
    std::optional<double> offsetSeconds;
    State state = State::Unknown;
    // A whole number of 15 minutes the zone or summer time looks wrong by; 0 when not.
    int zoneMinutesOff = 0;
    // Unknown because the card does not say its time zone.
    bool zoneUnknown = false;

    static RVXClockCheck fromOffsets(std::vector<double> offsets);
    // The median of offsets each counted for its seconds (offset, seconds): a recording
    // for the seconds of the drive it gives.
    static RVXClockCheck fromWeightedOffsets(std::vector<std::pair<double, double>> offsets);
    static const char* stateName(State state);
    // "The camera's clock is 3 min 12 s fast."
    QString sentence() const;
};

// One pass over the telemetry of every unit of a folder: impacts against the camera's
// thresholds, hard braking and acceleration from GPS speed, and the camera's clock
// against GPS time. The drives are scanned along their timeline as trips play them:
// each second once, from the recording that plays there (a pair's front, or its rear
// where the front is cut short or unreadable).
class RVXCardScan {
public:
    static constexpr double kImpactJoinSeconds = 1.0;
    static constexpr double kHarshMs2 = 3.0;
    static constexpr double kMaxFixStepSeconds = 2.0;
    static constexpr double kClockToleranceSeconds = 2.0;

    struct Result {
        std::vector<RVXScanEvent> events; // in camera-time order
        RVXClockCheck clock;
        int units = 0;
        // Units whose telemetry could not be read, neither front nor rear.
        int skipped = 0;
        // Event recordings in whose seconds no impact was found.
        std::vector<RVXMediaRef> quietEventRecordings;
    };
    using Progress = std::function<void(int done, int total)>;

    // Units as RVXTrip gives them, in catalogue order, lengths read. Nothing when
    // cancelled.
    static std::optional<Result> scan(const std::vector<RVXTripUnit>& units,
                                      const RVXScanSettings& settings,
                                      const std::atomic<bool>* cancel = nullptr,
                                      const Progress& progress = {});

    // The pieces, on the whole of one recording's telemetry.
    static double sampleTime(const RVXTripUnit& unit, const RVXBlackBoxData& data, size_t k);
    static std::vector<RVXScanEvent> impacts(const RVXTripUnit& unit, const RVXBlackBoxData& data,
                                             const RVXScanSettings& settings);
    static std::vector<RVXScanEvent> harshEvents(const RVXTripUnit& unit,
                                                 const RVXBlackBoxData& data);
    // Camera time minus GPS time at the first valid dated fix, in seconds.
    static std::optional<double> clockOffset(const RVXTripUnit& unit, const RVXBlackBoxData& data,
                                             const RVXScanSettings& settings);

private:
    static std::optional<double> clockOffset(const RVXScanRecording& recording,
                                             const RVXScanSettings& settings);
};
