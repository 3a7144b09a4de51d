// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKStepper.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(name);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    button->setFixedWidth(20);
    return button;
}

} // namespace

TKStepper::TKStepper(QWidget* parent)
    : QWidget(parent)
    , m_up(arrowButton(Qt::UpArrow, tr("Increase"), this))
    , m_down(arrowButton(Qt::DownArrow, tr("Decrease"), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(m_up, &QToolButton::clicked, this, [this] { Q_EMIT stepped(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
}

QSize TKStepper::sizeHint() const {
    return {20, 26};
}

void TKStepper::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up)
        Q_EMIT stepped(1);
    else if (event->key() == Qt::Key_Down)
        Q_EMIT stepped(-1);
    else
        QWidget::keyPressEvent(event);
}
