#include "dbsetup/dbsetup.h"
#include "platform/ado/connection.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/dialect.h"
#include "support/errors.h"
#include "support/rows.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList attachedNames(const ado::Connection& c) {
    QSqlQuery q(c.database());
    q.exec(QStringLiteral("PRAGMA database_list"));
    QStringList names;
    while (q.next())
        names << q.value(1).toString();
    names.removeAll(QStringLiteral("main"));
    names.removeAll(QStringLiteral("temp"));
    return names;
}

// Procedures the tests' database knows.
bool knownProcedure(const QString& database, const QString& name) {
    static const QStringList known{"laboratory.lab_save_hcodes",
                                   "laboratory.sp_listmedtech",
                                   "laboratory.sp_listsearchmedtech",
                                   "laboratory.lab_getresulthcodes",
                                   "laboratory.lab_save_verifyresults",
                                   "laboratory.lab_getresultfromtable",
                                   "pat.sp_listmedtech"};
    return known.contains(database.toLower() + QLatin1Char('.') + name.toLower());
}

// A call written back as text: db.name(arg|arg|...), numbers as #n.
QString describe(const ado::TranslatedStatement& t) {
    if (!t.call)
        return t.sql;
    QStringList args;
    for (const vrt::Variant& a : t.call->args) {
        if (a.isNull())
            args << QStringLiteral("NULL");
        else if (a.isString())
            args << a.toString();
        else
            args << QLatin1Char('#') + a.toString();
    }
    return QStringLiteral("%1.%2(%3)")
        .arg(t.call->database, t.call->name, args.join(QLatin1Char('|')));
}

} // namespace

class TestAdoConnection : public QObject {
    Q_OBJECT

    QTemporaryDir empty_;

private slots:
    void parsesConnectionStrings_data() {
        addColumns<QString, QString, QString>("text", "key", "value");
        addRows<const char*, const char*, const char*>({
            {"plain", "Provider=SQLite;Data Source=/x/y", "data source", "/x/y"},
            {"spaces", " Provider = SQLite ; Data Source = /x y ;", "Data Source", "/x y"},
            {"double quoted", "Password=\"a;b=c\";User ID=u", "password", "a;b=c"},
            {"single quoted doubled", "Password='it''s';User ID=u", "Password", "it's"},
            {"last wins", "Port=1;port=2", "PORT", "2"},
            {"missing", "Provider=SQLite", "Port", ""},
            {"empty value", "Password=;User ID=u", "User ID", "u"},
        });
    }
    void parsesConnectionStrings() {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(ado::ConnectionString::parse(text).value(key), value);
    }

    void sqliteFolderOpensThreeDatabases() {
        QTemporaryDir dir;
        QVERIFY(dbsetup::createFolder(dir.path(), false));
        ado::Connection c;
        QCOMPARE(c.State(), int32_t(ado::adStateClosed));
        c.Open(QStringLiteral("Provider=SQLite;Data Source=") + dir.path());
        QCOMPARE(c.State(), int32_t(ado::adStateOpen));
        QCOMPARE(c.backend(), ado::Backend::SQLite);
        QCOMPARE(c.currentDatabase(), QStringLiteral("LABORATORY"));
        QCOMPARE(attachedNames(c), QStringList({"LABORATORY", "patient_data", "build_file"}));
        QSqlQuery mode(c.database());
        QVERIFY(mode.exec(QStringLiteral("PRAGMA build_file.journal_mode")) && mode.next());
        QCOMPARE(mode.value(0).toString(), QStringLiteral("wal"));
        QVERIFY(mode.exec(QStringLiteral("PRAGMA LABORATORY.synchronous")) && mode.next());
        QCOMPARE(mode.value(0).toInt(), 2); // FULL

        // Data written through one connection is in the folder for the next.
        QSqlQuery q(c.database());
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE patient_data.opened (Title TEXT)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO patient_data.opened VALUES ('GENERAL')")));
        c.Close();
        QCOMPARE(c.State(), int32_t(ado::adStateClosed));
        c.Open();
        QSqlQuery again(c.database());
        QVERIFY(again.exec(QStringLiteral("SELECT Title FROM patient_data.opened")));
        QVERIFY(again.next());
        QCOMPARE(again.value(0).toString(), QStringLiteral("GENERAL"));
    }

    void stateErrors() {
        ado::Connection c;
        const Raised closed = raised([&] { c.Close(); });
        QCOMPARE(closed.number, 3704);
        QCOMPARE(closed.description,
                 QStringLiteral("Operation is not allowed when the object is closed."));
        c.Open(QStringLiteral("Provider=SQLite;Data Source=memory:state-test"));
        QCOMPARE(raised([&] { c.Open(); }).number, 3705);
        QCOMPARE(raised([&] { c.setConnectionString(QStringLiteral("x")); }).number, 3705);
        QCOMPARE(c.State(), int32_t(ado::adStateOpen));
    }

