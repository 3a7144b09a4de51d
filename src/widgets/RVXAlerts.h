// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QMessageBox;
class QWidget;

// An alert with one "OK" on window (modal to it, not to the application): the message
// as its headline and the informative text below. end runs when it is dismissed.
QMessageBox* showAlertSheet(QWidget* window, const QString& message, const QString& informative,
                            std::function<void()> end);
QMessageBox* showAlert(QWidget* window, const QString& message, const QString& informative);

void setComboItems(QComboBox* combo, const QStringList& labels);
