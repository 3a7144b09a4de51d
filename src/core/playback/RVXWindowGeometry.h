// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The main window's size rules, apart from any window so they can be reasoned about.
// Rectangles are in screen coordinates with y growing downwards.
struct RVXWindowGeometry {
    static constexpr QSize minWindowSize() { return QSize(1020, 640); }
    // minWindowSize centred in the screen's visible area.
    static QRect minWindowFrame(const QRect& visibleArea);

    enum class StepAction { Resize, EnterFullScreen, LeaveFullScreen, Nothing };
    struct Step {
        StepAction action;
        QSize size;
    };
    // One size step of k (+1 bigger, -1 smaller, 0 the recording-start step) from the
    // current size on a screen of screenSize: a fifth of the minimum size per step, full
    // screen instead of a size that would not fit, never below the minimum.
    static Step sizeStep(const QSize& current, int k, const QSize& screenSize, bool fullScreen);

    // A frame moved up and left as far as needed to lie inside the visible area, never
    // past its top-left corner: a size step grows the window from its top-left corner,
    // and the desktop's panels or the screen's edge must not hide its controls.
    static QRect keptInside(const QRect& frame, const QRect& visibleArea);

    // Where a window dragged from grabOffset (mouse position inside the window at the
    // press) to the mouse's global position goes: never with its top above the
    // visible area's top.
    static QPoint draggedOrigin(const QPoint& globalMouse, const QPoint& grabOffset,
                                const QRect& visibleArea);
};
