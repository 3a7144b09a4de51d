// SPDX-License-Identifier: GPL-3.0-or-later
// Imports of real cards into a real library: what comes in, what is skipped, what is kept
// beside, and what a stop (cancel, a full disk) leaves for the next import to finish.
#include "LibraryTestSupport.h"

#include "core/library/RVXLibraryCheck.h"
#include "core/library/RVXLibraryImport.h"
#include "support/DemoCardCopy.h"
#include "support/Mounts.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using Choice = RVXLibraryImport::Choice;

const QStringList kDemoFirstDay = {"alwa_20260314_081500_F.MP4",   "alwa_20260314_081500_R.MP4",
                                   "motion_20260314_081515_F.MP4", "motion_20260314_081515_R.MP4",
                                   "event_20260314_081527_F.MP4",  "event_20260314_081527_R.MP4",
                                   "alwa_20260314_081541_F.MP4"};

QStringList paths(RVXLibrary& library) {
    QStringList out;
    for (const RVXLibraryRecording& r : library.index().recordings({}))
        out << r.path;
    return out;
}

// Every row's file is there, whole: its size and hash are the index's.
void expectWhole(RVXLibrary& library) {
    for (const RVXLibraryRecording& r : library.index().recordings({})) {
        const QString file = library.absolutePath(r.path);
        EXPECT_EQ(QFileInfo(file).size(), r.size) << qPrintable(r.path);
        EXPECT_EQ(sha256Of(file), r.sha256) << qPrintable(r.path);
    }
    const RVXLibraryCheck::Result check = RVXLibraryCheck::run(library);
    EXPECT_TRUE(check.clean()) << qPrintable(check.missing.join(u' ') + u' ' +
                                             check.changed.join(u' ') + u' ' +
                                             check.unindexed.join(u' '));
}

} // namespace

class LibraryImportOnEachIndex : public LibraryOnEachIndex {};
RUVEX_ON_EACH_INDEX(LibraryImportOnEachIndex);

TEST_P(LibraryImportOnEachIndex, TheDemoCardTwiceTheSecondAddsNothing) {
    TempTree tree;
    auto library = open(tree.path("lib"));
    const RVXLibraryImport::Result first = RVXLibraryImport::run(*library, demoCard());
    ASSERT_EQ(first.error, std::nullopt) << qPrintable(*first.error);
    EXPECT_EQ(first.record.added, 8);
    EXPECT_EQ(first.record.skipped, 0);

    QStringList expected;
    for (const QString& name : kDemoFirstDay)
        expected << QStringLiteral("2026/2026-03-14/") + name;
    expected << QStringLiteral("2026/2026-03-15/alwa_20260315_174200_R.MP4");
    QStringList held = paths(*library);
    held.sort();
    expected.sort();
    EXPECT_EQ(held, expected);
    // The same bytes as on the card, hashed as they went by.
    for (const RVXLibraryRecording& r : library->index().recordings({})) {
        const QString day = r.name.section(u'_', 1, 1);
        EXPECT_EQ(r.sha256, sha256Of(demoCard() + u'/' + day + u'/' + r.name))
            << qPrintable(r.name);
        EXPECT_EQ(r.state, RVXLibraryRecording::State::Ok);
        EXPECT_GT(r.length, 10);
    }
    // config.bin and the drive log, kept with the import.
    const std::vector<RVXLibraryImportRecord> imports = library->index().imports();
    ASSERT_EQ(imports.size(), 1u);
    const QString kept = library->absolutePath(imports[0].folder);
    EXPECT_EQ(sha256Of(kept + "/config.bin"), sha256Of(demoCard() + "/config.bin"));
    EXPECT_EQ(sha256Of(kept + "/DrvInfo/zamo_000.drv"),
              sha256Of(demoCard() + "/DrvInfo/zamo_000.drv"));
    EXPECT_FALSE(imports[0].finished.isEmpty());

    // The card's two drives, and the knock and the hard stop the scan finds on it.
    const std::vector<RVXLibraryTrip> trips = library->index().trips({});
    ASSERT_EQ(trips.size(), 2u);
    EXPECT_EQ(trips[0].units.size(), 4u);
    EXPECT_DOUBLE_EQ(trips[0].seconds, 56);
    EXPECT_EQ(library->index().track(trips[0].id).size(), 56u);
    const std::vector<RVXLibraryEvent> events = library->index().events({});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, QStringLiteral("impact"));
    EXPECT_EQ(events[1].kind, QStringLiteral("braking"));

    const QStringList before = indexRows(*library);
    const RVXLibraryImport::Result second = RVXLibraryImport::run(*library, demoCard());
    ASSERT_EQ(second.error, std::nullopt) << qPrintable(*second.error);
    EXPECT_EQ(second.record.added, 0);
    EXPECT_EQ(second.record.skipped, 8);
    QStringList after = indexRows(*library);
    // Only the second import's own row is new.
    ASSERT_EQ(after.size(), before.size() + 1);
    after.removeLast();
    EXPECT_EQ(after, before);
    expectWhole(*library);
}

