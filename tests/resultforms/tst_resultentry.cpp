// The result forms: the window the first exam chooses, and the urinalysis,
// stool, single-text, histopathology and Pap smear windows.

#include "dbsetup/dbsetup.h"
#include "entry/modulestate.h"
#include "forms/histopath/frmHistopath.h"
#include "forms/papsmear/frmPapSmear2.h"
#include "forms/singletext/singletext.h"
#include "forms/stool/frmStool.h"
#include "forms/urinalysis/frmUrinalysis2.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "report/spool.h"
#include "support/errors.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"
#include "support/threads.h"

#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <map>

using resultforms::frmPapSmear2;
using resultforms::frmStool;
using resultforms::frmUrinalysis2;
using resultforms::SingleTextForm;

namespace {

frmUrinalysis2& ua(forms::Form& f) {
    return static_cast<frmUrinalysis2&>(f);
}

// Fixes the reported date and time so statements can be compared whole.
std::function<void(forms::Form&)> reportedAt(const QString& time) {
    return [time](forms::Form& f) {
        f.findChild<controls::DTPicker*>(QStringLiteral("dtReportDate"))
            ->setValue(vrt::Variant("12/6/2026"));
        f.findChild<controls::DTPicker*>(QStringLiteral("dtReportTime"))
            ->setValue(vrt::Variant(time));
    };
}

frmStool& stool(forms::Form& f) {
    return static_cast<frmStool&>(f);
}

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

resultforms::frmHistopath& histo(forms::Form& f) {
    return static_cast<resultforms::frmHistopath&>(f);
}

// Pasted from a word processor as formatted paragraphs: two pages.
const QString pastedHtml = "<p><b>The patient's colon.</b></p>" +
                           QString("<p>Section of the bowel wall.</p>").repeated(60);

frmPapSmear2& pap(forms::Form& f) {
    return static_cast<frmPapSmear2&>(f);
}

// The codes as saved, then the frames a choice opens (the untitled ones)
// that the user can reach.
QString papState(forms::Form& f) {
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

const QString nothing = "||||||||||||||||0|0|0|0|0|0|0|0|0 / ";

} // namespace

class TestResultEntry : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

    void setHeading(const QString& values) {
        // A table of the host's that allows missing values.
        lab_->database().keeper().runScript(
            QStringLiteral("DROP TABLE patient_data.tbHospitalInfo; CREATE TABLE "
                           "patient_data.tbHospitalInfo (HospitalID text, Title text, "
                           "Company text, address1 text)"));
        if (!values.isEmpty())
            lab_->database().keeper().Execute(
                QStringLiteral("insert into patient_data..tbHospitalInfo (HospitalID, Title, "
                               "Company, address1) values (") +
                values + QStringLiteral(")"));
    }

    void urinalysis() {
        lab_->request(QStringLiteral("LR26-0001"), QStringLiteral("H"), QStringLiteral("23"),
                      QStringLiteral("URINALYSIS"));
    }
    void stoolExam() {
        lab_->request(QStringLiteral("LR26-0006"), QStringLiteral("H"), QStringLiteral("35"),
                      QStringLiteral("STOOL EXAMINATION"));
        entry::state().Remarks = QStringLiteral("formed stool");
    }
    QString spooled() {
        return linesText(lab_->rows("select RowLine from LABORATORY..tbLabPrint order by SeqNo"));
    }
    // A fecalysis, Widal or Weil-Felix request.
    void open(const QString& request, const QString& exam) {
        lab_->request(request, QStringLiteral("H"), exam, QStringLiteral("EXAM ") + exam);
        ado::statementTrace().clear();
    }

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() { FETCH_LAB_SESSION(lab_); }
    void cleanup() {
        lab_.reset();
        entry::state().Pathologist.clear(); // the single-text tests' signature
        entry::state().EditMode = false;    // the failed-save test's exam form
        QVERIFY(!forms::isLoaded<frmUrinalysis2>());
        QVERIFY(!forms::isLoaded<frmStool>());
    }

