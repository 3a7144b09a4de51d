// SPDX-License-Identifier: GPL-3.0-or-later
// `ruvex-card library` with its index on a PostgreSQL server the test starts: named on the
// command line, or by a library.conf beside a shared library folder; the answers are the
// ones the folder's own index gives.
#include "../core/library/PostgresTestServer.h"
#include "support/Run.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const QString kCard = QStringLiteral(RUVEX_CARD_PATH);

QString demoCard() {
    return qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
}

RunResult library(QStringList args) {
    args.prepend(QStringLiteral("library"));
    return runProgram(kCard, args);
}

// The files list prints, one JSON object a line, in order.
QStringList files(const QByteArray& out) {
    QStringList names;
    for (const QByteArray& line : out.split('\n'))
        if (!line.isEmpty())
            names
                << QJsonDocument::fromJson(line).object().value(QStringLiteral("file")).toString();
    return names;
}

} // namespace

TEST(CliLibraryServer, AServerNamedOrConfiguredAnswersAsTheFoldersOwnIndex) {
    PostgresTestServer& server = PostgresTestServer::instance();
    ASSERT_EQ(server.error(), QString());
    TempTree own, shared;
    const QString address = server.newDatabase();

    // The same card into a library of its own and into one whose index is on the server.
    ASSERT_EQ(library({QStringLiteral("import"), demoCard(), QStringLiteral("--library"),
                       own.path(QStringLiteral("lib"))})
                  .exitCode,
              0);
    const RunResult imported =
        library({QStringLiteral("import"), demoCard(), QStringLiteral("--library"),
                 shared.path(QStringLiteral("lib")), QStringLiteral("--database"), address});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.constData();
    EXPECT_FALSE(QFileInfo::exists(shared.path(QStringLiteral("lib/library.db"))))
        << "the server's library wrote a library.db";

    const QStringList expected =
        files(library({QStringLiteral("list"), QStringLiteral("--json"),
                       QStringLiteral("--library"), own.path(QStringLiteral("lib"))})
                  .out);
    ASSERT_EQ(expected.size(), 8);
    const RunResult named =
        library({QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("--library"),
                 shared.path(QStringLiteral("lib")), QStringLiteral("--database"), address});
    EXPECT_EQ(files(named.out), expected) << named.err.constData();

    // A library.conf names the server for every workstation that mounts the folder.
    QFile conf(shared.path(QStringLiteral("lib/library.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("database=%1\n").arg(address).toUtf8());
    conf.close();
    const RunResult configured =
        library({QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("--library"),
                 shared.path(QStringLiteral("lib"))});
    EXPECT_EQ(files(configured.out), expected) << configured.err.constData();
    const RunResult checked = library(
        {QStringLiteral("check"), QStringLiteral("--library"), shared.path(QStringLiteral("lib"))});
    EXPECT_EQ(checked.exitCode, 0) << checked.out.constData() << checked.err.constData();

    // A rebuild writes a library.db: refused for a server's library, nothing written.
    const RunResult rebuilt = library({QStringLiteral("rebuild"), QStringLiteral("--library"),
                                       shared.path(QStringLiteral("lib"))});
    EXPECT_EQ(rebuilt.exitCode, 1);
    EXPECT_TRUE(rebuilt.err.contains("database server")) << rebuilt.err.constData();
    EXPECT_FALSE(QFileInfo::exists(shared.path(QStringLiteral("lib/library.db"))));
}
