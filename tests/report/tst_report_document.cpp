// The report document (its text routines, its pieces, how it prints), the
// standard report blocks composed into it, and the report engine.

#include "entry/modulestate.h"
#include "platform/forms/msgbox.h"
#include "platform/printing/printer.h"
#include "platform/reportengine/application.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "report/blocks.h"
#include "report/document.h"
#include "support/database.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/printcapture.h"
#include "support/reportdoc.h"
#include "support/rows.h"
#include "support/spoolsample.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace report;
using namespace reportengine;

namespace {

const PrintCapture::Word* findWord(const std::vector<PrintCapture::Word>& words,
                                   const QString& text) {
    for (const auto& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

const QString marker = QString(QChar(0x00A8));

// The run date and time of a title block are the clock's: any second of the
// call stands as <RUNDATE> and <RUNTIME>.
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

QString besideTheLibrary(const QString& name) {
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

class DefinitionFile {
public:
    explicit DefinitionFile(const QString& text) {
        QFile f(path());
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path()));
        f.write(text.toUtf8());
    }
    QString path() const { return dir_.filePath(QStringLiteral("Test.RPT")); }

private:
    QTemporaryDir dir_;
};

} // namespace

class TestReportDocument : public QObject {
    Q_OBJECT

    std::vector<forms::Message> messages_;

private slots:
    void init() {
        reportDocument().setText(QString());
        setSamplePatient();
        messages_.clear();
        forms::setMessageSink([this](const forms::Message& m) {
            messages_.push_back(m);
            return int(forms::vbOK);
        });
    }
    void cleanup() { forms::setMessageSink({}); }

    void widths() {
        VERIFY_TRANSCRIPT(QStringLiteral("report/expected/widths.txt"), [](const QString& input) {
            QString rest = input.section(u' ', 1);
            const QString value = takeQuoted(rest);
            const auto width = int16_t(rest.toShort());
            QString result;
            const Raised r = raised([&] {
                result = input.startsWith(QLatin1String("Fix_Width ")) ? Fix_Width(value, width)
                                                                       : Fill_Spaces(value, width);
            });
            return r.number ? QStringLiteral("error %1").arg(r.number) : quotedText(result);
        });
    }

    void addTextAppendsPlainCourierPieces() {
        // Left-over formatting of the insertion point must not leak in.
        reportDocument().SelFontName = QStringLiteral("Arial");
        reportDocument().SelBold = true;
        reportDocument().SelCharOffset = 40;
        Add_Text(QStringLiteral("Name: "), 9);
        Add_Text(QStringLiteral("TITLE\r\n"), 12);
        QCOMPARE(reportDocument().Text(), QStringLiteral("Name: TITLE\r\n"));
        QCOMPARE(pieceFormats(), QStringList({"9 Courier New x1", "12 Courier New x1"}));
    }

    // The size stays what the document was left at; nothing below 1.
    void addRepeated_data() {
        addColumns<int, QString, QString>("count", "expected", "pieces");
        addRows<int, const char*, const char*>({
            {"none", 0, "x", "12 Courier New x1"},
            {"negative", -2, "x", "12 Courier New x1"},
            {"three", 3, "x-=-=-=", "12 Courier New x4"},
        });
        QTest::newRow("32,767") << 32767
                                << QStringLiteral("x") + QStringLiteral("-=").repeated(32767)
                                << QStringLiteral("12 Courier New x32768");
    }
    void addRepeated() {
        QFETCH(int, count);
        QFETCH(QString, expected);
        QFETCH(QString, pieces);
        Add_Text(QStringLiteral("x"), 12);
        reportDocument().SelFontName = QStringLiteral("Arial");
        Add_Repeated(QStringLiteral("-="), int16_t(count));
        QCOMPARE(reportDocument().Text(), expected);
        QCOMPARE(pieceFormats(), QStringList{pieces});
    }

