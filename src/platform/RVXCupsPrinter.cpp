// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RVXCupsPrinter.h"

#include <QFile>

#include <cups/cups.h>

RVXCupsPrinter::RVXCupsPrinter(QString name)
    : m_name(std::move(name)) {
    // libcups keeps the scheduler's address per thread from the first call on; a worker
    // thread of the pool must ask anew (CUPS_SERVER or client.conf may name another).
    cupsSetServer(nullptr);
}

RVXCupsPrinter::~RVXCupsPrinter() {
    if (m_info)
        cupsFreeDestInfo(m_info);
    if (m_dest)
        cupsFreeDests(1, m_dest);
}

bool RVXCupsPrinter::exists(int* error) {
    if (!m_dest) {
        // The print dialog names an instance as "queue/instance".
        const QByteArray queue = m_name.section(u'/', 0, 0).toUtf8();
        const QByteArray instance = m_name.section(u'/', 1).toUtf8();
        m_dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                  instance.isEmpty() ? nullptr : instance.constData());
    }
    if (!m_dest && error)
        *error = int(cupsLastError()) ? int(cupsLastError()) : int(IPP_STATUS_ERROR_NOT_FOUND);
    return m_dest != nullptr;
}

bool RVXCupsPrinter::loadInfo() {
    if (!m_info && exists(nullptr))
        m_info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, m_dest);
    return m_info != nullptr;
}

std::optional<QStringList> RVXCupsPrinter::mimeTypes() {
    if (!loadInfo())
        return std::nullopt;
    ipp_attribute_t* formats =
        cupsFindDestSupported(CUPS_HTTP_DEFAULT, m_dest, m_info, "document-format");
    if (!formats)
        return std::nullopt;
    QStringList types;
    for (int i = 0; i < ippGetCount(formats); ++i)
        types.append(QString::fromUtf8(ippGetString(formats, i, nullptr)));
    return types;
}

int RVXCupsPrinter::printWithFile(const QString& path, const QString& mimeType,
                                  const QString& title, const Options& options, int* error) {
    const auto failed = [error](int status) {
        if (error)
            *error = status ? status : int(IPP_STATUS_ERROR_INTERNAL);
        return 0;
    };
    if (!loadInfo())
        return failed(int(cupsLastError()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(int(IPP_STATUS_ERROR_DOCUMENT_ACCESS));
    cups_option_t* cupsOptions = nullptr;
    int count = 0;
    for (const auto& [name, value] : options)
        count = cupsAddOption(name.toUtf8().constData(), value.toUtf8().constData(), count,
                              &cupsOptions);
    int job = 0;
    const QByteArray name = title.toUtf8();
    if (cupsCreateDestJob(CUPS_HTTP_DEFAULT, m_dest, m_info, &job, name.constData(), count,
                          cupsOptions) > IPP_STATUS_OK_CONFLICTING) {
        cupsFreeOptions(count, cupsOptions);
        return failed(int(cupsLastError()));
    }
    // The format is given, not guessed: a JPEG saved under another name stays a JPEG.
    bool sent = cupsStartDestDocument(CUPS_HTTP_DEFAULT, m_dest, m_info, job, name.constData(),
                                      mimeType.toUtf8().constData(), count, cupsOptions,
                                      1) == HTTP_STATUS_CONTINUE;
    cupsFreeOptions(count, cupsOptions);
    while (sent && !file.atEnd()) {
        const QByteArray chunk = file.read(64 * 1024);
        sent = !chunk.isEmpty() &&
               cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(), size_t(chunk.size())) ==
                   HTTP_STATUS_CONTINUE;
    }
    // Finished even after a failed write, so that the scheduler drops the job's half.
    const ipp_status_t finished = cupsFinishDestDocument(CUPS_HTTP_DEFAULT, m_dest, m_info);
    if (!sent || finished > IPP_STATUS_OK_CONFLICTING) {
        cupsCancelDestJob(CUPS_HTTP_DEFAULT, m_dest, job);
        return failed(int(cupsLastError()));
    }
    return job;
}
