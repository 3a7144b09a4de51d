// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cardtools/RVXTimeSetFile.h"

#include "core/support/RVXCFormat.h"

#include <QFile>

QByteArray RVXTimeSetText(const QDate& date, const QTime& time) {
    // Built from the numbers, not a locale's formatter, so no other calendar or digits creep in.
    return RVXCFormat("%04d/%02d/%02d %02d:%02d:%02d", date.year(), date.month(), date.day(),
                      time.hour(), time.minute(), time.second())
        .toLatin1();
}

std::optional<QString> doWriteConfigFile(const QString& path, const QDate& date,
                                         const QTime& time) {
    if (!date.isValid() || !time.isValid() || date.year() < 0 || date.year() > 9999)
        return QStringLiteral("the date or time is not valid");
    const QByteArray text = RVXTimeSetText(date, time);
    QFile file(path);
    // ReadWrite, unlike WriteOnly, does not cut the file short.
    if (!file.open(QIODevice::ReadWrite) || !file.seek(0) || file.write(text) != text.size() ||
        !file.flush())
        return file.errorString();
    return std::nullopt;
}
