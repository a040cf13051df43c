#include "walkthrough.h"

#include "platform/ado/recordset.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>
#include <functional>
#include <map>

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

void press(QWidget* w, int key, const QString& text = {}) {
    w->setFocus();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &up);
    QCoreApplication::processEvents();
}

// Types text key by key, so the form's key handling sees every character,
// over what the box holds: a reopened result is replaced by selecting the
// box's text (a line, a picker's line or several lines) and typing over it.
void type(forms::Form& f, const QString& control, const QString& text) {
    auto* w = f.findChild<QWidget*>(control);
    if (!w)
        return;
    w->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(w))
        line->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* rich = qobject_cast<QTextEdit*>(w))
        rich->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        plain->selectAll();
    for (const QChar c : text)
        press(w, c.toUpper().unicode(), QString(c));
}

void enter(forms::Form& f, const QString& control) {
    if (auto* w = f.findChild<QWidget*>(control))
        press(w, Qt::Key_Return);
}

// With VANTREL_GRAB_DIR set, each window is saved there as a PNG picture
// just before its results are saved.
void grab(forms::Form& f) {
    const QString folder = qEnvironmentVariable("VANTREL_GRAB_DIR");
    if (folder.isEmpty())
        return;
    static int n = 0;
    f.grab().save(QDir(folder).filePath(
        QStringLiteral("%1-%2.png").arg(++n, 2, 10, QLatin1Char('0')).arg(f.objectName())));
}

void click(forms::Form& f, const QString& control) {
    if (auto* b = f.findChild<QAbstractButton*>(control))
        b->click();
}

// Clicks a check box or an option until it is ticked: one that a reopened
// request has ticked already stays so (a three-state box passes its greyed
// state on the way).
void tick(forms::Form& f, const QString& control) {
    auto* b = f.findChild<QAbstractButton*>(control);
    auto ticked = [b] {
        auto* check = qobject_cast<QCheckBox*>(b);
        return check ? check->checkState() == Qt::Checked : b->isChecked();
    };
    for (int i = 0; b && b->isEnabled() && !ticked() && i < 3; ++i)
        b->click();
}

using Script = std::function<void(forms::Form&)>;

void urinalysis(forms::Form& f) {
    const QStringList physical{"yellow", "6.0", "slightly turbid", "1.020"};
    for (int i = 0; i < physical.size(); ++i)
        type(f, QStringLiteral("txtResults(%1)").arg(i), physical[i]);
    type(f, QStringLiteral("txtResults(4)"), QStringLiteral("2-4/hpf"));
    type(f, QStringLiteral("txtResults(5)"), QStringLiteral("0-1/hpf"));
    const std::pair<int, const char*> codes[] = {{0, "n"}, {1, "n"}, {4, "f"}, {9, "o"}, {11, "f"}};
    for (const auto& [box, code] : codes) {
        type(f, QStringLiteral("cboCoded(%1)").arg(box), QString::fromLatin1(code));
        enter(f, QStringLiteral("cboCoded(%1)").arg(box));
    }
    grab(f);
    click(f, QStringLiteral("cmdExam(2)"));
}

void stool(forms::Form& f) {
    type(f, QStringLiteral("txtResults(0)"), QStringLiteral("brown"));
    type(f, QStringLiteral("txtResults(1)"), QStringLiteral("formed"));
    type(f, QStringLiteral("txtResults(2)"), QStringLiteral("negative"));
    type(f, QStringLiteral("txtResults(8)"), QStringLiteral("ova seen"));
    type(f, QStringLiteral("txtInterpretation"), QStringLiteral("Ascaris lumbricoides infection."));
    grab(f);
    click(f, QStringLiteral("cmdExam(2)"));
}

// The chemistry panel, or the renal profile (three of the panel's exams), on
// the generic exam form, saved with Print and Save and signed off with Finish:
// its result report is printed. The panel's potassium is critical; the
// profile's creatinine jumps from the patient's previous one.
void examForm(forms::Form& f) {
    // The released request: one result corrected.
    if (f.findChild<QWidget*>(QStringLiteral("ctlscrnConv1.txtEntry(0)"))) {
        type(f, QStringLiteral("ctlscrnNormalValues.txtEntry(0)"), QStringLiteral("132"));
        grab(f);
        click(f, QStringLiteral("cmdExam(2)"));
        return;
    }
    QStringList results{"126", "14", "1.1", "6.2", "2.4", "12"};
    if (!f.findChild<QWidget*>(QStringLiteral("ctlscrnNormalValues.txtEntry(3)")))
        results = results.mid(1, 3); // urea nitrogen, creatinine, uric acid
    for (int i = 0; i < results.size(); ++i)
        type(f, QStringLiteral("ctlscrnNormalValues.txtEntry(%1)").arg(i), results[i]);
    grab(f);
    click(f, QStringLiteral("cmdExam(2)"));
}

