// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/support/RVXCFormat.h"

#include <QString>
#include <QVariant>

// The values and the tracking of the two-knob slider, apart from any drawing. The high
// value is the "standard" value of a one-knob slider; the low value is held beside it
// and swapped in while the low knob is dragged, so one tracking routine serves both.
class SMDoubleSliderCell {
public:
    double minValue() const { return m_min; }
    double maxValue() const { return m_max; }
    // Values are moved inside the new bound first, low before high.
    void setMinValue(double v);
    void setMaxValue(double v);

    double doubleLoValue() const { return m_mouseTrackingSwapped ? m_value : m_loValue; }
    double doubleHiValue() const { return m_mouseTrackingSwapped ? m_saveValue : m_value; }
    void setDoubleLoValue(double v);
    void setDoubleHiValue(double v);

    float floatLoValue() const { return float(doubleLoValue()); }
    float floatHiValue() const { return float(doubleHiValue()); }
    void setFloatLoValue(float v) { setDoubleLoValue(v); }
    void setFloatHiValue(float v) { setDoubleHiValue(v); }
    int intLoValue() const { return int(doubleLoValue()); }
    int intHiValue() const { return int(doubleHiValue()); }
    void setIntLoValue(int v) { setDoubleLoValue(v); }
    void setIntHiValue(int v) { setDoubleHiValue(v); }
    qint64 integerLoValue() const { return qint64(doubleLoValue()); }
    qint64 integerHiValue() const { return qint64(doubleHiValue()); }
    void setIntegerLoValue(qint64 v) { setDoubleLoValue(double(v)); }
    void setIntegerHiValue(qint64 v) { setDoubleHiValue(double(v)); }
    QString stringLoValue() const { return RVXCFormat("%g", doubleLoValue()); }
    QString stringHiValue() const { return RVXCFormat("%g", doubleHiValue()); }
    void setStringLoValue(const QString& s) { setDoubleLoValue(s.toDouble()); }
    void setStringHiValue(const QString& s) { setDoubleHiValue(s.toDouble()); }
    // From any value: a number, or a text holding one; nothing (or anything else) is 0.
    QVariant objectLoValue() const { return doubleLoValue(); }
    QVariant objectHiValue() const { return doubleHiValue(); }
    void setObjectLoValue(const QVariant& v) { setDoubleLoValue(numberOf(v)); }
    void setObjectHiValue(const QVariant& v) { setDoubleHiValue(numberOf(v)); }
    static double numberOf(const QVariant& v);

    // The plain accessors address the knob that keyboard input addresses.
    double doubleValue() const { return m_trackingLoKnob ? doubleLoValue() : doubleHiValue(); }
    void setDoubleValue(double v) { m_trackingLoKnob ? setDoubleLoValue(v) : setDoubleHiValue(v); }

    bool trackingLoKnob() const { return m_trackingLoKnob; }
    void setTrackingLoKnob(bool lo) { m_trackingLoKnob = lo; }
    bool lockedSliders() const { return m_lockedSliders; }
    void setLockedSliders(bool locked);
    bool isDraggingLoKnob() const { return m_mouseTrackingSwapped; }

    // Mouse-down: which knob to drag, given whether the pointer lies on the low knob's
    // side of it and whether the two knobs cover the same place. True for the low knob.
    bool startTracking(bool pointerOnLoSide, bool knobsStacked);
    // The pointer moved the standard value to v; the dragged knob stops at the other.
    void continueTracking(double v);
    // Mouse-up; true when the low knob was dragged.
    bool stopTracking();

private:
    double clampToRange(double v) const { return std::min(std::max(v, m_min), m_max); }

    double m_min = 0;
    double m_max = 100;
    double m_value = 0; // the high value, or the low one while it is dragged
    double m_loValue = 0;
    double m_saveValue = 0; // the high value while the low knob is dragged
    bool m_lockedSliders = false;
    bool m_trackingLoKnob = false;
    bool m_mouseTrackingSwapped = false;
    bool m_draggingHi = false;
};
