// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QProgressBar>

#include <functional>
#include <optional>

#include <QLabel>

// A progress bar that writes "42 % completed - About two minutes remaining" into a
// label beside it and can mirror its progress on the application icon. The remaining
// time comes from the rate over the last 3.5 to 7 seconds.
class PMProgressIndicator : public QProgressBar {
    Q_OBJECT
public:
    explicit PMProgressIndicator(QWidget* parent = nullptr);
    ~PMProgressIndicator() override;

    void setRange(double minimum, double maximum);
    double minimumValue() const { return m_minimum; }
    double maximumValue() const { return m_maximum; }
    double doubleValue() const { return m_value; }
    // Redraws only when the whole number changes.
    void setDoubleValue(double v);
    void setIndeterminate(bool indeterminate);
    bool isIndeterminate() const { return m_indeterminate; }

    void setProgressText(QLabel* label) { progressText = label; }
    void updateProgressText();

    bool drawDockProgress() const { return m_drawDockProgress; }
    void setDrawDockProgress(bool draw);
    bool displayPercentage() const { return m_displayPercentage; }
    void setDisplayPercentage(bool on) { m_displayPercentage = on; }
    bool displayTimeRemaining() const { return m_displayTimeRemaining; }
    void setDisplayTimeRemaining(bool on) { m_displayTimeRemaining = on; }
    int lastValue() const { return m_lastValue; }
    // How often the bar has been redrawn for a new value (for tests and the icon).
    int redrawCount() const { return m_redraws; }

    // Seconds on a monotonic clock; tests put in their own.
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }
    // The phrase for r seconds left; nothing when r is not a usable estimate.
    static std::optional<QString> remainingTimePhrase(double seconds);

    QPointer<QLabel> progressText;

private:
    double now() const;

    double m_minimum = 0;
    double m_maximum = 100;
    double m_value = 0;
    bool m_indeterminate = false;
    std::optional<double> m_startTime, m_startTime2;
    double m_startFraction = 0, m_startFraction2 = 0;
    bool m_drawDockProgress = true;
    bool m_displayPercentage = false;
    bool m_displayTimeRemaining = true;
    int m_lastValue = 0;
    int m_redraws = 0;
    std::function<double()> m_clock;
};
