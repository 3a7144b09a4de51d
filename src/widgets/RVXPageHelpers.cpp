// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/RVXPageHelpers.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace {

QMessageBox* openAlert(QMessageBox::Icon icon, QWidget* window, const QString& message,
                       const QString& informative, std::function<void()> end) {
    auto* alert = new QMessageBox(icon, message, message, QMessageBox::Ok, window);
    alert->setObjectName(QStringLiteral("alert"));
    alert->setInformativeText(informative);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    if (end)
        QObject::connect(alert, &QDialog::finished, alert, [end](int) { end(); });
    alert->open();
    return alert;
}

} // namespace

QMessageBox* showAlertSheet(QWidget* window, const QString& message, const QString& informative,
                            std::function<void()> end) {
    return openAlert(QMessageBox::Warning, window, message, informative, std::move(end));
}

QMessageBox* showAlert(QWidget* window, const QString& message, const QString& informative) {
    return showAlertSheet(window, message, informative, nullptr);
}

QMessageBox* showSuccessSheet(QWidget* window, const QString& message, const QString& informative,
                              std::function<void()> end) {
    return openAlert(QMessageBox::Information, window, message, informative, std::move(end));
}

QMessageBox* showSuccess(QWidget* window, const QString& message, const QString& informative) {
    return showSuccessSheet(window, message, informative, nullptr);
}

void openOrSayWhere(QWidget* window, const QString& path, const QString& message,
                    const QString& informative, const std::function<bool(const QUrl&)>& opener) {
    const QUrl url = QUrl::fromLocalFile(path);
    if (opener ? opener(url) : QDesktopServices::openUrl(url))
        return;
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("RUVEX"), message,
                                QMessageBox::Ok, window);
    box->setObjectName(QStringLiteral("fileLocationAlert"));
    box->setInformativeText(informative);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

void setComboItems(QComboBox* combo, const QStringList& labels) {
    combo->clear();
    combo->addItems(labels);
}

void setMatrixTitles(const QList<QAbstractButton*>& cells, const QStringList& labels) {
    for (qsizetype i = 0; i < cells.size() && i < labels.size(); ++i)
        cells[i]->setText(labels[i]);
}

void setCheckedButton(QButtonGroup* group, int id) {
    if (QAbstractButton* b = group->button(id)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; none is shown by lifting that.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

void keepInsideScreen(QWidget* window) {
    QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect visible = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    QPoint origin = frame.topLeft();
    origin.setX(
        std::max(visible.left(), std::min(origin.x(), visible.right() + 1 - frame.width())));
    origin.setY(
        std::max(visible.top(), std::min(origin.y(), visible.bottom() + 1 - frame.height())));
    // move() places the frame's corner as frameGeometry reports it for a shown window,
    // and the window's own before one.
    window->move(window->pos() + (origin - frame.topLeft()));
}

QString withoutMnemonic(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&')
                out += u'&', ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

void centerInScreen(QWidget* window) {
    if (QScreen* screen = window->screen()) {
        const QRect visible = screen->availableGeometry();
        window->move(visible.topLeft() + QPoint((visible.width() - window->width()) / 2,
                                                (visible.height() - window->height()) / 2));
    }
}