TEST_P(LibraryImportOnEachIndex, OtherBytesUnderAHeldNameAreKeptBesideNeverOver) {
    TempTree tree;
    auto library = open(tree.path("lib"));
    ASSERT_EQ(RVXLibraryImport::run(*library, DemoCardCopy{}.make(tree, "a")).error, std::nullopt);
    const QString held = library->absolutePath("2026/2026-03-14/alwa_20260314_081500_F.MP4");
    const QString heldHash = sha256Of(held);

    // A camera whose clock was reset writes the same name again, over other pictures.
    DemoCardCopy reset;
    reset.without = {"alwa_20260314_081500_F.MP4"};
    reset.added = {
        {"alwa_20260314_081500_F.MP4", DemoCardCopy::demo("motion_20260314_081515_F.MP4")}};
    const QString b = reset.make(tree, "b");
    const RVXLibraryImport::Result r = RVXLibraryImport::run(*library, b);
    ASSERT_EQ(r.error, std::nullopt) << qPrintable(*r.error);
    EXPECT_EQ(r.record.clashes, 1);
    EXPECT_EQ(r.record.skipped, 6);
    EXPECT_EQ(r.beside, QStringList{"2026/2026-03-14/alwa_20260314_081500_F~2.MP4"});
    EXPECT_EQ(sha256Of(held), heldHash);
    const std::vector<RVXLibraryRecording> named =
        library->index().recordingsNamed("alwa_20260314_081500_F.MP4");
    ASSERT_EQ(named.size(), 2u);
    EXPECT_FALSE(named[0].clash);
    EXPECT_TRUE(named[1].clash);
    EXPECT_EQ(named[1].sha256, sha256Of(DemoCardCopy::demo("motion_20260314_081515_F.MP4")));
    // Its moment is not the drive's: it stays out of the trips.
    for (const RVXLibraryTrip& t : library->index().trips({}))
        for (const RVXLibraryTripUnit& u : t.units)
            EXPECT_NE(u.recording, named[1].id);

    // Seen again, it is the one kept beside: nothing new.
    const RVXLibraryImport::Result again = RVXLibraryImport::run(*library, b);
    EXPECT_EQ(again.record.added + again.record.clashes, 0);
    EXPECT_EQ(again.record.skipped, 7);
    expectWhole(*library);
}

