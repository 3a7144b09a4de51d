// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/PMProgressIndicator.h"

#include "core/support/RVXCFormat.h"
#include "widgets/PMProgressIndicatorController.h"

#include <QElapsedTimer>
#include <QLabel>

#include <cmath>

namespace {
constexpr double kWindowSeconds = 3.5;
constexpr int kBarSteps = 10000;
} // namespace

PMProgressIndicator::PMProgressIndicator(QWidget* parent)
    : QProgressBar(parent) {
    QProgressBar::setRange(0, kBarSteps);
    setTextVisible(false);
}

PMProgressIndicator::~PMProgressIndicator() {
    PMProgressIndicatorController::sharedInstance()->removeProgressIndicator(this);
}

double PMProgressIndicator::now() const {
    if (m_clock)
        return m_clock();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.nsecsElapsed() / 1e9;
}

void PMProgressIndicator::setRange(double minimum, double maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

void PMProgressIndicator::setIndeterminate(bool indeterminate) {
    m_indeterminate = indeterminate;
    indeterminate ? QProgressBar::setRange(0, 0) : QProgressBar::setRange(0, kBarSteps);
}

void PMProgressIndicator::setDoubleValue(double v) {
    const int whole = int(v);
    if (whole == m_lastValue)
        return;
    m_value = v;
    m_lastValue = whole;
    ++m_redraws;
    const double span = m_maximum - m_minimum;
    const double f = span > 0 ? (v - m_minimum) / span : 0;
    if (!m_indeterminate)
        setValue(int(std::lround(std::clamp(f, 0.0, 1.0) * kBarSteps)));
    if (m_drawDockProgress) {
        auto* controller = PMProgressIndicatorController::sharedInstance();
        controller->addProgressIndicator(this);
        // The fraction is compared with the bar's own bounds, as the icon has always done:
        // a bar of 0 to 1 leaves the icon at both ends, one of 0 to 100 only at the start.
        if (f > m_maximum - 0.00001 || f < m_minimum + 0.00001)
            controller->removeProgressIndicator(this);
    }
    if (progressText)
        updateProgressText();
}

void PMProgressIndicator::setDrawDockProgress(bool draw) {
    m_drawDockProgress = draw;
    auto* controller = PMProgressIndicatorController::sharedInstance();
    draw ? controller->addProgressIndicator(this) : controller->removeProgressIndicator(this);
}

std::optional<QString> PMProgressIndicator::remainingTimePhrase(double r) {
    // No progress in the window (or progress backwards) gives no estimate worth showing.
    if (!std::isfinite(r) || r < 0)
        return std::nullopt;
    struct Row {
        double above;
        const char* phrase;
    };
    static constexpr Row kRows[] = {
        {555, "About ten minutes remaining"},   {495, "About nine minutes remaining"},
        {435, "About eight minutes remaining"}, {375, "About seven minutes remaining"},
        {315, "About six minutes remaining"},   {255, "About five minutes remaining"},
        {195, "About four minutes remaining"},  {135, "About three minutes remaining"},
        {75, "About two minutes remaining"},    {50, "About one minute remaining"},
        {10, "Less than a minute remaining"},   {5, "About ten seconds remaining"},
    };
    if (r > 615)
        return QStringLiteral("About %1 minutes remaining").arg(int(r / 60 + 0.75));
    for (const Row& row : kRows) {
        if (r > row.above)
            return QString::fromLatin1(row.phrase);
    }
    return QStringLiteral("About five seconds remaining");
}

void PMProgressIndicator::updateProgressText() {
    if (!progressText)
        return;
    if (m_indeterminate) {
        progressText->clear();
        return;
    }
    const double v = m_value;
    const double t0 = now();
    if (v < m_minimum + 0.00001)
        m_startTime.reset(), m_startTime2.reset();
    if (!m_startTime) {
        m_startTime = t0;
        m_startFraction = v / m_maximum;
        progressText->clear();
    }
    if (t0 - *m_startTime > kWindowSeconds && !m_startTime2) {
        m_startTime2 = t0;
        m_startFraction2 = v / m_maximum;
    }
    if (m_startTime2 && t0 - *m_startTime2 > kWindowSeconds) {
        m_startTime = m_startTime2;
        m_startFraction = m_startFraction2;
        m_startTime2.reset();
    }
    const double t = t0 - *m_startTime;
    const double f = (v - m_minimum) / (m_maximum - m_minimum);
    std::optional<QString> phrase;
    if (t > 0.5 && m_displayTimeRemaining) {
        // Rounded to the microsecond so that 0.5 - 0.4 not being exactly 0.1 cannot tip
        // 50 s over a phrase boundary.
        const double r = (1 - f) / ((f - m_startFraction) / t);
        phrase = remainingTimePhrase(std::isfinite(r) ? std::round(r * 1e6) / 1e6 : r);
    }
    if (m_displayPercentage) {
        const QString percent = RVXCFormat("%.0f %% completed", f * 100);
        progressText->setText(phrase ? percent + QStringLiteral(" - ") + *phrase : percent);
    } else if (phrase) {
        progressText->setText(*phrase);
    }
}
