// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include <sys/types.h>

// Lists a folder tree ahead of its walk on a thread of its own, in the walk's order, so
// that reading the folders (the kernel's part) and judging their names (the walk's part)
// take the two cores at once. Only entries the file system types as folders are
// followed; the walk lists whatever else it enters itself.
class RVXFolderPrefetch {
public:
    // One folder's entries, names packed in one buffer to spare an allocation each.
    struct Listing {
        std::vector<char> names;
        std::vector<std::pair<size_t, unsigned char>> entries; // name offset, d_type
        dev_t device = 0;
        ino_t inode = 0;
        bool readable = false;
    };

    static Listing list(const QByteArray& dir);
    // dir with one '/' at its end: the start of each entry's path.
    static QByteArray childPrefix(const QByteArray& dir);

    RVXFolderPrefetch(const QByteArray& root, const std::atomic<bool>& cancel);
    ~RVXFolderPrefetch();
    RVXFolderPrefetch(const RVXFolderPrefetch&) = delete;
    RVXFolderPrefetch& operator=(const RVXFolderPrefetch&) = delete;

    // The listing of root or of a folder reached from it through typed folders only,
    // as soon as it is read; any other folder is listed here and now.
    Listing take(const QByteArray& dir);

private:
    void descend(const QByteArray& dir);
    bool stopped() const { return m_stop || m_cancel; }

    const std::atomic<bool>& m_cancel;
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_listed;
    QHash<QByteArray, Listing> m_ready;
    bool m_done = false;
    std::set<std::pair<dev_t, ino_t>> m_visited;
    std::thread m_thread;
};