TEST_P(LibraryImportOnEachIndex, OnlyEventsAndSinceTheLastImportOfTheCard) {
    TempTree tree;
    auto library = open(tree.path("lib"));
    const RVXLibraryImport::Result events =
        RVXLibraryImport::run(*library, demoCard(), Choice::EventsOnly);
    ASSERT_EQ(events.error, std::nullopt) << qPrintable(*events.error);
    // The drive that holds the event recording, whole; not the next day's.
    EXPECT_EQ(events.record.added, 7);
    EXPECT_FALSE(paths(*library).contains("2026/2026-03-15/alwa_20260315_174200_R.MP4"));

    // The card as it was, then with a later recording and an earlier one the camera
    // never wrote after the import: since the last import takes the later one only.
    library = open(tree.path("lib2"));
    DemoCardCopy copy;
    copy.without = {"alwa_20260314_081541_F.MP4"};
    const QString card = copy.make(tree, "card");
    ASSERT_EQ(RVXLibraryImport::run(*library, card).error, std::nullopt);
    const QString day = card + "/20260314/";
    ASSERT_TRUE(QFile::link(DemoCardCopy::demo("alwa_20260314_081541_F.MP4"),
                            day + "alwa_20260314_081541_F.MP4"));
    ASSERT_TRUE(QFile::link(DemoCardCopy::demo("alwa_20260314_081541_F.MP4"),
                            day + "alwa_20260314_070000_F.MP4"));
    const RVXLibraryImport::Result since = RVXLibraryImport::run(*library, card, Choice::SinceLast);
    ASSERT_EQ(since.error, std::nullopt) << qPrintable(*since.error);
    EXPECT_EQ(since.added, QStringList{"2026/2026-03-14/alwa_20260314_081541_F.MP4"});
    EXPECT_EQ(since.record.skipped, 0);
    // A drive brought in over two imports is one trip.
    const std::vector<RVXLibraryTrip> trips = library->index().trips({});
    ASSERT_EQ(trips.size(), 1u);
    EXPECT_EQ(trips[0].units.size(), 4u);
    EXPECT_DOUBLE_EQ(trips[0].seconds, 56);
}

TEST_P(LibraryImportOnEachIndex, AReadOnlyCardIsOnlyRead) {
    TempTree tree;
    const QString card = tree.path("card");
    copyTree(demoCard(), card);
    const std::map<QString, QString> before = digest(card, true);
    const TestMount locked = TestMount::readOnly(card);
    if (!locked.ok())
        GTEST_SKIP() << "no read-only bind mount: " << qPrintable(locked.error());
    ASSERT_FALSE(QFile(card + "/probe").open(QIODevice::WriteOnly));

    auto library = open(tree.path("lib"));
    const RVXLibraryImport::Result r = RVXLibraryImport::run(*library, card);
    ASSERT_EQ(r.error, std::nullopt) << qPrintable(*r.error);
    EXPECT_EQ(r.record.added, 8);
    EXPECT_EQ(digest(card, true), before);
    expectWhole(*library);
}

