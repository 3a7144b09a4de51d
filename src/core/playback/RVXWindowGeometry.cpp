// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/playback/RVXWindowGeometry.h"

QRect RVXWindowGeometry::minWindowFrame(const QRect& visibleArea) {
    const QSize size = minWindowSize();
    const QPoint origin(visibleArea.x() + (visibleArea.width() - size.width()) / 2,
                        visibleArea.y() + (visibleArea.height() - size.height()) / 2);
    return QRect(origin, size);
}

RVXWindowGeometry::Step RVXWindowGeometry::sizeStep(const QSize& current, int k,
                                                    const QSize& screenSize, bool fullScreen) {
    const QSize minimum = minWindowSize();
    // One step is 204 x 128; computed in doubles as the step is a fraction of the size.
    QSize size(int(current.width() + minimum.width() * (k * 0.2)),
               int(current.height() + minimum.height() * (k * 0.2)));
    if (k > 0) {
        if (fullScreen)
            return {StepAction::Nothing, current};
        if (size.width() > screenSize.width() || size.height() > screenSize.height() - 100)
            return {StepAction::EnterFullScreen, current};
    } else if (fullScreen) {
        return {StepAction::LeaveFullScreen, current};
    }
    if (size.width() < minimum.width() || size.height() < minimum.height())
        size = minimum;
    return {StepAction::Resize, size};
}

QRect RVXWindowGeometry::keptInside(const QRect& frame, const QRect& visibleArea) {
    QRect kept = frame;
    if (kept.right() > visibleArea.right())
        kept.moveRight(visibleArea.right());
    if (kept.bottom() > visibleArea.bottom())
        kept.moveBottom(visibleArea.bottom());
    if (kept.left() < visibleArea.left())
        kept.moveLeft(visibleArea.left());
    if (kept.top() < visibleArea.top())
        kept.moveTop(visibleArea.top());
    return kept;
}

QPoint RVXWindowGeometry::draggedOrigin(const QPoint& globalMouse, const QPoint& grabOffset,
                                        const QRect& visibleArea) {
    QPoint origin = globalMouse - grabOffset;
    if (origin.y() < visibleArea.top())
        origin.setY(visibleArea.top());
    return origin;
}
