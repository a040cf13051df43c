// The values a transaction carries for the database's triggers. They are
// sent right after the transaction begins, past the statement trace: they
// are the connection's bookkeeping, not statements of the caller's.

#include "connection.h"

#include "engine.h"
#include "errors.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace ado {

namespace {

QString literal(const QString& text) {
    return QLatin1Char('\'') + quoted(text) + QLatin1Char('\'');
}

} // namespace

void Connection::applyTransactionContext() {
    contextTables_.clear();
    if (!context_)
        return;
    static const QRegularExpression key(
        QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)$"));
    std::map<QString, QStringList> rows; // SQLite: by database
    QStringList settings;                // PostgreSQL
    for (const auto& [name, value] : context_()) {
        const auto m = key.match(name);
        if (!m.hasMatch())
            raiseProvider(QStringLiteral("'%1' does not name a transaction setting.").arg(name));
        if (value.isEmpty())
            continue;
        rows[m.captured(1)]
            << QStringLiteral("(%1, %2)").arg(literal(m.captured(2)), literal(value));
        settings << QStringLiteral("set_config(%1, %2, true)").arg(literal(name), literal(value));
    }
    try {
        QSqlQuery q(db_);
        if (backend_ == Backend::PostgreSQL) {
            if (!settings.isEmpty() &&
                !q.exec(QStringLiteral("SELECT ") + settings.join(QStringLiteral(", "))))
                raiseStatement(QStringLiteral("[PostgreSQL] ") + q.lastError().text());
            return;
        }
        for (const auto& [database, values] : rows) {
            if (q.exec(QStringLiteral("INSERT OR REPLACE INTO %1.transaction_context (name, "
                                      "value) VALUES ")
                           .arg(database) +
                       values.join(QStringLiteral(", ")))) {
                contextTables_ << database;
                continue;
            }
            // Refused before it ran (the transaction goes on) when the
            // database has no such table.
            const QString why = q.lastError().text();
            if (!why.contains(QLatin1String("no such table")))
                raiseStatement(QStringLiteral("[SQLite] ") + why);
        }
    } catch (const vrt::RuntimeError&) {
        RollbackTrans();
        throw;
    }
}

void Connection::clearTransactionContext() {
    const QStringList tables = std::exchange(contextTables_, {});
    for (const QString& database : tables) {
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("DELETE FROM %1.transaction_context").arg(database))) {
            const QString why = q.lastError().text();
            q.finish();
            engine().rollback();
            raiseStatement(QStringLiteral("[SQLite] ") + why);
        }
    }
}

} // namespace ado
