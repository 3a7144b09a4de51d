// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommaLocale.h"

#include "Run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <clocale>

namespace {
constexpr const char* kName = "de_DE.UTF-8";

bool hasDecimalComma() {
    return std::setlocale(LC_NUMERIC, kName) && std::localeconv()->decimal_point[0] == ',';
}

// Compiled at most once a process; the folder lives as long as the process.
std::string compileLocale() {
    static QTemporaryDir* folder = nullptr;
    if (folder)
        return {};
    folder = new QTemporaryDir;
    const RunResult r = runProgram(QStringLiteral("localedef"),
                                   {"-i", "de_DE", "-f", "UTF-8", folder->filePath(kName)});
    if (!QDir(folder->filePath(kName)).exists())
        return "localedef could not compile de_DE (install the locales package): " +
               r.err.toStdString();
    qputenv("LOCPATH", QFile::encodeName(folder->path()));
    return {};
}
} // namespace

CommaLocale::CommaLocale() {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    m_previous = previous ? previous : "C";
    if (hasDecimalComma())
        return;
    m_error = compileLocale();
    if (m_error.empty() && !hasDecimalComma())
        m_error = "de_DE.UTF-8 gives no decimal comma";
}

CommaLocale::~CommaLocale() {
    std::setlocale(LC_NUMERIC, m_previous.c_str());
}
