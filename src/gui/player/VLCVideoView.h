// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "gui/player/VLCVideoFrames.h"

// Paints its player's newest picture, scaled into the view with its proportions kept and
// black bars beside it. An ordinary widget: a dialog closed over it, a swap, a size step
// or full screen repaint it as any other, paused or playing. Without a picture (none
// decoded yet, or a new recording on its way) it paints nothing, and what lies under it
// shows.
class VLCVideoView : public QWidget {
    Q_OBJECT
public:
    explicit VLCVideoView(QWidget* parent = nullptr);

    // Fit the picture to the view (true), or show it at its own size, smaller if need be.
    bool fillScreen() const { return m_fillScreen; }
    void setFillScreen(bool fill);

    // The pictures this view paints; the player that decodes them hands them over.
    void setFrames(VLCVideoFrames* frames);
    VLCVideoFrames* frames() const { return m_frames; }

    // Where the picture stands in the view, empty without one.
    QRect pictureRect() const;
    // A copy of the picture last painted, null without one.
    QImage paintedPicture() const { return m_painted.copy(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect placeOf(QSize picture) const;

    QPointer<VLCVideoFrames> m_frames;
    QImage m_painted;
    bool m_fillScreen = false;
};
