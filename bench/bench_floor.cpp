// The library's saves, log-book read and spool beside their floor: the same
// statements through the database's own C interface (sqlite3, libpq),
// prepared once and run in one transaction. Both sides run in one process,
// in interleaved rounds; the medians of the rounds are compared, wall time
// and the process's CPU time. SQLite databases live under TMPDIR (on disk);
// the PostgreSQL rows need VANTREL_BENCH_PG, a connection string to a
// database of its own (given the laboratory on first use).
//
// bench_floor [rounds] [jobs a side per round] [only the rows whose name holds this]

#include "dbsetup/dbsetup.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/dialect.h"
#include "platform/ado/recordset.h"
#include "platform/runtime/errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringBuilder>
#include <QSysInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <functional>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>

namespace {

const QString employee = QStringLiteral("MT01");
const QString urinalysisRequest = QStringLiteral("LR26-0006");
const QString panelRequest = QStringLiteral("LR26-0009");

// The statements of one job as the library writes them; each round
// alternates between two sets of values, so every save changes results.
using Job = std::function<QStringList(int variant)>;

QStringList urinalysisSave(int variant) {
    const QString r = urinalysisRequest;
    const QStringList entry{
        "100288",    "IPD26-00880", "35",        "CM", "PEDIA-4", "12/2/2026 7:50:00 AM",
        "12/6/2026", "D104",        "H",         "0",  "MT01",    "80",
        "I",         "35",          "CH-260483", r,    "1",       "MT01"};
    QString codes = QStringLiteral("Laboratory..Lab_Save_HCodes 1, '") + r + QStringLiteral("','");
    const QStringList findings{variant ? "AMBER" : "YELLOW",
                               "CLEAR",
                               "NEGATIVE",
                               "NONE",
                               "NONE",
                               "0-1/HPF",
                               "RARE",
                               "NONE",
                               "NONE SEEN",
                               "FEW",
                               "NONE SEEN",
                               "NONE SEEN",
                               "NONE",
                               "NONE SEEN",
                               "NONE SEEN",
                               "NONE SEEN",
                               "NONE SEEN",
                               "NONE SEEN"};
    for (const QString& f : findings)
        codes += f + QStringLiteral("', '");
    codes += QStringLiteral("','NORMAL','12/6/2026','09:15:00 AM','','','','','','','','','','',"
                            "'Repeat after treatment.'");
    return {QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") + r +
                QStringLiteral("'"),
            QStringLiteral("laboratory..LAB_Save_VerifyResults '") + r + QStringLiteral("','") +
                employee + QStringLiteral("'"),
            QStringLiteral("laboratory..LAB_SaveResultEntry '") +
                entry.join(QStringLiteral("','")) + QStringLiteral("'"),
            codes};
}

QStringList panelSave(int variant) {
    QStringList s;
    for (int i = 0; i < 20; ++i) {
        s << QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") +
                 panelRequest + QStringLiteral("'");
        s << QStringLiteral("laboratory..LAB_Save_VerifyResults '") + panelRequest +
                 QStringLiteral("','") + employee + QStringLiteral("'");
        s << QStringLiteral("LABORATORY..LAB_Save_EditResultEntries '%1','P%2','0','70','110',"
                            "'mg/dL','%3','','','','','','0','0','','','','','','','','','','0',"
                            "'','','','','0', '0',''")
                 .arg(panelRequest)
                 .arg(i)
                 .arg(variant ? QStringLiteral("96") : QStringLiteral("95"));
    }
    return s;
}

// Line i of spool job n: new text in every job (the patient, the results).
QString spoolLine(int job, int i) {
    return QStringLiteral("JOB %1 LINE %2  DELA CRUZ, JUAN  GLUCOSE  %3 mg/dL")
        .arg(job)
        .arg(i)
        .arg(70 + (job * 7 + i) % 50);
}

// 52 report lines as the spool writes them (composed as Insert_PrintLine
// composes them).
QStringList spoolJob(int job) {
    QStringList s{QStringLiteral("truncate table LABORATORY..tbLabPrint")};
    for (int i = 1; i <= 52; ++i)
        s << QLatin1String("insert into LABORATORY..tbLabPrint (RowNum, RowLine) values ('") %
                 QString::number(i) % QLatin1String("','") % spoolLine(job, i) %
                 QLatin1String("')");
    return s;
}

// The floor binds the same values straight away.
template <typename Floor> void bindSpool(Floor& f, int job) {
    for (int i = 1; i <= 52; ++i)
        f.raw[static_cast<size_t>(i)].values[0] = {vrt::Variant(QString::number(i)),
                                                   vrt::Variant(spoolLine(job, i))};
}

ado::Connection::TransactionContext context() {
    return {{QStringLiteral("LABORATORY.employee"), employee},
            {QStringLiteral("LABORATORY.medtech"), employee},
            {QStringLiteral("LABORATORY.workstation"), QStringLiteral("BENCH-01")}};
}

// How a job runs through the library.
enum class Kind { Save, Read, Spool };

void runLibrary(ado::Connection& c, Kind kind, const QStringList& statements,
                const QString& lockKey) {
    if (kind == Kind::Read) {
        ado::Recordset rs;
        rs.Open(statements[0], c, 2, 1);
        for (; !rs.eof(); rs.MoveNext())
            for (int f = 0; f < rs.FieldCount(); ++f)
                benchmark::DoNotOptimize(rs.Fields(f).Value);
        return;
    }
    if (kind == Kind::Spool)
        c.BeginRelaxedTrans();
    else
        c.BeginTrans();
    if (!lockKey.isEmpty())
        c.lockKey(lockKey);
    for (const QString& s : statements) {
        const auto rs = c.Execute(s);
        if (rs->State() == ado::adStateOpen)
            for (; !rs->eof(); rs->MoveNext())
                for (int f = 0; f < rs->FieldCount(); ++f)
                    benchmark::DoNotOptimize(rs->Fields(f).Value);
    }
    c.CommitTrans();
    if (kind == Kind::Spool)
        c.endRelaxed();
}

// A statement of the floor: the backend's SQL with its values (a procedure
// as its body on SQLite, its function on PostgreSQL).
struct RawStatement {
    QString sql;
    std::vector<vrt::Variant> values[2];
};

[[noreturn]] void die(const QString& why) {
    std::fprintf(stderr, "bench_floor: %s\n", qPrintable(why));
    std::exit(1);
}

// The floor's statements of a job, translated before anything is timed.
std::vector<RawStatement>
rawStatements(ado::Connection& c, const Job& job,
              const std::function<QString(const ado::ProcedureCall&)>& procedureSql) {
    std::vector<RawStatement> out;
    const QStringList a = job(0), b = job(1);
    for (qsizetype i = 0; i < a.size(); ++i) {
        const auto isProc = [&c](const QString& db, const QString& name) {
            return c.isProcedure(db, name);
        };
        const ado::StatementShape shape =
            ado::shapeOf(a[i], c.backend(), c.currentDatabase(), isProc);
        RawStatement r;
        const ado::ScannedStatement sa = ado::scan(a[i]), sb = ado::scan(b[i]);
        if (shape.call) {
            r.sql = procedureSql(*shape.call);
            r.values[0] = ado::callArguments(shape, sa.values);
            r.values[1] = ado::callArguments(shape, sb.values);
        } else {
            r.sql = shape.sql;
            r.values[0] = sa.values;
            r.values[1] = sb.values;
        }
        out.push_back(std::move(r));
    }
    return out;
}

// ---- SQLite through sqlite3 ----

struct SqliteFloor {
    sqlite3* db = nullptr;
    struct Prepared {
        sqlite3_stmt* stmt;
        std::vector<std::pair<int, int>> parameters; // index, argument (-1: count)
    };
    std::vector<std::vector<Prepared>> statements; // per RawStatement
    std::vector<RawStatement> raw;

