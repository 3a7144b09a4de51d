// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QRect>

class QPropertyAnimation;

// The main window: an ordinary window with the desktop's title bar that can also be
// dragged by its background, and a full-screen mode of its own whose frame to return
// to is the one recorded at launch.
class CustomWindow : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(bool isFullScreen READ isFullScreen NOTIFY isFullScreenChanged)
public:
    explicit CustomWindow(QWidget* parent = nullptr);

    // Our own mode, set before the desktop is asked for full screen; it hides
    // QWidget::isFullScreen on purpose, which lags behind while the desktop works.
    bool isFullScreen() const { return m_isFullScreen; }
    void enterFullscreen();
    void leaveFullscreen();

    QRect initialFrame() const { return m_initialFrame; }
    void setInitialFrame(const QRect& frame) { m_initialFrame = frame; }

    // Moves and resizes the window, animated when animate is set.
    void setFrame(const QRect& frame, bool animate);
    bool isAnimating() const;

    static bool canBecomeKeyWindow() { return true; }

    // The band by which the window is dragged; a press anywhere else (beside a slider's
    // knob, on the graph) is the controls' and never moves the window.
    void setDragHandle(QWidget* band) { m_dragHandle = band; }

Q_SIGNALS:
    void isFullScreenChanged(bool fullScreen);
    // Folders or files dropped onto the window.
    void pathsDropped(const QStringList& paths);
    void windowWillClose();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_isFullScreen = false;
    QRect m_initialFrame;
    QPoint initialLocation;
    bool m_dragging = false;
    QPointer<QWidget> m_dragHandle;
    QPropertyAnimation* m_animation = nullptr;
};
