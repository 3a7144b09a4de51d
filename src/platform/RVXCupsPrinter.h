// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

struct cups_dest_s;
struct _cups_dinfo_s;

// One print destination of the CUPS scheduler the desktop uses (CUPS_SERVER names
// another, as the tests' own scheduler does): a queue, an instance of one ("photo/big")
// or a driverless printer, all through the one destination CUPS found, never an address
// of our own making. Errors come back as CUPS's status numbers. Every call may wait on
// the scheduler: use it off the UI thread.
class RVXCupsPrinter {
public:
    using Options = QList<QPair<QString, QString>>;

    explicit RVXCupsPrinter(QString name);
    ~RVXCupsPrinter();
    RVXCupsPrinter(const RVXCupsPrinter&) = delete;
    RVXCupsPrinter& operator=(const RVXCupsPrinter&) = delete;

    // Whether the scheduler knows the destination; error is set when it does not.
    bool exists(int* error);
    // The document formats the destination takes ("document-format-supported");
    // nothing when the scheduler cannot tell.
    std::optional<QStringList> mimeTypes();
    // Sends the file as the given format; the job's number, or 0 with error set.
    int printWithFile(const QString& path, const QString& mimeType, const QString& title,
                      const Options& options, int* error);

private:
    bool loadInfo();

    QString m_name;
    cups_dest_s* m_dest = nullptr;
    _cups_dinfo_s* m_info = nullptr;
};
