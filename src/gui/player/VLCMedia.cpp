// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCMedia.h"

#include "core/catalogue/RVXMediaSide.h"
#include "gui/player/VLCLibrary.h"

#include <QFile>

#include <vlc/vlc.h>

std::shared_ptr<VLCMedia> VLCMedia::mediaWithPath(const QString& path) {
    libvlc_instance_t* instance = VLCLibrary::sharedLibrary()->instance();
    if (!instance)
        return nullptr;
    libvlc_media_t* media = libvlc_media_new_path(instance, QFile::encodeName(path).constData());
    if (!media)
        return nullptr;
    // The end-of-recording rule needs the player to stay paused on the last frame.
    libvlc_media_add_option(media, ":play-and-pause");
    return std::shared_ptr<VLCMedia>(new VLCMedia(path, media));
}

VLCMedia::VLCMedia(const QString& path, libvlc_media_t* media)
    : m_path(path)
    , m_media(media) {}

VLCMedia::~VLCMedia() {
    libvlc_media_release(m_media);
}

void VLCMedia::addOption(const QString& option) {
    libvlc_media_add_option(m_media, option.toUtf8().constData());
}

int32_t VLCMedia::mediaDirection() const {
    return RVXMediaDirectionOfLocation(m_path);
}

VLCTime VLCMedia::length() const {
    const libvlc_time_t duration = libvlc_media_get_duration(m_media);
    return VLCTime(duration > 0 ? duration : 0);
}
