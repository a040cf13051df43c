// The print spool and the reports the engine prints from it, on both
// backends.

#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/ado/trace.h"
#include "report/libraryfolder.h"
#include "report/spool.h"
#include "support/database.h"
#include "support/errors.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/spoolsample.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace report;

namespace {

QStringList spooled(ado::Connection& c) {
    QStringList lines;
    ado::Recordset rs;
    rs.Open(QStringLiteral("select RowNum, RowLine from LABORATORY..tbLabPrint order by SeqNo"), c);
    for (; !rs.eof(); rs.MoveNext()) {
        if (rs.Fields(0).Value.toLong() != 1)
            lines << QStringLiteral("<row number %1>").arg(rs.Fields(0).Value.text());
        lines << rs.Fields(1).Value.text();
    }
    return lines;
}

// A report definition of the test's own beside the real ones.
QString writeDefinition(const QTemporaryDir& dir, const QString& text) {
    const QString path = dir.filePath(QStringLiteral("Test.RPT"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(text.toUtf8());
    return path;
}

} // namespace

class TestReportSpool : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db_;

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_DATABASE(db, TestDatabase::Contents::Laboratory);
        db_ = std::move(db);
        entry::ModuleState& s = entry::state();
        s.LabConnection = db_->open();
        s.ReportEngine = std::make_shared<reportengine::Application>();
        setSamplePatient();
        ado::statementTrace().clear();
        ado::setStatementTracing(true);
    }
    void cleanup() {
        ado::setStatementTracing(false);
        entry::state().LabConnection.reset();
        entry::state().ReportEngine.reset();
        db_.reset();
    }

    void clearPrintTableEmptiesTheSpool() {
        auto& c = *entry::state().LabConnection;
        c.Execute(QStringLiteral(
            "insert into LABORATORY..tbLabPrint (RowNum, RowLine) values ('1','old')"));
        ado::statementTrace().clear();
        Clear_PrintTable();
        QCOMPARE(ado::statementTrace(),
                 QStringList{QStringLiteral("truncate table LABORATORY..tbLabPrint")});
        QCOMPARE(spooled(c), QStringList());
    }

    void insertPrintLine() {
        auto& c = *entry::state().LabConnection;
        VERIFY_TRANSCRIPT(QStringLiteral("report/expected/print_lines.txt"), [&](QString input) {
            c.Execute(QStringLiteral("delete from LABORATORY..tbLabPrint"));
            ado::statementTrace().clear();
            const auto rowNum = int16_t(input.section(u' ', 0, 0).toShort());
            input = input.section(u' ', 1);
            Insert_PrintLine(rowNum, takeQuoted(input));
            const QString sent = quotedText(ado::statementTrace().join(QStringLiteral(" ; ")));
            return sent + QStringLiteral(" stores ") + quotedText(spooled(c).join(u'\n'));
        });
    }

    void printLabReportPrintsTheSpoolInOrder() {
        PrintCapture capture;
        const QStringList lines = cytologySpoolLines();
        Clear_PrintTable();
        for (const QString& line : lines)
            Insert_PrintLine(1, line);
        Print_LabReport(QStringLiteral("CERVICO-VAGINAL CYTOLOGY REPORT"),
                        QStringLiteral("(BETHESDA SYSTEM)"), QString(), QString(),
                        QStringLiteral("N"), false);

        // The engine's own reading is not among the library's statements.
        QCOMPARE(ado::statementTrace().size(), 1 + lines.size());
        QStringList stored = lines;
        stored.replaceInStrings(QStringLiteral("'"), QStringLiteral("`"));
        QCOMPARE(spooled(*entry::state().LabConnection), stored);

        const QStringList files = capture.files();
        QCOMPARE(files.size(), 1);
        const QString pdf = files[0];
        QCOMPARE(QStringList({PrintCapture::info(pdf, "Pages"), PrintCapture::info(pdf, "Creator"),
                              PrintCapture::info(pdf, "Title")}),
                 QStringList({"1", "SAINT ALBAN MEDICAL FOUNDATION", "Laboratory Result"}));
        QStringList fonts = PrintCapture::fonts(pdf);
        fonts.removeDuplicates();
        fonts.sort();
        QCOMPARE(fonts, QStringList({"LiberationMono", "LiberationMono-Bold"}));
        VERIFY_EXPECTED(PrintCapture::composed(pdf),
                        QStringLiteral("report/expected/labprint.txt"));

        // Nothing reaches the edge of the sheet; the signatures stand at its foot.
        bool signed_ = false;
        for (const auto& w : PrintCapture::words(pdf)) {
            QVERIFY2(w.xMin >= 20 && w.xMax <= 612 - 20, qPrintable(w.text));
            if (w.text == QLatin1String("PATHOLOGIST")) {
                signed_ = true;
                QVERIFY2(w.yMax > 792 - 50 && w.yMax <= 792 - 30,
                         qPrintable(QString::number(w.yMax)));
            }
        }
        QVERIFY(signed_);
    }

