#include "connection.h"

#include "connectionstring.h"
#include "dialect.h"
#include "engine.h"
#include "errors.h"
#include "recordset.h"
#include "trace.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <climits>
#include <iterator>

namespace ado {

namespace {

const QStringList databaseNames{QStringLiteral("LABORATORY"), QStringLiteral("patient_data"),
                                QStringLiteral("build_file")};

// A timeout of the connection string in seconds (fractions allowed), as
// milliseconds.
int timeoutMs(const ConnectionString& cs, const QString& key, int fallback) {
    if (!cs.contains(key))
        return fallback;
    bool ok = false;
    const double seconds = cs.value(key).toDouble(&ok);
    if (!ok || seconds < 0 || seconds > 86400)
        raiseProvider(
            QStringLiteral("%1 '%2' is not a number of seconds.").arg(key, cs.value(key)));
    return static_cast<int>(seconds * 1000 + 0.5);
}

// The port of a server connection string, 5432 when it names none.
int portNumber(const ConnectionString& cs) {
    const QString text = cs.value(QStringLiteral("Port"), QStringLiteral("5432"));
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        raiseProvider(QStringLiteral("Port '%1' is not a port number (1 to 65535).").arg(text));
    return port;
}

// A statement that creates, changes or drops tables or functions.
bool isSchemaChange(const QString& statement) {
    const QStringView text = QStringView(statement).trimmed();
    for (const char* word : {"create", "alter", "drop"})
        if (text.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    return false;
}

QString newQtName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("vantrel-ado-%1").arg(++counter);
}

} // namespace

QString quoted(QString value) {
    return value.replace(QLatin1Char('\''), QStringLiteral("''"));
}

void raise(int32_t number) {
    switch (number) {
    case adErrObjectClosed:
        throw vrt::RuntimeError(
            number, QStringLiteral("Operation is not allowed when the object is closed."));
    case adErrObjectOpen:
        throw vrt::RuntimeError(
            number, QStringLiteral("Operation is not allowed when the object is open."));
    case adErrProviderNotFound:
        throw vrt::RuntimeError(
            number, QStringLiteral("Provider cannot be found. It may not be properly installed."));
    case adErrNoCurrentRecord:
        throw vrt::RuntimeError(number, QStringLiteral("Either BOF or EOF is True, or the current "
                                                       "record has been deleted. Requested "
                                                       "operation requires a current record."));
    case adErrItemNotFound:
        throw vrt::RuntimeError(number,
                                QStringLiteral("Item cannot be found in the collection "
                                               "corresponding to the requested name or ordinal."));
    default:
        vrt::raise(number);
    }
}

void raiseStatement(const QString& description) {
    throw vrt::RuntimeError(adErrStatement, description);
}

void raiseStatement(Failure failure, const QString& description, int lockTimeoutMs) {
    throw StatementError(failure, description, lockTimeoutMs);
}

Failure failureOf(const vrt::RuntimeError& error) {
    const auto* statement = dynamic_cast<const StatementError*>(&error);
    return statement ? statement->failure() : Failure::Other;
}

QString seconds(int ms) {
    return QString::number(ms / 1000.0, 'g', 6);
}

void raiseProvider(const QString& description) {
    throw vrt::RuntimeError(adErrProvider, description);
}

Connection::Connection() = default;

Connection::~Connection() {
    if (!qtName_.isEmpty())
        discard();
}

void Connection::setConnectionString(const QString& text) {
    if (State() == adStateOpen)
        raise(adErrObjectOpen);
    connectionString_ = text;
}

void Connection::Open(const QString& connectionString, const QString& userId,
                      const QString& password, int32_t /*options*/) {
    if (State() == adStateOpen)
        raise(adErrObjectOpen);
    if (!connectionString.isEmpty())
        connectionString_ = connectionString;

    const auto cs = ConnectionString::parse(connectionString_);
    const QString provider = cs.value(QStringLiteral("Provider"));
    currentDatabase_ = cs.value(QStringLiteral("Initial Catalog"), QStringLiteral("LABORATORY"));
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!identifier.match(currentDatabase_).hasMatch())
        raiseProvider(
            QStringLiteral("Initial Catalog '%1' is not a database name.").arg(currentDatabase_));
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0)
        openSQLite(cs);
    else if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0)
        openPostgreSQL(cs, userId, password);
    else
        raise(adErrProviderNotFound);
    open_ = true;
}

