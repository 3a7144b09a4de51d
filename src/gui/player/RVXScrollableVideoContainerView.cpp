// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/RVXScrollableVideoContainerView.h"

#include <QEvent>
#include <QPainter>

void RVXScrollableVideoContainerView::setVideoView(QWidget* view) {
    m_videoView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
        view->installEventFilter(this);
        view->raise();
    }
}

void RVXScrollableVideoContainerView::setSpareView(QWidget* view) {
    m_spareView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
        if (m_videoView)
            view->stackUnder(m_videoView);
    }
}

// Qt takes a native view's position back from the window system's late report of where
// its window went; if the boxes above moved in between, the view lands off its place.
bool RVXScrollableVideoContainerView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_videoView && event->type() == QEvent::Move && !m_animating &&
        m_videoView->pos() != QPoint(0, 0)) {
        QMetaObject::invokeMethod(
            this, [this] { fitVideoView(); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void RVXScrollableVideoContainerView::setAnimating(bool animating) {
    m_animating = animating;
    fitVideoView();
}

void RVXScrollableVideoContainerView::fitVideoView() {
    if (m_videoView && !m_animating)
        m_videoView->setGeometry(rect());
    if (m_spareView)
        m_spareView->setGeometry(rect());
}

// The line is painted by the container itself: a child label would stand beside the
// native video window, and Qt makes such a label and every box above it native, which
// leaves stale pictures on screen. The failed player's view is hidden meanwhile.
void RVXScrollableVideoContainerView::setMessage(const QString& text) {
    if (text == m_message)
        return;
    m_message = text;
    if (m_action)
        m_action->hide();
    m_onAction = nullptr;
    update();
}

void RVXScrollableVideoContainerView::setMessageAction(const QString& text,
                                                       std::function<void()> action) {
    if (!m_action) {
        m_action = new QPushButton(this);
        m_action->setObjectName(QStringLiteral("messageActionButton"));
        connect(m_action, &QPushButton::clicked, this, [this] {
            if (m_onAction)
                m_onAction();
        });
    }
    m_onAction = std::move(action);
    m_action->setText(text);
    m_action->adjustSize();
    m_action->move((width() - m_action->width()) / 2, height() / 2 + 28);
    m_action->show();
    m_action->raise();
}

void RVXScrollableVideoContainerView::paintEvent(QPaintEvent*) {
    if (m_message.isEmpty())
        return;
    QPainter painter(this);
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    const int padding = 8;
    const QRect text = painter.boundingRect(rect().adjusted(padding, 0, -padding, 0),
                                            Qt::AlignCenter | Qt::TextWordWrap, m_message);
    const int height = std::max(text.height() + 2 * padding, 32);
    const QRect band(0, (this->height() - height) / 2, width(), height);
    painter.fillRect(band, QColor(20, 20, 22, 200));
    painter.setPen(QColor(0xf0, 0xf0, 0xf0));
    painter.drawText(band.adjusted(padding, 0, -padding, 0), Qt::AlignCenter | Qt::TextWordWrap,
                     m_message);
}

void RVXScrollableVideoContainerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_action)
        m_action->move((width() - m_action->width()) / 2, height() / 2 + 28);
    fitVideoView();
}
