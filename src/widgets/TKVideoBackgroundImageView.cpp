// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKVideoBackgroundImageView.h"

#include "widgets/TKImageButton.h"

#include <QPaintEvent>
#include <QPainter>

void TKVideoBackgroundImageView::setBackgroundNineImageName(const QString& base) {
    static const char* const kParts[9] = {
        "_top_left_corner",     "_top_right_corner", "_bottom_left_corner",
        "_bottom_right_corner", "_left_edge_fill",   "_right_edge_fill",
        "_top_edge_fill",       "_bottom_edge_fill", "_center_fill"};
    for (int i = 0; i < 9; ++i)
        m_pieces[i] = TKImageNamed(base + QLatin1String(kParts[i]));
    update();
}

void TKVideoBackgroundImageView::setLogoImage(const QPixmap& logo) {
    m_logo = logo;
    update();
}

QPoint TKVideoBackgroundImageView::logoOrigin(const QRect& bounds, const QSize& logo) {
    return bounds.topLeft() +
           QPoint((bounds.width() - logo.width()) / 2, (bounds.height() - logo.height()) / 2);
}

void TKVideoBackgroundImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const QSize tl = m_pieces[0].deviceIndependentSize().toSize();
    const QSize br = m_pieces[3].deviceIndependentSize().toSize();
    const int left = tl.width(), top = tl.height(), right = br.width(), bottom = br.height();
    const int midW = r.width() - left - right, midH = r.height() - top - bottom;
    const QRect cells[9] = {{0, 0, left, top},
                            {r.width() - right, 0, right, top},
                            {0, r.height() - bottom, left, bottom},
                            {r.width() - right, r.height() - bottom, right, bottom},
                            {0, top, left, midH},
                            {r.width() - right, top, right, midH},
                            {left, 0, midW, top},
                            {left, r.height() - bottom, midW, bottom},
                            {left, top, midW, midH}};
    for (int i = 0; i < 9; ++i) {
        if (!m_pieces[i].isNull() && cells[i].isValid())
            p.drawPixmap(cells[i], m_pieces[i]);
    }
    if (!m_logo.isNull()) {
        const QSize size = m_logo.deviceIndependentSize().toSize();
        p.drawPixmap(QRect(logoOrigin(r, size), size), m_logo);
    }
}

void TKColorBackgroundView::setBackgroundColor(const QColor& color) {
    m_color = color;
    update();
}

void TKColorBackgroundView::paintEvent(QPaintEvent* event) {
    if (m_color.isValid()) {
        QPainter p(this);
        p.fillRect(event->rect(), m_color);
    }
}

void CustomBackgroundBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    p.fillRect(event->rect(), fillColor());
}