    // The window of the first exam, titled with its caption and the patient.
    void firstExamChoosesTheWindow_data() {
        addColumns<QString, QString, QString, QString>("formType", "examId", "window", "caption");
        // clang-format off
        QTest::newRow("urinalysis") << "H" << "23" << "frmUrinalysis2" << "Urinalysis";
        QTest::newRow("stool 35") << "H" << "35" << "frmStool" << "Stool Examination";
        QTest::newRow("stool 65") << "H" << "65" << "frmStool" << "Stool Examination";
        QTest::newRow("H without a window") << "H" << "99" << "" << "";
        QTest::newRow("H with an empty id") << "H" << "" << "" << "";
        QTest::newRow("lower-case h is no H") << "h" << "23" << "frmExamForm" << "Result Entry";
        QTest::newRow("generic") << "1" << "101" << "frmExamForm" << "Result Entry";
        QTest::newRow("pap smear") << "H" << "57" << "frmPapSmear2" << "Pap Smear";
        QTest::newRow("histopathology") << "X" << "401" << "frmHistopath" << "Histopathology";
        // clang-format on
    }
    void firstExamChoosesTheWindow() {
        QFETCH(QString, formType);
        QFETCH(QString, examId);
        QFETCH(QString, window);
        QFETCH(QString, caption);
        lab_->request(QStringLiteral("LR26-0006"), formType, examId, QStringLiteral("EXAM"));
        // A second exam of another kind is not looked at.
        lab_->object().Add_Exam({}, 0, {}, QStringLiteral("LR26-0006"), false, QStringLiteral("1"),
                                QStringLiteral("101"), QStringLiteral("CBC"), vrt::Variant(),
                                false);
        ScriptedUser user;
        if (!window.isEmpty())
            user.expectForm(window)
                .run([caption](forms::Form& f) {
                    // Where the host put it, or moved up or left onto the screen.
                    const QRect at = f.frameGeometry();
                    QVERIFY(QRect(0, 0, 1024, 768).contains(at) &&
                            (at.left() == 200 || at.right() > 900) &&
                            (at.top() == 100 || at.bottom() > 700));
                    QCOMPARE(f.windowTitle(),
                             caption +
                                 QStringLiteral(" - DELA CRUZ, ANA MARIE - H-20417 - LR26-0006"));
                })
                .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(1500, 3000);
        VERIFY_SCRIPT(user);
        QCOMPARE(ado::statementTrace().first(),
                 QStringLiteral("select * from patient_data..tbHospitalInfo"));
    }

    void hospitalHeading_data() {
        addColumns<QString, int, QStringList>("row", "error", "heading");
        // clang-format off
        addRows<const char*, int, QStringList>({
            {"values", "'1','GENERAL HOSPITAL','MARIVEL MEDICAL','12 RIZAL ST.'", 0,
             {"GENERAL HOSPITAL", "MARIVEL MEDICAL", "12 RIZAL ST."}},
            {"Null title and address", "'1',NULL,'MARIVEL MEDICAL',NULL", 0,
             {"", "MARIVEL MEDICAL", ""}},
            {"Null company", "'1','T',NULL,'A'", 94, {"T", "old", "old"}},
            {"empty table keeps the old values", "", 0, {"old", "old", "old"}},
        });
        // clang-format on
    }
    void hospitalHeading() {
        QFETCH(QString, row);
        QFETCH(int, error);
        QFETCH(QStringList, heading);
        setHeading(row);
        entry::ModuleState& s = entry::state();
        s.HospitalTitle = s.HospitalCompany = s.HospitalAddress = QStringLiteral("old");
        lab_->request(QStringLiteral("LR26-0099"), QStringLiteral("H"), QStringLiteral("99"),
                      QStringLiteral("EXAM"));
        ScriptedUser user; // no window may open
        QCOMPARE(raised([&] { lab_->object().Show_ResultEntry(0, 0); }).number, error);
        VERIFY_SCRIPT(user);
        QCOMPARE(QStringList({s.HospitalTitle, s.HospitalCompany, s.HospitalAddress}), heading);
    }

