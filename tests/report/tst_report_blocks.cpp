// The standard report blocks: title, patient and signatures, and whole
// reports composed with them.

#include "entry/modulestate.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "report/blocks.h"
#include "report/document.h"
#include "support/printcapture.h"
#include "support/reportdoc.h"
#include "support/rows.h"
#include "support/spoolsample.h"

#include <QTest>

using namespace report;

namespace {

const QString marker = QString(QChar(0x00A8));

// The run date and time of a title block are the clock's: any second of the
// call stands as <RUNDATE> and <RUNTIME>.
QString withoutClock(QString text, vrt::Date before, vrt::Date after) {
    for (double s = before.serial - 1.0 / 86400; s <= after.serial + 1.0 / 86400;
         s += 0.5 / 86400) {
        text.replace(QStringLiteral("RUNDATE :   ") + vrt::shortDate(vrt::Date{s}),
                     QStringLiteral("RUNDATE :   <RUNDATE>"));
        text.replace(QStringLiteral("RUNTIME :   ") +
                         vrt::Format(vrt::Variant(vrt::Date{s}), "Long Time"),
                     QStringLiteral("RUNTIME :   <RUNTIME>"));
    }
    return text;
}

// A report as a result form composes it, with the results ending on the
// given line.
void composeReport(int resultLines) {
    Add_ReportTitle();
    Add_Text(QStringLiteral("\r\n"), 9);
    Add_PatientHeader();
    Add_Text(Fix_Width(QStringLiteral("EXAMINATION"), 30) +
                 Fix_Width(QStringLiteral("RESULT"), 20) + QStringLiteral("NORMAL VALUES\r\n"),
             9);
    Add_Repeated(QStringLiteral("-"), 66);
    Add_Text(QStringLiteral("\r\n"), 9);
    const char* const names[] = {"Hemoglobin", "Hematocrit", "WBC Count", "Segmenters",
                                 "Lymphocytes"};
    for (int i = 0; i < resultLines; ++i)
        Add_Text(Fill_Spaces(QString::fromLatin1(names[i % 5]), 29) +
                     Fix_Width(QStringLiteral("%1.%2").arg(100 + i).arg(i % 10), 20) +
                     QStringLiteral("%1 - %2\r\n").arg(90 + i).arg(160 + i),
                 9);
    Add_Text(marker + QStringLiteral("\r\n"), 9);
    Add_Signatories();
}

// Where the word PATHOLOGIST ends on the printed page, as a share of its height.
double pathologistHeight(const QString& pdf) {
    const double page =
        PrintCapture::info(pdf, QStringLiteral("Page size")).section(u' ', 2, 2).toDouble();
    for (const auto& w : PrintCapture::words(pdf))
        if (w.text == QLatin1String("PATHOLOGIST"))
            return w.yMax / page;
    return -1;
}

bool allNinePoint() {
    const QStringList formats = pieceFormats();
    return formats.size() == 1 && formats[0].startsWith(QStringLiteral("9 Courier New x"));
}

} // namespace

class TestReportBlocks : public QObject {
    Q_OBJECT

private slots:
    void init() {
        reportDocument().setText(QString());
        setSamplePatient();
    }

