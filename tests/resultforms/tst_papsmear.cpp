#include "entry/modulestate.h"
#include "forms/papsmear/frmPapSmear2.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QTextEdit>

using resultforms::frmPapSmear2;

namespace {

frmPapSmear2& pap(forms::Form& f) {
    return static_cast<frmPapSmear2&>(f);
}

// The codes as saved, then the frames a user can reach of those a choice opens.
QString state(forms::Form& f) {
    QStringList open;
    for (const char* name :
         {"fraSatisfactory", "fraUnsatisfactory", "fraInfection", "fraInflammation", "fraIUD",
          "fraSquamos1", "fraSquamos2", "fraLowGrade", "fraHighGrade", "fraEndometrial",
          "fraAdenocarcinoma", "fraDueTo"})
        if (pap(f).frame(QString::fromLatin1(name))->isEnabled())
            open << QString::fromLatin1(name);
    return pap(f).codes().join('|') + " / " + open.join(' ');
}

// Clicks each choice on its own tab; "name=text" types into a box instead.
void choose(ScriptedUser::FormScript& script, const QStringList& steps) {
    for (const QString& step : steps) {
        const QString name = step.section('=', 0, 0);
        script.run([name](forms::Form& f) {
            auto* tabs = pap(f).sstbPapSmear;
            tabs->setTab(tabs->widget(1)->isAncestorOf(f.findChild<QWidget*>(name)) ? 1 : 0);
        });
        step.contains('=') ? script.type(name, step.section('=', 1)) : script.click(name);
    }
}

void fixReported(forms::Form& f) {
    pap(f).dtReportDate->setValue(vrt::Variant("12/6/2026"));
    pap(f).dtReportTime->setValue(vrt::Variant("2:05:09 PM"));
}

const QString nothing = "||||||||||||||||0|0|0|0|0|0|0|0|0 / ";

} // namespace

