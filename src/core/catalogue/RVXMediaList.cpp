// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXMediaList.h"

#include "core/catalogue/RVXFolderPrefetch.h"

#include <QDir>
#include <QFile>

#include <cstring>

#include <algorithm>
#include <set>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

// What one walk found. The pairs are keyed by views into their members' names and
// held by value; readers get them as const pointers that keep the whole content alive,
// so a published content is never changed and costs no allocation per pair.
struct RVXMediaList::Content {
    std::vector<RVXMediaRef> medias;
    QHash<GroupKey, RVXMediaPair> pairs;
};

// A group name with its hash taken while the record was fresh in the cache.
struct RVXMediaList::GroupKey {
    QStringView name;
    size_t hash;
    explicit GroupKey(QStringView n)
        : name(n)
        , hash(qHash(n)) {}
    bool operator==(const GroupKey& other) const {
        return hash == other.hash && name == other.name;
    }
};

size_t qHash(const RVXMediaList::GroupKey& key, size_t seed) {
    return key.hash ^ seed;
}

// One walk over a folder tree into a private collection.
class RVXMediaList::Walk {
public:
    explicit Walk(const std::atomic<bool>& cancel)
        : m_cancel(cancel) {}

    // Returns nothing when the walk was abandoned before it finished.
    std::optional<Content> run(const QString& directoryPath) {
        std::vector<Collected> collection;
        // Records hold absolute paths; making the root absolute once spares every record.
        const QString root = directoryPath.isEmpty()
                                 ? QString()
                                 : QDir::cleanPath(QDir::current().absoluteFilePath(directoryPath));
        const QByteArray rootBytes = QFile::encodeName(root);
        RVXFolderPrefetch prefetch(rootBytes, m_cancel);
        m_prefetch = &prefetch;
        eachDir(rootBytes, root, true, collection);
        m_prefetch = nullptr;
        if (m_cancel)
            return std::nullopt;
        closeRun(collection);
        mergeRuns(collection, 0);
        m_content.medias.reserve(collection.size());
        for (Collected& c : collection)
            m_content.medias.push_back(std::move(c.media));
        return std::move(m_content);
    }

private:
    struct Collected {
        RVXMediaRef media;
        RVXMediaList::GroupKey group;
        int64_t moment;
        int32_t division;
        int32_t direction;
        bool repaired;
        uint32_t index;
    };

    // The order of compareDate, kept stable by the listing order. The keys were taken
    // when each record was made: comparing through pointers to records spread over the
    // heap cost more than the rest of the walk.
    static bool earlier(const Collected& a, const Collected& b) {
        if (a.moment != b.moment)
            return a.moment < b.moment;
        if (a.division != b.division)
            return a.division > b.division;
        if (a.direction != b.direction)
            return a.direction < b.direction;
        if (a.repaired != b.repaired)
            return b.repaired;
        return a.index < b.index;
    }

    // The records found since the last folder was taken are sorted and merged into the
    // runs before while the prefetch reads the next folder, so that little of the sort
    // is left when the last folder is done. A run is merged into the one before once
    // that one is no longer than twice its size: run sizes fall by more than half from
    // the first to the last, so there are at most about log2(n) of them.
    void closeRun(std::vector<Collected>& collection) {
        if (collection.size() == m_sortedUpTo)
            return;
        std::sort(collection.begin() + ptrdiff_t(m_sortedUpTo), collection.end(), earlier);
        m_runs.push_back(m_sortedUpTo);
        m_sortedUpTo = collection.size();
        mergeRuns(collection, 2);
    }

    // Merges runs from the last one back while the one before is at most ratio times as
    // long; with ratio 0, all of them.
    void mergeRuns(std::vector<Collected>& collection, size_t ratio) {
        while (m_runs.size() >= 2) {
            const size_t last = m_runs.back(), before = m_runs[m_runs.size() - 2];
            if (ratio > 0 && last - before > ratio * (collection.size() - last))
                return;
            std::inplace_merge(collection.begin() + ptrdiff_t(before),
                               collection.begin() + ptrdiff_t(last), collection.end(), earlier);
            m_runs.pop_back();
        }
    }

