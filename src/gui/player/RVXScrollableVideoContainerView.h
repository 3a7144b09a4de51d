// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>

#include <QWidget>
#include <functional>

// Holds a video view and keeps it the container's size, except while an animation
// moves it (the channel swap). A line of text can stand over the video's place, for
// a recording that could not be played.
class RVXScrollableVideoContainerView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    void setVideoView(QWidget* view);
    // A second view under the first, the same size: the next recording's picture, made
    // ready before it takes the first's place.
    void setSpareView(QWidget* view);
    // The view may be deleted before the container (the players go first at quit).
    QWidget* videoView() const { return m_videoView; }
    void setAnimating(bool animating);
    bool isAnimating() const { return m_animating; }

    // An empty text hides the line, and the button under it.
    void setMessage(const QString& text);
    // A button drawn under the line, for what can be done about it; gone with the next
    // message.
    void setMessageAction(const QString& text, std::function<void()> action);
    QString messageActionText() const { return m_actionText; }
    // Where the button is, empty without one.
    QRect messageActionRect() const;
    QString message() const { return m_message; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The view fills the container, except while an animation moves it.
    void fitVideoView();

    QPointer<QWidget> m_videoView;
    QPointer<QWidget> m_spareView;
    QString m_message;
    QString m_actionText;
    std::function<void()> m_onAction;
    bool m_animating = false;
};
