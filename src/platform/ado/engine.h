#pragma once

// The backends behind a Connection: each runs translated statements and
// stored-procedure calls and hands back the rows, read whole.

#include "dialect.h"

#include <QSqlDatabase>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace ado::detail {

struct Rows {
    bool hasRows = false; // the statement produced a result set (maybe empty)
    QStringList columns;
    std::vector<std::vector<vrt::Variant>> data;
};

// SQLite procedure bodies get the argument count as this numbered
// parameter (":argc" as written is renumbered on install, since a named
// parameter would take the number of the next "?N").
constexpr int sqliteArgcParameter = 999;

struct ProcedureInfo {
    int minArgs = 0;
    int maxArgs = 0;
    bool returnsRows = false;
    QString body; // SQLite: the statements; PostgreSQL: the function's schema
};

class Engine {
public:
    virtual ~Engine() = default;
    virtual Rows query(const QString& sql) = 0;
    // One statement of the connection's own with its values bound in order,
    // kept prepared: it runs in every transaction.
    virtual void runKept(const QString& sql, const std::vector<vrt::Variant>& values) = 0;
    virtual Rows call(const ProcedureCall& call, const ProcedureInfo& info) = 0;
    virtual std::optional<ProcedureInfo> lookupProcedure(const QString& database,
                                                         const QString& name) = 0;
    // Several statements at once, no rows (schema scripts).
    virtual void runScript(const QString& script) = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // Holds key until the transaction ends (see Connection::lockKey).
    virtual void lockKey(const QString& /*key*/) {}
    // Whether the server dropped the connection (a cheap local check).
    virtual bool dropped() { return false; }
};

// lockTimeoutMs: how long a statement waits for another connection's lock
// (0: no limit).
std::unique_ptr<Engine> makeSqliteEngine(QSqlDatabase db, int lockTimeoutMs);
// The timeouts (ms) the session was given, for the messages.
std::unique_ptr<Engine> makePostgresEngine(QSqlDatabase db, int lockTimeoutMs,
                                           int commandTimeoutMs);

// A text column of a date type read back as a date ("YYYY-MM-DD[ HH:MM:SS]");
// other text stays text.
vrt::Variant dateFromText(const QString& text);

} // namespace ado::detail
