// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXPageHelpers.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QMessageBox>
#include <QScreen>

QMessageBox* showAlertSheet(QWidget* window, const QString& message, const QString& informative,
                            std::function<void()> end) {
    auto* alert = new QMessageBox(QMessageBox::Warning, message, message, QMessageBox::Ok, window);
    alert->setObjectName(QStringLiteral("alert"));
    alert->setInformativeText(informative);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    if (end)
        QObject::connect(alert, &QDialog::finished, alert, [end](int) { end(); });
    alert->open();
    return alert;
}

QMessageBox* showAlert(QWidget* window, const QString& message, const QString& informative) {
    return showAlertSheet(window, message, informative, nullptr);
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

void centerInScreen(QWidget* window) {
    if (QScreen* screen = window->screen()) {
        const QRect visible = screen->availableGeometry();
        window->move(visible.topLeft() + QPoint((visible.width() - window->width()) / 2,
                                                (visible.height() - window->height()) / 2));
    }
}
