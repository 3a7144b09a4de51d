// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXMediaList.h"

#include "support/TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include <unistd.h>

namespace {

class CountingDelegate : public RVXMediaListDelegate {
public:
    void mediaListChanged(RVXMediaList* list) override {
        std::lock_guard lock(mutex);
        ++calls;
        counts.push_back(list->count());
    }
    int callCount() {
        std::lock_guard lock(mutex);
        return calls;
    }
    std::mutex mutex;
    int calls = 0;
    std::vector<qsizetype> counts;
};

QStringList fileNames(const RVXMediaList& list) {
    QStringList names;
    for (const RVXMediaRef& m : list.medias())
        names << m->fileName();
    return names;
}

QStringList numberedNames(int first, int count, const char* side = "F") {
    QStringList names;
    for (int i = first; i < first + count; ++i) {
        const int s = i % 60, m = (i / 60) % 60, h = (i / 3600) % 24, d = 1 + (i / 86400) % 28;
        names << QString::asprintf("alwa_201501%02d_%02d%02d%02d_%s.MP4", d, h, m, s, side);
    }
    return names;
}

QStringList walk(RVXMediaList& list, const QString& dir) {
    list.setDirectoryPath(dir);
    list.waitForWalks();
    return fileNames(list);
}

TEST(RVXMediaList, PairsFrontAndRearOfOneMoment) {
    TempTree tree;
    tree.files(QStringLiteral("."), {"alwa_20150101_120000_R.MP4", "alwa_20150101_120000_F.MP4"});
    RVXMediaList list;
    EXPECT_EQ(walk(list, tree.root()),
              QStringList({"alwa_20150101_120000_F.MP4", "alwa_20150101_120000_R.MP4"}));
    const auto dic = list.mediaPairDic();
    ASSERT_EQ(dic.size(), 1);
    const RVXMediaPairRef pair = dic.value(QStringLiteral("alwa_20150101_120000"));
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->frontMedia(), list.mediaAtIndex(0));
    EXPECT_EQ(pair->rearMedia(), list.mediaAtIndex(1));
}

TEST(RVXMediaList, LoneRearIsListedAndFoundByAnyFormOfItsName) {
    TempTree tree;
    tree.file(QStringLiteral("a/b/c/event_20150101_120000_R.MP4"));
    RVXMediaList list;
    EXPECT_EQ(walk(list, tree.root()).size(), 1);
    for (const char* key : {"event_20150101_120000_R.MP4", "event_20150101_120000_R",
                            "event_20150101_120000", "/elsewhere/event_20150101_120000_R.MP4"}) {
        const RVXMediaPairRef pair = list.findMediaPairWithFileName(QLatin1String(key));
        ASSERT_TRUE(pair) << key;
        EXPECT_FALSE(pair->frontMedia());
        EXPECT_EQ(pair->rearMedia(), list.mediaAtIndex(0));
    }
    EXPECT_FALSE(list.findMediaPairWithFileName(QStringLiteral("event_20150101_120001_R.MP4")));
}

TEST(RVXMediaList, AcceptsOnlyGrammaticalMp4Names) {
    TempTree tree;
    tree.files(QStringLiteral("."),
               {"alwa_20150101_120000_F.mp4", "alwa_20150101_120001_F.MP4",
                "alwa_20150101_120002_F.Mp4", "alwa_20150101_120003_X.MP4",
                "alwa_20150101_120004_F.MOV", "event_20151301_120000_F.MP4",
                "alwa_20150101_120005_f.MP4", "clip_F.MP4", "alwa_20150101_120006_F", "notes.txt",
                "motion_20150101_120000_R.MP4"});
    tree.files(QStringLiteral("deep/er/still/deeper"), {"event_20150101_120007_R.MP4"});
    RVXMediaList list;
    EXPECT_EQ(walk(list, tree.root()),
              QStringList({"motion_20150101_120000_R.MP4", "alwa_20150101_120000_F.mp4",
                           "alwa_20150101_120001_F.MP4", "alwa_20150101_120002_F.Mp4",
                           "event_20150101_120007_R.MP4"}));
}

