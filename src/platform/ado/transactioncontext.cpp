// The values a transaction carries for the database's triggers. They are
// sent right after the transaction begins, past the statement trace: they
// are the connection's bookkeeping, not statements of the caller's.

#include "connection.h"

#include "engine.h"
#include "errors.h"

#include <QRegularExpression>

namespace ado {

// Sent as parameters of statements prepared once per connection: the
// values change with the user, the statements with the number of values.
void Connection::applyTransactionContext() {
    contextTables_.clear();
    if (!context_)
        return;
    static const QRegularExpression key(
        QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)$"));
    std::map<QString, std::vector<vrt::Variant>> rows; // SQLite: name, value by database
    std::vector<vrt::Variant> settings;                // PostgreSQL: name, value
    for (const auto& [name, value] : context_()) {
        const auto m = key.match(name);
        if (!m.hasMatch())
            raiseProvider(QStringLiteral("'%1' does not name a transaction setting.").arg(name));
        if (value.isEmpty())
            continue;
        auto& row = rows[m.captured(1)];
        row.emplace_back(m.captured(2));
        row.emplace_back(value);
        settings.emplace_back(name);
        settings.emplace_back(value);
    }
    // Numbered marks for pairs of values: "(?1, ?2), (?3, ?4)".
    const auto pairs = [](size_t values, const QString& mark, const QString& pattern) {
        QStringList list;
        for (size_t i = 1; i < values; i += 2)
            list << pattern.arg(mark + QString::number(i), mark + QString::number(i + 1));
        return list.join(QStringLiteral(", "));
    };
    try {
        detail::Engine& e = engine();
        if (backend_ == Backend::PostgreSQL) {
            if (!settings.empty() &&
                !e.queryBound(QStringLiteral("SELECT ") +
                                  pairs(settings.size(), QStringLiteral("$"),
                                        QStringLiteral("set_config(%1, %2, true)")),
                              settings))
                raiseStatement(QStringLiteral("[PostgreSQL] ") + e.prepareError());
            return;
        }
        for (const auto& [database, values] : rows) {
            if (e.queryBound(
                    QStringLiteral("INSERT OR REPLACE INTO %1.transaction_context (name, "
                                   "value) VALUES ")
                            .arg(database) +
                        pairs(values.size(), QStringLiteral("?"), QStringLiteral("(%1, %2)")),
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
                    QStringLiteral("DELETE FROM %1.transaction_context").arg(database), {}))
                raiseStatement(QStringLiteral("[SQLite] ") + engine().prepareError());
        } catch (const vrt::RuntimeError&) {
            engine().rollback();
            throw;
        }
    }
}

} // namespace ado
