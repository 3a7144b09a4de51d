// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXMediaList.h"

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
        eachDir(QFile::encodeName(root), root, collection);
        if (m_cancel)
            return std::nullopt;
        // The order of compareDate, kept stable by the listing order. The keys were taken
        // when each record was made: comparing through pointers to records spread over
        // the heap cost more than the rest of the walk.
        std::sort(collection.begin(), collection.end(), [](const Collected& a, const Collected& b) {
            if (a.moment != b.moment)
                return a.moment < b.moment;
            if (a.division != b.division)
                return a.division > b.division;
            if (a.direction != b.direction)
                return a.direction < b.direction;
            return a.index < b.index;
        });
        Content content;
        content.medias.reserve(collection.size());
        content.pairs.reserve(qsizetype(collection.size()));
        for (Collected& c : collection)
            addMedia(content, std::move(c));
        return content;
    }

private:
    struct Collected {
        RVXMediaRef media;
        RVXMediaList::GroupKey group;
        int64_t moment;
        int32_t division;
        int32_t direction;
        uint32_t index;
    };

    // The entries of one folder, names packed in one buffer to spare an allocation each.
    struct Listing {
        std::vector<char> names;
        std::vector<std::pair<size_t, unsigned char>> entries; // name offset, d_type
        dev_t device = 0;
        ino_t inode = 0;
        bool readable = false;
    };

    static Listing list(const QByteArray& dir) {
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
    void eachDir(const QByteArray& dir, const QString& dirText,
                 std::vector<Collected>& collection) {
        // Read whole and closed before descending, so a deep tree never runs out of
        // file descriptors.
        const Listing listing = list(dir);
        if (!listing.readable || !m_visited.insert({listing.device, listing.inode}).second)
            return;
        const QByteArray prefix = dir.endsWith('/') ? dir : dir + '/';
        for (const auto& [offset, type] : listing.entries) {
            if (m_cancel)
                return;
            const char* name = listing.names.data() + offset;
            const size_t length = std::strlen(name);
            if (type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN) {
                const QByteArray full = prefix + QByteArray(name, qsizetype(length));
                if (isFolder(full, type)) {
                    eachDir(full, QFile::decodeName(full), collection);
                    continue;
                }
            }
            if (!hasMp4Extension(name, length))
                continue;
            if (RVXMediaRef media = createMedia(dirText, name, length)) {
                const RVXMedia& m = *media;
                // Group names of accepted records are 20 to 22 characters: the suffix goes.
                collection.push_back({std::move(media), GroupKey(m.mediaNameView().chopped(2)),
                                      m.momentKey(), m.mediaDivision(), m.mediaDirection(),
                                      uint32_t(collection.size())});
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
        if (!RVXMedia::isCandidateNameLength(dot > 0 ? dot : fileName.size()))
            return nullptr;
        auto media = std::make_shared<const RVXMedia>(dir, fileName);
        if (media->mediaDirection() == RVXMediaDirectionNone)
            return nullptr;
        return media;
    }

    // The key views the record's own name, which lives as long as the content does.
    static void addMedia(Content& content, Collected&& c) {
        RVXMediaPair& pair = content.pairs[c.group];
        if (c.direction == RVXMediaDirectionRear)
            pair.setRearMedia(c.media);
        else if (c.direction == RVXMediaDirectionFront)
            pair.setFrontMedia(c.media);
        content.medias.push_back(std::move(c.media));
    }

    const std::atomic<bool>& m_cancel;
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
    QString key = fileName.mid(fileName.lastIndexOf(u'/') + 1);
    const qsizetype dot = key.lastIndexOf(u'.');
    if (dot > 0)
        key.truncate(dot);
    if (key.endsWith(QLatin1String("_F")) || key.endsWith(QLatin1String("_R")))
        key.chop(2);
    return key;
}
