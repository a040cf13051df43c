#include "entry/modulestate.h"
#include "forms/histopath/frmHistopath.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/scripteduser.h"

#include <QClipboard>
#include <QMimeData>
#include <QTest>

namespace {

resultforms::frmHistopath& form(forms::Form& f) {
    return static_cast<resultforms::frmHistopath&>(f);
}

// Pasted from a word processor as formatted paragraphs: two pages.
const QString pastedHtml = "<p><b>The patient's colon.</b></p>" +
                           QString("<p>Section of the bowel wall.</p>").repeated(60);

} // namespace

class TestHistopath : public QObject {
    Q_OBJECT
    std::unique_ptr<LabSession> lab_;

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { FETCH_LAB_SESSION(lab_); }
    void cleanup() { lab_.reset(); }

    // Nothing while the sign-off stays cancelled; then Print and Save over a
    // stale spool row, and the request opened again saves in mode 1. The
    // statements, the stored and spooled rows and what the reopened form shows
    // are in expected/histopath_<request>_saves.txt.
    void printSaveThenReopen_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("number");
        QTest::newRow("logged, typed, one page") << "LR26-0008"
                                                 << "HP'26-0201";
        QTest::newRow("walk-in, pasted, two pages") << "WALKIN-9"
                                                    << "HP26-0202";
    }
    void printSaveThenReopen() {
        QFETCH(QString, request);
        QFETCH(QString, number);
        const bool paste = request == QLatin1String("WALKIN-9");
        lab_->database().keeper().Execute(QStringLiteral(
            "insert into LABORATORY..tbLabPrint_Histopath (Microscopy) values ('STALE')"));
        lab_->request(request, "X", "401", "HISTOPATHOLOGY");
        ado::statementTrace().clear();
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmHistopath"))
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), form(f).txtHistopathNum);
                form(f).dtReportDate->setValue(vrt::Variant(QStringLiteral("12/06/2026")));
                form(f).dtReportTime->setValue(vrt::Variant(QStringLiteral("2:45 PM")));
                entry::state().SignOffCancelled = true;
            })
            .click(QStringLiteral("cmdExam(0)"))
            .click(QStringLiteral("cmdExam(2)"))
            .run([](forms::Form&) {
                QCOMPARE(ado::statementTrace().size(), 2);
                entry::state().SignOffCancelled = false;
            })
            .type(QStringLiteral("txtHistopathNum"), number)
            .key(Qt::Key_Return)
            .run([paste](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), form(f).dtReportDate);
                auto* html = new QMimeData;
                html->setHtml(pastedHtml);
                QApplication::clipboard()->setMimeData(html);
                if (paste)
                    form(f).rtfSpecimen->paste();
            })
            .type(QStringLiteral("rtfSpecimen"), paste ? QString() : "The patient's polyp, 1.2 cm.")
            .type(QStringLiteral("rtfInterpretation"), QStringLiteral("O'Neil adenoma."))
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
        QString saves =
            linesText(ado::statementTrace()) +
            linesText(
                lab_->rows("select HistopathNum, ResultDate, GrossDescription, FinalDiagnosis from "
                           "LABORATORY..tbLabResultHistoCytology where RequestNum = '" +
                           request + "'")) +
            linesText(lab_->rows("select Microscopy from LABORATORY..tbLabPrint_Histopath"));
        // Only this report's row is in the spool, and on paper.
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::text(lab_->printedFiles().first()),
                        "resultforms/expected/histopath_" + request + ".txt");

        ado::statementTrace().clear();
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmHistopath"))
            .run([&](forms::Form& f) {
                saves +=
                    "--\n" +
                    linesText(QStringList(
                        {form(f).txtHistopathNum->text(),
                         vrt::Format(vrt::Variant(form(f).dtReportDate->Value()), "mm/dd/yyyy"),
                         vrt::Format(vrt::Variant(form(f).dtReportTime->Value()), "HH:mm AM/PM"),
                         forms::linesOf(form(f).rtfSpecimen),
                         forms::linesOf(form(f).rtfInterpretation)}));
            })
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        VERIFY_EXPECTED(saves + linesText(ado::statementTrace()),
                        "resultforms/expected/histopath_" + request + "_saves.txt");
    }
};

QTEST_MAIN(TestHistopath)
#include "tst_histopath.moc"
