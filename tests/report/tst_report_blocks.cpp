// The standard report blocks: title, patient and signatures, and whole
// reports composed with them.

#include "entry/modulestate.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "report/blocks.h"
#include "report/document.h"
#include "report/frmprinter.h"
#include "support/printcapture.h"
#include "support/spoolsample.h"

#include <QRegularExpression>
#include <QTest>

using namespace report;

namespace {

const QString marker = QString(QChar(0x00A8));

printing::TextDocument& doc() {
    return frmPrinter::instance().rtbDummy;
}

QStringList docLines() {
    QStringList lines = doc().Text().split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The run date and time of a title block are the clock's: checked against
// the clock and replaced by <RUNDATE> and <RUNTIME>.
QString withoutClock(QString text, vrt::Date before, vrt::Date after) {
    static const QRegularExpression date(QStringLiteral("RUNDATE :   (\\S+)"));
    static const QRegularExpression time(QStringLiteral("RUNTIME :   (\\d+:\\d\\d:\\d\\d [AP]M)"));
    const auto d = date.match(text);
    const auto t = time.match(text);
    if (!d.hasMatch() || !t.hasMatch())
        return text;
    const QString dateText = d.captured(1);
    if (dateText != vrt::shortDate(before) && dateText != vrt::shortDate(after))
        return text;
    const auto seen = vrt::parseDate(dateText + u' ' + t.captured(1));
    if (!seen || seen->serial < before.serial - 1.0 / 86400 ||
        seen->serial > after.serial + 1.0 / 86400)
        return text;
    text.replace(t.capturedStart(1), t.capturedLength(1), QStringLiteral("<RUNTIME>"));
    text.replace(d.capturedStart(1), d.capturedLength(1), QStringLiteral("<RUNDATE>"));
    return text;
}

// A report as a result form composes it, with the results ending on the
// given line.
void composeReport(int resultLines) {
    doc().setText(QString());
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
    for (int i = 0; i < resultLines; ++i) {
        Add_Text(Fill_Spaces(QString::fromLatin1(names[i % 5]), 29) +
                     Fix_Width(QStringLiteral("%1.%2").arg(100 + i).arg(i % 10), 20) +
                     QStringLiteral("%1 - %2\r\n").arg(90 + i).arg(160 + i),
                 9);
    }
    Add_Text(marker + QStringLiteral("\r\n"), 9);
    Add_Signatories();
}

double heightOf(const QString& pdf) {
    return PrintCapture::info(pdf, QStringLiteral("Page size")).section(u' ', 2, 2).toDouble();
}

} // namespace

class TestReportBlocks : public QObject {
    Q_OBJECT

private slots:
    void init() {
        doc().setText(QString());
        setSamplePatient();
    }

    void titleCentresTheHeading_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("indent");
        QTest::newRow("25 gives 28") << 25 << 28;
        QTest::newRow("27 gives 26") << 27 << 26;
        QTest::newRow("26 gives 27") << 26 << 27;
        QTest::newRow("29 gives 26") << 29 << 26;
        QTest::newRow("empty gives 40") << 0 << 40;
        QTest::newRow("80 gives 0") << 80 << 0;
        QTest::newRow("longer than the line, 0") << 85 << 0;
    }
    void titleCentresTheHeading() {
        QFETCH(int, length);
        QFETCH(int, indent);
        QString name;
        for (int i = 0; i < length; ++i)
            name += QChar(u'A' + i % 26);
        entry::state().HospitalCompany = name;
        entry::state().HospitalTitle = name;
        entry::state().HospitalAddress = name;
        Add_ReportTitle();
        const QStringList lines = docLines();
        QCOMPARE(lines.size(), 4);
        const QString centred = QString(indent, u' ') + name;
        QCOMPARE(lines[0], centred);
        QVERIFY(lines[1].startsWith(centred + QStringLiteral("  RUNDATE : ")));
        QVERIFY(lines[2].startsWith(centred + QString(14, u' ') + QStringLiteral("RUNTIME : ")));
    }

