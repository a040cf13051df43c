// The audit trail: what the saves, verifications and prints of every result
// form leave in it, that it cannot be changed, and that a failed save leaves
// nothing there.

#include "dbsetup/archive.h"
#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/controls/dtpicker.h"
#include "signoff/frmCorrectionReason.h"
#include "support/errors.h"
#include "support/labsession.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QFile>
#include <QLineEdit>
#include <QSysInfo>
#include <QTest>
#include <QTextEdit>

namespace {

const QString who = QStringLiteral("|EMP-7|MT-001|") + QSysInfo::machineHostName();

// "box=text;...": each box emptied, then the text typed into it.
void typeInto(ScriptedUser::FormScript& script, const QString& steps) {
    for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
        const QString box = step.section(u'=', 0, 0);
        script.run([box](forms::Form& f) {
            if (auto* line = f.findChild<QLineEdit*>(box.section(u'.', -1)))
                line->clear();
            else if (auto* text = f.findChild<QTextEdit*>(box))
                text->clear();
        });
        script.type(box, step.section(u'=', 1));
    }
}

// A form's report date and time, the same at every save.
void sameReportTime(forms::Form& f) {
    if (auto* date = f.findChild<controls::DTPicker*>(QStringLiteral("dtReportDate")))
        date->setValue(vrt::Variant("12/6/2026"));
    if (auto* time = f.findChild<controls::DTPicker*>(QStringLiteral("dtReportTime")))
        time->setValue(vrt::Variant("9:30:00 AM"));
}

// The result tables, their lab-number column and their exam column.
const QList<QStringList> resultTables{{"tbLabResultEntry", "LabNum", "LabExamID"},
                                      {"tbLabResultHCodes", "RequestNum", ""},
                                      {"tbLabResultHistoCytology", "RequestNum", ""},
                                      {"tbLabResultValues", "RequestNum", "LabExamID"}};

} // namespace

