// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the X server shows where a video view stands, against the picture the view last
// painted: the judge of "the picture is right" is the screen, as the user's eye sees it.

#include "gui/player/VLCVideoView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QString>
#include <QWidget>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

inline xcb_connection_t* xConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// How many windows of its own the top-level window holds: none, unless Qt made a box
// native (a native child is drawn by nobody when a dialog closes over it).
inline int nativeChildCount(QWidget* window) {
    xcb_connection_t* c = xConnection();
    if (!c)
        return -1;
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, xcb_window_t(window->winId())), nullptr);
    const int count = tree ? xcb_query_tree_children_length(tree) : -1;
    std::free(tree);
    return count;
}

// Where a widget stands among its siblings, counted from the bottom of their stack.
inline int siblingIndex(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return parent ? int(parent->children().indexOf(const_cast<QWidget*>(widget))) : -1;
}

inline QImage screenUnder(const QWidget* view) {
    const QPoint at = view->mapToGlobal(QPoint(0, 0));
    return view->screen()->grabWindow(0, at.x(), at.y(), view->width(), view->height()).toImage();
}

// Empty when the screen under the view shows the view's last picture where the view says
// it stands (a mean difference of a few levels, for the scaler's rounding), else what
// differs. Judged on a paused picture: a playing one moves on between the two reads.
inline QString pictureOnScreenDiffers(const VLCVideoView* view) {
    const QImage painted = view->paintedPicture();
    if (painted.isNull())
        return QStringLiteral("%1 painted no picture").arg(view->objectName());
    const QRect place = view->pictureRect();
    QImage expected(view->size(), QImage::Format_RGB32);
    expected.fill(Qt::black);
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(place, painted);
    }
    const QImage screen = screenUnder(view).convertToFormat(QImage::Format_RGB32);
    if (screen.size() != expected.size())
        return QStringLiteral("%1: the screen read %2x%3")
            .arg(view->objectName())
            .arg(screen.width())
            .arg(screen.height());
    double total = 0;
    int far = 0, samples = 0;
    for (int y = 0; y < screen.height(); y += 2) {
        for (int x = 0; x < screen.width(); x += 2) {
            const QRgb a = screen.pixel(x, y), b = expected.pixel(x, y);
            const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b));
            total += d;
            far += d > 120;
            ++samples;
        }
    }
    const double mean = total / std::max(1, samples) / 3;
    if (mean < 6 && far < samples / 50)
        return QString();
    return QStringLiteral("%1: the screen differs from its picture by %2 levels, %3 of %4 "
                          "points far off")
        .arg(view->objectName())
        .arg(mean, 0, 'f', 1)
        .arg(far)
        .arg(samples);
}
