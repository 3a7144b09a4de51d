// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/RVXMedia.h"
#include "core/catalogue/RVXMediaSide.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

struct NameCase {
    const char* file;
    int32_t division, direction;
    int32_t year, month, day, hour, minute, second;
};

class RecordingName : public testing::TestWithParam<NameCase> {};

TEST_P(RecordingName, ParsesKindSideAndMoment) {
    const NameCase& c = GetParam();
    const RVXMedia m(QStringLiteral("/card/") + QLatin1String(c.file));
    EXPECT_EQ(m.mediaDivision(), c.division);
    EXPECT_EQ(m.mediaDirection(), c.direction);
    EXPECT_EQ(
        std::vector<int32_t>({m.year(), m.month(), m.day(), m.hour(), m.minute(), m.second()}),
        std::vector<int32_t>({c.year, c.month, c.day, c.hour, c.minute, c.second}));
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, RecordingName,
    testing::Values(
        NameCase{"alwa_20150101_235959_F.MP4", 0, 0, 2015, 1, 1, 23, 59, 59},
        NameCase{"motion_20150101_120000_R.MP4", 1, 1, 2015, 1, 1, 12, 0, 0},
        NameCase{"event_20150101_120000_F.MP4", 2, 0, 2015, 1, 1, 12, 0, 0},
        // Month 13: the kind is read, the moment is dropped and the side stays undetermined.
        NameCase{"alwa_20151301_120000_F.MP4", 0, 2, 0, 0, 0, 0, 0, 0},
        NameCase{"alwa_20150101_240000_F.MP4", 0, 0, 2015, 1, 1, 24, 0, 0},
        NameCase{"alwa_20150101_236060_F.MP4", 0, 0, 2015, 1, 1, 23, 60, 60},
        NameCase{"alwa_20150101_236160_F.MP4", 0, 2, 0, 0, 0, 0, 0, 0},
        NameCase{"alwa_19691231_120000_F.MP4", 0, 2, 0, 0, 0, 0, 0, 0},
        NameCase{"alwa_27001231_120000_R.MP4", 0, 1, 2700, 12, 31, 12, 0, 0},
        NameCase{"event_20150100_120000_F.MP4", 2, 2, 0, 0, 0, 0, 0, 0},
        // Any separator character is accepted between date and time.
        NameCase{"event_20150312X081502_R.MP4", 2, 1, 2015, 3, 12, 8, 15, 2},
        // The length alone decides; the prefix need not match it.
        NameCase{"test_20150101_120000_F.MP4", 0, 0, 0, 0, 0, 0, 0, 0},
        NameCase{"alwa_20150101_120000_X_F.MP4", 0, 0, 2015, 1, 1, 12, 0, 0},
        NameCase{"clip_F.MP4", 0, 0, 0, 0, 0, 0, 0, 0},
        // A repaired copy is its recording's moment and side.
        NameCase{"event_20150312_081502_F_repaired.MP4", 2, 0, 2015, 3, 12, 8, 15, 2},
        // Lower-case suffix: side undetermined by the name.
        NameCase{"alwa_20150101_120000_f.MP4", 0, 2, 2015, 1, 1, 12, 0, 0},
        // Numbers are read like atoi: a blank and a sign pass, the rest stops.
        NameCase{"alwa_2015 1+1_+1 2-0_F.MP4", 0, 0, 2015, 1, 1, 1, 2, 0},
        NameCase{"alwa_2015a1b1_12c0d0_R.MP4", 0, 2, 0, 0, 0, 0, 0, 0},
        NameCase{"._alwa_20150101_120000_F.MP4", 0, 0, 0, 0, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<NameCase>& info) {
        std::string name = std::to_string(info.index) + "_" + info.param.file;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(RVXMedia, DerivedNames) {
    const RVXMedia m(QStringLiteral("/card/2015/alwa_20150101_235959_F.MP4"));
    EXPECT_EQ(m.path(), QStringLiteral("/card/2015/alwa_20150101_235959_F.MP4"));
    EXPECT_EQ(m.dir(), QStringLiteral("/card/2015"));
    EXPECT_EQ(m.mediaName(), QStringLiteral("alwa_20150101_235959_F"));
    EXPECT_EQ(m.extension(), QStringLiteral("MP4"));
    EXPECT_EQ(m.fileName(), QStringLiteral("alwa_20150101_235959_F.MP4"));
    EXPECT_EQ(m.mediaGroupName(), QStringLiteral("alwa_20150101_235959"));
    EXPECT_EQ(m.yyyymmddhhmiss(), QStringLiteral("20150101235959"));
    EXPECT_TRUE(m.isFrontMedia() && m.isAlwaysMedia() && !m.isRearMedia() && !m.isEventMedia());
}

TEST(RVXMedia, UnsetMomentAndOddNames) {
    const RVXMedia noExtension(QStringLiteral("/card/alwa_20150101_120000_R"));
    EXPECT_EQ(noExtension.fileName(), QStringLiteral("alwa_20150101_120000_R."));
    EXPECT_TRUE(noExtension.isRearMedia());

    const RVXMedia unset(QStringLiteral("/card/alwa_20151301_120000_F.MP4"));
    EXPECT_EQ(unset.yyyymmddhhmiss(), QStringLiteral("00000000000000"));
    EXPECT_FALSE(unset.hasMoment());
    // The group name always drops two characters, whatever they are.
    EXPECT_EQ(RVXMedia(QStringLiteral("/x/clip_X.mp4")).mediaGroupName(), QStringLiteral("clip"));
    // A repaired copy is in its recording's group; a name that only ends like one is not.
    const RVXMedia copy(QStringLiteral("/card/motion_20150101_120000_R_repaired.MP4"));
    EXPECT_TRUE(copy.isRepairedCopy());
    EXPECT_EQ(copy.mediaGroupName(), QStringLiteral("motion_20150101_120000"));
    const RVXMedia odd(QStringLiteral("/x/clip_repaired.mp4"));
    EXPECT_FALSE(odd.isRepairedCopy());
    EXPECT_EQ(odd.mediaGroupName(), QStringLiteral("clip_repair"));
}

TEST(RVXMedia, RelativePathIsMadeAbsolute) {
    const RVXMedia m(QStringLiteral("sub/../alwa_20150101_120000_F.MP4"));
    EXPECT_EQ(m.path(),
              QDir::current().absoluteFilePath(QStringLiteral("alwa_20150101_120000_F.MP4")));
    EXPECT_EQ(m.dir(), QDir::currentPath());
}

TEST(RVXMedia, SortOrder) {
    std::vector<RVXMediaRef> list;
    for (const char* n :
         {"alwa_20150101_120000_F_repaired.MP4", "alwa_20150101_120000_R.MP4",
          "event_20150101_120000_F.MP4", "alwa_20150101_120000_F.MP4", "alwa_20150101_115959_F.MP4",
          "motion_20150101_120000_F.MP4", "test_20150101_120000_F.MP4"})
        list.push_back(RVXMedia::mediaWithPath(QStringLiteral("/c/") + QLatin1String(n)));
    std::stable_sort(list.begin(), list.end(),
                     [](auto& a, auto& b) { return a->compareDate(*b) < 0; });
    QStringList order;
    for (auto& m : list)
        order << m->fileName();
    EXPECT_EQ(order.join(u' '),
              QStringLiteral("test_20150101_120000_F.MP4 alwa_20150101_115959_F.MP4 "
                             "event_20150101_120000_F.MP4 motion_20150101_120000_F.MP4 "
                             "alwa_20150101_120000_F.MP4 alwa_20150101_120000_F_repaired.MP4 "
                             "alwa_20150101_120000_R.MP4"));
}

TEST(RVXMedia, CompareDateIsAntisymmetric) {
    const RVXMedia a(QStringLiteral("/c/alwa_20150101_120000_F.MP4"));
    const RVXMedia b(QStringLiteral("/c/alwa_20150101_120000_R.MP4"));
    const RVXMedia c(QStringLiteral("/c/event_20150101_120000_R.MP4"));
    EXPECT_EQ(a.compareDate(b), -1);
    EXPECT_EQ(b.compareDate(a), 1);
    EXPECT_EQ(a.compareDate(a), 0);
    EXPECT_GT(a.compareDate(c), 0); // event before continuous
    EXPECT_LT(c.compareDate(a), 0);
}

TEST(RVXMediaSide, LocationEndDecidesIgnoringCase) {
    EXPECT_EQ(RVXMediaDirectionOfLocation(QStringLiteral("/c/alwa_20150101_120000_f.mp4")),
              RVXMediaDirectionFront);
    EXPECT_EQ(RVXMediaDirectionOfLocation(QStringLiteral("/c/x_R.Mp4")), RVXMediaDirectionRear);
    EXPECT_EQ(RVXMediaDirectionOfLocation(QStringLiteral("/c/x_R.MOV")), RVXMediaDirectionNone);
    EXPECT_EQ(RVXMediaDirectionOfLocation(QStringLiteral("_F.MP")), RVXMediaDirectionNone);
    EXPECT_EQ(RVXMediaDirectionOfLocation(QStringLiteral("_F.MP4")), RVXMediaDirectionFront);
    EXPECT_EQ(RVXMediaDirectionOfLocation(QString()), RVXMediaDirectionNone);
    // The name grammar and the player's test disagree on a lower-case suffix.
    const QString lower = QStringLiteral("/c/alwa_20150101_120000_f.MP4");
    EXPECT_EQ(RVXMedia(lower).mediaDirection(), RVXMediaDirectionNone);
    EXPECT_EQ(RVXMediaDirectionOfLocation(lower), RVXMediaDirectionFront);
}

} // namespace
