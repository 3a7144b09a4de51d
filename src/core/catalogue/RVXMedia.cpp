// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXMedia.h"

#include "core/support/RVXCFormat.h"

#include <QDir>

namespace {

struct TimeFieldPrefix {
    const char* prefix;
    int32_t division;
    int start;
};

// Tested in this order; the camera only writes these three.
constexpr TimeFieldPrefix kPrefixes[] = {
    {"alwa_", RVXMediaDivisionAlways, 5},
    {"motion_", RVXMediaDivisionMotion, 7},
    {"event_", RVXMediaDivisionEvent, 6},
};

const TimeFieldPrefix* prefixOf(QStringView name) {
    for (const auto& p : kPrefixes) {
        if (name.startsWith(QLatin1String(p.prefix)))
            return &p;
    }
    return nullptr;
}

bool isCSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// The camera's names are read like the C library's decimal conversion: leading blanks
// and a sign pass, digits are taken up to the first non-digit, no digits at all give 0.
int32_t decimalValue(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int32_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    return negative ? -value : value;
}

struct FieldLayout {
    int offset;
    int length;
    int32_t min;
    int32_t max;
};

// Positions within "yyyymmdd_hhmiss". The upper bounds are inclusive (hour 24, minute
// and second 60): refusing such names would hide recordings a card may hold.
constexpr FieldLayout kTimeFields[6] = {
    {0, 4, 1970, 2700}, {4, 2, 1, 12}, {6, 2, 1, 31}, {9, 2, 0, 24}, {11, 2, 0, 60}, {13, 2, 0, 60},
};

} // namespace

std::shared_ptr<const RVXMedia> RVXMedia::mediaWithPath(const QString& path) {
    return std::make_shared<const RVXMedia>(path);
}

RVXMedia::RVXMedia(const QString& path) {
    parsePath(path);
}

RVXMedia::RVXMedia(const QString& absoluteDir, QStringView fileName) {
    m_dir = absoluteDir;
    // Appended into the reserved buffer: assigning the folder would share its text, and
    // the first append would then copy it into a buffer of its own, then grow that.
    m_path.reserve(absoluteDir.size() + 1 + fileName.size());
    m_path.append(absoluteDir);
    if (!m_path.endsWith(u'/'))
        m_path += u'/';
    m_path += fileName;
    parseName(m_path.size() - fileName.size());
}

bool RVXMedia::isRecordingNameLength(qsizetype length) {
    return length == 22 || length == 23 || length == 24;
}

QStringView RVXMedia::recordingName(QStringView name) {
    if (name.endsWith(kRepairedSuffix) &&
        isRecordingNameLength(name.size() - kRepairedSuffix.size()))
        name.chop(kRepairedSuffix.size());
    return name;
}

bool RVXMedia::isCandidateName(QStringView name) {
    return isRecordingNameLength(recordingName(name).size());
}

int RVXMedia::timeFieldStart(QStringView name) {
    const TimeFieldPrefix* p = prefixOf(name);
    return p ? p->start : -1;
}

bool RVXMedia::readTimeField(QStringView name, int start, int32_t fields[6]) {
    if (start < 0 || name.size() < start + 15)
        return false;
    for (int i = 0; i < 6; ++i) {
        const FieldLayout& f = kTimeFields[i];
        fields[i] = decimalValue(name.mid(start + f.offset, f.length));
        if (fields[i] < f.min || fields[i] > f.max)
            return false;
    }
    return true;
}

void RVXMedia::parsePath(const QString& path) {
    m_path = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    const qsizetype slash = m_path.lastIndexOf(u'/');
    m_dir = slash > 0 ? m_path.left(slash) : QStringLiteral("/");
    parseName(slash + 1);
}

void RVXMedia::parseName(qsizetype lastComponentOffset) {
    const QStringView last = QStringView(m_path).mid(lastComponentOffset);
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = last.lastIndexOf(u'.');
    m_nameOffset = lastComponentOffset;
    m_nameLength = dot > 0 ? dot : last.size();
    if (dot > 0) {
        // Nearly every file on a card ends in "MP4": share one literal instead of an
        // allocation per record, which a walk of thousands of recordings notices.
        const QStringView extension = last.mid(dot + 1);
        m_extension = extension == u"MP4" ? QStringLiteral("MP4") : extension.toString();
    }

    // A repaired copy is named after its recording, and is the same moment and side.
    const QStringView name = recordingName(mediaNameView());
    if (!isRecordingNameLength(name.size())) {
        clearMoment();
        return;
    }
    m_mediaDirection = RVXMediaDirectionNone;
    if (const TimeFieldPrefix* p = prefixOf(name)) {
        m_mediaDivision = p->division;
        int32_t fields[6] = {m_year, m_month, m_day, m_hour, m_minute, m_second};
        if (!readTimeField(name, p->start, fields)) {
            clearMoment();
            return;
        }
        m_year = fields[0];
        m_month = fields[1];
        m_day = fields[2];
        m_hour = fields[3];
        m_minute = fields[4];
        m_second = fields[5];
    }
    if (name.endsWith(QLatin1String("_F")))
        m_mediaDirection = RVXMediaDirectionFront;
    else if (name.endsWith(QLatin1String("_R")))
        m_mediaDirection = RVXMediaDirectionRear;
}

void RVXMedia::clearMoment() {
    m_year = m_month = m_day = m_hour = m_minute = m_second = 0;
}

bool RVXMedia::isRepairedCopy() const {
    return recordingName(mediaNameView()).size() != m_nameLength;
}

bool RVXMedia::hasMoment() const {
    return m_year || m_month || m_day || m_hour || m_minute || m_second;
}

QString RVXMedia::fileName() const {
    return mediaName() + u'.' + m_extension;
}

QString RVXMedia::mediaGroupName() const {
    return mediaGroupNameView().toString();
}

QStringView RVXMedia::mediaGroupNameView() const {
    const QStringView name = recordingName(mediaNameView());
    return name.chopped(qMin<qsizetype>(2, name.size()));
}

QString RVXMedia::yyyymmddhhmiss() const {
    return RVXCFormat("%04d%02d%02d%02d%02d%02d", m_year, m_month, m_day, m_hour, m_minute,
                      m_second);
}

int64_t RVXMedia::momentKey() const {
    return ((((int64_t(m_year) * 100 + m_month) * 100 + m_day) * 100 + m_hour) * 100 + m_minute) *
               100 +
           m_second;
}

// Every stored field is in range (or the moment is all zeros), so each takes its fixed
// width in yyyymmddhhmiss and comparing the numbers orders exactly like the texts.
int RVXMedia::compareDate(const RVXMedia& other) const {
    const int64_t a = momentKey(), b = other.momentKey();
    if (a != b)
        return a < b ? -1 : 1;
    if (m_mediaDivision != other.m_mediaDivision)
        return other.m_mediaDivision - m_mediaDivision;
    if (m_mediaDirection != other.m_mediaDirection)
        return m_mediaDirection < other.m_mediaDirection ? -1 : 1;
    return int(isRepairedCopy()) - int(other.isRepairedCopy());
}
