// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/CustomWindow.h"

#include "core/playback/RVXWindowGeometry.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QWindow>

CustomWindow::CustomWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_animation(new QPropertyAnimation(this, "geometry", this)) {
    m_animation->setDuration(200);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    setAcceptDrops(true);
}

bool CustomWindow::isAnimating() const {
    return m_animation->state() == QAbstractAnimation::Running;
}

void CustomWindow::setFrame(const QRect& frame, bool animate) {
    m_animation->stop();
    if (!animate || !isVisible()) {
        setGeometry(frame);
        return;
    }
    m_animation->setStartValue(geometry());
    m_animation->setEndValue(frame);
    m_animation->start();
}

void CustomWindow::enterFullscreen() {
    if (m_isFullScreen)
        return;
    m_isFullScreen = true;
    if (m_initialFrame.width() == 0 || m_initialFrame.height() == 0)
        m_initialFrame = geometry();
    m_animation->stop();
    // The desktop's full-screen state covers its panels; the frame is set as well for
    // X desktops (or none) that do not act on the state. A Wayland compositor always acts
    // on it, and takes a frame set first for the window's normal one, which it would
    // return to on leaving full screen.
    if (QScreen* s = screen(); s && !QGuiApplication::platformName().startsWith(u"wayland"))
        setGeometry(s->geometry());
    showFullScreen();
    Q_EMIT isFullScreenChanged(true);
}

void CustomWindow::leaveFullscreen() {
    if (!m_isFullScreen)
        return;
    m_isFullScreen = false;
    showNormal();
    setGeometry(m_initialFrame);
    Q_EMIT isFullScreenChanged(false);
}

void CustomWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_isFullScreen) {
        leaveFullscreen();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void CustomWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool onHandle = m_dragHandle && m_dragHandle->isVisible() &&
                          m_dragHandle->rect().contains(m_dragHandle->mapFrom(this, at));
    if (event->button() != Qt::LeftButton || m_isFullScreen || !onHandle) {
        QMainWindow::mousePressEvent(event);
        return;
    }
    initialLocation = event->position().toPoint();
    // The desktop moves the window itself where it can (and keeps it on screen); the
    // manual move below is for desktops that cannot.
    m_dragging = !(windowHandle() && windowHandle()->startSystemMove());
}

void CustomWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        QMainWindow::mouseMoveEvent(event);
        return;
    }
    const QRect visible = screen() ? screen()->availableGeometry() : QRect();
    // move() places the frame, decorations included; the grab point is in the content.
    const QPoint grab = initialLocation + (geometry().topLeft() - pos());
    move(RVXWindowGeometry::draggedOrigin(event->globalPosition().toPoint(), grab, visible));
}

void CustomWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QMainWindow::mouseReleaseEvent(event);
}

void CustomWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CustomWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    Q_EMIT pathsDropped(paths);
}

void CustomWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT windowWillClose();
    QMainWindow::closeEvent(event);
}
