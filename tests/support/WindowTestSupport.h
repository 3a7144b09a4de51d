// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <functional>

// Helpers of the tests that drive real windows.

// Runs the event loop until done() holds or the time is up; true when it held.
inline bool waitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(5);
    }
    return true;
}

inline void spin(int milliseconds) {
    waitFor([] { return false; }, milliseconds);
}

// The alert shown on top of window, once one shows; null when none does.
inline QMessageBox* visibleAlert(QWidget* window) {
    QMessageBox* found = nullptr;
    waitFor([&] {
        for (QMessageBox* box : window->findChildren<QMessageBox*>()) {
            if (box->isVisible())
                found = box;
        }
        return found != nullptr;
    });
    return found;
}

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
