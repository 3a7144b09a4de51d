// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/RVXScrollableVideoContainerView.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

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

// A view moved from its place by anything but an animation goes back to it.
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

// The line is painted by the container itself, under the views; the failed player's view
// is hidden meanwhile.
void RVXScrollableVideoContainerView::setMessage(const QString& text) {
    if (text == m_message && m_actionText.isEmpty())
        return;
    m_message = text;
    m_actionText.clear();
    m_onAction = nullptr;
    unsetCursor();
    update();
}

void RVXScrollableVideoContainerView::setMessageAction(const QString& text,
                                                       std::function<void()> action) {
    m_actionText = text;
    m_onAction = std::move(action);
    setCursor(Qt::PointingHandCursor);
    update();
}

namespace {
constexpr int kPadding = 8;

QFont messageFont(QFont font) {
    font.setPixelSize(13);
    return font;
}
} // namespace

QRect RVXScrollableVideoContainerView::messageActionRect() const {
    if (m_message.isEmpty() || m_actionText.isEmpty())
        return {};
    const QFontMetrics metrics(messageFont(font()));
    const QRect text = metrics.boundingRect(rect().adjusted(kPadding, 0, -kPadding, 0),
                                            Qt::AlignCenter | Qt::TextWordWrap, m_message);
    const int bandHeight = std::max(text.height() + 2 * kPadding, 32);
    const QSize size(metrics.horizontalAdvance(m_actionText) + 24, metrics.height() + 10);
    return QRect(QPoint((width() - size.width()) / 2, (height() + bandHeight) / 2 + 8), size);
}

void RVXScrollableVideoContainerView::paintEvent(QPaintEvent*) {
    if (m_message.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(messageFont(painter.font()));
    const QRect text = painter.boundingRect(rect().adjusted(kPadding, 0, -kPadding, 0),
                                            Qt::AlignCenter | Qt::TextWordWrap, m_message);
    const int height = std::max(text.height() + 2 * kPadding, 32);
    const QRect band(0, (this->height() - height) / 2, width(), height);
    painter.fillRect(band, QColor(20, 20, 22, 200));
    painter.setPen(QColor(0xf0, 0xf0, 0xf0));
    painter.drawText(band.adjusted(kPadding, 0, -kPadding, 0), Qt::AlignCenter | Qt::TextWordWrap,
                     m_message);
    const QRect button = messageActionRect();
    if (button.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xc8, 0x90, 0x2e), 1.5));
    painter.setBrush(QColor(0x2b, 0x2d, 0x31));
    painter.drawRoundedRect(QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setPen(QColor(0xf4, 0xf5, 0xf7));
    painter.drawText(button, Qt::AlignCenter, m_actionText);
}

void RVXScrollableVideoContainerView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_onAction && event->button() == Qt::LeftButton &&
        messageActionRect().contains(event->position().toPoint())) {
        // The action may set a new message, and with it a new action.
        const std::function<void()> action = m_onAction;
        action();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void RVXScrollableVideoContainerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitVideoView();
}
