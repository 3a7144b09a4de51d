// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drivelog/RVXFlashDataModel.h"

#include "support/CommaLocale.h"
#include "support/TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

FlashDataRecord sample() {
    FlashDataRecord r;
    r.sequence = 42;
    r.dayOfWeek = 6;
    r.status = 1;
    r.year = 126;
    r.month = 3;
    r.day = 14;
    r.hour = 8;
    r.minute = 5;
    r.second = 9;
    r.latitudeWhole = 3733;
    r.latitudeFraction = 1234;
    r.longitudeWhole = 12658;
    r.longitudeFraction = 5;
    r.currentSpeed = 57;
    r.distance = 12345;
    r.maximumSpeed = 88;
    r.x = -256;
    r.y = 64;
    r.z = 256;
    r.battery = 124;
    r.ttc = 5;
    r.dtc = -15;
    return r;
}

QStringList row(const RVXFlashDataModel& m, int64_t r) {
    QStringList cells;
    for (int c = 0; c < RVXFlashDataModel::kColumnCount; ++c)
        cells << m.stringForColumnIndex(c, r);
    return cells;
}

TEST(FlashDataModel, CellsOfEveryColumn) {
    RVXFlashDataModel m;
    FlashDataRecord odd = sample();
    odd.dayOfWeek = 7;
    odd.status = 0;
    odd.latitudeFraction = 5;
    FlashDataRecord fix2 = sample();
    fix2.status = 2;
    m.setRecords({sample(), odd, fix2});
    EXPECT_EQ(row(m, 0).join(u'|'),
              QStringLiteral("1|42|2026/03/14|08:05:09|SAT|3733.1234|12658.0005|1234.5|57|88|A|"
                             "-1.00|+0.25|+1.00|12.4| 0.5|-1.5"));
    EXPECT_EQ(m.stringForColumnIndex(4, 1), QStringLiteral("-"));
    EXPECT_EQ(m.stringForColumnIndex(10, 1), QStringLiteral("V"));
    EXPECT_EQ(m.stringForColumnIndex(5, 1), QStringLiteral("3733.0005"));
    EXPECT_EQ(m.stringForColumnIndex(10, 2), QStringLiteral("F"));
    EXPECT_EQ(m.stringForColumnIndex(0, 3), QString());
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.columnCount(), 17);
    EXPECT_EQ(m.data(m.index(0, 2)).toString(), QStringLiteral("2026/03/14"));
    odd.battery = -5;
    m.setRecords({odd});
    EXPECT_EQ(m.stringForColumnIndex(14, 0), QStringLiteral("-0.5"))
        << "a negative value keeps one sign";
}

// Every multiple of 1/8 g lies exactly between two texts of two decimals: the C
// library's half-to-even rule decides, as on the camera, and a German desktop still
// gets a decimal point in the table and in the CSV.
TEST(FlashDataModel, NumbersFollowTheCLibraryInAnyLocale) {
    const CommaLocale german;
    ASSERT_EQ(german.error(), "");
    struct {
        int16_t raw;
        const char* text;
    } const ties[] = {{160, "+0.62"}, {32, "+0.12"},  {96, "+0.38"}, {-160, "-0.62"},
                      {-32, "-0.12"}, {288, "+1.12"}, {0, "+0.00"},  {-1, "-0.00"}};
    RVXFlashDataModel m;
    for (const auto& tie : ties) {
        FlashDataRecord r = sample();
        r.x = tie.raw;
        m.setRecords({r});
        EXPECT_EQ(m.stringForColumnIndex(11, 0), QLatin1String(tie.text)) << tie.raw;
    }
    FlashDataRecord r = sample();
    r.distance = 5;
    r.y = 160;
    m.setRecords({r});
    EXPECT_EQ(m.stringForColumnIndex(7, 0), QStringLiteral("0.5"));
    TempTree tree;
    const QString path = tree.path(QStringLiteral("zamo_000.csv"));
    ASSERT_EQ(m.doWriteCSVFile(path), std::nullopt);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(",0.5,57,88,A,-1.00,+0.62,+1.00,")) << "CSV as in the table";
}

TEST(FlashDataModel, ReadsOnlyCompleteRecordsWhateverTheHeaderSays) {
    TempTree tree;
    QByteArray bytes = flashDataFileBytes({sample(), sample()});
    RVXFlashDataModel m;
    ASSERT_TRUE(m.doReadFlashDataFile(tree.file(QStringLiteral("two.drv"), bytes)));
    EXPECT_EQ(m.m_FlashDataNum(), 2);
    EXPECT_EQ(m.records()[1].toBytes(), sample().toBytes());
    // A count of 0xFFFFFFFF and one and a half records.
    bytes[0] = bytes[1] = bytes[2] = bytes[3] = char(0xff);
    bytes.chop(20);
    ASSERT_TRUE(m.doReadFlashDataFile(tree.file(QStringLiteral("damaged.drv"), bytes)));
    EXPECT_EQ(m.m_FlashDataNum(), 1);
    ASSERT_TRUE(
        m.doReadFlashDataFile(tree.file(QStringLiteral("empty.drv"), flashDataFileBytes({}))));
    EXPECT_EQ(m.m_FlashDataNum(), 0);
    ASSERT_TRUE(m.doReadFlashDataFile(tree.file(QStringLiteral("tiny.drv"), "ab")));
    EXPECT_EQ(m.m_FlashDataNum(), 0);
    m.setRecords({sample()});
    EXPECT_FALSE(m.doReadFlashDataFile(tree.path(QStringLiteral("missing.drv"))));
    EXPECT_EQ(m.m_FlashDataNum(), 1) << "rows stay as they were";
}

TEST(FlashDataModel, CsvHasTitlesAndOneLinePerRecordAndReplacesTheFile) {
    TempTree tree;
    const QString path = tree.file(QStringLiteral("zamo_000.csv"), QByteArray(5000, '#'));
    RVXFlashDataModel m;
    m.setRecords({sample(), sample()});
    ASSERT_EQ(m.doWriteCSVFile(path), std::nullopt);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray csv = f.readAll();
    EXPECT_FALSE(csv.contains('#'));
    EXPECT_TRUE(csv.endsWith('\n'));
    const QList<QByteArray> lines = csv.chopped(1).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], RVXFlashDataModel::columnNames().join(u',').toUtf8());
    EXPECT_EQ(lines[0].count(','), 16);
    EXPECT_EQ(lines[2], row(m, 1).join(u',').toUtf8());
    EXPECT_FALSE(lines[1].endsWith(','));
    EXPECT_TRUE(m.doWriteCSVFile(tree.path(QStringLiteral("no/such/x.csv"))));
}

} // namespace
