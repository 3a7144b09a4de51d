// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RVXEvidenceSheetWriter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

// Millimetres on the page; the painter works in device units.
class Page {
public:
    explicit Page(QPdfWriter& writer)
        : m_writer(writer)
        , m_painter(&writer)
        , m_unit(writer.resolution() / 25.4) {}

    QPainter& painter() { return m_painter; }
    double px(double mm) const { return mm * m_unit; }
    QRectF rect(double x, double y, double w, double h) const {
        return QRectF(px(x), px(y), px(w), px(h));
    }
    bool ok() const { return m_painter.isActive(); }

    void font(double points, bool bold = false, bool mono = false) {
        QFont f(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
        f.setStyleHint(mono ? QFont::TypeWriter : QFont::SansSerif);
        f.setPointSizeF(points);
        f.setBold(bold);
        m_painter.setFont(f);
    }
    // A paragraph at the cursor, wrapped to the text width; the cursor moves below it.
    void text(const QString& t, double points = 9.5, bool bold = false, bool mono = false) {
        font(points, bold, mono);
        const QRectF box = rect(kLeft, y, kWidth, 200);
        const QRectF used = m_painter.boundingRect(box, Qt::TextWordWrap, t);
        breakIfBelow(used.height() / m_unit);
        m_painter.drawText(rect(kLeft, y, kWidth, 200), Qt::TextWordWrap, t);
        y += used.height() / m_unit + 1.2;
    }
    void heading(const QString& t) {
        y += 2;
        text(t, 11, true);
    }
    void breakIfBelow(double mm) {
        if (y + mm > 285) {
            m_writer.newPage();
            y = 15;
        }
    }

    static constexpr double kLeft = 15, kWidth = 180;
    double y = 15;

private:
    QPdfWriter& m_writer;
    QPainter m_painter;
    double m_unit;
};

constexpr double kMetresPerDegree = 111195; // on a sphere of the Earth's mean radius
const QColor kGrid(0xe2, 0xe2, 0xe2);
const QColor kInk(0x33, 0x33, 0x33);

// A signed number as the axes write it: a true minus sign, a plus on the positive side.
QString signedNumber(double v) {
    const QString digits = QString::number(std::abs(v), 'g', 6);
    return v < 0 ? u'\u2212' + digits : v > 0 ? u'+' + digits : digits;
}

// The first of 1, 2, 5, 10, 20, 50 ... at least wanted.
double niceStep(double wanted) {
    double decade = std::pow(10.0, std::floor(std::log10(std::max(wanted, 1e-9))));
    for (;; decade *= 10) {
        for (const double m : {1.0, 2.0, 5.0}) {
            if (m * decade >= wanted - 1e-9)
                return m * decade;
        }
    }
}

// A bar of a round length at the map's bottom left: pixelsPerMetre across, at most a
// third of the map wide.
void drawScaleBar(Page& page, const QRectF& box, double pixelsPerMetre) {
    QPainter& p = page.painter();
    const double most = box.width() / 3 / pixelsPerMetre;
    // The longest of 1, 2, 5, 10, 20, 50 ... metres that fits.
    const double decade = std::pow(10.0, std::floor(std::log10(most)));
    const double metres = most >= 5 * decade   ? 5 * decade
                          : most >= 2 * decade ? 2 * decade
                                               : decade;
    const double length = metres * pixelsPerMetre;
    const QPointF from(box.left() + page.px(3), box.bottom() - page.px(3));
    const QPointF to(from.x() + length, from.y());
    const double tick = page.px(1.2);
    p.setPen(QPen(kInk, page.px(0.35)));
    p.drawLine(from, to);
    p.drawLine(from, from - QPointF(0, tick));
    p.drawLine(to, to - QPointF(0, tick));
    page.font(6.5);
    const QString label = metres >= 1000 ? QStringLiteral("%1 km").arg(metres / 1000, 0, 'g', 6)
                                         : QStringLiteral("%1 m").arg(metres, 0, 'g', 6);
    p.drawText(QRectF(from.x(), from.y() - page.px(5), std::max(length, page.px(15)), page.px(4)),
               Qt::AlignLeft | Qt::AlignBottom, label);
}

// The track in an equirectangular projection, north up, the moment a red dot.
void drawMap(Page& page, const RVXEvidenceSheet& s, const QRectF& box) {
    QPainter& p = page.painter();
    p.save();
    p.setPen(QPen(QColor(0x88, 0x88, 0x88), page.px(0.2)));
    p.setBrush(QColor(0xf4, 0xf1, 0xea));
    p.drawRect(box);
    std::vector<std::pair<double, double>> points = s.track;
    if (s.longitude && s.latitude)
        points.emplace_back(*s.longitude, *s.latitude);
    if (points.empty()) {
        p.drawText(box, Qt::AlignCenter, QStringLiteral("no positions"));
        p.restore();
        return;
    }
    double west = 1e9, east = -1e9, south = 1e9, north = -1e9;
    for (auto [lon, lat] : points) {
        west = std::min(west, lon), east = std::max(east, lon);
        south = std::min(south, lat), north = std::max(north, lat);
    }
    const double midLat = (south + north) / 2 * M_PI / 180;
    // At least 100 m across, so a standing car is not one point blown up.
    const double spanX = std::max((east - west) * std::cos(midLat), 0.0009);
    const double spanY = std::max(north - south, 0.0009);
    // Pixels per degree of latitude, and so per degree of longitude times its cosine.
    const double scale = std::min(box.width() * 0.85 / spanX, box.height() * 0.85 / spanY);
    const QPointF centre = box.center();
    const auto at = [&](double lon, double lat) {
        return QPointF(centre.x() + (lon - (west + east) / 2) * std::cos(midLat) * scale,
                       centre.y() - (lat - (south + north) / 2) * scale);
    };
    QPainterPath path;
    for (size_t i = 0; i < s.track.size(); ++i) {
        const QPointF q = at(s.track[i].first, s.track[i].second);
        i == 0 ? path.moveTo(q) : path.lineTo(q);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xd0, 0x80, 0x10), page.px(0.6)));
    p.drawPath(path);
    if (s.longitude && s.latitude) {
        p.setPen(QPen(Qt::white, page.px(0.3)));
        p.setBrush(QColor(0xd0, 0x20, 0x20));
        p.drawEllipse(at(*s.longitude, *s.latitude), page.px(1.4), page.px(1.4));
    }
    p.setPen(QColor(0x55, 0x55, 0x55));
    page.font(6.5);
    p.drawText(box.adjusted(page.px(1), page.px(1), -page.px(1), -page.px(1)),
               Qt::AlignRight | Qt::AlignTop, QStringLiteral("N \u2191"));
    drawScaleBar(page, box, scale / kMetresPerDegree);
    p.restore();
}