    explicit SqliteFloor(const QString& folder) {
        // The three files attached to one connection, as the library has them.
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            die(QStringLiteral("cannot open %1").arg(folder));
        sqlite3_busy_timeout(db, 5000);
        sqlite3_create_function_v2(db, "lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   &lowerText, nullptr, nullptr, nullptr);
        for (const char* name : {"LABORATORY", "patient_data", "build_file"})
            exec(QStringLiteral("ATTACH DATABASE '%1/%2.db' AS %2").arg(folder, name));
        for (const char* name : {"LABORATORY", "patient_data", "build_file"})
            exec(QStringLiteral("PRAGMA %1.synchronous = FULL").arg(name));
    }
    ~SqliteFloor() {
        for (auto& list : statements)
            for (Prepared& p : list)
                sqlite3_finalize(p.stmt);
        sqlite3_close(db);
    }
    static void lowerText(sqlite3_context* context, int, sqlite3_value** argv) {
        const unsigned char* text = sqlite3_value_text(argv[0]);
        if (!text) {
            sqlite3_result_null(context);
            return;
        }
        const QByteArray lowered =
            QString::fromUtf8(reinterpret_cast<const char*>(text), sqlite3_value_bytes(argv[0]))
                .toLower()
                .toUtf8();
        sqlite3_result_text(context, lowered.constData(), static_cast<int>(lowered.size()),
                            SQLITE_TRANSIENT);
    }
    void exec(const QString& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
            die(QString::fromUtf8(message ? message : "?") + QStringLiteral(" in ") + sql);
    }
    QString body(const ado::ProcedureCall& call) {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql =
            QStringLiteral("SELECT body FROM %1.vantrel_procedures WHERE name = ?1")
                .arg(call.database)
                .toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        const QByteArray name = call.name.toUtf8();
        sqlite3_bind_text(stmt, 1, name.constData(), -1, SQLITE_TRANSIENT);
        QString text;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        if (text.isEmpty())
            die(QStringLiteral("no procedure ") + call.name);
        return text;
    }
    void prepare(std::vector<RawStatement> list) {
        raw = std::move(list);
        for (const RawStatement& r : raw) {
            std::vector<Prepared> prepared;
            const QByteArray utf8 = r.sql.toUtf8();
            const char* tail = utf8.constData();
            while (tail && *tail) {
                sqlite3_stmt* stmt = nullptr;
                if (sqlite3_prepare_v3(db, tail, -1, SQLITE_PREPARE_PERSISTENT, &stmt, &tail) !=
                    SQLITE_OK)
                    die(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" in ") + r.sql);
                if (!stmt)
                    continue;
                Prepared p{stmt, {}};
                for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i) {
                    const char* name = sqlite3_bind_parameter_name(stmt, i);
                    const int n = name ? std::atoi(name + 1) : i;
                    p.parameters.emplace_back(i, n == 999 ? -1 : n);
                }
                prepared.push_back(std::move(p));
            }
            statements.push_back(std::move(prepared));
        }
    }
    void run(int variant) {
        for (size_t i = 0; i < raw.size(); ++i) {
            const std::vector<vrt::Variant>& values = raw[i].values[variant];
            for (Prepared& p : statements[i]) {
                for (const auto& [index, n] : p.parameters) {
                    if (n < 0) {
                        sqlite3_bind_int(p.stmt, index, static_cast<int>(values.size()));
                        continue;
                    }
                    if (n > static_cast<int>(values.size()))
                        continue;
                    const vrt::Variant& v = values[static_cast<size_t>(n - 1)];
                    if (v.isNull())
                        sqlite3_bind_null(p.stmt, index);
                    else if (v.type() == vrt::VarType::Double)
                        sqlite3_bind_double(p.stmt, index, v.toDouble());
                    else if (v.type() == vrt::VarType::Long || v.type() == vrt::VarType::Integer)
                        sqlite3_bind_int64(p.stmt, index, v.toLong());
                    else {
                        const QByteArray text = v.toString().toUtf8();
                        sqlite3_bind_text(p.stmt, index, text.constData(),
                                          static_cast<int>(text.size()), SQLITE_TRANSIENT);
                    }
                }
                int rc;
                while ((rc = sqlite3_step(p.stmt)) == SQLITE_ROW)
                    for (int c = 0; c < sqlite3_column_count(p.stmt); ++c)
                        benchmark::DoNotOptimize(sqlite3_column_text(p.stmt, c));
                if (rc != SQLITE_DONE)
                    die(QString::fromUtf8(sqlite3_errmsg(db)));
                sqlite3_reset(p.stmt);
                sqlite3_clear_bindings(p.stmt);
            }
        }
    }
};