    void rowsKeepTheirOrderAcrossPages() {
        PrintCapture capture;
        Clear_PrintTable();
        // Not in any sorted order, all with row number 1.
        QStringList lines;
        for (int i = 0; i < 150; ++i)
            lines << QStringLiteral("L%1").arg((i * 37) % 150, 3, 10, QLatin1Char('0'));
        for (const QString& line : lines)
            Insert_PrintLine(1, line);
        Print_LabReport(QStringLiteral("CLINICAL LABORATORY REPORT"), QString(), QString(),
                        QString(), QStringLiteral("N"), false);
        const QString pdf = capture.files().value(0);
        QCOMPARE(PrintCapture::info(pdf, QStringLiteral("Pages")), QStringLiteral("3"));
        QStringList printed;
        QList<int> headings;
        QList<int> signatures;
        for (const auto& w : PrintCapture::words(pdf)) {
            if (w.text.startsWith(u'L') && w.text.size() == 4)
                printed << w.text;
            if (w.text == QLatin1String("CLINICAL"))
                headings << w.page;
            if (w.text == QLatin1String("PATHOLOGIST"))
                signatures << w.page;
        }
        QCOMPARE(printed, lines);
        QCOMPARE(headings, (QList<int>{1, 2, 3})); // the heading on every page
        QCOMPARE(signatures, QList<int>{3});       // the signatures once, at the end
    }

    void noPrintFlagTouchesNothing() {
        PrintCapture capture;
        entry::state().ReportEngine.reset();
        const Raised r = raised([] {
            Print_LabReport(QStringLiteral("CLINICAL LABORATORY REPORT"), QString(), QString(),
                            QString(), QStringLiteral("N"), true);
        });
        QCOMPARE(r.number, 0);
        QCOMPARE(ado::statementTrace(), QStringList());
        QCOMPARE(capture.files(), QStringList());
    }

    void aFailedPrintUndoesItsJob() {
        PrintCapture capture;
        Insert_PrintLine(1, QStringLiteral("kept"));
        entry::state().ReportEngine.reset();
        const Raised r = raised([] {
            Clear_PrintTable();
            Insert_PrintLine(1, QStringLiteral("undone"));
            Print_LabReport(QStringLiteral("CLINICAL LABORATORY REPORT"), QString(), QString(),
                            QString(), QStringLiteral("N"), false);
        });
        QCOMPARE(r.number, vrt::err::ObjectNotSet);
        QCOMPARE(capture.files(), QStringList());
        QVERIFY(!printJobRunning());
        QCOMPARE(spooled(*entry::state().LabConnection), QStringList{QStringLiteral("kept")});
    }

    void printReportRelocatesTheTables() {
        PrintCapture capture;
        QTemporaryDir dir;
        const QString path = writeDefinition(
            dir, QStringLiteral("table name=t location=ELSEWHERE.dbo.tbLabPrint order=SeqNo "
                                "database=ELSEWHERE\n"
                                "[detail]\ntext \"{RowLine}\"\n"));
        Insert_PrintLine(1, QStringLiteral("moved"));
        Print_Report(QString(), QStringLiteral("LABORATORY"), path, vrt::Variant::array({}));
        QCOMPARE(PrintCapture::composed(capture.files().value(0)), QStringLiteral("moved\n"));
    }

    void parameterValuesReachTheirFields_data() {
        addColumns<QString, QStringList, QString>("type", "values", "printed");
        addRows<const char*, QStringList, const char*>({
            {"date", "date", {"2026-05-06", "x"}, "[5/6/2026] [x] []\n"},
            {"date and time", "datetime", {"2026-05-06 14:05"}, "[5/6/2026 2:05:00 PM] [] []\n"},
            {"text stays text; values beyond the fields ignored",
             "text",
             {"2026-05-06", "2", "3", "4"},
             "[2026-05-06] [2] [3]\n"},
        });
    }
    void parameterValuesReachTheirFields() {
        QFETCH(QString, type);
        QFETCH(QStringList, values);
        QFETCH(QString, printed);
        PrintCapture capture;
        QTemporaryDir dir;
        const QString path = writeDefinition(
            dir, QStringLiteral("parameter name=A type=%1\nparameter name=B\nparameter name=C\n"
                                "[header]\ntext \"[{A}] [{B}] [{C}]\"\n")
                     .arg(type));
        std::vector<vrt::Variant> list(values.begin(), values.end());
        Print_Report(QString(), QStringLiteral("LABORATORY"), path, vrt::Variant::array(list));
        QCOMPARE(PrintCapture::composed(capture.files().value(0)), printed);
    }
};

QTEST_MAIN(TestReportSpool)
#include "tst_report_spool.moc"
