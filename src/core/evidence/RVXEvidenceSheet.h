// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// What the evidence pack's PDF sheet says, worked out by the pack; drawing it is the
// renderer's.
struct RVXEvidenceSheet {
    QString title;
    // The event of the card scan the pack was made for ("Impact, 3.69 g ..."); empty when
    // the moment is no event's.
    QString eventText;
    QString momentCamera;
    // The time alone with how it was found; the sheet adds the "UTC" label.
    QString momentUtc;
    // The speed at the moment, or why it is not known.
    QString speedText;
    QString clockOffset;
    QString placeText;
    std::optional<double> latitude, longitude;
    // The window's positions, (longitude, latitude).
    std::vector<std::pair<double, double>> track;
    // The window's samples: seconds from the moment, G (g) and speed (km/h, none without
    // a fix).
    struct Sample {
        double second = 0;
        double x = 0, y = 0, z = 0;
        std::optional<double> speedKmh;
    };
    std::vector<Sample> samples;
    double askedFrom = 0, askedTo = 0; // seconds from the moment
    QString cutText;
    // Each video file: the camera time of its first frame shown and of its last frame's end,
    // and where it starts on the timeline the files share.
    struct Video {
        QString name;
        QString from, to;
        double offset = 0;
    };
    std::vector<Video> videos;
    // What the cuts lack or repeat: each camera's gaps, files that overlap.
    QStringList cutNotes;
    QString plate;
    QString thresholds;
    struct File {
        QString name;
        qint64 size = 0;
        QString sha256;
    };
    std::vector<File> files;
    // Which files the table cannot list, and why.
    QString filesNote;
    QString program;
};

// Writes the sheet as a PDF; an error as a sentence.
class RVXEvidenceSheetRenderer {
public:
    virtual ~RVXEvidenceSheetRenderer() = default;
    virtual std::optional<QString> write(const RVXEvidenceSheet& sheet, const QString& path) = 0;
};
