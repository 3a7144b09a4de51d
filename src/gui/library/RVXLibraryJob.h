// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent>

#include <functional>

// Runs work on the thread pool and hands its one result to done on context's thread,
// unless context is gone by then.
template <typename Result>
void RVXLibraryJob(QObject* context, std::function<Result()> work,
                   std::function<void(Result)> done) {
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcher<Result>::finished, context,
                     [watcher, done = std::move(done)] {
                         done(watcher->result());
                         watcher->deleteLater();
                     });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}