// ---- PostgreSQL through libpq ----

struct PostgresFloor {
    PGconn* conn = nullptr;
    std::vector<RawStatement> raw;
    std::vector<QByteArray> names;

    explicit PostgresFloor(const QString& connectionString) {
        const auto cs = ado::ConnectionString::parse(connectionString);
        const QString info =
            QStringLiteral("host='%1' port='%2' dbname='%3' user='%4' password='%5'")
                .arg(cs.value({QStringLiteral("Server"), QStringLiteral("Host")},
                              QStringLiteral("localhost")),
                     cs.value(QStringLiteral("Port"), QStringLiteral("5432")),
                     cs.value(QStringLiteral("Database")),
                     cs.value({QStringLiteral("User ID"), QStringLiteral("UID")}),
                     cs.value({QStringLiteral("Password"), QStringLiteral("PWD")}));
        conn = PQconnectdb(info.toUtf8().constData());
        if (PQstatus(conn) != CONNECTION_OK)
            die(QString::fromUtf8(PQerrorMessage(conn)));
        command("SET search_path TO laboratory, public");
        for (const auto& [name, sql] :
             {std::pair<const char*, const char*>{
                  "floor_lock", "SELECT pg_advisory_xact_lock(hashtext(lower($1)))"},
              {"floor_context", "SELECT set_config($1, $2, true), set_config($3, $4, true), "
                                "set_config($5, $6, true)"}})
            PQclear(PQprepare(conn, name, sql, 0, nullptr));
    }
    ~PostgresFloor() { PQfinish(conn); }
    void setContext() {
        const char* who[] = {"laboratory.employee",    "MT01",    "laboratory.medtech", "MT01",
                             "laboratory.workstation", "BENCH-01"};
        PQclear(PQexecPrepared(conn, "floor_context", 6, who, nullptr, nullptr, 0));
    }
    void command(const char* sql) {
        PGresult* r = PQexec(conn, sql);
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
            die(QString::fromUtf8(PQerrorMessage(conn)) + QStringLiteral(" in ") +
                QString::fromUtf8(sql));
        PQclear(r);
    }
    QString function(const ado::ProcedureCall& call) {
        QString sql = QStringLiteral("SELECT * FROM %1.%2(")
                          .arg(call.database.toLower(), call.name.toLower());
        for (size_t i = 0; i < call.args.size(); ++i)
            sql += (i ? QStringLiteral(",$") : QStringLiteral("$")) + QString::number(i + 1);
        return sql + QLatin1Char(')');
    }
    void prepare(std::vector<RawStatement> list) {
        raw = std::move(list);
        for (const RawStatement& r : raw) {
            // Text untyped, numbers as their literals: as the library binds.
            std::vector<Oid> types;
            for (const vrt::Variant& v : r.values[0])
                types.push_back(
                    v.type() == vrt::VarType::Double                                      ? 1700
                    : v.type() == vrt::VarType::Long || v.type() == vrt::VarType::Integer ? 23
                                                                                          : 0);
            if (r.sql.contains(QLatin1String("SELECT * FROM")))
                std::fill(types.begin(), types.end(), 0);
            const QByteArray name = "floor_" + QByteArray::number(names.size());
            PGresult* p = PQprepare(conn, name.constData(), r.sql.toUtf8().constData(),
                                    static_cast<int>(types.size()), types.data());
            if (PQresultStatus(p) != PGRES_COMMAND_OK)
                die(QString::fromUtf8(PQerrorMessage(conn)) + QStringLiteral(" in ") + r.sql);
            PQclear(p);
            names.push_back(name);
        }
    }
    void run(int variant) {
        for (size_t i = 0; i < raw.size(); ++i) {
            const std::vector<vrt::Variant>& values = raw[i].values[variant];
            std::vector<QByteArray> texts;
            std::vector<const char*> pointers;
            texts.reserve(values.size());
            for (const vrt::Variant& v : values) {
                texts.push_back(
                    v.type() == vrt::VarType::Double
                        ? QByteArray::number(v.toDouble(), 'g', QLocale::FloatingPointShortest)
                        : v.toString().toUtf8());
                pointers.push_back(v.isNull() ? nullptr : texts.back().constData());
            }
            PGresult* r =
                PQexecPrepared(conn, names[i].constData(), static_cast<int>(values.size()),
                               pointers.data(), nullptr, nullptr, 0);
            if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
                die(QString::fromUtf8(PQerrorMessage(conn)) + QStringLiteral(" in ") + raw[i].sql);
            for (int row = 0; row < PQntuples(r); ++row)
                for (int c = 0; c < PQnfields(r); ++c)
                    benchmark::DoNotOptimize(PQgetvalue(r, row, c));
            PQclear(r);
        }
    }
};

