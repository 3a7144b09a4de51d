// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoCard.h"

#include "CameraRecordingWriter.h"
#include "DemoDrive.h"

#include "core/cardtools/RVXTimeSetFile.h"
#include "core/drivelog/FlashDataRecord.h"
#include "core/settings/RVXSettingFile.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

// Recordings are named in local time; the card's clock is set to Vienna, UTC+1 in March.
constexpr int kLocalOffsetSeconds = 3600;

DemoCard::Recording recording(const QString& kind, const QDateTime& local, bool rear,
                              double duration, double driveOffset, double impactAt = -1) {
    const QString folder = local.toString(QStringLiteral("yyyyMMdd"));
    const QString name =
        kind + local.toString(QStringLiteral("yyyyMMdd_HHmmss")) + (rear ? "_R" : "_F");
    QDateTime utc = local.addSecs(-kLocalOffsetSeconds);
    utc.setTimeSpec(Qt::UTC);
    return {folder, name, duration, driveOffset, utc, impactAt, rear};
}

} // namespace

std::vector<DemoCard::Recording> DemoCard::plan() {
    const QDateTime day1(QDate(2026, 3, 14), QTime(8, 15, 0), Qt::UTC);
    const QDateTime day2(QDate(2026, 3, 15), QTime(17, 42, 0), Qt::UTC);
    std::vector<Recording> plan;
    for (bool rear : {false, true}) {
        plan.push_back(recording(QStringLiteral("alwa_"), day1, rear, 15, 0));
        plan.push_back(recording(QStringLiteral("motion_"), day1.addSecs(15), rear, 12, 15));
        plan.push_back(recording(QStringLiteral("event_"), day1.addSecs(27), rear, 14, 27, 6.0));
    }
    plan.push_back(recording(QStringLiteral("alwa_"), day1.addSecs(41), false, 15, 41));
    // The next day's drive, with the hard stop 7 s in.
    plan.push_back(recording(QStringLiteral("alwa_"), day2, true, 12, 130));
    return plan;
}

std::optional<QString> DemoCard::encodeVideo(const QString& ffmpeg, double duration, bool rear,
                                             const QString& outPath) {
    const QString seconds = QString::number(duration);
    // The rear camera looks backwards: mirror it and shift its colours so the two
    // players are told apart at a glance.
    const QString video = QStringLiteral("testsrc2=size=640x360:rate=30:duration=") + seconds +
                          (rear ? QStringLiteral(",hflip,hue=h=150") : QString());
    const QString audio = QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2")
                              .arg(rear ? 330 : 440)
                              .arg(seconds);
    const QStringList args = {
        "-hide_banner", "-loglevel", "error",    "-nostdin", "-y",        "-f",       "lavfi",
        "-i",           video,       "-f",       "lavfi",    "-i",        audio,      "-c:v",
        "libx264",      "-preset",   "veryfast", "-g",       "30",        "-pix_fmt", "yuv420p",
        "-c:a",         "aac",       "-b:a",     "96k",      "-shortest", outPath};
    QProcess process;
    process.start(ffmpeg, args);
    if (!process.waitForStarted())
        return QStringLiteral("cannot start %1: %2").arg(ffmpeg, process.errorString());
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 failed: %2")
            .arg(ffmpeg, QString::fromLocal8Bit(process.readAllStandardError()));
    return std::nullopt;
}

std::optional<QString> DemoCard::write(const QString& dir, const QString& ffmpeg,
                                       const std::function<void(const QString&)>& progress) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return QStringLiteral("cannot make a temporary folder: %1").arg(scratch.errorString());
    const DemoDrive drive;
    for (const Recording& r : plan()) {
        const QString folder = QDir(dir).filePath(r.folder);
        if (!QDir().mkpath(folder))
            return QStringLiteral("cannot make %1").arg(folder);
        const QString encoded = scratch.filePath(r.name + QStringLiteral(".mp4"));
        if (auto error = encodeVideo(ffmpeg, r.duration, r.rear, encoded))
            return error;
        const TelemetryRecords records =
            drive.recordsFor(r.driveOffset, r.duration, r.startUtc, r.impactAt);
        const QString out = QDir(folder).filePath(r.name + QStringLiteral(".MP4"));
        if (auto error = CameraRecordingWriter::writeFile(encoded, records, out))
            return error;
        QFile::remove(encoded);
        if (progress)
            progress(out);
    }
    if (auto error = writeCardFiles(dir))
        return error;
    if (progress)
        progress(QDir(dir).filePath(QStringLiteral("config.bin")));
    return std::nullopt;
}