class TestDbAudit : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

    // The request's audit rows after the first `skip`, as
    // "action|table|exam|column|old|new|employee|medtech|workstation".
    QStringList trail(const QString& request, qsizetype skip = 0) {
        QStringList lines;
        for (const QStringList& row :
             lab_->rows("select Action, TableName, Exam, ColumnName, OldValue, NewValue, "
                        "EmployeeID, MedTechID, Workstation from LABORATORY..tbLabAudit where "
                        "RequestNum = '" +
                        request + "' order by AuditID"))
            lines
                << QStringList(row).replaceInStrings(QStringLiteral("NULL"), QString()).join(u'|');
        return lines.mid(skip);
    }

    // What a first save must have recorded of the stored results: one row
    // per value that is there, from NULL, counted by table.
    QList<QStringList> storedValues(const QString& request) {
        QList<QStringList> counts;
        for (const QStringList& t : resultTables) {
            int values = 0;
            auto rs = lab_->database().keeper().Execute(
                QStringLiteral("select * from LABORATORY..%1 where %2 = '%3'")
                    .arg(t[0], t[1], request));
            for (; !rs->eof(); rs->MoveNext())
                for (int c = 0; c < rs->FieldCount(); ++c) {
                    const QString name = rs->Fields(c).Name.toLower();
                    const bool bookkeeping = name == "entryid" || name == "entrydate" ||
                                             name == "updatedate" || name == t[1].toLower() ||
                                             name == t[2].toLower();
                    values += !bookkeeping && !rs->Fields(c).Value.isNull();
                }
            if (values > 0)
                counts << QStringList{t[0], QString::number(values)};
        }
        return counts;
    }

    // One save through the window: the boxes typed, the button clicked, the
    // sign-off finished where the form shows it. A correction's reason goes
    // into the sign-off, else into the dialog that asks for it; both refuse
    // to go on without it first.
    void save(const QString& window, bool signOff, const QString& steps, const QString& button,
              const QString& reason = {}) {
        ScriptedUser user;
        auto& script = user.expectForm(window).run(sameReportTime);
        typeInto(script, steps);
        script.click(button);
        if (signOff) {
            auto& dialog = user.expectForm(QStringLiteral("frmRemarksInput"));
            if (!reason.isEmpty()) {
                dialog.click(QStringLiteral("cmdFinish(0)"));
                user.expectMessage(signoff::reasonRequiredText());
                dialog.type(QStringLiteral("txtReason"), reason);
            }
            dialog.click(QStringLiteral("cmdFinish(0)"));
        } else if (!reason.isEmpty()) {
            // Back keeps the form open with what was typed; saved again, it asks again.
            user.expectForm(QStringLiteral("frmCorrectionReason"))
                .click(QStringLiteral("cmdReason(0)"))
                .click(QStringLiteral("cmdReason(1)"));
            user.expectMessage(signoff::reasonRequiredText());
            script.click(button);
            user.expectForm(QStringLiteral("frmCorrectionReason"))
                .type(QStringLiteral("txtReason"), reason)
                .key(Qt::Key_Return);
        }
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
    }

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { FETCH_LAB_SESSION(lab_); }
    void cleanup() { lab_.reset(); }

    // A first Print and Save records every value it stored, the verification
    // and the print; saving the same values again records nothing; a changed
    // value is one row with the stored and the new value.
    void everyFormsSaves_data() {
        addColumns<QString, QString, QString, QString, bool, QString, QString, QString, QString>(
            "request", "exam", "formType", "window", "signOff", "first", "again", "changed",
            "changedRow");
        addRows<QString, QString, QString, QString, bool, QString, QString, QString, QString>({
            {"urinalysis", "LR26-0001", "23", "H", "frmUrinalysis2", false, "txtResults(0)=yellow",
             "", "txtResults(1)=acidic", "change|tbLabResultHCodes||Result2||ACIDIC"},
            {"stool", "LR26-0006", "35", "H", "frmStool", false, "txtResults(0)=brown", "",
             "txtResults(1)=formed", "change|tbLabResultHCodes||Result2||FORMED"},
            {"fecalysis", "LR26-0003", "34", "H", "frmfecalysis", true, "txtFecalysis(0)=yellow",
             "", "txtFecalysis(1)=soft", "change|tbLabResultHCodes||Result2||soft"},
            {"widal", "LR26-0003", "96", "H", "frmWidalTest", true, "txtWidalTest(0)=1:80", "",
             "txtWidalTest(1)=1:160", "change|tbLabResultHCodes||Result2||1:160"},
            {"weilfelix", "LR26-0003", "97", "H", "frmWeilFelix", true, "txtWeilFelix(0)=1:40", "",
             "txtWeilFelix(1)=1:80", "change|tbLabResultHCodes||Result2||1:80"},
            {"papsmear", "LR26-0004", "57", "H", "frmPapSmear2", true, "txtCytology=C-17", "",
             "txtMI=0/70/30", "change|tbLabResultHCodes||Result30||0/70/30"},
            {"histopathology", "LR26-0008", "401", "X", "frmHistopath", false,
             "txtHistopathNum=S26-101", "", "txtHistopathNum=S26-102",
             "change|tbLabResultHistoCytology||HistopathNum|S26-101|S26-102"},
            {"examform", "LR26-0009", "201", "2", "frmExamForm", true,
             "ctlscrnShortForm.txtEntry(0)=negative", "ctlscrnShortForm.txtEntry(0)=negative",
             "ctlscrnShortForm.txtEntry(0)=positive",
             "change|tbLabResultValues|201|A5|negative|positive"},
        });
    }
    void everyFormsSaves() {
        QFETCH(QString, request);
        QFETCH(QString, exam);
        QFETCH(QString, formType);
        QFETCH(QString, window);
        QFETCH(bool, signOff);
        QFETCH(QString, first);
        QFETCH(QString, again);
        QFETCH(QString, changed);
        QFETCH(QString, changedRow);
        lab_->request(request, formType, exam, QStringLiteral("EXAM ") + exam);
        lab_->object().EditMode(window == QLatin1String("frmExamForm"));

        save(window, signOff, first, QStringLiteral("cmdExam(2)"));
        const QStringList firstRows = trail(request);
        const auto stored = storedValues(request);
        QVERIFY(!stored.isEmpty());
        QCOMPARE(lab_->rows("select TableName, count(*) from LABORATORY..tbLabAudit where "
                            "RequestNum = '" +
                            request +
                            "' and Action = 'change' and OldValue "
                            "is null group by TableName order by TableName"),
                 stored);
        QCOMPARE(firstRows.filter(QRegularExpression("^change")).size(), firstRows.size() - 2);
        QCOMPARE(firstRows.filter(QRegularExpression("^(verify|print)")),
                 QStringList({"verify|tblablogbook||VerifiedBy||EMP-7" + who, "print|||||" + who}));
        for (const QString& row : firstRows)
            QVERIFY2(row.endsWith(who), qPrintable(row));

        save(window, signOff, again, QStringLiteral("cmdExam(0)"));
        QCOMPARE(trail(request, firstRows.size()), QStringList());

        // A value that was there is corrected (the first save printed it),
        // one that was empty is added: only a correction asks why.
        const QString reason = changedRow.section(u'|', 4, 4).isEmpty()
                                   ? QString()
                                   : QStringLiteral("Sample of another patient's request");
        save(window, signOff, changed, QStringLiteral("cmdExam(0)"), reason);
        QStringList changes{changedRow + who};
        if (!reason.isEmpty())
            changes << "correct|||Reason||" + reason + who;
        QCOMPARE(trail(request, firstRows.size()), changes);
    }

    // Corrected after it was printed: the report printed then says so, with
    // the previous values and the reason; the archive keeps both reports,
    // and the original prints again as it first came out.
    void correctedReportAndArchive_data() {
        addColumns<QString, QString, QString, QString, QString, QString>(
            "request", "exam", "formType", "window", "first", "changed");
        addRows<QString, QString, QString, QString, QString, QString>({
            {"exam form", "LR26-0009", "201", "2", "frmExamForm",
             "ctlscrnShortForm.txtEntry(0)=negative", "ctlscrnShortForm.txtEntry(0)=positive"},
            {"histopathology", "LR26-0008", "401", "X", "frmHistopath",
             "txtHistopathNum=S26-101;rtfInterpretation=Tubular adenoma.",
             "txtHistopathNum=S26-110;rtfInterpretation=Villous adenoma."},
            {"fecalysis", "LR26-0003", "34", "H", "frmfecalysis",
             "txtFecalysis(0)=yellow;txtFecalysis(6)=ascaris",
             "txtFecalysis(0)=brown;txtFecalysis(6)=hookworm"},
        });
    }
    void correctedReportAndArchive() {
        QFETCH(QString, request);
        QFETCH(QString, exam);
        QFETCH(QString, formType);
        QFETCH(QString, window);
        QFETCH(QString, first);
        QFETCH(QString, changed);
        const bool examForm = window == QLatin1String("frmExamForm");
        const bool signOff = window != QLatin1String("frmHistopath");
        lab_->request(request, formType, exam, QStringLiteral("EXAM ") + exam);
        lab_->object().EditMode(examForm);
        save(window, signOff, first, QStringLiteral("cmdExam(2)"));
        // The forms with a sign-off print as they correct; the
        // histopathology form is corrected with Save and printed later.
        save(window, signOff, changed,
             signOff ? QStringLiteral("cmdExam(2)") : QStringLiteral("cmdExam(0)"),
             QStringLiteral("Mislabelled specimen"));
        if (!signOff)
            save(window, signOff, QString(), QStringLiteral("cmdExam(2)"));

        const QStringList printed = lab_->printedFiles();
        QCOMPARE(printed.size(), 2);
        // An earlier save's correction is dated by the database's clock.
        VERIFY_EXPECTED(
            PrintCapture::composed(printed[1])
                .replace(QRegularExpression("corrected \\d+/\\d+/\\d{4} \\d+:\\d\\d:\\d\\d [AP]M"),
                         "corrected <time>"),
            "db/expected/corrected_" + window + ".txt");
        const auto archived = dbsetup::archivedReports(lab_->database().keeper(), request);
        QStringList kinds;
        for (const auto& r : archived)
            kinds << r.kind;
        QCOMPARE(kinds, QStringList({"original", "correction"}));
        QFile original(printed[0]);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QString again = dbsetup::reprint(archived.front());
        QFile reprinted(again);
        QVERIFY(reprinted.open(QIODevice::ReadOnly));
        QCOMPARE(reprinted.readAll(), original.readAll());
        QCOMPARE(lab_->printedFiles().size(), 3);
    }

    // A save that fails leaves neither results nor audit rows.
    void failedSaveLeavesNothing() {
        lab_->request("LR26-0001", "H", "23", "URINALYSIS");
        lab_->dropProcedure(QStringLiteral("lab_save_hcodes"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("amber"))
            .click(QStringLiteral("cmdExam(0)"))
            .click(QStringLiteral("cmdExam(1)")); // the form stays open: cancel it
        user.expectMessage(QStringLiteral("Data was not saved! Error: [Could not find stored "
                                          "procedure 'Laboratory..Lab_Save_HCodes'.]"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(trail("LR26-0001"), QStringList());
        QCOMPARE(storedValues("LR26-0001"), QList<QStringList>());
    }

    // A change made outside the library records no one, even on the
    // connection that has just saved; letter case alone is a change too.
    void handChangeAfterASave_data() {
        addColumns<QString, QString, QString>("change", "request", "row");
        addRows<QString, QString, QString>({
            {"other value",
             "tbLabResultHCodes set Result1 = 'AMBER' where RequestNum = 'LR26-0001'", "LR26-0001",
             "change|tbLabResultHCodes||Result1|YELLOW|AMBER"},
            {"letter case",
             "tbLabResultValues set Remarks = 'NON-FASTING SAMPLE' where LabExamID = '141'",
             "LR26-0012",
             "change|tbLabResultValues|141|Remarks|Non-fasting sample|NON-FASTING SAMPLE"},
        });
    }
    void handChangeAfterASave() {
        QFETCH(QString, change);
        QFETCH(QString, request);
        QFETCH(QString, row);
        lab_->request("LR26-0001", "H", "23", "URINALYSIS");
        save("frmUrinalysis2", false, "txtResults(0)=yellow", "cmdExam(0)");
        const qsizetype before = trail(request).size();
        entry::labConnection().Execute("update LABORATORY.." + change);
        QCOMPARE(trail(request, before), QStringList(row + "|||unknown workstation"));
    }

    // Who saved reaches the trail exactly as the host wrote it, whatever it
    // holds: quotes, a backslash, a statement's end and letters past ASCII.
    void whoIsKeptExactly() {
        const QString employee = QStringLiteral("O'Neil \\ 'x'); --; Ñandú");
        lab_->request("LR26-0001", "H", "23", "URINALYSIS");
        lab_->object().EmployeeID(employee);
        save("frmUrinalysis2", false, "txtResults(0)=yellow", "cmdExam(0)");
        QCOMPARE(trail("LR26-0001").filter(QStringLiteral("|Result1|")),
                 QStringList("change|tbLabResultHCodes||Result1||YELLOW|" + employee + "|MT-001|" +
                             QSysInfo::machineHostName()));
    }

    // Rows once written stay: changing, deleting or emptying the table is
    // refused by the database itself.
    void trailIsAppendOnly_data() {
        // SQLite has no truncate: the statement becomes a delete.
        addColumns<QString>("statement");
        addRows<QString>({
            {"update", "update LABORATORY..tbLabAudit set NewValue = 'x'"},
            {"delete", "delete from LABORATORY..tbLabAudit where AuditID = 1"},
            {"truncate", "truncate table LABORATORY..tbLabAudit"},
        });
    }
    void trailIsAppendOnly() {
        QFETCH_GLOBAL(QString, backend);
        QFETCH(QString, statement);
        QString refused = QString::fromLatin1(QTest::currentDataTag());
        if (backend == QLatin1String("sqlite") && refused == QLatin1String("truncate"))
            refused = QStringLiteral("delete");
        const QString count = "select count(*), max(NewValue) from LABORATORY..tbLabAudit";
        const auto before = lab_->rows(count);
        QVERIFY(before[0][0].toInt() > 0); // the demo results
        const Raised r = raised([&] { lab_->database().keeper().Execute(statement); });
        QVERIFY2(
            r.description.contains("The audit trail is append-only: " + refused + " is refused."),
            qPrintable(r.description));
        QCOMPARE(lab_->rows(count), before);
    }
};

QTEST_MAIN(TestDbAudit)
#include "tst_db_audit.moc"
