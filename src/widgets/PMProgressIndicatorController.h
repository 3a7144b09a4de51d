// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class PMProgressIndicator;

// Mirrors the progress of the listed indicators on the application icon: one 16-unit
// band per indicator over a copy of the icon taken at start.
class PMProgressIndicatorController : public QObject {
    Q_OBJECT
public:
    static PMProgressIndicatorController* sharedInstance();

    void addProgressIndicator(PMProgressIndicator* indicator);
    void removeProgressIndicator(PMProgressIndicator* indicator);
    int numProgressIndicators() const { return int(m_progressIndicators.size()); }
    // The icon as drawn now, 128 units square.
    QImage drawProgressIndicators();
    void restoreIcon();

private:
    PMProgressIndicatorController();
    void scheduleDraw();

    QList<PMProgressIndicator*> m_progressIndicators;
    QIcon m_dockIcon;
    QImage m_blueBar, m_greyBar, m_barberBar;
    double m_barberPhase = 32;
    qint64 m_lastSpin = 0;
    QTimer m_timer;
};
