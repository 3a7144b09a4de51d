// SPDX-License-Identifier: GPL-3.0-or-later
// Evidence packs of damaged copies of the demo card, their times judged by ffprobe: every
// video file's span in the manifest is where its first frame and last frame really are,
// the files share one timeline, and no file runs over a gap or shows a moment twice.
#include "core/catalogue/RVXMediaList.h"
#include "core/evidence/RVXEvidencePack.h"
#include "support/DemoCardCopy.h"
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFrame = 1.0 / 30;

class NoSheet : public RVXEvidenceSheetRenderer {
public:
    std::optional<QString> write(const RVXEvidenceSheet&, const QString& path) override {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) ? std::nullopt : std::optional(f.errorString());
    }
};

double at(const char* time) {
    return double(QDateTime(QDate(2026, 3, 14),
                            QTime::fromString(QLatin1String(time), "HH:mm:ss.zzz"), Qt::UTC)
                      .toMSecsSinceEpoch()) /
           1000;
}

// Camera time as the manifest writes it, in seconds as trips count them.
std::optional<double> cameraSeconds(const QJsonValue& v) {
    const QDateTime t =
        QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    if (!t.isValid())
        return std::nullopt;
    return double(QDateTime(t.date(), t.time(), Qt::UTC).toMSecsSinceEpoch()) / 1000;
}

struct Pack {
    QString folder;
    QJsonObject manifest;
    std::map<QString, QJsonObject> videos; // name -> manifest entry

    double from(const QString& name) const {
        return cameraSeconds(videos.at(name).value(u"from")).value_or(NAN);
    }
    double to(const QString& name) const {
        return cameraSeconds(videos.at(name).value(u"to")).value_or(NAN);
    }
    // The video files' names, in order.
    std::string names() const {
        QStringList out;
        for (const auto& [name, entry] : videos)
            out << name;
        return out.join(u' ').toStdString();
    }
};

