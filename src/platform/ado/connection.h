#pragma once

#include "platform/runtime/variant.h"

#include <QSqlDatabase>
#include <QString>
#include <map>
#include <memory>
#include <optional>

namespace ado {

enum ObjectStateEnum : int32_t { adStateClosed = 0, adStateOpen = 1 };
enum CursorLocationEnum : int32_t { adUseServer = 2, adUseClient = 3 };

enum class Backend { None, SQLite, PostgreSQL };

class ConnectionString;

// A value to be placed between single quotes in a statement: every quote
// doubled.
QString quoted(QString value);
class Recordset;
namespace detail {
class Engine;
struct Rows;
struct ProcedureInfo;
} // namespace detail

// A connection to the laboratory's data. "Provider=SQLite;Data Source=<folder>"
// opens the embedded database: the folder's LABORATORY.db, patient_data.db and
// build_file.db attached under those names ("Data Source=memory:<name>" keeps
// them in memory, shared by every connection of the process that names them).
// "Provider=PostgreSQL;Server=..;Port=..;Database=..;User ID=..;Password=.."
// opens a server, where the three databases are schemas.
// "Initial Catalog" names the current database; LABORATORY when absent.
// "Lock Timeout" (seconds, default 5; 0: no limit) is how long a statement
// waits for a lock another connection holds (SQLite: the busy timeout);
// "Command Timeout" (seconds, default 30, PostgreSQL; 0: no limit) how long a
// statement may run. A folder without the three files is refused; vantrel-db
// init creates them. A database without the laboratory's tables fails its
// first statement with a message that says so.
class Connection : public vrt::Object {
public:
    Connection();
    ~Connection() override;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString ConnectionString() const { return connectionString_; }
    // 3705 while the connection is open.
    void setConnectionString(const QString& text);

    // An empty connectionString opens with the ConnectionString property.
    // 3705 when already open, 3706 for an unknown provider; a data source
    // that cannot be opened raises the provider's error.
    void Open(const QString& connectionString = {}, const QString& userId = {},
              const QString& password = {}, int32_t options = -1);
    // Open from Open to Close. A server connection that was dropped (or that
    // Qt's driver closed after seeing it fail) stays open: it is opened again
    // before its next statement outside a transaction.
    int32_t State() const { return open_ ? adStateOpen : adStateClosed; }
    // 3704 when not open.
    void Close();

    // Runs a statement. The recordset it returns is open when the statement
    // returned rows and closed otherwise.
    std::shared_ptr<Recordset> Execute(const QString& commandText, int32_t options = -1);

    // One transaction at a time: what runs between BeginTrans and
    // CommitTrans stays together, RollbackTrans undoes all of it. After a
    // statement of it failed, it can only be rolled back (CommitTrans rolls
    // back and raises). SQLite begins it with BEGIN IMMEDIATE.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // Holds key until the transaction ends: another connection that asks for
    // the same key waits (up to the lock timeout) until then. PostgreSQL only;
    // the embedded database's write lock already lets one transaction at a
    // time. Not traced.
    void lockKey(const QString& key);

    // What another workstation's lock means where the caller knows it (a
    // print waiting for another's print): while set, a statement that gives
    // up waiting for a lock fails with this text, %1 standing for the
    // seconds waited. Empty: the standard text.
    void setLockTimeoutText(const QString& text) { lockTimeoutText_ = text; }

    // adUseServer or adUseClient; recordsets opened later inherit it.
    int32_t CursorLocation() const { return cursorLocation_; }
    void setCursorLocation(int32_t location) { cursorLocation_ = location; }

    Backend backend() const { return backend_; }
    // The database that unqualified names resolve in.
    QString currentDatabase() const { return currentDatabase_; }
    // The Qt connection; valid while open.
    QSqlDatabase database() const { return db_; }

    // Translates and runs one statement of the library (traced).
    detail::Rows run(const QString& statement);
    // Runs a script of several statements in the backend's own SQL (schema
    // set-up); not traced, not translated.
    void runScript(const QString& script);
    // Whether database.name is a stored procedure (looked up once).
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
    bool inTransaction_ = false;
    bool transactionFailed_ = false;
    // Server connections: what reopens a dropped one.
    QString userId_, password_;
    bool lost_ = false; // dropped, and opening it again failed
};

} // namespace ado
