// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryCommitter.h"

#include <QSet>

RVXLibraryCommitter::RVXLibraryCommitter()
    : m_thread([this] { run(); }) {}

RVXLibraryCommitter::~RVXLibraryCommitter() {
    take(true);
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void RVXLibraryCommitter::push(Job job) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_jobs.size() < kDepth; });
    m_jobs.push_back(std::move(job));
    ++m_busy;
    m_changed.notify_all();
}

std::vector<RVXLibraryCommitter::Done> RVXLibraryCommitter::take(bool wait) {
    std::unique_lock lock(m_mutex);
    if (wait)
        m_changed.wait(lock, [&] { return m_busy == 0; });
    return std::exchange(m_done, {});
}

void RVXLibraryCommitter::run() {
    std::vector<Done> placed;
    QSet<QString> folders;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        m_changed.notify_all();
        Done done{std::move(job.record), RVXLibraryFileCopy::place(job.fd, job.folder, job.name)};
        if (done.result.error == RVXLibraryFileCopy::Error::None)
            folders.insert(job.folder);
        placed.push_back(std::move(done));
        bool more = false;
        {
            std::lock_guard lock(m_mutex);
            more = !m_jobs.empty();
        }
        // A folder's sync covers every rename in it so far: once a batch, when the queue
        // runs dry or the batch has grown.
        if (more && placed.size() < 16)
            continue;
        for (const QString& folder : folders) {
            if (RVXLibraryFileCopy::syncFolder(folder))
                continue;
            for (Done& d : placed) {
                if (d.result.error == RVXLibraryFileCopy::Error::None) {
                    d.result.error = RVXLibraryFileCopy::Error::Target;
                    d.result.message =
                        QStringLiteral("%1: the folder could not be synced").arg(folder);
                }
            }
        }
        folders.clear();
        std::lock_guard lock(m_mutex);
        m_busy -= placed.size();
        for (Done& d : placed)
            m_done.push_back(std::move(d));
        placed.clear();
        m_changed.notify_all();
    }
}
