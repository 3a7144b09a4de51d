// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping a library: retention that never takes an event or a protected recording, a check
// that finds what changed under the index, and the index made again from the files alone.
#include "LibraryTestSupport.h"

#include "core/library/RVXLibraryCheck.h"
#include "core/library/RVXLibraryImport.h"
#include "core/library/RVXLibraryRebuild.h"
#include "core/library/RVXLibraryRetention.h"
#include "support/DemoCardCopy.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString kDay1 = QStringLiteral("2026/2026-03-14/");

std::optional<RVXLibraryRecording> named(RVXLibrary& library, const QString& name) {
    const std::vector<RVXLibraryRecording> r = library.index().recordingsNamed(name);
    if (r.empty())
        return std::nullopt;
    return r.front();
}

QStringList pathsOf(const std::vector<RVXLibraryRecording>& recordings) {
    QStringList out;
    for (const RVXLibraryRecording& r : recordings)
        out << r.path;
    return out;
}

} // namespace

class LibraryKeepOnEachIndex : public LibraryOnEachIndex {};
RUVEX_ON_EACH_INDEX(LibraryKeepOnEachIndex);

TEST_P(LibraryKeepOnEachIndex, RetentionListsFirstThenDeletesNeverAnEventOrAProtectedOne) {
    TempTree tree;
    auto library = open(tree.path("lib"));
    ASSERT_EQ(RVXLibraryImport::run(*library, demoCard()).error, std::nullopt);
    const auto last = named(*library, "alwa_20260314_081541_F.MP4");
    ASSERT_TRUE(last);
    ASSERT_EQ(library->protectRecordings({last->id}), std::nullopt);
    EXPECT_EQ(library->protectedPaths(), QStringList{kDay1 + "alwa_20260314_081541_F.MP4"});

    // A week later, keeping three days: of the loop recordings the first pair goes; the
    // protected one and the next day's (a hard stop was found in it) stay, as do the
    // motion and event pairs.
    const QDateTime later(QDate(2026, 3, 21), QTime(12, 0), Qt::UTC);
    RVXLibraryRetention::Rule rule;
    rule.keepDays = 3;
    const RVXLibraryRetention::Plan plan = RVXLibraryRetention::plan(*library, rule, later);
    const QStringList doomed = {kDay1 + "alwa_20260314_081500_F.MP4",
                                kDay1 + "alwa_20260314_081500_R.MP4"};
    EXPECT_EQ(pathsOf(plan.remove), doomed);
    EXPECT_EQ(plan.freedBytes, plan.remove[0].size + plan.remove[1].size);
    // Listing deletes nothing.
    for (const QString& p : doomed)
        EXPECT_TRUE(QFile::exists(library->absolutePath(p)));
    // Keeping the loop recordings of the last ten days keeps all of them.
    rule.keepDays = 10;
    EXPECT_TRUE(RVXLibraryRetention::plan(*library, rule, later).remove.empty());

    // A size no deletion reaches: the same two go, and it says why it stops there.
    RVXLibraryRetention::Rule size;
    size.maxBytes = 1000000;
    const RVXLibraryRetention::Plan bySize = RVXLibraryRetention::plan(*library, size, later);
    EXPECT_EQ(pathsOf(bySize.remove), doomed);
    ASSERT_TRUE(bySize.shortfall);
    EXPECT_TRUE(bySize.shortfall->endsWith("it cannot come below 1.0 MB by deleting loop "
                                           "recordings"))
        << qPrintable(*bySize.shortfall);

    const std::map<QString, QString> kept = [&] {
        std::map<QString, QString> d = digest(tree.path("lib/2026"));
        d.erase("2026-03-14/alwa_20260314_081500_F.MP4");
        d.erase("2026-03-14/alwa_20260314_081500_R.MP4");
        return d;
    }();
    ASSERT_EQ(RVXLibraryRetention::apply(*library, plan), std::nullopt);
    for (const QString& p : doomed) {
        EXPECT_FALSE(QFile::exists(library->absolutePath(p)));
        EXPECT_FALSE(library->index().recordingAt(p));
    }
    EXPECT_EQ(digest(tree.path("lib/2026")), kept);
    EXPECT_EQ(library->index().events({}).size(), 2u);
    // The drive is worked out again from what is left: it starts with the motion pair.
    const std::vector<RVXLibraryTrip> trips = library->index().trips({});
    ASSERT_EQ(trips.size(), 2u);
    EXPECT_EQ(trips[0].units.size(), 3u);
    EXPECT_EQ(RVXLibraryRecording::momentText(trips[0].start), "2026-03-14T08:15:15");
    EXPECT_TRUE(RVXLibraryCheck::run(*library).clean());
}