    // The heading is centred on 80 characters, untrimmed, half to even.
    void titleCentresTheHeading_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("indent");
        addRows<const char*, int>({
            {"25 gives 28", "ABCDEFGHIJKLMNOPQRSTUVWXY", 28},
            {"26 gives 27", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 27},
            {"7 untrimmed: 36.5 to the even 36", "  ABC  ", 36},
            {"longer than the line, 0", QByteArray(85, 'A').constData(), 0},
        });
    }
    void titleCentresTheHeading() {
        QFETCH(QString, name);
        QFETCH(int, indent);
        entry::ModuleState& s = entry::state();
        s.HospitalCompany = s.HospitalTitle = s.HospitalAddress = name;
        Add_ReportTitle();
        const QStringList lines = reportLines();
        QCOMPARE(lines.size(), 4);
        const QString centred = QString(indent, u' ') + name;
        QCOMPARE(lines[0], centred);
        QVERIFY(lines[1].startsWith(centred + QStringLiteral("  RUNDATE : ")));
        QVERIFY(lines[2].startsWith(centred + QString(14, u' ') + QStringLiteral("RUNTIME : ")));
    }

    // The name is cut at 40; "Admission # : " starts in column 53.
    void patientBlock_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("idNum");
        QTest::addColumn<QString>("line1");
        addRows<const char*, const char*, const char*, const char*>({
            {"short name padded", "DELA CRUZ, MARIA", "Female", "A-26-0001",
             "Name      : DELA CRUZ, MARIA                        Admission # : A-26-0001  Age: "
             "34 Y  Sex: F"},
            {"long name cut at 40", "MONTEMAYOR-VILLANUEVA, MARIA CONCEPCION ESPERANZA", "Male",
             "A-26-0002",
             "Name      : MONTEMAYOR-VILLANUEVA, MARIA CONCEPCION Admission # : A-26-0002  Age: "
             "34 Y  Sex: M"},
            {"admission number untrimmed, no sex", "  REYES, ANA  ", "", " 0012 ",
             "Name      : REYES, ANA                              Admission # :  0012   Age: 34 "
             "Y  Sex:  "},
        });
    }
    void patientBlock() {
        QFETCH(QString, name);
        QFETCH(QString, sex);
        QFETCH(QString, idNum);
        QFETCH(QString, line1);
        entry::state().PatName = name;
        entry::state().Sex = sex;
        entry::state().IDNum = idNum;
        Add_PatientHeader();
        QCOMPARE(reportLines().size(), 4);
        QCOMPARE(reportLines()[0], line1);
        QVERIFY(allNinePoint());
    }

    // The signatures start on line 35, or on line 69 when the results end
    // at line 34 or later; past line 67 they follow the results.
    void signaturesPadToTheirLine_data() {
        QTest::addColumn<int>("markerLine");
        QTest::addColumn<int>("emptyLines");
        addRows<int, int>({{"marker on line 0", 0, 34},
                           {"marker on line 33", 33, 1},
                           {"marker on line 34", 34, 34},
                           {"marker on line 67", 67, 1},
                           {"marker on line 68", 68, 0},
                           {"marker on line 80", 80, 0}});
    }
    void signaturesPadToTheirLine() {
        QFETCH(int, markerLine);
        QFETCH(int, emptyLines);
        for (int i = 0; i < markerLine; ++i)
            Add_Text(QStringLiteral("result %1\r\n").arg(i), 9);
        Add_Text(marker + QStringLiteral("\r\n"), 9);
        Add_Signatories();
        const QStringList lines = reportLines();
        const QStringList signatures{QStringLiteral("ANA LOPEZ, RMT") + QString(36, u' ') +
                                         QStringLiteral("DR. PEDRO SANTOS, MD, FPSP"),
                                     QString(37, u'-') + QString(13, u' ') + QString(36, u'-'),
                                     QStringLiteral("MEDICAL TECHNOLOGIST") + QString(43, u' ') +
                                         QStringLiteral("PATHOLOGIST") + QString(12, u' ')};
        QCOMPARE(lines.mid(markerLine), QStringList{marker} + QStringList(emptyLines) + signatures);
        QVERIFY(allNinePoint());
    }

    // Without the marker as a whole word nothing is added.
    void signaturesNeedTheWholeWordMarker() {
        Add_Text(QStringLiteral("Tinea") + marker + QStringLiteral("x\r\n"), 9);
        Add_Signatories();
        QCOMPARE(reportDocument().Text(),
                 QStringLiteral("Tinea") + marker + QStringLiteral("x\r\n"));
        QCOMPARE(pieceFormats(), QStringList({"9 Courier New x1"}));

        Add_Text(QStringLiteral("line 1\r\n") + marker + QStringLiteral("\r\n"), 9);
        Add_Signatories();
        // The whole-word marker is on line 2: 32 empty lines.
        QCOMPARE(reportLines().size(), 3 + 32 + 3);
    }

    // Short results sign in the middle of the sheet, long ones at its foot.
    void composedReports() {
        PrintCapture capture;
        const vrt::Date before = vrt::Now();
        composeReport(6);
        frmPrinter::instance().Print_ResultData();
        const vrt::Date after = vrt::Now();
        const QString text = reportDocument().Text();
        QVERIFY(!QString(text).remove(QStringLiteral("\r\n")).contains(u'\n'));
        const QString docDiff = differenceFromExpected(
            withoutClock(text, before, after).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
            QStringLiteral("report/expected/short_report.txt"));
        QVERIFY2(docDiff.isEmpty(), qPrintable(docDiff));
        reportDocument().setText(QString());
        composeReport(40);
        frmPrinter::instance().Print_ResultData();

        // Title lines of 9 points, the section line of 11, the rest of 9.
        const QStringList formats = pieceFormats();
        QCOMPARE(formats.mid(0, 2), QStringList({"9 Courier New x7", "11 Courier New x2"}));
        QVERIFY(formats.size() == 3 && formats[2].startsWith(QStringLiteral("9 Courier New x")));

        const QStringList pdfs = capture.files();
        QCOMPARE(pdfs.size(), 2);
        const QString diff =
            differenceFromExpected(withoutClock(PrintCapture::text(pdfs[0]), before, after),
                                   QStringLiteral("report/expected/short_report.pdf.txt"));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        for (const QString& pdf : pdfs) {
            QCOMPARE(PrintCapture::info(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
            for (const auto& w : PrintCapture::words(pdf))
                QVERIFY(w.xMax < 612 - 18);
        }
        QVERIFY2(pathologistHeight(pdfs[0]) > 0.45 && pathologistHeight(pdfs[0]) < 0.55,
                 qPrintable(QString::number(pathologistHeight(pdfs[0]))));
        QVERIFY2(pathologistHeight(pdfs[1]) > 1 - 48 / 792.0 &&
                     pathologistHeight(pdfs[1]) < 1 - 18 / 792.0,
                 qPrintable(QString::number(pathologistHeight(pdfs[1]))));
    }
};

QTEST_MAIN(TestReportBlocks)
#include "tst_report_blocks.moc"
