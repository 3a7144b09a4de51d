// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A CUPS scheduler of the test's own: private configuration, spool and state folders,
// a socket of its own, file devices allowed. CUPS_SERVER of this process points at it
// while it lives. Jobs and their files are kept, so that tests can read what arrived.
class CupsScheduler {
public:
    CupsScheduler();
    ~CupsScheduler();

    // Empty when the scheduler runs, else what went wrong.
    const QString& error() const { return m_error; }

    // A queue writing to a file of the scheduler's folder. Without a PPD it passes any
    // format through (image/jpeg among them); with pdfOnly it takes only PDF.
    QString addQueue(const QString& name, bool pdfOnly = false);

    struct Job {
        int id = 0;
        QString format;
        bool fitToPage = false;
        QString media;
        QByteArray data;
    };
    QList<Job> jobs(const QString& queue);

private:
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QString m_error;
    QByteArray m_previousServer;
};
