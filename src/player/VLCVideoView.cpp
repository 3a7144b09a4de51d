// SPDX-License-Identifier: GPL-3.0-or-later
#include "VLCVideoView.h"

#include <QEvent>
#include <QPainter>

VLCVideoView::VLCVideoView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

void VLCVideoView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Qt::black);
}

bool VLCVideoView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // A window id taken before the top-level window was shown may be dead by now
    // (the web view re-creates the native windows when it joins), so the id is handed
    // on each time it changes and once the view is first shown.
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
        Q_EMIT nativeWindowChanged();
    return handled;
}