void fecalysis(forms::Form& f) {
    const QStringList results{"brown, soft",
                              "negative",
                              "normal",
                              "none",
                              "negative",
                              "negative",
                              "ascaris ova 0-1/lpf",
                              "none seen",
                              "none seen",
                              "no trophozoites seen"};
    for (int i = 0; i < results.size(); ++i)
        type(f, QStringLiteral("txtFecalysis(%1)").arg(i), results[i]);
    grab(f);
    click(f, QStringLiteral("cmdExam(2)"));
}

// A Pap smear: both screens filled, each grabbed, then printed and saved.
void papSmear(forms::Form& f) {
    type(f, QStringLiteral("txtCytology"), QStringLiteral("cy26-0112"));
    type(f, QStringLiteral("txtLMP"), QStringLiteral("11/20/2026"));
    for (const char* choice : {"optCondition(0)", "optGeneral(1)", "chkBenign(0)", "chkBenign(1)",
                               "chkInfection(0)", "chkBenign(4)", "optIUD(1)"})
        tick(f, QString::fromLatin1(choice));
    type(f, QStringLiteral("txtOthers"), QStringLiteral("copper iud"));
    grab(f);
    if (auto* tabs = f.findChild<QTabWidget*>(QStringLiteral("sstbPapSmear")))
        tabs->setCurrentIndex(1);
    for (const char* choice : {"optSquamos(0)", "optSquamos1(0)", "optHormonal(0)"})
        tick(f, QString::fromLatin1(choice));
    type(f, QStringLiteral("txtMI"), QStringLiteral("0/40/60"));
    grab(f);
    click(f, QStringLiteral("cmdExam(2)"));
}

// The diagnosis of a request whose gross description was stored earlier.
void histopath(forms::Form& f) {
    type(f, QStringLiteral("rtfInterpretation"),
         QStringLiteral("Cecum, right hemicolectomy: invasive adenocarcinoma, moderately "
                        "differentiated, invading through the muscularis propria into the "
                        "pericolic fat (pT3). Resection margins free. Metastatic carcinoma in "
                        "2 of 21 lymph nodes (pN1b). Appendix, ileum: no pathologic change."));
    grab(f);
    click(f, QStringLiteral("cmdExam(2)"));
}

const QString reason = QStringLiteral("Hemolysed sample; repeated on a fresh one.");

// A save that corrects released results says why.
void signOff(forms::Form& f) {
    if (auto* box = f.findChild<QWidget*>(QStringLiteral("txtReason")); box && box->isVisible()) {
        type(f, QStringLiteral("txtReason"), reason);
        grab(f);
    }
    click(f, QStringLiteral("cmdFinish(0)"));
}

// The requesting physician told of the critical potassium, and the
// creatinine's jump looked at.
void criticalNotice(forms::Form& f) {
    if (auto* name = f.findChild<QLineEdit*>(QStringLiteral("txtNotifiedName"));
        name && name->isVisibleTo(&f)) {
        type(f, QStringLiteral("txtNotifiedName"), QStringLiteral("Dr. Ramon Dizon"));
        type(f, QStringLiteral("txtNotifiedRole"), QStringLiteral("Attending, room 310-C"));
        type(f, QStringLiteral("txtNotifiedAt"), QStringLiteral("12/03/2026 07:05"));
        tick(f, QStringLiteral("chkReadBack"));
    }
    if (auto* seen = f.findChild<QWidget*>(QStringLiteral("chkDeltaSeen"));
        seen && seen->isVisibleTo(&f))
        tick(f, QStringLiteral("chkDeltaSeen"));
    grab(f);
    click(f, QStringLiteral("cmdNotice(0)"));
}

void correctionReason(forms::Form& f) {
    type(f, QStringLiteral("txtReason"), reason);
    click(f, QStringLiteral("cmdReason(0)"));
}

void printSaved(Laboratory& lab, const QString& request) {
    auto histo = lab.connection().Execute(
        QStringLiteral("LABORATORY..Lab_GetResultFromTable 'X','") + request + QStringLiteral("'"));
    if (histo->State() == ado::adStateOpen && !histo->eof()) {
        out() << "  stored for " << request
              << ": HistopathNum=" << histo->Fields(QStringLiteral("HistopathNum")).Value.text()
              << ", GrossDescription of "
              << histo->Fields(QStringLiteral("GrossDescription")).Value.text().size()
              << " characters, FinalDiagnosis="
              << histo->Fields(QStringLiteral("FinalDiagnosis")).Value.text() << "\n";
        return;
    }
    auto rs = lab.connection().Execute(QStringLiteral("LABORATORY..lab_getresulthcodes '") +
                                       request + QStringLiteral("'"));
    QStringList values;
    if (rs->State() != ado::adStateOpen || rs->eof()) {
        // Results of the exam form: one row per exam.
        rs = lab.connection().Execute(
            QStringLiteral("select LabExamID, A4, A5 from LABORATORY..tbLabResultValues where "
                           "RequestNum = '") +
            request + QStringLiteral("' order by LabExamID"));
        for (; rs->State() == ado::adStateOpen && !rs->eof(); rs->MoveNext()) {
            const QString text = rs->Fields(2).Value.text();
            values << QStringLiteral("%1=%2").arg(
                rs->Fields(0).Value.text(), text.isEmpty() ? rs->Fields(1).Value.text() : text);
        }
        // A profile's results: one row of packed slots.
        rs = lab.connection().Execute(
            QStringLiteral("select * from LABORATORY..tbLabProfileResult where RequestNum = '") +
            request + QStringLiteral("'"));
        for (; rs->State() == ado::adStateOpen && !rs->eof(); rs->MoveNext())
            for (int c = 1; c < 20; ++c)
                if (const QString v = rs->Fields(c).Value.text(); !v.isEmpty())
                    values << QStringLiteral("%1=%2").arg(rs->Fields(c).Name, v);
        if (values.isEmpty())
            out() << "  no result stored for " << request << "\n";
        else
            out() << "  stored for " << request << ": " << values.join(QStringLiteral(", "))
                  << "\n";
        return;
    }
    for (int c = 1; c < rs->FieldCount(); ++c) {
        const QString v = rs->Fields(c).Value.text();
        if (!v.isEmpty())
            values << QStringLiteral("%1=%2").arg(rs->Fields(c).Name, v);
    }
    out() << "  stored for " << request << ": " << values.join(QStringLiteral(", ")) << "\n";
}

} // namespace