void Connection::openSQLite(const ado::ConnectionString& cs) {
    const QString source = cs.value(QStringLiteral("Data Source"));
    if (source.isEmpty())
        raiseProvider(QStringLiteral("[SQLite] The connection string names no Data Source."));

    QStringList files;
    const bool inMemory = source.startsWith(QLatin1String("memory:"));
    if (inMemory) {
        const QString name = source.mid(7);
        for (const QString& db : databaseNames)
            files << QStringLiteral("file:vantrel-%1-%2?mode=memory&cache=shared").arg(name, db);
    } else {
        const QFileInfo folder(source);
        if (!folder.isDir())
            raiseProvider(QStringLiteral("[SQLite] The data source folder '%1' does not exist.")
                              .arg(QDir::toNativeSeparators(source)));
        const QDir dir(folder.absoluteFilePath());
        QStringList missing;
        for (const QString& db : databaseNames) {
            const QString path = dir.filePath(db + QStringLiteral(".db"));
            if (!QFileInfo(path).isFile())
                missing << db + QStringLiteral(".db");
            // mode=rw: a file that is not there is an error, never a new empty database.
            files << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                         QStringLiteral("?mode=rw");
        }
        dataSource_ = dir.absolutePath();
        if (!missing.isEmpty())
            raiseProvider(
                QStringLiteral("[SQLite] The data source folder '%1' holds no "
                               "laboratory database (%2 missing). Create one with: "
                               "vantrel-db init <folder>")
                    .arg(QDir::toNativeSeparators(dir.path()), missing.join(QStringLiteral(", "))));
    }

    if (inMemory)
        dataSource_ = source;
    const int lockMs = timeoutMs(cs, QStringLiteral("Lock Timeout"), 5000);
    qtName_ = newQtName();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), qtName_);
    db_.setDatabaseName(QStringLiteral(":memory:"));
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1")
                              .arg(lockMs == 0 ? INT_MAX : lockMs));
    if (!db_.open()) {
        const QString why = db_.lastError().text();
        discard();
        raiseProvider(QStringLiteral("[SQLite] ") + why);
    }
    for (int i = 0; i < databaseNames.size(); ++i) {
        QSqlQuery attach(db_);
        if (!attach.exec(QStringLiteral("ATTACH DATABASE %1 AS %2")
                             .arg(QLatin1Char('\'') + quoted(files[i]) + QLatin1Char('\''),
                                  databaseNames[i]))) {
            const QString why = attach.lastError().text();
            attach.finish();
            discard();
            raiseProvider(QStringLiteral("[SQLite] Cannot open %1: %2").arg(files[i], why));
        }
    }
    // Write-ahead logging lets readers and one writer of several processes
    // work at once; full sync keeps a committed result through a power cut.
    // The log mode stays with the file, so it is changed only once.
    if (!inMemory) {
        for (const QString& db : databaseNames) {
            QSqlQuery q(db_);
            const bool wal =
                q.exec(QStringLiteral("PRAGMA %1.journal_mode").arg(db)) && q.next() &&
                q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
            if ((!wal && !q.exec(QStringLiteral("PRAGMA %1.journal_mode = WAL").arg(db))) ||
                !q.exec(QStringLiteral("PRAGMA %1.synchronous = FULL").arg(db))) {
                const QString why = q.lastError().text();
                q.finish();
                discard();
                raiseProvider(QStringLiteral("[SQLite] Cannot prepare %1: %2").arg(db, why));
            }
        }
    }
    engine_ = detail::makeSqliteEngine(db_, lockMs);
    backend_ = Backend::SQLite;
}

