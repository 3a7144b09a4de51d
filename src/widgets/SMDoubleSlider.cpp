// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SMDoubleSlider.h"

#include "widgets/TKImageButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <cmath>
#include <functional>

SMDoubleSlider::SMDoubleSlider(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(orientation == Qt::Horizontal ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                  orientation == Qt::Horizontal ? QSizePolicy::Fixed : QSizePolicy::Expanding);
    m_cell.setMaxValue(100);
    knobLeftImage = TKImageNamed(QStringLiteral("eco_knob_left.png"));
    knobRightImage = TKImageNamed(QStringLiteral("eco_knob_right.png"));
    barFillImage = TKImageNamed(QStringLiteral("eco_barFill.png"));
}

QSize SMDoubleSlider::sizeHint() const {
    const QStyleOptionSlider o = option(0);
    const QSize s = style()->sizeFromContents(QStyle::CT_Slider, &o, QSize(160, 16), this);
    return m_orientation == Qt::Horizontal ? s.expandedTo({160, 0}) : s.expandedTo({0, 160});
}

int SMDoubleSlider::toSteps(double value) const {
    const double span = m_cell.maxValue() - m_cell.minValue();
    return span > 0 ? int(std::lround((value - m_cell.minValue()) / span * kSteps)) : 0;
}

QStyleOptionSlider SMDoubleSlider::option(double value) const {
    QStyleOptionSlider o;
    o.initFrom(this);
    o.orientation = m_orientation;
    o.minimum = 0;
    o.maximum = kSteps;
    o.sliderPosition = o.sliderValue = toSteps(value);
    o.upsideDown = m_orientation == Qt::Vertical;
    o.subControls = QStyle::SC_SliderHandle;
    return o;
}

QRect SMDoubleSlider::knobRect(double value) const {
    const QStyleOptionSlider o = option(value);
    return style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderHandle, this);
}

double SMDoubleSlider::valueAt(const QPoint& point) const {
    QStyleOptionSlider o = option(0);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderGroove, this);
    const QRect handle = knobRect(m_cell.minValue());
    const bool horizontal = m_orientation == Qt::Horizontal;
    const int length = horizontal ? handle.width() : handle.height();
    const int start = horizontal ? groove.x() : groove.y();
    const int span = (horizontal ? groove.width() : groove.height()) - length;
    const int pos = (horizontal ? point.x() : point.y()) - m_pressOffset - start;
    const int steps = QStyle::sliderValueFromPosition(0, kSteps, pos, span, o.upsideDown);
    return m_cell.minValue() + (m_cell.maxValue() - m_cell.minValue()) * steps / kSteps;
}

void SMDoubleSlider::emitChanges(double lo, double hi) {
    if (lo != doubleLoValue())
        Q_EMIT loValueChanged(doubleLoValue());
    if (hi != doubleHiValue())
        Q_EMIT hiValueChanged(doubleHiValue());
}

// Any change to the cell: redraw, and tell of each value that moved.
void SMDoubleSlider::changeCell(const std::function<void(SMDoubleSliderCell&)>& change) {
    const double lo = doubleLoValue(), hi = doubleHiValue();
    change(m_cell);
    update();
    emitChanges(lo, hi);
}

void SMDoubleSlider::setDoubleLoValue(double v) {
    changeCell([&](SMDoubleSliderCell& c) { c.setDoubleLoValue(v); });
}

void SMDoubleSlider::setDoubleHiValue(double v) {
    changeCell([&](SMDoubleSliderCell& c) { c.setDoubleHiValue(v); });
}

void SMDoubleSlider::setObjectLoValue(const QVariant& v) {
    setEnabled(v.isValid() && !v.isNull());
    setDoubleLoValue(SMDoubleSliderCell::numberOf(v));
}

void SMDoubleSlider::setObjectHiValue(const QVariant& v) {
    setEnabled(v.isValid() && !v.isNull());
    setDoubleHiValue(SMDoubleSliderCell::numberOf(v));
}

void SMDoubleSlider::setMinValue(double v) {
    changeCell([&](SMDoubleSliderCell& c) { c.setMinValue(v); });
}

void SMDoubleSlider::setMaxValue(double v) {
    changeCell([&](SMDoubleSliderCell& c) { c.setMaxValue(v); });
}

