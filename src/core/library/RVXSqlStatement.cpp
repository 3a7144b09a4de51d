// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXSqlStatement.h"

#include <QSqlError>

RVXSqlStatement::RVXSqlStatement(const QSqlDatabase& db, const QString& sql)
    : m_query(db) {
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        m_prepareError = m_query.lastError().text();
}

RVXSqlStatement& RVXSqlStatement::bind(const QVariant& value) {
    // A null QString is text all the same: Qt would bind it as NULL.
    if (value.metaType() == QMetaType::fromType<QString>() && value.toString().isNull())
        m_query.bindValue(m_next++, QStringLiteral(""));
    else
        m_query.bindValue(m_next++, value);
    return *this;
}

RVXSqlStatement& RVXSqlStatement::bindOptional(const std::optional<double>& value) {
    return bind(value ? QVariant(*value) : QVariant(QMetaType::fromType<double>()));
}

std::optional<QString> RVXSqlStatement::exec() {
    m_next = 0;
    if (!m_prepareError.isEmpty())
        return m_prepareError;
    if (!m_query.exec())
        return m_query.lastError().text();
    return std::nullopt;
}

std::optional<double> RVXSqlStatement::optionalReal(int column) const {
    const QVariant v = m_query.value(column);
    if (v.isNull())
        return std::nullopt;
    return v.toDouble();
}

QString RVXSqlStatement::idList(const std::vector<int64_t>& ids) {
    QString out = QStringLiteral("[");
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i)
            out += u',';
        out += QString::number(ids[i]);
    }
    return out + u']';
}

RVXSqlTransaction::RVXSqlTransaction(QSqlDatabase db)
    : m_db(std::move(db)) {
    m_open = m_db.transaction();
    if (!m_open)
        m_error = m_db.lastError().text();
}

RVXSqlTransaction::~RVXSqlTransaction() {
    if (m_open)
        m_db.rollback();
}

std::optional<QString> RVXSqlTransaction::commit() {
    if (!m_open)
        return m_error.value_or(QStringLiteral("no transaction"));
    m_open = false;
    if (!m_db.commit()) {
        const QString message = m_db.lastError().text();
        m_db.rollback();
        return message;
    }
    return std::nullopt;
}
