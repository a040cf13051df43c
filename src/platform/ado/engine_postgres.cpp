#include "engine.h"
#include "errors.h"
#include "platform/runtime/datetime.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <charconv>
#include <climits>
#include <libpq-fe.h>
#include <poll.h>

namespace ado::detail {

namespace {

// Type numbers of the server's catalog (pg_type.oid) the rows are read by.
enum : Oid {
    boolOid = 16,
    byteaOid = 17,
    int8Oid = 20,
    int2Oid = 21,
    int4Oid = 23,
    oidOid = 26,
    float4Oid = 700,
    float8Oid = 701,
    dateOid = 1082,
    timeOid = 1083,
    timestampOid = 1114,
    timestamptzOid = 1184,
    timetzOid = 1266,
    numericOid = 1700,
};

template <typename T> bool digits(const char* text, int length, T* out) {
    const auto [end, ec] = std::from_chars(text, text + length, *out);
    return ec == std::errc() && end == text + length;
}

// "YYYY-MM-DD", and "HH:MM:SS[.ffffff]" from the given place.
QDate dateAt(const char* v, int length) {
    int y = 0, m = 0, d = 0;
    if (length < 10 || v[4] != '-' || v[7] != '-' || !digits(v, 4, &y) || !digits(v + 5, 2, &m) ||
        !digits(v + 8, 2, &d))
        return {};
    return QDate(y, m, d);
}
QTime timeAt(const char* v, int length) {
    int h = 0, m = 0, s = 0;
    if (length < 8 || v[2] != ':' || v[5] != ':' || !digits(v, 2, &h) || !digits(v + 3, 2, &m) ||
        !digits(v + 6, 2, &s))
        return {};
    int ms = 0;
    if (length > 9 && v[8] == '.') {
        // microseconds to the nearest millisecond, as far as given
        int scale = 100;
        for (int i = 9; i < length && i < 12 && v[i] >= '0' && v[i] <= '9'; ++i, scale /= 10)
            ms += (v[i] - '0') * scale;
    }
    return QTime(h, m, s, ms);
}

// One value of a result as the recordsets hold it: numbers as numbers, dates
// and times as dates, everything else as text.
vrt::Variant fromText(const char* v, int length, Oid type) {
    switch (type) {
    case boolOid:
        return vrt::Variant(v[0] == 't');
    case int2Oid:
    case int4Oid:
    case int8Oid:
    case oidOid: {
        long long n = 0;
        if (!digits(v, length, &n))
            return vrt::Variant(QByteArrayView(v, length).toDouble());
        if (n >= INT32_MIN && n <= INT32_MAX)
            return vrt::Variant(static_cast<int32_t>(n));
        return vrt::Variant(static_cast<double>(n));
    }
    case numericOid:
    case float4Oid:
    case float8Oid:
        return vrt::Variant(QByteArrayView(v, length).toDouble());
    case dateOid:
        if (const QDate d = dateAt(v, length); d.isValid())
            return vrt::Variant(vrt::toSerial(d));
        break;
    case timeOid:
    case timetzOid:
        if (const QTime t = timeAt(v, length); t.isValid())
            return vrt::Variant(vrt::Date{t.msecsSinceStartOfDay() / 86400000.0});
        break;
    case timestampOid: {
        // a wall-clock reading, as the embedded database's
        const QDate d = dateAt(v, length);
        const QTime t = length > 11 ? timeAt(v + 11, length - 11) : QTime();
        if (d.isValid() && t.isValid())
            return vrt::Variant(vrt::toSerial(QDateTime(d, t, Qt::UTC)));
        break;
    }
    case timestamptzOid: {
        QString text = QString::fromLatin1(v, length);
        if (text.size() > 10 && text[10] == QLatin1Char(' '))
            text[10] = QLatin1Char('T');
        const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (dt.isValid())
            return vrt::Variant(vrt::toSerial(dt.toLocalTime()));
        break;
    }
    default:
        break;
    }
    return vrt::Variant(QString::fromUtf8(v, length));
}

// A value as the server reads a parameter: text, or null.
QByteArray parameterText(const vrt::Variant& v) {
    switch (v.type()) {
    case vrt::VarType::Integer:
    case vrt::VarType::Long:
        return QByteArray::number(static_cast<qlonglong>(v.toLong()));
    case vrt::VarType::Double:
        return QByteArray::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    default: {
        QByteArray text = v.toString().toUtf8();
        if (text.isNull())
            text = QByteArray("");
        return text;
    }
    }
}

struct Result {
    PGresult* r = nullptr;
    explicit Result(PGresult* result) : r(result) {}
    ~Result() { PQclear(r); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
};

class PostgresEngine : public Engine {
    struct Prepared;

public:
    PostgresEngine(QSqlDatabase db, int lockMs, int commandMs)
        : db_(std::move(db)), lockMs_(lockMs), commandMs_(commandMs) {
        conn_ = handle();
        if (!conn_)
            raiseProvider(QStringLiteral("[PostgreSQL] The connection has no libpq handle."));
    }

