// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCVideoView.h"

#include <QEvent>
#include <QWindow>

VLCVideoView::VLCVideoView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    followAncestors();
}

void VLCVideoView::lowerNativeWindow() {
    winId();
    if (QWindow* native = windowHandle())
        native->lower();
}

bool VLCVideoView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // A window id taken before the top-level window was shown may be dead by now
    // (the web view re-creates the native windows when it joins), so the id is handed
    // on each time it changes and once the view is first shown.
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
        Q_EMIT nativeWindowChanged();
    // The boxes above may be put in place after the view joined its parent, so the
    // chain is taken again each time the view is shown.
    if (event->type() == QEvent::ParentChange)
        followAncestors();
    if (event->type() == QEvent::Show) {
        followAncestors();
        schedulePlacing();
    }
    return handled;
}

// Qt moves a native child's window only when the child's own geometry changes. A box
// above it that moves (a size step, full screen and back, the list beside it growing)
// leaves the picture where it was, so the boxes up to the native parent are watched.
void VLCVideoView::followAncestors() {
    for (QWidget* box = parentWidget(); box && box != nativeParentWidget();
         box = box->parentWidget())
        box->installEventFilter(this);
}

bool VLCVideoView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
        event->type() == QEvent::Show)
        schedulePlacing();
    return QWidget::eventFilter(watched, event);
}

// Placed once the layouts have settled: halfway through a change (full screen ending,
// the header shown but the boxes below not yet moved) the position is wrong.
void VLCVideoView::schedulePlacing() {
    if (m_placingScheduled)
        return;
    m_placingScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_placingScheduled = false;
            placeNativeWindow();
        },
        Qt::QueuedConnection);
}

void VLCVideoView::placeNativeWindow() {
    QWindow* native = windowHandle();
    QWidget* nativeParent = nativeParentWidget();
    if (!native || !nativeParent || !isVisible())
        return;
    const QRect place(mapTo(nativeParent, QPoint(0, 0)), size());
    if (native->geometry() != place)
        native->setGeometry(place);
}
