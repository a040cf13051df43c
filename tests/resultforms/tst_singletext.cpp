#include "entry/modulestate.h"
#include "forms/singletext/singletext.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QRegularExpression>
#include <QTest>

using resultforms::SingleTextForm;

namespace {

SingleTextForm& form(forms::Form& f) {
    return static_cast<SingleTextForm&>(f);
}

const QMap<QString, QString> formOf{
    {"34", "frmfecalysis"}, {"96", "frmWidalTest"}, {"97", "frmWeilFelix"}};

// The sign-off as the user finishes it: typed remarks, today's date.
void signOff(ScriptedUser& user, const QString& remarks, int button = 0) {
    auto& dialog = user.expectForm(QStringLiteral("frmRemarksInput"));
    if (!remarks.isEmpty())
        dialog.type(QStringLiteral("txtRemarks"), remarks);
    dialog.click(QStringLiteral("cmdFinish(%1)").arg(button));
}

// Types text i into box i of the form (empty texts are left alone).
std::function<void(forms::Form&)> typeAll(const QStringList& texts) {
    return [texts](forms::Form& f) {
        for (int i = 0; i < texts.size(); ++i)
            if (!texts[i].isEmpty())
                QTest::keyClicks(form(f).txtResult(i), texts[i]);
    };
}

const QString today = vrt::Variant(vrt::Today()).toString();

} // namespace