    void openFailures_data() {
        addColumns<QString, int, QString>("text", "error", "mentions");
        const QString noDatabase = "Provider=SQLite;Data Source=" + empty_.path();
        addRows<QString, int, const char*>({
            {"no folder", "Provider=SQLite;Data Source=/no/such/folder", -2147467259,
             "'/no/such/folder' does not exist"},
            {"no data source", "Provider=SQLite", -2147467259, "no Data Source"},
            {"unknown provider", "Provider=Jet;Data Source=/tmp", 3706, "Provider cannot be found"},
            {"empty", "", 3706, "Provider cannot be found"},
            {"bad catalog", "Provider=SQLite;Data Source=memory:x;Initial Catalog=lab-x",
             -2147467259, "not a database name"},
            {"folder without a database", noDatabase, -2147467259,
             "' holds no laboratory database (LABORATORY.db, patient_data.db, build_file.db "
             "missing). Create one with: vantrel-db init <folder>"},
            {"bad lock timeout", "Provider=SQLite;Data Source=memory:x;Lock Timeout=5s",
             -2147467259, "Lock Timeout '5s' is not a number"},
        });
    }
    void openFailures() {
        QFETCH(QString, text);
        QFETCH(int, error);
        QFETCH(QString, mentions);
        ado::Connection c;
        const Raised r = raised([&] { c.Open(text); });
        QCOMPARE(r.number, error);
        QVERIFY2(r.description.contains(mentions), qPrintable(r.description));
        QCOMPARE(c.State(), int32_t(ado::adStateClosed));
        QCOMPARE(QDir(empty_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    void memoryDatabasesAreSharedByName() {
        const QString text = QStringLiteral("Provider=SQLite;Data Source=memory:shared-test;"
                                            "Initial Catalog=patient_data");
        ado::Connection a;
        a.Open(text);
        QCOMPARE(a.currentDatabase(), QStringLiteral("patient_data"));
        QSqlQuery q(a.database());
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE LABORATORY.t (x INTEGER)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO LABORATORY.t VALUES (42)")));
        ado::Connection b;
        b.Open(text);
        QSqlQuery r(b.database());
        QVERIFY(r.exec(QStringLiteral("SELECT x FROM LABORATORY.t")));
        QVERIFY(r.next());
        QCOMPARE(r.value(0).toInt(), 42);

        ado::Connection other;
        other.Open(QStringLiteral("Provider=SQLite;Data Source=memory:other-test"));
        QSqlQuery none(other.database());
        QVERIFY(!none.exec(QStringLiteral("SELECT x FROM LABORATORY.t")));
    }

    void postgresqlServer() {
        const QString text = qEnvironmentVariable("VANTREL_TEST_PG");
        if (text.isEmpty())
            QSKIP("VANTREL_TEST_PG names no PostgreSQL server");
        ado::Connection c;
        c.Open(text);
        QCOMPARE(c.State(), int32_t(ado::adStateOpen));
        QCOMPARE(c.backend(), ado::Backend::PostgreSQL);
        QSqlQuery q(c.database());
        QVERIFY(q.exec(QStringLiteral("SHOW search_path")));
        QVERIFY(q.next());
        QVERIFY2(q.value(0).toString().startsWith(QLatin1String("laboratory")),
                 qPrintable(q.value(0).toString()));
        c.Close();
        QCOMPARE(c.State(), int32_t(ado::adStateClosed));

        ado::Connection bad;
        const Raised r =
            raised([&] { bad.Open(text + QStringLiteral(";Database=vantrel_no_such_database")); });
        QCOMPARE(r.number, -2147467259);
        QVERIFY2(r.description.startsWith(QLatin1String("[PostgreSQL]")),
                 qPrintable(r.description));
    }

    void translates_data() {
        addColumns<QString, QString, bool>("statement", "expected", "postgres");
        addRows<const char*, const char*, bool>({
            {"query", "select * from laboratory..tblablogbook where requestnum = 'R1'",
             "select * from laboratory.tblablogbook where requestnum = 'R1'", false},
            {"quoted dots untouched",
             "select promptdata from build_file..tbcolabvalues where code = 'a..b'",
             "select promptdata from build_file.tbcolabvalues where code = 'a..b'", false},
            {"doubled quote kept",
             "insert into LABORATORY..tbLabPrint (RowNum, RowLine) values ('1','O''Brien')",
             "insert into LABORATORY.tbLabPrint (RowNum, RowLine) values ('1','O''Brien')", false},
            {"truncate sqlite", "truncate table LABORATORY..tbLabPrint",
             "DELETE FROM LABORATORY.tbLabPrint", false},
            {"truncate postgres", "TRUNCATE TABLE LABORATORY..tbLabPrint_Histopath",
             "TRUNCATE TABLE LABORATORY.tbLabPrint_Histopath", true},
            {"table source", "Laboratory..tbLabResultHCodes where RequestNum = 'R-7'",
             "SELECT * FROM Laboratory.tbLabResultHCodes where RequestNum = 'R-7'", false},
            {"bare table", "LABORATORY..tbLabPrint", "SELECT * FROM LABORATORY.tbLabPrint", false},
            {"no procedure of that name there is a table", "build_file..sp_listmedtech",
             "SELECT * FROM build_file.sp_listmedtech", false},
            {"call with mode", "laboratory..lab_save_hcodes 0,'R1','a','','x y'",
             "laboratory.lab_save_hcodes(#0|R1|a||x y)", false},
            {"call mixed case, blank after comma", "Laboratory..Lab_Save_HCodes 1, 'R1','b'",
             "Laboratory.Lab_Save_HCodes(#1|R1|b)", false},
            {"call no args", "LABORATORY..sp_listmedtech", "LABORATORY.sp_listmedtech()", false},
            {"bare call in current database", "sp_listsearchmedtech 0,'SANTOS'",
             "LABORATORY.sp_listsearchmedtech(#0|SANTOS)", false},
            {"quote inside argument", "sp_listsearchmedtech 1,'O''Brien'",
             "LABORATORY.sp_listsearchmedtech(#1|O'Brien)", false},
            {"comma and quote-like text inside argument",
             "laboratory..LAB_Save_VerifyResults 'R,1','a..b select'",
             "laboratory.LAB_Save_VerifyResults(R,1|a..b select)", false},
            {"double space before args", "LABORATORY..Lab_GetResultFromTable  'X','R9'",
             "LABORATORY.Lab_GetResultFromTable(X|R9)", false},
            {"trailing unquoted number and separator with blank",
             "laboratory..lab_save_hcodes 'R1', '2.5',2", "laboratory.lab_save_hcodes(R1|2.5|#2)",
             false},
            {"negative and null", "exec laboratory..lab_save_hcodes -3, NULL",
             "laboratory.lab_save_hcodes(#-3|NULL)", false},
            {"trailing semicolon", "LABORATORY..sp_listmedtech ;", "LABORATORY.sp_listmedtech()",
             false},
        });
    }
    void translates() {
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        QFETCH(bool, postgres);
        const auto t =
            ado::translate(statement, postgres ? ado::Backend::PostgreSQL : ado::Backend::SQLite,
                           QStringLiteral("LABORATORY"), knownProcedure);
        QCOMPARE(describe(t), expected);
    }

    void refuses_data() {
        addColumns<QString, QString>("statement", "message");
        addRows<const char*, const char*>({
            {"unbalanced quote", "select * from laboratory..tblablogbook where requestnum = 'R1",
             "Unclosed quotation mark after the character string 'R1'."},
            {"unbalanced quote in call", "laboratory..lab_save_hcodes 0,'O'Brien'",
             "Unclosed quotation mark after the character string ''."},
            {"unknown procedure", "laboratory..lab_nothing 'a'",
             "Could not find stored procedure 'laboratory..lab_nothing'."},
            {"argument not a literal", "laboratory..lab_save_hcodes 0, getdate()",
             "Incorrect syntax near 'getdate' in the call of 'laboratory..lab_save_hcodes': "
             "arguments must be literals."},
            {"missing comma", "laboratory..lab_save_hcodes 0 'a'",
             "Incorrect syntax near ''a'' in the call of 'laboratory..lab_save_hcodes'."},
            {"dangling comma", "laboratory..lab_save_hcodes 0,",
             "Incorrect syntax near the end of the call of 'laboratory..lab_save_hcodes'."},
            {"empty", "  ;", "The statement is empty."},
            {"bare exec", "exec ;",
             "Incorrect syntax near 'exec': the name of the stored procedure to execute is "
             "missing."},
        });
    }
    void refuses() {
        QFETCH(QString, statement);
        QFETCH(QString, message);
        const Raised r = raised([&] {
            ado::translate(statement, ado::Backend::SQLite, QStringLiteral("LABORATORY"),
                           knownProcedure);
        });
        QCOMPARE(r.number, -2147217900);
        QCOMPARE(r.description, message);
    }

    void currentDatabaseDecidesBareCalls() {
        const auto t = ado::translate(QStringLiteral("sp_listmedtech"), ado::Backend::SQLite,
                                      QStringLiteral("pat"), knownProcedure);
        QCOMPARE(describe(t), QStringLiteral("pat.sp_listmedtech()"));
    }
};

QTEST_GUILESS_MAIN(TestAdoConnection)
#include "tst_ado_connection.moc"
