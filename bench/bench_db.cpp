// The data-access layer against direct Qt SQL: one save of a coded result
// form (embedded database in write-ahead-log and rollback-journal mode side
// by side; a PostgreSQL server when VANTREL_BENCH_PG holds a connection
// string to a database of its own), and a request lookup in a small and a
// large log book. A 20-exam panel and a urinalysis save on a database with
// the audit trail, beside the same saves on one of the schema before it.
// TMPDIR picks the disk the embedded databases live on.

#include "benchsupport.h"

#include "dbsetup/dbsetup.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/recordset.h"
#include "platform/runtime/errors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

namespace {

struct Laboratory {
    QTemporaryDir dir;
    ado::Connection c;
    explicit Laboratory(bool demo) {
        dbsetup::createFolder(dir.path(), demo);
        c.Open(dbsetup::folderConnectionString(dir.path()));
    }
};

const QString request = QStringLiteral("LR26-0006");
const QString employee = QStringLiteral("MT01");

const QStringList entryValues{
    "100288",    "IPD26-00880", "35",        "CM",    "PEDIA-4", "12/2/2026 7:50:00 AM",
    "12/6/2026", "D104",        "H",         "0",     "MT01",    "80",
    "I",         "35",          "CH-260483", request, "1",       "MT01"};

const QStringList findings{"BROWN",     "FORMED",    "NEGATIVE", "NONE",      "NONE",
                           "0-1/HPF",   "RARE",      "NONE",     "NONE SEEN", "ASCARIS OVA 2-4/LPF",
                           "NONE SEEN", "NONE SEEN", "NONE",     "NONE SEEN", "NONE SEEN",
                           "NONE SEEN", "NONE SEEN", "NONE SEEN"};
const QString interpretation = QStringLiteral("MODERATE ASCARIASIS");
const QString reportDate = QStringLiteral("12/6/2026");
const QString reportTime = QStringLiteral("09:15:00 AM");
const QString remarks = QStringLiteral("Repeat after treatment.");

// The 32 result values of the stool form, in the order it sends them.
QStringList codedValues() {
    return findings + QStringList{"", interpretation, reportDate, reportTime} +
           QStringList(10, QString(""));
}

// The statements as the forms write them.
struct Statements {
    QString logbook =
        QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") + request +
        QStringLiteral("'");
    QString verify = QStringLiteral("laboratory..LAB_Save_VerifyResults '") + request +
                     QStringLiteral("','") + employee + QStringLiteral("'");
    QString entry = QStringLiteral("laboratory..LAB_SaveResultEntry '") +
                    entryValues.join(QStringLiteral("','")) + QStringLiteral("'");
    QString codes;
    Statements() {
        codes =
            QStringLiteral("Laboratory..Lab_Save_HCodes 1, '") + request + QStringLiteral("','");
        for (const QString& f : findings)
            codes += f + QStringLiteral("', '");
        codes += QStringLiteral("','") + interpretation + QStringLiteral("','") + reportDate +
                 QStringLiteral("','") + reportTime +
                 QStringLiteral("','','','','','','','','','','','") + remarks +
                 QStringLiteral("'");
    }
};

// The form's save, one transaction, as the forms run it.
void save(ado::Connection& c, const Statements& s) {
    c.BeginTrans();
    ado::Recordset rs;
    rs.Open(s.logbook, c, 2, 1, -1);
    if (!rs.eof())
        c.Execute(s.verify);
    rs.Close();
    c.Execute(s.entry);
    c.Execute(s.codes);
    c.CommitTrans();
}

// Argument 1: write-ahead logging (what a connection sets up); 0: the
// rollback journal the files had before, both with full sync.
void BM_SaveThroughConnection(benchmark::State& state) {
    Laboratory lab(true);
    if (state.range(0) == 0)
        for (const char* db : {"LABORATORY", "patient_data", "build_file"})
            lab.c.runScript(QStringLiteral("PRAGMA %1.journal_mode = DELETE").arg(db));
    state.SetLabel(lab.c.Execute(QStringLiteral("PRAGMA LABORATORY.journal_mode"))
                       ->rows()[0][0]
                       .toString()
                       .toStdString());
    const Statements s;
    try {
        for (auto _ : state)
            save(lab.c, s);
    } catch (const vrt::RuntimeError& e) {
        state.SkipWithError(e.what());
    }
}

// The server: a database of its own, given the laboratory on first use.
std::unique_ptr<ado::Connection> serverConnection;
ado::Connection* server() {
    auto& c = serverConnection;
    const QString cs = qEnvironmentVariable("VANTREL_BENCH_PG");
    if (!c && !cs.isEmpty()) {
        c = std::make_unique<ado::Connection>();
        c->Open(cs);
        if (!dbsetup::hasLaboratory(*c))
            dbsetup::createLaboratory(*c, true);
    }
    return c.get();
}

void BM_SavePostgres(benchmark::State& state) {
    ado::Connection* c = server();
    if (!c) {
        state.SkipWithError("VANTREL_BENCH_PG names no PostgreSQL database");
        return;
    }
    const Statements s;
    try {
        for (auto _ : state)
            save(*c, s);
    } catch (const vrt::RuntimeError& e) {
        state.SkipWithError(e.what());
    }
}

// The same statements as prepared Qt PostgreSQL statements, kept.
void BM_SavePreparedQtPostgres(benchmark::State& state) {
    ado::Connection* c = server();
    if (!c) {
        state.SkipWithError("VANTREL_BENCH_PG names no PostgreSQL database");
        return;
    }
    QSqlDatabase db = c->database();
    QSqlQuery logbook(db), verify(db), entry(db), codes(db);
    logbook.setForwardOnly(true);
    const auto marks = [](int n) {
        QStringList m;
        for (int i = 0; i < n; ++i)
            m << QStringLiteral("?");
        return m.join(QLatin1Char(','));
    };
    if (!logbook.prepare(
            QStringLiteral("SELECT * FROM laboratory.tblablogbook WHERE RequestNum = ?")) ||
        !verify.prepare(QStringLiteral("SELECT laboratory.lab_save_verifyresults(?,?)")) ||
        !entry.prepare(
            QStringLiteral("SELECT laboratory.lab_saveresultentry(%1)").arg(marks(18))) ||
        !codes.prepare(QStringLiteral("SELECT laboratory.lab_save_hcodes(%1)").arg(marks(35)))) {
        state.SkipWithError("prepare failed");
        return;
    }
    const QStringList coded = codedValues();
    for (auto _ : state) {
        db.transaction();
        const bool found = readLogbook(logbook, request, state);
        if (state.error_occurred())
            break;
        verify.bindValue(0, request);
        verify.bindValue(1, employee);
        for (int i = 0; i < entryValues.size(); ++i)
            entry.bindValue(i, entryValues[i]);
        codes.bindValue(0, 1);
        codes.bindValue(1, request);
        for (int i = 0; i < coded.size(); ++i)
            codes.bindValue(i + 2, coded[i]);
        codes.bindValue(34, remarks);
        QSqlQuery* failed = nullptr;
        for (QSqlQuery* q : {found ? &verify : nullptr, &entry, &codes})
            if (q && !q->exec() && !failed)
                failed = q;
        if (failed) {
            state.SkipWithError(qPrintable(failed->lastError().text()));
            db.rollback();
            break;
        }
        db.commit();
    }
}

void bind(QSqlQuery& q, int position, const QVariant& value) {
    q.bindValue(QStringLiteral(":p%1").arg(position), value);
}

void BM_SavePreparedQt(benchmark::State& state) {
    Laboratory lab(true);
    QSqlDatabase db = lab.c.database();
    QSqlQuery logbook(db), verify(db), entry(db), codes(db);
    logbook.setForwardOnly(true);
    // The argument count of this call is fixed, so it is written in.
    const QString codesBody = procedureBody(db, QStringLiteral("lab_save_hcodes"))
                                  .replace(QStringLiteral(":p999"), QStringLiteral("35"));
    if (!logbook.prepare(
            QStringLiteral("SELECT * FROM LABORATORY.tblablogbook WHERE RequestNum = ?")) ||
        !verify.prepare(procedureBody(db, QStringLiteral("LAB_Save_VerifyResults"))) ||
        !entry.prepare(procedureBody(db, QStringLiteral("LAB_SaveResultEntry"))) ||
        !codes.prepare(codesBody)) {
        state.SkipWithError("prepare failed");
        return;
    }
    const QStringList coded = codedValues();
    for (auto _ : state) {
        db.transaction();
        const bool found = readLogbook(logbook, request, state);
        if (state.error_occurred())
            break;
        if (found) {
            bind(verify, 1, request);
            bind(verify, 2, employee);
        }
        for (int i = 0; i < entryValues.size(); ++i)
            bind(entry, i + 1, entryValues[i]);
        bind(codes, 1, 1);
        bind(codes, 2, request);
        for (int i = 0; i < coded.size(); ++i)
            bind(codes, i + 3, coded[i]);
        bind(codes, 35, remarks);
        QSqlQuery* failed = nullptr;
        for (QSqlQuery* q : {found ? &verify : nullptr, &entry, &codes})
            if (q && !q->exec() && !failed)
                failed = q;
        if (failed) {
            state.SkipWithError(qPrintable(failed->lastError().text()));
            db.rollback();
            break;
        }
        db.commit();
    }
}

QString requestNumber(int i) {
    return QStringLiteral("LR%1").arg(i, 7, 10, QLatin1Char('0'));
}

// A log book of n requests, made once per size.
ado::Connection& logbook(int n) {
    static std::map<int, std::unique_ptr<Laboratory>> made;
    auto& lab = made[n];
    if (!lab) {
        QElapsedTimer t;
        t.start();
        lab = std::make_unique<Laboratory>(false);
        lab->c.runScript(
            QStringLiteral(
                "BEGIN;"
                "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < %1) "
                "INSERT INTO LABORATORY.tblablogbook (RequestNum, HospNum, IDNum, PatientType, "
                "Age, RoomID, DoctorID, SectionID, TransDate, ResultDate, Verified) "
                "SELECT printf('LR%07d', i), printf('%06d', 100000 + i % 50000), "
                "printf('OPD26-%05d', i % 100000), 'O', '40', 'OPD', 'D101', 'CM', "
                "datetime('2026-01-01 08:00:00', printf('+%d minutes', i)), "
                "datetime('2026-01-01 08:00:00', printf('+%d minutes', i)), i % 2 FROM k;"
                "COMMIT;")
                .arg(n));
        std::fprintf(stderr, "log book of %d requests made in %.1f s\n", n, t.elapsed() / 1000.0);
    }
    return lab->c;
}

void BM_RequestLookup(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ado::Connection& c = logbook(n);
    int64_t k = 0;
    for (auto _ : state) {
        const int i = static_cast<int>(1 + (k++ * 7919) % n);
        ado::Recordset rs;
        rs.Open(QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") +
                    requestNumber(i) + QStringLiteral("'"),
                c, 2, 1, -1);
        if (rs.eof()) {
            state.SkipWithError("request not found");
            break;
        }
        rs.Close();
    }
}

// Argument 0: a database of the schema before the audit trail (the tests'
// copy of one), saved to as the library before it did; 1: a current one,
// with who and where set at each transaction as the library does. 2 and 3:
// the same on the PostgreSQL server of VANTREL_BENCH_PG, each in a database
// of its own made afresh beside that one (the previous one from the tests'
// dump).
struct AuditLaboratory {
    QTemporaryDir dir;
    ado::Connection c;
    bool audited;
    bool server;
    explicit AuditLaboratory(int64_t arg) : audited(arg % 2 == 1), server(arg >= 2) {
        if (server) {
            const QString cs = qEnvironmentVariable("VANTREL_BENCH_PG");
            if (cs.isEmpty())
                return;
            static const QRegularExpression database(QStringLiteral("(Database=)([^;]*)"),
                                                     QRegularExpression::CaseInsensitiveOption);
            const QString name =
                ado::ConnectionString::parse(cs).value(QStringLiteral("Database")) +
                (audited ? QStringLiteral("_audit") : QStringLiteral("_previous"));
            {
                ado::Connection admin;
                admin.Open(cs);
                admin.runScript(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
                admin.runScript(QStringLiteral("CREATE DATABASE %1").arg(name));
            }
            c.Open(QString(cs).replace(database, QStringLiteral("\\1") + name));
            if (audited) {
                dbsetup::createLaboratory(c, true);
            } else {
                QFile dump(QStringLiteral(VANTREL_TESTS_SOURCE_DIR "/db/previous/postgres.dump"));
                if (!dump.open(QIODevice::ReadOnly))
                    return;
                c.runScript(QString::fromUtf8(dump.readAll()));
            }
        } else if (audited) {
            dbsetup::createFolder(dir.path(), true);
            c.Open(dbsetup::folderConnectionString(dir.path()));
        } else {
            for (const char* file : {"LABORATORY.db", "patient_data.db", "build_file.db"})
                QFile::copy(QStringLiteral(VANTREL_TESTS_SOURCE_DIR "/db/previous/") +
                                QLatin1String(file),
                            dir.filePath(QLatin1String(file)));
            c.Open(dbsetup::folderConnectionString(dir.path()));
        }
        if (audited)
            c.setTransactionContext([] {
                return ado::Connection::TransactionContext{
                    {QStringLiteral("LABORATORY.employee"), employee},
                    {QStringLiteral("LABORATORY.medtech"), employee},
                    {QStringLiteral("LABORATORY.workstation"), QSysInfo::machineHostName()}};
            });
    }
    bool ready() const { return c.State() == ado::adStateOpen; }
    std::string label() const {
        return std::string(audited ? "audit" : "previous schema") +
               (server ? ", PostgreSQL" : ", SQLite");
    }
};

// The audit trail's rows so far (none before it existed).
double auditRows(AuditLaboratory& lab) {
    if (!lab.audited)
        return 0;
    return lab.c.Execute(QStringLiteral("select count(*) from LABORATORY..tbLabAudit"))
        ->rows()[0][0]
        .toDouble();
}

// The exam form's save of 20 normal-value exams of one request; every save
// changes each exam's result, so the audit writes 20 rows.
void BM_PanelSave(benchmark::State& state) {
    AuditLaboratory lab(state.range(0));
    if (!lab.ready()) {
        state.SkipWithError("VANTREL_BENCH_PG names no PostgreSQL database");
        return;
    }
    state.SetLabel(lab.label());
    const QString panel = QStringLiteral("LR26-0009");
    const QString logbook =
        QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") + panel +
        QStringLiteral("'");
    const double before = auditRows(lab);
    int64_t n = 0;
    try {
        for (auto _ : state) {
            const QString result = (n++ % 2) ? QStringLiteral("96") : QStringLiteral("95");
            lab.c.BeginTrans();
            for (int i = 0; i < 20; ++i) {
                ado::Recordset rs;
                rs.Open(logbook, lab.c, 2, 1, -1);
                if (!rs.eof())
                    lab.c.Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults '") + panel +
                                  QStringLiteral("','") + employee + QStringLiteral("'"));
                rs.Close();
                lab.c.Execute(
                    QStringLiteral("LABORATORY..LAB_Save_EditResultEntries '%1','P%2','0','70',"
                                   "'110','mg/dL','%3','','','','','','0','0','','','','','','',"
                                   "'','','','0','','','','','0', '0',''")
                        .arg(panel)
                        .arg(i)
                        .arg(result));
            }
            lab.c.CommitTrans();
        }
    } catch (const vrt::RuntimeError& e) {
        state.SkipWithError(e.what());
    }
    state.counters["audit rows/save"] =
        (auditRows(lab) - before) / std::max<double>(1, double(state.iterations()));
}

// A coded-result save as the urinalysis form sends it (the log book, the
// verification, the registration and 32 coded values; the stool form sends
// the same statements); every save changes one value.
void BM_UrinalysisSave(benchmark::State& state) {
    AuditLaboratory lab(state.range(0));
    if (!lab.ready()) {
        state.SkipWithError("VANTREL_BENCH_PG names no PostgreSQL database");
        return;
    }
    state.SetLabel(lab.label());
    Statements s;
    const QString yellow = s.codes;
    const QString amber =
        QString(s.codes).replace(QStringLiteral("BROWN"), QStringLiteral("AMBER"));
    const double before = auditRows(lab);
    int64_t n = 0;
    try {
        for (auto _ : state) {
            s.codes = (n++ % 2) ? amber : yellow;
            save(lab.c, s);
        }
    } catch (const vrt::RuntimeError& e) {
        state.SkipWithError(e.what());
    }
    state.counters["audit rows/save"] =
        (auditRows(lab) - before) / std::max<double>(1, double(state.iterations()));
}

} // namespace

BENCHMARK(BM_PanelSave)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UrinalysisSave)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveThroughConnection)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SavePreparedQt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SavePostgres)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SavePreparedQtPostgres)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RequestLookup)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    serverConnection.reset();
    return 0;
}