TEST(RVXMediaList, NamesWithoutKnownPrefixSortFirstWithMomentUnset) {
    TempTree tree;
    tree.files(QStringLiteral("."), {"alwa_20150101_120000_F.MP4", "test_20150101_120000_F.MP4",
                                     "._alwa_20150101_120000_F.MP4"});
    RVXMediaList list;
    const QStringList names = walk(list, tree.root());
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names.last(), QStringLiteral("alwa_20150101_120000_F.MP4"));
    for (int i = 0; i < 2; ++i) {
        const RVXMediaRef m = list.mediaAtIndex(i);
        EXPECT_TRUE(m->isAlwaysMedia() && m->isFrontMedia());
        EXPECT_FALSE(m->hasMoment());
    }
}

TEST(RVXMediaList, IndexOutsideTheListGivesNothing) {
    TempTree tree;
    tree.files(QStringLiteral("."), {"alwa_20150101_120000_F.MP4"});
    RVXMediaList list;
    walk(list, tree.root());
    EXPECT_TRUE(list.mediaAtIndex(0));
    EXPECT_FALSE(list.mediaAtIndex(-1));
    EXPECT_FALSE(list.mediaAtIndex(list.count()));
    EXPECT_FALSE(list.mediaAtIndex(INT64_MIN));
}

