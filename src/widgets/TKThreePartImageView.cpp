// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKThreePartImageView.h"

#include "widgets/TKImageButton.h"

#include <QPainter>

void TKDrawThreePartImage(QPainter& painter, const QRect& frame, const QPixmap& left,
                          const QPixmap& middle, const QPixmap& right) {
    const int lw = left.isNull() ? 0 : int(left.deviceIndependentSize().width());
    const int rw = right.isNull() ? 0 : int(right.deviceIndependentSize().width());
    if (!left.isNull())
        painter.drawPixmap(QRect(frame.x(), frame.y(), lw, frame.height()), left);
    if (!middle.isNull())
        painter.drawPixmap(
            QRect(frame.x() + lw, frame.y(), frame.width() - lw - rw, frame.height()), middle);
    if (!right.isNull())
        painter.drawPixmap(QRect(frame.right() + 1 - rw, frame.y(), rw, frame.height()), right);
}

void TKThreePartImageView::setImagesLeft(const QPixmap& left, const QPixmap& middle,
                                         const QPixmap& right) {
    m_left = left;
    m_middle = middle;
    m_right = right;
    update();
}

void TKThreePartImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    TKDrawThreePartImage(p, rect(), m_left, m_middle, m_right);
}

void TKDrawImageButtonCellBezel(QPainter& painter, const QRect& frame, bool stateOn,
                                bool highlighted) {
    const QString suffix =
        !stateOn && highlighted ? QStringLiteral("_pressed.png") : QStringLiteral(".png");
    TKDrawThreePartImage(painter, frame, TKImageNamed(QStringLiteral("bg_bt_info_left") + suffix),
                         TKImageNamed(QStringLiteral("bg_bt_info_center") + suffix),
                         TKImageNamed(QStringLiteral("bg_bt_info_right") + suffix));
}