TEST_P(LibraryKeepOnEachIndex, ADeletionStoppedAfterItsMarkIsFinishedNotForgotten) {
    TempTree tree;
    const QString folder = tree.path("lib");
    QString path;
    {
        auto library = open(folder);
        ASSERT_EQ(RVXLibraryImport::run(*library, demoCard()).error, std::nullopt);
        const auto r = named(*library, "alwa_20260314_081500_R.MP4");
        ASSERT_TRUE(r);
        path = r->path;
        // Marked, and then the program was gone before the file.
        ASSERT_EQ(library->index().setDeleting({r->id}), std::nullopt);
        EXPECT_TRUE(RVXLibraryCheck::run(*library).clean());
    }
    auto library = open(folder);
    ASSERT_EQ(library->lock(), std::nullopt);
    ASSERT_EQ(library->recover(), std::nullopt);
    EXPECT_FALSE(QFile::exists(library->absolutePath(path)));
    EXPECT_TRUE(library->index().deletingRecordings().empty());
    EXPECT_EQ(library->index().recordings({}).size(), 7u);
    EXPECT_TRUE(RVXLibraryCheck::run(*library).clean());
}

TEST_P(LibraryKeepOnEachIndex, CheckFindsMissingChangedAndUnindexedFiles) {
    TempTree tree;
    auto library = open(tree.path("lib"));
    ASSERT_EQ(RVXLibraryImport::run(*library, demoCard()).error, std::nullopt);
    ASSERT_TRUE(RVXLibraryCheck::run(*library).clean());

    ASSERT_TRUE(QFile::remove(library->absolutePath(kDay1 + "motion_20260314_081515_R.MP4")));
    // One byte turned, the size the same: only the hash tells.
    QFile turned(library->absolutePath(kDay1 + "event_20260314_081527_F.MP4"));
    ASSERT_TRUE(turned.open(QIODevice::ReadWrite));
    turned.seek(500000);
    const char c = turned.peek(1).at(0);
    turned.write(QByteArray(1, char(c ^ 0x20)));
    turned.close();
    QFile cut(library->absolutePath(kDay1 + "alwa_20260314_081541_F.MP4"));
    ASSERT_TRUE(cut.resize(1000));
    ASSERT_TRUE(QFile::copy(DemoCardCopy::demo("alwa_20260314_081500_F.MP4"),
                            library->absolutePath(kDay1 + "alwa_20260314_090000_F.MP4")));
    tree.file("lib/2026/2026-03-15/notes.txt", "a file of the user's");

    const RVXLibraryCheck::Result r = RVXLibraryCheck::run(*library);
    EXPECT_EQ(r.checked, 8);
    EXPECT_EQ(r.missing, QStringList{kDay1 + "motion_20260314_081515_R.MP4"});
    EXPECT_EQ(r.changed, QStringList({kDay1 + "event_20260314_081527_F.MP4",
                                      kDay1 + "alwa_20260314_081541_F.MP4"}));
    EXPECT_EQ(r.unindexed,
              QStringList({kDay1 + "alwa_20260314_090000_F.MP4", "2026/2026-03-15/notes.txt"}));
    EXPECT_FALSE(r.clean());
}

// A rebuild makes library.db again: SQLite alone.
TEST(LibraryKeep, TheIndexRebuiltFromTheFilesHoldsTheSameRows) {
    TempTree tree;
    const QString folder = tree.path("lib");
    QStringList before;
    {
        auto library = openLibrary(folder);
        // Two imports, one drive split over them, a recording kept beside a namesake, and
        // a protected one.
        DemoCardCopy part;
        part.without = {"event_20260314_081527_F.MP4", "event_20260314_081527_R.MP4",
                        "alwa_20260314_081541_F.MP4"};
        ASSERT_EQ(RVXLibraryImport::run(*library, part.make(tree, "a")).error, std::nullopt);
        DemoCardCopy reset;
        reset.without = {"motion_20260314_081515_R.MP4"};
        reset.added = {
            {"motion_20260314_081515_R.MP4", DemoCardCopy::demo("alwa_20260314_081500_R.MP4")}};
        ASSERT_EQ(RVXLibraryImport::run(*library, reset.make(tree, "b")).error, std::nullopt);
        const auto event = library->index().events({});
        ASSERT_FALSE(event.empty());
        ASSERT_EQ(library->protectEvent(event.front().id), std::nullopt);
        before = indexRows(*library);
    }
    ASSERT_GT(before.size(), 60);
    EXPECT_TRUE(before.filter("beside=1").size() == 1) << qPrintable(before.join(u'\n'));
    EXPECT_EQ(before.filter("protected=1").size(), 2);

    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(folder + "/library.db" + suffix);
    const RVXLibraryRebuild::Result r = RVXLibraryRebuild::run(folder);
    ASSERT_EQ(r.error, std::nullopt) << qPrintable(*r.error);
    EXPECT_EQ(r.recordings, 8);
    EXPECT_EQ(r.imports, 2);
    auto library = openLibrary(folder);
    EXPECT_EQ(rowsDiff(before, indexRows(*library)), QString());

    // Over an index already there, too; a file that is no recording is left out, said.
    tree.file("lib/2026/2026-03-14/notes.txt", "x");
    library.reset();
    const RVXLibraryRebuild::Result again = RVXLibraryRebuild::run(folder);
    ASSERT_EQ(again.error, std::nullopt) << qPrintable(*again.error);
    EXPECT_EQ(again.skipped, QStringList{kDay1 + "notes.txt"});
    library = openLibrary(folder);
    EXPECT_EQ(rowsDiff(before, indexRows(*library)), QString());
}
