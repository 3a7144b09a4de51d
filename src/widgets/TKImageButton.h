// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QPixmap>

// An image from the application's resources by name ("icon_play_n" or "eco_barFill.png");
// a null pixmap when there is none.
QPixmap TKImageNamed(const QString& name);

// A borderless button drawn from images named base + "_n" (normal), "_f" (hover) and
// "_p" (pressed). Hover is tracked over the bounds grown by 4 on every side.
class TKImageButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TKImageButton(QWidget* parent = nullptr);

    void setImageName(const QString& name);
    QString imageName() const { return m_imageName; }
    // The current image's name without its two-character suffix, plus suffix.
    QPixmap buttonImageNameWithSuffix(const QString& suffix) const;

    void setEnabled(bool enabled);
    void mouseEntered();
    void mouseExited();
    void didCaptureMousePointer() { mouseEntered(); }
    void didReleaseMousePointer() { mouseExited(); }
    void resetMouseCaptures();
    bool shouldDisplayRollOver() const { return m_numberOfCaptures > 0 && isEnabled(); }
    void updateRollOverImage();
    qint64 numberOfCaptures() const { return m_numberOfCaptures; }

    // What the button shows now.
    const QPixmap& displayedImage() const { return m_displayed; }
    const QPixmap& rolloverImage() const { return m_rolloverImage; }
    const QPixmap& pressedImage() const { return m_pressedImage; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void watchParent();

    QString m_imageName;
    QPixmap m_activeImage, m_inactiveImage, m_rolloverImage, m_pressedImage, m_displayed;
    qint64 m_numberOfCaptures = 0;
    bool m_inside = false;
};
