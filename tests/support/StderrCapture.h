// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QTemporaryFile>

// Collects what the process writes to stderr (the program's diagnostics, with
// RUVEX_LOG_STDERR set) while it lives; stderr is restored afterwards.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Everything written so far.
    QByteArray text();

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};
