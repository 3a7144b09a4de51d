// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXScrollableVideoContainerView.h"

#include <QLabel>

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

void RVXScrollableVideoContainerView::setMessage(const QString& text) {
    if (text.isEmpty()) {
        if (m_message)
            m_message->hide();
        return;
    }
    if (!m_message) {
        m_message = new QLabel(this);
        m_message->setObjectName(QStringLiteral("videoMessage"));
        m_message->setAlignment(Qt::AlignCenter);
        m_message->setWordWrap(true);
        m_message->setStyleSheet(QStringLiteral(
            "color: #f0f0f0; background: rgba(20, 20, 22, 200); padding: 8px; font-size: 13px;"));
    }
    m_message->setText(text);
    placeMessage();
    m_message->show();
    m_message->raise();
}

QString RVXScrollableVideoContainerView::message() const {
    return m_message && !m_message->isHidden() ? m_message->text() : QString();
}

void RVXScrollableVideoContainerView::placeMessage() {
    if (!m_message)
        return;
    const int height = std::max(m_message->heightForWidth(width()), 32);
    m_message->setGeometry(0, (this->height() - height) / 2, width(), height);
}

void RVXScrollableVideoContainerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_videoView && !m_animating)
        m_videoView->setGeometry(rect());
    placeMessage();
}