// Curves over the window's seconds, with the moment a vertical line at 0; values on the
// left, seconds from the moment below.
void drawCurves(Page& page, const RVXEvidenceSheet& s, const QRectF& box, bool speed) {
    QPainter& p = page.painter();
    p.save();
    const double from =
        s.samples.empty() ? s.askedFrom : std::min(s.askedFrom, s.samples.front().second);
    const double to = s.samples.empty() ? s.askedTo : std::max(s.askedTo, s.samples.back().second);
    const double span = std::max(1e-3, to - from);
    double low = -2, high = 2, valueStep = 1;
    if (!speed) {
        // Round g either side of 0, at least 2, so that a knock is not cut off.
        double strongest = 2;
        for (const auto& sample : s.samples)
            strongest =
                std::max({strongest, std::abs(sample.x), std::abs(sample.y), std::abs(sample.z)});
        valueStep = niceStep(strongest / 2);
        high = std::ceil(strongest / valueStep - 1e-9) * valueStep;
        low = -high;
    } else {
        double fastest = 10;
        for (const auto& sample : s.samples)
            fastest = std::max(fastest, sample.speedKmh.value_or(0) * 1.1);
        // Four steps at most, the top one a round speed.
        valueStep = niceStep(fastest / 4);
        low = 0;
        high = std::ceil(fastest / valueStep - 1e-9) * valueStep;
    }
    const auto at = [&](double t, double v) {
        return QPointF(box.left() + (t - from) / span * box.width(),
                       box.bottom() -
                           (std::clamp(v, low, high) - low) / (high - low) * box.height());
    };

    page.font(6);
    const double labelHeight = page.px(3);
    for (double v = low; v <= high + 1e-9; v += valueStep) {
        const double y = at(from, v).y();
        p.setPen(QPen(kGrid, page.px(0.15)));
        p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
        p.setPen(kInk);
        const QString label = speed ? QStringLiteral("%1 km/h").arg(v, 0, 'g', 6)
                                    : signedNumber(v) + QStringLiteral(" g");
        p.drawText(QRectF(box.left() - page.px(16), y - labelHeight / 2, page.px(15), labelHeight),
                   Qt::AlignRight | Qt::AlignVCenter, label);
    }
    // Seconds: about eight steps over the window, and always its moment.
    const double timeStep = niceStep(span / 8);
    for (double t = std::ceil(from / timeStep - 1e-9) * timeStep; t <= to + 1e-9; t += timeStep) {
        const double x = at(t, low).x();
        p.setPen(QPen(kGrid, page.px(0.15)));
        p.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
        p.setPen(QPen(kInk, page.px(0.2)));
        p.drawLine(QPointF(x, box.bottom()), QPointF(x, box.bottom() + page.px(0.8)));
        // Below the half of the lowest value's label that stands under the box.
        p.drawText(QRectF(x - page.px(6), box.bottom() + page.px(1.6), page.px(12), labelHeight),
                   Qt::AlignHCenter | Qt::AlignTop,
                   signedNumber(std::abs(t) < 1e-9 ? 0 : t) + QStringLiteral(" s"));
    }
    p.setPen(QPen(QColor(0x88, 0x88, 0x88), page.px(0.2)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);

    const auto curve = [&](auto value, const QColor& colour) {
        QPainterPath path;
        bool open = false;
        for (const auto& sample : s.samples) {
            const std::optional<double> v = value(sample);
            if (!v) {
                open = false;
                continue;
            }
            const QPointF q = at(sample.second, *v);
            open ? path.lineTo(q) : path.moveTo(q);
            open = true;
        }
        p.setPen(QPen(colour, page.px(0.3)));
        p.drawPath(path);
    };
    if (speed) {
        curve([](const auto& x) { return x.speedKmh; }, QColor(0x20, 0x60, 0xc0));
    } else {
        p.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), page.px(0.2)));
        p.drawLine(at(from, 0), at(to, 0));
        curve([](const auto& x) { return std::optional<double>(x.x); }, QColor(0xd0, 0x20, 0x20));
        curve([](const auto& x) { return std::optional<double>(x.y); }, QColor(0x20, 0x90, 0x20));
        curve([](const auto& x) { return std::optional<double>(x.z); }, QColor(0x20, 0x40, 0xd0));
    }
    p.setPen(QPen(QColor(0xd0, 0x20, 0x20), page.px(0.4), Qt::DashLine));
    p.drawLine(at(0, low), at(0, high));
    page.font(6.5);
    p.setPen(kInk);
    const QString title =
        speed ? QStringLiteral("Speed (GPS)") : QStringLiteral("G force: x red, y green, z blue");
    p.drawText(box.adjusted(page.px(1), page.px(0.5), 0, 0), Qt::AlignLeft | Qt::AlignTop, title);
    p.restore();
}

