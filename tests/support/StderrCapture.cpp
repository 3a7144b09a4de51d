// SPDX-License-Identifier: GPL-3.0-or-later
#include "StderrCapture.h"

#include <cstdio>

#include <unistd.h>

StderrCapture::StderrCapture() {
    if (!m_file.open())
        return;
    std::fflush(stderr);
    m_saved = dup(STDERR_FILENO);
    dup2(m_file.handle(), STDERR_FILENO);
}

StderrCapture::~StderrCapture() {
    if (m_saved < 0)
        return;
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
}

QByteArray StderrCapture::text() {
    std::fflush(stderr);
    QFile reader(m_file.fileName());
    return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray();
}
