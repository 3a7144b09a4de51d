// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/player/VLCTime.h"

#include <QString>

#include <cstdint>
#include <memory>

struct libvlc_media_t;

// A recording handed to a player, by its file path.
class VLCMedia {
public:
    // Nothing when the library did not start.
    static std::shared_ptr<VLCMedia> mediaWithPath(const QString& path);
    ~VLCMedia();
    VLCMedia(const VLCMedia&) = delete;
    VLCMedia& operator=(const VLCMedia&) = delete;

    const QString& path() const { return m_path; }
    // The side of the recording, told by the end of its location (front, rear or none).
    int32_t mediaDirection() const;
    // Zero until the library has read the file's header.
    VLCTime length() const;

    // Before the media is played: an input option such as ":start-paused".
    void addOption(const QString& option);

    libvlc_media_t* media() const { return m_media; }

private:
    VLCMedia(const QString& path, libvlc_media_t* media);
    QString m_path;
    libvlc_media_t* m_media;
};

using VLCMediaRef = std::shared_ptr<VLCMedia>;