// ---- the rounds ----

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
double wallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Timing {
    std::vector<double> wall, cpu; // per job, one entry per round
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs library and floor jobs in alternating order, iterations each per
// round; job(n) runs the n-th job of its side.
QString only; // rows whose name holds this text (the third argument)

void compare(const char* name, int rounds, int iterations, const std::function<void(int)>& library,
             const std::function<void(int)>& floor) {
    if (!QString::fromLatin1(name).contains(only))
        return;
    Timing lib, raw;
    int n = 0, m = 0;
    library(n++); // first use: preparing and caching
    floor(m++);
    for (int round = 0; round < rounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            const bool libraryNow = (round + side) % 2 == 0;
            const double w0 = wallSeconds(), c0 = cpuSeconds();
            for (int i = 0; i < iterations; ++i)
                libraryNow ? library(n++) : floor(m++);
            Timing& t = libraryNow ? lib : raw;
            t.wall.push_back((wallSeconds() - w0) / iterations * 1e6);
            t.cpu.push_back((cpuSeconds() - c0) / iterations * 1e6);
        }
    }
    const double lw = median(lib.wall), fw = median(raw.wall);
    const double lc = median(lib.cpu), fc = median(raw.cpu);
    std::printf("%-34s %9.1f %9.1f %6.2f   %9.1f %9.1f %6.2f\n", name, lw, fw, lw / fw, lc, fc,
                lc / fc);
    std::fflush(stdout);
}

