// Runs the built vantrel-db program, as a user would, on a database folder
// (embedded) or a fresh server database.

#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "support/database.h"
#include "support/errors.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "vantrel/clsDataEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run vantrelDb(const QStringList& args) {
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel-db"), args);
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The tables of a database made before versions were kept.
const QStringList previousTables{
    "patient_data..tbHospitalInfo",   "patient_data..tbPatient",
    "build_file..tbcolabsection",     "build_file..tbcodoctor",
    "build_file..tbcolabexam",        "build_file..tbcolabvalues",
    "build_file..tbcolabrefvalues",   "build_file..tbcolabprofile",
    "laboratory..tblablogbook",       "laboratory..tblablogbookdetail",
    "laboratory..tbLabMedTech",       "laboratory..tbLabResultEntry",
    "laboratory..tbLabResultHCodes",  "laboratory..tbLabResultValues",
    "laboratory..tbLabProfileResult", "laboratory..tbLabResultHistoCytology",
    "laboratory..tbLabPrint",         "laboratory..tbLabPrint_Histopath"};

// Every row of those tables, in key order.
QString everyRow(const QString& connectionString) {
    ado::Connection c;
    c.Open(connectionString);
    QString text;
    for (const QString& table : previousTables) {
        const auto rs = c.Execute(QStringLiteral("select * from %1 order by 1, 2").arg(table));
        text += table + QLatin1Char('\n');
        for (const auto& row : rs->rows()) {
            QStringList cells;
            for (const vrt::Variant& v : row)
                cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
            text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
    }
    return text;
}

// A history's rows without their time (the first column), header left out.
QStringList untimed(const QString& out) {
    QStringList rows = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    rows.removeLast(); // "(n rows)"
    for (QString& row : rows)
        row = row.section(QLatin1Char('\t'), 1);
    return rows;
}

} // namespace

