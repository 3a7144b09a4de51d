// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

struct libvlc_instance_t;

// The one libVLC instance of the process, made on first use.
class VLCLibrary {
public:
    static VLCLibrary* sharedLibrary();

    // Arguments for the instance, taken only before its first use. The environment
    // variable RUVEX_VLC_OPTIONS adds more, separated by blanks (tests choose their
    // audio and video outputs with it).
    static void setDefaultArguments(const QStringList& arguments);
    // Every start makes new decoder and output threads, and glibc gives threads heaps
    // of their own that keep their freed memory. Only works first thing in main(),
    // before any thread exists.
    static void limitThreadHeaps();

    libvlc_instance_t* instance() const { return m_instance; }
    // The libVLC version text, or an empty text when the library did not start.
    QString version() const;

private:
    VLCLibrary();
    ~VLCLibrary();
    libvlc_instance_t* m_instance = nullptr;
};
