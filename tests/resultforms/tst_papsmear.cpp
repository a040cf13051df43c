#include "forms/papsmear/frmPapSmear2.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"

using resultforms::frmPapSmear2;

namespace {

frmPapSmear2& pap(forms::Form& f) {
    return static_cast<frmPapSmear2&>(f);
}

// The codes as saved, then the frames a choice opens (the untitled ones)
// that the user can reach.
QString state(forms::Form& f) {
    QStringList open;
    for (const QGroupBox* box : f.findChildren<QGroupBox*>())
        if (box->title().isEmpty() && box->isEnabled())
            open << box->objectName();
    open.sort();
    return pap(f).codes().join('|') + " / " + open.join(' ');
}

// Clicks each choice of "a;b;..."; "name=text" types into a box instead.
void choose(ScriptedUser::FormScript& script, const QString& steps) {
    for (const QString& step : steps.split(';', Qt::SkipEmptyParts))
        step.contains('=') ? script.type(step.section('=', 0, 0), step.section('=', 1))
                           : script.click(step);
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
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("expected");
        addRows<QString, QString>({
            {"nothing chosen", "", nothing},
            {"condition clears its reason", "optCondition(1);optSatisfactory(2);optCondition(0)",
             "0||||||||||||||||0|0|0|0|0|0|0|0|0 / "},
            {"infection unticked clears its boxes",
             "chkBenign(1);chkInfection(0);chkInfection(3);chkBenign(1);chkBenign(1)",
             "||||||||||||||||0|1|0|0|0|0|0|0|0 / fraInfection"},
            {"carcinoma closes both grades",
             "optSquamos(1);optSquamos2(0);optLowgrade(1);optSquamos2(2)",
             "||||||1||2||||||||0|0|0|0|0|0|0|0|0 / fraSquamos2"},
            {"atypical cells clear the lesion and its grade",
             "optSquamos(1);optSquamos2(1);optHighgrade(2);optSquamos(0)",
             "||||||0||||||||||0|0|0|0|0|0|0|0|0 / fraSquamos1"},
            {"first buttons reload selected",
             "optGeneral(0);optGrandular(0);optEndometrial(0);optHormonal(2);optDueTo(0);"
             "chkBenign(3);optInflammation(0);chkBenign(4);optIUD(1)",
             "|||0|0|1||||||0|0||2|0|0|0|0|1|1|0|0|0|0 / fraDueTo fraEndometrial fraIUD "
             "fraInflammation"},
        });
    }
    void choicesSaveAndReload() {
        QFETCH(QString, clicks);
        QFETCH(QString, expected);
        const auto check = [expected](forms::Form& f) { QCOMPARE(state(f), expected); };
        ScriptedUser user;
        auto& first = user.expectForm("frmPapSmear2").run([](forms::Form& f) {
            QCOMPARE(state(f), nothing);
        });
        choose(first, clicks);
        first.run(fixReported).run(check).click("cmdExam(2)");
        user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        user.expectForm("frmPapSmear2").run(check).click("cmdExam(0)");
        user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        lab_->object().Show_ResultEntry(0, 0);
        QVERIFY(lab_->object().HasSaved());
        if (clicks.isEmpty()) // every box printed, all empty
            VERIFY_EXPECTED(spooled(), "resultforms/expected/papsmear_empty_spool.txt");
        ado::statementTrace().clear();
        // Missing codes (Null) reload as no choice and a clear box.
        lab_->database().keeper().Execute(
            "update LABORATORY..tbLabResultHCodes set Result3 = NULL, Result18 = NULL");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        // The second save replaces the row without registering again.
        QVERIFY(!ado::statementTrace().join('\n').contains("LAB_SaveResultEntry"));
        QVERIFY(ado::statementTrace().last().startsWith("Laboratory..Lab_Save_HCodes 1, "));
        const QStringList row = lab_->rows("LABORATORY..lab_getresulthcodes 'LR26-0004'").at(0);
        QCOMPARE((row.mid(2, 18) + row.mid(21, 7)).join('|'), expected.section(" / ", 0, 0));
    }

    // Print & Save: the spool, the page and the statements.
    void printAndSave() {
        ScriptedUser user;
        auto& script = user.expectForm("frmPapSmear2");
        choose(script, "txtCytology=c-1'7;txtLMP=nov 20;chkBenign(0);chkBenign(1);chkInfection(1);"
                       "optCondition(2);optUnsatisfactory(3);optGeneral(2);chkBenign(4);optIUD(1);"
                       "txtOthers=pessary;optSquamos(1);optSquamos2(1);optHighgrade(2);"
                       "optSquamos(0);optSquamos1(1);optGrandular(2);optAdenocarcinoma(1);"
                       "txtNonEpithelial=none;optHormonal(1);txtMI=0/70/30");
        script.run(fixReported)
            .run([](forms::Form& f) { pap(f).setChoice(frmPapSmear2::chkInfection, 3, 2); })
            .click("cmdExam(2)");
        user.expectForm("frmRemarksInput")
            .run([](forms::Form& f) {
                f.findChild<QObject*>("txtRemarks")
                    ->setProperty("plainText", "Repeat in 6 months.\nIt's due.");
            })
            .click("cmdFinish(0)");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        VERIFY_EXPECTED(spooled(), "resultforms/expected/papsmear_spool.txt");
        VERIFY_EXPECTED(PrintCapture::text(lab_->printedFiles().value(0)),
                        "resultforms/expected/papsmear.txt");
        VERIFY_EXPECTED(linesText(ado::statementTrace())
                            .replace(vrt::Variant(vrt::Today()).toString(), "<TODAY>"),
                        "resultforms/expected/papsmear_saves.txt");
    }
};

QTEST_MAIN(TestPapSmear)
#include "tst_papsmear.moc"