class TestVantrelDb : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TestDatabase> server_;
    QStringList init_; // the init command without --demo
    QString cs_;

    void initDemo() {
        const Run r = vantrelDb(init_ + QStringList{QStringLiteral("--demo")});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
    }

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        QFETCH_GLOBAL(QString, backend);
        if (backend == QLatin1String("sqlite")) {
            dir_ = std::make_unique<QTemporaryDir>();
            const QString folder = dir_->filePath(QStringLiteral("new folder/lab"));
            init_ = QStringList{QStringLiteral("init"), folder};
            cs_ = QStringLiteral("Provider=SQLite;Data Source=") + folder;
        } else {
            server_ = TestDatabase::create(backend, TestDatabase::Contents::Empty);
            if (!server_)
                QSKIP("PostgreSQL is not available (VANTREL_TEST_PG is empty)");
            init_ = QStringList{QStringLiteral("init-pg"), server_->connectionString()};
            cs_ = server_->connectionString();
        }
    }
    void cleanup() {
        server_.reset();
        dir_.reset();
    }

    void initWithDemoDataListsTheTechnologists() {
        const Run made = vantrelDb(init_ + QStringList{QStringLiteral("--demo")});
        QCOMPARE(made.code, 0);
        QVERIFY2(made.out.startsWith(QLatin1String("Created the laboratory database in ")),
                 qPrintable(made.out));
        QVERIFY2(made.out.endsWith(QLatin1String(" with the demo data.\n")), qPrintable(made.out));

        const Run r =
            vantrelDb({QStringLiteral("exec"), cs_, QStringLiteral("LABORATORY..sp_listmedtech")});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        VERIFY_EXPECTED(r.out, QStringLiteral("tools/expected/medtechs.txt"));
    }

    void initRefusesAnExistingDatabase() {
        QCOMPARE(vantrelDb(init_).code, 0);
        const Run again = vantrelDb(init_ + QStringList{QStringLiteral("--demo")});
        QCOMPARE(again.code, 1);
        QVERIFY2(again.err.contains(QLatin1String("already holds a laboratory database")),
                 qPrintable(again.err));
        const Run count =
            vantrelDb({QStringLiteral("exec"), cs_,
                       QStringLiteral("select count(*) as n from LABORATORY..tbLabMedTech")});
        QCOMPARE(count.out, QStringLiteral("n\n0\n(1 row)\n"));
    }

    void execPrintsRows_data() {
        // printed: the output, or the expected-output file that holds it (one
        // per backend: <name>_<backend>.txt); onPostgres: the header line
        // where PostgreSQL's differs (it folds unquoted names to lower case,
        // and keeps the names its functions return as they are written)
        addColumns<QString, QString, QString>("statement", "printed", "onPostgres");
        addRows<const char*, const char*, const char*>({
            {"procedure without rows", "laboratory..LAB_Save_VerifyResults 'LR26-0001','MT01'",
             "(no rows returned)\n", ""},
            {"line breaks, null",
             "select promptdata, null as absent from build_file..tbcolabvalues where code = '301'",
             "promptdata\tabsent\nABO Group\\nRh (D) Factor\\n\tNULL\n(1 row)\n", ""},
            {"no row",
             "select RequestNum from laboratory..tblablogbook where requestnum = 'LR26-9999'",
             "RequestNum\n(0 rows)\n", "requestnum"},
            {"bare procedure, quote doubled", "sp_listsearchmedtech 1,'dela paz'''",
             "MedTechID\tlastname\tfirstname\tmiddlename\n(0 rows)\n", ""},
            {"table source", "Laboratory..tbLabResultHCodes where RequestNum = 'lr26-0005'",
             "hcodes", ""},
        });
    }
    void execPrintsRows() {
        QFETCH_GLOBAL(QString, backend);
        QFETCH(QString, statement);
        QFETCH(QString, printed);
        QFETCH(QString, onPostgres);
        initDemo();
        const Run r = vantrelDb({QStringLiteral("exec"), cs_, statement});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        if (!printed.contains(u'\n')) {
            VERIFY_EXPECTED(r.out,
                            QStringLiteral("tools/expected/%1_%2.txt").arg(printed, backend));
            return;
        }
        if (backend == QLatin1String("postgresql") && !onPostgres.isEmpty())
            printed = onPostgres + printed.mid(printed.indexOf(u'\n'));
        QCOMPARE(r.out, printed);
    }

    // The library's error texts are the dialect's and the database's tests'
    // matter; here how the program reports one.
    // A change made by hand, outside the library, is in the trail with the
    // database's user and no workstation.
    void handChangeIsInTheHistory() {
        QFETCH_GLOBAL(QString, backend);
        initDemo();
        const Run r = vantrelDb({QStringLiteral("exec"), cs_,
                                 QStringLiteral("update laboratory..tbLabResultHCodes set Result1 "
                                                "= 'GREEN' where RequestNum = 'LR26-0002'")});
        QCOMPARE(r.out, QStringLiteral("(no rows returned)\n"));
        const Run h = vantrelDb({QStringLiteral("history"), cs_, QStringLiteral("lr26-0002")});
        QCOMPARE(h.code, 0);
        QCOMPARE(h.out.section(QLatin1Char('\n'), 0, 0).toLower(),
                 QStringLiteral("changedat\taction\ttablename\texam\tcolumnname\toldvalue\t"
                                "newvalue\temployeeid\tmedtechid\tworkstation\tdbuser"));
        const QString user = backend == QLatin1String("sqlite") ? QStringLiteral("NULL")
                                                                : QStringLiteral("postgres");
        // The demo data's own insert, then the change.
        QCOMPARE(untimed(h.out).filter(QStringLiteral("\tResult1\t")),
                 QStringList({"change\ttbLabResultHCodes\tNULL\tResult1\tNULL\tBROWN, "
                              "FORMED\tNULL\tNULL\tunknown workstation\t" +
                                  user,
                              "change\ttbLabResultHCodes\tNULL\tResult1\tBROWN, "
                              "FORMED\tGREEN\tNULL\tNULL\tunknown workstation\t" +
                                  user}));
    }

    // The archive: history lists a request's reports, reprint gives one back
    // byte for byte as the next PDF of the print folder.
    void reprintGivesTheArchivedPdfBack() {
        initDemo();
        const QByteArray pdfs[] = {QByteArray("%PDF-1.4\n\0\xff\x01 first", 21),
                                   QByteArray("%PDF-1.4\n second")};
        {
            ado::Connection c;
            c.Open(cs_);
            for (const auto& [kind, pdf] :
                 {std::pair{"original", pdfs[0]}, {"correction", pdfs[1]}}) {
                QSqlQuery q(c.database());
                q.prepare("INSERT INTO LABORATORY.tbLabReportArchive (RequestNum, Kind, "
                          "DocumentName, EmployeeID, Workstation, ReportText, ReportPdf) VALUES "
                          "('LR26-0002', ?, 'Laboratory Report', 'EMP-7', 'ws1', 'text', ?)");
                q.addBindValue(QString::fromLatin1(kind));
                q.addBindValue(pdf);
                QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            }
        }
        const QStringList listed =
            vantrelDb({"history", cs_, "lr26-0002"}).out.section("\n\nReport", 1).split('\n');
        QCOMPARE(
            listed.mid(1).replaceInStrings(QRegularExpression("^(\\d)\t[^\t]*"), "\\1"),
            QStringList({"1\toriginal\tLaboratory Report\tEMP-7\t\tws1\t21",
                         "2\tcorrection\tLaboratory Report\tEMP-7\t\tws1\t16", "(2 reports)", ""}));
        QTemporaryDir prints;
        qputenv("VANTREL_PRINT_DIR", prints.path().toLocal8Bit());
        const Run first = vantrelDb({"reprint", cs_, "LR26-0002", "1"});
        const Run none = vantrelDb({"reprint", cs_, "LR26-0002", "3"});
        qunsetenv("VANTREL_PRINT_DIR");
        QCOMPARE(first.code, 0);
        QVERIFY2(first.out.startsWith("Printed report 1 of LR26-0002 (original, printed "),
                 qPrintable(first.out));
        QFile printed(prints.filePath("0001.pdf"));
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QCOMPARE(printed.readAll(), pdfs[0]);
        QCOMPARE(none.code, 1);
        QCOMPARE(none.err, QStringLiteral("vantrel-db: LR26-0002 has no printed report 3; "
                                          "vantrel-db history lists them.\n"));
    }

    // A database of the release before versions were kept: the library
    // refuses it, the upgrade keeps every row, and then saves are audited.
    void upgradeKeepsEveryRowThenSaves() {
        QFETCH_GLOBAL(QString, backend);
        const QString previous = QStringLiteral(VANTREL_TESTS_SOURCE_DIR "/db/previous/");
        QString where = cs_;
        if (backend == QLatin1String("sqlite")) {
            where = init_[1];
            QVERIFY(QDir().mkpath(where));
            for (const char* file : {"LABORATORY.db", "patient_data.db", "build_file.db"})
                QVERIFY(QFile::copy(previous + QLatin1String(file),
                                    where + QLatin1Char('/') + QLatin1String(file)));
        } else {
            QFile dump(previous + QStringLiteral("postgres.dump"));
            QVERIFY(dump.open(QIODevice::ReadOnly));
            ado::Connection c;
            c.Open(cs_);
            c.runScript(QString::fromUtf8(dump.readAll()));
        }
        entry::clsDataEntry o;
        ado::Connection host;
        host.setConnectionString(cs_);
        QCOMPARE(raised([&] { o.SQLConnection(host); }).description,
                 QStringLiteral("The laboratory database has schema version 1; this library "
                                "needs version 3. Upgrade it with: vantrel-db upgrade \"") +
                     cs_ + QStringLiteral("\""));

        const QString rows = everyRow(cs_);
        QVERIFY(rows.contains(QLatin1String("LR26-0014")));
        const Run up = vantrelDb({QStringLiteral("upgrade"), where});
        QCOMPARE(up.err, QString());
        QCOMPARE(up.out, QStringLiteral("Upgraded the laboratory database from schema version 1 "
                                        "to 4; every row was kept.\n"));
        QCOMPARE(everyRow(cs_), rows);
        QCOMPARE(vantrelDb({QStringLiteral("upgrade"), where}).out,
                 QStringLiteral("The laboratory database is at schema version 4; nothing was "
                                "changed.\n"));

        o.EmployeeID(QStringLiteral("EMP-7"));
        o.MedTechID(QStringLiteral("MT-001"));
        o.SQLConnection(host);
        ado::Connection& lab = entry::labConnection();
        lab.BeginTrans();
        lab.Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0001','EMP-7'"));
        lab.CommitTrans();
        QCOMPARE(untimed(vantrelDb({QStringLiteral("history"), where, "LR26-0001"}).out)
                     .replaceInStrings(QRegularExpression("\t[^\t]*$"), QString()),
                 QStringList("verify\ttblablogbook\tNULL\tVerifiedBy\tNULL\tEMP-7\tEMP-7\tMT-"
                             "001\t" +
                             QSysInfo::machineHostName()));
    }

    void execReportsErrors() {
        initDemo();
        const Run r = vantrelDb({QStringLiteral("exec"), cs_,
                                 QStringLiteral("laboratory..LAB_Save_Nothing 'LR26-0001'")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, QStringLiteral("vantrel-db: error -2147217900: Could not find stored "
                                       "procedure 'laboratory..LAB_Save_Nothing'.\n"));
    }

    void execOnAFolderWithoutADatabase() {
        QFETCH_GLOBAL(QString, backend);
        if (backend != QLatin1String("sqlite"))
            QSKIP("one backend is enough");
        const QString folder = init_[1];
        QVERIFY(QDir().mkpath(folder));
        const Run r = vantrelDb({QStringLiteral("exec"), cs_, QStringLiteral("select 1")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QStringLiteral("vantrel-db: error -2147467259: [SQLite] The data source "
                                       "folder '%1' holds no laboratory database (LABORATORY.db, "
                                       "patient_data.db, build_file.db missing). Create one "
                                       "with: vantrel-db init <folder>\n")
                            .arg(QDir(folder).absolutePath()));
        QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void wrongArgumentsShowTheUsage_data() {
        QTest::addColumn<QStringList>("args");
        addRows<QStringList>({
            {"none", {}},
            {"unknown command", {"drop", "x"}},
            {"init without folder", {"init"}},
            {"exec without statement", {"exec", "Provider=SQLite"}},
            {"exec with --demo", {"exec", "a", "b", "--demo"}},
            {"history without request", {"history", "Provider=SQLite"}},
            {"reprint without request", {"reprint", "Provider=SQLite"}},
            {"reprint with two numbers", {"reprint", "a", "b", "1", "2"}},
            {"upgrade with --demo", {"upgrade", "a", "--demo"}},
        });
    }
    void wrongArgumentsShowTheUsage() {
        QFETCH_GLOBAL(QString, backend);
        if (backend != QLatin1String("sqlite"))
            QSKIP("one backend is enough");
        QFETCH(QStringList, args);
        const Run r = vantrelDb(args);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.startsWith(QLatin1String("usage: vantrel-db init <folder> [--demo]\n")),
                 qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestVantrelDb)
#include "tst_vantrel_db.moc"