void drawFiles(Page& page, const RVXEvidenceSheet& s) {
    QPainter& p = page.painter();
    for (const RVXEvidenceSheet::File& f : s.files) {
        page.breakIfBelow(8);
        page.font(7.5);
        p.drawText(page.rect(Page::kLeft, page.y, 130, 4), Qt::AlignLeft | Qt::AlignVCenter,
                   f.name);
        p.drawText(page.rect(Page::kLeft + 130, page.y, 50, 4), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("%1 bytes").arg(f.size));
        page.font(7.2, false, true);
        p.drawText(page.rect(Page::kLeft + 4, page.y + 3.6, 176, 4),
                   Qt::AlignLeft | Qt::AlignVCenter, f.sha256);
        page.y += 8.2;
    }
}

} // namespace

std::optional<QString> RVXEvidenceSheetWriter::write(const RVXEvidenceSheet& s,
                                                     const QString& path) {
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(s.title);
        writer.setCreator(s.program);
        Page page(writer);
        if (!page.ok())
            return QStringLiteral("%1: cannot write the PDF").arg(path);
        page.text(s.title, 15, true);
        page.text(s.program + QStringLiteral(". Every file of the pack is listed below with "
                                             "its SHA-256; SHA256SUMS holds them for "
                                             "sha256sum -c."),
                  8);
        page.heading(QStringLiteral("Moment"));
        if (!s.eventText.isEmpty())
            page.text(QStringLiteral("Event: ") + s.eventText);
        page.text(QStringLiteral("Camera time: ") + s.momentCamera);
        page.text(QStringLiteral("UTC: ") + s.momentUtc);
        page.text(QStringLiteral("Speed: ") + s.speedText);
        page.text(QStringLiteral("Camera clock: ") + s.clockOffset);
        page.heading(QStringLiteral("Place"));
        page.text(s.placeText);
        page.breakIfBelow(66);
        // Room above for the half of the top value's label that stands over its curve.
        page.y += 2;
        drawMap(page, s, page.rect(Page::kLeft, page.y, 64, 60));
        // The curves' values stand in the 14 mm between the map and them.
        drawCurves(page, s, page.rect(Page::kLeft + 78, page.y, 102, 24), false);
        drawCurves(page, s, page.rect(Page::kLeft + 78, page.y + 32, 102, 24), true);
        page.y += 64;
        page.heading(QStringLiteral("Camera"));
        page.text(QStringLiteral("Plate number: ") + s.plate);
        page.text(QStringLiteral("Impact thresholds (driving): ") + s.thresholds);
        page.heading(QStringLiteral("Cut"));
        page.text(s.cutText);
        for (const RVXEvidenceSheet::Video& v : s.videos)
            page.text(QStringLiteral("%1: %2 to %3 (camera time), from second %4 of the files' "
                                     "timeline")
                          .arg(v.name, v.from, v.to, QString::number(v.offset, 'f', 3)));
        for (const QString& note : s.cutNotes)
            page.text(note);
        page.heading(QStringLiteral("Files"));
        page.text(s.filesNote, 8);
        drawFiles(page, s);
    }
    if (!QFile::exists(path) || QFile(path).size() == 0)
        return QStringLiteral("%1: the PDF was not written").arg(path);
    return std::nullopt;
}
