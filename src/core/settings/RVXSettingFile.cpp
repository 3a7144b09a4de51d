// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXSettingFile.h"
#include "core/support/RVXLocalizedString.h"

#include "core/cardtools/RVXKeptSettings.h"

#include "core/support/RVXLittleEndian.h"
#include "core/support/RVXLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kRecordSize = int(sizeof(_FILEDATA));
const QString kFileOpenFail = QStringLiteral("msg.file_open_fail");
const QString kCardFull = QStringLiteral("msg.card_full");

// Walks the numeric words of every field: 2 or 4 bytes little-endian on the card,
// native in memory. Text and single bytes have no byte order.
template <typename Visit> void eachWord(Visit visit) {
    for (const RVXSettingField& f : RVXSettingFields()) {
        switch (f.kind) {
        case RVXFieldKind::U16:
            visit(f.offset, 2);
            break;
        case RVXFieldKind::U32:
        case RVXFieldKind::I32:
        case RVXFieldKind::F32:
            visit(f.offset, 4);
            break;
        case RVXFieldKind::U32Array:
            for (int i = 0; i < f.width; i += 4)
                visit(f.offset + i, 4);
            break;
        case RVXFieldKind::U8:
        case RVXFieldKind::Text:
            for (int i = 0; i < f.width; ++i)
                visit(f.offset + i, 1);
            break;
        }
    }
}

std::optional<QString> fail(const QString& what, int error) {
    RVXLog(QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error))));
    return kFileOpenFail;
}

bool writeAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= size_t(n);
    }
    return true;
}

// The replacement keeps the old file's permissions; a new file is readable by all.
mode_t modeFor(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0644;
}

// The rename would replace a file whatever its modes, where writing into it would
// fail: a config.bin the user made read-only stays as it is.
bool isWriteProtected(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (stat(name.constData(), &info) != 0)
        return false;
    // Root may write anything; the missing write bits still say what the user meant.
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           access(name.constData(), W_OK) != 0;
}

// A full card has no free cluster for the new file, but the old one's are there to be
// written over: a copy of the old record is kept first, then the 500 bytes go over the
// old ones in place (no truncation, which could free what the write then lacks).
std::optional<QString> overwriteInPlace(const QByteArray& bytes, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        RVXLog(QStringLiteral("%1: the card is full").arg(path));
        return kCardFull;
    }
    QByteArray old(kRecordSize, '\0');
    const ssize_t got = ::pread(fd, old.data(), size_t(old.size()), 0);
    const auto kept =
        RVXKeptSettings::keep(old.left(got > 0 ? got : 0), QStringLiteral("card-full"));
    if (const QString* why = std::get_if<QString>(&kept)) {
        ::close(fd);
        RVXLog(QStringLiteral("%1: the old record could not be kept: %2").arg(path, *why));
        return kCardFull;
    }
    RVXLog(QStringLiteral("%1: the card is full; the old record is kept in %2")
               .arg(path, std::get<RVXKeptSettings::Kept>(kept).path));
    int error = 0;
    if (::pwrite(fd, bytes.constData(), size_t(bytes.size()), 0) != bytes.size())
        error = errno ? errno : EIO;
    else if (fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error == ENOSPC)
        return kCardFull;
    return error ? fail(path, error) : std::nullopt;
}

} // namespace

QByteArray RVXSettingBytes(const _FILEDATA& record) {
    QByteArray out(kRecordSize, '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(&record);
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    eachWord([&](int offset, int width) {
        uint32_t native = 0;
        if (width == 2) {
            uint16_t v;
            std::memcpy(&v, in + offset, 2);
            native = v;
        } else if (width == 4) {
            std::memcpy(&native, in + offset, 4);
        } else {
            native = in[offset];
        }
        RVXWriteLittleEndian(bytes + offset, native, width);
    });
    return out;
}

void RVXSettingFromBytes(const QByteArray& bytes, _FILEDATA& record) {
    QByteArray merged = RVXSettingBytes(record);
    std::memcpy(merged.data(), bytes.constData(),
                size_t(std::min<qsizetype>(bytes.size(), kRecordSize)));
    const auto* in = reinterpret_cast<const unsigned char*>(merged.constData());
    auto* out = reinterpret_cast<unsigned char*>(&record);
    eachWord([&](int offset, int width) {
        const uint32_t v = RVXReadLittleEndian(in + offset, width);
        if (width == 2) {
            const uint16_t h = uint16_t(v);
            std::memcpy(out + offset, &h, 2);
        } else if (width == 4) {
            std::memcpy(out + offset, &v, 4);
        } else {
            out[offset] = uint8_t(v);
        }
    });
}

bool readSettingFile(const QString& path, _FILEDATA& record) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    RVXSettingFromBytes(file.read(kRecordSize), record);
    return true;
}

