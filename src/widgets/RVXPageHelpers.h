// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <QUrl>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QMessageBox;
class QWidget;

// An alert with one "OK" on window (modal to it, not to the application): the message
// as its headline and the informative text below. end runs when it is dismissed.
QMessageBox* showAlertSheet(QWidget* window, const QString& message, const QString& informative,
                            std::function<void()> end);
QMessageBox* showAlert(QWidget* window, const QString& message, const QString& informative);
// The same for news of something done: the information icon, where a failure has the
// warning one.
QMessageBox* showSuccessSheet(QWidget* window, const QString& message, const QString& informative,
                              std::function<void()> end);
QMessageBox* showSuccess(QWidget* window, const QString& message, const QString& informative);
// Puts the window in the middle of the visible part of its screen, keeping its size.
void centerInScreen(QWidget* window);
// Hands path to the desktop's program for it. Where the desktop has none (no launcher,
// nothing for the kind of file), it shows message (saying where the file is, selectable)
// and informative instead of doing nothing. opener stands in for the desktop in tests:
// true when a program took the file.
void openOrSayWhere(QWidget* window, const QString& path, const QString& message,
                    const QString& informative,
                    const std::function<bool(const QUrl&)>& opener = nullptr);
// Moves the window (as little as it takes) so that it lies inside the visible part of
// the screen it is on; a window larger than that keeps its top left corner inside.
void keepInsideScreen(QWidget* window);
// A menu text as a tooltip or a title shows it: "&Full Screen" is "Full Screen", and
// "&&" one "&".
QString withoutMnemonic(const QString& text);

// The control-filling routines of the settings pages (the segmented control's is beside
// it): a combo box's items, and a radio matrix's cell titles, its cells counted row by row.
void setComboItems(QComboBox* combo, const QStringList& labels);
void setMatrixTitles(const QList<QAbstractButton*>& cells, const QStringList& labels);
// Checks the group's button of that id, or none for an id it does not have.
void setCheckedButton(QButtonGroup* group, int id);