void Connection::openPostgreSQL(const ado::ConnectionString& cs, const QString& userId,
                                const QString& password) {
    const int port = portNumber(cs);
    // Every session gets the same rules whatever the server's defaults:
    // literal text keeps its backslashes, and a save waits for another
    // workstation's lock (and a statement runs) only so long.
    const int lockMs = timeoutMs(cs, QStringLiteral("Lock Timeout"), 5000);
    const int commandMs = timeoutMs(cs, QStringLiteral("Command Timeout"), 30000);
    qtName_ = newQtName();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), qtName_);
    db_.setHostName(
        cs.value({QStringLiteral("Server"), QStringLiteral("Host"), QStringLiteral("Data Source")},
                 QStringLiteral("localhost")));
    db_.setPort(port);
    db_.setDatabaseName(cs.value(QStringLiteral("Database")));
    db_.setUserName(userId.isEmpty() ? cs.value({QStringLiteral("User ID"), QStringLiteral("UID")})
                                     : userId);
    db_.setPassword(password.isEmpty()
                        ? cs.value({QStringLiteral("Password"), QStringLiteral("PWD")})
                        : password);
    if (!db_.open()) {
        const QString why = db_.lastError().text();
        discard();
        raiseProvider(QStringLiteral("[PostgreSQL] ") + why);
    }
    QSqlQuery session(db_);
    if (!session.exec(QStringLiteral("SET search_path TO %1, public; "
                                     "SET standard_conforming_strings = on; "
                                     "SET lock_timeout = %2; SET statement_timeout = %3")
                          .arg(currentDatabase_)
                          .arg(lockMs)
                          .arg(commandMs))) {
        const QString why = session.lastError().text();
        session.finish();
        discard();
        raiseProvider(QStringLiteral("[PostgreSQL] ") + why);
    }
    engine_ = detail::makePostgresEngine(db_, lockMs, commandMs);
    backend_ = Backend::PostgreSQL;
    userId_ = userId;
    password_ = password;
}

// A server connection that was dropped (server restart, idle cut-off,
// pg_terminate_backend) or that Qt's driver closed after seeing it fail is
// opened again once, before the next statement and never inside a
// transaction: a statement that failed with it is not run again.
void Connection::reconnectIfDropped() {
    if (inTransaction_)
        return;
    if (!lost_ && !(engine_ && backend_ == Backend::PostgreSQL && engine_->dropped()))
        return;
    const QString userId = userId_;
    const QString password = password_;
    const int32_t cursorLocation = cursorLocation_;
    discard();
    lost_ = true;
    try {
        openPostgreSQL(ConnectionString::parse(connectionString_), userId, password);
    } catch (const vrt::RuntimeError& e) {
        QString why = e.description().simplified();
        why.remove(QRegularExpression(QStringLiteral("^\\[PostgreSQL\\] *")));
        raiseStatement(Failure::ConnectionLost,
                       QStringLiteral("[PostgreSQL] The connection to the server was lost and "
                                      "cannot be opened again yet (%1). Try again when the "
                                      "server is running: it is opened again by itself.")
                           .arg(why));
    }
    lost_ = false;
    cursorLocation_ = cursorLocation;
}

void Connection::Close() {
    if (!open_)
        raise(adErrObjectClosed);
    open_ = false;
    lost_ = false;
    discard();
}

void Connection::discard() {
    if (inTransaction_ && engine_) {
        try {
            engine_->rollback();
        } catch (const vrt::RuntimeError&) {
        }
    }
    inTransaction_ = false;
    engine_.reset();
    procedures_.clear();
    shapes_.clear();
    restoreSync_ = -1;
    syncLevel_ = 0;
    db_.close();
    db_ = QSqlDatabase();
    if (!qtName_.isEmpty())
        QSqlDatabase::removeDatabase(qtName_);
    qtName_.clear();
    backend_ = Backend::None;
}

