// Several workstations on one laboratory database: what one of them holds
// must neither hang another's save nor make it fail silently or for good.
// The other workstation is a second process (this program with --hold) or,
// on the server, a second connection.

#include "dbsetup/dbsetup.h"
#include "platform/ado/recordset.h"
#include "support/database.h"
#include "support/errors.h"
#include "support/rows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <QThread>
#include <cerrno>
#include <cstdio>
#include <signal.h>

namespace {

// A save as the forms make it: one transaction. The error text, or empty
// when it was saved.
QString save(ado::Connection& c, const QString& request, const QString& value) {
    bool open = false;
    const Raised r = raised([&] {
        c.BeginTrans();
        open = true;
        c.Execute(QStringLiteral("LABORATORY..lab_save_hcodes 0,'%1','%2',''")
                      .arg(request, ado::quoted(value)));
        open = false;
        c.CommitTrans();
    });
    if (open)
        raised([&] { c.RollbackTrans(); });
    return r.description;
}

QString stored(ado::Connection& c, const QString& request) {
    const auto rs = c.Execute(QStringLiteral("LABORATORY..lab_getresulthcodes '%1'").arg(request));
    return rs->rows().empty() ? QStringLiteral("(none)") : rs->rows()[0][1].toString();
}

// The other workstation's side: holds a read or a write transaction for ms.
int hold(const QString& connectionString, const QString& mode, int ms) {
    ado::Connection c;
    c.Open(connectionString);
    c.runScript(mode == QLatin1String("write")
                    ? QStringLiteral("BEGIN IMMEDIATE; INSERT INTO LABORATORY.tbLabPrint "
                                     "(RowNum, RowLine) VALUES ('1', 'held')")
                    : QStringLiteral("BEGIN; SELECT count(*) FROM LABORATORY.tbLabResultHCodes"));
    std::puts("held");
    std::fflush(stdout);
    QThread::msleep(static_cast<unsigned long>(ms));
    c.runScript(QStringLiteral("COMMIT"));
    return 0;
}

} // namespace

#define SERVER_DATABASE(db)                                                                        \
    auto db =                                                                                      \
        TestDatabase::create(QStringLiteral("postgresql"), TestDatabase::Contents::Laboratory);    \
    if (!db)                                                                                       \
        QSKIP("PostgreSQL is not available (VANTREL_TEST_PG is empty)");

class TestAdoWorkstations : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

    std::shared_ptr<ado::Connection> openWith(const TestDatabase& db, const QString& extra) {
        auto c = std::make_shared<ado::Connection>();
        c->Open(db.connectionString() + QLatin1Char(';') + extra);
        return c;
    }

