#pragma once

/// \file
/// Connections to the laboratory database.

#include "platform/runtime/variant.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

/// Data access: connections, recordsets and their errors.
namespace ado {

/// Whether a connection or recordset is open.
enum ObjectStateEnum : int32_t {
    adStateClosed = 0, ///< closed
    adStateOpen = 1    ///< open
};
/// Where a recordset's rows are kept; the rows are read whole either way.
enum CursorLocationEnum : int32_t {
    adUseServer = 2, ///< on the server (the default)
    adUseClient = 3  ///< on the client
};

/// The database behind a connection.
enum class Backend {
    None,      ///< not opened yet
    SQLite,    ///< the embedded database
    PostgreSQL ///< a PostgreSQL server
};

class ConnectionString;

/// A value to be placed between single quotes in a statement: every quote
/// doubled.
QString quoted(QString value);
class Recordset;
struct StatementShape;
namespace detail {
class Engine;
struct Rows;
struct ProcedureInfo;
} // namespace detail

/// A connection to the laboratory's data, opened from a "key=value;" list
/// (keys in any letter case; a value in double or single quotes may hold
/// ';' or '='; the last mention of a key wins):
///
/// - "Provider=SQLite;Data Source=<folder>" opens the embedded database: the
///   folder's LABORATORY.db, patient_data.db and build_file.db attached under
///   those names ("Data Source=memory:<name>" keeps them in memory, shared by
///   every connection of the process that names them). A folder without the
///   three files is refused; vantrel-db init creates them.
/// - "Provider=PostgreSQL;Server=..;Port=..;Database=..;User ID=..;Password=.."
///   opens a server, where the three databases are schemas (Host and Data
///   Source mean Server, UID means User ID, PWD means Password; Server
///   defaults to localhost, Port to 5432). Without a password, libpq's own
///   PGPASSWORD or password file is used.
/// - "Initial Catalog" names the current database; LABORATORY when absent.
/// - "Lock Timeout" (seconds, default 5, 0 for no limit) is how long a
///   statement waits for a lock another connection holds (SQLite: the busy
///   timeout); "Command Timeout" (seconds, default 30, 0 for no limit,
///   PostgreSQL) how long a statement may run.
/// - "Report Flags=No" prints the exam form's results without their H and L
///   flags.
///
/// A database without the laboratory's tables is opened, and its first
/// statement fails with a message that says so and how to create them.
class Connection : public vrt::Object {
public:
    /// A closed connection.
    Connection();
    /// Closes the connection; an open transaction is rolled back.
    ~Connection() override;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// The connection string it was opened with (or will open with).
    QString ConnectionString() const { return connectionString_; }
    /// Sets the connection string; 3705 while the connection is open.
    void setConnectionString(const QString& text);

    /// Opens the connection. An empty connectionString opens with the
    /// ConnectionString property; userId and password, when given, take the
    /// place of the string's (PostgreSQL).
    /// 3705 when already open, 3706 for an unknown provider; a data source
    /// that cannot be opened raises the provider's error (-2147467259).
    void Open(const QString& connectionString = {}, const QString& userId = {},
              const QString& password = {}, int32_t options = -1);
    /// adStateOpen from Open to Close. A server connection that was dropped
    /// (or that Qt's driver closed after seeing it fail) stays open: it is
    /// opened again before its next statement outside a transaction.
    int32_t State() const { return open_ ? adStateOpen : adStateClosed; }
    /// Closes the connection; 3704 when not open.
    void Close();

    /// Runs a statement of the library's dialect ("LABORATORY..name",
    /// procedure calls with quoted arguments). The recordset it returns is
    /// open when the statement returned rows and closed otherwise.
    std::shared_ptr<Recordset> Execute(const QString& commandText, int32_t options = -1);

    /// \name Transactions
    /// One transaction at a time: what runs between BeginTrans and
    /// CommitTrans stays together, RollbackTrans undoes all of it. After a
    /// statement of it failed, it can only be rolled back (CommitTrans rolls
    /// back and raises). SQLite begins it with BEGIN IMMEDIATE.
    ///@{

    void BeginTrans();    ///< begins a transaction
    void CommitTrans();   ///< keeps what the transaction wrote
    void RollbackTrans(); ///< undoes what the transaction wrote
    ///@}

    /// Holds key until the transaction ends: another connection that asks for
    /// the same key waits (up to the lock timeout) until then. PostgreSQL only;
    /// the embedded database's write lock already lets one transaction at a
    /// time. Not traced.
    void lockKey(const QString& key);

    /// What another workstation's lock means where the caller knows it (a
    /// print waiting for another's print): while set, a statement that gives
    /// up waiting for a lock fails with this text, %1 standing for the
    /// seconds waited. Empty: the standard text.
    void setLockTimeoutText(const QString& text) { lockTimeoutText_ = text; }