detail::Engine& Connection::engine() {
    if (!engine_)
        raise(adErrObjectClosed);
    return *engine_;
}

std::optional<detail::ProcedureInfo> Connection::procedure(const QString& database,
                                                           const QString& name) {
    const QString key = database.toLower() + QLatin1Char('.') + name.toLower();
    auto it = procedures_.find(key);
    if (it == procedures_.end()) {
        auto info = engine().lookupProcedure(database, name);
        it = procedures_
                 .emplace(key, info ? std::make_shared<detail::ProcedureInfo>(*info) : nullptr)
                 .first;
    }
    if (!it->second)
        return std::nullopt;
    return *it->second;
}

bool Connection::isProcedure(const QString& database, const QString& name) {
    return procedure(database, name).has_value();
}

// Where the connection knows more than the statement's own error: a
// database without the laboratory's tables, or a lock whose meaning the
// caller gave.
template <typename F> auto Connection::worded(F&& work) {
    try {
        return work();
    } catch (const StatementError& e) {
        if (e.failure() == Failure::MissingObject && !inTransaction_)
            raiseIfNoLaboratory();
        if (e.failure() == Failure::LockTimeout && !lockTimeoutText_.isEmpty())
            raiseStatement(Failure::LockTimeout,
                           (backend_ == Backend::SQLite ? QStringLiteral("[SQLite] ")
                                                        : QStringLiteral("[PostgreSQL] ")) +
                               lockTimeoutText_.arg(seconds(e.lockTimeoutMs())),
                           e.lockTimeoutMs());
        throw;
    }
}

void Connection::raiseIfNoLaboratory() {
    // Each database with a table that its schema always creates.
    static const std::pair<const char*, const char*> keyTables[] = {
        {"LABORATORY", "tblablogbook"},
        {"patient_data", "tbHospitalInfo"},
        {"build_file", "tbcolabexam"}};
    QStringList lacking;
    try {
        for (const auto& [database, table] : keyTables) {
            const QString db = QString::fromLatin1(database);
            const QString name = QString::fromLatin1(table);
            const detail::Rows rows = engine().query(
                backend_ == Backend::SQLite
                    ? QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type = 'table' AND "
                                     "name = '%2' COLLATE NOCASE")
                          .arg(db, name)
                    : QStringLiteral("SELECT 1 WHERE to_regclass('%1.%2') IS NOT NULL")
                          .arg(db.toLower(), name.toLower()));
            if (rows.data.empty())
                lacking << db;
        }
    } catch (const vrt::RuntimeError&) {
        return; // the statement's own error says more
    }
    if (lacking.isEmpty())
        return;
    if (backend_ == Backend::PostgreSQL) {
        const QString database =
            ConnectionString::parse(connectionString_).value(QStringLiteral("Database"));
        raiseStatement(
            Failure::NoLaboratory,
            QStringLiteral("[PostgreSQL] The database '%1' has no laboratory tables%2; "
                           "create them with: vantrel-db init-pg \"<connection "
                           "string>\"")
                .arg(database, lacking.size() == int(std::size(keyTables))
                                   ? QString()
                                   : QStringLiteral(" in ") + lacking.join(QStringLiteral(", "))));
    }
    if (dataSource_.startsWith(QLatin1String("memory:")))
        raiseStatement(Failure::NoLaboratory,
                       QStringLiteral("[SQLite] The database '%1' has no laboratory tables in %2.")
                           .arg(dataSource_, lacking.join(QStringLiteral(", "))));
    QStringList files;
    for (const QString& db : lacking)
        files << QLatin1Char('\'') +
                     QDir::toNativeSeparators(
                         QDir(dataSource_).filePath(db + QStringLiteral(".db"))) +
                     QLatin1Char('\'');
    raiseStatement(Failure::NoLaboratory,
                   QStringLiteral("[SQLite] The laboratory %1 %2 no laboratory tables; create "
                                  "them with: vantrel-db init %3")
                       .arg(files.size() == 1
                                ? QStringLiteral("file ") + files[0]
                                : QStringLiteral("files ") + files.join(QStringLiteral(", ")),
                            files.size() == 1 ? QStringLiteral("has") : QStringLiteral("have"),
                            QDir::toNativeSeparators(dataSource_)));
}

