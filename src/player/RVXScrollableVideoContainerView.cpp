// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXScrollableVideoContainerView.h"

void RVXScrollableVideoContainerView::setVideoView(QWidget* view) {
    m_videoView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
    }
}

void RVXScrollableVideoContainerView::setAnimating(bool animating) {
    m_animating = animating;
    if (!animating && m_videoView)
        m_videoView->setGeometry(rect());
}

void RVXScrollableVideoContainerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_videoView && !m_animating)
        m_videoView->setGeometry(rect());
}
