// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

// Three images across the width: the ends at their natural width, the middle stretched.
void TKDrawThreePartImage(QPainter& painter, const QRect& frame, const QPixmap& left,
                          const QPixmap& middle, const QPixmap& right);

class TKThreePartImageView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setImagesLeft(const QPixmap& left, const QPixmap& middle, const QPixmap& right);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap m_left, m_middle, m_right;
};

// The bezel of an information button: the "bg_bt_info" pieces, pressed ones while the
// button is down and not checked.
void TKDrawImageButtonCellBezel(QPainter& painter, const QRect& frame, bool stateOn,
                                bool highlighted);
