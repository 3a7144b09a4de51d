// SPDX-License-Identifier: GPL-3.0-or-later
// Playing where there is no sound device: libVLC opens the ALSA device again for every
// block of sound, and alsa-lib writes eight lines to stderr each time.
#include "PlayerTestSupport.h"

#include "support/StderrCapture.h"

#include <QTemporaryFile>

namespace {

class NoSoundDevice : public MainWindowTest {
protected:
    void SetUp() override {
        // An empty configuration has no "default" device, on a machine with sound as
        // without.
        ASSERT_TRUE(noDevices.open());
        qputenv("ALSA_CONFIG_PATH", noDevices.fileName().toLocal8Bit());
        // libVLC starts with the first player, in the window made below.
        qputenv("RUVEX_VLC_OPTIONS", "--aout=alsa");
        captured = std::make_unique<StderrCapture>();
        MainWindowTest::SetUp();
    }
    QTemporaryFile noDevices;
    std::unique_ptr<StderrCapture> captured;
};

TEST_F(NoSoundDevice, PlayingLogsEachRepeatedMessageOnce) {
    open(demoCard());
    playAndWait(0);
    spin(6000);
    EXPECT_TRUE(delegate->playInfo()->isPlaying()) << "the pictures play on";
    const QList<QByteArray> lines = captured->text().split('\n');
    qsizetype alsa = 0;
    for (const QByteArray& line : lines)
        alsa += line.contains("ALSA") || line.contains("alsa");
    EXPECT_GT(alsa, 0) << "the missing device is said";
    EXPECT_LE(alsa, 24)
        << alsa
        << " lines of ALSA; each message once a minute, not a line for every block of sound; "
           "stderr had "
        << lines.size() << " lines";
}

} // namespace