    Rows query(const QString& sql) override {
        const Result r(PQexec(conn_, sql.toUtf8().constData()));
        return rowsOf(r.r);
    }

    // Text values go untyped, so the server reads them as it reads a quoted
    // literal (a number column takes '12'); numbers are typed as their
    // literals would be.
    std::optional<Rows> queryBound(const QString& sql,
                                   const std::vector<vrt::Variant>& values) override {
        return bound(sql, values, true);
    }

    QString prepareError() const override { return prepareError_; }

    // A call with its arguments untyped, as literals are: the function's
    // own parameter types decide.
    Rows call(const ProcedureCall& call, const ProcedureInfo& info) override {
        // The call's text is made once per function and argument count.
        QString& sql = callTexts_[info.body + QLatin1Char('.') + call.name + QLatin1Char('/') +
                                  QString::number(call.args.size()) +
                                  (info.returnsRows ? QLatin1Char('r') : QLatin1Char('v'))];
        if (sql.isEmpty()) {
            sql = info.returnsRows ? QStringLiteral("SELECT * FROM ") : QStringLiteral("SELECT ");
            sql += info.body + QLatin1Char('.') + call.name.toLower() + QLatin1Char('(');
            for (size_t i = 0; i < call.args.size(); ++i)
                sql += (i ? QStringLiteral(",$") : QStringLiteral("$")) + QString::number(i + 1);
            sql += QLatin1Char(')');
        }
        std::optional<Rows> rows = bound(sql, call.args, false);
        if (!rows)
            raiseStatement(QStringLiteral("[PostgreSQL] ") + prepareError_);
        if (!info.returnsRows)
            return Rows{};
        return std::move(*rows);
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
        schemaChanged();
    }

    // A failed statement aborts the transaction; the save then rolls it
    // back whole, so no statement needs a savepoint of its own.
    // The transaction's settings travel with its BEGIN, as quoted literals
    // (the only way to send two statements at once), so they cost no round
    // trip of their own. A failure leaves no transaction open.
    void begin(const Settings& settings) override {
        if (settings.empty()) {
            command("BEGIN");
            return;
        }
        QByteArray sql = "BEGIN; SELECT ";
        for (size_t i = 0; i < settings.size(); ++i) {
            if (i)
                sql += ", ";
            sql += "set_config(" + literal(settings[i].first) + ", " + literal(settings[i].second) +
                   ", true)";
        }
        const Result r(PQexec(conn_, sql.constData()));
        if (PQresultStatus(r.r) == PGRES_TUPLES_OK)
            return;
        const QString why = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
        const char* state = PQresultErrorField(r.r, PG_DIAG_SQLSTATE);
        const QString code = QString::fromLatin1(state ? state : "");
        rollback();
        failWith(why, code);
    }
    void commit() override { command("COMMIT"); }
    // A lost connection took its transaction with it.
    void rollback() override {
        if (PQstatus(conn_) == CONNECTION_OK)
            PQclear(PQexec(conn_, "ROLLBACK"));
    }
    void relaxCommit() override { command("SET LOCAL synchronous_commit = off"); }

