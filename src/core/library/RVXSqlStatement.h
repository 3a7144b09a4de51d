// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <vector>

// One prepared statement of the library's index, on SQLite or PostgreSQL: values are
// bound, never pasted into the text, and a failure comes back as the driver's message.
class RVXSqlStatement {
public:
    RVXSqlStatement(const QSqlDatabase& db, const QString& sql);

    // The next ? in the text; bind again from the first after exec.
    RVXSqlStatement& bind(const QVariant& value);
    RVXSqlStatement& bindOptional(const std::optional<double>& value);
    std::optional<QString> exec();
    bool next() { return m_query.next(); }
    QVariant value(int column) const { return m_query.value(column); }
    int64_t integer(int column) const { return m_query.value(column).toLongLong(); }
    double real(int column) const { return m_query.value(column).toDouble(); }
    QString text(int column) const { return m_query.value(column).toString(); }
    std::optional<double> optionalReal(int column) const;
    int64_t lastId() const { return m_query.lastInsertId().toLongLong(); }

    // Ids as a JSON array, the one parameter json_each() takes for a set.
    static QString idList(const std::vector<int64_t>& ids);

private:
    QSqlQuery m_query;
    QString m_prepareError;
    int m_next = 0;
};

// A transaction that rolls back unless committed.
class RVXSqlTransaction {
public:
    explicit RVXSqlTransaction(QSqlDatabase db);
    ~RVXSqlTransaction();
    RVXSqlTransaction(const RVXSqlTransaction&) = delete;
    RVXSqlTransaction& operator=(const RVXSqlTransaction&) = delete;

    // A message when it could not begin.
    const std::optional<QString>& error() const { return m_error; }
    std::optional<QString> commit();

private:
    QSqlDatabase m_db;
    std::optional<QString> m_error;
    bool m_open = false;
};
