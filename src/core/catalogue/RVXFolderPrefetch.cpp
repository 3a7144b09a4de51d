// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXFolderPrefetch.h"

#include <cstring>
#include <system_error>

#include <dirent.h>
#include <sys/stat.h>

RVXFolderPrefetch::Listing RVXFolderPrefetch::list(const QByteArray& dir) {
    Listing listing;
    DIR* handle = opendir(dir.isEmpty() ? "" : dir.constData());
    if (!handle)
        return listing;
    struct stat info {};
    if (fstat(dirfd(handle), &info) == 0) {
        listing.device = info.st_dev;
        listing.inode = info.st_ino;
        listing.readable = true;
    }
    while (const dirent* e = readdir(handle)) {
        if (e->d_name[0] == '.' &&
            (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0)))
            continue;
        listing.entries.emplace_back(listing.names.size(), e->d_type);
        listing.names.insert(listing.names.end(), e->d_name,
                             e->d_name + std::strlen(e->d_name) + 1);
    }
    closedir(handle);
    return listing;
}

QByteArray RVXFolderPrefetch::childPrefix(const QByteArray& dir) {
    return dir.endsWith('/') ? dir : dir + '/';
}

RVXFolderPrefetch::RVXFolderPrefetch(const QByteArray& root, const std::atomic<bool>& cancel)
    : m_cancel(cancel) {
    try {
        m_thread = std::thread([this, root] {
            descend(root);
            std::lock_guard lock(m_mutex);
            m_done = true;
            m_listed.notify_all();
        });
    } catch (const std::system_error&) {
        // Out of threads: the walk lists every folder itself, as it would without us.
        m_done = true;
    }
}

RVXFolderPrefetch::~RVXFolderPrefetch() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

// A folder seen a second time (a bind mount of an enclosing one) is handed over but not
// descended into; the walk refuses it too.
void RVXFolderPrefetch::descend(const QByteArray& dir) {
    if (stopped())
        return;
    Listing listing = list(dir);
    std::vector<QByteArray> folders;
    if (listing.readable && m_visited.insert({listing.device, listing.inode}).second) {
        const QByteArray prefix = childPrefix(dir);
        for (const auto& [offset, type] : listing.entries)
            if (type == DT_DIR)
                folders.push_back(prefix + (listing.names.data() + offset));
    }
    {
        std::lock_guard lock(m_mutex);
        m_ready.insert(dir, std::move(listing));
    }
    m_listed.notify_all();
    for (const QByteArray& folder : folders)
        descend(folder);
}

RVXFolderPrefetch::Listing RVXFolderPrefetch::take(const QByteArray& dir) {
    {
        std::unique_lock lock(m_mutex);
        m_listed.wait(lock, [&] { return m_done || m_ready.contains(dir); });
        if (auto it = m_ready.find(dir); it != m_ready.end()) {
            Listing listing = std::move(*it);
            m_ready.erase(it);
            return listing;
        }
    }
    return list(dir);
}
