// SPDX-License-Identifier: GPL-3.0-or-later
#include "CupsScheduler.h"

#include "Run.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cups/cups.h>

namespace {

void write(const QString& path, const QByteArray& text) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
}

// A printer that takes PDF and nothing else; with no filters in the scheduler's own
// MIME folder nothing converts to it either.
const char kPdfOnlyPpd[] = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "PDFONLY.PPD"
*Manufacturer: "Test"
*Product: "(PDF only)"
*ModelName: "PDF only"
*ShortNickName: "PDF only"
*NickName: "PDF only"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/pdf 0 -"
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
)PPD";

} // namespace

// Device URIs take no blanks, and the application's name has one.
CupsScheduler::CupsScheduler()
    : m_dir(QDir::tempPath() + QStringLiteral("/ruvex-cups-XXXXXX")) {
    // The scheduler runs filters and backends as another user, who must reach these.
    QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ReadOther |
                                            QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    for (const char* folder : {"conf", "spool", "cache", "state", "logs", "out", "data/mime"})
        QDir(m_dir.path()).mkpath(QLatin1String(folder));
    QFile::setPermissions(path("out"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
    const QByteArray root = QFile::encodeName(m_dir.path());
    write(path("conf/cupsd.conf"),
          "Listen " + root +
              "/cups.sock\n"
              "LogLevel warn\nWebInterface No\nBrowsing No\n"
              "PreserveJobHistory Yes\nPreserveJobFiles Yes\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
              "    Allow all\n  </Limit>\n</Policy>\n");
    write(path("conf/cups-files.conf"),
          "FileDevice Yes\nServerRoot " + root + "/conf\nRequestRoot " + root +
              "/spool\nCacheDir " + root + "/cache\nStateDir " + root + "/state\nTempDir " + root +
              "/spool\nDataDir " + root + "/data\nErrorLog " + root +
              "/logs/error_log\nAccessLog " + root + "/logs/access_log\nPageLog " + root +
              "/logs/page_log\n");
    QFile::copy(QStringLiteral("/usr/share/cups/mime/mime.types"), path("data/mime/mime.types"));
    write(path("data/mime/mime.convs"), "");
    write(path("pdfonly.ppd"), kPdfOnlyPpd);

    m_cupsd.setProcessChannelMode(QProcess::ForwardedChannels);
    m_cupsd.start(QStringLiteral("cupsd"),
                  {"-f", "-c", path("conf/cupsd.conf"), "-s", path("conf/cups-files.conf")});
    if (!m_cupsd.waitForStarted()) {
        m_error = QStringLiteral("cupsd did not start (install cups): ") + m_cupsd.errorString();
        return;
    }
    m_previousServer = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", QFile::encodeName(path("cups.sock")));
    cupsSetServer(nullptr);
    QDeadlineTimer deadline(15000);
    while (!QFile::exists(path("cups.sock")) && !deadline.hasExpired())
        QThread::msleep(50);
    if (!QFile::exists(path("cups.sock")))
        m_error = QStringLiteral("cupsd did not listen");
}

CupsScheduler::~CupsScheduler() {
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(5000))
            m_cupsd.kill();
        m_cupsd.waitForFinished();
    }
    if (m_previousServer.isEmpty())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", m_previousServer);
    cupsSetServer(nullptr);
}

QString CupsScheduler::addQueue(const QString& name, bool pdfOnly) {
    QStringList args = {"-p", name, "-E", "-v",
                        QStringLiteral("file://") + path(QStringLiteral("out/") + name)};
    if (pdfOnly)
        args << "-P" << path("pdfonly.ppd");
    else
        args << "-m"
             << "raw";
    const RunResult r = runProgram(QStringLiteral("lpadmin"), args, {},
                                   {QStringLiteral("CUPS_SERVER=") + path("cups.sock")});
    return r.exitCode == 0 ? QString()
                           : QStringLiteral("lpadmin exit %1: %2")
                                 .arg(r.exitCode)
                                 .arg(QString::fromLocal8Bit(r.err));
}

QList<CupsScheduler::Job> CupsScheduler::jobs(const QString& queue) {
    QList<Job> out;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", queue.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "all");
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response)
        return out;
    Job job;
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        const char* name = ippGetName(a);
        if (!name) {
            // Each job's attributes end with a separator.
            if (job.id)
                out << job;
            job = Job();
            continue;
        }
        const QByteArray n(name);
        if (n == "job-id")
            job.id = ippGetInteger(a, 0);
        else if (n == "document-format-supplied" ||
                 (n == "document-format" && job.format.isEmpty()))
            job.format = QString::fromUtf8(ippGetString(a, 0, nullptr));
        else if (n == "fit-to-page")
            job.fitToPage = ippGetValueTag(a) == IPP_TAG_BOOLEAN
                                ? ippGetBoolean(a, 0)
                                : QByteArray(ippGetString(a, 0, nullptr)) == "true";
        else if (n == "media")
            job.media = QString::fromUtf8(ippGetString(a, 0, nullptr));
    }
    if (job.id)
        out << job;
    ippDelete(response);
    for (Job& j : out) {
        QFile data(path(QStringLiteral("spool/d%1-001").arg(j.id, 5, 10, QLatin1Char('0'))));
        if (data.open(QIODevice::ReadOnly))
            j.data = data.readAll();
    }
    return out;
}