Pack makePack(TempTree& tree, const QString& card, double moment, double before, double after) {
    RVXMediaList list;
    list.setDirectoryPath(card);
    list.waitForWalks();
    const std::optional<RVXEvidencePlan> plan =
        RVXEvidencePlan::make(RVXTrip::tripsOfList(list), moment, before, after);
    EXPECT_TRUE(plan);
    Pack pack;
    if (!plan)
        return pack;
    pack.folder = tree.path(QStringLiteral("pack"));
    NoSheet sheet;
    const auto error = RVXEvidencePack::make({card, *plan, pack.folder, {}, {}}, sheet);
    EXPECT_FALSE(error) << qPrintable(error.value_or(QString()));
    QFile f(pack.folder + QStringLiteral("/manifest.json"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    pack.manifest = QJsonDocument::fromJson(f.readAll()).object();
    for (const QJsonValue& v : pack.manifest.value(u"files").toArray()) {
        const QJsonObject entry = v.toObject();
        const QString name = entry.value(u"name").toString();
        if (!name.contains(u'/') && name.endsWith(QStringLiteral(".mp4")))
            pack.videos[name] = entry;
    }
    return pack;
}

struct Video {
    double startTime = NAN;
    std::vector<std::pair<double, double>> frames; // pts, duration, in presentation order
};

Video probeVideo(const QString& path) {
    Video v;
    const RunResult stream = runProgram(QStringLiteral("ffprobe"),
                                        {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                         "stream=start_time", "-of", "csv=p=0", path});
    v.startTime = stream.out.trimmed().toDouble();
    const RunResult packets = runProgram(QStringLiteral("ffprobe"),
                                         {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                          "packet=pts_time,duration_time", "-of", "csv=p=0", path});
    for (const QByteArray& line : packets.out.trimmed().split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() >= 2)
            v.frames.emplace_back(f[0].toDouble(), f[1].toDouble());
    }
    std::sort(v.frames.begin(), v.frames.end());
    return v;
}

// What every pack must hold: each video file's span as ffprobe finds it, on the timeline the
// files share from windowCut.from, one frame after another with no gap and no moment twice.
void expectTrueTimes(const Pack& pack) {
    const std::optional<double> zero =
        cameraSeconds(pack.manifest.value(u"windowCut").toObject().value(u"from"));
    ASSERT_TRUE(zero) << "windowCut.from";
    ASSERT_FALSE(pack.videos.empty());
    double earliest = INFINITY;
    for (const auto& [name, entry] : pack.videos) {
        SCOPED_TRACE(name.toStdString());
        const Video v = probeVideo(pack.folder + u'/' + name);
        ASSERT_FALSE(v.frames.empty());
        for (size_t i = 1; i < v.frames.size(); ++i) {
            const double step = v.frames[i].first - v.frames[i - 1].first;
            ASSERT_NEAR(step, kFrame, 0.001) << "at " << v.frames[i].first << " s";
        }
        const std::optional<double> from = cameraSeconds(entry.value(u"from")),
                                    to = cameraSeconds(entry.value(u"to"));
        ASSERT_TRUE(from && to) << "from and to in the manifest";
        earliest = std::min(earliest, *from);
        EXPECT_NEAR(v.startTime, *from - *zero, 0.002) << "start_time";
        EXPECT_NEAR(v.frames.front().first, *from - *zero, 0.002) << "first frame's pts";
        const auto& last = v.frames.back();
        EXPECT_NEAR(last.first + last.second - v.frames.front().first, *to - *from, 0.002)
            << "length";
    }
    EXPECT_NEAR(earliest, *zero, 0.0005) << "windowCut.from is the earliest file's start";
}

double firstCsvTime(const Pack& pack) {
    QFile f(pack.folder + QStringLiteral("/telemetry.csv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> header = f.readLine().trimmed().split(',');
    const QList<QByteArray> row = f.readLine().trimmed().split(',');
    const qsizetype column = header.indexOf("camera_time");
    EXPECT_GE(column, 0);
    if (column < 0 || column >= row.size())
        return NAN;
    return cameraSeconds(QString::fromLatin1(row[column])).value_or(NAN);
}

// The window of these tests: 08:15:12.5 to 08:15:30.5, across the first three pairs
// (08:15:00 for 15 s, 08:15:15 for 12 s, 08:15:27 for 14 s); keyframes every second.
const double kMoment = at("08:15:20.500");

} // namespace

TEST(RVXEvidenceTimes, AWholeCardJoinsWithoutTheBFrameDelay) {
    TempTree tree;
    const Pack pack = makePack(tree, DemoCardCopy{}.make(tree), kMoment, 8, 10);
    EXPECT_EQ(pack.names(), "front.mp4 rear.mp4");
    expectTrueTimes(pack);
    for (const char* side : {"front.mp4", "rear.mp4"}) {
        EXPECT_NEAR(pack.from(side), at("08:15:12.000"), 1e-3) << side;
        EXPECT_GE(pack.to(side), at("08:15:30.500") - 1e-3) << side;
        EXPECT_LE(pack.to(side), at("08:15:30.500") + 0.2) << side;
    }
}

TEST(RVXEvidenceTimes, EachFileStartsWhereItsOwnFirstPieceDoes) {
    // The window's first recording lacks its rear, its front, or has its front cut short:
    // that camera's file starts with the next recording, 3 s after the other's.
    struct Case {
        const char* name;
        DemoCardCopy copy;
        const char* late;
        const char* early;
    };
    const QString first = QStringLiteral("alwa_20260314_081500_");
    DemoCardCopy noRear, noFront, cutFront;
    noRear.without = {first + "R.MP4"};
    noFront.without = {first + "F.MP4"};
    cutFront.cutTo = {{first + "F.MP4", 600000}};
    const std::vector<Case> cases = {
        {"first rear missing", noRear, "rear.mp4", "front.mp4"},
        {"first front missing", noFront, "front.mp4", "rear.mp4"},
        {"first front cut short", cutFront, "front.mp4", "rear.mp4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        const Pack pack = makePack(tree, c.copy.make(tree), kMoment, 8, 10);
        ASSERT_EQ(pack.names(), "front.mp4 rear.mp4");
        expectTrueTimes(pack);
        EXPECT_NEAR(pack.from(c.early), at("08:15:12.000"), 1e-3);
        EXPECT_NEAR(pack.from(c.late), at("08:15:15.000"), 1e-3);
        EXPECT_NEAR(cameraSeconds(pack.manifest.value(u"windowCut").toObject().value(u"from"))
                        .value_or(NAN),
                    at("08:15:12.000"), 1e-3);
        EXPECT_NEAR(firstCsvTime(pack), at("08:15:12.000"), 1e-3);
    }
}

TEST(RVXEvidenceTimes, AMissingRecordingOrAGapStartsANewFile) {
    {
        SCOPED_TRACE("the middle rear missing");
        TempTree tree;
        DemoCardCopy copy;
        copy.without = {QStringLiteral("motion_20260314_081515_R.MP4")};
        const Pack pack = makePack(tree, copy.make(tree), kMoment, 8, 10);
        ASSERT_EQ(pack.names(), "front.mp4 rear-1.mp4 rear-2.mp4");
        expectTrueTimes(pack);
        EXPECT_NEAR(pack.from("rear-1.mp4"), at("08:15:12.000"), 1e-3);
        EXPECT_NEAR(pack.to("rear-1.mp4"), at("08:15:15.000"), 1e-3);
        EXPECT_NEAR(pack.from("rear-2.mp4"), at("08:15:27.000"), 1e-3);
        EXPECT_GE(pack.to("rear-2.mp4"), at("08:15:30.500") - 1e-3);
    }
    {
        // The second pair starts 2 s after the first ends, so late that the event pair
        // overlaps it: its cut ends where the event's begins, on a keyframe, and the two
        // join; the 2 s do not.
        SCOPED_TRACE("a gap of 2 s");
        TempTree tree;
        DemoCardCopy copy;
        copy.renamed = {{"motion_20260314_081515_F.MP4", "motion_20260314_081517_F.MP4"},
                        {"motion_20260314_081515_R.MP4", "motion_20260314_081517_R.MP4"}};
        const Pack pack = makePack(tree, copy.make(tree), kMoment, 8, 10);
        ASSERT_EQ(pack.names(), "front-1.mp4 front-2.mp4 rear-1.mp4 rear-2.mp4");
        expectTrueTimes(pack);
        for (const char* side : {"front", "rear"}) {
            const QString one = QStringLiteral("%1-1.mp4").arg(side),
                          two = QStringLiteral("%1-2.mp4").arg(side);
            EXPECT_NEAR(pack.to(one), at("08:15:15.000"), 1e-3) << side;
            EXPECT_NEAR(pack.from(two), at("08:15:17.000"), 1e-3) << side;
        }
    }
}

TEST(RVXEvidenceTimes, ALaterPieceThatWouldShowAMomentAgainStartsANewFile) {
    // An event pair of 12.5 s inside the first loop pair: the loop plays on from 08:15:13.5,
    // but its cut must start from the keyframe at 13.0, half a second the event showed.
    TempTree tree;
    const QString event = tree.path(QStringLiteral("event.mp4"));
    const RunResult encoded =
        runProgram(QStringLiteral("ffmpeg"), {"-hide_banner",
                                              "-loglevel",
                                              "error",
                                              "-nostdin",
                                              "-y",
                                              "-f",
                                              "lavfi",
                                              "-i",
                                              "testsrc2=size=640x360:rate=30:duration=12.5",
                                              "-f",
                                              "lavfi",
                                              "-i",
                                              "sine=frequency=440:sample_rate=48000:duration=12.5",
                                              "-c:v",
                                              "libx264",
                                              "-preset",
                                              "veryfast",
                                              "-g",
                                              "30",
                                              "-pix_fmt",
                                              "yuv420p",
                                              "-c:a",
                                              "aac",
                                              "-b:a",
                                              "96k",
                                              "-shortest",
                                              event});
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err.constData();
    DemoCardCopy copy;
    copy.added = {{"event_20260314_081501_F.MP4", event}, {"event_20260314_081501_R.MP4", event}};
    const Pack pack = makePack(tree, copy.make(tree), at("08:15:08.000"), 8, 8);
    ASSERT_EQ(pack.names(), "front-1.mp4 front-2.mp4 rear-1.mp4 rear-2.mp4");
    expectTrueTimes(pack);
    for (const char* side : {"front", "rear"}) {
        const QString one = QStringLiteral("%1-1.mp4").arg(side),
                      two = QStringLiteral("%1-2.mp4").arg(side);
        // The loop's first second and the event in one file, joined on the event's start.
        EXPECT_NEAR(pack.from(one), at("08:15:00.000"), 1e-3) << side;
        EXPECT_NEAR(pack.to(one), at("08:15:13.500"), 1e-3) << side;
        EXPECT_NEAR(pack.from(two), at("08:15:13.000"), 1e-3) << side;
    }
}
