// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SMDoubleSliderCell.h"

#include <algorithm>

double SMDoubleSliderCell::numberOf(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0;
}

void SMDoubleSliderCell::setMinValue(double v) {
    if (m_loValue < v)
        m_loValue = v;
    if (m_value < v)
        m_value = v;
    m_min = v;
}

void SMDoubleSliderCell::setMaxValue(double v) {
    if (m_loValue > v)
        m_loValue = v;
    if (m_value > v)
        m_value = v;
    m_max = v;
}

void SMDoubleSliderCell::setDoubleLoValue(double v) {
    v = std::max(std::min(v, doubleHiValue()), m_min);
    if (m_mouseTrackingSwapped)
        m_value = v;
    else
        m_loValue = v;
}

void SMDoubleSliderCell::setDoubleHiValue(double v) {
    v = std::min(std::max(v, doubleLoValue()), m_max);
    if (m_mouseTrackingSwapped)
        m_saveValue = v;
    else
        m_value = v;
}

void SMDoubleSliderCell::setLockedSliders(bool locked) {
    m_lockedSliders = locked;
    if (locked)
        setDoubleLoValue(doubleHiValue());
}

bool SMDoubleSliderCell::startTracking(bool pointerOnLoSide, bool knobsStacked) {
    bool lo = pointerOnLoSide;
    // Knobs stacked at the minimum can only be pulled apart by the high knob.
    if (lo && knobsStacked && !(m_loValue > m_min))
        lo = false;
    if (lo) {
        m_saveValue = m_value;
        m_value = m_loValue;
        m_mouseTrackingSwapped = true;
    }
    m_draggingHi = !lo;
    return lo;
}

void SMDoubleSliderCell::continueTracking(double v) {
    v = clampToRange(v);
    if (m_mouseTrackingSwapped)
        m_value = std::min(v, m_saveValue);
    else if (m_draggingHi)
        m_value = std::max(v, m_loValue);
}

bool SMDoubleSliderCell::stopTracking() {
    const bool wasLo = m_mouseTrackingSwapped;
    if (wasLo) {
        m_loValue = m_value;
        m_value = m_saveValue;
        m_mouseTrackingSwapped = false;
    }
    m_draggingHi = false;
    return wasLo;
}
