// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTime>
#include <QWidget>

// A time picked on a clock face: a press or drag in the outer ring sets the minutes, in
// the inner disc the hour (keeping morning or afternoon). Seconds stay as they were.
class TKClockTimePicker : public QWidget {
    Q_OBJECT
public:
    explicit TKClockTimePicker(QWidget* parent = nullptr);

    QTime time() const { return m_time; }
    void setTime(const QTime& time);
    QSize sizeHint() const override { return {160, 160}; }

Q_SIGNALS:
    // The user moved a hand (not sent for setTime).
    void timeChanged(const QTime& time);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void pick(const QPointF& at);

    QTime m_time = QTime(0, 0, 0);
    bool m_settingHour = false;
};
