// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/TKImageButton.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <optional>

QPixmap TKImageNamed(const QString& name) {
    const QString file =
        name.endsWith(QLatin1String(".png")) ? name : name + QStringLiteral(".png");
    return QPixmap(QStringLiteral(":/images/") + file);
}

TKImageButton::TKImageButton(QWidget* parent)
    : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    watchParent();
}

void TKImageButton::setImageName(const QString& name) {
    m_imageName = name;
    m_activeImage = m_inactiveImage = TKImageNamed(name);
    m_rolloverImage = buttonImageNameWithSuffix(QStringLiteral("_f"));
    m_pressedImage = buttonImageNameWithSuffix(QStringLiteral("_p"));
    updateRollOverImage();
    updateGeometry();
}

QPixmap TKImageButton::buttonImageNameWithSuffix(const QString& suffix) const {
    if (m_imageName.size() < 2)
        return {};
    return TKImageNamed(m_imageName.chopped(2) + suffix);
}

void TKImageButton::setEnabled(bool enabled) {
    QAbstractButton::setEnabled(enabled);
    updateRollOverImage();
}

void TKImageButton::mouseEntered() {
    ++m_numberOfCaptures;
    updateRollOverImage();
}

// A lost enter event must not leave the count below zero, or the next enter would not
// show the hover image.
void TKImageButton::mouseExited() {
    if (m_numberOfCaptures > 0)
        --m_numberOfCaptures;
    updateRollOverImage();
}

void TKImageButton::resetMouseCaptures() {
    m_numberOfCaptures = 0;
    updateRollOverImage();
}

void TKImageButton::updateRollOverImage() {
    m_displayed = shouldDisplayRollOver() ? m_rolloverImage
                  : isEnabled()           ? m_activeImage
                                          : m_inactiveImage;
    update();
}

QSize TKImageButton::sizeHint() const {
    return m_activeImage.isNull() ? QSize(24, 24) : m_activeImage.deviceIndependentSize().toSize();
}

void TKImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap& image = isDown() && !m_pressedImage.isNull() ? m_pressedImage : m_displayed;
    if (!image.isNull())
        p.drawPixmap(rect(), image);
}

void TKImageButton::watchParent() {
    if (QWidget* parent = parentWidget()) {
        parent->setMouseTracking(true);
        parent->installEventFilter(this);
    }
    setMouseTracking(true);
    installEventFilter(this);
}

void TKImageButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ParentAboutToChange && parentWidget())
        parentWidget()->removeEventFilter(this);
    if (event->type() == QEvent::ParentChange)
        watchParent();
    if (event->type() == QEvent::EnabledChange)
        updateRollOverImage();
    QAbstractButton::changeEvent(event);
}

// The pointer is followed in the parent too, so the grown bounds reach past the button.
bool TKImageButton::eventFilter(QObject* watched, QEvent* event) {
    std::optional<bool> inside;
    switch (event->type()) {
    case QEvent::MouseMove: {
        const QPoint at = mapFrom(static_cast<QWidget*>(watched),
                                  static_cast<QMouseEvent*>(event)->position().toPoint());
        inside = rect().adjusted(-4, -4, 4, 4).contains(at);
        break;
    }
    case QEvent::Enter:
        if (watched == this)
            inside = true;
        break;
    case QEvent::Leave:
        if (watched != this) // the pointer left the parent, and so the grown bounds
            inside = false;
        break;
    default:
        break;
    }
    if (inside && *inside != m_inside) {
        m_inside = *inside;
        m_inside ? mouseEntered() : mouseExited();
    }
    return QAbstractButton::eventFilter(watched, event);
}
