// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/library/RVXLibraryFileCopy.h"
#include "core/library/RVXLibraryRecording.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// The second half of an import's copies on a thread of its own: while the next recording
// is read and hashed, the one before is forced to the disk and given its name, and every
// few the folders are synced. A file comes back only once its name is on the disk, so its
// row can follow; the index stays with the thread that opened it.
class RVXLibraryCommitter {
public:
    struct Job {
        int fd = -1;
        QString folder;
        QString name;
        RVXLibraryRecording record;
    };
    struct Done {
        RVXLibraryRecording record;
        RVXLibraryFileCopy::Result result;
    };
    // Jobs written and waiting: bounds the bytes not yet on the disk.
    static constexpr size_t kDepth = 3;

    RVXLibraryCommitter();
    ~RVXLibraryCommitter();
    RVXLibraryCommitter(const RVXLibraryCommitter&) = delete;
    RVXLibraryCommitter& operator=(const RVXLibraryCommitter&) = delete;

    // Waits while kDepth jobs wait.
    void push(Job job);
    // What is in place by now; with wait, once every job pushed is.
    std::vector<Done> take(bool wait);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    std::vector<Done> m_done;
    size_t m_busy = 0;
    bool m_stop = false;
    std::thread m_thread;
};
