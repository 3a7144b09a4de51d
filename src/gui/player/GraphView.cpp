// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/GraphView.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

GraphView::GraphView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void GraphView::setGraphData(std::vector<RVXGSensor> values) {
    m_values = std::move(values);
    m_impactMarks.clear();
    update();
}

void GraphView::setImpactMarks(std::vector<double> positions) {
    m_impactMarks = std::move(positions);
    update();
}

void GraphView::updateTimePosition(double position) {
    m_timePosition = position;
    update();
}

void GraphView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawRect(painter, size());
}

void GraphView::drawRect(QPainter& painter, const QSize& size) {
    m_viewHeight = size.height();
    const QSizeF plot(size.width() - 40.0, size.height() - 16.0);
    drawBackgroundRect(painter, plot);
    if (m_values.empty())
        return;
    drawImpactMarks(painter, plot);
    drawGraphDataWithContext(painter, plot);
    drawTimePositionVerticalBarWithContext(painter, plot);
}

void GraphView::drawBackgroundRect(QPainter& painter, const QSizeF& plot) {
    const double left = 20, bottom = 8, q = plot.height() / 4;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(0, m_viewHeight);
    painter.scale(1, -1);
    const QColor grid = QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f);
    for (int k = 0; k <= 4; ++k)
        painter.fillRect(QRectF(left, bottom + k * q, plot.width(), 1), grid);
    painter.fillRect(QRectF(left, bottom, 1, plot.height()), grid);
    painter.restore();
    static const char* const labels[] = {"-2", "-1", "0", "+1", "+2"};
    for (int k = 0; k <= 4; ++k)
        drawString(painter, QLatin1String(labels[k]), QPointF(20, 8 + k * q));
}

void GraphView::drawString(QPainter& painter, const QString& text, const QPointF& point) {
    QFont font(QStringLiteral("helvetica"));
    font.setPixelSize(12);
    const QFontMetricsF metrics(font);
    const double w = metrics.horizontalAdvance(text), h = metrics.height();
    // The text's box ends 2 points left of the axis and is centred on the line, raised by
    // 2: its bottom edge, in plot coordinates, is y - (h / 2 - 2).
    const double boxBottom = point.y() - (h / 2 - 2);
    const QRectF box(point.x() - (w + 2), m_viewHeight - boxBottom - h, w, h);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void GraphView::drawGraphDataWithContext(QPainter& painter, const QSizeF& plot) {
    const double left = 20, y0 = 8 + plot.height() / 2, q = plot.height() / 4;
    const size_t n = m_values.size();
    // The whole recording is spread over the plot in tenth-of-a-point steps: the work
    // depends on the width, not on the number of samples.
    const int64_t steps = int64_t(plot.width() * 10) + 1;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(0, m_viewHeight);
    painter.scale(1, -1);
    const struct {
        float RVXGSensor::*axis;
        QColor colour;
    } curves[] = {
        {&RVXGSensor::x, Qt::red}, {&RVXGSensor::y, Qt::green}, {&RVXGSensor::z, Qt::blue}};
    for (const auto& curve : curves) {
        QPen pen(curve.colour, 1);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCosmetic(true);
        painter.setPen(pen);
        m_points.clear();
        m_points.append(QPointF(left + 1, y0 + m_values[0].*curve.axis * q));
        for (int64_t s = 1; s < steps; ++s) {
            const size_t index = size_t(s) * n / size_t(steps);
            if (index >= n)
                break;
            m_points.append(QPointF(left + 1 + s * 0.1, y0 + m_values[index].*curve.axis * q));
        }
        painter.drawPolyline(m_points);
    }
    painter.restore();
}

void GraphView::drawTimePositionVerticalBarWithContext(QPainter& painter, const QSizeF& plot) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(0, m_viewHeight);
    painter.scale(1, -1);
    painter.fillRect(QRectF(20 + plot.width() * m_timePosition, 8, 2, plot.height()), Qt::white);
    painter.restore();
}

// A band behind the curves and a triangle on top, so an impact shows where the curves
// are busiest.
void GraphView::drawImpactMarks(QPainter& painter, const QSizeF& plot) {
    if (m_impactMarks.empty())
        return;
    const QColor colour(0xe0, 0x40, 0x30);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double top = m_viewHeight - 8 - plot.height();
    for (double position : m_impactMarks) {
        const double x = 20 + plot.width() * std::clamp(position, 0.0, 1.0);
        QColor band = colour;
        band.setAlpha(110);
        painter.fillRect(QRectF(x - 4, top, 8, plot.height()), band);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(
            QPolygonF({QPointF(x - 5, top - 1), QPointF(x + 5, top - 1), QPointF(x, top + 7)}));
    }
    painter.restore();
}
