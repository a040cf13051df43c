#include "engine.h"
#include "errors.h"
#include "platform/runtime/datetime.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <climits>
#include <libpq-fe.h>
#include <poll.h>

namespace ado::detail {

namespace {

vrt::Variant fromQt(const QVariant& v) {
    if (v.isNull())
        return vrt::Variant::null();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return vrt::Variant(v.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qlonglong n = v.toLongLong();
        if (n >= INT32_MIN && n <= INT32_MAX)
            return vrt::Variant(static_cast<int32_t>(n));
        return vrt::Variant(static_cast<double>(n));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return vrt::Variant(v.toDouble());
    case QMetaType::QDateTime:
        return vrt::Variant(vrt::toSerial(v.toDateTime()));
    case QMetaType::QDate:
        return vrt::Variant(vrt::toSerial(v.toDate()));
    case QMetaType::QTime:
        return vrt::Variant(vrt::Date{v.toTime().msecsSinceStartOfDay() / 86400000.0});
    default:
        return vrt::Variant(v.toString());
    }
}

QVariant toQt(const vrt::Variant& v) {
    switch (v.type()) {
    case vrt::VarType::Null:
    case vrt::VarType::Empty:
        return QVariant(QMetaType::fromType<QString>());
    case vrt::VarType::Integer:
    case vrt::VarType::Long:
        return QVariant(v.toLong());
    case vrt::VarType::Double:
        return QVariant(v.toDouble());
    default: {
        // An empty text is a value, not a missing one: Qt binds a null
        // QString as NULL.
        QString text = v.toString();
        if (text.isNull())
            text = QLatin1String("");
        return QVariant(text);
    }
    }
}

class PostgresEngine : public Engine {
public:
    PostgresEngine(QSqlDatabase db, int lockMs, int commandMs)
        : db_(std::move(db)), lockMs_(lockMs), commandMs_(commandMs) {}

    // Statement texts differ with every value in them: run as they are,
    // with no prepared statement to make and free.
    Rows query(const QString& sql) override {
        QSqlQuery q(db_);
        q.setForwardOnly(true);
        if (!q.exec(sql))
            fail(q);
        return collect(q);
    }

    void runKept(const QString& sql, const std::vector<vrt::Variant>& values) override {
        QSqlQuery& q = prepared(sql);
        for (size_t i = 0; i < values.size(); ++i)
            q.bindValue(static_cast<int>(i), toQt(values[i]));
        if (!q.exec())
            fail(q);
        q.finish();
    }

    // A procedure's call is prepared once per connection and reused.
    Rows call(const ProcedureCall& call, const ProcedureInfo& info) override {
        QStringList marks;
        for (size_t i = 0; i < call.args.size(); ++i)
            marks << QStringLiteral("?");
        const QString target =
            QStringLiteral("%1.%2(%3)")
                .arg(info.body, call.name.toLower(), marks.join(QLatin1Char(',')));
        const QString sql = info.returnsRows ? QStringLiteral("SELECT * FROM ") + target
                                             : QStringLiteral("SELECT ") + target;
        QSqlQuery& q = prepared(sql);
        for (size_t i = 0; i < call.args.size(); ++i)
            q.bindValue(static_cast<int>(i), toQt(call.args[i]));
        if (!q.exec())
            fail(q);
        Rows rows = info.returnsRows ? collect(q) : Rows{};
        q.finish();
        return rows;
    }

    std::optional<ProcedureInfo> lookupProcedure(const QString& database,
                                                 const QString& name) override {
        QSqlQuery q(db_);
        const bool prepared = q.prepare(QStringLiteral(
            "SELECT p.pronargs, p.pronargdefaults, p.provariadic <> 0, "
            "p.prorettype <> 'void'::regtype, n.nspname "
            "FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
            "WHERE n.nspname = lower(?) AND p.proname = lower(?) ORDER BY p.oid LIMIT 1"));
        if (!prepared)
            fail(q);
        q.addBindValue(database);
        q.addBindValue(name);
        if (!q.exec())
            fail(q);
        if (!q.next())
            return std::nullopt;
        const int args = q.value(0).toInt();
        const bool variadic = q.value(2).toBool();
        return ProcedureInfo{args - q.value(1).toInt(), variadic ? INT_MAX : args,
                             q.value(3).toBool(), q.value(4).toString()};
    }

    void runScript(const QString& script) override {
        QSqlQuery q(db_);
        if (!q.exec(script))
            fail(q);
        // A script may replace the functions the kept statements call.
        prepared_.clear();
    }

