// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCLibrary.h"

#include "core/support/RVXLog.h"

#include <vlc/vlc.h>

#include <vector>

#include <malloc.h>

namespace {
QStringList& defaultArguments() {
    static QStringList arguments = {QStringLiteral("--no-video-title-show"),
                                    QStringLiteral("--no-snapshot-preview"),
                                    QStringLiteral("--no-osd"), QStringLiteral("--quiet")};
    return arguments;
}
} // namespace

void VLCLibrary::setDefaultArguments(const QStringList& arguments) {
    defaultArguments() = arguments;
}

void VLCLibrary::limitThreadHeaps() {
    // Sixteen starts of a pair grew the process from 220 to 570 MiB; with two heaps,
    // to 280 MiB.
    mallopt(M_ARENA_MAX, 2);
    // Above this size a block is mapped of its own and given back when freed. glibc
    // otherwise raises the size with every large block freed, and the pictures of the
    // recordings played before then stay in the heap: after twenty trip borders the
    // window held 376 MiB, with this 270 MiB.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

VLCLibrary* VLCLibrary::sharedLibrary() {
    // Never destroyed: players may still be released during static destruction.
    static VLCLibrary* library = new VLCLibrary();
    return library;
}

VLCLibrary::VLCLibrary() {
    QStringList arguments = defaultArguments();
    const QString extra = qEnvironmentVariable("RUVEX_VLC_OPTIONS");
    arguments += extra.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::vector<QByteArray> bytes;
    for (const QString& argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& b : bytes)
        argv.push_back(b.constData());
    m_instance = libvlc_new(static_cast<int>(argv.size()), argv.data());
    if (!m_instance)
        RVXLog(QStringLiteral("error=libVLC did not start: %1")
                   .arg(QString::fromUtf8(libvlc_errmsg() ? libvlc_errmsg() : "")));
}

VLCLibrary::~VLCLibrary() {
    if (m_instance)
        libvlc_release(m_instance);
}

QString VLCLibrary::version() const {
    return m_instance ? QString::fromUtf8(libvlc_get_version()) : QString();
}
