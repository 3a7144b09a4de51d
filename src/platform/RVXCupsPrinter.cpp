// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXCupsPrinter.h"

#include <QFile>

#include <cups/cups.h>

RVXCupsPrinter::RVXCupsPrinter(QString name)
    : m_name(std::move(name)) {}

bool RVXCupsPrinter::exists(int* error) const {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, m_name.toUtf8().constData(), nullptr);
    if (!dest) {
        if (error)
            *error = int(cupsLastError()) ? int(cupsLastError()) : int(IPP_STATUS_ERROR_NOT_FOUND);
        return false;
    }
    cupsFreeDests(1, dest);
    return true;
}

std::optional<QStringList> RVXCupsPrinter::mimeTypes() const {
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", m_name.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "document-format-supported");
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response)
        return std::nullopt;
    std::optional<QStringList> types;
    if (ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING) {
        if (ipp_attribute_t* formats =
                ippFindAttribute(response, "document-format-supported", IPP_TAG_MIMETYPE)) {
            types.emplace();
            for (int i = 0; i < ippGetCount(formats); ++i)
                types->append(QString::fromUtf8(ippGetString(formats, i, nullptr)));
        }
    }
    ippDelete(response);
    return types;
}

int RVXCupsPrinter::printWithFile(const QString& path, const QString& mimeType,
                                  const QString& title, const Options& options, int* error) const {
    cups_option_t* cupsOptions = nullptr;
    int count = 0;
    for (const auto& [name, value] : options)
        count = cupsAddOption(name.toUtf8().constData(), value.toUtf8().constData(), count,
                              &cupsOptions);
    // The format is given, not guessed: a JPEG saved under another name stays a JPEG.
    count = cupsAddOption("document-format", mimeType.toUtf8().constData(), count, &cupsOptions);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, m_name.toUtf8().constData(),
                                   QFile::encodeName(path).constData(), title.toUtf8().constData(),
                                   count, cupsOptions);
    cupsFreeOptions(count, cupsOptions);
    if (job == 0 && error)
        *error = int(cupsLastError());
    return job;
}
