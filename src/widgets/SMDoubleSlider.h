// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/SMDoubleSliderCell.h"

#include <QPixmap>
#include <QWidget>

#include <functional>

class QStyleOptionSlider;

// A slider with two knobs choosing a range inside its minimum and maximum, drawn in the
// platform's slider style. Its two values are properties with change signals, so a
// page can bind them to its model both ways.
class SMDoubleSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double objectLoValue READ doubleLoValue WRITE setDoubleLoValue NOTIFY loValueChanged)
    Q_PROPERTY(double objectHiValue READ doubleHiValue WRITE setDoubleHiValue NOTIFY hiValueChanged)
public:
    explicit SMDoubleSlider(Qt::Orientation orientation = Qt::Horizontal,
                            QWidget* parent = nullptr);
    // A horizontal one, as a form makes it.
    explicit SMDoubleSlider(QWidget* parent)
        : SMDoubleSlider(Qt::Horizontal, parent) {}

    SMDoubleSliderCell& cell() { return m_cell; }
    const SMDoubleSliderCell& cell() const { return m_cell; }
    double doubleLoValue() const { return m_cell.doubleLoValue(); }
    double doubleHiValue() const { return m_cell.doubleHiValue(); }
    void setDoubleLoValue(double v);
    void setDoubleHiValue(double v);
    void setMinValue(double v);
    void setMaxValue(double v);
    // A bound model field's value arriving: nothing (a missing value) disables the
    // slider and counts as 0; a real value enables it.
    void setObjectLoValue(const QVariant& v);
    void setObjectHiValue(const QVariant& v);
    bool trackingLoKnob() const { return m_cell.trackingLoKnob(); }
    void setTrackingLoKnob(bool lo);
    bool lockedSliders() const { return m_cell.lockedSliders(); }
    void setLockedSliders(bool locked);
    // What one arrow key moves the focused knob by; 0 is a hundredth of the range.
    void setAltIncrementValue(double step) { m_altIncrement = step; }
    // Values are sent while dragging when true, else at mouse-up.
    void setContinuous(bool continuous) { m_continuous = continuous; }
    // Where each knob is drawn, in widget coordinates.
    QRect knobRect(double value) const;

    QSize sizeHint() const override;

    // Held for owners that draw their own knobs; the slider itself draws in the style.
    QPixmap knobLeftImage, knobRightImage, barFillImage;

Q_SIGNALS:
    void loValueChanged(double value);
    void hiValueChanged(double value);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    static constexpr int kSteps = 10000; // the style's integer positions over the range
    QStyleOptionSlider option(double value) const;
    int toSteps(double value) const;
    double valueAt(const QPoint& point) const;
    void emitChanges(double lo, double hi);
    void changeCell(const std::function<void(SMDoubleSliderCell&)>& change);

    SMDoubleSliderCell m_cell;
    Qt::Orientation m_orientation;
    bool m_continuous = true;
    double m_altIncrement = 0;
    bool m_pressed = false;
    int m_pressOffset = 0;
};

// The tick scale under the range slider: 22 ticks, major ones at 0, 10 and 21.
class EcoSliderAxisView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    QColor backgroundColor;
    // x of tick i for a view of width w.
    static double tickX(int i, int width) { return i * (width + 32) / 22.0 + 8; }
    QSize sizeHint() const override { return {240, 12}; }

protected:
    void paintEvent(QPaintEvent*) override;
};