TEST(RVXMediaList, NoPathKeepsTheListAndTellsNobody) {
    TempTree tree;
    tree.files(QStringLiteral("."), {"alwa_20150101_120000_F.MP4", "alwa_20150101_120000_R.MP4"});
    CountingDelegate delegate;
    RVXMediaList list;
    list.setDelegate(&delegate);
    walk(list, tree.root());
    ASSERT_EQ(delegate.callCount(), 1);
    list.setDirectoryPath(std::nullopt);
    list.waitForWalks();
    EXPECT_EQ(delegate.callCount(), 1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(list.findMediaPairWithFileName(QStringLiteral("alwa_20150101_120000")));
    EXPECT_FALSE(list.directoryPath());
}

TEST(RVXMediaList, EmptyOrUnreadableFolderGivesAnEmptyListAndStillTells) {
    TempTree tree;
    tree.files(QStringLiteral("full"), {"alwa_20150101_120000_F.MP4"});
    tree.folder(QStringLiteral("empty"));
    CountingDelegate delegate;
    RVXMediaList list;
    list.setDelegate(&delegate);
    EXPECT_EQ(walk(list, tree.path(QStringLiteral("full"))).size(), 1);
    EXPECT_TRUE(walk(list, tree.path(QStringLiteral("empty"))).isEmpty());
    EXPECT_TRUE(walk(list, tree.path(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(walk(list, QString()).isEmpty());
    EXPECT_EQ(delegate.callCount(), 4);
    EXPECT_EQ(list.directoryPath(), QString());
    // A new walk starts from fresh pairs: the earlier folder's pair is gone.
    EXPECT_FALSE(list.findMediaPairWithFileName(QStringLiteral("alwa_20150101_120000_F.MP4")));
}

TEST(RVXMediaList, SameGroupAndSideTwiceKeepsBothAndPairsTheLater) {
    TempTree tree;
    tree.files(QStringLiteral("one"), {"alwa_20150101_120000_F.MP4"});
    tree.files(QStringLiteral("two"), {"alwa_20150101_120000_F.MP4", "alwa_20150101_120000_R.MP4"});
    RVXMediaList list;
    ASSERT_EQ(walk(list, tree.root()).size(), 3);
    const RVXMediaPairRef pair =
        list.findMediaPairWithFileName(QStringLiteral("alwa_20150101_120000_F"));
    ASSERT_TRUE(pair);
    // Both fronts stay listed; the one later in list order is the pair's member.
    EXPECT_EQ(pair->frontMedia(), list.mediaAtIndex(1));
    EXPECT_EQ(pair->rearMedia(), list.mediaAtIndex(2));
}

// A copy made whole of a recording cut short is named after it and plays in its place:
// it pairs with the other side of its moment as the camera's recording did, sorts right
// after that recording, and is the member of the pair (the one that plays), on either
// side and whether or not the camera's recording is still beside it.
TEST(RVXMediaList, ARepairedCopyPairsAsItsRecordingDid) {
    TempTree tree;
    tree.files(QStringLiteral("card"),
               {"event_20150101_120000_F_repaired.MP4", "event_20150101_120000_R.MP4",
                "event_20150101_120000_F.MP4", "alwa_20150101_120500_F.MP4",
                "alwa_20150101_120500_R_repaired.MP4", "motion_20150101_121000_F_repaired.MP4",
                "motion_20150101_121000_R.MP4", "alwa_20150101_121500_F.MP4",
                "alwa_20150101_121500_R.MP4"});
    RVXMediaList list;
    EXPECT_EQ(walk(list, tree.root()),
              QStringList({"event_20150101_120000_F.MP4", "event_20150101_120000_F_repaired.MP4",
                           "event_20150101_120000_R.MP4", "alwa_20150101_120500_F.MP4",
                           "alwa_20150101_120500_R_repaired.MP4",
                           "motion_20150101_121000_F_repaired.MP4", "motion_20150101_121000_R.MP4",
                           "alwa_20150101_121500_F.MP4", "alwa_20150101_121500_R.MP4"}));
    EXPECT_EQ(list.mediaPairDic().keys().size(), 4);
    struct Expected {
        int front, rear;
        std::vector<int> members;
    };
    for (const Expected& e : {Expected{1, 2, {0, 1, 2}}, Expected{3, 4, {3, 4}},
                              Expected{5, 6, {5, 6}}, Expected{7, 8, {7, 8}}}) {
        for (int i : e.members) {
            const RVXMediaRef m = list.mediaAtIndex(i);
            SCOPED_TRACE(qPrintable(m->fileName()));
            EXPECT_EQ(m->mediaGroupName(), list.mediaAtIndex(e.front)->mediaGroupName());
            for (const QString& key : {m->fileName(), m->mediaName(), m->path()}) {
                const RVXMediaPairRef pair = list.findMediaPairWithFileName(key);
                ASSERT_TRUE(pair) << qPrintable(key);
                EXPECT_EQ(pair->frontMedia(), list.mediaAtIndex(e.front));
                EXPECT_EQ(pair->rearMedia(), list.mediaAtIndex(e.rear));
                EXPECT_EQ(pair->partnerOf(*m),
                          list.mediaAtIndex(m->isFrontMedia() ? e.rear : e.front));
            }
        }
    }
    EXPECT_TRUE(list.mediaAtIndex(1)->isRepairedCopy());
    EXPECT_FALSE(list.mediaAtIndex(0)->isRepairedCopy());
    EXPECT_EQ(list.mediaAtIndex(1)->mediaGroupName(), QStringLiteral("event_20150101_120000"));
}

// Which of a recording and its copy the folder lists first does not decide the order.
TEST(RVXMediaList, ACopySortsAfterItsRecordingInEveryFolder) {
    TempTree tree;
    tree.files(QStringLiteral("a"), {"alwa_20150101_120000_F_repaired.MP4"});
    tree.files(QStringLiteral("b"), {"alwa_20150101_120000_F.MP4"});
    tree.files(QStringLiteral("c"), {"alwa_20150101_120000_F_repaired.MP4"});
    RVXMediaList list;
    ASSERT_EQ(walk(list, tree.root()).size(), 3);
    EXPECT_EQ(list.mediaAtIndex(0)->dir(), tree.path(QStringLiteral("b")));
    EXPECT_TRUE(list.mediaAtIndex(1)->isRepairedCopy());
    EXPECT_TRUE(list.mediaAtIndex(2)->isRepairedCopy());
    // The later copy in the list's order is the member, as for the camera's names.
    EXPECT_EQ(
        list.findMediaPairWithFileName(QStringLiteral("alwa_20150101_120000_F"))->frontMedia(),
        list.mediaAtIndex(2));
}

// Folders of shuffled moments, some nested, of all three kinds and both sides: the
// records of each folder are ordered while the next folder is read and merged with the
// earlier ones, and the whole list must still be in compareDate's order.
TEST(RVXMediaList, RecordsOfManyFoldersComeOutInDateOrder) {
    TempTree tree;
    const char* kinds[] = {"alwa", "motion", "event"};
    std::mt19937 random(7);
    int total = 0;
    for (int f = 0; f < 37; ++f) {
        QStringList names;
        const int count = 1 + int(random() % 150);
        for (int i = 0; i < count; ++i)
            names << QString::asprintf("%s_20150%d%02d_%02d%02d%02d_%s.MP4", kinds[random() % 3],
                                       1 + int(random() % 3), 1 + int(random() % 28),
                                       int(random() % 24), int(random() % 60), int(random() % 60),
                                       random() % 2 ? "R" : "F");
        names.removeDuplicates();
        total += int(names.size());
        tree.files(
            QStringLiteral("DCIM/%1%2").arg(f % 3 ? QString() : QStringLiteral("deep/")).arg(f),
            names);
    }
    RVXMediaList list;
    const QStringList listed = walk(list, tree.root());
    ASSERT_EQ(listed.size(), total);
    const std::vector<RVXMediaRef> medias = list.medias();
    for (size_t i = 1; i < medias.size(); ++i)
        ASSERT_LE(medias[i - 1]->compareDate(*medias[i]), 0)
            << qPrintable(listed[qsizetype(i - 1)]) << " before "
            << qPrintable(listed[qsizetype(i)]);
}

TEST(RVXMediaList, SymbolicLinkCycleEnds) {
    TempTree tree;
    tree.files(QStringLiteral("a/b"), {"alwa_20150101_120000_F.MP4"});
    ASSERT_EQ(symlink("..", qPrintable(tree.path(QStringLiteral("a/b/up")))), 0);
    ASSERT_EQ(symlink(qPrintable(tree.path(QStringLiteral("a"))),
                      qPrintable(tree.path(QStringLiteral("a/b/loop")))),
              0);
    // A link to a folder counts as a folder: this one is not part of a cycle.
    tree.files(QStringLiteral("outside"), {"alwa_20150101_120001_R.MP4"});
    ASSERT_EQ(symlink(qPrintable(tree.path(QStringLiteral("outside"))),
                      qPrintable(tree.path(QStringLiteral("a/out")))),
              0);
    RVXMediaList list;
    EXPECT_EQ(walk(list, tree.path(QStringLiteral("a"))),
              QStringList({"alwa_20150101_120000_F.MP4", "alwa_20150101_120001_R.MP4"}));
}

TEST(RVXMediaList, LimitStopsOneFolderAtFifteenThousand) {
    TempTree tree;
    tree.files(QStringLiteral("all"), numberedNames(0, 20000));
    RVXMediaList list;
    EXPECT_EQ(walk(list, tree.path(QStringLiteral("all"))).size(), 15000);
}

TEST(RVXMediaList, LimitLetsEachFurtherFolderAddOne) {
    // Four folders of 5000: whatever order they are listed in, the third reaches the
    // limit with its last file and the fourth adds one before it stops.
    TempTree tree;
    for (int f = 0; f < 4; ++f)
        tree.files(QStringLiteral("tree/f%1").arg(f),
                   numberedNames(f * 5000, 5000, f % 2 ? "R" : "F"));
    RVXMediaList list;
    EXPECT_EQ(walk(list, tree.path(QStringLiteral("tree"))).size(), 15001);
}

TEST(RVXMediaList, LaterRequestWinsAndEachFinishedWalkIsTold) {
    TempTree tree;
    tree.files(QStringLiteral("big"), numberedNames(0, 12000));
    tree.files(QStringLiteral("small"), {"event_20150101_120000_F.MP4"});
    CountingDelegate delegate;
    RVXMediaList list;
    list.setDelegate(&delegate);
    list.setDirectoryPath(tree.path(QStringLiteral("big")));
    list.setDirectoryPath(tree.path(QStringLiteral("small")));
    list.waitForWalks();
    EXPECT_EQ(fileNames(list), QStringList({"event_20150101_120000_F.MP4"}));
    EXPECT_EQ(list.directoryPath(), tree.path(QStringLiteral("small")));
    EXPECT_GE(delegate.callCount(), 1);
    EXPECT_LE(delegate.callCount(), 2);
    EXPECT_EQ(delegate.counts.back(), 1);
}

TEST(RVXMediaList, ReadersNeverSeeAHalfList) {
    TempTree tree;
    tree.files(QStringLiteral("few"), numberedNames(0, 10));
    tree.files(QStringLiteral("many"), numberedNames(0, 8000));
    RVXMediaList list;
    walk(list, tree.path(QStringLiteral("few")));
    std::atomic<bool> done{false};
    std::set<qsizetype> seen;
    std::thread reader([&] {
        while (!done) {
            const qsizetype n = list.count();
            seen.insert(n);
            if (n > 0) {
                EXPECT_TRUE(list.mediaAtIndex(n - 1) || list.count() != n);
            }
        }
    });
    list.setDirectoryPath(tree.path(QStringLiteral("many")));
    list.waitForWalks();
    done = true;
    reader.join();
    for (qsizetype n : seen)
        EXPECT_TRUE(n == 10 || n == 8000) << n;
}

TEST(RVXMediaList, DestroyedDuringAWalkEndsPromptly) {
    TempTree tree;
    tree.files(QStringLiteral("big"), numberedNames(0, 15000));
    CountingDelegate delegate;
    const auto start = std::chrono::steady_clock::now();
    {
        RVXMediaList list;
        list.setDelegate(&delegate);
        list.setDirectoryPath(tree.path(QStringLiteral("big")));
    }
    EXPECT_LE(delegate.callCount(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(RVXMediaList, WalkAndSingleFileRuleAgree) {
    // The walk judges names by its own faster route; both must accept the same files.
    const QStringList names = {
        "alwa_20150101_120000_F.MP4", "alwa_20151301_120000_F.MP4", "alwa_20150101_120000_r.MP4",
        "motion_20150101_120000_R.MP4", "motion_20150101_120000_R_.MP4", "event_2015_F.MP4",
        "event_20150101_120000_R.mp4", "xxxxxxxxxxxxxxxxxxxx_R.MP4", "xxxxxxxxxxxxxxxxxxxxx_Q.MP4",
        "alwa_20150101_12000_FF.MP4", "._motion_20150101_1200_F.MP4",
        "ü_alwa_20150101_120000_F.MP4", "üxxxxxxxxxxxxxxxxxxx_F.MP4", "alwa_20150101_1200000_F.MP4",
        "alwa_2015010_1200000_F.MP4",
        // A repaired copy; names of a copy's length that are none.
        "event_20150101_120000_R_repaired.MP4", "alwa_20150101_120000_F_abcdefgh.MP4",
        "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx.MP4", "alwa_20150101_120000_F_Repaired.MP4",
        "alwa_20150101_120000_repaired.MP4"};
    TempTree tree;
    tree.files(QStringLiteral("."), names);
    RVXMediaList list;
    const QStringList listed = walk(list, tree.root());
    for (const QString& n : names)
        EXPECT_EQ(listed.contains(n), bool(RVXMediaList::createMediaByPath(tree.path(n))))
            << qPrintable(n);
    EXPECT_EQ(listed.size(), 9);
}

TEST(RVXMediaList, CreateMediaByPathFollowsTheAcceptanceRule) {
    EXPECT_TRUE(RVXMediaList::createMediaByPath(QStringLiteral("/c/motion_20150101_240000_R.MP4")));
    EXPECT_TRUE(RVXMediaList::createMediaByPath(QStringLiteral("/c/test_20150101_120000_F.MP4")));
    EXPECT_FALSE(RVXMediaList::createMediaByPath(QStringLiteral("/c/test_20150101_120000_r.MP4")));
    EXPECT_FALSE(
        RVXMediaList::createMediaByPath(QStringLiteral("/c/motion_20150132_120000_R.MP4")));
    EXPECT_FALSE(RVXMediaList::createMediaByPath(QStringLiteral("/c/alwa_20150101_120000_F_.MP4")));
    EXPECT_TRUE(RVXMediaList::_checkTimeByName(u"alwa_20150101_120000_F", 5));
    EXPECT_FALSE(RVXMediaList::_checkTimeByName(u"alwa_20150101_12000", 5));
}

} // namespace