struct Side {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ado::Connection> c;
};

Side sqliteLaboratory() {
    Side s;
    s.dir = std::make_unique<QTemporaryDir>();
    dbsetup::createFolder(s.dir->path(), true);
    s.c = std::make_unique<ado::Connection>();
    s.c->Open(dbsetup::folderConnectionString(s.dir->path()));
    s.c->setTransactionContext(context);
    return s;
}

// The floor's part of a save: the transaction with who and where, the
// request's lock (PostgreSQL), the statements, the commit.
void sqliteSave(SqliteFloor& f, int variant, sqlite3_stmt* context, sqlite3_stmt* clear) {
    f.exec(QStringLiteral("BEGIN IMMEDIATE"));
    const QByteArray values[] = {"employee",        employee.toUtf8(), "medtech",
                                 employee.toUtf8(), "workstation",     "BENCH-01"};
    for (int i = 0; i < 6; ++i)
        sqlite3_bind_text(context, i + 1, values[i].constData(), -1, SQLITE_TRANSIENT);
    sqlite3_step(context);
    sqlite3_reset(context);
    f.run(variant);
    sqlite3_step(clear);
    sqlite3_reset(clear);
    f.exec(QStringLiteral("COMMIT"));
}

// Who and where, written at the start of each transaction and removed at
// its end, as the library does for the audit trail's triggers.
void prepareContext(SqliteFloor& f, sqlite3_stmt** context, sqlite3_stmt** clear) {
    sqlite3_prepare_v3(f.db,
                       "INSERT OR REPLACE INTO LABORATORY.transaction_context (name, value) "
                       "VALUES (?1, ?2), (?3, ?4), (?5, ?6)",
                       -1, SQLITE_PREPARE_PERSISTENT, context, nullptr);
    sqlite3_prepare_v3(f.db, "DELETE FROM LABORATORY.transaction_context", -1,
                       SQLITE_PREPARE_PERSISTENT, clear, nullptr);
}

void sqliteRows(int rounds, int iterations) {
    for (const auto& [label, job] :
         {std::pair<const char*, Job>{"urinalysis save, SQLite", urinalysisSave},
          {"20-exam panel save, SQLite", panelSave}}) {
        Side lib = sqliteLaboratory(), floorSide = sqliteLaboratory();
        SqliteFloor f(floorSide.dir->path());
        f.prepare(
            rawStatements(*lib.c, job, [&f](const ado::ProcedureCall& c) { return f.body(c); }));
        sqlite3_stmt *context = nullptr, *clear = nullptr;
        prepareContext(f, &context, &clear);
        const QStringList statements[] = {job(0), job(1)};
        compare(
            label, rounds, iterations,
            [&](int n) { runLibrary(*lib.c, Kind::Save, statements[n % 2], QString()); },
            [&](int n) { sqliteSave(f, n % 2, context, clear); });
        sqlite3_finalize(context);
        sqlite3_finalize(clear);
    }
    // The spool: new text in every job.
    Side lib = sqliteLaboratory(), floorSide = sqliteLaboratory();
    SqliteFloor f(floorSide.dir->path());
    const std::vector<RawStatement> shapes =
        rawStatements(*lib.c, spoolJob, [](const ado::ProcedureCall&) { return QString(); });
    f.prepare(shapes);
    sqlite3_stmt *context = nullptr, *clear = nullptr;
    prepareContext(f, &context, &clear);
    compare(
        "spool 52 new lines, SQLite", rounds, iterations,
        [&](int n) { runLibrary(*lib.c, Kind::Spool, spoolJob(n), QString()); },
        [&](int n) {
            f.exec(QStringLiteral("PRAGMA LABORATORY.synchronous = NORMAL"));
            bindSpool(f, n);
            sqliteSave(f, 0, context, clear);
            f.exec(QStringLiteral("PRAGMA LABORATORY.synchronous = FULL"));
        });
    sqlite3_finalize(context);
    sqlite3_finalize(clear);
}