    // A failed statement aborts the transaction; the save then rolls it
    // back whole, so no statement needs a savepoint of its own.
    void begin() override {
        if (!db_.transaction())
            failConnection(db_.lastError());
    }
    void commit() override {
        if (!db_.commit())
            failConnection(db_.lastError());
    }
    // A lost connection took its transaction with it.
    void rollback() override {
        if (db_.isOpen())
            db_.rollback();
    }

    void lockKey(const QString& key) override {
        QSqlQuery& q = prepared(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(lower(?)))"));
        q.bindValue(0, key);
        if (!q.exec())
            fail(q);
        q.finish();
    }

    bool dropped() override {
        // Qt's driver closes the database itself once it has seen the
        // connection fail.
        if (!db_.isOpen())
            return true;
        PGconn* conn = handle();
        if (!conn)
            return true;
        // Between statements nothing is due from the server: anything to
        // read is its goodbye (or a notice), and reading it shows whether
        // the connection ended.
        for (int i = 0; i < 4 && PQstatus(conn) == CONNECTION_OK; ++i) {
            pollfd p{PQsocket(conn), POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0)
                break;
            if (!PQconsumeInput(conn))
                break;
        }
        return PQstatus(conn) != CONNECTION_OK;
    }

private:
    PGconn* handle() const {
        const QVariant h = db_.driver()->handle();
        const bool libpq = h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 ||
                                           qstrcmp(h.typeName(), "pg_conn*") == 0);
        return libpq ? *static_cast<PGconn* const*>(h.constData()) : nullptr;
    }

    // A statement text prepared once per connection and reused.
    QSqlQuery& prepared(const QString& sql) {
        auto it = prepared_.find(sql);
        if (it == prepared_.end()) {
            QSqlQuery q(db_);
            q.setForwardOnly(true);
            if (!q.prepare(sql))
                fail(q);
            it = prepared_.insert(sql, q);
        }
        return it.value();
    }

    [[noreturn]] void fail(const QSqlQuery& q) { failConnection(q.lastError()); }

    [[noreturn]] void failConnection(const QSqlError& error) {
        QString why = error.databaseText().trimmed();
        if (why.isEmpty())
            why = error.text().trimmed();
        const QString code = error.nativeErrorCode();
        if (code == QLatin1String("55P03"))
            raiseStatement(Failure::LockTimeout,
                           QStringLiteral("[PostgreSQL] Another workstation holds the record; "
                                          "waited %1 s (Lock Timeout) for it. (%2)")
                               .arg(seconds(lockMs_), why),
                           lockMs_);
        if (code == QLatin1String("57014") && why.contains(QLatin1String("statement timeout")))
            raiseStatement(QStringLiteral("[PostgreSQL] The statement ran longer than %1 s "
                                          "(Command Timeout) and was cancelled. (%2)")
                               .arg(seconds(commandMs_), why));
        if (PGconn* conn = handle(); !db_.isOpen() || !conn || PQstatus(conn) != CONNECTION_OK ||
                                     code.startsWith(QLatin1String("08")) ||
                                     code.startsWith(QLatin1String("57P")))
            raiseStatement(Failure::ConnectionLost,
                           QStringLiteral("[PostgreSQL] The connection to the server was lost; "
                                          "nothing of this statement was kept. (%1) Try again: "
                                          "the connection is opened again by itself.")
                               .arg(why));
        // A table, schema or function that does not exist.
        if (code == QLatin1String("42P01") || code == QLatin1String("3F000") ||
            code == QLatin1String("42883"))
            raiseStatement(Failure::MissingObject, QStringLiteral("[PostgreSQL] ") + why);
        raiseStatement(QStringLiteral("[PostgreSQL] ") + why);
    }

    static Rows collect(QSqlQuery& q) {
        Rows rows;
        if (!q.isSelect())
            return rows;
        rows.hasRows = true;
        const QSqlRecord rec = q.record();
        for (int c = 0; c < rec.count(); ++c)
            rows.columns << rec.fieldName(c);
        while (q.next()) {
            std::vector<vrt::Variant> row;
            row.reserve(static_cast<size_t>(rec.count()));
            for (int c = 0; c < rec.count(); ++c)
                row.push_back(fromQt(q.value(c)));
            rows.data.push_back(std::move(row));
        }
        return rows;
    }

    QSqlDatabase db_;
    int lockMs_;
    int commandMs_;
    QHash<QString, QSqlQuery> prepared_;
};

} // namespace

std::unique_ptr<Engine> makePostgresEngine(QSqlDatabase db, int lockTimeoutMs,
                                           int commandTimeoutMs) {
    return std::make_unique<PostgresEngine>(std::move(db), lockTimeoutMs, commandTimeoutMs);
}

} // namespace ado::detail