    static bool isFolder(const QByteArray& path, unsigned char type) {
        if (type == DT_DIR)
            return true;
        if (type != DT_LNK && type != DT_UNKNOWN)
            return false;
        struct stat info {};
        return stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    static bool hasMp4Extension(const char* name, size_t length) {
        return length >= 4 && name[length - 4] == '.' &&
               qstrnicmp(name + length - 3, "mp4", 3) == 0;
    }

    // Entries are handled in the order the file system lists them. The limit is tested
    // only right after a recording is added and stops only this folder: an enclosing
    // folder goes on with its next entry, so a walk may end a few recordings past it.
    // Every folder is entered once, so a symbolic link back up the tree ends.
    // A folder is read whole and closed before descending, so a deep tree never runs out
    // of file descriptors; the prefetch has read it already when it is typed as a folder
    // and its parent came from the prefetch too.
    void eachDir(const QByteArray& dir, const QString& dirText, bool prefetched,
                 std::vector<Collected>& collection) {
        if (prefetched)
            closeRun(collection);
        const RVXFolderPrefetch::Listing listing =
            prefetched ? m_prefetch->take(dir) : RVXFolderPrefetch::list(dir);
        if (!listing.readable || !m_visited.insert({listing.device, listing.inode}).second)
            return;
        const QByteArray prefix = RVXFolderPrefetch::childPrefix(dir);
        for (const auto& [offset, type] : listing.entries) {
            if (m_cancel)
                return;
            const char* name = listing.names.data() + offset;
            const size_t length = std::strlen(name);
            if (type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN) {
                const QByteArray full = prefix + QByteArray(name, qsizetype(length));
                if (isFolder(full, type)) {
                    eachDir(full, QFile::decodeName(full), prefetched && type == DT_DIR,
                            collection);
                    continue;
                }
            }
            if (!hasMp4Extension(name, length))
                continue;
            if (RVXMediaRef media = createMedia(dirText, name, length)) {
                const RVXMedia& m = *media;
                collection.push_back({std::move(media), GroupKey(m.mediaGroupNameView()),
                                      m.momentKey(), m.mediaDivision(), m.mediaDirection(),
                                      m.isRepairedCopy(), uint32_t(collection.size())});
                pairMedia(collection.back());
                if (collection.size() >= kMediaLimit)
                    return;
            }
        }
    }

    // Camera names are ASCII: those are widened on the stack and judged before any
    // string is allocated, which keeps the walk close to the cost of the listing itself.
    static RVXMediaRef createMedia(const QString& dir, const char* name, size_t length) {
        char16_t wide[256];
        QString decoded;
        QStringView fileName;
        const bool ascii =
            std::all_of(name, name + length, [](char c) { return uint8_t(c) < 0x80; });
        if (ascii && length <= std::size(wide)) {
            std::copy(name, name + length, wide);
            fileName = QStringView(wide, qsizetype(length));
        } else {
            decoded = QFile::decodeName(QByteArray(name, qsizetype(length)));
            fileName = decoded;
        }
        // The record's own parse decides the rest: of names of these lengths, exactly the
        // accepted ones come out with a side (a failed time field leaves it undetermined,
        // as does a suffix other than "_F" or "_R"). It spares reading the time twice.
        const qsizetype dot = fileName.lastIndexOf(u'.');
        if (!RVXMedia::isCandidateName(dot > 0 ? fileName.left(dot) : fileName))
            return nullptr;
        auto media = std::make_shared<const RVXMedia>(dir, fileName);
        if (media->mediaDirection() == RVXMediaDirectionNone)
            return nullptr;
        return media;
    }

    // The key views the record's own name, which lives as long as the content does.
    // Records of one group and side differ only in their folder, or one is a repaired
    // copy, which sorts after the camera's recordings of its name. The member kept is a
    // copy over the camera's recording (the copy is the one that plays), else the later
    // in the listing: either way the later in the list's order, so the pairs can be made
    // while the prefetch is still reading.
    void pairMedia(const Collected& c) {
        RVXMediaPair& pair = m_content.pairs[c.group];
        const auto take = [&c](const RVXMediaRef& member) {
            return !member || c.repaired || !member->isRepairedCopy();
        };
        if (c.direction == RVXMediaDirectionRear) {
            if (take(pair.rearMedia()))
                pair.setRearMedia(c.media);
        } else if (c.direction == RVXMediaDirectionFront) {
            if (take(pair.frontMedia()))
                pair.setFrontMedia(c.media);
        }
    }

    const std::atomic<bool>& m_cancel;
    RVXFolderPrefetch* m_prefetch = nullptr;
    Content m_content;
    std::vector<size_t> m_runs; // where each sorted run of the collection starts
    size_t m_sortedUpTo = 0;
    std::set<std::pair<dev_t, ino_t>> m_visited;
};

RVXMediaList::RVXMediaList()
    : m_content(std::make_shared<const Content>()) {
    m_pool.setMaxThreadCount(1);
}

RVXMediaList::~RVXMediaList() {
    {
        std::lock_guard lock(m_mutex);
        m_pendingPath.reset();
        m_cancel = true;
    }
    m_pool.waitForDone();
}

void RVXMediaList::setDirectoryPath(const std::optional<QString>& path) {
    std::lock_guard lock(m_mutex);
    m_directoryPath = path;
    if (!path)
        return;
    m_pendingPath = path;
    m_cancel = true;
    if (!m_walkerRunning) {
        m_walkerRunning = true;
        m_pool.start([this] { runWalks(); });
    }
}

void RVXMediaList::runWalks() {
    for (;;) {
        QString path;
        {
            std::lock_guard lock(m_mutex);
            if (!m_pendingPath) {
                m_walkerRunning = false;
                m_idle.notify_all();
                return;
            }
            path = *std::exchange(m_pendingPath, std::nullopt);
            m_cancel = false;
        }
        std::optional<Content> content = Walk(m_cancel).run(path);
        RVXMediaListDelegate* delegate = nullptr;
        std::shared_ptr<const Content> previous;
        {
            std::lock_guard lock(m_mutex);
            if (!content)
                continue;
            previous =
                std::exchange(m_content, std::make_shared<const Content>(std::move(*content)));
            delegate = m_delegate;
        }
        if (delegate)
            delegate->mediaListChanged(this);
        // Freeing thousands of records takes milliseconds: not while readers wait for
        // the lock, nor before the delegate hears of the new list.
        previous.reset();
    }
}

void RVXMediaList::waitForWalks() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_walkerRunning; });
}

