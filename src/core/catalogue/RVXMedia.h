// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>

enum RVXMediaDivision : int32_t {
    RVXMediaDivisionAlways = 0,
    RVXMediaDivisionMotion = 1,
    RVXMediaDivisionEvent = 2,
};

enum RVXMediaDirection : int32_t {
    RVXMediaDirectionFront = 0,
    RVXMediaDirectionRear = 1,
    RVXMediaDirectionNone = 2,
};

// One recording file, described by what its name says. Immutable once made, so the
// catalogue can hand the same record to the UI thread and to workers alike.
class RVXMedia {
public:
    static std::shared_ptr<const RVXMedia> mediaWithPath(const QString& path);
    explicit RVXMedia(const QString& path);
    // For a walk that already holds an absolute, clean folder path: skips the
    // normalisation of the path, which otherwise costs more than the rest of the parse.
    RVXMedia(const QString& absoluteDir, QStringView fileName);

    // Lengths of "alwa_yyyymmdd_hhmiss_F", "motion_yyyymmdd_hhmiss_F" and
    // "event_yyyymmdd_hhmiss_F": the only name lengths the camera writes.
    static bool isRecordingNameLength(qsizetype length);
    // A repaired copy's name: the recording's with this after it.
    static constexpr QLatin1StringView kRepairedSuffix{"_repaired"};
    // The camera's name a repaired copy's name was made from; any other name as it is.
    static QStringView recordingName(QStringView name);
    // A name (without its extension) of the camera's length or a repaired copy of one.
    static bool isCandidateName(QStringView name);
    // Start of the time field for the known prefixes, or -1 for a name without one.
    static int timeFieldStart(QStringView name);
    // Reads the six values of "yyyymmdd_hhmiss" at start; false when the name is too
    // short or a value is out of range. The values read before a failure are kept.
    static bool readTimeField(QStringView name, int start, int32_t fields[6]);

    const QString& path() const { return m_path; }
    QString mediaName() const { return mediaNameView().toString(); }
    // The name inside path: no copy, valid as long as the record.
    QStringView mediaNameView() const {
        return QStringView(m_path).mid(m_nameOffset, m_nameLength);
    }
    const QString& extension() const { return m_extension; }
    const QString& dir() const { return m_dir; }
    int32_t year() const { return m_year; }
    int32_t month() const { return m_month; }
    int32_t day() const { return m_day; }
    int32_t hour() const { return m_hour; }
    int32_t minute() const { return m_minute; }
    int32_t second() const { return m_second; }
    int32_t mediaDivision() const { return m_mediaDivision; }
    int32_t mediaDirection() const { return m_mediaDirection; }

    bool isFrontMedia() const { return m_mediaDirection == RVXMediaDirectionFront; }
    bool isRearMedia() const { return m_mediaDirection == RVXMediaDirectionRear; }
    bool isAlwaysMedia() const { return m_mediaDivision == RVXMediaDivisionAlways; }
    bool isMotionMedia() const { return m_mediaDivision == RVXMediaDivisionMotion; }
    bool isEventMedia() const { return m_mediaDivision == RVXMediaDivisionEvent; }
    // A copy made whole of the camera's recording of the name before kRepairedSuffix.
    bool isRepairedCopy() const;
    bool hasMoment() const;
    // yyyymmddhhmiss as a number: the same order as the text, without building it.
    int64_t momentKey() const;

    QString fileName() const;
    // The pairing key: a repaired copy is in the group of the recording it was made from.
    QString mediaGroupName() const;
    QStringView mediaGroupNameView() const;
    QString yyyymmddhhmiss() const;
    // Three-way order for sorting: earlier moment first, then the larger kind, then
    // front before rear before undetermined, then the camera's recording before a copy.
    int compareDate(const RVXMedia& other) const;

private:
    void parsePath(const QString& path);
    void parseName(qsizetype lastComponentOffset);
    void clearMoment();

    QString m_path;
    // The name is kept as a span of the path: one string per record instead of two.
    qsizetype m_nameOffset = 0;
    qsizetype m_nameLength = 0;
    QString m_extension;
    QString m_dir;
    int32_t m_year = 0;
    int32_t m_month = 0;
    int32_t m_day = 0;
    int32_t m_hour = 0;
    int32_t m_minute = 0;
    int32_t m_second = 0;
    int32_t m_mediaDivision = RVXMediaDivisionAlways;
    int32_t m_mediaDirection = RVXMediaDirectionFront;
};

using RVXMediaRef = std::shared_ptr<const RVXMedia>;
