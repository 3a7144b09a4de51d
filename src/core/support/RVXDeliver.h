// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

// Hands call(target) from a worker to the UI thread, where it runs unless target is gone
// by then: how each background job gives back its result.
template <typename T, typename Call> void RVXDeliver(const QPointer<T>& target, Call&& call) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [target, call = std::forward<Call>(call)] {
            if (target)
                call(target.data());
        },
        Qt::QueuedConnection);
}
