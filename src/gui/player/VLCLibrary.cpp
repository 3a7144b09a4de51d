// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/VLCLibrary.h"

#include "core/support/RVXLog.h"
#include "core/support/RVXLogThrottle.h"

#include <QDateTime>

#include <vlc/vlc.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include <dlfcn.h>
#include <malloc.h>

namespace {

RVXLogThrottle& throttle() {
    static RVXLogThrottle shared;
    return shared;
}

void logThrottled(const QString& key, const QString& prefix, const char* format,
                  va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    if (auto line = throttle().admit(key, prefix + QString::fromUtf8(text),
                                     QDateTime::currentMSecsSinceEpoch()))
        RVXLog(*line);
}

// libVLC's own messages: its errors into our log, a repeated one once a minute.
void vlcMessage(void*, int level, const libvlc_log_t* context, const char* format,
                va_list arguments) {
    if (level < LIBVLC_ERROR)
        return;
    const char *module = nullptr, *file = nullptr;
    unsigned line = 0;
    libvlc_log_get_context(context, &module, &file, &line);
    const QString name = QString::fromUtf8(module ? module : "");
    logThrottled(QStringLiteral("vlc %1 %2").arg(name, QString::fromUtf8(format)),
                 QStringLiteral("vlc %1: ").arg(name), format, arguments);
}

// alsa-lib writes its errors to stderr itself, and libVLC opens the device again for
// every block of sound when there is none: 36 MB of the same eight lines in 25 minutes.
void alsaMessage(const char* file, int line, const char* function, int, const char* format, ...) {
    const QString where = QStringLiteral("%1:%2").arg(QString::fromUtf8(file)).arg(line);
    va_list arguments;
    va_start(arguments, format);
    logThrottled(QStringLiteral("alsa ") + where,
                 QStringLiteral("ALSA %1:(%2) ").arg(where, QString::fromUtf8(function)), format,
                 arguments);
    va_end(arguments);
}

// The handler is the library's one global, shared with the copy libVLC's ALSA output
// loads later (same library, loaded once). Without libasound there is nothing to quiet.
void routeAlsaMessages() {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa)
        return;
    if (auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(alsaMessage);
}

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
    routeAlsaMessages();
    m_instance = libvlc_new(static_cast<int>(argv.size()), argv.data());
    if (m_instance)
        libvlc_log_set(m_instance, vlcMessage, nullptr);
    else
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
