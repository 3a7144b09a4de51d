// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <QWidget>

// The frame behind a video: nine pieces (corners at natural size, edges and centre
// stretched) named base + "_top_left_corner" and so on, and a logo centred on them.
class TKVideoBackgroundImageView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setBackgroundNineImageName(const QString& base);
    void setLogoImage(const QPixmap& logo);
    const QPixmap& centerLogoImage() const { return m_logo; }
    // Where the logo goes in bounds of the given size.
    static QPoint logoOrigin(const QRect& bounds, const QSize& logo);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap m_pieces[9]; // tl, tr, bl, br, left, right, top, bottom, centre
    QPixmap m_logo;
};

// A view filled with one colour, or with nothing when none is set.
class TKColorBackgroundView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_color; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_color;
};

// A box filled with the player's warm grey.
class CustomBackgroundBox : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
    static QColor fillColor() { return QColor::fromRgbF(0.416f, 0.373f, 0.357f, 1.0f); }
    QPixmap backgroundImage;

protected:
    void paintEvent(QPaintEvent* event) override;
};