QString correctedRequest() {
    return QStringLiteral("LR26-0012");
}

int runWalkthrough(Laboratory& lab, const QString& printFolder) {
    const std::map<QString, Script> scripts{
        {QStringLiteral("frmUrinalysis2"), urinalysis},
        {QStringLiteral("frmStool"), stool},
        {QStringLiteral("frmExamForm"), examForm},
        {QStringLiteral("frmfecalysis"), fecalysis},
        {QStringLiteral("frmRemarksInput"), signOff},
        {QStringLiteral("frmPapSmear2"), papSmear},
        {QStringLiteral("frmHistopath"), histopath},
        {QStringLiteral("frmCorrectionReason"), correctionReason},
        {QStringLiteral("frmCriticalNotice"), criticalNotice}};
    forms::setModalHook([&scripts](forms::Form& f) {
        const auto it = scripts.find(f.objectName());
        if (it == scripts.end()) {
            out() << "walkthrough: closing " << f.objectName() << "\n";
            f.Unload();
            return;
        }
        QTimer::singleShot(0, &f, [&f, script = it->second] {
            script(f);
            if (f.isVisible())
                f.Unload();
        });
        f.exec();
    });
    // A message that reports a failure (a print that failed among them)
    // fails the visit it came in.
    int errorsShown = 0;
    forms::setMessageSink([&errorsShown](const forms::Message& m) {
        out() << "message: " << m.title << ": " << m.text << "\n";
        // A critical result announced as its cell is left is no failure.
        if ((m.icon == forms::MsgIcon::Critical || m.icon == forms::MsgIcon::Exclamation) &&
            m.title != QLatin1String("Critical Value"))
            ++errorsShown;
        return int(forms::vbOK);
    });

    const QDir prints(printFolder);
    auto pdfs = [&prints] {
        return prints.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    };
    const std::pair<const char*, const char*> visits[] = {
        {"LR26-0001", "urinalysis"},      {"LR26-0006", "stool examination"},
        {"LR26-0009", "chemistry panel"}, {"LR26-0015", "renal profile"},
        {"LR26-0002", "fecalysis"},       {"LR26-0004", "Pap smear"},
        {"LR26-0016", "histopathology"},  {"LR26-0012", "correction of a released result"}};
    int failures = 0;
    QStringList printed;
    for (const auto& [request, what] : visits) {
        out() << "walkthrough: " << what << " for request " << request << "\n";
        const QStringList before = pdfs();
        const int errorsBefore = errorsShown;
        bool saved = false;
        try {
            saved = lab.enterResults(QString::fromLatin1(request));
            out() << "  HasSaved = " << (saved ? "True" : "False") << "\n";
            printSaved(lab, QString::fromLatin1(request));
        } catch (const vrt::RuntimeError& e) {
            out() << "  error " << e.number() << ": " << e.description() << "\n";
        }
        QStringList made;
        for (const QString& pdf : pdfs())
            if (!before.contains(pdf))
                made << pdf;
        printed << made;
        if (made.isEmpty())
            out() << "  no report was printed\n";
        if (!saved || made.isEmpty() || errorsShown != errorsBefore)
            ++failures;
    }
    // A server's password stays off the screen and out of logs.
    out() << "walkthrough: saved rows are in "
          << lab.connection().ConnectionString().replace(
                 QRegularExpression(QStringLiteral("(Password|Pwd)=[^;]*"),
                                    QRegularExpression::CaseInsensitiveOption),
                 QStringLiteral("\\1=***"))
          << "\n";
    if (printed.isEmpty())
        out() << "walkthrough: no report was printed in " << prints.absolutePath() << "\n";
    else
        out() << "walkthrough: reports printed in " << prints.absolutePath() << ":\n";
    for (const QString& pdf : printed)
        out() << "  " << pdf << "\n";
    if (failures > 0)
        out() << "walkthrough: " << failures << " of " << std::size(visits)
              << " requests were not saved, or not printed\n";
    out().flush();
    return failures == 0 ? 0 : 1;
}