// A save must never cost the card its settings: the record goes to a new file beside
// the old one, is synced, and only then takes the old one's name.
std::optional<QString> writeSettingFile(const _FILEDATA& record, const QString& path) {
    return writeSettingBytes(RVXSettingBytes(record), path);
}

std::optional<QString> writeSettingBytes(const QByteArray& bytes, const QString& path) {
    if (isWriteProtected(path))
        return fail(path, EACCES);
    const QFileInfo info(path);
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return errno == ENOSPC ? overwriteInPlace(bytes, path) : fail(path, errno);
    int error = 0;
    if (!writeAll(fd, bytes.constData(), size_t(bytes.size())))
        error = errno ? errno : EIO;
    else if (fsync(fd) != 0)
        error = errno;
    else if (fchmod(fd, modeFor(path)) != 0 && errno != EPERM) // FAT has no modes to set
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && std::rename(temp.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.constData());
        return error == ENOSPC ? overwriteInPlace(bytes, path) : fail(path, error);
    }
    // The new name itself is durable only once the folder is synced.
    const int dir =
        ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

std::optional<QString> settingFileDamage(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.exists() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kRecordSize + 1);
    if (bytes.size() != kRecordSize) {
        return RVXLocalizedString("msg.setting_file_damaged_fmt")
            .arg(QStringLiteral("%1 bytes").arg(file.size()));
    }
    _FILEDATA record{};
    RVXSettingFromBytes(bytes, record);
    if (record.checksum != 0 && record.checksum != RVXSettingChecksum(record))
        return RVXLocalizedString("msg.setting_file_bad_checksum");
    return std::nullopt;
}

