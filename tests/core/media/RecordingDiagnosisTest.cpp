// SPDX-License-Identifier: GPL-3.0-or-later
// The top-level boxes of a demo recording, whole and cut short as a power loss leaves it.
#include "core/media/RVXRecordingDiagnosis.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

using State = RVXRecordingDiagnosis::State;

QByteArray demoRecording() {
    QFile f(QDir(qEnvironmentVariable("RUVEX_TEST_DEMO_CARD"))
                .filePath(QStringLiteral("20260314/event_20260314_081527_F.MP4")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Where mdat's header is: right after ftyp.
qsizetype mdatAt(const QByteArray& file) {
    return qsizetype(uchar(file[2]) << 8 | uchar(file[3]));
}

void setU32(QByteArray& b, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (24 - 8 * i));
}

} // namespace

TEST(RVXRecordingDiagnosis, WholeCutShortAndNoRecording) {
    const QByteArray whole = demoRecording();
    ASSERT_GT(whole.size(), 100000);
    const qsizetype mdat = mdatAt(whole);
    ASSERT_EQ(whole.mid(mdat + 4, 4), QByteArray("mdat"));
    TempTree tree;
    const auto diagnose = [&](const QByteArray& bytes) {
        return RVXRecordingDiagnosis::diagnose(tree.file(QStringLiteral("x.MP4"), bytes));
    };
    EXPECT_EQ(diagnose(whole).state, State::Healthy);

    // Half of it, the mdat size as written: it runs past the end and no moov follows.
    const QByteArray half = whole.left(whole.size() / 2);
    RVXRecordingDiagnosis::Result r = diagnose(half);
    EXPECT_EQ(r.state, State::CutShort);
    EXPECT_EQ(r.mdatPayloadOffset, uint64_t(mdat + 8));
    EXPECT_EQ(r.mdatPayloadBytes, uint64_t(half.size() - mdat - 8));
    // The size left at 0, as the camera writes it before it knows: all of the file.
    QByteArray zero = half;
    setU32(zero, mdat, 0);
    EXPECT_EQ(diagnose(zero).state, State::CutShort);
    // A 64-bit size that the cut file cannot hold.
    QByteArray big = half;
    setU32(big, mdat, 1);
    EXPECT_EQ(diagnose(big).state, State::CutShort);
    // Whole media data, the index never written.
    const qsizetype moov = whole.indexOf("moov", mdat + 8) - 4;
    ASSERT_GT(moov, mdat);
    EXPECT_EQ(diagnose(whole.left(moov)).state, State::CutShort);

    EXPECT_EQ(diagnose(QByteArray(4096, 'x')).state, State::NotARecording);
    EXPECT_EQ(diagnose(QByteArray()).state, State::NotARecording);
    EXPECT_EQ(diagnose(whole.left(mdat)).state, State::NotARecording) << "ftyp alone";
    // A box claiming fewer bytes than its header ends the walk instead of looping.
    QByteArray hostile = whole.left(mdat + 64);
    setU32(hostile, mdat, 4);
    hostile.replace(mdat + 4, 4, "free");
    EXPECT_EQ(diagnose(hostile).state, State::NotARecording);
    EXPECT_EQ(RVXRecordingDiagnosis::diagnose(tree.path(QStringLiteral("missing.MP4"))).state,
              State::NotARecording);
}
