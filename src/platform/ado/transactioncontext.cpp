// The values a transaction carries for the database's triggers. They are
// sent as the transaction begins, past the statement trace: they are the
// connection's bookkeeping, not statements of the caller's.

#include "connection.h"

#include "engine.h"
#include "errors.h"

#include <QRegularExpression>
#include <map>

namespace ado {

std::vector<std::pair<QString, QString>> Connection::transactionSettings() const {
    std::vector<std::pair<QString, QString>> settings;
    if (!context_)
        return settings;
    static const QRegularExpression key(
        QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*\\.[A-Za-z_][A-Za-z0-9_]*$"));
    for (auto& [name, value] : context_()) {
        if (!key.match(name).hasMatch())
            raiseProvider(QStringLiteral("'%1' does not name a transaction setting.").arg(name));
        if (!value.isEmpty())
            settings.emplace_back(name, value);
    }
    return settings;
}

// PostgreSQL takes the settings with its BEGIN. SQLite gets one row per
// database, through a statement prepared once per connection and set of
// columns: the values change with the user, the statement with the columns.
void Connection::applyTransactionContext(const std::vector<std::pair<QString, QString>>& settings) {
    contextTables_.clear();
    std::map<QString, std::pair<QStringList, std::vector<vrt::Variant>>> rows;
    for (const auto& [name, value] : settings) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        auto& [columns, values] = rows[name.left(dot)];
        columns << name.mid(dot + 1);
        values.emplace_back(value);
    }
    try {
        detail::Engine& e = engine();
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
