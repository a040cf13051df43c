// The values a transaction carries for the database's triggers. They are
// sent right after the transaction begins, past the statement trace: they
// are the connection's bookkeeping, not statements of the caller's.

#include "connection.h"

#include "engine.h"
#include "errors.h"

#include <QRegularExpression>
#include <map>

namespace ado {

void Connection::applyTransactionContext() {
    contextTables_.clear();
    if (!context_)
        return;
    static const QRegularExpression key(
        QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)$"));
    // Bound, not quoted in: the statements stay prepared from one
    // transaction to the next.
    std::map<QString, std::pair<QStringList, std::vector<vrt::Variant>>> rows; // SQLite
    std::vector<vrt::Variant> settings;                                        // PostgreSQL
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
    const auto marks = [](size_t count, const QString& mark) {
        QStringList all;
        for (size_t i = 0; i < count; ++i)
            all << mark;
        return all.join(QStringLiteral(", "));
    };
    try {
        if (backend_ == Backend::PostgreSQL) {
            if (!settings.empty())
                engine().runKept(
                    QStringLiteral("SELECT ") +
                        marks(settings.size() / 2, QStringLiteral("set_config(?, ?, true)")),
                    settings);
            return;
        }
        for (const auto& [database, row] : rows) {
            const auto& [columns, values] = row;
            try {
                engine().runKept(QStringLiteral("INSERT OR REPLACE INTO %1.transaction_settings "
                                                "(id, %2) VALUES (1, %3)")
                                     .arg(database, columns.join(QStringLiteral(", ")),
                                          marks(values.size(), QStringLiteral("?"))),
                                 values);
                contextTables_ << database;
            } catch (const vrt::RuntimeError& e) {
                // Refused before it ran (the transaction goes on) when the
                // database has no such table.
                if (failureOf(e) != Failure::MissingObject)
                    throw;
            }
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
            engine().runKept(QStringLiteral("DELETE FROM %1.transaction_settings").arg(database),
                             {});
        } catch (const vrt::RuntimeError&) {
            engine().rollback();
            throw;
        }
    }
}

} // namespace ado