    void lockKey(const QString& key) override {
        if (!bound(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(lower($1)))"),
                   {vrt::Variant(key)}, false))
            raiseStatement(QStringLiteral("[PostgreSQL] ") + prepareError_);
    }

    int preparedCount() const override { return static_cast<int>(prepared_.size()); }

    bool dropped() override {
        // Qt's driver closes the database itself once it has seen the
        // connection fail.
        if (!db_.isOpen() || !conn_)
            return true;
        // Between statements nothing is due from the server: anything to
        // read is its goodbye (or a notice), and reading it shows whether
        // the connection ended.
        for (int i = 0; i < 4 && PQstatus(conn_) == CONNECTION_OK; ++i) {
            pollfd p{PQsocket(conn_), POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0)
                break;
            if (!PQconsumeInput(conn_))
                break;
        }
        return PQstatus(conn_) != CONNECTION_OK;
    }

private:
    PGconn* handle() const {
        const QVariant h = db_.driver()->handle();
        const bool libpq = h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 ||
                                           qstrcmp(h.typeName(), "pg_conn*") == 0);
        return libpq ? *static_cast<PGconn* const*>(h.constData()) : nullptr;
    }

    void command(const char* sql) {
        const Result r(PQexec(conn_, sql));
        rowsOf(r.r);
    }

    // Runs sql prepared once per text (and typing) on this connection. A
    // text the server will not prepare is refused before anything ran; in a
    // transaction the refusal is undone to a savepoint, so the transaction
    // goes on.
    std::optional<Rows> bound(const QString& sql, const std::vector<vrt::Variant>& values,
                              bool typedNumbers, bool retried = false) {
        const int n = static_cast<int>(values.size());
        QString key = sql;
        if (typedNumbers) {
            key += QChar(0);
            for (const vrt::Variant& v : values)
                key += QChar(typeOf(v) + 1);
        }
        auto it = prepared_.find(key);
        if (it == prepared_.end()) {
            std::vector<Oid> types(static_cast<size_t>(n), 0);
            if (typedNumbers)
                for (int i = 0; i < n; ++i)
                    types[static_cast<size_t>(i)] = typeOf(values[static_cast<size_t>(i)]);
            const QByteArray name = "vantrel_" + QByteArray::number(++statements_);
            const bool inTransaction = PQtransactionStatus(conn_) == PQTRANS_INTRANS;
            if (inTransaction)
                command("SAVEPOINT vantrel_prepare");
            const Result r(PQprepare(conn_, name.constData(), sql.toUtf8().constData(), n,
                                     n ? types.data() : nullptr));
            if (PQresultStatus(r.r) != PGRES_COMMAND_OK) {
                if (PQstatus(conn_) != CONNECTION_OK)
                    rowsOf(r.r); // raises: the connection was lost
                prepareError_ = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
                if (inTransaction)
                    command("ROLLBACK TO SAVEPOINT vantrel_prepare; "
                            "RELEASE SAVEPOINT vantrel_prepare");
                return std::nullopt;
            }
            if (inTransaction)
                command("RELEASE SAVEPOINT vantrel_prepare");
            it = prepared_.insert(key, Prepared{name, {}, false});
        }
        std::vector<QByteArray> texts(static_cast<size_t>(n));
        std::vector<const char*> pointers(static_cast<size_t>(n), nullptr);
        for (int i = 0; i < n; ++i) {
            const vrt::Variant& v = values[static_cast<size_t>(i)];
            if (v.type() == vrt::VarType::Null || v.type() == vrt::VarType::Empty)
                continue;
            texts[static_cast<size_t>(i)] = parameterText(v);
            pointers[static_cast<size_t>(i)] = texts[static_cast<size_t>(i)].constData();
        }
        const Result r(PQexecPrepared(conn_, it->name.constData(), n, n ? pointers.data() : nullptr,
                                      nullptr, nullptr, 0));
        // A table changed under a kept "select *": outside a transaction
        // nothing was lost, and it is prepared afresh.
        const char* state = PQresultErrorField(r.r, PG_DIAG_SQLSTATE);
        if (state && qstrcmp(state, "0A000") == 0 && PQtransactionStatus(conn_) == PQTRANS_IDLE &&
            !retried) {
            PQclear(PQexec(conn_, ("DEALLOCATE " + it->name).constData()));
            prepared_.remove(key);
            return bound(sql, values, typedNumbers, true);
        }
        return rowsOf(r.r, &*it);
    }

