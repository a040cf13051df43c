#include "connection.h"

#include "connectionstring.h"
#include "engine.h"
#include "errors.h"
#include "recordset.h"
#include "trace.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace ado {

namespace {

const QStringList databaseNames{QStringLiteral("LABORATORY"), QStringLiteral("patient_data"),
                                QStringLiteral("build_file")};

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

void raiseProvider(const QString& description) {
    throw vrt::RuntimeError(adErrProvider, description);
}

Connection::Connection() = default;

Connection::~Connection() {
    if (db_.isOpen())
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
        for (const QString& db : databaseNames)
            files << dir.filePath(db + QStringLiteral(".db"));
    }

    qtName_ = newQtName();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), qtName_);
    db_.setDatabaseName(QStringLiteral(":memory:"));
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
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
    engine_ = detail::makeSqliteEngine(db_);
    backend_ = Backend::SQLite;
}

void Connection::openPostgreSQL(const ado::ConnectionString& cs, const QString& userId,
                                const QString& password) {
    qtName_ = newQtName();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), qtName_);
    db_.setHostName(
        cs.value({QStringLiteral("Server"), QStringLiteral("Host"), QStringLiteral("Data Source")},
                 QStringLiteral("localhost")));
    db_.setPort(cs.value(QStringLiteral("Port"), QStringLiteral("5432")).toInt());
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
    QSqlQuery path(db_);
    if (!path.exec(QStringLiteral("SET search_path TO %1, public").arg(currentDatabase_))) {
        const QString why = path.lastError().text();
        path.finish();
        discard();
        raiseProvider(QStringLiteral("[PostgreSQL] ") + why);
    }
    engine_ = detail::makePostgresEngine(db_);
    backend_ = Backend::PostgreSQL;
}

void Connection::Close() {
    if (State() != adStateOpen)
        raise(adErrObjectClosed);
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

detail::Rows Connection::run(const QString& statement) {
    detail::Engine& e = engine();
    if (statementTracing())
        statementTrace().append(statement);
    const TranslatedStatement t =
        translate(statement, backend_, currentDatabase_,
                  [this](const QString& db, const QString& name) { return isProcedure(db, name); });
    if (!t.call)
        return e.query(t.sql);
    const detail::ProcedureInfo info = *procedure(t.call->database, t.call->name);
    const int given = static_cast<int>(t.call->args.size());
    if (given > info.maxArgs)
        raiseStatement(QStringLiteral("Procedure or function '%1' has too many arguments "
                                      "specified (%2 given, at most %3).")
                           .arg(t.call->name)
                           .arg(given)
                           .arg(info.maxArgs));
    if (given < info.minArgs)
        raiseStatement(QStringLiteral("Procedure or function '%1' expects parameter number %2, "
                                      "which was not supplied.")
                           .arg(t.call->name)
                           .arg(given + 1));
    return e.call(*t.call, info);
}

void Connection::runScript(const QString& script) {
    engine().runScript(script);
    procedures_.clear();
}

std::shared_ptr<Recordset> Connection::Execute(const QString& commandText, int32_t /*options*/) {
    auto rs = std::make_shared<Recordset>();
    rs->openRows(run(commandText), cursorLocation_, cursorLocation_ == adUseClient ? 3 : 0);
    return rs;
}

void Connection::BeginTrans() {
    if (inTransaction_)
        raiseStatement(QStringLiteral("A transaction is already open on this connection."));
    engine().begin();
    inTransaction_ = true;
}

void Connection::CommitTrans() {
    if (!inTransaction_)
        raiseStatement(QStringLiteral("No transaction is open on this connection."));
    inTransaction_ = false;
    engine().commit();
}

void Connection::RollbackTrans() {
    if (!inTransaction_)
        raiseStatement(QStringLiteral("No transaction is open on this connection."));
    inTransaction_ = false;
    engine().rollback();
}

} // namespace ado
