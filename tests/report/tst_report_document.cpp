// The report document: its text routines, its pieces and how it prints.

#include "platform/forms/msgbox.h"
#include "report/document.h"
#include "support/errors.h"
#include "support/printcapture.h"
#include "support/reportdoc.h"
#include "support/rows.h"

#include <QTest>
#include <thread>

using namespace report;

namespace {

const PrintCapture::Word* findWord(const std::vector<PrintCapture::Word>& words,
                                   const QString& text) {
    for (const auto& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

} // namespace

class TestReportDocument : public QObject {
    Q_OBJECT

    std::vector<forms::Message> messages_;

private slots:
    void init() {
        reportDocument().setText(QString());
        messages_.clear();
        forms::setMessageSink([this](const forms::Message& m) {
            messages_.push_back(m);
            return int(forms::vbOK);
        });
    }
    void cleanup() { forms::setMessageSink({}); }

    // Fix_Width cuts or pads to the width; Fill_Spaces pads to one more and
    // never cuts. Both trim spaces (not tabs) first.
    void widths_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        addRows<const char*, const char*, int, const char*>({
            {"trimmed, then cut", "Fix", "  ab  ", 1, "a"},
            {"empty, padded", "Fix", "", 3, "   "},
            {"width 0", "Fix", "abc", 0, ""},
            {"inner spaces stay", "Fix", " a  b ", 6, "a  b  "},
            {"tabs are not trimmed", "Fix", "\tab", 4, "\tab "},
            {"negative width", "Fix", "abc", -1, "error 5"},
            {"one more than the width", "Fill", "abc", 5, "abc   "},
            {"longer than the width, uncut", "Fill", "abcdefg", 5, "abcdefg"},
            {"empty, width 0", "Fill", "", 0, " "},
            {"trimmed first", "Fill", "  abc ", 3, "abc "},
        });
    }
    void widths() {
        QFETCH(QString, call);
        QFETCH(QString, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QString result;
        const Raised r = raised([&] {
            result = call == QLatin1String("Fix") ? Fix_Width(value, int16_t(width))
                                                  : Fill_Spaces(value, int16_t(width));
        });
        QCOMPARE(r.number ? QStringLiteral("error %1").arg(r.number) : result, expected);
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
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("pieces");
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
        const QString diff = differenceFromExpected(PrintCapture::text(files[0]),
                                                    QStringLiteral("report/expected/document.txt"));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

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

    // A letter page holds 72 lines of 9 points; no header, footer or page
    // number is added.
    void pagesBreakWhenFullWithNothingAdded() {
        PrintCapture capture;
        for (int i = 0; i < 150; ++i)
            Add_Text(QStringLiteral("LINE%1\r\n").arg(i, 3, 10, QLatin1Char('0')), 9);
        frmPrinter::instance().Print_ResultData();
        const QString pdf = capture.files().value(0);
        QCOMPARE(PrintCapture::info(pdf, QStringLiteral("Pages")), QStringLiteral("3"));
        std::vector<QStringList> pages(4);
        for (const auto& w : PrintCapture::words(pdf))
            pages[size_t(w.page)] << w.text;
        QCOMPARE(pages[1].size(), 72);
        QCOMPARE(pages[1].first(), QStringLiteral("LINE000"));
        QCOMPARE(pages[2].first(), QStringLiteral("LINE072"));
        QCOMPARE(pages[3].last(), QStringLiteral("LINE149"));
        QCOMPARE(pages[1].size() + pages[2].size() + pages[3].size(), 150);
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

    void theFormIsOnePerThread() {
        QCOMPARE(&frmPrinter::instance(), &frmPrinter::instance());
        QCOMPARE(frmPrinter::instance().Caption(), QStringLiteral("Printing Results...."));
        Add_Text(QStringLiteral("main thread"), 9);
        QString seen;
        std::thread([&] { seen = reportDocument().Text(); }).join();
        QCOMPARE(seen, QString());
    }
};

QTEST_MAIN(TestReportDocument)
#include "tst_report_document.moc"
