// SPDX-License-Identifier: GPL-3.0-or-later
// Demo recordings cut short as a power loss leaves them, repaired from another demo
// recording: the copy's frames, sound and telemetry against what the cut file held whole.
#include "core/media/RVXRecordingRepair.h"
#include "core/telemetry/RVXBlackBoxData.h"
#include "support/Run.h"
#include "support/TempTree.h"
#include "testmedia/CameraRecordingWriter.h"
#include "testmedia/DemoDrive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

QString demo(const char* name) {
    return QDir(qEnvironmentVariable("RUVEX_TEST_DEMO_CARD"))
        .filePath(QStringLiteral("20260314/") + QLatin1String(name));
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Packet {
    qint64 pos, size;
};

// A stream's packets where they lie in the file, from ffprobe.
std::vector<Packet> packetsOf(const QString& path, const char* stream = "v:0") {
    const RunResult r = runProgram(QStringLiteral("ffprobe"),
                                   {"-v", "error", "-select_streams", stream, "-show_entries",
                                    "packet=pos,size", "-of", "csv=p=0", path});
    std::vector<Packet> out;
    for (const QByteArray& line : r.out.trimmed().split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() == 2)
            out.push_back({f[1].toLongLong(), f[0].toLongLong()});
    }
    return out;
}

int decodedFrames(const QString& path) {
    const RunResult r =
        runProgram(QStringLiteral("ffprobe"),
                   {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                    "stream=nb_read_frames", "-of", "csv=p=0", path});
    return r.out.trimmed().toInt();
}

int wholeBefore(const std::vector<Packet>& packets, qsizetype cut) {
    return int(std::count_if(packets.begin(), packets.end(),
                             [&](const Packet& p) { return p.pos + p.size <= cut; }));
}

// The presentation times of a stream's packets (the lines of their side data left out).
std::vector<std::string> timesOf(const QString& path, const char* stream) {
    const RunResult r = runProgram(QStringLiteral("ffprobe"),
                                   {"-v", "error", "-select_streams", stream, "-show_entries",
                                    "packet=pts", "-of", "csv=p=0", path});
    std::vector<std::string> out;
    for (const QByteArray& line : r.out.split('\n')) {
        if (!line.trimmed().isEmpty())
            out.push_back(line.split(',').front().toStdString());
    }
    return out;
}

void setU32(QByteArray& b, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (24 - 8 * i));
}

} // namespace

TEST(RVXRecordingRepair, CutsAtManyPointsComeBackWithTheirFramesSoundAndTelemetry) {
    const QString original = demo("event_20260314_081527_F.MP4");
    const QString reference = demo("alwa_20260314_081500_F.MP4");
    const QByteArray whole = readAll(original);
    ASSERT_GT(whole.size(), 100000);
    const qsizetype mdat = 32; // after the camera's ftyp
    ASSERT_EQ(whole.mid(mdat + 4, 4), QByteArray("mdat"));
    const std::vector<Packet> packets = packetsOf(original);
    ASSERT_EQ(packets.size(), 420u);
    RVXBlackBoxData originalTelemetry;
    ASSERT_TRUE(
        originalTelemetry.ExtractStreamInformation(QFile::encodeName(original).constData()));
    const QByteArray originalHash = QCryptographicHash::hash(whole, QCryptographicHash::Sha256);

    // Cut points: fractions of the file, just after the second telemetry chunk, and in the
    // middle of the 100th video frame.
    std::vector<qsizetype> cuts;
    for (double f : {0.10, 0.50, 0.99})
        cuts.push_back(qsizetype(double(whole.size()) * f));
    const qsizetype telemetry = whole.indexOf(QByteArray("\x00\x99", 2), whole.indexOf("$GP") - 40);
    ASSERT_GT(telemetry, mdat);
    cuts.push_back(whole.indexOf(QByteArray("\x00\x99", 2), telemetry + 155) + 155);
    cuts.push_back(qsizetype(packets[99].pos + packets[99].size / 2));

    TempTree tree;
    for (const qsizetype cut : cuts) {
        for (const bool zeroSize : {false, true}) {
            SCOPED_TRACE(QStringLiteral("cut at %1 of %2, mdat size %3")
                             .arg(cut)
                             .arg(whole.size())
                             .arg(zeroSize ? "0" : "as written")
                             .toStdString());
            QByteArray bytes = whole.left(cut);
            if (zeroSize)
                setU32(bytes, mdat, 0);
            const QString broken = tree.file(QStringLiteral("event_20260314_081527_F.MP4"), bytes);
            const QString copy = tree.path(QStringLiteral("copy.MP4"));
            QFile::remove(copy);
            RVXRecordingRepair::Result result;
            ASSERT_FALSE(RVXRecordingRepair::repair(broken, reference, copy, &result));
            const int wholeFrames =
                int(std::count_if(packets.begin(), packets.end(),
                                  [&](const Packet& p) { return p.pos + p.size <= cut; }));
            EXPECT_GE(decodedFrames(copy), int(0.95 * wholeFrames)) << wholeFrames;
            EXPECT_EQ(result.videoFrames, decodedFrames(copy));
            EXPECT_GT(result.audioSeconds, result.videoSeconds - 1.0);

            RVXBlackBoxData t;
            ASSERT_TRUE(t.ExtractStreamInformation(QFile::encodeName(copy).constData()));
            ASSERT_LE(t.m_Times.size(), originalTelemetry.m_Times.size());
            // Ten records a second, in proportion to what the cut file holds.
            EXPECT_GE(int(t.m_Times.size()),
                      int(double(cut - mdat) / double(whole.size()) * 140) - 3);
            for (size_t i = 0; i < t.m_Times.size(); ++i) {
                ASSERT_EQ(t.m_Times[i], originalTelemetry.m_Times[i]) << i;
                ASSERT_EQ(t.m_vGpsData[i].gpsString().toByteArray(),
                          originalTelemetry.m_vGpsData[i].gpsString().toByteArray())
                    << i;
            }
            EXPECT_EQ(readAll(broken), bytes) << "the original is only read";
        }
    }
    EXPECT_EQ(QCryptographicHash::hash(readAll(original), QCryptographicHash::Sha256),
              originalHash);
}

