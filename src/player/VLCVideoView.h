// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The native child window a player draws into. It paints itself black, so no stale
// frame shows while no picture is there.
class VLCVideoView : public QWidget {
    Q_OBJECT
public:
    explicit VLCVideoView(QWidget* parent = nullptr);

    bool fillScreen() const { return m_fillScreen; }
    void setFillScreen(bool fill) { m_fillScreen = fill; }

Q_SIGNALS:
    // The native window was made or re-made: its players must draw into the new one.
    void nativeWindowChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool m_fillScreen = false;
};
