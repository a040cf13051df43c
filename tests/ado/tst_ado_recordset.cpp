#include "platform/ado/procedures.h"
#include "platform/ado/recordset.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/database.h"
#include "support/errors.h"
#include "support/rows.h"

#include <QTest>

using ado::Recordset;

namespace {

// A small table and two procedures, written for each backend.
void createSample(ado::Connection& c) {
    if (c.backend() == ado::Backend::SQLite) {
        c.runScript(QStringLiteral(
            "CREATE TABLE LABORATORY.t (RequestNum TEXT, Amount REAL, Seen DATETIME, Note TEXT)"));
        ado::installSqliteProcedures(
            c, QStringLiteral("-- procedure LABORATORY.t_add args 2..3\n"
                              "INSERT INTO LABORATORY.t (RequestNum, Amount, Note)\n"
                              "VALUES (?1, CAST(?2 AS REAL), CASE :argc WHEN 3 THEN ?3 ELSE "
                              "'none' END);\n"
                              "-- procedure LABORATORY.t_list args 0 returns rows\n"
                              "SELECT RequestNum, Amount, Note FROM LABORATORY.t ORDER BY "
                              "RequestNum;\n"));
    } else {
        c.runScript(QStringLiteral(
            "CREATE SCHEMA laboratory;"
            "CREATE TABLE laboratory.t (RequestNum text, Amount double precision, "
            "Seen timestamp, Note text);"
            "CREATE FUNCTION laboratory.t_add(a text, b text, c text DEFAULT 'none') RETURNS void "
            "LANGUAGE sql AS $$ INSERT INTO laboratory.t (RequestNum, Amount, Note) "
            "VALUES (a, b::double precision, c) $$;"
            "CREATE FUNCTION laboratory.t_list() RETURNS TABLE (RequestNum text, Amount double "
            "precision, Note text) LANGUAGE sql AS $$ SELECT RequestNum, Amount, Note FROM "
            "laboratory.t ORDER BY RequestNum $$;"));
    }
}

int count(ado::Connection& c) {
    Recordset rs;
    rs.Open(QStringLiteral("select count(*) as n from laboratory..t"), c, ado::adOpenDynamic,
            ado::adLockReadOnly);
    return rs.Fields(QStringLiteral("n")).Value.toLong();
}

QStringList column(Recordset& rs, const QString& name) {
    QStringList out;
    for (; !rs.eof(); rs.MoveNext())
        out << rs.Fields(name).Value.text();
    return out;
}

} // namespace

