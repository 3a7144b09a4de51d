// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

// One print queue of the CUPS scheduler the desktop uses (CUPS_SERVER names another,
// as the tests' own scheduler does). Errors come back as CUPS's status numbers.
class RVXCupsPrinter {
public:
    using Options = QList<QPair<QString, QString>>;

    explicit RVXCupsPrinter(QString name);

    // Whether the scheduler knows the queue; error is set when it does not.
    bool exists(int* error) const;
    // The document formats the queue takes ("document-format-supported"); nothing when
    // the scheduler cannot tell.
    std::optional<QStringList> mimeTypes() const;
    // Sends the file as the given format; the job's number, or 0 with error set.
    int printWithFile(const QString& path, const QString& mimeType, const QString& title,
                      const Options& options, int* error) const;

private:
    QString m_name;
};