    /// Values every transaction carries for the database's own use (its
    /// triggers), asked for at each BeginTrans and kept out of the statement
    /// trace: a setting name ("database.name") and a value; empty values are
    /// left out.
    /// PostgreSQL: the transaction-local setting of that name. SQLite: the
    /// column of that name in the one row (id 1) of the database's
    /// transaction_settings table, written after BEGIN IMMEDIATE and removed
    /// before COMMIT, so no other connection sees it (a database without
    /// that table is passed by).
    using TransactionContext = std::vector<std::pair<QString, QString>>;
    /// Sets the function that gives each transaction's values.
    void setTransactionContext(std::function<TransactionContext()> context) {
        context_ = std::move(context);
    }

    /// adUseServer or adUseClient; recordsets opened later inherit it.
    int32_t CursorLocation() const { return cursorLocation_; }
    /// Sets the cursor location recordsets opened later inherit.
    void setCursorLocation(int32_t location) { cursorLocation_ = location; }

    /// The database behind the connection.
    Backend backend() const { return backend_; }
    /// The database that unqualified names resolve in.
    QString currentDatabase() const { return currentDatabase_; }
    /// The Qt connection; valid while open.
    QSqlDatabase database() const { return db_; }

    /// Translates and runs one statement of the library (traced when asked);
    /// the rows are for Recordset. Its literal values reach the database as
    /// parameters of a statement prepared once per connection for every
    /// statement that differs from it only in its values.
    detail::Rows run(const QString& statement, bool traced = true);
    /// Execute for the library's own bookkeeping (the schema version, the
    /// audit of a print): kept out of the statement trace.
    std::shared_ptr<Recordset> executeQuietly(const QString& commandText);
    /// A statement of the library's own bookkeeping (the corrections it
    /// reads, their reasons, the report archive) in SQL both backends read,
    /// its values (text, numbers, NULL, bytes) bound to "?" marks in order,
    /// never quoted in; not traced. The rows, each a list of values.
    std::vector<QVariantList> runWithValues(const QString& sql, const QVariantList& values);
    /// How many statements the connection keeps prepared.
    int preparedStatements() const;

    /// BeginTrans for work the database may lose in a power cut (a print
    /// job's spool, thrown away once printed): its commit does not wait for
    /// the disk. PostgreSQL: for that transaction; SQLite: only with
    /// write-ahead logging, the sync level lowered until endRelaxed.
    void BeginRelaxedTrans();
    /// Puts back what BeginRelaxedTrans lowered, once its transaction ended.
    void endRelaxed();
    /// Runs a script of several statements in the backend's own SQL (schema
    /// set-up); not traced, not translated.
    void runScript(const QString& script);
    /// Whether database.name is a stored procedure (looked up once).
    bool isProcedure(const QString& database, const QString& name);

private:
    void openSQLite(const ado::ConnectionString& cs);
    void openPostgreSQL(const ado::ConnectionString& cs, const QString& userId,
                        const QString& password);
    void discard();
    void reconnectIfDropped();
    template <typename F> auto worded(F&& work);
    void raiseIfNoLaboratory();
    [[noreturn]] static void raiseTransactionFailed();
    // The transaction context's settings with a value, their names checked.
    std::vector<std::pair<QString, QString>> transactionSettings() const;
    // SQLite: writes them into each database's transaction_settings row.
    void applyTransactionContext(const std::vector<std::pair<QString, QString>>& settings);
    void clearTransactionContext();
    detail::Engine& engine();
    std::optional<detail::ProcedureInfo> procedure(const QString& database, const QString& name);

    QString connectionString_;
    bool open_ = false;
    QString dataSource_; // SQLite: the folder, or "memory:<name>"
    QString lockTimeoutText_;
    QString qtName_;
    QSqlDatabase db_;
    Backend backend_ = Backend::None;
    QString currentDatabase_;
    int32_t cursorLocation_ = adUseServer;
    std::unique_ptr<detail::Engine> engine_;
    std::map<QString, std::shared_ptr<detail::ProcedureInfo>> procedures_;
    QHash<QString, std::shared_ptr<StatementShape>> shapes_; // by statement key
    int restoreSync_ = -1; // SQLite: the sync level endRelaxed puts back
    int syncLevel_ = 0;    // SQLite: the file's level when it may be lowered, -1 not, 0 unread
    bool inTransaction_ = false;
    bool transactionFailed_ = false;
    // Server connections: what reopens a dropped one.
    QString userId_, password_;
    bool lost_ = false; // dropped, and opening it again failed
    std::function<TransactionContext()> context_;
    QStringList contextTables_; // SQLite: written in the open transaction
};

} // namespace ado