class TestAdoRecordset : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db_;
    std::shared_ptr<ado::Connection> c_;

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_DATABASE(db, TestDatabase::Contents::Empty);
        db_ = std::move(db);
        createSample(db_->keeper());
        c_ = db_->open();
        ado::statementTrace().clear();
        ado::setStatementTracing(true);
    }
    void cleanup() {
        c_.reset();
        db_.reset();
    }

    void fieldsByNameAndOrdinal() {
        c_->Execute(QStringLiteral(
            "insert into laboratory..t (RequestNum, Amount, Seen) values ('R1', 12.5, "
            "'2026-12-06 14:05:09')"));
        Recordset rs;
        rs.Open(QStringLiteral("select * from laboratory..t where requestnum = 'R1'"), *c_,
                ado::adOpenDynamic, ado::adLockReadOnly, -1);
        QCOMPARE(rs.State(), int32_t(ado::adStateOpen));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.Fields(QStringLiteral("REQUESTNUM")).Value.toString(), QStringLiteral("R1"));
        QCOMPARE(rs.Fields(0).Value.toString(), QStringLiteral("R1"));
        QCOMPARE(rs.Fields(QStringLiteral("amount")).Value, vrt::Variant(12.5));
        QVERIFY(rs.Fields(QStringLiteral("Note")).Value.isNull());
        const vrt::Variant seen = rs.Fields(QStringLiteral("Seen")).Value;
        QVERIFY(seen.isDate());
        QCOMPARE(vrt::dateToText(seen.toDate()), QStringLiteral("12/6/2026 2:05:09 PM"));
        QCOMPARE(raised([&] { rs.Fields(QStringLiteral("nothing")); }).number, 3265);
        QCOMPARE(raised([&] { rs.Fields(9); }).number, 3265);
        rs.MoveNext();
        QVERIFY(rs.eof());
        QCOMPARE(raised([&] { rs.MoveNext(); }).number, 3021);
        QCOMPARE(raised([&] { rs.Fields(0); }).number, 3021);
        rs.Close();
        QCOMPARE(raised([&] { rs.eof(); }).number, 3704);
    }

    void statementWithoutRowsLeavesItClosed() {
        Recordset rs;
        rs.Open(QStringLiteral("laboratory..t_add 'R1','3'"), *c_, 2, 3, -1);
        QCOMPARE(rs.State(), int32_t(ado::adStateClosed));
        rs.Open(QStringLiteral("insert into laboratory..t (RequestNum) values ('R2')"), *c_, 2, 3);
        QCOMPARE(rs.State(), int32_t(ado::adStateClosed));
        rs.Open(QStringLiteral("laboratory..t_list"), *c_, 2, 1);
        QCOMPARE(rs.State(), int32_t(ado::adStateOpen));
        QCOMPARE(raised([&] { rs.Open(QStringLiteral("laboratory..t_list"), *c_); }).number, 3705);
        QCOMPARE(column(rs, QStringLiteral("RequestNum")), QStringList({"R1", "R2"}));
        QCOMPARE(c_->Execute(QStringLiteral("laboratory..t_add 'R3','1'"))->State(),
                 int32_t(ado::adStateClosed));
    }

    void procedureArguments() {
        c_->Execute(QStringLiteral("laboratory..t_add 'R1','12.5'"));
        c_->Execute(QStringLiteral("LABORATORY..T_ADD 'R2', '0.25','O''Brien'"));
        auto rs = c_->Execute(QStringLiteral("t_list"));
        QCOMPARE(rs->State(), int32_t(ado::adStateOpen));
        QCOMPARE(rs->Fields(QStringLiteral("Note")).Value.toString(), QStringLiteral("none"));
        QCOMPARE(rs->Fields(QStringLiteral("Amount")).Value.toDouble(), 12.5);
        rs->MoveNext();
        QCOMPARE(rs->Fields(QStringLiteral("Note")).Value.toString(), QStringLiteral("O'Brien"));
    }

    void untranslatableRunsNothing() {
        const QString bad = QStringLiteral("insert into laboratory..t (RequestNum) values ('R1)");
        const Raised r = raised([&] { c_->Execute(bad); });
        QCOMPARE(r.number, -2147217900);
        QCOMPARE(r.description,
                 QStringLiteral("Unclosed quotation mark after the character string 'R1)'."));
        QCOMPARE(count(*c_), 0);
        QCOMPARE(ado::statementTrace().first(), bad);
    }

    // Statements that differ only in their values share one prepared
    // statement, and each value arrives exactly as written.
    void valuesTravelAsParameters_data() {
        addColumns<QString, QString, QString>("written", "stored", "amount");
        addRows<QString, QString, QString>({
            {"quotes", "'O''Brien''s ''x'''", "O'Brien's 'x'", "2.5"},
            {"backslashes", "'C:\\new\\t\\'", "C:\\new\\t\\", "-7"},
            {"unicode", "'Ñandú ß 日本 😀'", "Ñandú ß 日本 😀", "0.125"},
            {"empty", "''", "", "0"},
            {"marks", "'?1 $1 %1 -- :argc'", "?1 $1 %1 -- :argc", "12"},
        });
    }
    void valuesTravelAsParameters() {
        QFETCH(QString, written);
        QFETCH(QString, stored);
        QFETCH(QString, amount);
        const QString insert = QStringLiteral(
            "insert into laboratory..t (RequestNum, Amount, Note) values ('%1', %2, %3)");
        c_->Execute(insert.arg(QStringLiteral("R1"), amount, QStringLiteral("'first'")));
        const int kept = c_->preparedStatements();
        c_->Execute(insert.arg(QStringLiteral("R2"), amount, written));
        QCOMPARE(c_->preparedStatements(), kept);
        QCOMPARE(ado::statementTrace().last(), insert.arg(QStringLiteral("R2"), amount, written));
        Recordset rs;
        rs.Open(
            QStringLiteral("select Note, Amount from laboratory..t where Note = %1").arg(written),
            *c_, 2, 1);
        QCOMPARE(rs.Fields(QStringLiteral("Note")).Value.toString(), stored);
        QCOMPARE(rs.Fields(QStringLiteral("Amount")).Value.toDouble(), amount.toDouble());
        rs.MoveNext();
        QVERIFY(rs.eof());
    }

    // A text run again reads the table as it is now, also after its columns
    // changed and after many other texts ran in between.
    void repeatedTextReadsCurrentTable() {
        const QString sql = QStringLiteral("select * from laboratory..t order by requestnum");
        QCOMPARE(c_->Execute(sql)->FieldCount(), 4);
        c_->Execute(QStringLiteral("alter table laboratory..t add Extra varchar(10)"));
        c_->Execute(QStringLiteral("laboratory..t_add 'R1','1'"));
        for (int i = 0; i < 70; ++i)
            c_->Execute(QStringLiteral("select %1 as n").arg(i));
        Recordset rs;
        rs.Open(sql, *c_, 2, 1);
        QCOMPARE(rs.FieldCount(), 5);
        QCOMPARE(column(rs, QStringLiteral("RequestNum")), QStringList({"R1"}));
    }
};

QTEST_GUILESS_MAIN(TestAdoRecordset)
#include "tst_ado_recordset.moc"