class TestSingleText : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

    void open(const QString& request, const QString& exam) {
        lab_->request(request, QStringLiteral("H"), exam, QStringLiteral("EXAM ") + exam);
        ado::statementTrace().clear();
    }

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { FETCH_LAB_SESSION(lab_); }
    void cleanup() { lab_.reset(); }

    // Print and Save: the statements, the stored row and the report; opened
    // again, every stored value is shown and the save is the request's second.
    void printSaveThenReopenAndSaveAgain_data() {
        QTest::addColumn<QString>("exam");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("statements");
        const QString reg = QStringLiteral(
            "laboratory..LAB_SaveResultEntry 'H-20417','ADM-5521','%1','CM','W3-12','12/05/2026',"
            "'%2','DR-011','H','0','EMP-7','90','I','%1','CH-260451','%3','R','MT-001'");
        const QString logged =
            QStringLiteral("select * from laboratory..tblablogbook where requestnum = 'LR26-0006'");
        const QString verify =
            QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0006','EMP-7'");
        addRows<QString, QString, QString, QStringList, QStringList>({
            {"fecalysis, all ten boxes, logged",
             "34",
             "LR26-0006",
             "MARIVEL MEMORIAL HOSPITAL",
             {"LIGHT BROWN AND WATERY", "NEG", "NORMAL", "+", "NEG", "NEG", "ASCARIS", "HOOKWORM",
              "NONE", "E. HISTOLYTICA CYSTS"},
             {logged, verify,
              "select * from laboratory..tblabresulthcodes where requestnum ='LR26-0006'",
              "laboratory..lab_save_hcodes 0,'LR26-0006','LIGHT BROWN AND WATERY','NEG','NORMAL',"
              "'+','NEG','NEG','ASCARIS','HOOKWORM','NONE','E. HISTOLYTICA "
              "CYSTS','','','','','','',"
              "'','','','','','Seen by Dr. O''Neil'"}},
            {"Widal, apostrophe, logged",
             "96",
             "LR26-0006",
             "SAN TEODORO DOCTORS HOSPITAL",
             {"1:80", "", "", "1:40", "", "", "", "O'H 1:160"},
             {logged, verify,
              "select * from laboratory..tblabresulthcodes where requestnum ='LR26-0006'",
              reg.arg("96", today, "LR26-0006"),
              "laboratory..lab_save_hcodes 0,'LR26-0006','1:80','','','1:40','','','','O''H 1:160',"
              "'','','','','','','','','','','','','','Seen by Dr. O''Neil'"}},
            {"Weil-Felix, no log-book row",
             "97",
             "WALKIN-9",
             "",
             {"1:40", "", "1:320"},
             {"select * from laboratory..tblablogbook where requestnum = 'WALKIN-9'",
              "select * from laboratory..tblabresulthcodes where requestnum ='WALKIN-9'",
              reg.arg("97", today, "WALKIN-9"),
              "laboratory..lab_save_hcodes 0,'WALKIN-9','1:40','','1:320','','','','','','','','',"
              "'','','','','','','','','','','Seen by Dr. O''Neil'"}},
        });
    }
    void printSaveThenReopenAndSaveAgain() {
        QFETCH(QString, exam);
        QFETCH(QString, request);
        QFETCH(QString, title);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, statements);
        lab_->database().keeper().Execute(
            QStringLiteral("update patient_data..tbHospitalInfo set Title = '%1'").arg(title));
        open(request, exam);
        entry::state().Pathologist = QStringLiteral("DR. ELENA MACASPAC");
        ScriptedUser user;
        user.expectForm(formOf[exam])
            .run(
                [](forms::Form& f) { QCOMPARE(QApplication::focusWidget(), form(f).txtResult(0)); })
            .run(typeAll(typed))
            .key(Qt::Key_Return)
            .run(
                [](forms::Form& f) { QCOMPARE(QApplication::focusWidget(), form(f).txtResult(1)); })
            .click(QStringLiteral("cmdExam(2)"));
        signOff(user, QStringLiteral("Seen by Dr. O'Neil"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
        QCOMPARE(ado::statementTrace().mid(2), statements);
        QCOMPARE(lab_->rows(QStringLiteral("select count(*) from laboratory..tbLabResultEntry "
                                           "where LabNum = '%1'")
                                .arg(request)),
                 QList<QStringList>({{exam == QLatin1String("34") ? "0" : "1"}}));
        QList<QStringList> stored =
            lab_->rows(QStringLiteral("LABORATORY..lab_getresulthcodes '%1'").arg(request));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].mid(1, typed.size()), typed);
        QCOMPARE(stored[0][20], QStringLiteral("Seen by Dr. O'Neil"));
        QCOMPARE(lab_->printedFiles().size(), 1);
        QString text = PrintCapture::text(lab_->printedFiles().first());
        text.replace(QRegularExpression(QStringLiteral("RUNDATE :   \\S+")),
                     QStringLiteral("RUNDATE :   <RUNDATE>"));
        text.replace(QRegularExpression(QStringLiteral("RUNTIME :   \\d+:\\d\\d:\\d\\d [AP]M")),
                     QStringLiteral("RUNTIME :   <RUNTIME>"));
        text.replace(today, QStringLiteral("<TODAY>"));
        VERIFY_EXPECTED(text, QStringLiteral("resultforms/expected/singletext_%1.txt").arg(exam));

        open(request, exam);
        entry::state().Remarks.clear();
        ScriptedUser again;
        again.expectForm(formOf[exam])
            .run([&typed](forms::Form& f) {
                for (int i = 0; i < typed.size(); ++i)
                    QCOMPARE(form(f).txtResult(i)->text(), typed[i]);
                QCOMPARE(entry::state().Remarks, QStringLiteral("Seen by Dr. O'Neil"));
            })
            .click(QStringLiteral("cmdExam(0)"));
        signOff(again, QStringLiteral("Seen by Dr. O'Neil"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        const QStringList trace = ado::statementTrace();
        QCOMPARE(trace.last(),
                 QString(statements.last())
                     .replace(QStringLiteral("hcodes 0,"), QStringLiteral("hcodes 1,")));
        QVERIFY(!trace.join('\n').contains(QLatin1String("LAB_SaveResultEntry")));
    }

    void signOffBackKeepsTheFormOpen_data() {
        QTest::addColumn<QString>("button");
        addRows<QString>({{"Save", "cmdExam(0)"}, {"Print and Save", "cmdExam(2)"}});
    }
    void signOffBackKeepsTheFormOpen() {
        QFETCH(QString, button);
        open(QStringLiteral("LR26-0006"), QStringLiteral("96"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmWidalTest"))
            .type(QStringLiteral("txtWidalTest(0)"), QStringLiteral("1:80"))
            .click(button)
            .run([](forms::Form& f) {
                QVERIFY(f.isVisible());
                QCOMPARE(form(f).txtResult(0)->text(), QStringLiteral("1:80"));
            })
            .click(QStringLiteral("cmdExam(1)"));
        signOff(user, QStringLiteral("never saved"), 1);
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!lab_->object().HasSaved());
        QCOMPARE(ado::statementTrace().size(), 2);
        QVERIFY(lab_->printedFiles().isEmpty());
    }

    void failingStatementLeavesNothingAndStillPrints() {
        lab_->dropProcedure(QStringLiteral("lab_save_hcodes"));
        open(QStringLiteral("LR26-0006"), QStringLiteral("96"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmWidalTest"))
            .type(QStringLiteral("txtWidalTest(0)"), QStringLiteral("1:80"))
            .click(QStringLiteral("cmdExam(2)"));
        signOff(user, QString());
        user.expectMessage(QStringLiteral("Data was not Saved! Error:[Could not find stored "
                                          "procedure 'laboratory..lab_save_hcodes'.]"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(user.messages().first().title,
                 QStringLiteral("Save_Entries of Result Entry Class"));
        QCOMPARE(user.messages().first().icon, forms::MsgIcon::Critical);
        QVERIFY(!lab_->object().HasSaved());
        QVERIFY(!forms::isLoaded<resultforms::frmWidalTest>());
        // The verification and the registration ran before the failure.
        QCOMPARE(lab_->rows(QStringLiteral("select VerifiedBy from laboratory..tblablogbook where "
                                           "requestnum = 'LR26-0006'")),
                 QList<QStringList>({{"NULL"}}));
        QCOMPARE(lab_->rows(QStringLiteral("select count(*) from laboratory..tbLabResultEntry "
                                           "where LabNum = 'LR26-0006'")),
                 QList<QStringList>({{"0"}}));
        QCOMPARE(lab_->printedFiles().size(), 1);
    }
};

QTEST_MAIN(TestSingleText)
#include "tst_singletext.moc"
