// The laboratory's result checks on the exam form: normal values by sex and
// age, critical values with their recorded notification, and the delta
// check against the patient's previous result.

#include "entry/modulestate.h"
#include "examform/frmExamForm.h"
#include "examform/resultchecks.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QLineEdit>
#include <QTest>

using examform::frmExamForm;
using Steps = std::function<void(ScriptedUser::FormScript&)>;
Q_DECLARE_METATYPE(Steps)

namespace {

void clearTime(forms::Form& f) {
    f.findChild<QLineEdit*>(QStringLiteral("txtNotifiedAt"))->clear();
}

// The printed lines that start with one of the exam titles, blanks folded.
QStringList printedLines(const QStringList& pdfs, const QStringList& starts) {
    QStringList lines;
    for (const QString& pdf : pdfs)
        for (const QString& line : PrintCapture::composed(pdf).split(QLatin1Char('\n')))
            for (const QString& start : starts)
                if (line.trimmed().startsWith(start))
                    lines << line.simplified();
    return lines;
}

} // namespace

class TestResultChecks : public QObject {
    Q_OBJECT
    std::unique_ptr<LabSession> lab_;

    void exec(const QString& sql) { lab_->database().keeper().Execute(sql); }
    QStringList rows(const QString& sql) {
        QStringList out;
        for (const QStringList& row : lab_->rows(sql))
            out << row.join(QLatin1Char('|'));
        return out;
    }
    // Types the results in order, Enter after each; then Print and Save,
    // Finish in the sign-off, and the steps in the notification dialog. A
    // refusal there is answered with Back; kept open, the form is cancelled.
    void enter(const QStringList& exams, const QStringList& results, const QStringList& messages,
               const Steps& notice, const QStringList& refused = {}, bool keptOpen = false) {
        entry::clsDataEntry& o = lab_->object();
        o.Clear_Exams();
        for (const QString& e : exams)
            o.Add_Exam(e.section(';', 0, 0), 100, "CH-1", "LR26-0009", false, "1",
                       e.section(';', 0, 0), e.section(';', 1, 1),
                       vrt::Variant::array({vrt::Variant(), vrt::Variant(e.section(';', 2, 2)),
                                            vrt::Variant(e.section(';', 3, 3)), vrt::Variant(),
                                            vrt::Variant(e.section(';', 4, 4))}),
                       true);
        ScriptedUser user;
        auto& form = user.expectForm(QStringLiteral("frmExamForm"));
        for (int i = 0; i < results.size(); ++i)
            form.type(QStringLiteral("ctlscrnNormalValues.txtEntry(%1)").arg(i), results[i])
                .key(Qt::Key_Return);
        form.run([this](forms::Form&) {
            for (int i = 0; i < forms::loaded<frmExamForm>().ctlscrnNormalValues->Rows(); ++i)
                shown_
                    << forms::loaded<frmExamForm>().ctlscrnNormalValues->checkText(i).simplified();
        });
        form.click(QStringLiteral("cmdExam(2)"));
        for (const QString& m : messages)
            user.expectMessage(m);
        user.expectForm(QStringLiteral("frmRemarksInput")).click(QStringLiteral("cmdFinish(0)"));
        if (notice) {
            auto& dialog = user.expectForm(QStringLiteral("frmCriticalNotice"));
            notice(dialog);
            for (const QString& m : refused)
                user.expectMessage(m);
            if (!refused.isEmpty())
                dialog.click(QStringLiteral("cmdNotice(1)"));
        }
        if (keptOpen)
            form.click(QStringLiteral("cmdExam(1)"));
        o.Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
    }
    QStringList shown_;

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request("LR26-0009", "1", "901", "ESR");
        lab_->object().EditMode(true);
        shown_.clear();
        exec(
            "insert into LABORATORY..tbLabRefRange (LabExamID, Sex, AgeFromDays, AgeToDays, "
            "LowValue, HighValue) values ('901', '', 0, NULL, 0, 20), ('901', '', 0, 6570, 0, 10), "
            "('901', 'M', 6570, NULL, 0, 15), ('901', 'F', 6570, NULL, 0, 20)");
        exec("insert into LABORATORY..tbLabCriticalLimit values ('902', 2.5, 6.5)");
        exec("insert into LABORATORY..tbLabDeltaRule values ('903', 'P', 50, 30)");
        exec("insert into LABORATORY..tblablogbook (RequestNum, HospNum, TransDate, ResultDate) "
             "values ('LR26-0100', 'H-20417', '2026-12-01 08:00:00', '2026-12-01 08:00:00'), "
             "('LR26-0099', 'H-20417', '2026-10-01 08:00:00', '2026-10-01 08:00:00')");
    }
    void cleanup() {
        forms::unload<frmExamForm>();
        lab_.reset();
    }

    void agesAsTheHostWritesThem() {
        const std::pair<const char*, int> ages[] = {
            {"34", 12410},       {"34 yrs", 12410}, {"3 mos", 90}, {"10 days", 10}, {"2 wks", 14},
            {"1 yr 6 mos", 545}, {"", -1},          {"adult", -1}, {"34 kg", -1}};
        for (const auto& [text, days] : ages)
            QCOMPARE(examform::ageInDays(text).value_or(-1), days);
    }

    // Flag and normal values on the screen and in print are the same range;
    // a general range says so in both.
    void rangeBySexAndAge_data() {
        addColumns<QString, QString, QString, QString, QString>("sex", "age", "screen", "printed",
                                                                "stored");
        addRows<const char*, const char*, const char*, const char*, const char*>({
            {"male", "Male", "34", "H | 0 - 15 | |", "ESR 16 H 0 -15 mm/hr", "0|15|16"},
            {"female", "Female", "34 yrs", "| 0 - 20 | |", "ESR 16 0 -20 mm/hr", "0|20|16"},
            {"child", "Male", "3 mos", "H | 0 - 10 | |", "ESR 16 H 0 -10 mm/hr", "0|10|16"},
            {"unknown age", "Female", "", "| 0 - 20 (general) | |",
             "ESR 16 0 -20 mm/hr (general range)", "0|20|16"},
            {"unknown sex", "", "34", "| 0 - 20 (general) | |",
             "ESR 16 0 -20 mm/hr (general range)", "0|20|16"},
        });
    }
    void rangeBySexAndAge() {
        QFETCH(QString, sex);
        QFETCH(QString, age);
        QFETCH(QString, screen);
        QFETCH(QString, printed);
        QFETCH(QString, stored);
        lab_->object().Sex(sex);
        lab_->object().Age(age);
        enter({"901;ESR;0;25;mm/hr"}, {"16"}, {}, {});
        QCOMPARE(shown_, QStringList{screen});
        QCOMPARE(printedLines(lab_->printedFiles(), {"ESR"}), QStringList{printed});
        QCOMPARE(
            rows("select A1, A2, A4 from LABORATORY..tbLabResultValues where LabExamID = '901'"),
            QStringList{stored});
    }

    void criticalValueNotification_data() {
        addColumns<Steps, QStringList, bool, QStringList>("steps", "refused", "noFlags", "printed");
        const Steps all = [](ScriptedUser::FormScript& d) {
            d.type("txtNotifiedName", "Dr. Lim")
                .type("txtNotifiedRole",
                      "ER resident on duty, Department of Emergency Medicine, main building")
                .run(clearTime)
                .type("txtNotifiedAt", "12/08/2026 12:45")
                .key("chkReadBack", Qt::Key_Space)
                .click("cmdNotice(0)");
        };
        // Who was told, when and by whom: lines of the sheet's width.
        const QStringList printed{"POTASSIUM 2.1 L 3.5 -5.1 mmol/L CRITICAL",
                                  "Critical value notified to Dr. Lim (ER resident on duty, "
                                  "Department of Emergency Medicine, "
                                  "main",
                                  "building)",
                                  "on 12/8/2026 12:45 PM by SANTOS, MARIA L.; read back."};
        addRows<Steps, QStringList, bool, QStringList>({
            {"all given", all, {}, false, printed},
            {"reports without flags",
             all,
             {},
             true,
             {"POTASSIUM 2.1 3.5 -5.1 mmol/L CRITICAL", printed[1], printed[2], printed[3]}},
            {"no name",
             [](ScriptedUser::FormScript& d) {
                 d.type("txtNotifiedRole", "ER")
                     .key("chkReadBack", Qt::Key_Space)
                     .click("cmdNotice(0)");
             },
             {"Enter who was notified."},
             false,
             {}},
            {"not read back",
             [](ScriptedUser::FormScript& d) {
                 d.type("txtNotifiedName", "Dr. Lim")
                     .type("txtNotifiedRole", "ER")
                     .click("cmdNotice(0)");
             },
             {"A critical value is recorded only after it was read back."},
             false,
             {}},
            {"time cleared",
             [](ScriptedUser::FormScript& d) {
                 d.type("txtNotifiedName", "Dr. Lim")
                     .type("txtNotifiedRole", "ER")
                     .run(clearTime)
                     .click("cmdNotice(0)");
             },
             {"Enter when the notification was made, as mm/dd/yyyy hh:mm."},
             false,
             {}},
            {"back", [](ScriptedUser::FormScript& d) { d.click("cmdNotice(1)"); }, {}, false, {}},
        });
    }
    void criticalValueNotification() {
        QFETCH(Steps, steps);
        QFETCH(QStringList, refused);
        QFETCH(bool, noFlags);
        QFETCH(QStringList, printed);
        if (noFlags) {
            ado::Connection host;
            host.setConnectionString(lab_->database().connectionString() + ";Report Flags=No");
            entry::state().LabConnection->Close();
            lab_->object().SQLConnection(host);
        }
        enter({"902;POTASSIUM;3.5;5.1;mmol/L", "901;ESR;0;20;mm/hr"}, {"2.1", "5"},
              {"POTASSIUM 2.1 mmol/L is CRITICAL (below 2.5). Tell the requesting physician now; "
               "the save asks who was told."},
              steps, refused, printed.isEmpty());
        QCOMPARE(shown_.value(0), QStringLiteral("LL | 3.5 - 5.1 | CRITICAL |"));
        QCOMPARE(printedLines(lab_->printedFiles(), {"POTASSIUM", "Critical", "building", "on "}),
                 printed);
        const QString saved = printed.isEmpty() ? QString()
                                                : "LR26-0009|902|2.1|Dr. Lim|ER resident on duty, "
                                                  "Department of Emergency Medicine, "
                                                  "main building|12/8/2026 12:45:00 PM|MT-001|1";
        QCOMPARE(rows("select RequestNum, LabExamID, ResultValue, NotifiedName, NotifiedRole, "
                      "NotifiedAt, MedTechID, ReadBack from LABORATORY..tbLabCriticalNotice"),
                 saved.isEmpty() ? QStringList() : QStringList{saved});
        QCOMPARE(rows("select Action, Exam, NewValue, MedTechID from LABORATORY..tbLabAudit "
                      "where TableName = 'tbLabCriticalNotice'"),
                 saved.isEmpty()
                     ? QStringList()
                     : QStringList{"critical|902|2.1 notified to Dr. Lim (ER resident on duty, "
                                   "Department of Emergency Medicine, main building) at "
                                   "2026-12-08 12:45:00 by MT-001, read back|MT-001"});
    }

    void deltaCheck_data() {
        addColumns<QString, QString, QString, QString, QStringList>("exam", "result", "previous",
                                                                    "screen", "acknowledged");
        addRows<const char*, const char*, const char*, const char*, QStringList>({
            {"beyond the rule",
             "903",
             "1.6",
             "2026-12-01",
             "| 0 - 2 | DELTA | 1 12/01/2026",
             {"LR26-0009|903|1.6|1|LR26-0100|MT-001", "delta|903|1 (LR26-0100)|1.6, acknowledged"}},
            {"within the rule", "903", "1.4", "2026-12-01", "| 0 - 2 | | 1 12/01/2026", {}},
            {"previous too old", "903", "1.6", "2026-10-01", "| 0 - 2 | |", {}},
            {"no rule", "904", "1.6", "2026-12-01", "| 0 - 2 | | 1 12/01/2026", {}},
            {"no previous", "903", "1.6", "", "| 0 - 2 | |", {}},
            {"the newer of two", "904", "1.6", "both", "| 0 - 2 | | 1 12/01/2026", {}},
        });
    }
    void deltaCheck() {
        QFETCH(QString, exam);
        QFETCH(QString, result);
        QFETCH(QString, previous);
        QFETCH(QString, screen);
        QFETCH(QStringList, acknowledged);
        if (previous == QLatin1String("both"))
            exec(QStringLiteral("insert into LABORATORY..tbLabResultValues (RequestNum, LabExamID, "
                                "LayoutIndex, A1, A2, A4) values ('LR26-0099', '%1', 0, 0, 2, 5)")
                     .arg(exam));
        if (!previous.isEmpty())
            exec(QStringLiteral("insert into LABORATORY..tbLabResultValues (RequestNum, LabExamID, "
                                "LayoutIndex, A1, A2, A4) values ('%1', '%2', 0, 0, 2, 1)")
                     .arg(previous.endsWith("10-01") ? "LR26-0099" : "LR26-0100", exam));
        const bool flagged = !acknowledged.isEmpty();
        enter({exam + ";CREATININE;0;2;mg/dL"}, {result}, {},
              flagged ? Steps([](ScriptedUser::FormScript& d) { d.click("cmdNotice(0)"); })
                      : Steps(),
              {"Check the results marked DELTA before the save."}, flagged);
        QCOMPARE(shown_.value(0), screen);
        if (!flagged)
            return;
        // Refused without the tick; ticked, the save records it.
        QCOMPARE(rows("select count(*) from LABORATORY..tbLabDeltaAck"), QStringList{"0"});
        shown_.clear();
        enter({exam + ";CREATININE;0;2;mg/dL"}, {result}, {}, [](ScriptedUser::FormScript& d) {
            d.key("chkDeltaSeen", Qt::Key_Space).click("cmdNotice(0)");
        });
        QCOMPARE(rows("select RequestNum, LabExamID, ResultValue, PreviousValue, PreviousRequest, "
                      "MedTechID from LABORATORY..tbLabDeltaAck") +
                     rows("select Action, Exam, OldValue, NewValue from LABORATORY..tbLabAudit "
                          "where TableName = 'tbLabDeltaAck'"),
                 acknowledged);
    }
};

QTEST_MAIN(TestResultChecks)
#include "tst_resultchecks.moc"
