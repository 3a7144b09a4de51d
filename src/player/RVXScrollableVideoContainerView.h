// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// Holds a video view and keeps it the container's size, except while an animation
// moves it (the channel swap).
class RVXScrollableVideoContainerView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    void setVideoView(QWidget* view);
    QWidget* videoView() const { return m_videoView; }
    void setAnimating(bool animating);
    bool isAnimating() const { return m_animating; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_videoView = nullptr;
    bool m_animating = false;
};