TEST_P(LibraryImportOnEachIndex, AFullDiskIsSaidBeforeTheFirstFileAndWhenItFillsUp) {
    TempTree tree;
    const QString small = tree.path("small");
    const TestMount disk = TestMount::tmpfs(small, 4 << 20);
    if (!disk.ok())
        GTEST_SKIP() << "no tmpfs: " << qPrintable(disk.error());
    {
        auto library = open(small + "/lib");
        const RVXLibraryImport::Result r = RVXLibraryImport::run(*library, demoCard());
        ASSERT_TRUE(r.error);
        EXPECT_TRUE(QRegularExpression("^8 recordings need 12\\.\\d MB; the library's disk has "
                                       "[34]\\.\\d MB free$")
                        .match(*r.error)
                        .hasMatch())
            << qPrintable(*r.error);
        EXPECT_TRUE(library->index().recordings({}).empty());
        EXPECT_FALSE(QFileInfo::exists(small + "/lib/2026"));
    }

    // Room for all at the start; then the disk fills up under the import.
    const QString roomy = tree.path("roomy");
    const TestMount room = TestMount::tmpfs(roomy, 24 << 20);
    ASSERT_TRUE(room.ok()) << qPrintable(room.error());
    auto library = open(roomy + "/lib");
    bool filled = false;
    const auto fill = [&](const RVXLibraryProgress& p) {
        if (filled || p.doneFiles < 2)
            return;
        filled = true;
        QFile filler(roomy + "/filler");
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(1 << 20, 'x');
        while (filler.write(block) == block.size() && filler.flush())
            ;
    };
    const RVXLibraryImport::Result stopped =
        RVXLibraryImport::run(*library, demoCard(), Choice::Everything, fill);
    EXPECT_TRUE(stopped.diskFull);
    ASSERT_TRUE(stopped.error);
    EXPECT_TRUE(stopped.error->startsWith("the library's disk is full: "))
        << qPrintable(*stopped.error);
    EXPECT_GE(stopped.record.added, 2);
    EXPECT_LT(stopped.record.added, 8);
    for (const RVXLibraryRecording& r : library->index().recordings({}))
        EXPECT_EQ(sha256Of(library->absolutePath(r.path)), r.sha256) << qPrintable(r.path);

    // Room made: the next import finishes, and no half-written file is left.
    QFile::remove(roomy + "/filler");
    const RVXLibraryImport::Result again = RVXLibraryImport::run(*library, demoCard());
    ASSERT_EQ(again.error, std::nullopt) << qPrintable(*again.error);
    // A file given its name just before the index found no room for its row is entered as
    // it stands, not copied again.
    EXPECT_EQ(library->index().recordings({}).size(), 8u);
    EXPECT_EQ(again.record.added + again.record.skipped, 8);
    EXPECT_TRUE(library->dayFiles(true).isEmpty());
    EXPECT_EQ(library->index().trips({}).size(), 2u);
    expectWhole(*library);
}

TEST_P(LibraryImportOnEachIndex, ACancelOrAStopBeforeTheRowIsFinishedByTheNextImport) {
    TempTree tree;
    auto library = open(tree.path("lib"));
    std::atomic<bool> cancel{false};
    const RVXLibraryImport::Result cancelled = RVXLibraryImport::run(
        *library, demoCard(), Choice::Everything,
        // Cancelled as soon as the first bytes are read, as a user's press may come: the
        // files count only once their rows are entered, which on a quick disk may be after
        // every file was copied.
        [&](const RVXLibraryProgress& p) {
            if (p.doneBytes > 0)
                cancel = true;
        },
        &cancel);
    EXPECT_TRUE(cancelled.cancelled);
    // What was written before the cancel is entered whole; the rest is not begun. The
    // committer may hold a few written files when the cancel comes.
    const int64_t first = cancelled.record.added;
    EXPECT_LE(first, 5);
    EXPECT_TRUE(cancelled.record.finished.isEmpty());
    EXPECT_TRUE(library->dayFiles(true).isEmpty());
    expectWhole(*library);

    // As a kill leaves it: a file in place whose row never came, and a half-written one.
    QStringList missing;
    for (const QString& name : kDemoFirstDay) {
        if (library->index().recordingsNamed(name).empty())
            missing << name;
    }
    ASSERT_GE(missing.size(), 2);
    const QString day = library->absolutePath("2026/2026-03-14/");
    ASSERT_TRUE(QFile::copy(DemoCardCopy::demo(missing.last()), day + missing.last()));
    tree.file("lib/2026/2026-03-14/." + missing.first() + ".part", "half");
    const RVXLibraryImport::Result again = RVXLibraryImport::run(*library, demoCard());
    ASSERT_EQ(again.error, std::nullopt) << qPrintable(*again.error);
    // The one in place was entered as it stood; the others came from the card.
    EXPECT_EQ(again.record.added, 8 - first - 1);
    EXPECT_EQ(again.record.skipped, first + 1);
    EXPECT_EQ(library->index().recordings({}).size(), 8u);
    EXPECT_TRUE(library->dayFiles(true).isEmpty());
    EXPECT_EQ(library->index().trips({}).size(), 2u);
    expectWhole(*library);
}
