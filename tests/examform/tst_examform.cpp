#include "entry/layout.h"
#include "entry/modulestate.h"
#include "examform/frmExamForm.h"
#include "platform/ado/trace.h"
#include "platform/controls/dtpicker.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/reportdoc.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTest>

using examform::frmExamForm;

namespace {

frmExamForm& form() {
    return forms::loaded<frmExamForm>();
}

// Exams as "form type;exam id;title[;element 1|element 2|...]"; the exam id
// is also the exam model, the request's number the lab number.
void addExams(entry::clsDataEntry& o, const QStringList& exams,
              const QString& labNum = QStringLiteral("LR26-0009")) {
    o.Clear_Exams();
    for (const QString& exam : exams) {
        const QStringList f = exam.split(QLatin1Char(';'));
        std::vector<vrt::Variant> data{vrt::Variant()};
        for (const QString& e : f.value(3).split(QLatin1Char('|')))
            data.emplace_back(e);
        o.Add_Exam(f[1], 100, QStringLiteral("CH-260502"), labNum, false, f[0], f[1], f[2],
                   vrt::Variant::array(data), f.size() > 3);
    }
}

QStringList repeated(int count, const QString& exam) {
    QStringList exams;
    for (int i = 0; i < count; ++i)
        exams << exam.arg(i);
    return exams;
}

// Visible screens with top and height, then the scroll bar.
QString geometry() {
    QStringList parts;
    for (int i = 0; i < 10; ++i) {
        const auto* s = form().Get_Screen(i);
        if (s->Visible())
            parts << QStringLiteral("%1 %2 %3").arg(s->objectName()).arg(s->Top()).arg(s->Height());
    }
    const QScrollBar* bar = form().vscrlVertical;
    parts << (bar->isHidden()
                  ? QStringLiteral("no scroll")
                  : QStringLiteral("scroll %1-%2").arg(bar->minimum()).arg(bar->maximum()));
    return parts.join(QStringLiteral("; "));
}

QString focused() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

// The focused cell lies inside the window's area below the banner.
bool focusInView(forms::Form& f) {
    QWidget* w = QApplication::focusWidget();
    const QRect r(w->mapTo(f.body(), QPoint(0, 0)), w->size());
    return r.top() >= 0 && r.bottom() <= f.body()->height();
}

const char* storedColumns =
    "select LayoutIndex, A1, A2, A3, A4, A5, B1, B2, B3, B4, C1, C2, E1, E2, H1, H2, H3, H4, H5, "
    "H6, F1, G1, G2, G3, G4, G5, Remarks from LABORATORY..tbLabResultValues "
    "where RequestNum = 'LR26-0009'";

// The expected file of this data row: examform/expected/<kind>_<row>.txt.
const QStringList flagged0{"1;101;FBS;70|110|126|mg/dL", "1;102;POTASSIUM;3.5|5.1|2.9|mmol/L",
                           "1;103;HDL;40||35|mg/dL", "1;104;CHOLESTEROL;|200|150|mg/dL"};

QString expectedFor(const char* kind) {
    return QStringLiteral("examform/expected/%1_%2.txt")
        .arg(QLatin1String(kind), QLatin1String(QTest::currentDataTag()));
}

} // namespace

