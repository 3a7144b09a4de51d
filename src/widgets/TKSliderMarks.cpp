// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKSliderMarks.h"

#include <QEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

TKSliderMarks::TKSliderMarks(QWidget* slider)
    : QWidget(slider) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(slider->rect());
    slider->installEventFilter(this);
    hide();
}

void TKSliderMarks::setMarks(std::vector<Mark> marks) {
    m_marks = std::move(marks);
    setVisible(!m_marks.empty());
    raise();
    update();
}

bool TKSliderMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(static_cast<QWidget*>(watched)->rect());
    return QWidget::eventFilter(watched, event);
}

// Where the handle's centre can go is the groove the marks span: the slider's style
// tells it through the handle's extent.
void TKSliderMarks::paintEvent(QPaintEvent*) {
    auto* slider = qobject_cast<QSlider*>(parentWidget());
    int left = 0, span = width();
    if (slider) {
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = Qt::Horizontal;
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                             QStyle::SC_SliderHandle, slider);
        left = handle.width() / 2;
        span = std::max(1, width() - handle.width());
    }
    QPainter painter(this);
    const int h = 4, y = height() - h - 1;
    for (const Mark& m : m_marks) {
        const int x0 = left + int(std::clamp(m.from, 0.0, 1.0) * span);
        const int x1 = left + int(std::clamp(m.to, 0.0, 1.0) * span);
        if (m.tall)
            painter.fillRect(QRect(x0 - 1, 1, std::max(3, x1 - x0), height() - 2), m.color);
        else
            painter.fillRect(QRect(x0, y, std::max(2, x1 - x0), h), m.color);
    }
}