TEST(RVXRecordingRepair, AWrongReferenceARandomFileAndTheReferenceFound) {
    TempTree tree;
    const QByteArray whole = readAll(demo("event_20260314_081527_F.MP4"));
    const QString broken =
        tree.file(QStringLiteral("event_20260314_081527_F.MP4"), whole.left(whole.size() / 2));

    // The same drive at another picture size: refused, nothing written.
    const QString small = tree.path(QStringLiteral("small.mp4"));
    ASSERT_EQ(runProgram(QStringLiteral("ffmpeg"),
                         {"-v",        "error",
                          "-f",        "lavfi",
                          "-i",        "testsrc2=size=320x180:rate=30:duration=6",
                          "-f",        "lavfi",
                          "-i",        "sine=frequency=440:sample_rate=48000:duration=6",
                          "-c:v",      "libx264",
                          "-preset",   "veryfast",
                          "-g",        "30",
                          "-pix_fmt",  "yuv420p",
                          "-c:a",      "aac",
                          "-b:a",      "96k",
                          "-shortest", "-y",
                          small})
                  .exitCode,
              0);
    const QString other = tree.path(QStringLiteral("other/alwa_20260314_081000_F.MP4"));
    QDir().mkpath(tree.path(QStringLiteral("other")));
    const QDateTime utc(QDate(2026, 3, 14), QTime(7, 10), Qt::UTC);
    ASSERT_FALSE(CameraRecordingWriter::writeFile(small, DemoDrive().recordsFor(0, 6, utc), other));
    const QString copy = tree.path(QStringLiteral("copy.MP4"));
    const auto wrong = RVXRecordingRepair::repair(broken, other, copy);
    ASSERT_TRUE(wrong);
    EXPECT_TRUE(wrong->contains(QStringLiteral("does not fit"))) << qPrintable(*wrong);
    EXPECT_FALSE(QFile::exists(copy));

    const QString random =
        tree.file(QStringLiteral("alwa_20260314_090000_F.MP4"), QByteArray(65536, 'r'));
    EXPECT_EQ(RVXRecordingDiagnosis::diagnose(random).state,
              RVXRecordingDiagnosis::State::NotARecording);
    EXPECT_TRUE(RVXRecordingRepair::repair(random, demo("alwa_20260314_081500_F.MP4"), copy));
    EXPECT_FALSE(QFile::exists(copy));

    // Beside the broken one: a healthy recording of its side, the same kind first.
    QFile::copy(demo("alwa_20260314_081500_F.MP4"),
                tree.path(QStringLiteral("alwa_20260314_081500_F.MP4")));
    QFile::copy(demo("event_20260314_081527_R.MP4"),
                tree.path(QStringLiteral("event_20260314_081527_R.MP4")));
    EXPECT_EQ(QFileInfo(RVXRecordingRepair::findReference(broken)).fileName(),
              QStringLiteral("alwa_20260314_081500_F.MP4"));
    // A copy repaired before is whole, of the same kind and moment, but laid out by us.
    QFile::copy(demo("event_20260314_081527_F.MP4"),
                tree.path(QStringLiteral("event_20260314_081527_F_repaired.MP4")));
    EXPECT_EQ(QFileInfo(RVXRecordingRepair::findReference(broken)).fileName(),
              QStringLiteral("alwa_20260314_081500_F.MP4"));
    EXPECT_EQ(QFileInfo(RVXRecordingRepair::proposedPath(broken)).fileName(),
              QStringLiteral("event_20260314_081527_F_repaired.MP4"));
}