    void schemaChanged() override {
        if (prepared_.isEmpty())
            return;
        PQclear(PQexec(conn_, "DEALLOCATE ALL"));
        prepared_.clear();
    }

    // A string literal the server reads back exactly, quoted for this
    // connection's encoding and settings.
    QByteArray literal(const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        char* quoted = PQescapeLiteral(conn_, utf8.constData(), static_cast<size_t>(utf8.size()));
        if (!quoted)
            failWith(QString::fromUtf8(PQerrorMessage(conn_)).trimmed(), QString());
        const QByteArray result(quoted);
        PQfreemem(quoted);
        return result;
    }

    static Oid typeOf(const vrt::Variant& v) {
        switch (v.type()) {
        case vrt::VarType::Integer:
        case vrt::VarType::Long:
            return int4Oid;
        case vrt::VarType::Double:
            return numericOid;
        default:
            return 0;
        }
    }

    // The rows of a result, or its error raised. A prepared statement's
    // column names are made once.
    Rows rowsOf(PGresult* r, Prepared* prepared = nullptr) {
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_COMMAND_OK || status == PGRES_EMPTY_QUERY)
            return Rows{};
        if (status != PGRES_TUPLES_OK)
            fail(r);
        Rows rows;
        rows.hasRows = true;
        const int columns = PQnfields(r);
        const int count = PQntuples(r);
        std::vector<Oid> types(static_cast<size_t>(columns));
        const bool known = prepared && prepared->described && prepared->columns.size() == columns;
        if (known)
            rows.columns = prepared->columns;
        for (int c = 0; c < columns; ++c) {
            if (!known)
                rows.columns << QString::fromUtf8(PQfname(r, c));
            types[static_cast<size_t>(c)] = PQftype(r, c);
        }
        if (prepared && !known) {
            prepared->columns = rows.columns;
            prepared->described = true;
        }
        rows.data.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            std::vector<vrt::Variant> row;
            row.reserve(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(r, i, c))
                    row.push_back(vrt::Variant::null());
                else
                    row.push_back(fromText(PQgetvalue(r, i, c), PQgetlength(r, i, c),
                                           types[static_cast<size_t>(c)]));
            }
            rows.data.push_back(std::move(row));
        }
        return rows;
    }

    [[noreturn]] void fail(PGresult* r) {
        const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        failWith(QString::fromUtf8(PQerrorMessage(conn_)).trimmed(),
                 QString::fromLatin1(state ? state : ""));
    }

    [[noreturn]] void fail(const QSqlQuery& q) { failConnection(q.lastError()); }

    [[noreturn]] void failConnection(const QSqlError& error) {
        QString why = error.databaseText().trimmed();
        if (why.isEmpty())
            why = error.text().trimmed();
        failWith(why, error.nativeErrorCode());
    }

    [[noreturn]] void failWith(const QString& why, const QString& code) {
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
        if (!db_.isOpen() || !conn_ || PQstatus(conn_) != CONNECTION_OK ||
            code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")))
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

    QSqlDatabase db_;
    int lockMs_;
    int commandMs_;
    PGconn* conn_ = nullptr;
    struct Prepared {
        QByteArray name;
        QStringList columns; // its result's names, read on first use
        bool described = false;
    };
    QHash<QString, Prepared> prepared_; // by text (and typing)
    QHash<QString, QString> callTexts_; // schema.function/argument count: its call
    qint64 statements_ = 0;
    QString prepareError_;
};

} // namespace

std::unique_ptr<Engine> makePostgresEngine(QSqlDatabase db, int lockTimeoutMs,
                                           int commandTimeoutMs) {
    return std::make_unique<PostgresEngine>(std::move(db), lockTimeoutMs, commandTimeoutMs);
}

} // namespace ado::detail
