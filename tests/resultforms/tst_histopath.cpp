#include "entry/modulestate.h"
#include "forms/histopath/frmHistopath.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QClipboard>
#include <QMimeData>
#include <QTest>

using resultforms::frmHistopath;

namespace {

frmHistopath& form(forms::Form& f) {
    return static_cast<frmHistopath&>(f);
}

// A gross description of many sections, pasted from a word processor as
// formatted paragraphs: long enough for a second page.
QStringList sections() {
    QStringList lines{"Received fresh, labelled with the patient's name, is a right "
                      "hemicolectomy specimen measuring 32 cm in length."};
    for (int i = 1; i <= 60; ++i)
        lines << QStringLiteral("A%1. Section of the tumour and the bowel wall, full thickness.")
                     .arg(i);
    return lines;
}

} // namespace

class TestHistopath : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

    void open(const QString& request) {
        lab_->request(request, QStringLiteral("X"), QStringLiteral("401"),
                      QStringLiteral("HISTOPATHOLOGY (SMALL SPECIMEN)"));
        ado::statementTrace().clear();
    }

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { FETCH_LAB_SESSION(lab_); }
    void cleanup() { lab_.reset(); }

    // Print and Save of a new result over a stale spool row; then the
    // request opened again shows every stored value and saves in mode 1.
    void printSaveThenReopen_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("pasted");
        QTest::addColumn<QString>("gross");
        QTest::addColumn<QStringList>("statements");
        const QString reg = QStringLiteral(
            "laboratory..LAB_SaveResultEntry 'H-20417','ADM-5521','401','CM','W3-12','12/05/2026',"
            "'12/06/2026','DR-011','X','0','EMP-7','90','I','401','CH-260451','%1','R','MT-001'");
        const QString save = QStringLiteral("Laboratory..Lab_Save_Histopath 0, '%1','%2','%3',"
                                            "'Adenocarcinoma (Dr. O`Neil).', '12/06/2026 02:45 "
                                            "PM',''");
        const QString spool = QStringLiteral("insert into LABORATORY..tbLabPrint_Histopath "
                                             "(Microscopy, FinalDiagnosis) values ('%1','Adeno"
                                             "carcinoma (Dr. O`Neil).')");
        const QString truncate = QStringLiteral("truncate table LABORATORY..tbLabPrint_Histopath");
        const QString typed =
            QStringLiteral("Received in formalin is the patient`s polyp, 1.2 cm.");
        QString pasted = sections().mid(1).join(QStringLiteral("\r\n"));
        pasted.prepend(
            QStringLiteral("Received fresh, labelled with the patient`s name, is a right "
                           "hemicolectomy specimen measuring 32 cm in length.\r\n"));
        addRows<QString, QString, QStringList, QString, QStringList>({
            {"logged, typed, one page",
             "LR26-0008",
             "HP`26-0201",
             {},
             typed,
             {"select * from laboratory..tblablogbook where requestnum = 'LR26-0008'",
              "laboratory..LAB_Save_VerifyResults 'LR26-0008','EMP-7'",
              "select * From Laboratory..tbLabResultHistoCytology where RequestNum = 'LR26-0008'",
              reg.arg("LR26-0008"), save.arg("LR26-0008", "HP`26-0201", typed), truncate,
              spool.arg(typed)}},
            {"walk-in, pasted, two pages",
             "WALKIN-9",
             "HP26-0202",
             sections(),
             pasted,
             {"select * from laboratory..tblablogbook where requestnum = 'WALKIN-9'",
              "select * From Laboratory..tbLabResultHistoCytology where RequestNum = 'WALKIN-9'",
              reg.arg("WALKIN-9"), save.arg("WALKIN-9", "HP26-0202", pasted), truncate,
              spool.arg(pasted)}},
        });
    }
    void printSaveThenReopen() {
        QFETCH(QString, request);
        QFETCH(QString, number);
        QFETCH(QStringList, pasted);
        QFETCH(QString, gross);
        QFETCH(QStringList, statements);
        lab_->database().keeper().Execute(QStringLiteral(
            "insert into LABORATORY..tbLabPrint_Histopath (Microscopy) values ('STALE')"));
        open(request);
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmHistopath"))
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), form(f).txtHistopathNum);
                form(f).dtReportDate->setValue(vrt::Variant(QStringLiteral("12/06/2026")));
                form(f).dtReportTime->setValue(vrt::Variant(QStringLiteral("2:45 PM")));
            })
            .type(QStringLiteral("txtHistopathNum"), QString(number).replace(u'`', u'\''))
            .key(Qt::Key_Return)
            .run([&](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), form(f).dtReportDate);
                auto* html = new QMimeData;
                html->setHtml(QStringLiteral("<p><b>") + pasted.join("</b></p><p>") + "</p>");
                QApplication::clipboard()->setMimeData(html);
                if (!pasted.isEmpty())
                    form(f).rtfSpecimen->paste();
            })
            .type(QStringLiteral("rtfSpecimen"),
                  pasted.isEmpty() ? QString(gross).replace(u'`', u'\'') : QString())
            .type(QStringLiteral("rtfInterpretation"),
                  QStringLiteral("Adenocarcinoma (Dr. O'Neil)."))
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
        QCOMPARE(ado::statementTrace().mid(2), statements);
        QCOMPARE(lab_->rows(QStringLiteral("select HistopathNum, GrossDescription, FinalDiagnosis "
                                           "from LABORATORY..tbLabResultHistoCytology where "
                                           "RequestNum = '%1'")
                                .arg(request)),
                 QList<QStringList>({{number, gross, "Adenocarcinoma (Dr. O`Neil)."}}));
        // Only this report's row is in the spool, and on paper.
        QCOMPARE(
            lab_->rows(QStringLiteral("select Microscopy from LABORATORY..tbLabPrint_Histopath")),
            QList<QStringList>({{gross}}));
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::text(lab_->printedFiles().first()),
                        QStringLiteral("resultforms/expected/histopath_%1.txt").arg(request));

        open(request);
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmHistopath"))
            .run([&](forms::Form& f) {
                QCOMPARE(form(f).txtHistopathNum->text(), number);
                QCOMPARE(vrt::Format(vrt::Variant(form(f).dtReportDate->Value()), "mm/dd/yyyy"),
                         QStringLiteral("12/06/2026"));
                QCOMPARE(vrt::Format(vrt::Variant(form(f).dtReportTime->Value()), "HH:mm AM/PM"),
                         QStringLiteral("02:45 PM"));
                QCOMPARE(forms::linesOf(form(f).rtfSpecimen), gross);
                QCOMPARE(forms::linesOf(form(f).rtfInterpretation),
                         QStringLiteral("Adenocarcinoma (Dr. O`Neil)."));
            })
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        const QStringList trace = ado::statementTrace();
        QCOMPARE(trace.last(),
                 QString(statements[statements.size() - 3])
                     .replace(QStringLiteral("Histopath 0,"), QStringLiteral("Histopath 1,")));
        QVERIFY(!trace.join('\n').contains(QLatin1String("LAB_SaveResultEntry")));
    }

    void cancelledSignOffKeepsTheFormOpen() {
        open(QStringLiteral("LR26-0008"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmHistopath"))
            .run([](forms::Form&) { entry::state().SignOffCancelled = true; })
            .type(QStringLiteral("txtHistopathNum"), QStringLiteral("HP26-0203"))
            .click(QStringLiteral("cmdExam(0)"))
            .click(QStringLiteral("cmdExam(2)"))
            .run([](forms::Form& f) { QVERIFY(f.isVisible()); })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!lab_->object().HasSaved());
        QCOMPARE(ado::statementTrace().size(), 2);
        QVERIFY(lab_->printedFiles().isEmpty());
    }
};

QTEST_MAIN(TestHistopath)
#include "tst_histopath.moc"