    // Why Show_ResultEntry (or a print) cannot go on, and what to do; the
    // library waits 0.3 s for a lock. An earlier save's flag never survives.
    void failuresSayWhatToDo_data() {
        addColumns<QString, QString, QString>("situation", "sqlite", "postgresql");
        const char* noLists = "There is no exam list: call Clear_Exams and Add_Exam for the "
                              "request before Show_ResultEntry.";
        const char* nullCompany = "The hospital heading has no company name (Company is Null in "
                                  "patient_data..tbHospitalInfo); enter the hospital's name there.";
        const char* locked = "Another workstation holds request LR26-0006 (it is saving or "
                             "printing its results); waited 0.3 s (Lock Timeout) for it. Open "
                             "the request again when that workstation has finished with it.";
        addRows<const char*, const char*, const char*>({
            {"no exam list", "list", noLists, noLists},
            {"Null company", "company", nullCompany, nullCompany},
            {"lock while loading", "load", locked, locked},
            {"print waits", "print",
             "[SQLite] This print waited 0.3 s (Lock Timeout) for another workstation's print to "
             "finish; print again when it has.",
             "[PostgreSQL] This print waited 0.3 s (Lock Timeout) for another workstation's print "
             "to finish; print again when it has."},
            {"no laboratory tables", "empty",
             "The results of request LR26-0006 could not be loaded: [SQLite] The laboratory file "
             "'<folder>/LABORATORY.db' has no laboratory tables; create them with: vantrel-db "
             "init <folder>",
             "The hospital heading could not be read: [PostgreSQL] The database '<database>' has "
             "no laboratory tables; create them with: vantrel-db init-pg \"<connection "
             "string>\""},
        });
    }
    void failuresSayWhatToDo() {
        QFETCH_GLOBAL(QString, backend);
        QFETCH(QString, situation);
        QFETCH(QString, sqlite);
        QFETCH(QString, postgresql);
        const bool onSqlite = backend == QLatin1String("sqlite");
        QString expected = onSqlite ? sqlite : postgresql;
        entry::ModuleState& s = entry::state();
        ado::Connection& other = lab_->database().keeper();
        ado::Connection& mine = *s.LabConnection;
        QString source = lab_->database().connectionString();
        stoolExam();
        QTemporaryDir folder;
        std::unique_ptr<TestDatabase> empty;
        if (situation == "list") {
            s.ExamList.reset();
        } else if (situation == "company") {
            setHeading("'1','T',NULL,'A'");
        } else if (situation == "load" || situation == "print") {
            other.BeginTrans();
            if (situation == "print")
                other.Execute("truncate table LABORATORY..tbLabPrint");
            else if (onSqlite)
                other.Execute("LABORATORY..lab_save_hcodes 0,'LR26-0007','theirs',''");
            else
                other.runScript("LOCK TABLE laboratory.tbLabResultHCodes");
        } else if (onSqlite) { // a laboratory file of no length
            QVERIFY(dbsetup::createFolder(folder.path(), true));
            QVERIFY(QFile(folder.filePath("LABORATORY.db")).resize(0));
            source = dbsetup::folderConnectionString(folder.path());
        } else {
            empty = TestDatabase::create(backend);
            source = empty->connectionString();
            expected.replace("<database>", source.section("Database=", 1).section(';', 0, 0));
        }
        mine.Close();
        mine.Open(source + ";Lock Timeout=0.3");
        s.Saved = true;
        ScriptedUser user; // no window opens
        QElapsedTimer waited;
        waited.start();
        const Raised r = raised([&] {
            situation == "print" ? report::Clear_PrintTable()
                                 : lab_->object().Show_ResultEntry(0, 0);
        });
        if (situation == "load" || situation == "print") {
            QVERIFY(waited.elapsed() >= 250);
            other.RollbackTrans();
        }
        VERIFY_SCRIPT(user);
        QCOMPARE(QString(r.description).replace(folder.path(), "<folder>"), expected);
        QCOMPARE(lab_->object().HasSaved(), situation == "print");
        QVERIFY(!report::printJobRunning());
    }

    void blankListOpensTheGenericWindowsRoute() {
        lab_->object().Clear_Exams();
        ScriptedUser user;
        user.expectMessage(QStringLiteral(
            "Error: Object variable or With block variable not set at Draw_Exams Form:H"));
        user.expectForm(QStringLiteral("frmExamForm")).click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
    }

    void noListOnTheThreadIsSubscriptOutOfRange() {
        const QString cs = lab_->database().connectionString();
        onFreshThread([cs] {
            entry::clsDataEntry object;
            ado::Connection host;
            host.setConnectionString(cs);
            object.SQLConnection(host);
            const Raised r = raised([&] { object.Show_ResultEntry(0, 0); });
            QCOMPARE(r.number, 9);
            QVERIFY(!entry::state().HospitalCompany.isEmpty());
        });
    }