    void titleMeasuresTheNameUntrimmed() {
        entry::state().HospitalCompany = QStringLiteral("  ABC  ");
        Add_ReportTitle();
        // 7 characters: (80 - 7) / 2 = 36.5, to the even 36.
        QCOMPARE(docLines().value(0), QString(36, u' ') + QStringLiteral("  ABC  "));
    }

    void titleBlockLines() {
        const vrt::Date before = vrt::Now();
        Add_ReportTitle();
        const vrt::Date after = vrt::Now();
        const QString text = withoutClock(doc().Text(), before, after);
        QCOMPARE(text, QString(25, u' ') + QStringLiteral("SAINT ALBAN MEDICAL FOUNDATION\r\n") +
                           QString(27, u' ') +
                           QStringLiteral("ST. ALBAN GENERAL HOSPITAL  RUNDATE :   <RUNDATE>\r\n") +
                           QString(26, u' ') + QStringLiteral("123 Rizal Avenue, San Pedro") +
                           QString(14, u' ') + QStringLiteral("RUNTIME :   <RUNTIME>\r\n") +
                           QStringLiteral("HEMATOLOGY") + QString(10 + 8, u' ') +
                           QStringLiteral("CLINICAL LABORATORY REPORT\r\n"));
        // Three lines of 9 points, the section line of 11.
        std::vector<double> sizes;
        for (const auto& p : doc().pieces())
            sizes.push_back(p.format.pointSize);
        QCOMPARE(sizes, (std::vector<double>{9, 9, 9, 9, 9, 9, 9, 11, 11}));
    }

