// The values a transaction carries for the database's triggers. They are
// sent right after the transaction begins, past the statement trace: they
// are the connection's bookkeeping, not statements of the caller's.

#include "connection.h"

#include "engine.h"
#include "errors.h"

#include <QRegularExpression>
#include <map>

namespace ado {

// Sent as parameters of statements prepared once per connection: the
// values change with the user, the statements with the number of values.
void Connection::applyTransactionContext() {
    contextTables_.clear();
    if (!context_)
        return;
    static const QRegularExpression key(
        QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)$"));
    std::map<QString, std::pair<QStringList, std::vector<vrt::Variant>>> rows; // SQLite
    std::vector<vrt::Variant> settings; // PostgreSQL: name, value
    for (const auto& [name, value] : context_()) {
        const auto m = key.match(name);
        if (!m.hasMatch())
            raiseProvider(QStringLiteral("'%1' does not name a transaction setting.").arg(name));
        if (value.isEmpty())
            continue;
        auto& [columns, values] = rows[m.captured(1)];
        columns << m.captured(2);
        values.emplace_back(value);
        settings.emplace_back(name);
        settings.emplace_back(value);
    }
    try {
        detail::Engine& e = engine();
        if (backend_ == Backend::PostgreSQL) {
            QStringList calls;
            for (size_t i = 1; i < settings.size(); i += 2)
                calls << QStringLiteral("set_config($%1, $%2, true)").arg(i).arg(i + 1);
            if (!settings.empty() &&
                !e.queryBound(QStringLiteral("SELECT ") + calls.join(QStringLiteral(", ")),
                              settings))
                raiseStatement(QStringLiteral("[PostgreSQL] ") + e.prepareError());
            return;
        }
        for (const auto& [database, row] : rows) {
            const auto& [columns, values] = row;
            QStringList marks;
            for (size_t i = 1; i <= values.size(); ++i)
                marks << QStringLiteral("?%1").arg(i);
            if (e.queryBound(QStringLiteral("INSERT OR REPLACE INTO %1.transaction_settings "
                                            "(id, %2) VALUES (1, %3)")
                                 .arg(database, columns.join(QStringLiteral(", ")),
                                      marks.join(QStringLiteral(", "))),
                             values)) {
                contextTables_ << database;
                continue;
            }
            // Refused before it ran (the transaction goes on) when the
            // database has no such table.
            if (!e.prepareError().contains(QLatin1String("no such table")))
                raiseStatement(QStringLiteral("[SQLite] ") + e.prepareError());
        }
    } catch (const vrt::RuntimeError&) {
        RollbackTrans();
        throw;
    }
}

void Connection::clearTransactionContext() {
    const QStringList tables = std::exchange(contextTables_, {});
    for (const QString& database : tables) {
        try {
            if (!engine().queryBound(
                    QStringLiteral("DELETE FROM %1.transaction_settings").arg(database), {}))
                raiseStatement(QStringLiteral("[SQLite] ") + engine().prepareError());
        } catch (const vrt::RuntimeError&) {
            engine().rollback();
            throw;
        }
    }
}

} // namespace ado