void makeDefaultSetting(_FILEDATA& r) {
    // checksum, time_gmt, summer_time, Brightness1 and dummy1 keep what they held.
    r.cfg_ver = 22310;
    r.disp_segment_mode = 1;
    r.sd_mem_always_ratio = 70;
    r.sd_mem_event_ratio = 10;
    r.sd_mem_motion_ratio = 20;
    r.sd_mem_always_reserved = 12100;
    r.sd_mem_event_reserved = 0;
    r.sd_mem_motion_reserved = 0;
    r.aud_enable = 3;
    r.aud_codec_type = 0;
    r.aud_sampling_freq = 1;
    r.aud_bitrate = 1;
    r.aud_input_vol = 3;
    r.aud_output_vol = 2;
    r.vid_enc_res = 0;
    r.vid_enc_bitrate = 1;
    r.vid_framerate = 0;
    r.vid_brightness = 2;
    r.vid_contrast = 2;
    r.vid_saturation = 128;
    r.vid_sharpness = 2;
    r.vid_hue = 2;
    r.gsen_x_threshold = 45;
    r.gsen_y_threshold = 45;
    r.gsen_z_threshold = 45;
    r.always_mode_timeout = 10;
    r.parkmode_x_threshold = 8;
    r.parkmode_y_threshold = 8;
    r.parkmode_z_threshold = 8;
    r.motion1080pCValue = 3;
    r.motion720pCValue = 3;
    r.motionBlock = 96;
    r.high_temp_threshold = 97;
    r.high_temp_duration = 3600;
    r.safe_temp_threshold = 92;
    r.safe_temp_duration = 60;
    r.composite_mode = 0;
    r.osd_option = 0;
    r.osd_speed_flag = 1;
    r.osd_plate_flag = 0;
    r.plate_number = 0;
    r.speed_disp_unit = 1;
    r.nodriving_day = 0;
    r.auto_drive_in_mode_on = 1;
    r.auto_park_in_mode_on = 1;
    r.motion_detect_mode_on = 1;
    r.event_only_mode_on = 0;
    r.g_sensor_enable = 1;
    r.audio_mux_enable = 1;
    r.safe_temp_mode_on = 1;
    r.alarm_ontime_flag = 1;
    r.voiceEnable = 1;
    r.drivingSecurity = 60;
    r.parkingSecurity = 20;
    r.SaveDuration = 1;
    r.MemConfig = 176;
    r.BrightnessFixed = 3000;
    r.DayTime = 1;
    r.NightTime = 0;
    r.ledoff = 0;
    r.Gamma = 0;
    RVXSetSettingText(r.szPlateNumber, 8, QStringLiteral("Zamo"));
    r.vid_enc_bitrate_R = 1;
    r.vid_brightness_R = 2;
    r.vid_sharpness_R = 2;
    r.lcd_autopoweroff = 2;
    r.lcd_brightness = 2;
    r.lcd_screensaver = 0;
    r.parking_rear_off = 0;
    r.sd2_mem_always_ratio = 1;
    r.sd2_mem_event_ratio = 98;
    r.sd2_mem_motion_ratio = 1;
    r.flip_video = 0;
    r.parking_alarm = 1;
    r.rear_fps = 0;
    r.motion_zone = 0;
    r.motionBlock_Rear = 96;
    r.ledoff_rear = 0;
    r.always_mode_recording_time = 1;
    r.pip_position = 0;
    r.always_motion = 0;
    r.lcd_brightness_night = 1;
    r.size_rear = 0;
    r.front_cpl_use = 0;
    r.rear_cpl_use = 0;
    RVXSetSettingText(r.wifi_ssid, 16, QStringLiteral("ZamoA"));
    RVXSetSettingText(r.wifi_password, 16, QStringLiteral("58205820"));
    r.CableVoltCorr = 4;
    r.autoFormatAlarm = 2;
    r.ADAS_Car = 0;
    r.ADAS_Ldws_Speed = 30;
    r.ADAS_FCWS_Speed = 30;
    r.ADAS_FCMD_Enable = 1;
    r.ADAS_LDWS_Sens = 10;
    r.ADAS_FCWS_Sens = 6;
    r.ADAS_FCMD_Sens = 1;
    r.vide_wdr_enable = 1;
    r.ParkingMode = 0;
    r.En_SuperNightVision = 0;
    r.wifi_channel = 0;
    r.vibrator = 1;
    r.viewAngle = 0;
    r.recordChannel = 0;
    r.LDW_width_L = 1.0f;
    r.LDW_width_R = 1.0f;
    r.LaneWidth = 4;
    r.ADAS_uFCWS_Sens = 4;
    r.ADAS_HeadWayFactor = 1.5f;
    r.ADAS_SafeDistacne = 1.25f;
    r.blackboxHeight = 1.35f;
    r.wifiStartMode = 0;
    std::fill(std::begin(r.dummy00), std::end(r.dummy00), 0u);
    r.debug_mode = 1;
}

std::optional<QString> writeDefaultSettingFile(const QString& path) {
    _FILEDATA record{};
    makeDefaultSetting(record);
    return writeSettingFile(record, path);
}

uint16_t RVXSettingChecksum(const _FILEDATA& record) {
    const QByteArray bytes = RVXSettingBytes(record);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    uint32_t sum = 0;
    for (int offset = 4; offset < kRecordSize; offset += 4)
        sum ^= RVXReadLittleEndian(p + offset, 4);
    return uint16_t(sum & 0xffff);
}

void RVXSealSetting(_FILEDATA& record) {
    record.osd_plate_flag = record.szPlateNumber[0] != 0 ? 1 : 0;
    record.checksum = 0;
    record.checksum = RVXSettingChecksum(record);
}

void RVXSetSettingText(char* field, int width, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::memset(field, 0, size_t(width));
    std::memcpy(field, utf8.constData(), size_t(std::min<qsizetype>(utf8.size(), width)));
}

QString RVXSettingText(const char* field, int width) {
    const char* end = std::find(field, field + width, '\0');
    return QString::fromUtf8(field, end - field);
}

int findTimeZoneIndexForOffset(int secondsFromUtc) {
    const int hours = secondsFromUtc / 3600;
    const int minutes = (secondsFromUtc % 3600) / 60;
    const int value = hours * 100 + minutes;
    const auto it = std::find(kRVXTimeZoneTable.begin(), kRVXTimeZoneTable.end(), value);
    return it == kRVXTimeZoneTable.end() ? -1 : int(it - kRVXTimeZoneTable.begin());
}

int findTimeZoneIndex(const QTimeZone& zone, const QDateTime& at) {
    return findTimeZoneIndexForOffset(zone.offsetFromUtc(at));
}

int findTimeZoneIndex() {
    return findTimeZoneIndex(QTimeZone::systemTimeZone(), QDateTime::currentDateTime());
}
