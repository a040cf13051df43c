#include "entry/modulestate.h"
#include "forms/stool/frmStool.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/scripteduser.h"

#include <QTest>

using resultforms::frmStool;

namespace {

frmStool& stool(forms::Form& f) {
    return static_cast<frmStool&>(f);
}

void fixReported(forms::Form& f) {
    stool(f).dtReportDate->setValue(vrt::Variant("12/6/2026"));
    stool(f).dtReportTime->setValue(vrt::Variant("9:30:00 AM"));
}

} // namespace

class TestStool : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request(QStringLiteral("LR26-0006"), QStringLiteral("H"), QStringLiteral("35"),
                      QStringLiteral("STOOL EXAMINATION"));
        entry::state().Remarks = QStringLiteral("formed stool");
    }
    void cleanup() {
        lab_.reset();
        QVERIFY(!forms::isLoaded<frmStool>());
    }

    void firstSaveThenSecondSave() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), stool(f).txtResults(0));
            })
            .run(fixReported)
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("brown"))
            .key(QStringLiteral("txtResults(0)"), Qt::Key_Return)
            .type(QStringLiteral("txtResults(1)"), QStringLiteral("formed"))
            .type(QStringLiteral("txtResults(8)"), QStringLiteral("o'va seen"))
            .type(QStringLiteral("txtInterpretation"), QStringLiteral("Ascariasis"))
            .key(QStringLiteral("txtInterpretation"), Qt::Key_Return)
            .type(QStringLiteral("txtInterpretation"), QStringLiteral("Treat"))
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
        const QStringList trace = ado::statementTrace();
        QCOMPARE(trace.size(), 7);
        QVERIFY(trace[5].startsWith(QLatin1String("laboratory..LAB_SaveResultEntry 'H-20417',")));
        const QString saved =
            QStringLiteral("Laboratory..Lab_Save_HCodes 0, 'LR26-0006','BROWN', 'FORMED', '', '', "
                           "'', '', '', '', 'O`VA SEEN', '', '', '', '', '', '', '', '', '', "
                           "'','Ascariasis\r\nTreat','12/6/2026','09:30:00 AM','','','','','',"
                           "'','','','','','formed stool'");
        QCOMPARE(trace[6], saved);
        const auto row = lab_->rows(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0006'"));
        QCOMPARE(row[0].mid(19, 5), QStringList({"", "formed stool", "Ascariasis\r\nTreat",
                                                 "12/6/2026", "09:30:00 AM"}));

        ado::statementTrace().clear();
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmStool"))
            .run([](forms::Form& f) {
                QCOMPARE(stool(f).txtResults(8)->text(), QStringLiteral("O`VA SEEN"));
                QCOMPARE(stool(f).txtInterpretation->toPlainText(),
                         QStringLiteral("Ascariasis\nTreat"));
                QCOMPARE(stool(f).dtReportDate->text(), QStringLiteral("12/06/2026"));
            })
            .run(fixReported)
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        QCOMPARE(ado::statementTrace().last(),
                 QString(saved).replace(QStringLiteral("HCodes 0,"), QStringLiteral("HCodes 1,")));
        QVERIFY(!ado::statementTrace().join('\n').contains(QLatin1String("LAB_SaveResultEntry")));
    }

    // Enter moves on, stays in 13 and 14, and goes from 17 to the
    // interpretation.
    void enterRules() {
        const std::pair<int, const char*> moves[] = {{12, "txtResults(13)"},
                                                     {13, "txtResults(13)"},
                                                     {14, "txtResults(14)"},
                                                     {17, "txtInterpretation"}};
        ScriptedUser user;
        auto& script = user.expectForm(QStringLiteral("frmStool"));
        for (const auto& [box, focus] : moves)
            script.key(QStringLiteral("txtResults(%1)").arg(box), Qt::Key_Return)
                .run([focus](forms::Form&) {
                    QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(focus));
                });
        script.click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!lab_->object().HasSaved());
    }

    void printAndSaveSpoolsTheReport() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run(fixReported)
            .type(QStringLiteral("txtResults(0)"),
                  QStringLiteral("light brown with streaks of red and mucus"))
            .type(QStringLiteral("txtResults(8)"),
                  QStringLiteral("many ova of ascaris lumbricoides seen per field"))
            .run([](forms::Form& f) {
                stool(f).txtInterpretation->setPlainText(QStringLiteral("Line one\nLine two"));
            })
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        const auto rows = lab_->rows(QStringLiteral("select RowLine from LABORATORY..tbLabPrint "
                                                    "order by SeqNo"));
        QCOMPARE(rows.size(), 25);
        // Color is cut to 38; the Ascaris value on the same row is not.
        QCOMPARE(rows[7][0],
                 QStringLiteral("  Color           = LIGHT BROWN WITH STREAKS OF RED AND MU"
                                "  Ascaris lumbricoides  = MANY OVA OF ASCARIS "
                                "LUMBRICOIDES SEEN PER FIELD"));
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::text(lab_->printedFiles().first()),
                        QStringLiteral("resultforms/expected/stool.txt"));
    }

    // A stored row whose columns hold no value loads as empty boxes and
    // keeps today's date and time in the pickers.
    void nullColumnsLoadAsEmptyBoxes() {
        lab_->database().keeper().Execute(QStringLiteral(
            "insert into laboratory..tbLabResultHCodes (RequestNum) values ('LR26-0006')"));
        entry::state().Remarks = QStringLiteral("old");
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run([](forms::Form& f) {
                for (int i = 0; i < 18; ++i)
                    QCOMPARE(stool(f).txtResults(i)->text(), QString());
                QCOMPARE(stool(f).txtInterpretation->toPlainText(), QString());
                QCOMPARE(stool(f).dtReportDate->text(),
                         vrt::Format(vrt::Variant(vrt::Today()), QStringLiteral("mm/dd/yyyy")));
                QCOMPARE(entry::state().Remarks, QString());
            })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
    }

    // A right-column value too wide for the page stays under its own label:
    // condensed on its row, or continued under the column where it begins.
    void longValueStaysUnderItsLabel_data() {
        QTest::addColumn<int>("words");
        QTest::addColumn<bool>("oneLine");
        QTest::newRow("60 characters") << 10 << true;
        QTest::newRow("180 characters") << 30 << false;
    }
    void longValueStaysUnderItsLabel() {
        QFETCH(int, words);
        QFETCH(bool, oneLine);
        QStringList value;
        for (int i = 1; i <= words; ++i)
            value << QStringLiteral("OVA%1").arg(i, 2, 10, QLatin1Char('0'));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run([value](forms::Form& f) { stool(f).txtResults(8)->setText(value.join(u' ')); })
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        const auto printed = PrintCapture::words(lab_->printedFiles().value(0));
        auto find = [&](const QString& text) {
            for (const PrintCapture::Word& w : printed)
                if (w.text == text)
                    return w;
            return PrintCapture::Word{};
        };
        const PrintCapture::Word label = find(QStringLiteral("lumbricoides"));
        const PrintCapture::Word first = find(QStringLiteral("OVA01"));
        const PrintCapture::Word last = find(value.last());
        QVERIFY(first.xMin > label.xMax);
        QCOMPARE(qAbs(last.yMin - label.yMin) < 1, oneLine);
        for (const QString& v : value) {
            QVERIFY2(find(v).xMin > first.xMin - 0.5, qPrintable(v));
            QVERIFY2(find(v).xMax < 612, qPrintable(v));
        }
        // The next row comes after the whole value.
        QVERIFY(find(QStringLiteral("Trichuris")).yMin > last.yMin);
    }
};

QTEST_MAIN(TestStool)
#include "tst_stool.moc"