    void printsTheDocumentAsComposedInNumberedFiles() {
        PrintCapture capture;
        Add_Text(QStringLiteral("HEMATOLOGY") + QString(10, u' '), 9);
        Add_Text(QStringLiteral("RESULT\r\n"), 12);
        Add_Text(QStringLiteral("\r\n"), 9);
        Add_Text(Fix_Width(QStringLiteral("Hemoglobin"), 30) +
                     Fix_Width(QStringLiteral("135"), 10) + QStringLiteral("g/L\r\n"),
                 9);
        Add_Text(Fill_Spaces(QStringLiteral("Hematocrit"), 29) +
                     Fill_Spaces(QStringLiteral("0.41"), 9) + QStringLiteral("L/L\r\n"),
                 9);
        Add_Text(QStringLiteral("   Remarks: repeat in 2 weeks\r\n"), 8);
        const QString before = reportDocument().Text();
        frmPrinter::instance().Print_ResultData();
        frmPrinter::instance().Print_ResultData();

        QVERIFY(messages_.empty());
        QCOMPARE(reportDocument().Text(), before);
        const QStringList files = capture.files();
        QCOMPARE(files.size(), 2);
        QVERIFY(files[0].endsWith(QLatin1String("/0001.pdf")));
        QVERIFY(files[1].endsWith(QLatin1String("/0002.pdf")));
        QCOMPARE(PrintCapture::info(files[0], QStringLiteral("Pages")), QStringLiteral("1"));
        QCOMPARE(PrintCapture::info(files[0], QStringLiteral("Page size")).section(u' ', 0, 2),
                 QStringLiteral("612 x 792"));
        QCOMPARE(PrintCapture::fonts(files[0]), QStringList{QStringLiteral("LiberationMono")});
        VERIFY_EXPECTED(PrintCapture::text(files[0]),
                        QStringLiteral("report/expected/document.txt"));

        // Each piece in its own size, the two sizes of the first line on one line.
        const auto words = PrintCapture::words(files[0]);
        const auto* small = findWord(words, QStringLiteral("HEMATOLOGY"));
        const auto* big = findWord(words, QStringLiteral("RESULT"));
        const auto* note = findWord(words, QStringLiteral("Remarks:"));
        QVERIFY(small && big && note);
        const double smallHeight = small->yMax - small->yMin;
        QVERIFY(qAbs((big->yMax - big->yMin) / smallHeight - 12.0 / 9) < 0.02);
        QVERIFY(qAbs((note->yMax - note->yMin) / smallHeight - 8.0 / 9) < 0.02);
        QVERIFY(big->yMin < small->yMax && small->yMin < big->yMax);
    }

    // A letter page holds 72 lines of 9 points; on a report of more pages
    // two of them go to whom it is about and "Page n of m" at the foot.
    void pagesBreakWhenFullAndSayWhose() {
        PrintCapture capture;
        entry::state().RequestNum = QStringLiteral("LR26-0042");
        for (int i = 0; i < 150; ++i)
            Add_Text(QStringLiteral("LINE%1\r\n").arg(i, 3, 10, QLatin1Char('0')), 9);
        frmPrinter::instance().Print_ResultData();
        const QString pdf = capture.files().value(0);
        QCOMPARE(PrintCapture::info(pdf, QStringLiteral("Pages")), QStringLiteral("3"));
        std::vector<QStringList> lines(4), caption(4);
        for (const auto& w : PrintCapture::words(pdf))
            (w.text.startsWith(QLatin1String("LINE")) ? lines : caption)[size_t(w.page)] << w.text;
        QCOMPARE(lines[1].size(), 70);
        QCOMPARE(lines[2].first(), QStringLiteral("LINE070"));
        QCOMPARE(lines[3].last(), QStringLiteral("LINE149"));
        QCOMPARE(lines[1].size() + lines[2].size() + lines[3].size(), 150);
        for (int page = 1; page <= 3; ++page)
            QCOMPARE(caption[size_t(page)].join(u' '),
                     QStringLiteral("DELA CRUZ, MARIA CLARA Hosp. No. : 000123456 Request : "
                                    "LR26-0042 Page %1 of 3")
                         .arg(page));
    }

    // Signatures that no longer fit take the last results along to the
    // next page.
    void signaturesNeverStandAlone() {
        PrintCapture capture;
        composeReport(59);
        frmPrinter::instance().Print_ResultData();
        QStringList second;
        for (const auto& w : PrintCapture::words(capture.files().value(0)))
            if (w.page == 2)
                second << w.text;
        QCOMPARE(second.mid(0, 3), QStringList({"WBC", "Count", "157.7"}));
        QVERIFY(second.contains(QStringLiteral("PATHOLOGIST")));
    }

    void aLineWiderThanThePageWrapsInsteadOfBeingCut() {
        PrintCapture capture;
        QString line;
        for (int i = 0; i < 30; ++i)
            line += QStringLiteral("word%1 ").arg(i, 2, 10, QLatin1Char('0'));
        Add_Text(line + QStringLiteral("\r\nnext\r\n"), 9);
        frmPrinter::instance().Print_ResultData();
        const auto words = PrintCapture::words(capture.files().value(0));
        QCOMPARE(words.size(), size_t(31));
        for (const auto& w : words)
            QVERIFY2(w.xMax <= 612 - 18 + 0.5, qPrintable(w.text));
        // 30 words of 7 characters: 14 fit on a line of 103 characters.
        QCOMPARE(words[14].text, QStringLiteral("word14"));
        QVERIFY(words[14].yMin > words[13].yMax - 1);
        QCOMPARE(words[14].xMin, words[0].xMin);
        QVERIFY(words[30].yMin > words[29].yMax - 1);
    }

