#include "entry/modulestate.h"
#include "forms/histopath/frmHistopath.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/scripteduser.h"

#include <QClipboard>
#include <QMimeData>
#include <QRegularExpression>
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
    // stale spool row, and the request opened again saves in mode 1.
    void printSaveThenReopen_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("gross");
        QTest::addColumn<QStringList>("statements");
        const QString reg = "laboratory..LAB_SaveResultEntry 'H-20417','ADM-5521','401','CM',"
                            "'W3-12','12/05/2026','12/06/2026','DR-011','X','0','EMP-7','90','I',"
                            "'401','CH-260451','%1','R','MT-001'";
        const QString save = "Laboratory..Lab_Save_Histopath 0, '%1','%2','%3','O`Neil adenoma.', "
                             "'12/06/2026 02:45 PM',''";
        const QString spool = "insert into LABORATORY..tbLabPrint_Histopath (Microscopy, "
                              "FinalDiagnosis) values ('%1','O`Neil adenoma.')";
        const QString truncate = "truncate table LABORATORY..tbLabPrint_Histopath";
        const QString polyp = "The patient`s polyp, 1.2 cm.";
        const QString colon =
            "The patient`s colon." + QString("\r\nSection of the bowel wall.").repeated(60);
        // clang-format off
        QTest::newRow("logged, typed, one page") << "LR26-0008" << "HP`26-0201" << polyp
            << QStringList{"select * from laboratory..tblablogbook where requestnum = 'LR26-0008'",
                "laboratory..LAB_Save_VerifyResults 'LR26-0008','EMP-7'",
                "select * From Laboratory..tbLabResultHistoCytology where RequestNum = 'LR26-0008'",
                reg.arg("LR26-0008"), save.arg("LR26-0008", "HP`26-0201", polyp), truncate,
                spool.arg(polyp)};
        QTest::newRow("walk-in, pasted, two pages") << "WALKIN-9" << "HP26-0202" << colon
            << QStringList{"select * from laboratory..tblablogbook where requestnum = 'WALKIN-9'",
                "select * From Laboratory..tbLabResultHistoCytology where RequestNum = 'WALKIN-9'",
                reg.arg("WALKIN-9"), save.arg("WALKIN-9", "HP26-0202", colon), truncate,
                spool.arg(colon)};
        // clang-format on
    }
    void printSaveThenReopen() {
        QFETCH(QString, request);
        QFETCH(QString, number);
        QFETCH(QString, gross);
        QFETCH(QStringList, statements);
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
            .type(QStringLiteral("txtHistopathNum"), QString(number).replace(u'`', u'\''))
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
        QCOMPARE(ado::statementTrace().mid(2), statements);
        QString saves =
            linesText(ado::statementTrace()) +
            linesText(
                lab_->rows("select HistopathNum, ResultDate, GrossDescription, FinalDiagnosis from "
                           "LABORATORY..tbLabResultHistoCytology where RequestNum = '" +
                           request + "'")) +
            linesText(lab_->rows("select Microscopy from LABORATORY..tbLabPrint_Histopath"));
        QCOMPARE(
            lab_->rows("select HistopathNum, ResultDate, GrossDescription, FinalDiagnosis from "
                       "LABORATORY..tbLabResultHistoCytology where RequestNum = '" +
                       request + "'"),
            QList<QStringList>({{number, "12/6/2026 2:45:00 PM", gross, "O`Neil adenoma."}}));
        // Only this report's row is in the spool, and on paper.
        QCOMPARE(lab_->rows("select Microscopy from LABORATORY..tbLabPrint_Histopath"),
                 QList<QStringList>({{gross}}));
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
                QCOMPARE(
                    QStringList(
                        {form(f).txtHistopathNum->text(),
                         vrt::Format(vrt::Variant(form(f).dtReportDate->Value()), "mm/dd/yyyy"),
                         vrt::Format(vrt::Variant(form(f).dtReportTime->Value()), "HH:mm AM/PM"),
                         forms::linesOf(form(f).rtfSpecimen),
                         forms::linesOf(form(f).rtfInterpretation)}),
                    QStringList({number, "12/06/2026", "02:45 PM", gross, "O`Neil adenoma."}));
            })
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        QCOMPARE(ado::statementTrace().mid(2),
                 QStringList(statements.mid(0, statements.size() - 2))
                     .replaceInStrings("Histopath 0,", "Histopath 1,")
                     .filter(QRegularExpression("^(?!laboratory..LAB_SaveResultEntry)")));
        VERIFY_EXPECTED(saves + linesText(ado::statementTrace()),
                        "resultforms/expected/histopath_" + request + "_saves.txt");
    }
};

QTEST_MAIN(TestHistopath)
#include "tst_histopath.moc"
