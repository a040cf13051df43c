// Every window on a 1024x768 screen: the patient banner, the window and its
// buttons on the screen, result cells wide enough to read.

#include "entry/modulestate.h"
#include "support/labsession.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolTip>

namespace {

const QRect screenArea(0, 0, 1024, 768);

// Exams as "form type;exam id;title".
void addExams(entry::clsDataEntry& o, const QStringList& exams) {
    o.Clear_Exams();
    for (const QString& exam : exams) {
        const QStringList f = exam.split(u';');
        o.Add_Exam(f[1], 100, QStringLiteral("CH-260502"), QStringLiteral("LR26-0006"), false, f[0],
                   f[1], f[2], vrt::Variant(), false);
    }
}

QString banner(forms::Form& f) {
    const auto* name = f.findChild<QLabel*>(QStringLiteral("lblPatient"));
    const QString details = f.findChild<QLabel*>(QStringLiteral("lblPatientDetails"))->text();
    return name->isVisible() ? name->text() + u'\n' + QString(details).replace(QChar::Nbsp, u' ')
                             : QString();
}

// The window and each of its buttons lie on the screen, the buttons whole.
void verifyOnScreen(forms::Form& f) {
    QCoreApplication::processEvents(); // the scroll bars follow the final size
    QVERIFY2(screenArea.contains(f.frameGeometry()), qPrintable(f.objectName()));
    for (const QAbstractButton* b : f.findChildren<QAbstractButton*>(
             QRegularExpression(QStringLiteral("^(cmdExam|cmdFinish|cmdSearch)")))) {
        QVERIFY2(screenArea.contains(QRect(b->mapToGlobal(QPoint()), b->size())) &&
                     b->visibleRegion().boundingRect() == b->rect(),
                 qPrintable(f.objectName() + u' ' + b->objectName()));
    }
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

private slots:
    void initTestCase_data() { addBackendRows(); }
    void initTestCase() {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), screenArea);
    }
    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request(QStringLiteral("LR26-0006"), QStringLiteral("1"), QStringLiteral("101"),
                      QStringLiteral("FBS"));
    }
    void cleanup() { lab_.reset(); }

    // Each window as "name:button,button" (without buttons: cmdExam(1)), in
    // the order they open; the host places the first 80 pixels down.
    void everyWindow_data() {
        addColumns<QStringList, QStringList>("exams", "windows");
        const QString fbs = QStringLiteral("1;101;FBS");
        addRows<QStringList, QStringList>({
            {"urinalysis", {"H;23;URINALYSIS"}, {"frmUrinalysis2"}},
            {"urinalysis by layout", {fbs, "H;23;URINALYSIS"}, {"frmUrinalysis2", "frmExamForm"}},
            {"stool", {"H;35;STOOL"}, {"frmStool"}},
            {"stool by layout", {fbs, "H;206;STOOL"}, {"frmStool", "frmExamForm"}},
            {"fecalysis", {"H;34;FECALYSIS"}, {"frmfecalysis"}},
            {"fecalysis by layout", {fbs, "H;34;FECALYSIS"}, {"frmfecalysis", "frmExamForm"}},
            {"Widal", {"H;96;WIDAL"}, {"frmWidalTest"}},
            {"Widal by layout", {fbs, "H;96;WIDAL"}, {"frmWidalTest", "frmExamForm"}},
            {"Weil-Felix", {"H;97;WEIL-FELIX"}, {"frmWeilFelix"}},
            {"Pap smear", {"H;57;PAP SMEAR"}, {"frmPapSmear2"}},
            {"Pap smear by layout", {fbs, "H;57;PAP SMEAR"}, {"frmPapSmear2", "frmExamForm"}},
            {"histopathology", {"X;401;HISTOPATHOLOGY"}, {"frmHistopath"}},
            {"histopathology by layout",
             {fbs, "X;401;HISTOPATHOLOGY"},
             {"frmHistopath", "frmExamForm"}},
            {"sign-off and picker",
             {fbs},
             {"frmExamForm:cmdExam(0),cmdExam(1)", "frmRemarksInput:cmdMedTech,cmdFinish(1)",
              "frmListMedTech:cmdSearch"}},
        });
    }
    void everyWindow() {
        QFETCH(QStringList, exams);
        QFETCH(QStringList, windows);
        addExams(lab_->object(), exams);
        ScriptedUser user;
        for (const QString& window : windows) {
            auto& script = user.expectForm(window.section(u':', 0, 0)).run([](forms::Form& f) {
                QCOMPARE(banner(f), QStringLiteral("DELA CRUZ, ANA MARIE\nHosp. No. : H-20417    "
                                                   "Age : 34    Sex : Female    Request No. : "
                                                   "LR26-0006"));
                verifyOnScreen(f);
            });
            const QString clicks = window.section(u':', 1);
            for (const QString& button :
                 clicks.isEmpty() ? QStringList{"cmdExam(1)"} : clicks.split(u','))
                script.click(button);
        }
        lab_->object().Show_ResultEntry(1200, 3000);
        VERIFY_SCRIPT(user);
    }

    // The result cell of an exam gets a text: it is shown whole, or its tip
    // (on hover and focus) holds the texts the screen cuts.
    void resultCells_data() {
        addColumns<QString, QString, QString, QString>("exam", "cell", "typed", "tip");
        const QString thirty = QStringLiteral("REACTIVE 1:320 SEE SMEAR NOTES");
        const QString longer =
            QStringLiteral("POSITIVE FOR SALMONELLA TYPHI O AND H ANTIGENS, TITER 1:320");
        addRows<QString, QString, QString, QString>({
            {"normal values", "1;101;FBS", "ctlscrnNormalValues.txtEntry(0)", thirty, ""},
            {"prompt lines", "4;301;BLOOD TYPING", "ctlscrnSpecific.txtEntry(0)", thirty, ""},
            {"cut-off", "5;302;DENGUE NS1", "ctlscrnWithCutOff.txtEntry(0)", thirty, ""},
            {"specimen", "6;311;HBSAG", "ctlscrnSpecs.txtEntry(0)", thirty, ""},
            {"conventional and SI", "8;141;TRIGLYCERIDES", "ctlscrnConv1.txtEntry(0)", thirty, ""},
            {"second conversion", "N;151;SGPT", "ctlscrnConv2.txtEntry(0)", thirty, ""},
            {"drug assay", "F;601;METHAMPHETAMINE", "ctlscrnAbusedDrugAssay.txtEntry(0)", thirty,
             ""},
            {"cytology", "Z;411;FNA", "ctlscrnHisoCytology.txtEntry(0)", thirty, ""},
            {"longer than the cell", "1;101;FBS", "ctlscrnNormalValues.txtEntry(0)", longer,
             longer},
            {"cut prompt", "4;202;PERIPHERAL BLOOD SMEAR", "ctlscrnSpecific.txtEntry(1)", "",
             "WBC: adequate in number, normal distribution"},
        });
    }
    void resultCells() {
        QFETCH(QString, exam);
        QFETCH(QString, cell);
        QFETCH(QString, typed);
        QFETCH(QString, tip);
        addExams(lab_->object(), {exam});
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmExamForm"))
            .type(cell, typed)
            .run([&](forms::Form& f) {
                auto* entry = f.findChild<QLineEdit*>(cell);
                entry->repaint(); // the text scrolls as it is drawn
                QCOMPARE(entry->cursorPositionAt(QPoint(0, entry->height() / 2)) == 0,
                         tip != typed);
                QCOMPARE(entry->toolTip(), tip);
                if (!tip.isEmpty()) {
                    f.findChild<QWidget*>(QStringLiteral("cmdExam(1)"))->setFocus();
                    entry->setFocus();
                    QCOMPARE(QToolTip::text(), tip);
                }
            })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
