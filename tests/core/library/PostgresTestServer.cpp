// SPDX-License-Identifier: GPL-3.0-or-later
#include "PostgresTestServer.h"

#include "core/library/RVXPostgresLibraryIndex.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace {

PostgresTestServer* s_server = nullptr;

// Stops the server after the last test, while Qt is still whole; a program whose tests
// never asked for it never started one.
class StopAtTheEnd : public ::testing::Environment {
public:
    void TearDown() override {
        if (s_server)
            s_server->stop();
    }
};

// gtest owns it; registered before any test runs.
[[maybe_unused]] ::testing::Environment* const s_stop =
    ::testing::AddGlobalTestEnvironment(new StopAtTheEnd);

QString binaries() {
    const QString given = qEnvironmentVariable("RUVEX_TEST_PG_BINDIR");
    if (!given.isEmpty())
        return given;
    // Debian keeps each major version's programs apart, off PATH; the newest present.
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                               .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
        if (QFile::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return {};
}

// The folder's address as the index takes it, for database.
QString addressOf(const QString& folder, const QString& database) {
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    url.setPath(u'/' + database);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("host"), folder);
    query.addQueryItem(QStringLiteral("user"), QStringLiteral("postgres"));
    url.setQuery(query);
    return url.toString();
}

} // namespace

PostgresTestServer& PostgresTestServer::instance() {
    static PostgresTestServer server;
    s_server = &server;
    return server;
}

PostgresTestServer::PostgresTestServer() {
    m_error = start();
    if (!m_error.isEmpty())
        stop();
}

PostgresTestServer::~PostgresTestServer() {
    stop();
}

QString PostgresTestServer::run(const QString& program, const QStringList& args) {
    QProcess p;
    // The clone the tests run from may be closed to the server's user.
    p.setWorkingDirectory(m_folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString path = m_binaries + u'/' + program;
    if (geteuid() == 0)
        p.start(QStringLiteral("runuser"),
                QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"),
                            path} +
                    args);
    else
        p.start(path, args);
    if (!p.waitForStarted())
        return QStringLiteral("%1 would not start").arg(program);
    if (!p.waitForFinished(120000))
        p.kill();
    p.waitForFinished();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll()));
    return {};
}

// The servers of test programs that were killed before they could stop theirs: stopped and
// removed, so that a crash leaves nothing running for long.
void PostgresTestServer::sweep() {
    const QDir tmp(QStringLiteral("/tmp"));
    for (const QString& name :
         tmp.entryList({QStringLiteral("ruvex-pg-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = tmp.filePath(name);
        QFile owner(folder + QStringLiteral("/owner.pid"));
        if (!owner.open(QIODevice::ReadOnly))
            continue;
        const pid_t pid = pid_t(owner.readAll().trimmed().toLongLong());
        if (pid <= 0 || kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        const QString saved = m_folder;
        m_folder = folder;
        run(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), folder + QStringLiteral("/data"), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
        m_folder = saved;
        QDir(folder).removeRecursively();
    }
}

QString PostgresTestServer::start() {
    m_binaries = binaries();
    if (m_binaries.isEmpty())
        return QStringLiteral("no PostgreSQL server programs (tools/install-deps installs "
                              "postgresql-15)");
    sweep();
    QByteArray folder = "/tmp/ruvex-pg-XXXXXX";
    if (!mkdtemp(folder.data()))
        return QStringLiteral("no temporary folder under /tmp");
    m_folder = QString::fromLocal8Bit(folder);
    if (geteuid() == 0) {
        const passwd* user = getpwnam("postgres");
        if (!user)
            return QStringLiteral("no postgres user to run the server as");
        if (chown(folder.constData(), user->pw_uid, user->pw_gid) != 0)
            return QStringLiteral("%1 could not be given to postgres").arg(m_folder);
    }
    chmod(folder.constData(), 0700);
    {
        QFile owner(m_folder + QStringLiteral("/owner.pid"));
        if (!owner.open(QIODevice::WriteOnly))
            return QStringLiteral("%1 could not be written").arg(owner.fileName());
        owner.write(QByteArray::number(qint64(getpid())));
    }
    const QString data = m_folder + QStringLiteral("/data");
    if (QString e =
            run(QStringLiteral("initdb"),
                {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                 QStringLiteral("--auth=trust"), QStringLiteral("--no-sync"),
                 QStringLiteral("--locale=C.UTF-8"), QStringLiteral("-E"), QStringLiteral("UTF8")});
        !e.isEmpty())
        return e;
    {
        // No TCP at all: the socket in the folder only, and no waiting for the disk.
        QFile conf(data + QStringLiteral("/postgresql.conf"));
        if (!conf.open(QIODevice::Append))
            return QStringLiteral("the server's postgresql.conf could not be written");
        conf.write(QStringLiteral("listen_addresses = ''\nunix_socket_directories = '%1'\n"
                                  "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n")
                       .arg(m_folder)
                       .toUtf8());
    }
    if (QString e = resume(); !e.isEmpty())
        return e;
    // Every database made from here on has PostGIS.
    if (sql(addressOf(m_folder, QStringLiteral("template1")),
            QStringLiteral("CREATE EXTENSION postgis"))
            .toString() == QStringLiteral("error"))
        return QStringLiteral("PostGIS is missing (tools/install-deps installs "
                              "postgresql-15-postgis-3)");
    return {};
}

QString PostgresTestServer::resume() {
    if (QString e = run(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), m_folder + QStringLiteral("/data"),
                         QStringLiteral("-l"), m_folder + QStringLiteral("/server.log"),
                         QStringLiteral("-w"), QStringLiteral("start")});
        !e.isEmpty())
        return e;
    m_running = true;
    return {};
}

QString PostgresTestServer::pause() {
    if (!m_running)
        return {};
    m_running = false;
    // Fast: the clients' transactions are rolled back, as when a server goes down.
    return run(QStringLiteral("pg_ctl"),
               {QStringLiteral("-D"), m_folder + QStringLiteral("/data"), QStringLiteral("-m"),
                QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
}

void PostgresTestServer::stop() {
    pause();
    if (!m_folder.isEmpty()) {
        QDir(m_folder).removeRecursively();
        m_folder.clear();
    }
}

QString PostgresTestServer::newDatabase() {
    const QString name = QStringLiteral("library_%1").arg(++m_databases);
    sql(addressOf(m_folder, QStringLiteral("postgres")),
        QStringLiteral("CREATE DATABASE %1").arg(name));
    return addressOf(m_folder, name);
}

QVariant PostgresTestServer::sql(const QString& address, const QString& statement) {
    const QUrl url(address);
    const QUrlQuery query(url);
    QVariant out;
    {
        QSqlDatabase d =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("outside-pg"));
        d.setHostName(query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded));
        d.setUserName(QStringLiteral("postgres"));
        d.setDatabaseName(url.path().mid(1));
        if (!d.open()) {
            ADD_FAILURE() << qPrintable(d.lastError().text());
            out = QStringLiteral("error");
        } else {
            QSqlQuery q(d);
            if (!q.exec(statement)) {
                ADD_FAILURE() << qPrintable(statement) << ": " << qPrintable(q.lastError().text());
                out = QStringLiteral("error");
            } else if (q.next()) {
                out = q.value(0);
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("outside-pg"));
    return out;
}