detail::Rows Connection::run(const QString& statement, bool traced) {
    reconnectIfDropped();
    if (inTransaction_ && transactionFailed_)
        raiseTransactionFailed();
    detail::Engine& e = engine();
    if (traced && statementTracing())
        statementTrace().append(statement);
    const auto isProc = [this](const QString& db, const QString& name) {
        return isProcedure(db, name);
    };
    // Statements that differ only in their values share one translation and
    // one prepared statement; the values travel as its parameters.
    const ScannedStatement scanned = worded([&] { return scan(statement); });
    auto found = shapes_.constFind(scanned.key);
    if (found == shapes_.cend()) {
        auto shape = std::make_shared<StatementShape>(
            worded([&] { return shapeOf(statement, backend_, currentDatabase_, isProc); }));
        if (shapes_.size() >= 1024)
            shapes_.clear();
        found = shapes_.insert(scanned.key, std::move(shape));
    }
    const std::shared_ptr<StatementShape> shape = found.value();
    // A failed statement ends what its transaction may do: a server has
    // aborted it, and a save keeps all of its statements or none.
    const auto failing = [this](auto&& work) {
        try {
            return work();
        } catch (const vrt::RuntimeError&) {
            transactionFailed_ = inTransaction_;
            throw;
        }
    };
    if (!shape->call) {
        struct SchemaChange {
            detail::Engine& e;
            bool ddl;
            ~SchemaChange() {
                if (ddl)
                    e.schemaChanged();
            }
        } change{e, isSchemaChange(statement)};
        return worded([&] {
            return failing([&] {
                if (!shape->literal) {
                    if (std::optional<detail::Rows> rows = e.queryBound(shape->sql, scanned.values))
                        return std::move(*rows);
                    // Not preparable with parameters: the text as it is.
                    shape->literal = true;
                }
                return e.query(translate(statement, backend_, currentDatabase_, isProc).sql);
            });
        });
    }
    ProcedureCall call = *shape->call;
    call.args = callArguments(*shape, scanned.values);
    const detail::ProcedureInfo info = *procedure(call.database, call.name);
    const int given = static_cast<int>(call.args.size());
    if (given > info.maxArgs)
        raiseStatement(QStringLiteral("Procedure or function '%1' has too many arguments "
                                      "specified (%2 given, at most %3).")
                           .arg(call.name)
                           .arg(given)
                           .arg(info.maxArgs));
    if (given < info.minArgs)
        raiseStatement(QStringLiteral("Procedure or function '%1' expects parameter number %2, "
                                      "which was not supplied.")
                           .arg(call.name)
                           .arg(given + 1));
    return worded([&] { return failing([&] { return e.call(call, info); }); });
}

int Connection::preparedStatements() const {
    return engine_ ? engine_->preparedCount() : 0;
}

std::shared_ptr<Recordset> Connection::executeQuietly(const QString& commandText) {
    auto rs = std::make_shared<Recordset>();
    rs->openRows(run(commandText, false), cursorLocation_, adOpenForwardOnly);
    return rs;
}

std::vector<QVariantList> Connection::runWithValues(const QString& sql,
                                                    const QVariantList& values) {
    reconnectIfDropped();
    if (inTransaction_ && transactionFailed_)
        raiseTransactionFailed();
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    bool ran = q.prepare(sql);
    if (ran) {
        for (const QVariant& v : values)
            q.addBindValue(v);
        ran = q.exec();
    }
    if (!ran) {
        transactionFailed_ = inTransaction_;
        raiseStatement((backend_ == Backend::PostgreSQL ? QStringLiteral("[PostgreSQL] ")
                                                        : QStringLiteral("[SQLite] ")) +
                       q.lastError().text());
    }
    std::vector<QVariantList> rows;
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row << q.value(i);
        rows.push_back(std::move(row));
    }
    return rows;
}

