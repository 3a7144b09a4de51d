// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/PMProgressIndicatorController.h"

#include "widgets/PMProgressIndicator.h"

#include "platform/RVXLauncherEntry.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>

PMProgressIndicatorController* PMProgressIndicatorController::sharedInstance() {
    static auto* instance = new PMProgressIndicatorController;
    return instance;
}

PMProgressIndicatorController::PMProgressIndicatorController()
    : m_dockIcon(QGuiApplication::windowIcon())
    , m_blueBar(QStringLiteral(":/images/blueProgress.png"))
    , m_greyBar(QStringLiteral(":/images/greyProgress.png"))
    , m_barberBar(QStringLiteral(":/images/barberProgress.png")) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { drawProgressIndicators(); });
}

void PMProgressIndicatorController::scheduleDraw() {
    m_timer.start(100);
}

void PMProgressIndicatorController::addProgressIndicator(PMProgressIndicator* indicator) {
    if (m_progressIndicators.contains(indicator))
        return;
    m_progressIndicators.append(indicator);
    scheduleDraw();
}

void PMProgressIndicatorController::removeProgressIndicator(PMProgressIndicator* indicator) {
    if (m_progressIndicators.removeAll(indicator))
        scheduleDraw();
}

void PMProgressIndicatorController::restoreIcon() {
    QGuiApplication::setWindowIcon(m_dockIcon);
}

QImage PMProgressIndicatorController::drawProgressIndicators() {
    m_timer.stop();
    QImage icon =
        m_dockIcon.pixmap(128, 128).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (icon.isNull()) {
        icon = QImage(128, 128, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
    }
    if (m_progressIndicators.isEmpty()) {
        restoreIcon();
        RVXLauncherEntry::update(0, false);
        return icon;
    }
    // The launcher entry has room for one bar: the first indicator's.
    const PMProgressIndicator* first = m_progressIndicators.front();
    const double span = first->maximumValue() - first->minimumValue();
    RVXLauncherEntry::update(span > 0 ? (first->doubleValue() - first->minimumValue()) / span : 0,
                             !first->isIndeterminate());
    QPainter p(&icon);
    struct Stripe {
        int y, height;
        QColor done, rest;
    };
    static const Stripe kStripes[] = {
        {0, 11, {129, 204, 255}, {241, 241, 241}}, {3, 6, {105, 183, 255}, {228, 228, 228}},
        {4, 4, {94, 171, 254}, {210, 210, 210}},   {5, 2, {76, 148, 229}, {200, 200, 200}},
        {11, 1, {94, 147, 213}, {200, 210, 210}},  {12, 1, {59, 120, 185}, {160, 160, 160}},
    };
    bool spinning = false;
    for (int i = 0; i < m_progressIndicators.size(); ++i) {
        const PMProgressIndicator* indicator = m_progressIndicators[i];
        const int band = 16 * i;
        if (indicator->isIndeterminate()) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            const double seconds = m_lastSpin ? (now - m_lastSpin) / 1000.0 : 0;
            m_barberPhase -= 1.5 * 32 * (seconds - std::floor(seconds));
            while (m_barberPhase < 0)
                m_barberPhase += 32;
            m_lastSpin = now;
            if (!m_barberBar.isNull())
                p.drawImage(QPointF(-m_barberPhase, band), m_barberBar);
            spinning = true;
            continue;
        }
        const double span = indicator->maximumValue() - indicator->minimumValue();
        const double w = span > 0 ? indicator->doubleValue() * 128 / span : 0;
        if (!m_blueBar.isNull() && !m_greyBar.isNull()) {
            p.drawImage(QPointF(w - 128, band), m_blueBar);
            p.drawImage(QPointF(w, band), m_greyBar);
            continue;
        }
        p.setOpacity(0.78);
        for (const Stripe& s : kStripes) {
            p.fillRect(QRectF(0, band + s.y, w, s.height), s.done);
            p.fillRect(QRectF(w, band + s.y, 128 - w, s.height), s.rest);
        }
        p.setOpacity(1);
    }
    p.end();
    QGuiApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    if (spinning)
        m_timer.start(100);
    return icon;
}
