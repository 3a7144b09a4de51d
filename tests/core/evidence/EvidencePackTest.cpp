// SPDX-License-Identifier: GPL-3.0-or-later
// The pack's folder appears whole or not at all: a target without room, a cancelled
// export and a target on the card leave nothing behind.
#include "core/catalogue/RVXMediaList.h"
#include "core/evidence/RVXEvidencePack.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// The sheet as plain text: the PDF writer is the platform's and is tested there.
class TextSheet : public RVXEvidenceSheetRenderer {
public:
    std::optional<QString> write(const RVXEvidenceSheet& sheet, const QString& path) override {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return f.errorString();
        f.write(sheet.momentCamera.toUtf8());
        return std::nullopt;
    }
};

RVXEvidenceRequest requestFor(const QString& target) {
    const QString card = qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
    RVXMediaList list;
    list.setDirectoryPath(card);
    list.waitForWalks();
    const std::vector<RVXTrip> trips = RVXTrip::tripsOfList(list);
    const double moment =
        double(QDateTime(QDate(2026, 3, 14), QTime(8, 15, 33), Qt::UTC).toSecsSinceEpoch());
    return {card, *RVXEvidencePlan::make(trips, moment), target, {}, {}};
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(RVXEvidencePack, WholeOrNothing) {
    TempTree tree;
    TextSheet sheet;
    RVXEvidenceRequest r = requestFor(tree.path(QStringLiteral("pack")));
    EXPECT_EQ(RVXEvidencePack::proposedName(r.plan.moment),
              QStringLiteral("RUVEX-evidence-20260314-081533"));

    // Too little room is told before anything is written.
    r.freeBytes = [](const QString&) { return qint64(4096); };
    const auto full = RVXEvidencePack::make(r, sheet);
    ASSERT_TRUE(full);
    EXPECT_TRUE(full->startsWith(QStringLiteral("Not enough room"))) << qPrintable(*full);
    EXPECT_TRUE(entries(tree.root()).isEmpty());

    // Cancelled half way: the hidden folder goes too.
    r.freeBytes = {};
    std::atomic<bool> cancel{false};
    const auto cancelled = RVXEvidencePack::make(r, sheet, nullptr, &cancel, [&](double f) {
        if (f >= 0.3)
            cancel = true;
    });
    ASSERT_TRUE(cancelled);
    EXPECT_TRUE(entries(tree.root()).isEmpty()) << qPrintable(entries(tree.root()).join(u' '));

    // Never onto the card, never over a folder that is there.
    RVXEvidenceRequest onCard = r;
    onCard.target = QDir(r.cardFolder).filePath(QStringLiteral("pack"));
    EXPECT_TRUE(RVXEvidencePack::check(onCard));
    EXPECT_FALSE(QFile::exists(onCard.target));

    RVXEvidenceResult result;
    ASSERT_FALSE(RVXEvidencePack::make(r, sheet, &result));
    EXPECT_EQ(entries(tree.root()), QStringList{QStringLiteral("pack")});
    EXPECT_TRUE(RVXEvidencePack::make(r, sheet)) << "the pack exists now";
    QStringList names;
    for (const RVXEvidenceSheet::File& f : result.files)
        names << f.name;
    EXPECT_TRUE(names.contains(QStringLiteral("front.mp4")));
    EXPECT_TRUE(names.contains(QStringLiteral("rear.mp4")));
    EXPECT_TRUE(names.contains(QStringLiteral("originals/event_20260314_081527_R.MP4")));
    EXPECT_TRUE(names.contains(QStringLiteral("manifest.json")));
    EXPECT_FALSE(names.contains(QStringLiteral("SHA256SUMS")));
    EXPECT_EQ(
        RVXEvidencePack::sha256(
            QDir(r.cardFolder).filePath(QStringLiteral("20260314/event_20260314_081527_R.MP4"))),
        RVXEvidencePack::sha256(tree.path(QStringLiteral("pack/originals/"
                                                         "event_20260314_081527_R.MP4"))));
}
