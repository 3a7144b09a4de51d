// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXMediaSide.h"

#include "core/catalogue/RVXMedia.h"

int32_t RVXMediaDirectionOfLocation(const QString& path) {
    if (path.size() < 6)
        return RVXMediaDirectionNone;
    const QStringView tail = QStringView(path).right(6);
    if (tail.compare(QLatin1String("_R.MP4"), Qt::CaseInsensitive) == 0)
        return RVXMediaDirectionRear;
    if (tail.compare(QLatin1String("_F.MP4"), Qt::CaseInsensitive) == 0)
        return RVXMediaDirectionFront;
    return RVXMediaDirectionNone;
}