void postgresRows(int rounds, int iterations) {
    const QString cs = qEnvironmentVariable("VANTREL_BENCH_PG");
    if (cs.isEmpty()) {
        std::printf("(PostgreSQL rows skipped: VANTREL_BENCH_PG names no database)\n");
        return;
    }
    ado::Connection c;
    c.Open(cs);
    if (!dbsetup::hasLaboratory(c))
        dbsetup::createLaboratory(c, true);
    c.setTransactionContext(context);
    const auto save = [&](PostgresFloor& floor, int variant, const QString& key) {
        floor.command("BEGIN");
        floor.setContext();
        const QByteArray k = key.toUtf8();
        const char* kv[] = {k.constData()};
        PQclear(PQexecPrepared(floor.conn, "floor_lock", 1, kv, nullptr, nullptr, 0));
        floor.run(variant);
        floor.command("COMMIT");
    };
    for (const auto& [label, job, key] :
         {std::tuple<const char*, Job, QString>{"urinalysis save, PostgreSQL", urinalysisSave,
                                                urinalysisRequest},
          {"20-exam panel save, PostgreSQL", panelSave, panelRequest}}) {
        PostgresFloor floor(cs);
        floor.prepare(rawStatements(
            c, job, [&floor](const ado::ProcedureCall& p) { return floor.function(p); }));
        const QStringList statements[] = {job(0), job(1)};
        compare(
            label, rounds, iterations,
            [&](int n) { runLibrary(c, Kind::Save, statements[n % 2], key); },
            [&](int n) { save(floor, n % 2, key); });
    }
    // The log book read request after request.
    QStringList requests;
    for (auto rs = c.Execute(QStringLiteral("select RequestNum from laboratory..tblablogbook"));
         !rs->eof(); rs->MoveNext())
        requests << rs->Fields(0).Value.toString();
    const auto read = [&requests](int n) {
        return QStringList{
            QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") +
            requests[n % requests.size()] + QStringLiteral("'")};
    };
    PostgresFloor reader(cs);
    reader.prepare(rawStatements(c, read, [](const ado::ProcedureCall&) { return QString(); }));
    compare(
        "log-book read, PostgreSQL", rounds, iterations * 10,
        [&](int n) { runLibrary(c, Kind::Read, read(n), QString()); },
        [&](int n) {
            reader.raw[0].values[0] = {vrt::Variant(requests[n % requests.size()])};
            reader.run(0);
        });
    // The spool.
    PostgresFloor spooler(cs);
    spooler.prepare(
        rawStatements(c, spoolJob, [](const ado::ProcedureCall&) { return QString(); }));
    compare(
        "spool 52 new lines, PostgreSQL", rounds, iterations,
        [&](int n) { runLibrary(c, Kind::Spool, spoolJob(n), QString()); },
        [&](int n) {
            spooler.command("BEGIN");
            spooler.command("SET LOCAL synchronous_commit = off");
            spooler.setContext();
            bindSpool(spooler, n);
            spooler.run(0);
            spooler.command("COMMIT");
        });
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    const int iterations = argc > 2 ? std::atoi(argv[2]) : 20;
    only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    QFile load(QStringLiteral("/proc/loadavg"));
    load.open(QIODevice::ReadOnly);
    std::printf("load average %s", load.readAll().constData());
    std::printf("%d rounds of %d jobs a side; medians of the rounds, microseconds per job\n",
                rounds, iterations);
    std::printf("%-34s %9s %9s %6s   %9s %9s %6s\n", "", "wall", "floor", "ratio", "CPU", "floor",
                "ratio");
    try {
        sqliteRows(rounds, iterations);
        postgresRows(rounds, iterations);
    } catch (const vrt::RuntimeError& e) {
        die(e.description());
    }
    return 0;
}
