// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/telemetry/RVXGSensor.h"

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QSizeF>
#include <QWidget>

#include <vector>

class QPainter;

// The G-sensor history of the recording being played: three curves over -2 g to +2 g
// with a marker at the play position. Geometry is given with the origin at the bottom
// left, as the plot is read; drawing turns it over.
class GraphView : public QWidget {
    Q_OBJECT
public:
    explicit GraphView(QWidget* parent = nullptr);

    void setGraphData(std::vector<RVXGSensor> values);
    const std::vector<RVXGSensor>& values() const { return m_values; }
    // The impacts found in what the graph shows, 0 to 1 along it; new graph data clears
    // them.
    void setImpactMarks(std::vector<double> positions);
    const std::vector<double>& impactMarks() const { return m_impactMarks; }
    void updateTimePosition(double position);
    double timePosition() const { return m_timePosition; }

    QColor backgroundColor;

    static QPointF graphAreaLeftBottom() { return QPointF(20, 8); }
    QSizeF graphAreaSize() const { return QSizeF(width() - 40.0, height() - 16.0); }
    QPointF graphAreaZeroValuePoint() const {
        return QPointF(20, 8 + graphAreaSize().height() / 2);
    }

    // Draws the whole view into painter over a view of size; paintEvent uses it, and so
    // can anything that wants the graph as a picture.
    void drawRect(QPainter& painter, const QSize& size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawBackgroundRect(QPainter& painter, const QSizeF& plot);
    void drawGraphDataWithContext(QPainter& painter, const QSizeF& plot);
    void drawTimePositionVerticalBarWithContext(QPainter& painter, const QSizeF& plot);
    void drawImpactMarks(QPainter& painter, const QSizeF& plot);
    void drawString(QPainter& painter, const QString& text, const QPointF& point);

    std::vector<RVXGSensor> m_values;
    std::vector<double> m_impactMarks;
    double m_timePosition = 0;
    double m_viewHeight = 0;
    // Reused by every redraw so that a redraw allocates nothing once it has grown.
    QPolygonF m_points;
};