namespace {

// One drive-log record every five seconds of the recorded drive, in local time.
std::vector<FlashDataRecord> driveLog(const DemoDrive& drive) {
    std::vector<FlashDataRecord> log;
    uint16_t maximum = 0;
    for (const DemoCard::Recording& r : DemoCard::plan()) {
        if (r.rear)
            continue;
        for (double t = 0; t < r.duration; t += 5) {
            const double at = r.driveOffset + t;
            const DemoDrive::State s = drive.stateAt(at);
            const QDateTime local =
                r.startUtc.addMSecs(qint64(t * 1000)).addSecs(kLocalOffsetSeconds);
            FlashDataRecord f;
            f.sequence = uint16_t(log.size() + 1);
            f.dayOfWeek = uint8_t(local.date().dayOfWeek() % 7);
            f.status = 1;
            f.year = uint8_t(local.date().year() - 1900);
            f.month = uint8_t(local.date().month());
            f.day = uint8_t(local.date().day());
            f.hour = uint8_t(local.time().hour());
            f.minute = uint8_t(local.time().minute());
            f.second = uint8_t(local.time().second());
            const auto split = [](double degrees, uint16_t& whole, uint16_t& fraction) {
                const int d = int(degrees);
                const double minutes = (degrees - d) * 60;
                whole = uint16_t(d * 100 + int(minutes));
                fraction = uint16_t(std::lround((minutes - int(minutes)) * 10000) % 10000);
            };
            split(s.latitude, f.latitudeWhole, f.latitudeFraction);
            split(s.longitude, f.longitudeWhole, f.longitudeFraction);
            f.currentSpeed = uint16_t(std::lround(s.speedKmh));
            maximum = std::max(maximum, f.currentSpeed);
            f.maximumSpeed = maximum;
            f.distance = uint32_t(std::lround(drive.distanceAt(at) / 100)); // tenths of a kilometre
            f.x = int16_t(std::lround(s.accelerationMs2 / 9.80665 * 256));
            f.y = int16_t(std::lround(s.lateralMs2 / 9.80665 * 256));
            f.z = 256;
            f.battery = int16_t(124 + int(log.size() % 3)); // 12.4 V to 12.6 V
            log.push_back(f);
        }
    }
    return log;
}

} // namespace

std::optional<QString> DemoCard::writeCardFiles(const QString& dir) {
    _FILEDATA settings{};
    makeDefaultSetting(settings);
    settings.time_gmt = findTimeZoneIndexForOffset(kLocalOffsetSeconds);
    RVXSetSettingText(settings.szPlateNumber, sizeof settings.szPlateNumber, plateNumber());
    RVXSealSetting(settings);
    if (auto error = writeSettingFile(settings, QDir(dir).filePath(QStringLiteral("config.bin"))))
        return QStringLiteral("config.bin: ") + *error;

    const QString logDir = QDir(dir).filePath(QStringLiteral("DrvInfo"));
    QFile log(QDir(logDir).filePath(QStringLiteral("zamo_000.drv")));
    const QByteArray bytes = flashDataFileBytes(driveLog(DemoDrive()));
    if (!QDir().mkpath(logDir) || !log.open(QIODevice::WriteOnly) ||
        log.write(bytes) != bytes.size())
        return QStringLiteral("%1: %2").arg(log.fileName(), log.errorString());
    log.close();

    const QDateTime first = plan().front().startUtc.addSecs(kLocalOffsetSeconds);
    if (auto error = doWriteConfigFile(QDir(dir).filePath(QStringLiteral("timeset.cfg")),
                                       first.date(), first.time()))
        return QStringLiteral("timeset.cfg: ") + *error;
    return std::nullopt;
}