class TestExamForm : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

    // Saves the request with the sign-off's Finish and the remarks typed
    // there; first adds what the user meets before the exam form.
    void save(const QString& button = QStringLiteral("cmdExam(0)"),
              const std::function<void(ScriptedUser&)>& before = {}) {
        ScriptedUser user;
        if (before)
            before(user);
        user.expectForm(QStringLiteral("frmExamForm")).click(button);
        user.expectForm(QStringLiteral("frmRemarksInput"))
            .type(QStringLiteral("txtRemarks"), QStringLiteral("it's ok"))
            .click(QStringLiteral("cmdFinish(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!forms::isLoaded<frmExamForm>());
    }
    QStringList stored() {
        const QStringList names = QString::fromLatin1(storedColumns)
                                      .section(QLatin1String(" from"), 0, 0)
                                      .mid(7)
                                      .split(QLatin1String(", "));
        QStringList rows;
        for (const QStringList& row : lab_->rows(QString::fromLatin1(storedColumns) +
                                                 QStringLiteral(" order by LabExamID"))) {
            QStringList set;
            for (int c = 0; c < row.size(); ++c)
                if (row[c] != QLatin1String("NULL"))
                    set << names[c] + QLatin1Char('=') + row[c];
            rows << set.join(QLatin1Char(' '));
        }
        return rows;
    }

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request(QStringLiteral("LR26-0009"), QStringLiteral("1"), QStringLiteral("101"),
                      QStringLiteral("CHEMISTRY"));
        lab_->object().Space_Allowance(100);
        lab_->object().EditMode(true);
        lab_->object().ProfileMode(false);
    }
    void cleanup() {
        forms::unload<frmExamForm>();
        lab_.reset();
    }

    // Each row's screens and scroll bar are in expected/geometry_<row>.txt.
    void layout_data() {
        addColumns<QStringList, QString, QString>("exams", "specialised", "dateColumn");
        addRows<QStringList, QString, QString>({
            {"three-of-type-1", {"1;101;FBS", "1;102;BUN", "1;103;CREA"}, "", ""},
            {"stacked-by-index", {"2;201;PREGNANCY", "1;101;FBS"}, "", ""},
            {"type-Q", {"Q;999;OTHER"}, "", ""},
            {"prompt-lines", {"4;301;BLOOD TYPING"}, "", ""},
            {"stool-by-model", {"1;101;FBS", "H;206;STOOL"}, "frmStool", "Result22"},
            {"urinalysis-by-model", {"1;101;FBS", "H;23;URINALYSIS"}, "frmUrinalysis2", "Result32"},
            {"fecalysis-by-model", {"1;101;FBS", "H;34;FECALYSIS"}, "frmfecalysis", ""},
            {"Widal-by-model", {"1;101;FBS", "H;96;WIDAL"}, "frmWidalTest", ""},
            {"taller-than-the-form", {"Z;411;FNA", "Z;412;FNA 2"}, "", ""},
            {"200-exams", repeated(200, QStringLiteral("1;1%1;EXAM %1")), "", ""},
            {"Pap-smear-by-model", {"1;101;FBS", "H;57;PAP SMEAR"}, "frmPapSmear2", "Result32"},
            {"histopathology-by-code-14",
             {"1;101;FBS", "X;401;HISTOPATHOLOGY"},
             "frmHistopath",
             ""},
        });
    }
    void layout() {
        QFETCH(QStringList, exams);
        QFETCH(QString, specialised);
        QFETCH(QString, dateColumn);
        // A window with report pickers shows the date it stored, not today.
        if (!dateColumn.isEmpty())
            lab_->database().keeper().Execute(
                "insert into LABORATORY..tbLabResultHCodes (RequestNum, Result28, Result29, "
                "Result30, Result31, " +
                dateColumn +
                ") values ('LR26-0009', '', '', '', '', "
                "'11/30/2026')");
        addExams(lab_->object(), exams);
        ScriptedUser user;
        if (!specialised.isEmpty())
            user.expectForm(specialised)
                .run([dateColumn](forms::Form& f) {
                    if (!dateColumn.isEmpty())
                        QCOMPARE(f.findChild<controls::DTPicker*>("dtReportDate")->text(),
                                 "11/30/2026");
                })
                .click(QStringLiteral("cmdExam(1)"));
        entry::Draw_Exams();
        VERIFY_SCRIPT(user);
        VERIFY_EXPECTED(geometry() + u'\n', expectedFor("geometry"));
    }

    void scrolling_data() {
        addColumns<int, int>("value", "firstTop");
        addRows<int, int>(
            {{"minimum", 9300, 0}, {"middle", 20000, -10700}, {"maximum", 60650, -51350}});
    }
    void scrolling() {
        QFETCH(int, value);
        QFETCH(int, firstTop);
        addExams(lab_->object(), repeated(199, QStringLiteral("1;1%1;EXAM %1"))
                                     << "2;201;PREGNANCY");
        entry::Draw_Exams();
        form().vscrlVertical->setValue(value);
        QCOMPARE(form().ctlscrnNormalValues->Top(), firstTop);
        QCOMPARE(form().ctlscrnShortForm->Top(), firstTop + 60000 + 100);
    }

    void keyboardAcrossScreensAndCancel() {
        addExams(lab_->object(), repeated(20, QStringLiteral("1;1%1;EXAM %1;70|110||mg/dL"))
                                     << "2;201;PREGNANCY TEST");
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmExamForm"))
            .type(QStringLiteral("ctlscrnNormalValues.txtEntry(0)"), QStringLiteral("95"))
            .run([](forms::Form& f) {
                for (int i = 1; i <= 20; ++i) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                    QVERIFY(focusInView(f));
                }
                QCOMPARE(focused(), QStringLiteral("ctlscrnShortForm.txtEntry(0)"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
                QCOMPARE(focused(), QStringLiteral("ctlscrnNormalValues.txtEntry(19)"));
                QVERIFY(focusInView(f));
            })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(entry::state().SignOffCancelled);
        QVERIFY(!lab_->object().HasSaved());
        QCOMPARE(ado::statementTrace().size(), 2); // the heading and the read of what is stored
    }

    void backKeepsTypedValues() {
        addExams(lab_->object(), {"1;101;FBS;70|110||mg/dL", "Z;411;FNA CYTOLOGY"});
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmExamForm"))
            .type(QStringLiteral("ctlscrnNormalValues.txtEntry(0)"), QStringLiteral("130"))
            .type(QStringLiteral("ctlscrnHisoCytology.txtEntry(0)"), QStringLiteral("C-26-118"))
            .click(QStringLiteral("cmdExam(2)"))
            .run([](forms::Form& f) {
                auto& x = static_cast<frmExamForm&>(f);
                vrt::Variant r;
                x.ctlscrnNormalValues->Get_FullResult(QStringLiteral("FBS"), r);
                QCOMPARE(r.toArray().at(3).toString(), QStringLiteral("130"));
                x.ctlscrnHisoCytology->Get_FullResult(QStringLiteral("FNA CYTOLOGY"), r);
                QCOMPARE(r.toArray().at(1).toString(), QStringLiteral("C-26-118"));
            })
            .click(QStringLiteral("cmdExam(1)"));
        user.expectForm(QStringLiteral("frmRemarksInput")).click(QStringLiteral("cmdFinish(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(ado::statementTrace().size(), 2);
    }

    // Each row's statements and stored rows (columns that are not Null) are
    // in expected/save_<row>.txt.
    void saveByLayout_data() {
        QTest::addColumn<QStringList>("exams");
        addRows<QStringList>({
            {"0-numeric", {"1;101;FASTING BLOOD SUGAR;70|110|95.456|mg/dL"}},
            {"0-text-range", {"C;106;ESR;up to 20||12|mm/hr"}},
            {"0-low-only", {"1;101;FBS;40||95|mg/dL"}},
            {"0-high-only", {"1;101;FBS;|110|95|mg/dL"}},
            {"1-free-text", {"2;201;PREGNANCY TEST (URINE);POSI'TIVE"}},
            {"2-prompts", {"4;301;BLOOD TYPING;O\r\nPOSITIVE"}},
            {"3-cut-off", {"5;302;DENGUE NS1;NS1 Antigen|1.0|2.5|REACTIVE"}},
            {"4-sample-type", {"6;311;HBSAG SCREENING;SERUM|NONREACTIVE|||y"}},
            {"4-sample-only", {"6;311;HBSAG SCREENING;SERUM"}},
            {"5-conventional-and-SI", {"8;141;TRIGLYCERIDES;150|1.70|0|200|mg/dL||||2.26|mmol/L"}},
            {"6-drug-assay", {"F;601;METHAMPHETAMINE SCREEN;1000 ng/mL|NEGATIVE|NEG"}},
            {"6-interpretation-only", {"F;601;METHAMPHETAMINE SCREEN;|NEGATIVE|"}},
            {"7-cytology", {"Z;411;FNA;C-26-118|THYROID|||BENIGN NODULE|BENIGN"}},
            {"7-number-only", {"Z;411;FNA;C-26-119"}},
            {"8-with-conversion", {"A;131;HEMATOCRIT;37-47||41|%"}},
            {"9-second-form", {"N;151;SGPT (ALT);41|0-41|0.68|0-0.68|||U/L"}},
            {"slots-carried-empty-left-out",
             {"5;302;DENGUE NS1;NS1 Antigen|1.0|2.5|REACTIVE", "2;201;PREGNANCY TEST;NEGATIVE",
              "1;101;FBS;70|110||mg/dL"}},
        });
    }
    void saveByLayout() {
        QFETCH(QStringList, exams);
        addExams(lab_->object(), exams);
        save();
        VERIFY_EXPECTED(linesText(ado::statementTrace()) + linesText(stored()),
                        expectedFor("save"));
        QVERIFY(lab_->object().HasSaved());
        QVERIFY(lab_->printedFiles().isEmpty());
    }

    // Print and Save: the printed reports, one after the other, are in
    // expected/print_<row>.txt.
    void printedReports_data() {
        QTest::addColumn<QStringList>("exams");
        QTest::addColumn<bool>("profile");
        addRows<QStringList, bool>({
            {"layout0",
             {"1;101;FASTING BLOOD SUGAR;70|110|95.456|mg/dL", "C;105;HBSAG;Negative||Positive|",
              "1;102;CREATININE;0.6|1.2|0.9|mg/dL"},
             false},
            {"mixed05-names-empty",
             {"1;109;;70|110|80|mg/dL", "8;141;TRIGLYCERIDES;150|1.70|0|200|mg/dL||||2.26|mmol/L",
              "8;143;AMMONIA;1234.56|9876.54|1000.25|1999.75|mEq/L/hr|||1000.25|1999.75|umol/L/h",
              "1;101;FBS;70|110|95|mg/dL", "8;142;;1|1|0|2|mg/dL||||1|mmol/L"},
             false},
            {"layout2-coded-text", {"4;301;BLOOD TYPING;O\r\nPOSITIVE"}, false},
            {"layout7-two-histopathology",
             {"Z;411;FNA THYROID;C-26-7|THYROID|LEFT LOBE||COLLOID NODULE|BENIGN",
              "Z;412;FNA BREAST;C-26-8|BREAST|||FIBROADENOMA|BENIGN"},
             false},
            {"layout0-then-1",
             {"1;101;FBS;70|110|95|mg/dL", "2;201;PREGNANCY TEST;POSITIVE"},
             false},
            {"layout1-then-4",
             {"2;201;PREGNANCY TEST;POSITIVE", "6;311;HBSAG SCREENING;SERUM|NONREACTIVE|||y"},
             false},
            {"layout368-cut-off-drug-conversion",
             {"5;302;DENGUE NS1;NS1 Antigen|1.0|2.5|REACTIVE",
              "F;601;METHAMPHETAMINE;1000 ng/mL|NEGATIVE|NEG", "A;131;HEMATOCRIT;37-47||41|%"},
             false},
            {"layout9-second-form",
             {"N;151;SGPT (ALT);41|0-41|0.68|0-0.68|||U/L",
              "N;152;SGOT (AST);1234567|0-37|20.64|0-0.62|||U/L"},
             false},
            {"profile",
             {"1;141;TRIGLYCERIDES;0|150|162.345|mg/dL", "1;142;HDL;40|60||mg/dL",
              "1;143;HIV SCREEN;Negative||Reactive|", "1;144;HDL-C;40||35|mg/dL"},
             true},
            {"layout0-flags", flagged0, false},
            {"layout0-without-flags", flagged0, false},
            {"layout5-flags",
             {"8;141;GLUCOSE;126|6.99|70|110|mg/dL|||3.9|6.1|mmol/L",
              "8;142;HDL;35||40||mg/dL|||||", "8;143;CREATININE;|40|||umol/L|||53|115|umol/L"},
             false},
        });
    }
    void printedReports() {
        QFETCH(QStringList, exams);
        QFETCH(bool, profile);
        if (QByteArray(QTest::currentDataTag()).endsWith("without-flags")) {
            ado::Connection host;
            host.setConnectionString(lab_->database().connectionString() +
                                     QStringLiteral(";Report Flags=No"));
            entry::state().LabConnection->Close();
            lab_->object().SQLConnection(host);
        }
        lab_->object().ProfileMode(profile);
        lab_->object().ProfileExamID(QStringLiteral("P-1"));
        addExams(lab_->object(), exams);
        save(QStringLiteral("cmdExam(2)"));
        QString reports;
        for (const QString& pdf : lab_->printedFiles())
            reports += QStringLiteral("<job>\n") + PrintCapture::composed(pdf);
        VERIFY_EXPECTED(reports, expectedFor("print"));
    }

    // A result longer than its field continues under its own column at the
    // report's size; the interpretation keeps its place (the whole value on
    // one line would not fit the sheet).
    void aLongResultContinuesUnderItsColumn() {
        lab_->object().EditMode(false);
        addExams(
            lab_->object(),
            {"F;601;METHAMPHETAMINE;1000 ng/mL|NOT CONFIRMED|PRESUMPTIVE POSITIVE, CONFIRM GC-MS"});
        save(QStringLiteral("cmdExam(2)"));
        const QStringList lines = reportLines();
        const qsizetype at =
            lines.indexOf(QRegularExpression(QStringLiteral("^METHAMPHETAMINE.*")));
        const QString under(56, u' ');
        QCOMPARE(
            lines.mid(at, 3),
            QStringList({"METHAMPHETAMINE" + QString(16, u' ') + "1000 ng/mL" + QString(15, u' ') +
                             "PRESUMPTIVE" + QString(10, u' ') + "NOT CONFIRMED",
                         under + "POSITIVE, CONFIRM", under + "GC-MS"}));
        double title = 0;
        for (const auto& w : PrintCapture::words(lab_->printedFiles().value(0)))
            if (w.text == QLatin1String("METHAMPHETAMINE"))
                title = w.yMax - w.yMin;
            else if (w.text == QLatin1String("PRESUMPTIVE") || w.text == QLatin1String("GC-MS"))
                QCOMPARE(w.yMax - w.yMin, title);
        QVERIFY(title > 0);
    }

    void editModeOffSendsNothing() {
        lab_->object().EditMode(false);
        addExams(lab_->object(), {"1;101;FBS;70|110|95|mg/dL", "Z;411;FNA;C-26-118"});
        save(QStringLiteral("cmdExam(2)"));
        QCOMPARE(ado::statementTrace(),
                 QStringList{QStringLiteral("select * from patient_data..tbHospitalInfo")});
        QVERIFY(!lab_->object().HasSaved());
        // The cytology exam has its number only, and is printed too.
        QCOMPARE(lab_->printedFiles().size(), 2);
    }

    void unloggedRequestIsNotVerified() {
        addExams(lab_->object(), {"2;201;PREGNANCY TEST;NEGATIVE"}, QStringLiteral("LR26-0099"));
        save();
        VERIFY_EXPECTED(linesText(ado::statementTrace()),
                        QStringLiteral("examform/expected/save_unlogged.txt"));
    }

    void promptLinesKeptForTheReport() {
        lab_->object().EditMode(false);
        addExams(lab_->object(), {"4;301;BLOOD TYPING;O\nPOSITIVE"});
        entry::Draw_Exams();
        form().Save_Entries();
        QCOMPARE(form().PromptLines, (QStringList{"ABO Group\n", "Rh (D) Factor\n"}));
        QCOMPARE(form().ResultLines, (QStringList{"O\r\n", "POSITIVE\r\n"}));
    }

    void profileWritesOneRow() {
        lab_->object().ProfileMode(true);
        lab_->object().ProfileExamID(QStringLiteral("P-LIPID"));
        addExams(lab_->object(),
                 {"1;141;TRIGLYCERIDES;0|150|162.345|mg/dL", "1;142;HDL CHOLESTEROL;40|60||mg/dL",
                  "1;143;LDL;0|100|positive|mg/dL"});
        save();
        QVERIFY(stored().isEmpty());
        VERIFY_EXPECTED(linesText(ado::statementTrace()) +
                            linesText(lab_->rows(QStringLiteral(
                                "select Slot0, Slot1, Slot3, Slot17, Remarks from "
                                "LABORATORY..tbLabProfileResult where ProfileExamID = 'P-LIPID'"))),
                        QStringLiteral("examform/expected/save_profile.txt"));
    }

    void valueThatIsNoNumberKeepsTheFormOpen() {
        addExams(lab_->object(),
                 {"1;101;FBS;70|110|95|mg/dL", "8;141;TRIGLYCERIDES;150|1.70|abc|200|mg/dL"});
        ScriptedUser user;
        // Still open after the message: Cancel closes it.
        user.expectForm("frmExamForm").click("cmdExam(2)").click("cmdExam(1)");
        user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        user.expectMessage("Data was not Saved! Error:[Type mismatch]");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(ado::statementTrace().size(), 2); // the heading and the read of what is stored
        QVERIFY(!lab_->object().HasSaved());
        QVERIFY(lab_->printedFiles().isEmpty());
    }

    // The histopathology form the code-14 exam opens saves and prints it; the
    // row it leaves on the screen above, left empty, is not saved.
    void genericThenHistopathologySavesAndPrintsBoth() {
        addExams(lab_->object(), {"1;101;FBS;70|110|95|mg/dL", "X;401;HISTOPATHOLOGY"});
        save("cmdExam(2)", [](ScriptedUser& user) {
            user.expectForm("frmHistopath").type("txtHistopathNum", "HP-26-7").click("cmdExam(2)");
        });
        QCOMPARE(stored(),
                 QStringList{"LayoutIndex=0 A1=70 A2=110 A3=mg/dL A4=95 Remarks=it's ok"});
        QCOMPARE(lab_->rows("select HistopathNum from LABORATORY..tbLabResultHistoCytology where "
                            "RequestNum = 'LR26-0009'"),
                 QList<QStringList>{{"HP-26-7"}});
        QCOMPARE(lab_->printedFiles().size(), 2);
    }
};

QTEST_MAIN(TestExamForm)
#include "tst_examform.moc"
