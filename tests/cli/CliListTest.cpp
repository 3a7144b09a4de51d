// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Run.h"
#include "support/TempTree.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QList<QByteArray> lines(const QByteArray& text) {
    QList<QByteArray> out = text.split('\n');
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

TEST(CardList, JsonLinesCarryEveryFieldInOrder) {
    TempTree tree;
    tree.files(QStringLiteral("2015"), {"alwa_20150101_120000_F.MP4", "alwa_20150101_120000_R.MP4",
                                        "event_20150102_080000_R.MP4"});
    const RunResult r = runProgram(kCard, {"list", tree.root(), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> out = lines(r.out);
    ASSERT_EQ(out.size(), 3);
    // Key order is part of the output's shape, so it is read off the text itself.
    QStringList keys;
    for (const auto& m :
         QRegularExpression(QStringLiteral("\"(\\w+)\":")).globalMatch(QString::fromUtf8(out[0])))
        keys << m.captured(1);
    EXPECT_EQ(
        keys.join(u','),
        QStringLiteral("index,path,fileName,mediaName,extension,dir,mediaDivision,"
                       "mediaDirection,year,month,day,hour,minute,second,group,partner,state"));
    // Empty files are no recordings at all.
    EXPECT_EQ(QJsonDocument::fromJson(out[0]).object().value(u"state").toString(),
              QStringLiteral("none"));
    const QJsonObject front = QJsonDocument::fromJson(out[0]).object();
    EXPECT_EQ(front.value(u"index").toInt(), 0);
    EXPECT_EQ(front.value(u"path").toString(),
              tree.path(QStringLiteral("2015/alwa_20150101_120000_F.MP4")));
    EXPECT_EQ(front.value(u"dir").toString(), tree.path(QStringLiteral("2015")));
    EXPECT_EQ(front.value(u"extension").toString(), QStringLiteral("MP4"));
    EXPECT_EQ(front.value(u"hour").toInt(), 12);
    EXPECT_EQ(front.value(u"group").toString(), QStringLiteral("alwa_20150101_120000"));
    EXPECT_EQ(front.value(u"partner").toString(), QStringLiteral("alwa_20150101_120000_R.MP4"));
    const QJsonObject rear = QJsonDocument::fromJson(out[1]).object();
    EXPECT_EQ(rear.value(u"mediaDirection").toInt(), 1);
    EXPECT_EQ(rear.value(u"partner").toString(), QStringLiteral("alwa_20150101_120000_F.MP4"));
    const QJsonObject lone = QJsonDocument::fromJson(out[2]).object();
    EXPECT_EQ(lone.value(u"mediaDivision").toInt(), 2);
    EXPECT_TRUE(lone.value(u"partner").isNull());
}

TEST(CardList, TableIsAligned) {
    TempTree tree;
    tree.files(QStringLiteral("."), {"motion_20150101_120000_R.MP4", "alwa_20150101_120000_F.MP4",
                                     "test_20150101_120000_F.MP4"});
    const RunResult r = runProgram(kCard, {"list", tree.root()});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> out = lines(r.out);
    ASSERT_EQ(out.size(), 4);
    EXPECT_TRUE(out[0].startsWith("KIND"));
    EXPECT_EQ(out[1].simplified(), "continuous front - - test_20150101_120000_F.MP4");
    EXPECT_EQ(out[2].simplified(), "motion rear 2015-01-01 12:00:00 motion_20150101_120000_R.MP4");
    EXPECT_EQ(out[3].simplified(),
              "continuous front 2015-01-01 12:00:00 alwa_20150101_120000_F.MP4");
    // File names hold no blanks, so each line's last word starts the file column.
    const qsizetype column = out[0].indexOf("FILE");
    for (const QByteArray& line : out)
        EXPECT_EQ(line.lastIndexOf(' ') + 1, column) << line.constData();
}

TEST(CardList, BadFoldersAndUsage) {
    TempTree tree;
    tree.folder(QStringLiteral("empty"));
    const QString file = tree.file(QStringLiteral("plain.txt"));

    RunResult r = runProgram(kCard, {"list", tree.path(QStringLiteral("empty"))});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("no recordings in")) << "an empty list is said, apart from it";

    for (const QString& bad : {tree.path(QStringLiteral("missing")), file}) {
        r = runProgram(kCard, {"list", bad, "--json"});
        EXPECT_EQ(r.exitCode, 2) << qPrintable(bad);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains("not a readable folder"));
    }
    EXPECT_EQ(runProgram(kCard, {"list"}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"list", tree.root(), "--xml"}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {"frobnicate"}).exitCode, 2);
    EXPECT_EQ(runProgram(kCard, {}).exitCode, 2);
}

TEST(CardList, HelpNamesTheSubcommands) {
    const RunResult r = runProgram(kCard, {"help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("list DIR [--json]"));
}

} // namespace