    void patientBlock_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("idNum");
        QTest::addColumn<QString>("line1");
        QTest::newRow("short name padded")
            << "DELA CRUZ, MARIA"
            << "Female"
            << "A-26-0001"
            << QStringLiteral("Name      : DELA CRUZ, MARIA") + QString(24, u' ') +
                   QStringLiteral("Admission # : A-26-0001  Age: 34 Y  Sex: F");
        QTest::newRow("long name cut at 40")
            << "MONTEMAYOR-VILLANUEVA, MARIA CONCEPCION ESPERANZA"
            << "Male"
            << "A-26-0002"
            << QStringLiteral("Name      : MONTEMAYOR-VILLANUEVA, MARIA CONCEPCION Admission # : "
                              "A-26-0002  Age: 34 Y  Sex: M");
        QTest::newRow("admission number untrimmed, no sex")
            << "  REYES, ANA  "
            << ""
            << " 0012 "
            << QStringLiteral("Name      : REYES, ANA") + QString(30, u' ') +
                   QStringLiteral("Admission # :  0012   Age: 34 Y  Sex:  ");
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
        const QStringList lines = docLines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], line1);
        QCOMPARE(lines[0].indexOf(QStringLiteral("Admission # : ")), 52); // column 53
        QCOMPARE(lines[1], QStringLiteral("Hosp. No. : 000123456 ") + QString(30, u' ') +
                               QStringLiteral("Room No. : 301-B") + QString(9, u' ') +
                               QStringLiteral("Status: Married"));
        QCOMPARE(lines[2], QStringLiteral("Physician : DR. JOSE REYES"));
        QCOMPARE(lines[3], QString());
        for (const auto& p : doc().pieces())
            QCOMPARE(p.format.pointSize, 9.0);
    }

    void signaturesPadToTheirLine_data() {
        QTest::addColumn<int>("markerLine");
        QTest::addColumn<int>("emptyLines");
        QTest::newRow("marker on line 0") << 0 << 34;
        QTest::newRow("marker on line 10") << 10 << 24;
        QTest::newRow("marker on line 33") << 33 << 1;
        QTest::newRow("marker on line 34") << 34 << 34;
        QTest::newRow("marker on line 40") << 40 << 28;
        QTest::newRow("marker on line 67") << 67 << 1;
        QTest::newRow("marker on line 68") << 68 << 0;
        QTest::newRow("marker on line 80") << 80 << 0;
    }
    void signaturesPadToTheirLine() {
        QFETCH(int, markerLine);
        QFETCH(int, emptyLines);
        for (int i = 0; i < markerLine; ++i)
            Add_Text(QStringLiteral("result %1\r\n").arg(i), 9);
        Add_Text(marker + QStringLiteral("\r\n"), 9);
        Add_Signatories();
        const QStringList lines = docLines();
        QCOMPARE(lines.size(), markerLine + 1 + emptyLines + 3);
        QCOMPARE(lines[markerLine], marker);
        for (int i = markerLine + 1; i <= markerLine + emptyLines; ++i)
            QCOMPARE(lines[i], QString());
        const int names = markerLine + 1 + emptyLines;
        QCOMPARE(lines[names], QStringLiteral("ANA LOPEZ, RMT") + QString(36, u' ') +
                                   QStringLiteral("DR. PEDRO SANTOS, MD, FPSP"));
        QCOMPARE(lines[names + 1], QString(37, u'-') + QString(13, u' ') + QString(36, u'-'));
        QCOMPARE(lines[names + 2], QStringLiteral("MEDICAL TECHNOLOGIST") + QString(30, u' ') +
                                       QStringLiteral("             PATHOLOGIST            "));
        QCOMPARE(lines[names + 2].indexOf(QStringLiteral("PATHOLOGIST")), 63); // column 64
        if (markerLine < 68)
            QCOMPARE(names, markerLine < 34 ? 35 : 69);
        for (const auto& p : doc().pieces())
            QCOMPARE(p.format.pointSize, 9.0);
    }

    void noMarkerAddsNothing() {
        Add_Text(QStringLiteral("results without their end\r\n"), 9);
        Add_Signatories();
        QCOMPARE(doc().Text(), QStringLiteral("results without their end\r\n"));
        QCOMPARE(doc().pieces().size(), size_t(1));
    }

    void theMarkerCountsOnlyAsAWholeWord() {
        Add_Text(QStringLiteral("Tinea") + marker + QStringLiteral("x\r\n"), 9);
        Add_Signatories();
        QCOMPARE(doc().pieces().size(), size_t(1));

        Add_Text(QStringLiteral("line 1\r\n") + marker + QStringLiteral("\r\n"), 9);
        Add_Signatories();
        // The whole-word marker is on line 2: 32 empty lines.
        QCOMPARE(docLines().size(), 3 + 32 + 3);
    }

    void composedShortReport() {
        PrintCapture capture;
        const vrt::Date before = vrt::Now();
        composeReport(6);
        frmPrinter::instance().Print_ResultData();
        const vrt::Date after = vrt::Now();

        QString text = doc().Text();
        QVERIFY(!text.remove(QStringLiteral("\r\n")).contains(u'\n'));
        QString diff =
            differenceFromExpected(withoutClock(doc().Text(), before, after)
                                       .replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                                   QStringLiteral("report/expected/short_report.txt"));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

        const QString pdf = capture.files().value(0);
        QCOMPARE(PrintCapture::info(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        diff = differenceFromExpected(withoutClock(PrintCapture::text(pdf), before, after),
                                      QStringLiteral("report/expected/short_report.pdf.txt"));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

        // Short results sign in the middle of the sheet.
        for (const auto& w : PrintCapture::words(pdf))
            if (w.text == QLatin1String("PATHOLOGIST"))
                QVERIFY2(w.yMax > heightOf(pdf) * 0.45 && w.yMax < heightOf(pdf) * 0.55,
                         qPrintable(QString::number(w.yMax)));
    }

    void composedLongReportSignsAtTheFootOfThePage() {
        PrintCapture capture;
        composeReport(40);
        frmPrinter::instance().Print_ResultData();
        const QString pdf = capture.files().value(0);
        QCOMPARE(PrintCapture::info(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        bool seen = false;
        for (const auto& w : PrintCapture::words(pdf)) {
            QVERIFY(w.xMax < 612 - 18);
            if (w.text == QLatin1String("PATHOLOGIST")) {
                seen = true;
                QVERIFY2(w.yMax > heightOf(pdf) - 48 && w.yMax < heightOf(pdf) - 18,
                         qPrintable(QString::number(w.yMax)));
            }
        }
        QVERIFY(seen);
    }
};

QTEST_MAIN(TestReportBlocks)
#include "tst_report_blocks.moc"
