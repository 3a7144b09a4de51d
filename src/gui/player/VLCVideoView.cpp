// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCVideoView.h"

#include "gui/player/VLCVideoFrames.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <utility>

VLCVideoView::VLCVideoView(QWidget* parent)
    : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
}

void VLCVideoView::setFillScreen(bool fill) {
    m_fillScreen = fill;
    update();
}

namespace {
// Both players' new pictures are painted in one repaint of the window. Each repaint
// composes the whole window (on the GPU, or in software where there is none), and two
// players at 30 pictures a second out of step would ask for 60; held together for up to
// 25 ms they ask for 30, about a third less of a core in software.
constexpr int kBatchMs = 25;
QList<QPointer<VLCVideoView>>& waitingViews() {
    static QList<QPointer<VLCVideoView>> views;
    return views;
}

void paintWhenTheBatchCloses(VLCVideoView* view) {
    QList<QPointer<VLCVideoView>>& waiting = waitingViews();
    if (waiting.contains(view))
        return;
    const bool first = waiting.isEmpty();
    waiting.append(view);
    if (!first)
        return;
    QTimer::singleShot(kBatchMs, Qt::PreciseTimer, [] {
        const QList<QPointer<VLCVideoView>> views = std::exchange(waitingViews(), {});
        for (const QPointer<VLCVideoView>& v : views) {
            if (v)
                v->update();
        }
    });
}
} // namespace

void VLCVideoView::setFrames(VLCVideoFrames* frames) {
    if (m_frames)
        disconnect(m_frames, nullptr, this, nullptr);
    m_frames = frames;
    if (frames)
        connect(frames, &VLCVideoFrames::frameReady, this,
                [this] { paintWhenTheBatchCloses(this); });
    update();
}

QRect VLCVideoView::placeOf(QSize picture) const {
    if (picture.isEmpty())
        return QRect();
    QSize placed = picture;
    if (m_fillScreen || placed.width() > width() || placed.height() > height())
        placed.scale(size(), Qt::KeepAspectRatio);
    QRect place(QPoint(0, 0), placed);
    place.moveCenter(rect().center());
    return place;
}

QRect VLCVideoView::pictureRect() const {
    return placeOf(m_painted.size());
}

void VLCVideoView::paintEvent(QPaintEvent* event) {
    m_painted = m_frames ? m_frames->latest() : QImage();
    const QImage& picture = m_painted;
    if (picture.isNull())
        return;
    QPainter painter(this);
    const QRect place = placeOf(picture.size());
    const QRegion bars = QRegion(rect()).subtracted(place);
    for (const QRect& bar : bars)
        painter.fillRect(bar, Qt::black);
    // Bilinear: nearest-pixel scaling turns a licence plate's edges into stairs.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(place, picture);
    Q_UNUSED(event);
}
