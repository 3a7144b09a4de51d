// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The demo card: front/rear pairs of every kind, a lone front and a lone rear
// recording, in dated folders, all cut from one drive so the telemetry runs on from one
// recording to the next.
class DemoCard {
public:
    struct Recording {
        QString folder;  // relative to the card's root
        QString name;    // without extension
        double duration; // seconds
        double driveOffset;
        QDateTime startUtc;
        double impactAt; // seconds from the start, negative for none
        bool rear;
    };

    static std::vector<Recording> plan();
    // The plate number the demo card's settings carry.
    static QString plateNumber() { return QStringLiteral("W1234AB"); }
    // config.bin (defaults, this plate, sealed), DrvInfo/zamo_000.drv along the drive and
    // timeset.cfg at the first recording's moment.
    static std::optional<QString> writeCardFiles(const QString& dir);
    // Writes every recording of plan() under dir; progress hears each file's path.
    static std::optional<QString> write(const QString& dir,
                                        const QString& ffmpeg = QStringLiteral("ffmpeg"),
                                        const std::function<void(const QString&)>& progress = {});
    // A moving test pattern with a tone, as the camera's encoder would give it.
    static std::optional<QString> encodeVideo(const QString& ffmpeg, double duration, bool rear,
                                              const QString& outPath);
};