class TestPapSmear : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

    QString spooled() {
        QStringList lines;
        for (const QStringList& row :
             lab_->rows("select RowLine from LABORATORY..tbLabPrint order by SeqNo"))
            lines << row[0];
        return lines.join('\n') + QStringLiteral("\n(%1 lines)\n").arg(lines.size());
    }

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request("LR26-0004", "H", "57", "PAP SMEAR");
    }
    void cleanup() { lab_.reset(); }

    // Choices as clicked, saved, stored and reloaded, with the frames they open.
    void choicesSaveAndReload_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("expected");
        addRows<QStringList, QString>({
            {"nothing chosen", {}, nothing},
            {"condition clears its reason",
             {"optCondition(1)", "optSatisfactory(2)", "optCondition(0)"},
             "0||||||||||||||||0|0|0|0|0|0|0|0|0 / "},
            {"infection unticked clears its boxes",
             {"chkBenign(1)", "chkInfection(0)", "chkInfection(3)", "chkBenign(1)", "chkBenign(1)"},
             "||||||||||||||||0|1|0|0|0|0|0|0|0 / fraInfection"},
            {"carcinoma closes both grades",
             {"optSquamos(1)", "optSquamos2(0)", "optLowgrade(1)", "optSquamos2(2)"},
             "||||||1||2||||||||0|0|0|0|0|0|0|0|0 / fraSquamos2"},
            {"atypical cells clear the lesion and its grade",
             {"optSquamos(1)", "optSquamos2(1)", "optHighgrade(2)", "optSquamos(0)"},
             "||||||0||||||||||0|0|0|0|0|0|0|0|0 / fraSquamos1"},
            {"first buttons reload selected",
             {"optGeneral(0)", "optGrandular(0)", "optEndometrial(0)", "optHormonal(2)",
              "optDueTo(0)", "chkBenign(3)", "optInflammation(0)", "chkBenign(4)", "optIUD(1)"},
             "|||0|0|1||||||0|0||2|0|0|0|0|1|1|0|0|0|0 / fraInflammation fraIUD fraEndometrial "
             "fraDueTo"},
        });
    }
    void choicesSaveAndReload() {
        QFETCH(QStringList, clicks);
        QFETCH(QString, expected);
        ScriptedUser user;
        auto& first = user.expectForm("frmPapSmear2").run([](forms::Form& f) {
            QCOMPARE(state(f), nothing);
        });
        choose(first, clicks);
        first.run([expected](forms::Form& f) { QCOMPARE(state(f), expected); }).click("cmdExam(0)");
        user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        user.expectForm("frmPapSmear2")
            .run([expected](forms::Form& f) { QCOMPARE(state(f), expected); })
            .click("cmdExam(1)");
        lab_->object().Show_ResultEntry(0, 0);
        QVERIFY(lab_->object().HasSaved());
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        const QStringList row = lab_->rows("LABORATORY..lab_getresulthcodes 'LR26-0004'").at(0);
        QCOMPARE((row.mid(2, 18) + row.mid(21, 7)).join('|'), expected.section(" / ", 0, 0));
    }

    // Print & Save: statements, stored row, the spool and the page; then a
    // second save of the reloaded form.
    void printSaveThenSaveAgain() {
        const QStringList steps{"txtCytology=c-1'7",     "txtLMP=nov 20",
                                "chkBenign(0)",          "chkBenign(1)",
                                "chkInfection(1)",       "optCondition(2)",
                                "optUnsatisfactory(3)",  "optGeneral(2)",
                                "chkBenign(4)",          "optIUD(1)",
                                "txtOthers=pessary",     "optSquamos(1)",
                                "optSquamos2(1)",        "optHighgrade(2)",
                                "optSquamos(0)",         "optSquamos1(1)",
                                "optGrandular(2)",       "optAdenocarcinoma(1)",
                                "txtNonEpithelial=none", "optHormonal(1)",
                                "txtMI=0/70/30"};
        const QString saved = "2||3|2||1|0|1||||2||1|1||1|1|0|0|1|0|1|0|2 / fraUnsatisfactory "
                              "fraInfection fraIUD fraSquamos1 fraAdenocarcinoma";
        ScriptedUser user;
        auto& script = user.expectForm("frmPapSmear2");
        choose(script, steps);
        script.run(fixReported)
            .run([](forms::Form& f) { pap(f).setChoice(frmPapSmear2::chkInfection, 3, 2); })
            .click("cmdExam(2)");
        user.expectForm("frmRemarksInput")
            .run([](forms::Form& f) {
                f.findChild<QTextEdit*>("txtRemarks")
                    ->setPlainText("Repeat in 6 months.\nIt's due.");
            })
            .click("cmdFinish(0)");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        const QString today = vrt::Variant(vrt::Today()).toString();
        QCOMPARE(ado::statementTrace().mid(2, 5),
                 QStringList({
                     "select * from laboratory..tblablogbook where requestnum = 'LR26-0004'",
                     "laboratory..LAB_Save_VerifyResults 'LR26-0004','EMP-7'",
                     "Laboratory..tbLabResultHCodes where RequestNum = 'LR26-0004'",
                     "laboratory..LAB_SaveResultEntry 'H-20417','ADM-5521','57','CM','W3-12',"
                     "'12/05/2026','" +
                         today +
                         "','DR-011','H','0','EMP-7','90','I','57',"
                         "'CH-260451','LR26-0004','R','MT-001'",
                     "Laboratory..Lab_Save_HCodes 0, 'LR26-0004', 'c-1`7','2', '', '3', '2', '', "
                     "'1', '0', '1', '', '', '', '2', '', '1', '1', '', '1', '1', '0', '0', '1', "
                     "'0', '1', '0', '2', 'pessary', 'none','0/70/30', 'nov 20','12/6/2026', "
                     "'02:05:09 PM', 'Repeat in 6 months.\r\nIt''s due.'",
                 }));
        VERIFY_EXPECTED(spooled(), "resultforms/expected/papsmear_spool.txt");
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::text(lab_->printedFiles().first()),
                        "resultforms/expected/papsmear.txt");

        ado::statementTrace().clear();
        ScriptedUser again;
        again.expectForm("frmPapSmear2")
            .run([saved](forms::Form& f) {
                QCOMPARE(state(f), saved);
                QCOMPARE(pap(f).txtOthers->text() + pap(f).txtMI->text(), "pessary0/70/30");
            })
            .click("cmdExam(0)");
        again.expectForm("frmRemarksInput").click("cmdFinish(0)");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        QVERIFY(!ado::statementTrace().join('\n').contains("LAB_SaveResultEntry"));
        QVERIFY(ado::statementTrace().last().startsWith(
            "Laboratory..Lab_Save_HCodes 1, 'LR26-0004', 'c-1`7','2', '', '3', '2', '', '1',"));
    }

    // A form with nothing chosen prints every box empty; a failed save still
    // prints, after its message, and leaves nothing stored.
    void failedSaveStillPrintsEmptyBoxes() {
        lab_->dropProcedure("lab_save_hcodes");
        ScriptedUser user;
        user.expectForm("frmPapSmear2").run(fixReported).click("cmdExam(2)");
        user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        user.expectMessage("Data was not saved! Error: [Could not find stored procedure "
                           "'Laboratory..Lab_Save_HCodes'.]");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!lab_->object().HasSaved());
        QCOMPARE(lab_->rows("select count(*) from LABORATORY..tbLabResultEntry where LabNum = "
                            "'LR26-0004'"),
                 QList<QStringList>({{"0"}}));
        VERIFY_EXPECTED(spooled(), "resultforms/expected/papsmear_empty_spool.txt");
    }
};

QTEST_MAIN(TestPapSmear)
#include "tst_papsmear.moc"
