// The report document: its text routines, its pieces and how it prints.

#include "platform/forms/msgbox.h"
#include "report/document.h"
#include "report/frmprinter.h"
#include "support/errors.h"
#include "support/printcapture.h"

#include <QTest>
#include <thread>

using namespace report;

namespace {

printing::TextDocument& doc() {
    return frmPrinter::instance().rtbDummy;
}

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
        doc().setText(QString());
        messages_.clear();
        forms::setMessageSink([this](const forms::Message& m) {
            messages_.push_back(m);
            return int(forms::vbOK);
        });
    }
    void cleanup() { forms::setMessageSink({}); }

    void fixWidth_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trimmed, then cut") << "  ab  " << 1 << "a";
        QTest::newRow("empty, padded") << "" << 3 << "   ";
        QTest::newRow("exact length") << "abc" << 3 << "abc";
        QTest::newRow("longer, cut") << "HEMOGLOBIN" << 4 << "HEMO";
        QTest::newRow("width 0") << "abc" << 0 << "";
        QTest::newRow("caption loses its leading spaces")
            << "        MEDICAL TECHNOLOGIST         " << 50
            << QStringLiteral("MEDICAL TECHNOLOGIST") + QString(30, u' ');
        QTest::newRow("inner spaces stay") << " a  b " << 6 << "a  b  ";
        QTest::newRow("tabs are not trimmed") << "\tab" << 4 << "\tab ";
    }
    void fixWidth() {
        QFETCH(QString, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        const QString result = Fix_Width(value, int16_t(width));
        QCOMPARE(result, expected);
        QCOMPARE(result.size(), width);
    }

    void fixWidthRefusesANegativeWidth() {
        QCOMPARE(raised([] { Fix_Width(QStringLiteral("abc"), -1); }).number,
                 vrt::err::InvalidProcedureCall);
    }

    void fillSpaces_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one more than the width") << "abc" << 5 << "abc   ";
        QTest::newRow("longer than the width, uncut") << "abcdefg" << 5 << "abcdefg";
        QTest::newRow("empty, width 0") << "" << 0 << " ";
        QTest::newRow("trimmed first") << "  abc " << 3 << "abc ";
        QTest::newRow("one longer than the width") << "abcd" << 3 << "abcd";
        QTest::newRow("empty, width 4") << "" << 4 << "     ";
    }
    void fillSpaces() {
        QFETCH(QString, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(Fill_Spaces(value, int16_t(width)), expected);
    }

    void addTextAppendsPlainCourierPieces() {
        // Left-over formatting of the insertion point must not leak in.
        doc().SelFontName = QStringLiteral("Arial");
        doc().SelBold = true;
        doc().SelCharOffset = 40;
        Add_Text(QStringLiteral("Name: "), 9);
        Add_Text(QStringLiteral("TITLE\r\n"), 12);
        QCOMPARE(doc().Text(), QStringLiteral("Name: TITLE\r\n"));
        const auto& pieces = doc().pieces();
        QCOMPARE(pieces.size(), size_t(2));
        for (const auto& p : pieces) {
            QCOMPARE(p.format.fontName, QStringLiteral("Courier New"));
            QCOMPARE(p.format.bold, false);
            QCOMPARE(p.format.charOffset, 0);
        }
        QCOMPARE(pieces[0].format.pointSize, 9.0);
        QCOMPARE(pieces[1].format.pointSize, 12.0);
    }

    void addTextKeepsWhatIsThere() {
        Add_Text(QStringLiteral("first\r\n"), 9);
        Add_Text(QStringLiteral("second\r\n"), 9);
        QCOMPARE(doc().Text(), QStringLiteral("first\r\nsecond\r\n"));
    }

    void addRepeated_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << 0 << "x";
        QTest::newRow("negative") << -2 << "x";
        QTest::newRow("three") << 3 << "x-=-=-=";
        QTest::newRow("32,767") << 32767
                                << QStringLiteral("x") + QStringLiteral("-=").repeated(32767);
    }
    void addRepeated() {
        QFETCH(int, count);
        QFETCH(QString, expected);
        Add_Text(QStringLiteral("x"), 12);
        doc().SelFontName = QStringLiteral("Arial");
        Add_Repeated(QStringLiteral("-="), int16_t(count));
        QCOMPARE(doc().Text(), expected);
        QCOMPARE(doc().pieces().size(), size_t(1 + qMax(count, 0)));
        for (const auto& p : doc().pieces()) {
            // The size stays what the document was left at.
            QCOMPARE(p.format.pointSize, 12.0);
            QCOMPARE(p.format.fontName, QStringLiteral("Courier New"));
        }
    }

    void printsTheDocumentAsComposed() {
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
        const QString before = doc().Text();
        frmPrinter::instance().Print_ResultData();

        QVERIFY(messages_.empty());
        QCOMPARE(doc().Text(), before);
        const QStringList files = capture.files();
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].endsWith(QLatin1String("/0001.pdf")));
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

    void everyPrintIsANumberedFile() {
        PrintCapture capture;
        Add_Text(QStringLiteral("one\r\n"), 9);
        frmPrinter::instance().Print_ResultData();
        frmPrinter::instance().Print_ResultData();
        const QStringList files = capture.files();
        QCOMPARE(files.size(), 2);
        QVERIFY(files[0].endsWith(QLatin1String("/0001.pdf")));
        QVERIFY(files[1].endsWith(QLatin1String("/0002.pdf")));
    }

    void pagesBreakWhenFullWithNothingAdded() {
        PrintCapture capture;
        for (int i = 0; i < 150; ++i)
            Add_Text(QStringLiteral("LINE%1\r\n").arg(i, 3, 10, QLatin1Char('0')), 9);
        frmPrinter::instance().Print_ResultData();
        const QString pdf = capture.files().value(0);
        QCOMPARE(PrintCapture::info(pdf, QStringLiteral("Pages")), QStringLiteral("3"));
        // A letter page holds 72 lines of 9 points; no header, footer or page
        // number is added.
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
        Add_Text(line + QStringLiteral("\r\n"), 9);
        Add_Text(QStringLiteral("next\r\n"), 9);
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
        if (previous.isEmpty())
            qunsetenv("VANTREL_PRINT_DIR");
        else
            qputenv("VANTREL_PRINT_DIR", previous);

        QCOMPARE(messages_.size(), size_t(1));
        QCOMPARE(messages_[0].icon, forms::MsgIcon::Exclamation);
        QCOMPARE(messages_[0].title, QStringLiteral("Print_ResultData"));
        QCOMPARE(messages_[0].text,
                 QStringLiteral("The report was not printed.\r\nThe print folder "
                                "/nonexistent/vantrel-print does not exist."));
        QCOMPARE(doc().Text(), QStringLiteral("kept\r\n"));
    }

    void theFormIsOnePerThread() {
        QCOMPARE(&frmPrinter::instance(), &frmPrinter::instance());
        QCOMPARE(frmPrinter::instance().Caption(), QStringLiteral("Printing Results...."));
        Add_Text(QStringLiteral("main thread"), 9);
        QString seen;
        std::thread([&] { seen = frmPrinter::instance().rtbDummy.Text(); }).join();
        QCOMPARE(seen, QString());
    }
};

QTEST_MAIN(TestReportDocument)
#include "tst_report_document.moc"
