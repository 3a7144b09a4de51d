// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

// A PostgreSQL server with PostGIS of the tests' own: initdb into a new folder under /tmp,
// listening on a Unix socket in that folder alone, stopped and removed when the test
// program ends. The server refuses to run as root, so under root it runs as the postgres
// user the Debian package makes, the folder that user's; the tests connect as that role.
class PostgresTestServer {
public:
    // The program's one server, started at its first use.
    static PostgresTestServer& instance();
    // One of a test's own, to stop under the index.
    PostgresTestServer();
    ~PostgresTestServer();

    // Why it could not start; empty when it runs.
    const QString& error() const { return m_error; }
    // A new database with PostGIS, and the address to open it by.
    QString newDatabase();
    // One statement in database as another client would run it; its first value.
    QVariant sql(const QString& address, const QString& statement);
    void stop();
    // Stops the server, keeping its databases, and starts it again; a message on failure.
    QString pause();
    QString resume();

private:
    QString start();
    void sweep();
    // The program (initdb, pg_ctl) run as the server's user; a message when it fails.
    QString run(const QString& program, const QStringList& args);

    QString m_folder;
    QString m_binaries;
    QString m_error;
    bool m_running = false;
    int m_databases = 0;
};
