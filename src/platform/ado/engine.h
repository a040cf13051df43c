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
    // A statement as it is (literal values in its text).
    virtual Rows query(const QString& sql) = 0;
    // A statement with numbered parameters (?N, $N) and their values,
    // prepared once per text and connection. Nothing when the backend cannot
    // prepare it so (nothing ran; prepareError() says why): the caller runs
    // the literal text instead.
    virtual std::optional<Rows> queryBound(const QString& sql,
                                           const std::vector<vrt::Variant>& values) = 0;
    virtual QString prepareError() const = 0;
    virtual Rows call(const ProcedureCall& call, const ProcedureInfo& info) = 0;
    virtual std::optional<ProcedureInfo> lookupProcedure(const QString& database,
                                                         const QString& name) = 0;
    // Several statements at once, no rows (schema scripts).
    virtual void runScript(const QString& script) = 0;
    // Begins a transaction. settings: name and value of each transaction-
    // local setting the backend keeps for the transaction (PostgreSQL), sent
    // with the BEGIN in one round trip; a backend without them (SQLite)
    // leaves them to the connection.
    using Settings = std::vector<std::pair<QString, QString>>;
    virtual void begin(const Settings& settings) = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // Holds key until the transaction ends (see Connection::lockKey).
    virtual void lockKey(const QString& /*key*/) {}
    // Whether the server dropped the connection (a cheap local check).
    virtual bool dropped() { return false; }
    // The open transaction's commit does not wait for the disk (PostgreSQL;
    // SQLite sets its sync level around the transaction instead).
    virtual void relaxCommit() {}
    // Tables or functions were created, changed or dropped: statements kept
    // prepared may read them differently now.
    virtual void schemaChanged() {}
    // How many statements are kept prepared (for the tests).
    virtual int preparedCount() const = 0;
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
