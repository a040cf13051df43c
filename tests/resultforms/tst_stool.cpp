#include "entry/modulestate.h"
#include "forms/stool/frmStool.h"
#include "platform/ado/trace.h"
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

QString codedStatement(int mode, const QStringList& findings, const QString& interpretation) {
    QString sql = QStringLiteral("Laboratory..Lab_Save_HCodes %1, 'LR26-0006','").arg(mode);
    for (int i = 0; i < 18; ++i)
        sql += findings.value(i) + QStringLiteral("', '");
    return sql + QStringLiteral("','") + interpretation +
           QStringLiteral("','12/6/2026','09:30:00 AM','','','','','','','','','','','") +
           QStringLiteral("formed stool'");
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
                QCOMPARE(f.windowTitle(), QStringLiteral("Stool Examination"));
                QCOMPARE(QApplication::focusWidget(), stool(f).txtResults(0));
            })
            .run(fixReported)
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("brown"))
            .key(QStringLiteral("txtResults(0)"), Qt::Key_Return)
            .type(QStringLiteral("txtResults(1)"), QStringLiteral("formed"))
            .type(QStringLiteral("txtResults(8)"), QStringLiteral("o'va seen"))
            .type(QStringLiteral("txtInterpretation"), QStringLiteral("Ascariasis"))
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
        QStringList findings{"BROWN", "FORMED"};
        findings.resize(18);
        findings[8] = QStringLiteral("O`VA SEEN");
        const QStringList trace = ado::statementTrace();
        QCOMPARE(trace.size(), 7);
        QCOMPARE(trace[0], QStringLiteral("select * from patient_data..tbHospitalInfo"));
        QCOMPARE(trace[1], QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0006'"));
        QCOMPARE(trace[3],
                 QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0006','EMP-7'"));
        QVERIFY(trace[5].startsWith(QLatin1String("laboratory..LAB_SaveResultEntry 'H-20417',")));
        QCOMPARE(trace[6], codedStatement(0, findings, QStringLiteral("Ascariasis")));
        const auto row = lab_->rows(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0006'"));
        QCOMPARE(row[0][1], QStringLiteral("BROWN"));
        QCOMPARE(row[0][9], QStringLiteral("O`VA SEEN"));
        QCOMPARE(row[0][19], QString());
        QCOMPARE(row[0][20], QStringLiteral("formed stool"));
        QCOMPARE(row[0][21], QStringLiteral("Ascariasis"));
        QCOMPARE(row[0][22], QStringLiteral("12/6/2026"));
        QCOMPARE(row[0][23], QStringLiteral("09:30:00 AM"));
        QCOMPARE(row[0][24], QString());

        ado::statementTrace().clear();
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmStool"))
            .run([](forms::Form& f) {
                QCOMPARE(stool(f).txtResults(8)->text(), QStringLiteral("O`VA SEEN"));
                QCOMPARE(stool(f).txtInterpretation->toPlainText(), QStringLiteral("Ascariasis"));
                QCOMPARE(stool(f).dtReportDate->text(), QStringLiteral("12/06/2026"));
            })
            .run(fixReported)
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        QCOMPARE(ado::statementTrace().last(),
                 codedStatement(1, findings, QStringLiteral("Ascariasis")));
        QVERIFY(!ado::statementTrace().join('\n').contains(QLatin1String("LAB_SaveResultEntry")));
    }

    void enterRules() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .key(QStringLiteral("txtResults(12)"), Qt::Key_Return)
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), stool(f).txtResults(13));
            })
            .key(QStringLiteral("txtResults(13)"), Qt::Key_Return)
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), stool(f).txtResults(13));
            })
            .key(QStringLiteral("txtResults(14)"), Qt::Key_Enter)
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), stool(f).txtResults(14));
            })
            .key(QStringLiteral("txtResults(17)"), Qt::Key_Return)
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), stool(f).txtInterpretation);
            })
            .click(QStringLiteral("cmdExam(1)"));
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
        QCOMPARE(rows[6][0].indexOf(QLatin1String("NEMATODES: ")), 58);
        QCOMPARE(rows[23][0], QStringLiteral("Line one\nLine two"));
        QCOMPARE(rows[24][0], QString());
        QCOMPARE(lab_->printedFiles().size(), 1);
        const QString pdf = lab_->printFolder() + QLatin1Char('/') + lab_->printedFiles().first();
        const QString diff = differenceFromExpected(
            PrintCapture::text(pdf), QStringLiteral("resultforms/expected/stool.txt"));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
};

QTEST_MAIN(TestStool)
#include "tst_stool.moc"