    void firstSaveRegistersThenSecondSaveReplaces() {
        urinalysis();
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .run(reportedAt("2:05:09 PM"))
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("yellow"))
            .key(QStringLiteral("txtResults(0)"), Qt::Key_Return)
            .type(QStringLiteral("txtResults(1)"), QStringLiteral("acidic"))
            .type(QStringLiteral("cboCoded(0)"), QStringLiteral("p"))
            .key(QStringLiteral("cboCoded(0)"), Qt::Key_Return)
            .type(QStringLiteral("cboCoded(11)"), QStringLiteral("f"))
            .key(QStringLiteral("cboCoded(11)"), Qt::Key_Return)
            .run([](forms::Form&) { entry::state().Remarks = QStringLiteral("clean catch"); })
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(600, 900);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());

        const QString first = linesText(ado::statementTrace());
        // The second visit loads the result and saves it with mode 1.
        ado::statementTrace().clear();
        entry::state().Remarks.clear();
        QStringList shown;
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmUrinalysis2"))
            .run([&shown](forms::Form& f) {
                shown << ua(f).txtResults(0)->text() << ua(f).cboCoded(0)->currentText()
                      << ua(f).cboCoded(11)->currentText() << ua(f).dtReportTime->text()
                      << entry::state().Remarks << "--";
            })
            .run(reportedAt("2:05:09 PM"))
            .type(QStringLiteral("txtResults(2)"), QStringLiteral("hazy"))
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(600, 900);
        VERIFY_SCRIPT(again);
        // Shown again, then saved in mode 1 and not registered again.
        VERIFY_EXPECTED(first + "--\n" + linesText(shown + ado::statementTrace()),
                        QStringLiteral("resultforms/expected/urinalysis_saves.txt"));
    }

    // Without a log-book row the result date is today.
    void requestWithoutLogBookRow() {
        lab_->request(QStringLiteral("WALKIN-9"), QStringLiteral("H"), QStringLiteral("23"),
                      QStringLiteral("URINALYSIS"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2")).click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(entry::state().ResultDate, QStringLiteral("12/08/2026"));
    }

    // A code becomes its entry on Enter (other text: the message, focus
    // kept), and on Tab or a click elsewhere (other text simply stays).
    void codedBoxes_data() {
        // typed: "\r" is Enter; leave: a key, or 0 for a click on another box
        addColumns<int, QString, int, QString, bool>("box", "typed", "leave", "shown", "message");
        // clang-format off
        QTest::newRow("p in Albumin") << 0 << "p" << int(Qt::Key_Return) << "Positive" << false;
        QTest::newRow("f in Sugar") << 1 << "f" << int(Qt::Key_Return) << "Few/LPF" << false;
        QTest::newRow("f in Bacteria") << 11 << "f" << int(Qt::Key_Enter) << "Few/HPF" << false;
        QTest::newRow("x") << 2 << "x" << int(Qt::Key_Return) << "X" << true;
        QTest::newRow("empty") << 5 << "" << int(Qt::Key_Return) << "" << true;
        QTest::newRow("entry is no code") << 0 << "p\r" << int(Qt::Key_Return) << "Positive" << true;
        QTest::newRow("t, Tab") << 2 << "t" << int(Qt::Key_Tab) << "Trace" << false;
        QTest::newRow("f, click") << 11 << "f" << 0 << "Few/HPF" << false;
        QTest::newRow("x, Tab") << 2 << "x" << int(Qt::Key_Tab) << "X" << false;
        // clang-format on
    }
    void codedBoxes() {
        urinalysis();
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(int, leave);
        QFETCH(QString, shown);
        QFETCH(bool, message);
        const QString name = QStringLiteral("cboCoded(%1)").arg(box);
        ScriptedUser user;
        auto& script = user.expectForm(QStringLiteral("frmUrinalysis2")).run([](forms::Form& f) {
            ua(f).sstbMain->setTab(1);
        });
        const QStringList parts = typed.split(QLatin1Char('\r'));
        for (qsizetype i = 0; i < parts.size(); ++i)
            (i ? script.key(name, Qt::Key_Return) : script).type(name, parts[i]);
        if (leave)
            script.key(name, leave);
        else
            script.run(
                [](forms::Form& f) { QTest::mouseClick(ua(f).txtResults(15), Qt::LeftButton); });
        script
            .run([box, shown, message](forms::Form& f) {
                QCOMPARE(ua(f).cboCoded(box)->currentText(), shown);
                QCOMPARE(QApplication::focusWidget() == ua(f).cboCoded(box), message);
            })
            .click(QStringLiteral("cmdExam(1)"));
        if (message)
            user.expectMessage(QStringLiteral("Code does not exists!\r\nPlease refer from the list "
                                              "of codes below."));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        if (message) {
            QCOMPARE(user.messages().first().title, QStringLiteral("Message"));
            QCOMPARE(user.messages().first().icon, forms::MsgIcon::Information);
        }
    }

    // Enter from the first screen's last boxes through the second screen;
    // each frame shows its boxes in the order Enter visits them.
    void enterOrderIsScreenOrder() {
        urinalysis();
        QStringList visited;
        std::map<QWidget*, int> lastY; // per frame
        bool upwards = false;
        ScriptedUser user;
        auto& script = user.expectForm(QStringLiteral("frmUrinalysis2")).run([](forms::Form& f) {
            QCOMPARE(ua(f).sstbMain->Tab(), 0);
            QCOMPARE(QApplication::focusWidget(), ua(f).txtResults(0));
            ua(f).txtResults(12)->setFocus();
        });
        // Enter in Granular, the first screen's last box, goes to Albumin.
        for (int step = 0; step < 16; ++step)
            script.run([&](forms::Form& f) {
                QWidget* w = QApplication::focusWidget();
                visited << w->objectName();
                const int y = w->mapTo(&f, QPoint()).y();
                upwards |= lastY.count(w->parentWidget()) && y <= lastY[w->parentWidget()];
                lastY[w->parentWidget()] = y;
                if (qobject_cast<QComboBox*>(w))
                    QTest::keyClicks(w, QStringLiteral("n"));
                QTest::keyClick(w, Qt::Key_Return);
            });
        script
            .run([](forms::Form& f) {
                QCOMPARE(ua(f).sstbMain->Tab(), 1);
                QCOMPARE(QApplication::focusWidget(), ua(f).txtResults(16));
            })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        VERIFY_EXPECTED(linesText(visited), "resultforms/expected/urinalysis_enter_order.txt");
        QVERIFY(!upwards);
    }

    // An earlier request's Back does not block this request (a Back met
    // inside the window is the sign-off tests' case).
    void earlierBackDoesNotBlock() {
        urinalysis();
        entry::state().SignOffCancelled = true;
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2")).click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
    }

    void urinalysisPrintAndSaveSpoolsTheReport() {
        urinalysis();
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .run(reportedAt("2:05:09 PM"))
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("straw"))
            .type(QStringLiteral("txtResults(11)"), QStringLiteral("0-2"))
            .type(QStringLiteral("txtResults(14)"), QStringLiteral("patient's crystals"))
            .run([](forms::Form&) { entry::state().Remarks = QStringLiteral("repeat tomorrow"); })
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        // One report of 27 spooled rows, printed as the expected text.
        QCOMPARE(lab_->rows(QStringLiteral("select count(*), min(RowNum), max(RowNum) from "
                                           "LABORATORY..tbLabPrint")),
                 QList<QStringList>({{"27", "1", "1"}}));
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::composed(lab_->printedFiles().first()),
                        QStringLiteral("resultforms/expected/urinalysis.txt"));
    }

    void firstSaveThenSecondSave() {
        stoolExam();
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), stool(f).txtResults(0));
            })
            .run(reportedAt("9:30:00 AM"))
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("brown"))
            .key(QStringLiteral("txtResults(0)"), Qt::Key_Return)
            .type(QStringLiteral("txtResults(1)"), QStringLiteral("formed"))
            .type(QStringLiteral("txtResults(8)"), QStringLiteral("o'va seen"))
            .type(QStringLiteral("txtInterpretation"), QStringLiteral("Ascariasis"))
            .key(QStringLiteral("txtInterpretation"), Qt::Key_Return)
            .type(QStringLiteral("txtInterpretation"), QStringLiteral("Treat"))
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
        const QStringList trace = ado::statementTrace();
        ado::statementTrace().clear();
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmStool"))
            .run([](forms::Form& f) {
                QCOMPARE(stool(f).txtResults(8)->text(), QStringLiteral("O`VA SEEN"));
                QCOMPARE(stool(f).txtInterpretation->toPlainText(),
                         QStringLiteral("Ascariasis\nTreat"));
                QCOMPARE(stool(f).dtReportDate->text(), QStringLiteral("12/06/2026"));
            })
            .run(reportedAt("9:30:00 AM"))
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        VERIFY_EXPECTED(linesText(trace) + "--\n" + linesText(ado::statementTrace()),
                        QStringLiteral("resultforms/expected/stool_saves.txt"));
    }

    // Enter moves on, stays in 13 and 14, and goes from 17 to the
    // interpretation.
    void enterRules() {
        stoolExam();
        const std::pair<int, const char*> moves[] = {{12, "txtResults(13)"},
                                                     {13, "txtResults(13)"},
                                                     {14, "txtResults(14)"},
                                                     {17, "txtInterpretation"}};
        ScriptedUser user;
        auto& script = user.expectForm(QStringLiteral("frmStool"));
        for (const auto& [box, focus] : moves)
            script.key(QStringLiteral("txtResults(%1)").arg(box), Qt::Key_Return)
                .run([focus](forms::Form&) {
                    QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(focus));
                });
        script.click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!lab_->object().HasSaved());
    }

    void stoolPrintAndSaveSpoolsTheReport() {
        stoolExam();
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run(reportedAt("9:30:00 AM"))
            .type(QStringLiteral("txtResults(0)"),
                  QStringLiteral("light brown with streaks of red and mucus"))
            .type(QStringLiteral("txtResults(8)"),
                  QStringLiteral("many ova of ascaris lumbricoides seen per field"))
            .run([](forms::Form& f) {
                stool(f).txtInterpretation->setPlainText(QStringLiteral("Line one\nLine two"));
            })
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::composed(lab_->printedFiles().first()),
                        QStringLiteral("resultforms/expected/stool.txt"));
        // Color is cut to 38 in the spool; the Ascaris value on its row is not.
        VERIFY_EXPECTED(spooled(), QStringLiteral("resultforms/expected/stool_spool.txt"));
    }

    // A stored row whose columns hold no value loads as empty boxes and
    // keeps today's date and time in the pickers.
    void nullColumnsLoadAsEmptyBoxes() {
        stoolExam();
        lab_->database().keeper().Execute(QStringLiteral(
            "insert into laboratory..tbLabResultHCodes (RequestNum) values ('LR26-0006')"));
        entry::state().Remarks = QStringLiteral("old");
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run([](forms::Form& f) {
                for (int i = 0; i < 18; ++i)
                    QCOMPARE(stool(f).txtResults(i)->text(), QString());
                QCOMPARE(stool(f).txtInterpretation->toPlainText(), QString());
                QCOMPARE(stool(f).dtReportDate->text(), QStringLiteral("12/08/2026"));
                QCOMPARE(entry::state().Remarks, QString());
            })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
    }

    // A right-column value too wide for the page stays under its own label:
    // condensed on its row, or continued under the column where it begins.
    void longValueStaysUnderItsLabel_data() {
        addColumns<int, bool>("words", "oneLine");
        addRows<int, bool>({{"60 characters", 10, true}, {"180 characters", 30, false}});
    }
    void longValueStaysUnderItsLabel() {
        stoolExam();
        QFETCH(int, words);
        QFETCH(bool, oneLine);
        QStringList value;
        for (int i = 1; i <= words; ++i)
            value << QStringLiteral("OVA%1").arg(i, 2, 10, QLatin1Char('0'));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmStool"))
            .run([value](forms::Form& f) { stool(f).txtResults(8)->setText(value.join(u' ')); })
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        const auto printed = PrintCapture::words(lab_->printedFiles().value(0));
        auto find = [&](const QString& text) {
            for (const PrintCapture::Word& w : printed)
                if (w.text == text)
                    return w;
            return PrintCapture::Word{};
        };
        const PrintCapture::Word label = find(QStringLiteral("lumbricoides"));
        const PrintCapture::Word first = find(QStringLiteral("OVA01"));
        const PrintCapture::Word last = find(value.last());
        QVERIFY(first.xMin > label.xMax);
        QCOMPARE(qAbs(last.yMin - label.yMin) < 1, oneLine);
        for (const QString& v : value) {
            QVERIFY2(find(v).xMin > first.xMin - 0.5, qPrintable(v));
            QVERIFY2(find(v).xMax < 612, qPrintable(v));
        }
        // The next row comes after the whole value.
        QVERIFY(find(QStringLiteral("Trichuris")).yMin > last.yMin);
    }

    // Print and Save: the report; opened again, every stored value is shown
    // and the save is the request's second. The statements of both saves are
    // in expected/singletext_<exam>_saves.txt.
    void printSaveThenReopenAndSaveAgain_data() {
        addColumns<QString, QString, QString, QStringList>("exam", "request", "title", "typed");
        addRows<QString, QString, QString, QStringList>({
            {"fecalysis, all ten boxes, logged",
             "34",
             "LR26-0006",
             "MARIVEL MEMORIAL HOSPITAL",
             {"LIGHT BROWN AND WATERY", "NEG", "NORMAL", "+", "NEG", "NEG", "ASCARIS", "HOOKWORM",
              "NONE", "E. HISTOLYTICA CYSTS"}},
            {"Widal, apostrophe, logged",
             "96",
             "LR26-0006",
             "SAN TEODORO DOCTORS HOSPITAL",
             {"1:80", "", "", "1:40", "", "", "", "O'H 1:160"}},
            {"Weil-Felix, no log-book row", "97", "WALKIN-9", "", {"1:40", "", "1:320"}},
        });
    }
    void printSaveThenReopenAndSaveAgain() {
        QFETCH(QString, exam);
        QFETCH(QString, request);
        QFETCH(QString, title);
        QFETCH(QStringList, typed);
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
        const QString first = linesText(ado::statementTrace());
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::composed(lab_->printedFiles().first()),
                        QStringLiteral("resultforms/expected/singletext_%1.txt").arg(exam));

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
        VERIFY_EXPECTED(QString(first + "--\n" + linesText(ado::statementTrace())),
                        QStringLiteral("resultforms/expected/singletext_%1_saves.txt").arg(exam));
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

    // A save that fails undoes what it wrote, prints nothing and leaves the
    // window open with what was typed, for a retry or Cancel.
    void failedSaveKeepsTheWindowOpen_data() {
        addColumns<QString, QString, QString, QString, QString>("formType", "examId", "window",
                                                                "box", "failing");
        const QString hcodes = "Data was not saved! Error: [Could not find stored procedure "
                               "'Laboratory..Lab_Save_HCodes'.]";
        const QString single = "Data was not Saved! Error:[Could not find stored procedure "
                               "'laboratory..lab_save_hcodes'.]";
        addRows<QString, QString, QString, QString, QString>({
            {"exam form", "1", "101", "frmExamForm", "ctlscrnNormalValues.txtEntry(0)",
             "LAB_Save_EditResultEntries|Data was not Saved! Error:[Could not find stored "
             "procedure 'LABORATORY..LAB_Save_EditResultEntries'.]"},
            {"fecalysis", "H", "34", "frmfecalysis", "txtFecalysis(0)",
             "lab_save_hcodes|" + single},
            {"Widal", "H", "96", "frmWidalTest", "txtWidalTest(0)", "lab_save_hcodes|" + single},
            {"Weil-Felix", "H", "97", "frmWeilFelix", "txtWeilFelix(0)",
             "lab_save_hcodes|" + single},
            {"Pap smear", "H", "57", "frmPapSmear2", "txtCytology", "lab_save_hcodes|" + hcodes},
            {"stool", "H", "35", "frmStool", "txtResults(0)", "lab_save_hcodes|" + hcodes},
            {"urinalysis", "H", "23", "frmUrinalysis2", "txtResults(0)",
             "lab_save_hcodes|" + hcodes},
            {"histopathology", "X", "401", "frmHistopath", "txtHistopathNum",
             "Lab_Save_Histopath|Data was not saved! Error: [Could not find stored procedure "
             "'Laboratory..Lab_Save_Histopath'.]"},
        });
    }
    void failedSaveKeepsTheWindowOpen() {
        QFETCH(QString, formType);
        QFETCH(QString, examId);
        QFETCH(QString, window);
        QFETCH(QString, box);
        QFETCH(QString, failing);
        lab_->request("LR26-0006", formType, examId, "EXAM");
        lab_->object().EditMode(true);
        lab_->dropProcedure(failing.section('|', 0, 0));
        ScriptedUser user;
        auto& script = user.expectForm(window).type(box, "80").click("cmdExam(2)");
        if (window == "frmExamForm" || window.startsWith("frmPap") ||
            formOf.values().contains(window))
            signOff(user, QString());
        user.expectMessage(failing.section('|', 1));
        script
            .run([box](forms::Form& f) {
                QVERIFY(f.isVisible());
                QCOMPARE(f.findChild<QWidget*>(box)->property("text").toString(), "80");
            })
            .click("cmdExam(1)");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(user.messages().first().icon, forms::MsgIcon::Critical);
        QVERIFY(!lab_->object().HasSaved());
        QVERIFY(lab_->printedFiles().isEmpty());
        // The verification ran before the failure and is undone with it.
        QCOMPARE(lab_->rows("select VerifiedBy from laboratory..tblablogbook where requestnum = "
                            "'LR26-0006'"),
                 QList<QStringList>({{"NULL"}}));
    }

    // Nothing while the sign-off stays cancelled; then Print and Save over a
    // stale spool row, and the request opened again saves in mode 1. The
    // statements, the stored and spooled rows and what the reopened form shows
    // are in expected/histopath_<request>_saves.txt.
    void histopathPrintSaveThenReopen_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("number");
        QTest::newRow("logged, typed, one page") << "LR26-0008"
                                                 << "HP'26-0201";
        QTest::newRow("walk-in, pasted, two pages") << "WALKIN-9"
                                                    << "HP26-0202";
    }
    void histopathPrintSaveThenReopen() {
        QFETCH(QString, request);
        QFETCH(QString, number);
        const bool paste = request == QLatin1String("WALKIN-9");
        lab_->database().keeper().Execute(QStringLiteral(
            "insert into LABORATORY..tbLabPrint_Histopath (Microscopy) values ('STALE')"));
        lab_->request(request, "X", "401", "HISTOPATHOLOGY");
        ado::statementTrace().clear();
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmHistopath"))
            .run([](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), histo(f).txtHistopathNum);
                histo(f).dtReportDate->setValue(vrt::Variant(QStringLiteral("12/06/2026")));
                histo(f).dtReportTime->setValue(vrt::Variant(QStringLiteral("2:45 PM")));
                entry::state().SignOffCancelled = true;
            })
            .click(QStringLiteral("cmdExam(0)"))
            .click(QStringLiteral("cmdExam(2)"))
            .run([](forms::Form&) {
                QCOMPARE(ado::statementTrace().size(), 2);
                entry::state().SignOffCancelled = false;
            })
            .type(QStringLiteral("txtHistopathNum"), number)
            .key(Qt::Key_Return)
            .run([paste](forms::Form& f) {
                QCOMPARE(QApplication::focusWidget(), histo(f).dtReportDate);
                auto* html = new QMimeData;
                html->setHtml(pastedHtml);
                QApplication::clipboard()->setMimeData(html);
                if (paste)
                    histo(f).rtfSpecimen->paste();
            })
            .type(QStringLiteral("rtfSpecimen"), paste ? QString() : "The patient's polyp, 1.2 cm.")
            .type(QStringLiteral("rtfInterpretation"), QStringLiteral("O'Neil adenoma."))
            .click(QStringLiteral("cmdExam(2)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
        QString saves =
            linesText(ado::statementTrace()) +
            linesText(
                lab_->rows("select HistopathNum, ResultDate, GrossDescription, FinalDiagnosis from "
                           "LABORATORY..tbLabResultHistoCytology where RequestNum = '" +
                           request + "'")) +
            linesText(lab_->rows("select Microscopy from LABORATORY..tbLabPrint_Histopath"));
        // Only this report's row is in the spool, and on paper.
        QCOMPARE(lab_->printedFiles().size(), 1);
        VERIFY_EXPECTED(PrintCapture::composed(lab_->printedFiles().first()),
                        "resultforms/expected/histopath_" + request + ".txt");

        ado::statementTrace().clear();
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmHistopath"))
            .run([&](forms::Form& f) {
                saves +=
                    "--\n" +
                    linesText(QStringList(
                        {histo(f).txtHistopathNum->text(),
                         vrt::Format(vrt::Variant(histo(f).dtReportDate->Value()), "mm/dd/yyyy"),
                         vrt::Format(vrt::Variant(histo(f).dtReportTime->Value()), "HH:mm AM/PM"),
                         forms::linesOf(histo(f).rtfSpecimen),
                         forms::linesOf(histo(f).rtfInterpretation)}));
            })
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(again);
        VERIFY_EXPECTED(saves + linesText(ado::statementTrace()),
                        "resultforms/expected/histopath_" + request + "_saves.txt");
    }

    // Choices as clicked, saved, stored and reloaded, with the frames they open.
    void papChoicesSaveAndReload_data() {
        QTest::addColumn<QString>("clicks");
        addRows<QString>({
            {"nothing", ""},
            {"condition-clears-its-reason", "optCondition(1);optSatisfactory(2);optCondition(0)"},
            {"infection-unticked-clears-its-boxes",
             "chkBenign(1);chkInfection(0);chkInfection(3);chkBenign(1);chkBenign(1)"},
            {"carcinoma-closes-both-grades",
             "optSquamos(1);optSquamos2(0);optLowgrade(1);optSquamos2(2)"},
            {"atypical-cells-clear-the-lesion-and-its-grade",
             "optSquamos(1);optSquamos2(1);optHighgrade(2);optSquamos(0)"},
            {"first-buttons-reload-selected",
             "optGeneral(0);optGrandular(0);optEndometrial(0);optHormonal(2);optDueTo(0);"
             "chkBenign(3);optInflammation(0);chkBenign(4);optIUD(1)"},
        });
    }
    void papChoicesSaveAndReload() {
        QFETCH(QString, clicks);
        lab_->request("LR26-0004", "H", "57", "PAP SMEAR");
        QStringList states; // as chosen, then as reloaded
        const auto check = [&states](forms::Form& f) { states << papState(f); };
        ScriptedUser user;
        auto& first = user.expectForm("frmPapSmear2").run([](forms::Form& f) {
            QCOMPARE(papState(f), nothing);
        });
        choose(first, clicks);
        first.run(reportedAt("2:05:09 PM")).run(check).click("cmdExam(2)");
        user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        user.expectForm("frmPapSmear2").run(check).click("cmdExam(0)");
        user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        lab_->object().Show_ResultEntry(0, 0);
        QVERIFY(lab_->object().HasSaved());
        if (clicks.isEmpty()) // every box printed, all empty
            VERIFY_EXPECTED(spooled(), "resultforms/expected/papsmear_empty_spool.txt");
        // Missing codes (Null, or blank as another program may leave them)
        // reload as no choice and a clear box.
        lab_->database().keeper().Execute(
            "update LABORATORY..tbLabResultHCodes set Result4 = ' ', Result21 = ''");
        ado::statementTrace().clear();
        lab_->database().keeper().Execute(
            "update LABORATORY..tbLabResultHCodes set Result3 = NULL, Result18 = NULL");
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        // The states, the stored codes, then the second save's statements.
        const QStringList row = lab_->rows("LABORATORY..lab_getresulthcodes 'LR26-0004'").at(0);
        VERIFY_EXPECTED(
            linesText(states << (row.mid(2, 18) + row.mid(21, 7)).join('|')) + "--\n" +
                linesText(ado::statementTrace()),
            QStringLiteral("resultforms/expected/papsmear_%1.txt").arg(QTest::currentDataTag()));
    }

    // Print & Save: the spool, the page and the statements.
    void papPrintAndSave() {
        lab_->request("LR26-0004", "H", "57", "PAP SMEAR");
        ScriptedUser user;
        auto& script = user.expectForm("frmPapSmear2");
        choose(script, "txtCytology=c-1'7;txtLMP=nov 20;chkBenign(0);chkBenign(1);chkInfection(1);"
                       "optCondition(2);optUnsatisfactory(3);optGeneral(2);chkBenign(4);optIUD(1);"
                       "txtOthers=pessary;optSquamos(1);optSquamos2(1);optHighgrade(2);"
                       "optSquamos(0);optSquamos1(1);optGrandular(2);optAdenocarcinoma(1);"
                       "txtNonEpithelial=none;optHormonal(1);txtMI=0/70/30");
        script.run(reportedAt("2:05:09 PM"))
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
        VERIFY_EXPECTED(PrintCapture::composed(lab_->printedFiles().value(0)),
                        "resultforms/expected/papsmear.txt");
        VERIFY_EXPECTED(linesText(ado::statementTrace()),
                        "resultforms/expected/papsmear_saves.txt");
    }
};

QTEST_MAIN(TestResultEntry)
#include "tst_resultentry.moc"
