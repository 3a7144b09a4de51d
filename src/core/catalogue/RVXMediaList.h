// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXMediaListDelegate.h"
#include "core/catalogue/RVXMediaPair.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The catalogue of the recordings under one folder. Walks run in the background, one at
// a time; each walk builds its content apart and publishes it whole, so readers on any
// thread see either the previous list or the new one, never a partial one.
class RVXMediaList {
public:
    // A walk stops collecting at about this many recordings (see eachDir).
    static constexpr size_t kMediaLimit = 15000;

    using PairDictionary = QHash<QString, RVXMediaPairRef>;

    static std::unique_ptr<RVXMediaList> mediaList() { return std::make_unique<RVXMediaList>(); }
    RVXMediaList();
    ~RVXMediaList();
    RVXMediaList(const RVXMediaList&) = delete;
    RVXMediaList& operator=(const RVXMediaList&) = delete;

    // Every call with a path starts a walk, the same path included. A walk still
    // running is abandoned: the latest request decides the final list. Without a path
    // nothing starts and the list stays as it is.
    void setDirectoryPath(const std::optional<QString>& path);
    std::optional<QString> directoryPath() const;

    qsizetype count() const;
    RVXMediaRef mediaAtIndex(int64_t index) const;
    // Accepts a recording's name or file name, with or without folders and extension.
    RVXMediaPairRef findMediaPairWithFileName(const QString& fileName) const;
    std::vector<RVXMediaRef> medias() const;
    PairDictionary mediaPairDic() const;

    RVXMediaListDelegate* delegate() const;
    void setDelegate(RVXMediaListDelegate* delegate);

    // Blocks until no walk is running or waiting. For callers without an event loop.
    void waitForWalks();

    // The acceptance rule of the walk: the record for path, or nothing when its name
    // does not follow the recording grammar.
    static RVXMediaRef createMediaByPath(const QString& path);
    // The same rule on a file name alone.
    static bool isAcceptedName(QStringView lastComponent);
    static bool _checkTimeByName(QStringView name, int startPos);
    static QString pairKeyForFileName(const QString& fileName);

    struct GroupKey;

private:
    struct Content;
    class Walk;

    void runWalks();
    std::shared_ptr<const Content> content() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    std::optional<QString> m_directoryPath;
    std::optional<QString> m_pendingPath;
    bool m_walkerRunning = false;
    std::atomic<bool> m_cancel{false};
    std::shared_ptr<const Content> m_content;
    RVXMediaListDelegate* m_delegate = nullptr;
    QThreadPool m_pool;
};
