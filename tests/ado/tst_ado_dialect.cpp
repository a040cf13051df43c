#include "platform/ado/dialect.h"
#include "support/errors.h"

#include <QTest>

namespace {

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

class TestAdoDialect : public QObject {
    Q_OBJECT

private slots:
    void translates_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("postgres");

        QTest::newRow("query") << "select * from laboratory..tblablogbook where requestnum = 'R1'"
                               << "select * from laboratory.tblablogbook where requestnum = 'R1'"
                               << false;
        QTest::newRow("quoted dots untouched")
            << "select promptdata from build_file..tbcolabvalues where code = 'a..b'"
            << "select promptdata from build_file.tbcolabvalues where code = 'a..b'" << false;
        QTest::newRow("doubled quote kept")
            << "insert into LABORATORY..tbLabPrint (RowNum, RowLine) values ('1','O''Brien')"
            << "insert into LABORATORY.tbLabPrint (RowNum, RowLine) values ('1','O''Brien')"
            << false;
        QTest::newRow("truncate sqlite") << "truncate table LABORATORY..tbLabPrint"
                                         << "DELETE FROM LABORATORY.tbLabPrint" << false;
        QTest::newRow("truncate postgres")
            << "TRUNCATE TABLE LABORATORY..tbLabPrint_Histopath"
            << "TRUNCATE TABLE LABORATORY.tbLabPrint_Histopath" << true;
        QTest::newRow("table source")
            << "Laboratory..tbLabResultHCodes where RequestNum = 'R-7'"
            << "SELECT * FROM Laboratory.tbLabResultHCodes where RequestNum = 'R-7'" << false;
        QTest::newRow("bare table") << "LABORATORY..tbLabPrint"
                                    << "SELECT * FROM LABORATORY.tbLabPrint" << false;
        QTest::newRow("no procedure of that name there is a table")
            << "build_file..sp_listmedtech"
            << "SELECT * FROM build_file.sp_listmedtech" << false;
        QTest::newRow("call with mode") << "laboratory..lab_save_hcodes 0,'R1','a','','x y'"
                                        << "laboratory.lab_save_hcodes(#0|R1|a||x y)" << false;
        QTest::newRow("call mixed case, blank after comma")
            << "Laboratory..Lab_Save_HCodes 1, 'R1','b'"
            << "Laboratory.Lab_Save_HCodes(#1|R1|b)" << false;
        QTest::newRow("call no args") << "LABORATORY..sp_listmedtech"
                                      << "LABORATORY.sp_listmedtech()" << false;
        QTest::newRow("bare call in current database")
            << "sp_listsearchmedtech 0,'SANTOS'"
            << "LABORATORY.sp_listsearchmedtech(#0|SANTOS)" << false;
        QTest::newRow("quote inside argument")
            << "sp_listsearchmedtech 1,'O''Brien'"
            << "LABORATORY.sp_listsearchmedtech(#1|O'Brien)" << false;
        QTest::newRow("comma and quote-like text inside argument")
            << "laboratory..LAB_Save_VerifyResults 'R,1','a..b select'"
            << "laboratory.LAB_Save_VerifyResults(R,1|a..b select)" << false;
        QTest::newRow("double space before args")
            << "LABORATORY..Lab_GetResultFromTable  'X','R9'"
            << "LABORATORY.Lab_GetResultFromTable(X|R9)" << false;
        QTest::newRow("trailing unquoted number and separator with blank")
            << "laboratory..lab_save_hcodes 'R1', '2.5',2"
            << "laboratory.lab_save_hcodes(R1|2.5|#2)" << false;
        QTest::newRow("negative and null") << "exec laboratory..lab_save_hcodes -3, NULL"
                                           << "laboratory.lab_save_hcodes(#-3|NULL)" << false;
        QTest::newRow("trailing semicolon") << "LABORATORY..sp_listmedtech ;"
                                            << "LABORATORY.sp_listmedtech()" << false;
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
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        QTest::newRow("unbalanced quote")
            << "select * from laboratory..tblablogbook where requestnum = 'R1"
            << "Unclosed quotation mark after the character string 'R1'.";
        QTest::newRow("unbalanced quote in call")
            << "laboratory..lab_save_hcodes 0,'O'Brien'"
            << "Unclosed quotation mark after the character string ''.";
        QTest::newRow("unknown procedure")
            << "laboratory..lab_nothing 'a'"
            << "Could not find stored procedure 'laboratory..lab_nothing'.";
        QTest::newRow("argument not a literal")
            << "laboratory..lab_save_hcodes 0, getdate()"
            << "Incorrect syntax near 'getdate' in the call of 'laboratory..lab_save_hcodes': "
               "arguments must be literals.";
        QTest::newRow("missing comma") << "laboratory..lab_save_hcodes 0 'a'"
                                       << "Incorrect syntax near ''a'' in the call of "
                                          "'laboratory..lab_save_hcodes'.";
        QTest::newRow("dangling comma") << "laboratory..lab_save_hcodes 0,"
                                        << "Incorrect syntax near the end of the call of "
                                           "'laboratory..lab_save_hcodes'.";
        QTest::newRow("empty") << "  ;"
                               << "The statement is empty.";
        QTest::newRow("bare exec") << "exec ;"
                                   << "Incorrect syntax near 'exec': the name of the stored "
                                      "procedure to execute is missing.";
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

QTEST_GUILESS_MAIN(TestAdoDialect)
#include "tst_ado_dialect.moc"