private slots:
    void initTestCase() { QVERIFY(dbsetup::createFolder(folder_.path(), false)); }

    void sqliteSaveBesideAnotherProcess_data() {
        addColumns<QString, int, QString, QString, int, int>("mode", "holdMs", "lockTimeout",
                                                             "error", "minMs", "maxMs");
        addRows<const char*, int, const char*, const char*, int, int>({
            {"read held", "read", 1500, "1", "", 0, 800},
            {"write released in time", "write", 700, "4", "", 500, 3000},
            {"write held too long", "write", 1500, "0.4",
             "[SQLite] Another workstation holds the record; waited 0.4 s (Lock Timeout) for it. "
             "(database is locked)",
             350, 1400},
            {"no limit", "write", 1500, "0", "", 1200, 8000},
        });
    }
    void sqliteSaveBesideAnotherProcess() {
        QFETCH(QString, mode);
        QFETCH(int, holdMs);
        QFETCH(QString, lockTimeout);
        QFETCH(QString, error);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        const QString cs = dbsetup::folderConnectionString(folder_.path());
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--hold"), cs, mode, QString::number(holdMs)});
        QVERIFY(other.waitForReadyRead(20000));
        QCOMPARE(other.readLine(), QByteArray("held\n"));

        ado::Connection c;
        c.Open(cs + QStringLiteral(";Lock Timeout=") + lockTimeout);
        const QString request = QStringLiteral("R-") + QTest::currentDataTag();
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(save(c, request, QStringLiteral("first")), error);
        QVERIFY2(waited.elapsed() >= minMs && waited.elapsed() <= maxMs,
                 qPrintable(QString::number(waited.elapsed())));
        QVERIFY(other.waitForFinished(20000));
        QCOMPARE(other.exitCode(), 0);
        // Nothing was left locked or half-done: the next save goes through.
        QCOMPARE(save(c, request, QStringLiteral("second")), QString());
        QCOMPARE(stored(c, request), QStringLiteral("second"));
    }

    void sqliteFullDatabase() {
        auto db =
            TestDatabase::create(QStringLiteral("sqlite"), TestDatabase::Contents::Laboratory);
        auto c = db->open();
        const auto pages = c->Execute(QStringLiteral("PRAGMA LABORATORY.page_count"));
        c->runScript(QStringLiteral("PRAGMA LABORATORY.max_page_count = %1")
                         .arg(pages->rows()[0][0].toLong()));
        QCOMPARE(save(*c, QStringLiteral("R-FULL"), QString(200000, QLatin1Char('x'))),
                 QStringLiteral("[SQLite] database or disk is full"));
        c->runScript(QStringLiteral("PRAGMA LABORATORY.max_page_count = 1000000"));
        QCOMPARE(save(*c, QStringLiteral("R-FULL"), QStringLiteral("after")), QString());
        QCOMPARE(stored(*c, QStringLiteral("R-FULL")), QStringLiteral("after"));
    }

    void postgresqlLockAndCommandTimeouts() {
        SERVER_DATABASE(db);
        ado::Connection& other = db->keeper();
        other.BeginTrans();
        other.Execute(QStringLiteral("LABORATORY..lab_save_hcodes 0,'R-LOCK','theirs',''"));
        auto c = openWith(*db, QStringLiteral("Lock Timeout=0.3;Command Timeout=0.6"));
        QElapsedTimer waited;
        waited.start();
        const QString locked = save(*c, QStringLiteral("R-LOCK"), QStringLiteral("mine"));
        QVERIFY2(locked.startsWith(QLatin1String("[PostgreSQL] Another workstation holds the "
                                                 "record; waited 0.3 s (Lock Timeout) for it.")),
                 qPrintable(locked));
        QVERIFY(waited.elapsed() < 3000);
        other.RollbackTrans();
        QCOMPARE(save(*c, QStringLiteral("R-LOCK"), QStringLiteral("mine")), QString());

        const Raised slow = raised([&] { c->Execute(QStringLiteral("select pg_sleep(5)")); });
        QVERIFY2(slow.description.startsWith(QLatin1String(
                     "[PostgreSQL] The statement ran longer than 0.6 s (Command Timeout) and "
                     "was cancelled.")),
                 qPrintable(slow.description));
        QCOMPARE(stored(*c, QStringLiteral("R-LOCK")), QStringLiteral("mine"));
    }

    void postgresqlBackslashWithStandardStringsOff() {
        SERVER_DATABASE(db);
        db->keeper().runScript(QStringLiteral(
            "DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET standard_conforming_strings = "
            "off', current_database()); END $$"));
        auto c = db->open();
        const QString value = QStringLiteral("C:\\new\\' or '1'='1");
        c->Execute(QStringLiteral("insert into LABORATORY..tbLabPrint (RowNum, RowLine) values "
                                  "('1','%1')")
                       .arg(ado::quoted(value)));
        const auto rs = c->Execute(QStringLiteral("select RowLine from LABORATORY..tbLabPrint"));
        QCOMPARE(rs->rows().size(), size_t(1));
        QCOMPARE(rs->rows()[0][0].toString(), value);
    }

    void postgresqlDroppedConnection() {
        SERVER_DATABASE(db);
        auto c = db->open();
        const auto terminate = [&] {
            const int pid =
                c->Execute(QStringLiteral("select pg_backend_pid()"))->rows()[0][0].toLong();
            db->keeper().Execute(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
            for (int i = 0; i < 100; ++i) {
                if (db->keeper()
                        .Execute(QStringLiteral("select count(*) from pg_stat_activity where "
                                                "pid = %1")
                                     .arg(pid))
                        ->rows()[0][0]
                        .toLong() == 0) {
                    // The session leaves the activity list before its process
                    // has closed the socket; on a local server wait for that.
                    for (int j = 0; j < 100 && !(::kill(pid, 0) != 0 && errno == ESRCH); ++j)
                        QThread::msleep(20);
                    return;
                }
                QThread::msleep(50);
            }
            QFAIL("the server kept the session");
        };
        // Between statements: the next one reopens the connection and runs.
        terminate();
        QCOMPARE(save(*c, QStringLiteral("R-1"), QStringLiteral("after reopening")), QString());
        // Inside a save: the save fails with the cause and is not run again;
        // the next save works.
        c->BeginTrans();
        terminate();
        const Raised lost = raised(
            [&] { c->Execute(QStringLiteral("LABORATORY..lab_save_hcodes 0,'R-2','lost',''")); });
        QVERIFY2(lost.description.startsWith(QLatin1String(
                     "[PostgreSQL] The connection to the server was lost; nothing of this "
                     "statement was kept.")),
                 qPrintable(lost.description));
        raised([&] { c->RollbackTrans(); });
        QCOMPARE(stored(*c, QStringLiteral("R-2")), QStringLiteral("(none)"));
        QCOMPARE(stored(*c, QStringLiteral("R-1")), QStringLiteral("after reopening"));
        QCOMPARE(c->State(), int32_t(ado::adStateOpen));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--hold") == 0)
        return hold(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(argv[3]),
                    QByteArray(argv[4]).toInt());
    TestAdoWorkstations test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ado_workstations.moc"