void SMDoubleSlider::setTrackingLoKnob(bool lo) {
    m_cell.setTrackingLoKnob(lo);
    update();
}

void SMDoubleSlider::setLockedSliders(bool locked) {
    changeCell([&](SMDoubleSliderCell& c) { c.setLockedSliders(locked); });
}

void SMDoubleSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionSlider groove = option(doubleHiValue());
    groove.subControls = QStyle::SC_SliderGroove;
    style()->drawComplexControl(QStyle::CC_Slider, &groove, &painter, this);
    // The low knob first, then the high one over it; only the addressed knob shows focus,
    // only the pressed one looks pressed.
    for (const bool lo : {true, false}) {
        QStyleOptionSlider knob = option(lo ? doubleLoValue() : doubleHiValue());
        if (!hasFocus() || lo != trackingLoKnob())
            knob.state &= ~QStyle::State_HasFocus;
        const bool pressed = m_pressed && lo == m_cell.isDraggingLoKnob();
        knob.activeSubControls = pressed ? QStyle::SC_SliderHandle : QStyle::SC_None;
        if (pressed)
            knob.state |= QStyle::State_Sunken;
        style()->drawComplexControl(QStyle::CC_Slider, &knob, &painter, this);
    }
}

void SMDoubleSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QRect lo = knobRect(doubleLoValue());
    const QPoint p = event->position().toPoint();
    const bool loSide = m_orientation == Qt::Horizontal ? p.x() < lo.right() : p.y() > lo.y();
    const bool stacked = lo == knobRect(doubleHiValue());
    const bool tookLo = m_cell.startTracking(loSide, stacked);
    setTrackingLoKnob(tookLo);
    const QRect knob = knobRect(tookLo ? doubleLoValue() : doubleHiValue());
    // Grabbing a knob keeps the pointer where it took hold; elsewhere the knob centres on it.
    m_pressOffset = knob.contains(p)
                        ? (m_orientation == Qt::Horizontal ? p.x() - knob.x() : p.y() - knob.y())
                        : (m_orientation == Qt::Horizontal ? knob.width() / 2 : knob.height() / 2);
    m_pressed = true;
    mouseMoveEvent(event);
}

void SMDoubleSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed)
        return;
    const double lo = doubleLoValue(), hi = doubleHiValue();
    m_cell.continueTracking(valueAt(event->position().toPoint()));
    update();
    if (m_continuous)
        emitChanges(lo, hi);
}

void SMDoubleSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_pressed)
        return;
    mouseMoveEvent(event);
    m_pressed = false;
    const bool wasLo = m_cell.stopTracking();
    update();
    if (!m_continuous)
        wasLo ? Q_EMIT loValueChanged(doubleLoValue()) : Q_EMIT hiValueChanged(doubleHiValue());
}

void SMDoubleSlider::keyPressEvent(QKeyEvent* event) {
    const double step =
        m_altIncrement > 0 ? m_altIncrement : (m_cell.maxValue() - m_cell.minValue()) / 100;
    const double v = m_cell.doubleValue();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        trackingLoKnob() ? setDoubleLoValue(v - step) : setDoubleHiValue(v - step);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        trackingLoKnob() ? setDoubleLoValue(v + step) : setDoubleHiValue(v + step);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void SMDoubleSlider::focusInEvent(QFocusEvent* event) {
    if (event->reason() == Qt::TabFocusReason)
        setTrackingLoKnob(true);
    else if (event->reason() == Qt::BacktabFocusReason)
        setTrackingLoKnob(false);
    QWidget::focusInEvent(event);
}

// Tab walks low knob, high knob, next control; Shift-Tab the other way.
bool SMDoubleSlider::focusNextPrevChild(bool next) {
    if (next && trackingLoKnob()) {
        setTrackingLoKnob(false);
        return true;
    }
    if (!next && !trackingLoKnob()) {
        setTrackingLoKnob(true);
        return true;
    }
    if (next)
        setTrackingLoKnob(true);
    return QWidget::focusNextPrevChild(next);
}

void EcoSliderAxisView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::WindowText));
    for (int i = 0; i < 22; ++i) {
        const bool major = i == 0 || i == 10 || i == 21;
        painter.drawRect(QRectF(tickX(i, width()), major ? 3 : 5, 1, major ? 8 : 5));
    }
}
