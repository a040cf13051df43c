#include "entry/layout.h"
#include "entry/modulestate.h"
#include "examform/frmExamForm.h"
#include "platform/ado/trace.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include "platform/runtime/datetime.h"

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

// The focused cell lies inside the window.
bool focusInView(forms::Form& f) {
    QWidget* w = QApplication::focusWidget();
    const QRect r(w->mapTo(&f, QPoint(0, 0)), w->size());
    return r.top() >= 0 && r.bottom() <= f.height();
}

const char* storedColumns =
    "select LayoutIndex, A1, A2, A3, A4, A5, B1, B2, B3, B4, C1, C2, E1, E2, H1, H2, H3, H4, H5, "
    "H6, F1, G1, G2, G3, G4, G5, Remarks from LABORATORY..tbLabResultValues "
    "where RequestNum = 'LR26-0009'";

} // namespace

class TestExamForm : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

    // Saves the request with the sign-off's Finish and the remarks typed there.
    void save(const QString& button = QStringLiteral("cmdExam(0)")) {
        ScriptedUser user;
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

    void layout_data() {
        QTest::addColumn<QStringList>("exams");
        QTest::addColumn<QString>("specialised");
        QTest::addColumn<QString>("expected");
        addRows<QStringList, QString, QString>({
            {"three-of-type-1",
             {"1;101;FBS", "1;102;BUN", "1;103;CREA"},
             "",
             "ctlscrnNormalValues 250 1200; no scroll"},
            {"stacked-by-index",
             {"2;201;PREGNANCY", "1;101;FBS"},
             "",
             "ctlscrnNormalValues 250 600; ctlscrnShortForm 950 2800; no scroll"},
            {"type-Q", {"Q;999;OTHER"}, "", "ctlscrnNormalValues 250 600; no scroll"},
            {"prompt-lines", {"4;301;BLOOD TYPING"}, "", "ctlscrnSpecific 250 950; no scroll"},
            {"stool-by-model",
             {"1;101;FBS", "H;206;STOOL"},
             "frmStool",
             "ctlscrnNormalValues 250 900; no scroll"},
            {"fecalysis-by-model",
             {"1;101;FBS", "H;34;FECALYSIS"},
             "frmfecalysis",
             "ctlscrnNormalValues 250 900; no scroll"},
            {"Widal-by-model",
             {"1;101;FBS", "H;96;WIDAL"},
             "frmWidalTest",
             "ctlscrnNormalValues 250 900; no scroll"},
            {"taller-than-the-form",
             {"Z;411;FNA", "Z;412;FNA 2"},
             "",
             "ctlscrnHisoCytology 0 12300; scroll 9300-12650"},
            {"200-exams", repeated(200, QStringLiteral("1;1%1;EXAM %1")), "",
             "ctlscrnNormalValues 0 60300; scroll 9300-60650"},
            {"Pap-smear-by-model",
             {"1;101;FBS", "H;57;PAP SMEAR"},
             "frmPapSmear2",
             "ctlscrnNormalValues 250 900; no scroll"},
            {"histopathology-by-code-14",
             {"1;101;FBS", "X;401;HISTOPATHOLOGY"},
             "frmHistopath",
             "ctlscrnNormalValues 250 900; no scroll"},
        });
    }
    void layout() {
        QFETCH(QStringList, exams);
        QFETCH(QString, specialised);
        QFETCH(QString, expected);
        addExams(lab_->object(), exams);
        ScriptedUser user;
        if (!specialised.isEmpty())
            user.expectForm(specialised).click(QStringLiteral("cmdExam(1)"));
        entry::Draw_Exams();
        VERIFY_SCRIPT(user);
        QCOMPARE(geometry(), expected);
        VERIFY_EXPECTED(
            geometry() + u'\n',
            QStringLiteral("examform/expected/geometry_%1.txt").arg(QTest::currentDataTag()));
    }

    void scrolling_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("firstTop");
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
        QCOMPARE(ado::statementTrace(),
                 QStringList{QStringLiteral("select * from patient_data..tbHospitalInfo")});
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
        QCOMPARE(ado::statementTrace().size(), 1);
    }

    // Each row: the exams, the procedure and arguments of the last statement
    // after "'LR26-0009',", the stored rows (columns that are not Null).
    void saveByLayout_data() {
        QTest::addColumn<QStringList>("exams");
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QStringList>("rows");
        addRows<QStringList, QString, QString, QStringList>({
            {"0-numeric",
             {"1;101;FASTING BLOOD SUGAR;70|110|95.456|mg/dL"},
             "edit",
             "'101','1','70','110','mg/"
             "dL','95.46','','','','','','0','0','','','','','','','','','it''s "
             "ok','0','','','','','0', '0',''",
             {"LayoutIndex=0 A1=70 A2=110 A3=mg/dL A4=95.46 Remarks=it's ok"}},
            {"0-text-range",
             {"C;106;ESR;up to 20||12|mm/hr"},
             "edit",
             "'106','C','0','0','mm/"
             "hr','0','12','','','','','0','0','','','','','','','','','it''s ok','0','up to "
             "20','12','up to 20','','0', '0',''",
             {"LayoutIndex=0 A1=0 A2=0 A3=mm/hr A4=0 A5=12 G1=up to 20 Remarks=it's ok"}},
            {"1-free-text",
             {"2;201;PREGNANCY TEST (URINE);POSI'TIVE"},
             "edit",
             "'201','2','0','0','','0','POSI''TIVE','','','','','0','0','','','','','','','','','"
             "it''s ok','1','','POSI''TIVE','','','0', '0',''",
             {"LayoutIndex=1 A5=POSI'TIVE Remarks=it's ok"}},
            {"2-prompts",
             {"4;301;BLOOD TYPING;O\r\nPOSITIVE"},
             "edit",
             "'301','4','0','0','','0','O\r\nPOSITIVE\r\n','','','','','0','0','','','','','','',''"
             ",'','it''s ok','2','','O\r\nPOSITIVE\r\n','','','0', '0',''",
             {"LayoutIndex=2 A5=O\r\nPOSITIVE\r\n Remarks=it's ok"}},
            {"3-cut-off",
             {"5;302;DENGUE NS1;NS1 Antigen|1.0|2.5|REACTIVE"},
             "edit",
             "'302','5','0','0','','0','REACTIVE','NS1 "
             "Antigen','2.5','1.0','','0','0','','','','','','','','','it''s "
             "ok','3','','REACTIVE','','','0', '0',''",
             {"LayoutIndex=3 A5=REACTIVE B1=NS1 Antigen B2=2.5 B3=1.0 Remarks=it's ok"}},
            {"4-specimen",
             {"6;311;HBSAG SCREENING;SERUM|NONREACTIVE|||y"},
             "specs",
             "'311','6','0','0','','0','NONREACTIVE','','','','SERUM','0','0','','','','','','','',"
             "'','it''s ok','4','Y',2",
             {"LayoutIndex=4 A5=NONREACTIVE B4=SERUM F1=Y Remarks=it's ok"}},
            {"5-conventional-and-SI",
             {"8;141;TRIGLYCERIDES;150|1.70|0|200|mg/dL||||2.26|mmol/L"},
             "edit",
             "'141','8','0','200','mg/"
             "dL','0','','','','','','150','1.7','','','','','','','','','it''s "
             "ok','5','','','','','0', '2.26','mmol/L'",
             {"LayoutIndex=5 A1=0 A2=200 A3=mg/dL C1=150 C2=1.7 G3=0 G4=2.26 G5=mmol/L "
              "Remarks=it's ok"}},
            {"6-drug-assay",
             {"F;601;METHAMPHETAMINE SCREEN;1000 ng/mL|NEGATIVE|NEG"},
             "edit",
             "'601','F','0','0','','0','NEG','','','','','0','0','1000 "
             "ng/mL','NEGATIVE','','','','','','','it''s ok','6','','NEG','','','0', '0',''",
             {"LayoutIndex=6 A5=NEG E1=1000 ng/mL E2=NEGATIVE Remarks=it's ok"}},
            {"7-cytology",
             {"Z;411;FNA;C-26-118|THYROID|||BENIGN NODULE|BENIGN"},
             "edit",
             "'411','Z','0','0','','0','','','','','','0','0','','','C-26-118','THYROID','','','"
             "BENIGN NODULE','BENIGN','it''s ok','7','','','','','0', '0',''",
             {"LayoutIndex=7 H1=C-26-118 H2=THYROID H3= H4= H5=BENIGN NODULE H6=BENIGN "
              "Remarks=it's ok"}},
            {"8-with-conversion",
             {"A;131;HEMATOCRIT;37-47||41|%"},
             "edit",
             "'131','A','0','0','%','0','41','','','','','0','0','','','','','','','','','it''s "
             "ok','8','37-47','41','37-47','','0', '0',''",
             {"LayoutIndex=8 A3=% A5=41 G1=37-47 Remarks=it's ok"}},
            {"9-second-form",
             {"N;151;SGPT (ALT);41|0-41|0.68|0-0.68|||U/L"},
             "edit",
             "'151','N','0','0','','0','','','','','','41','0.68','','','','','','','','','it''s "
             "ok','9','0-41','','0-41','0-0.68','0', '0','U/L'",
             {"LayoutIndex=9 C1=41 C2=0.68 G1=0-41 G2=0-0.68 G5=U/L Remarks=it's ok"}},
            {"slots-carried-empty-left-out",
             {"5;302;DENGUE NS1;NS1 Antigen|1.0|2.5|REACTIVE", "2;201;PREGNANCY TEST;NEGATIVE",
              "1;101;FBS;70|110||mg/dL"},
             "edit",
             "'201','2','0','0','','0','NEGATIVE','NS1 "
             "Antigen','2.5','1.0','','0','0','','','','','','','','','it''s "
             "ok','1','','NEGATIVE','','','0', '0',''",
             {"LayoutIndex=1 A5=NEGATIVE Remarks=it's ok",
              "LayoutIndex=3 A5=REACTIVE B1=NS1 Antigen B2=2.5 B3=1.0 Remarks=it's ok"}},
        });
    }
    void saveByLayout() {
        QFETCH(QStringList, exams);
        QFETCH(QString, procedure);
        QFETCH(QString, arguments);
        QFETCH(QStringList, rows);
        const QString statement =
            (procedure == QLatin1String("edit")
                 ? QStringLiteral("LABORATORY..LAB_Save_EditResultEntries 'LR26-0009',")
                 : QStringLiteral("laboratory..LAB_Save_SpecsResultEntries 'LR26-0009',")) +
            arguments;
        addExams(lab_->object(), exams);
        save();
        const QStringList trace = ado::statementTrace();
        QCOMPARE(trace.last(), statement);
        QVERIFY(trace.contains(
            QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0009','EMP-7'")));
        QCOMPARE(stored(), rows);
        QVERIFY(lab_->object().HasSaved());
        QVERIFY(lab_->printedFiles().isEmpty());
        VERIFY_EXPECTED(
            linesText({trace.last()}) + linesText(stored()),
            QStringLiteral("examform/expected/save_%1.txt").arg(QTest::currentDataTag()));
    }

    // Print and Save: each printed report's text against its expected file.
    void printedReports_data() {
        QTest::addColumn<QStringList>("exams");
        QTest::addColumn<bool>("profile");
        QTest::addColumn<QStringList>("reports");
        addRows<QStringList, bool, QStringList>({
            {"normal values",
             {"1;101;FASTING BLOOD SUGAR;70|110|95.456|mg/dL", "C;105;HBSAG;Negative||Positive|",
              "1;102;CREATININE;0.6|1.2|0.9|mg/dL"},
             false,
             {"layout0"}},
            {"mixed, names empty",
             {"1;109;;70|110|80|mg/dL", "8;141;TRIGLYCERIDES;150|1.70|0|200|mg/dL||||2.26|mmol/L",
              "8;143;AMMONIA;1234.56|9876.54|1000.25|1999.75|mEq/L/hr|||1000.25|1999.75|umol/L/h",
              "1;101;FBS;70|110|95|mg/dL", "8;142;;1|1|0|2|mg/dL||||1|mmol/L"},
             false,
             {"mixed05"}},
            {"coded text", {"4;301;BLOOD TYPING;O\r\nPOSITIVE"}, false, {"layout2"}},
            {"two histopathology",
             {"Z;411;FNA THYROID;C-26-7|THYROID|LEFT LOBE||COLLOID NODULE|BENIGN",
              "Z;412;FNA BREAST;C-26-8|BREAST|||FIBROADENOMA|BENIGN"},
             false,
             {"layout7a", "layout7b"}},
            {"normal values, then free text",
             {"1;101;FBS;70|110|95|mg/dL", "2;201;PREGNANCY TEST;POSITIVE"},
             false,
             {"layout0then1", "layout1"}},
            {"free text, specimen",
             {"2;201;PREGNANCY TEST;POSITIVE", "6;311;HBSAG SCREENING;SERUM|NONREACTIVE|||y"},
             false,
             {"layout1", "layout4"}},
            {"cut-off, drug, conversion",
             {"5;302;DENGUE NS1;NS1 Antigen|1.0|2.5|REACTIVE",
              "F;601;METHAMPHETAMINE;1000 ng/mL|NEGATIVE|NEG", "A;131;HEMATOCRIT;37-47||41|%"},
             false,
             {"layout368"}},
            {"second form",
             {"N;151;SGPT (ALT);41|0-41|0.68|0-0.68|||U/L",
              "N;152;SGOT (AST);1234567|0-37|20.64|0-0.62|||U/L"},
             false,
             {"layout9"}},
            {"profile",
             {"1;141;TRIGLYCERIDES;0|150|162.345|mg/dL", "1;142;HDL;40|60||mg/dL",
              "1;143;HIV SCREEN;Negative||Reactive|"},
             true,
             {"profile"}},
        });
    }
    void printedReports() {
        QFETCH(QStringList, exams);
        QFETCH(bool, profile);
        QFETCH(QStringList, reports);
        lab_->object().ProfileMode(profile);
        lab_->object().ProfileExamID(QStringLiteral("P-1"));
        addExams(lab_->object(), exams);
        save(QStringLiteral("cmdExam(2)"));
        QCOMPARE(lab_->printedFiles().size(), reports.size());
        for (int k = 0; k < reports.size(); ++k) {
            VERIFY_EXPECTED(stampsMasked(PrintCapture::text(lab_->printedFiles()[k])),
                            QStringLiteral("examform/expected/%1.txt").arg(reports[k]));
        }
    }

    void editModeOffSendsNothing() {
        lab_->object().EditMode(false);
        addExams(lab_->object(), {"1;101;FBS;70|110|95|mg/dL", "Z;411;FNA;C-26-118"});
        save(QStringLiteral("cmdExam(2)"));
        QCOMPARE(ado::statementTrace(),
                 QStringList{QStringLiteral("select * from patient_data..tbHospitalInfo")});
        QVERIFY(!lab_->object().HasSaved());
        QCOMPARE(lab_->printedFiles().size(), 1);
    }

    void unloggedRequestIsNotVerified() {
        addExams(lab_->object(), {"2;201;PREGNANCY TEST;NEGATIVE"}, QStringLiteral("LR26-0099"));
        save();
        QCOMPARE(
            ado::statementTrace().mid(1),
            (QStringList{"select * from laboratory..tblablogbook where requestnum = 'LR26-0099'",
                         "LABORATORY..LAB_Save_EditResultEntries "
                         "'LR26-0099','201','2','0','0','','0','NEGATIVE','','','','','0','0','',''"
                         ",'','','','','','','it''s ok','1','','NEGATIVE','','','0', '0',''"}));
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
        const QStringList trace = ado::statementTrace();
        QCOMPARE(trace.size(), 4);
        QCOMPARE(
            trace[3],
            QStringLiteral(
                "LABORATORY..LAB_Save_EditProfileResultEntries 'LR26-0009','P-LIPID',"
                "'|||0||150||162.345||mg/dL||H||TRIGLYCERIDES||0||150|','',"
                "'|||0||100||positive||mg/"
                "dL||||LDL||0||100|','','','','','','','','','','','','','','','','it''s ok'"));
        QCOMPARE(lab_->rows(QStringLiteral(
                     "select Slot0, Slot1, Slot3, Slot17, Remarks from "
                     "LABORATORY..tbLabProfileResult where ProfileExamID = 'P-LIPID'")),
                 (QList<QStringList>{{"|||0||150||162.345||mg/dL||H||TRIGLYCERIDES||0||150|", "",
                                      "", "", "it's ok"}}));
        QVERIFY(stored().isEmpty());
        VERIFY_EXPECTED(linesText(trace) +
                            linesText(lab_->rows(QStringLiteral(
                                "select Slot0, Slot1, Slot3, Slot17, Remarks from "
                                "LABORATORY..tbLabProfileResult where ProfileExamID = 'P-LIPID'"))),
                        QStringLiteral("examform/expected/save_profile.txt"));
    }

    void failureLeavesNothingStored() {
        addExams(lab_->object(),
                 {"1;101;FBS;70|110|95|mg/dL", "8;141;TRIGLYCERIDES;150|1.70|abc|200|mg/dL"});
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmExamForm")).click(QStringLiteral("cmdExam(2)"));
        user.expectForm(QStringLiteral("frmRemarksInput")).click(QStringLiteral("cmdFinish(0)"));
        user.expectMessage(QStringLiteral("Data was not Saved! Error:[Type mismatch]"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(user.messages().first().title,
                 QStringLiteral("Save_Entries of Result Entry Class"));
        QCOMPARE(user.messages().first().icon, forms::MsgIcon::Critical);
        QVERIFY(ado::statementTrace().join('\n').contains(QLatin1String("'101','1','70'")));
        QVERIFY(stored().isEmpty());
        QCOMPARE(
            lab_->rows(QStringLiteral(
                "select Verified from LABORATORY..tblablogbook where RequestNum = 'LR26-0009'")),
            (QList<QStringList>{{"0"}}));
        QVERIFY(!lab_->object().HasSaved());
        QVERIFY(!forms::isLoaded<frmExamForm>());
        QVERIFY(lab_->printedFiles().isEmpty());
    }
};

QTEST_MAIN(TestExamForm)
#include "tst_examform.moc"
