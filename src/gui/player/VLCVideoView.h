// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The native child window a player draws into. Qt never paints it: the window's GL
// composition (the map's web view) cannot draw into a plain X window, failed at every
// repaint and left stale pictures (a closed dialog) on screen. libVLC and the X server
// draw it; the view is shown only while its player has a picture.
class VLCVideoView : public QWidget {
    Q_OBJECT
public:
    explicit VLCVideoView(QWidget* parent = nullptr);

    bool fillScreen() const { return m_fillScreen; }
    void setFillScreen(bool fill) { m_fillScreen = fill; }
    // Makes the native window if there is none yet and puts it under its siblings in the
    // X server's stack. QWidget::stackUnder leaves a native window where the server has
    // it, so does lower() when the widget is already first among its siblings, and a
    // native window made when it is first shown goes on top of the others.
    void lowerNativeWindow();

Q_SIGNALS:
    // The native window was made or re-made: its players must draw into the new one.
    void nativeWindowChanged();

protected:
    QPaintEngine* paintEngine() const override { return nullptr; }
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followAncestors();
    void schedulePlacing();
    void placeNativeWindow();

    bool m_fillScreen = false;
    bool m_placingScheduled = false;
};