// The camera's shortest recording teaches the layout of a longer one: the walk goes on by
// the chunks' signatures past the last chunk the reference knows (the sound it flushed
// when it stopped), and says where and why it stopped.
TEST(RVXRecordingRepair, ARecordingLongerThanItsReferenceComesBackWithAllItsWholeFrames) {
    const QString original = demo("alwa_20260314_081500_F.MP4");
    const QString reference = demo("motion_20260314_081515_F.MP4");
    const QByteArray whole = readAll(original);
    const std::vector<Packet> video = packetsOf(original), audio = packetsOf(original, "a:0"),
                              telemetry = packetsOf(original, "2");
    ASSERT_EQ(video.size(), 450u); // 15 s
    ASSERT_EQ(telemetry.size(), 150u);
    ASSERT_EQ(decodedFrames(reference), 360); // 12 s
    const Packet at14s6 = video[438];
    // The second sound frame of a chunk after 14.6 s.
    size_t second = 1;
    while (second < audio.size() &&
           (audio[second].pos < at14s6.pos ||
            audio[second - 1].pos + audio[second - 1].size != audio[second].pos))
        ++second;
    ASSERT_LT(second, audio.size());
    const Packet* sound = &audio[second];
    const Packet after = video[445];
    // What a card may hold past the last write: clusters never written, the media data's
    // size still 0 as the camera leaves it until it closes the file.
    QByteArray unwritten = whole.left(after.pos) + QByteArray(65536, '\0');
    setU32(unwritten, 32, 0);
    struct Case {
        const char* what;
        QByteArray bytes;
        qsizetype wholeUpTo;
        QString stoppedBecause;
    } cases[] = {
        {"mid-picture at 14.6 s", whole.left(at14s6.pos + at14s6.size / 2), at14s6.pos,
         QStringLiteral("a partial chunk at byte %1").arg(at14s6.pos)},
        {"mid-sound frame", whole.left(sound->pos + sound->size / 2), sound->pos,
         QStringLiteral("a partial chunk at byte %1").arg(sound->pos)},
        {"after a whole chunk", whole.left(after.pos), after.pos, QStringLiteral("end of data")},
        {"zeros past a whole chunk", unwritten, after.pos,
         QStringLiteral("unrecognised bytes at %1").arg(after.pos)},
    };
    TempTree tree;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString broken = tree.file(QStringLiteral("alwa_20260314_081500_F.MP4"), c.bytes);
        const QString copy = tree.path(QStringLiteral("copy.MP4"));
        QFile::remove(copy);
        RVXRecordingRepair::Result result;
        ASSERT_FALSE(RVXRecordingRepair::repair(broken, reference, copy, &result));
        const int frames = wholeBefore(video, c.wholeUpTo);
        EXPECT_GE(frames, 438);
        EXPECT_EQ(result.videoFrames, frames);
        EXPECT_EQ(decodedFrames(copy), frames);
        EXPECT_EQ(packetsOf(copy, "a:0").size(), size_t(wholeBefore(audio, c.wholeUpTo)));
        EXPECT_EQ(packetsOf(copy, "2").size(), size_t(wholeBefore(telemetry, c.wholeUpTo)));
        EXPECT_EQ(result.stoppedBecause.toStdString(), c.stoppedBecause.toStdString());
        EXPECT_EQ(result.stoppedAt, uint64_t(c.wholeUpTo));
        EXPECT_EQ(result.bytesLeft, uint64_t(c.bytes.size() - c.wholeUpTo));
        EXPECT_NEAR(result.videoSeconds, frames / 30.0, 1e-9);
    }
}

// The encoder's first sound frame only primes it: the camera's edit list starts after it,
// and so must the copy's, or the sound plays a frame late against the pictures.
TEST(RVXRecordingRepair, TheSoundKeepsThePrimingOfTheCamerasRecordings) {
    const QString original = demo("event_20260314_081527_F.MP4");
    const QString reference = demo("alwa_20260314_081500_F.MP4");
    const QByteArray whole = readAll(original);
    TempTree tree;
    const QString broken =
        tree.file(QStringLiteral("event_20260314_081527_F.MP4"), whole.left(whole.size() / 2));
    const QString copy = tree.path(QStringLiteral("copy.MP4"));
    RVXRecordingRepair::Result result;
    ASSERT_FALSE(RVXRecordingRepair::repair(broken, reference, copy, &result));
    const std::vector<std::string> wanted = timesOf(original, "a:0"), got = timesOf(copy, "a:0");
    ASSERT_GT(got.size(), 300u);
    ASSERT_EQ(timesOf(reference, "a:0").front(), "-1024");
    ASSERT_EQ(wanted.front(), "-1024");
    EXPECT_EQ(got,
              std::vector<std::string>(wanted.begin(), wanted.begin() + qsizetype(got.size())));
    // What plays is the sound after its priming frame.
    EXPECT_NEAR(result.audioSeconds, (got.size() - 1) * 1024 / 48000.0, 1e-9);
}