void Connection::BeginRelaxedTrans() {
    if (backend_ == Backend::SQLite && !inTransaction_) {
        reconnectIfDropped();
        // The log mode and sync level are the file's and this connection's:
        // read once, not for every job.
        if (syncLevel_ == 0) {
            const auto value = [this](const QString& pragma) {
                const detail::Rows rows = engine().query(pragma);
                return rows.data.empty() || rows.data[0].empty() ? vrt::Variant() : rows.data[0][0];
            };
            const bool wal = value(QStringLiteral("PRAGMA LABORATORY.journal_mode"))
                                 .toString()
                                 .compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
            const vrt::Variant level = value(QStringLiteral("PRAGMA LABORATORY.synchronous"));
            syncLevel_ = wal && !level.isEmpty() && level.toLong() > 1
                             ? static_cast<int>(level.toLong())
                             : -1;
        }
        if (syncLevel_ > 1) {
            engine().query(QStringLiteral("PRAGMA LABORATORY.synchronous = NORMAL"));
            restoreSync_ = syncLevel_;
        }
    }
    BeginTrans();
    try {
        engine().relaxCommit();
    } catch (...) {
        RollbackTrans();
        throw;
    }
}

void Connection::endRelaxed() {
    if (restoreSync_ < 0)
        return;
    const int level = std::exchange(restoreSync_, -1);
    try {
        if (engine_ && !inTransaction_)
            engine_->query(QStringLiteral("PRAGMA LABORATORY.synchronous = %1").arg(level));
    } catch (const vrt::RuntimeError&) {
        // Only a broken connection refuses it, and a save on it fails too.
    }
}

void Connection::raiseTransactionFailed() {
    raiseStatement(QStringLiteral("A statement of this transaction failed; the transaction "
                                  "can only be rolled back."));
}

void Connection::runScript(const QString& script) {
    reconnectIfDropped();
    engine().runScript(script);
    procedures_.clear();
    shapes_.clear();
    syncLevel_ = 0;
}

std::shared_ptr<Recordset> Connection::Execute(const QString& commandText, int32_t /*options*/) {
    auto rs = std::make_shared<Recordset>();
    rs->openRows(run(commandText, true), cursorLocation_, cursorLocation_ == adUseClient ? 3 : 0);
    return rs;
}

void Connection::BeginTrans() {
    if (inTransaction_)
        raiseStatement(QStringLiteral("A transaction is already open on this connection."));
    reconnectIfDropped();
    const detail::Engine::Settings settings = transactionSettings();
    worded([&] { engine().begin(settings); });
    inTransaction_ = true;
    transactionFailed_ = false;
    if (backend_ == Backend::SQLite)
        applyTransactionContext(settings);
}

void Connection::CommitTrans() {
    if (!inTransaction_)
        raiseStatement(QStringLiteral("No transaction is open on this connection."));
    inTransaction_ = false;
    if (transactionFailed_) {
        engine().rollback();
        raiseTransactionFailed();
    }
    clearTransactionContext();
    engine().commit();
}

void Connection::RollbackTrans() {
    if (!inTransaction_)
        raiseStatement(QStringLiteral("No transaction is open on this connection."));
    inTransaction_ = false;
    contextTables_.clear();
    engine().rollback();
}

void Connection::lockKey(const QString& key) {
    if (!inTransaction_)
        raiseStatement(QStringLiteral("No transaction is open on this connection."));
    if (transactionFailed_)
        raiseTransactionFailed();
    try {
        engine().lockKey(key);
    } catch (const vrt::RuntimeError&) {
        transactionFailed_ = true;
        throw;
    }
}

} // namespace ado
