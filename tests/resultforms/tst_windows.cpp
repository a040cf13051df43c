// Every window on a 1024x768 screen, with its patient banner and buttons in view.

#include "support/labsession.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolTip>

class TestWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;
    const QRect screen_{0, 0, 1024, 768};

    // Exams "type;id;title"; windows "name:button,button" as they open, step on the first.
    void show(const QStringList& exams, const QStringList& windows,
              const std::function<void(forms::Form&)>& step = {}) {
        lab_->object().Clear_Exams();
        for (const QString& exam : exams) {
            const QStringList f = exam.split(';');
            lab_->object().Add_Exam(f[1], 100, {}, "LR26-0006", false, f[0], f[1], f[2], {}, false);
        }
        ScriptedUser user;
        for (const QString& window : windows) {
            auto& script = user.expectForm(window.section(':', 0, 0)).run([this](forms::Form& f) {
                QCoreApplication::processEvents(); // the scroll bars follow the final size
                const QLabel* name = f.findChild<QLabel*>("lblPatient");
                QCOMPARE(name->isVisible() ? name->text() : QString(), "DELA CRUZ, ANA MARIE");
                QCOMPARE(
                    f.findChild<QLabel*>("lblPatientDetails")->text().replace(QChar::Nbsp, ' '),
                    "Hosp. No. : H-20417    Age : 34    Sex : Female    Request No. : LR26-0006");
                QVERIFY(screen_.contains(f.frameGeometry()));
                for (const auto* b : f.findChildren<QAbstractButton*>(
                         QRegularExpression("^(cmdExam|cmdFinish|cmdSearch)")))
                    QVERIFY(b->visibleRegion().boundingRect() == b->rect());
            });
            if (step && window == windows.first())
                script.run(step);
            for (const QString& b : window.section(':', 1).split(','))
                script.click(b);
        }
        lab_->object().Show_ResultEntry(1200, 3000); // 80 pixels down
        VERIFY_SCRIPT(user);
    }

private slots:
    void initTestCase_data() { addBackendRows(); }
    void initTestCase() { QCOMPARE(qApp->primaryScreen()->geometry(), screen_); }
    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request("LR26-0006", "1", "101", "FBS");
    }
    void cleanup() { lab_.reset(); }

    // Opened by the first exam, then (unless the list ends "-") by the layout.
    void everyWindow_data() {
        addColumns<QString, QStringList>("exam", "windows");
        addRows<QString, QStringList>({
            {"urinalysis", "H;23;URINALYSIS", {"frmUrinalysis2:cmdExam(1)"}},
            {"stool", "H;35;STOOL", {"frmStool:cmdExam(1)"}},
            {"fecalysis", "H;34;FECALYSIS", {"frmfecalysis:cmdExam(1)"}},
            {"Widal", "H;96;WIDAL", {"frmWidalTest:cmdExam(1)"}},
            {"Weil-Felix", "H;97;WEIL-FELIX", {"frmWeilFelix:cmdExam(1)", "-"}},
            {"Pap smear", "H;57;PAP SMEAR", {"frmPapSmear2:cmdExam(1)"}},
            {"histopathology", "X;401;HISTOPATHOLOGY", {"frmHistopath:cmdExam(1)"}},
            {"sign-off and picker",
             "1;101;FBS",
             {"frmExamForm:cmdExam(0),cmdExam(1)", "frmRemarksInput:cmdMedTech,cmdFinish(1)",
              "frmListMedTech:cmdSearch", "-"}},
        });
    }
    void everyWindow() {
        QFETCH(QString, exam);
        QFETCH(QStringList, windows);
        const bool byLayout = windows.removeAll("-") == 0;
        show({exam}, windows);
        if (byLayout)
            show({"1;101;FBS", exam}, windows << "frmExamForm:cmdExam(1)");
    }

    // A result is shown whole, or the tip (hover, focus) holds what is cut.
    void resultCells_data() {
        addColumns<QString, QString, QString, QString>("exam", "cell", "typed", "tip");
        const char* thirty = "REACTIVE 1:320 SEE SMEAR NOTES";
        const char* longer = "POSITIVE FOR SALMONELLA TYPHI O AND H ANTIGENS, TITER 1:320";
        addRows<QString, QString, QString, QString>({
            {"normal values", "1;101;FBS", "ctlscrnNormalValues.txtEntry(0)", thirty, ""},
            {"cut-off", "5;302;DENGUE NS1", "ctlscrnWithCutOff.txtEntry(0)", thirty, ""},
            {"conventional and SI", "8;141;TRIGLYCERIDES", "ctlscrnConv1.txtEntry(0)", thirty, ""},
            {"second conversion", "N;151;SGPT", "ctlscrnConv2.txtEntry(0)", thirty, ""},
            {"drug assay", "F;601;SHABU", "ctlscrnAbusedDrugAssay.txtEntry(0)", thirty, ""},
            {"longer", "1;101;FBS", "ctlscrnNormalValues.txtEntry(0)", longer, longer},
            {"cut prompt", "4;202;PERIPHERAL SMEAR", "ctlscrnSpecific.txtEntry(1)", thirty,
             "WBC: adequate in number, normal distribution"},
        });
    }
    void resultCells() {
        QFETCH(QString, exam);
        QFETCH(QString, cell);
        QFETCH(QString, typed);
        QFETCH(QString, tip);
        show({exam}, {"frmExamForm:cmdExam(1)"}, [&](forms::Form& f) {
            auto* entry = f.findChild<QLineEdit*>(cell);
            entry->setFocus();
            QTest::keyClicks(entry, typed);
            entry->repaint(); // the text scrolls as it is drawn
            QCOMPARE(entry->cursorPositionAt(QPoint(0, entry->height() / 2)) == 0, tip != typed);
            QCOMPARE(entry->toolTip(), tip);
            f.findChild<QWidget*>("cmdExam(1)")->setFocus();
            entry->setFocus();
            QCOMPARE(QToolTip::text(), tip);
        });
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