std::shared_ptr<const RVXMediaList::Content> RVXMediaList::content() const {
    std::lock_guard lock(m_mutex);
    return m_content;
}

std::optional<QString> RVXMediaList::directoryPath() const {
    std::lock_guard lock(m_mutex);
    return m_directoryPath;
}

qsizetype RVXMediaList::count() const {
    return qsizetype(content()->medias.size());
}

RVXMediaRef RVXMediaList::mediaAtIndex(int64_t index) const {
    const auto c = content();
    if (index < 0 || uint64_t(index) >= c->medias.size())
        return nullptr;
    return c->medias[size_t(index)];
}

RVXMediaPairRef RVXMediaList::findMediaPairWithFileName(const QString& fileName) const {
    const auto c = content();
    const QString key = pairKeyForFileName(fileName);
    const auto it = c->pairs.constFind(GroupKey(key));
    return it == c->pairs.cend() ? nullptr : RVXMediaPairRef(c, &it.value());
}

std::vector<RVXMediaRef> RVXMediaList::medias() const {
    return content()->medias;
}

RVXMediaList::PairDictionary RVXMediaList::mediaPairDic() const {
    const auto c = content();
    PairDictionary dictionary;
    dictionary.reserve(c->pairs.size());
    for (auto it = c->pairs.cbegin(); it != c->pairs.cend(); ++it)
        dictionary.insert(it.key().name.toString(), RVXMediaPairRef(c, &it.value()));
    return dictionary;
}

RVXMediaListDelegate* RVXMediaList::delegate() const {
    std::lock_guard lock(m_mutex);
    return m_delegate;
}

void RVXMediaList::setDelegate(RVXMediaListDelegate* delegate) {
    std::lock_guard lock(m_mutex);
    m_delegate = delegate;
}

RVXMediaRef RVXMediaList::createMediaByPath(const QString& path) {
    return isAcceptedName(QStringView(path).mid(path.lastIndexOf(u'/') + 1))
               ? RVXMedia::mediaWithPath(path)
               : nullptr;
}

bool RVXMediaList::isAcceptedName(QStringView lastComponent) {
    QStringView name = lastComponent;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name = name.left(dot);
    name = RVXMedia::recordingName(name);
    if (!RVXMedia::isRecordingNameLength(name.size()))
        return false;
    const int start = RVXMedia::timeFieldStart(name);
    if (start >= 0 && !_checkTimeByName(name, start))
        return false;
    return name.endsWith(QLatin1String("_F")) || name.endsWith(QLatin1String("_R"));
}

bool RVXMediaList::_checkTimeByName(QStringView name, int startPos) {
    int32_t fields[6] = {};
    return RVXMedia::readTimeField(name, startPos, fields);
}

QString RVXMediaList::pairKeyForFileName(const QString& fileName) {
    QStringView key = QStringView(fileName).mid(fileName.lastIndexOf(u'/') + 1);
    const qsizetype dot = key.lastIndexOf(u'.');
    if (dot > 0)
        key.truncate(dot);
    key = RVXMedia::recordingName(key);
    if (key.endsWith(QLatin1String("_F")) || key.endsWith(QLatin1String("_R")))
        key.chop(2);
    return key.toString();
}