    void aFailedPrintIsReportedAndTheTextStays() {
        const QByteArray previous = qgetenv("VANTREL_PRINT_DIR");
        qputenv("VANTREL_PRINT_DIR", "/nonexistent/vantrel-print");
        Add_Text(QStringLiteral("kept\r\n"), 9);
        frmPrinter::instance().Print_ResultData();
        previous.isEmpty() ? qunsetenv("VANTREL_PRINT_DIR")
                           : qputenv("VANTREL_PRINT_DIR", previous);

        QCOMPARE(messages_.size(), size_t(1));
        QCOMPARE(messages_[0].icon, forms::MsgIcon::Exclamation);
        QCOMPARE(messages_[0].title, QStringLiteral("Print_ResultData"));
        QCOMPARE(messages_[0].text,
                 QStringLiteral("The report was not printed.\r\nThe print folder "
                                "/nonexistent/vantrel-print does not exist."));
        QCOMPARE(reportDocument().Text(), QStringLiteral("kept\r\n"));
    }

    // A landscape legal job (finished or not), then a letter report, into a
    // folder of reports 1 to n and a note of the last number: the files they
    // take, the note they leave, nothing of the first job in the second.
    void jobsNumberOnFromTheFolder_data() {
        addColumns<int, QString, bool, QString>("present", "note", "finished", "printed");
        addRows<int, QString, bool, QString>({
            {"an empty folder", 0, "", true, "0001.pdf 0002.pdf | 2\n"},
            {"an unfinished job first", 0, "", false, "0002.pdf | 2\n"},
            {"reports 1 to 1000", 1000, "", true, "1001.pdf 1002.pdf | 1002\n"},
            {"more reports than the note says", 9, "5", true, "0010.pdf 0011.pdf | 11\n"},
            {"reports removed after the note", 3, "7", true, "0008.pdf 0009.pdf | 9\n"},
            {"a note that is no number", 3, "x", true, "0004.pdf 0005.pdf | 5\n"},
            {"past four digits", 0, "9999", true, "10000.pdf 10001.pdf | 10001\n"},
        });
    }
    void jobsNumberOnFromTheFolder() {
        QFETCH(int, present);
        QFETCH(QString, note);
        QFETCH(bool, finished);
        QFETCH(QString, printed);
        PrintCapture capture;
        const QDir folder(capture.folder());
        for (int n = 1; n <= present; ++n)
            QFile(folder.filePath(QStringLiteral("%1.pdf").arg(n, 4, 10, QChar(u'0'))))
                .open(QIODevice::WriteOnly);
        QFile noteFile(folder.filePath(QStringLiteral(".vantrel-last-print")));
        if (!note.isEmpty() && noteFile.open(QIODevice::WriteOnly))
            noteFile.write(note.toLatin1());
        noteFile.close();
        {
            printing::PrintJob job(QStringLiteral("Wide"), {QPageSize::Legal, true});
            job.setCreator(QStringLiteral("Another Hospital"));
            QVERIFY(job.begin());
            job.drawText(0, 30, QStringLiteral("WIDE"), {.fontName = "DejaVu Sans", .bold = true});
            if (finished)
                job.finish();
        }
        Add_Text(QStringLiteral("NARROW\r\n"), 9);
        frmPrinter::instance().Print_ResultData();

        const QStringList added = folder.entryList({"*.pdf"}, QDir::Files, QDir::Name).mid(present);
        QVERIFY(noteFile.open(QIODevice::ReadOnly));
        QCOMPARE(added.join(u' ') + " | " + noteFile.readAll(), printed);
        const QString narrow = folder.filePath(added.last());
        QCOMPARE(PrintCapture::info(narrow, "Page size").section(u' ', 0, 2), "612 x 792");
        QCOMPARE(PrintCapture::info(narrow, "Creator"), QString());
        QCOMPARE(PrintCapture::text(narrow), "NARROW\n");
    }

    void theFormIsOnePerThread() {
        QCOMPARE(&frmPrinter::instance(), &frmPrinter::instance());
        QCOMPARE(frmPrinter::instance().Caption(), QStringLiteral("Printing Results...."));
        Add_Text(QStringLiteral("main thread"), 9);
        QString seen;
        std::thread([&] { seen = reportDocument().Text(); }).join();
        QCOMPARE(seen, QString());
    }

