// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKClockTimePicker.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <numbers>

namespace {
// Clockwise from twelve, in [0, 1).
double turnOf(const QPointF& fromCentre) {
    double angle = std::atan2(fromCentre.x(), -fromCentre.y()) / (2 * std::numbers::pi);
    return angle < 0 ? angle + 1 : angle;
}

QPointF handEnd(const QPointF& centre, double turn, double length) {
    const double a = turn * 2 * std::numbers::pi;
    return centre + QPointF(std::sin(a) * length, -std::cos(a) * length);
}
} // namespace

TKClockTimePicker::TKClockTimePicker(QWidget* parent)
    : QWidget(parent) {
    setMinimumSize(120, 120);
    setCursor(Qt::PointingHandCursor);
}

void TKClockTimePicker::setTime(const QTime& time) {
    if (!time.isValid() || time == m_time)
        return;
    m_time = time;
    update();
}

void TKClockTimePicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double radius = std::min(width(), height()) / 2.0 - 4;
    const QPointF centre(width() / 2.0, height() / 2.0);
    p.setPen(QPen(QColor(0x9a, 0x9c, 0xa3), 1.5));
    p.setBrush(QColor(0xf4, 0xf4, 0xf5));
    p.drawEllipse(centre, radius, radius);
    for (int i = 0; i < 60; ++i) {
        const double outer = radius - 3, inner = radius - (i % 5 == 0 ? 12 : 6);
        p.setPen(QPen(QColor(0x55, 0x57, 0x5c), i % 5 == 0 ? 2 : 1));
        p.drawLine(handEnd(centre, i / 60.0, inner), handEnd(centre, i / 60.0, outer));
    }
    const double minuteTurn = (m_time.minute() + m_time.second() / 60.0) / 60.0;
    const double hourTurn = ((m_time.hour() % 12) + m_time.minute() / 60.0) / 12.0;
    p.setPen(QPen(QColor(0x17, 0x18, 0x1b), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, handEnd(centre, hourTurn, radius * 0.5));
    p.setPen(QPen(QColor(0x17, 0x18, 0x1b), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, handEnd(centre, minuteTurn, radius * 0.8));
    p.setPen(QPen(QColor(0xf2, 0xa9, 0x3b), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, handEnd(centre, m_time.second() / 60.0, radius * 0.85));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xa9, 0x3b));
    p.drawEllipse(centre, 3.5, 3.5);
    // Whether the hour hand means morning or afternoon, which a face cannot show.
    p.setPen(QColor(0x55, 0x57, 0x5c));
    p.drawText(QRectF(centre.x() - 20, centre.y() + radius * 0.3, 40, 16), Qt::AlignCenter,
               m_time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

void TKClockTimePicker::mousePressEvent(QMouseEvent* event) {
    const double radius = std::min(width(), height()) / 2.0 - 4;
    const QPointF fromCentre = event->position() - QPointF(width() / 2.0, height() / 2.0);
    m_settingHour = std::hypot(fromCentre.x(), fromCentre.y()) < radius * 0.55;
    pick(event->position());
}

void TKClockTimePicker::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        pick(event->position());
}

void TKClockTimePicker::pick(const QPointF& at) {
    const double turn = turnOf(at - QPointF(width() / 2.0, height() / 2.0));
    QTime picked = m_time;
    if (m_settingHour) {
        const int hour = int(std::lround(turn * 12)) % 12 + (m_time.hour() >= 12 ? 12 : 0);
        picked = QTime(hour, m_time.minute(), m_time.second());
    } else {
        picked = QTime(m_time.hour(), int(std::lround(turn * 60)) % 60, m_time.second());
    }
    if (picked == m_time)
        return;
    m_time = picked;
    update();
    Q_EMIT timeChanged(m_time);
}
