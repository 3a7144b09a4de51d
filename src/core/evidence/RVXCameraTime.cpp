// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/evidence/RVXCameraTime.h"

#include "core/catalogue/RVXTrip.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

QString RVXCameraTime::text(double seconds) {
    return RVXTrip::clockTimeOf(0)
        .addMSecs(std::llround(seconds * 1000))
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QString RVXCameraTime::tenths(double seconds) {
    const qint64 tenth = std::llround(seconds * 10);
    return RVXTrip::clockTimeOf(0).addMSecs(tenth * 100).toString(QStringLiteral("HH:mm:ss")) +
           u'.' + QString::number(((tenth % 10) + 10) % 10);
}

std::optional<double> RVXCameraTime::parse(const QString& text, QString* why) {
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})[T ](\d{2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?(.*)$)"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    const auto fail = [&](const QString& reason) {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (!m.hasMatch())
        return fail(QStringLiteral("%1 is not a time of the form yyyy-MM-ddTHH:mm:ss").arg(text));
    static const QRegularExpression zone(QStringLiteral(R"(^(Z|[+-]\d{2}(:?\d{2})?)$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const QString rest = m.captured(8); !rest.isEmpty())
        return fail(
            zone.match(rest).hasMatch()
                ? QStringLiteral("%1 has a time zone; give the camera's own time, as on "
                                 "the card, without Z or an offset")
                      .arg(text)
                : QStringLiteral("%1 is not a time of the form yyyy-MM-ddTHH:mm:ss").arg(text));
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QString fraction = m.captured(7).leftJustified(3, u'0');
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                     fraction.toInt());
    if (!date.isValid() || !time.isValid())
        return fail(QStringLiteral("%1 is not a date and time of the calendar").arg(text));
    return double(QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch()) / 1000;
}