    // The heading is centred on 80 characters, untrimmed, half to even.
    void titleCentresTheHeading_data() {
        addColumns<QString, int>("name", "indent");
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

    void patientBlock() {
        VERIFY_TRANSCRIPT(QStringLiteral("report/expected/patient_block.txt"), [](QString input) {
            reportDocument().setText(QString());
            entry::state().PatName = takeQuoted(input);
            entry::state().Sex = takeQuoted(input);
            entry::state().IDNum = takeQuoted(input);
            Add_PatientHeader();
            return QStringLiteral("%1 lines, %2, ")
                       .arg(reportLines().size())
                       .arg(pieceFormats().join(QStringLiteral(" + "))) +
                   quotedText(reportLines().value(0));
        });
    }

    // The signatures start on line 35, or on line 69 when the results end
    // at line 34 or later; past line 67 they follow the results.
    void signaturesPadToTheirLine_data() {
        addColumns<int, int>("markerLine", "emptyLines");
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
        composeReport(6);
        frmPrinter::instance().Print_ResultData();
        const QString text = reportDocument().Text();
        QVERIFY(!QString(text).remove(QStringLiteral("\r\n")).contains(u'\n'));
        VERIFY_EXPECTED(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                        QStringLiteral("report/expected/short_report.txt"));
        reportDocument().setText(QString());
        composeReport(40);
        frmPrinter::instance().Print_ResultData();

        // Title lines of 9 points, the section line of 11, the rest of 9.
        const QStringList formats = pieceFormats();
        QCOMPARE(formats.mid(0, 2), QStringList({"9 Courier New x7", "11 Courier New x2"}));
        QVERIFY(formats.size() == 3 && formats[2].startsWith(QStringLiteral("9 Courier New x")));

        const QStringList pdfs = capture.files();
        QCOMPARE(pdfs.size(), 2);
        VERIFY_EXPECTED(PrintCapture::text(pdfs[0]),
                        QStringLiteral("report/expected/short_report.pdf.txt"));
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

    void openReport_data() {
        addColumns<QString, int, int>("path", "mode", "number");
        QString backslashed = besideTheLibrary(QStringLiteral("LabPrint.RPT"));
        backslashed.replace(backslashed.lastIndexOf(u'/'), 1, u'\\');
        addRows<QString, int, int>({
            {"missing file", "/nonexistent/LabPrint.RPT", 1, 53},
            {"unknown open method", besideTheLibrary(QStringLiteral("LabPrint.RPT")), 2, 5},
            {"backslashes separate folders", backslashed, 0, 0},
        });
    }
    void openReport() {
        QFETCH(QString, path);
        QFETCH(int, mode);
        QFETCH(int, number);
        Application app;
        QCOMPARE(raised([&] { app.OpenReport(path, int16_t(mode)); }).number, number);
    }

    void faultyDefinitions() {
        VERIFY_TRANSCRIPT(
            QStringLiteral("report/expected/faulty_definitions.txt"), [](QString input) {
                DefinitionFile file(takeQuoted(input));
                Application app;
                const Raised r = raised([&] { app.OpenReport(file.path()); });
                return (r.number == errDefinition ? QStringLiteral("error <definition>")
                                                  : QStringLiteral("error %1").arg(r.number)) +
                       QStringLiteral(": ") + r.description;
            });
    }

    void parameterValuesSuitTheirType_data() {
        addColumns<QString, vrt::Variant, bool>("type", "value", "taken");
        addRows<const char*, vrt::Variant, bool>({
            {"date takes a date", "date", vrt::Variant(vrt::Date{46148}), true},
            {"date refuses text", "date", vrt::Variant("5/6/2026"), false},
            {"number takes numeric text", "number", vrt::Variant("12.5"), true},
            {"number refuses words", "number", vrt::Variant("twelve"), false},
            {"text refuses an array", "text", vrt::Variant::array({}), false},
            {"Null for any type", "date", vrt::Variant::null(), true},
        });
    }
    void parameterValuesSuitTheirType() {
        QFETCH(QString, type);
        QFETCH(vrt::Variant, value);
        QFETCH(bool, taken);
        DefinitionFile file(QStringLiteral("parameter name=P type=") + type);
        Application app;
        auto field = app.OpenReport(file.path())->ParameterFields().at(0);
        const Raised r = raised([&] { field->SetCurrentValue(value); });
        QCOMPARE(r.number, taken ? 0 : vrt::err::TypeMismatch);
        QCOMPARE(field->HasCurrentValue(), taken);
    }

    void aMissingValueStopsThePrintWhilePromptingIsOn() {
        PrintCapture capture;
        DefinitionFile file(QStringLiteral("parameter name=Title\nparameter name=Note\n"
                                           "[header]\ntext \"{Title}|{Note}|{CompanyName}\"\n"));
        Application app;
        auto report = app.OpenReport(file.path());
        report->ParameterFields()[0]->SetCurrentValue(QStringLiteral("RESULT"));
        report->setCompanyName(QStringLiteral("ST. ALBAN"));
        const Raised r = raised([&] { report->PrintOut(false); });
        QCOMPARE(r.number, errMissingValue);
        QCOMPARE(r.description, QStringLiteral("The parameter field Note has no value."));
        QCOMPARE(capture.files(), QStringList());

        report->setPromptForMissingValues(false);
        report->PrintOut(false);
        QCOMPARE(PrintCapture::composed(capture.files().value(0)),
                 QStringLiteral("RESULT||ST. ALBAN\n"));
    }

    void anUnknownFieldNamesItsLine() {
        PrintCapture capture;
        DefinitionFile file(QStringLiteral("[header]\nblank\ntext \"{Nothing}\"\n"));
        Application app;
        const Raised r = raised([&] { app.OpenReport(file.path())->PrintOut(false); });
        QCOMPARE(r.number, errUnknownField);
        QCOMPARE(
            r.description,
            QStringLiteral("Test.RPT, line 3: {Nothing} is neither a parameter nor a column."));
        QCOMPARE(capture.files(), QStringList());
    }

    void bandsAreLaidOut() {
        PrintCapture capture;
        DefinitionFile file(
            QStringLiteral("page margins=36,36,36,36\n"
                           "parameter name=Name\nparameter name=Long\n"
                           "[header]\n"
                           "text center \"{Name}\"\n"
                           "text right \"Page top\"\n"
                           "text \"[{Name:8}][{Name:^8}][{Name:>8}][{Name:2}] {{braces}}\"\n"
                           "[footer]\n"
                           "text indent=4 \"{Long}\"\n"));
        Application app;
        auto report = app.OpenReport(file.path());
        report->ParameterFields()[0]->SetCurrentValue(QStringLiteral("ANA"));
        QString words;
        for (int i = 0; i < 30; ++i)
            words += QStringLiteral("word%1 ").arg(i, 2, 10, QLatin1Char('0'));
        report->ParameterFields()[1]->SetCurrentValue(words + QStringLiteral("\r\nlast line"));
        report->PrintOut(false);
        const QString pdf = capture.files().value(0);
        VERIFY_EXPECTED(PrintCapture::text(pdf), QStringLiteral("report/expected/bands.pdf.txt"));
        // The footer ends at the bottom margin; the header starts at the top one.
        double top = 1000, bottom = 0;
        for (const auto& w : PrintCapture::words(pdf)) {
            top = qMin(top, w.yMin);
            bottom = qMax(bottom, w.yMax);
        }
        QVERIFY2(top > 35.5 && top < 40, qPrintable(QString::number(top)));
        QVERIFY2(bottom <= 792 - 36 && bottom > 792 - 42, qPrintable(QString::number(bottom)));
    }

    void aTableThatCannotBeReadIsNamed_data() {
        addColumns<QString, QString, int, QString>("location", "source", "number", "description");
        const QString engineTest = QStringLiteral("Provider=SQLite;Data Source=memory:engine-test");
        addRows<const char*, QString, int, const char*>({
            {"no data source", "LABORATORY.dbo.tbLabPrint", QString(), errDatabase,
             "Table t: there is no data source to log on to."},
            {"location without owner", "tbLabPrint", engineTest, errDefinition,
             "The location tbLabPrint of table t is not database.owner.table."},
            {"missing table", "LABORATORY.dbo.tbMissing", engineTest, errDatabase,
             "The report cannot read table t: "},
        });
    }
    void aTableThatCannotBeReadIsNamed() {
        QFETCH(QString, location);
        QFETCH(QString, source);
        QFETCH(int, number);
        QFETCH(QString, description);
        PrintCapture capture;
        DefinitionFile file(QStringLiteral("table name=t location=") + location + u'\n');
        Application app;
        app.setDefaultDataSource(source);
        const Raised r = raised([&] { app.OpenReport(file.path())->PrintOut(false); });
        QCOMPARE(r.number, number);
        QVERIFY2(r.description.startsWith(description), qPrintable(r.description));
        QCOMPARE(capture.files(), QStringList());
    }
};

QTEST_MAIN(TestReportDocument)
#include "tst_report_document.moc"
