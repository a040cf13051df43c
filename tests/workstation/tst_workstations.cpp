// Several workstations on one laboratory database: print jobs that never mix
// patients, saves that do not silently undo another workstation's results,
// and result boxes that keep all that was typed.

#include "dbsetup/dbsetup.h"
#include "entry/modulestate.h"
#include "forms/histopath/frmHistopath.h"
#include "forms/stool/frmStool.h"
#include "platform/forms/msgbox.h"
#include "support/errors.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

// One workstation: Print & Save for patients of its own (patient and result
// "<letter><nn>"), on the stool form (25) or the histopathology form (20).
// Any message fails it.
int workstation(const QString& connectionString, const QString& letter, bool histopath) {
    entry::clsDataEntry object;
    ado::Connection host;
    host.setConnectionString(connectionString);
    object.SQLConnection(host);
    QString token;
    forms::setModalHook([&](forms::Form& f) {
        if (histopath) {
            auto& form = static_cast<resultforms::frmHistopath&>(f);
            form.txtHistopathNum->setText(token);
            form.rtfSpecimen->setPlainText(QStringLiteral("Specimen ") + token);
        } else {
            static_cast<resultforms::frmStool&>(f).txtResults(0)->setText(token);
        }
        f.findChild<QPushButton*>(QStringLiteral("cmdExam(2)"))->click();
    });
    int failures = 0;
    forms::setMessageSink([&](const forms::Message& m) {
        qWarning("workstation %s: %s", qPrintable(letter), qPrintable(m.text));
        ++failures;
        return int(forms::vbOK);
    });
    for (int i = 1; i <= (histopath ? 20 : 25); ++i) {
        token = letter + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        object.RequestNum(QStringLiteral("LR-") + token);
        object.PatName(QStringLiteral("PATIENT ") + token);
        object.Clear_Exams();
        object.Add_Exam(QStringLiteral("UA"), 90, QStringLiteral("CH-") + token,
                        QStringLiteral("LR-") + token, false,
                        QString::fromLatin1(histopath ? "X" : "H"),
                        QString::fromLatin1(histopath ? "401" : "35"),
                        QString::fromLatin1(histopath ? "HISTOPATHOLOGY" : "STOOL EXAMINATION"),
                        vrt::Variant(), false);
        entry::state().SignOffCancelled = false;
        object.Show_ResultEntry(0, 0);
    }
    return failures == 0 ? 0 : 1;
}

// Print & Save of result on the stool form, as a user who closes the window
// when a print failed. What was said: the messages shown, then what the call
// raised.
QStringList printAndSave(LabSession& lab, const QString& result) {
    QStringList said;
    const auto hook = forms::setModalHook([&](forms::Form& f) {
        // A saved request is released: changing its result asks why.
        if (f.objectName() == QLatin1String("frmCorrectionReason")) {
            f.findChild<QLineEdit*>(QStringLiteral("txtReason"))->setText(QStringLiteral("Retest"));
            f.findChild<QPushButton*>(QStringLiteral("cmdReason(0)"))->click();
            return;
        }
        static_cast<resultforms::frmStool&>(f).txtResults(0)->setText(result);
        f.findChild<QPushButton*>(QStringLiteral("cmdExam(2)"))->click();
        if (!f.isUnloaded())
            f.findChild<QPushButton*>(QStringLiteral("cmdExam(1)"))->click();
    });
    const auto sink = forms::setMessageSink([&](const forms::Message& m) {
        said << m.text;
        return int(forms::vbOK);
    });
    const Raised r = raised([&] { lab.object().Show_ResultEntry(0, 0); });
    forms::setModalHook(hook);
    forms::setMessageSink(sink);
    if (r.number)
        said << r.description;
    return said;
}

// Crashes or restarts the tests' own PostgreSQL cluster; the server keeps
// the real clock when the tests run under a faked one.
bool cluster(const QString& command) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys())
        if (name.startsWith(QLatin1String("FAKETIME")) || name == QLatin1String("LD_PRELOAD"))
            env.remove(name);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VANTREL_TESTS_SOURCE_DIR "/../scripts/pgcluster"),
            {command, qEnvironmentVariable("VANTREL_TEST_PG_CLUSTER")});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

const QString changedQuestion =
    QStringLiteral("The results of this request were changed at another workstation since you "
                   "opened them. Save yours over them?");

} // namespace

class TestWorkstations : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { addBackendRows(); }

    void twoWorkstationsPrintOnlyTheirOwnPatients_data() {
        addColumns<bool, int, QString>("histopath", "jobs", "result");
        addRows<bool, int, QString>({{"stool", false, 25, "Color           = "},
                                     {"histopathology", true, 20, "Histopath #: "}});
    }
    void twoWorkstationsPrintOnlyTheirOwnPatients() {
        QFETCH_GLOBAL(QString, backend);
        QFETCH(bool, histopath);
        QFETCH(int, jobs);
        QFETCH(QString, result);
        QTemporaryDir folder;
        std::unique_ptr<TestDatabase> server;
        QString cs = dbsetup::folderConnectionString(folder.path());
        if (backend == QLatin1String("sqlite")) {
            QVERIFY(dbsetup::createFolder(folder.path(), true));
        } else {
            server = TestDatabase::create(backend, TestDatabase::Contents::LaboratoryWithDemoData);
            if (!server)
                QSKIP("PostgreSQL is not available (VANTREL_TEST_PG is empty)");
            cs = server->connectionString();
        }
        PrintCapture prints;
        QProcess stations[2];
        for (int i = 0; i < 2; ++i) {
            stations[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            stations[i].start(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--workstation"), cs, QString(QChar(u'A' + i)),
                               histopath ? QStringLiteral("X") : QString()});
        }
        for (QProcess& p : stations)
            QVERIFY(p.waitForFinished(120000));

        // Every job its own file, numbered without gaps although two
        // processes took the numbers.
        QStringList expectedNames;
        for (int n = 1; n <= 2 * jobs; ++n)
            expectedNames << QStringLiteral("%1.pdf").arg(n, 4, 10, QLatin1Char('0'));
        QCOMPARE(
            QDir(prints.folder()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name),
            expectedNames);

        static const QRegularExpression patient(QStringLiteral("\\b[AB]\\d\\d\\b"));
        QStringList wrong;
        QSet<QString> printed;
        for (const QString& pdf : prints.files()) {
            const QString text = PrintCapture::text(pdf);
            QSet<QString> found;
            for (const auto& m : patient.globalMatch(text))
                found << m.captured();
            // Its patient in the heading and in the result, no one else.
            const QString own = found.size() == 1 ? *found.begin() : QString();
            if (own.isEmpty() || !text.contains(QStringLiteral("PATIENT ") + own) ||
                !text.contains(result + own) || text.count(QStringLiteral("Name      :")) != 1)
                wrong << QFileInfo(pdf).fileName() + u':' + QStringList(found.values()).join(u',');
            printed << own;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
        QCOMPARE(printed.size(), 2 * jobs);
        // And no workstation was shown a message (a failed save, say).
        for (QProcess& p : stations) {
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
        }
    }

    // Another workstation saved the request's results after the window read
    // them: Yes saves over them, No keeps the window with what was typed.
    void savingOverAnotherWorkstationsResultsAsksFirst_data() {
        addColumns<QString, QString, QString, bool, int, QString>(
            "window", "box", "otherSave", "storedBefore", "answer", "storedAfter");
        const QString stool = "Laboratory..Lab_Save_HCodes 1, 'LR26-0006','%1','their remarks'";
        const QString exam =
            "LABORATORY..LAB_Save_EditResultEntries 'LR26-0006','101','1','','','',"
            "'','%1','','','','','','','','','','','','','','','','1','','','',"
            "'','','',''";
        addRows<QString, QString, QString, bool, int, QString>({
            {"stool, changed, saved over", "frmStool", "txtResults(1)", stool, true, forms::vbYes,
             "7"},
            {"stool, changed, kept open", "frmStool", "txtResults(1)", stool, true, forms::vbNo,
             "NULL"},
            {"stool, created meanwhile", "frmStool", "txtResults(1)", stool, false, forms::vbYes,
             "7"},
            {"exam form, changed, saved over", "frmExamForm", "ctlscrnNormalValues.txtEntry(0)",
             exam, true, forms::vbYes, "7"},
            {"exam form, changed, kept open", "frmExamForm", "ctlscrnNormalValues.txtEntry(0)",
             exam, true, forms::vbNo, "THEIRS"},
            {"exam form, created meanwhile", "frmExamForm", "ctlscrnNormalValues.txtEntry(0)", exam,
             false, forms::vbYes, "7"},
        });
    }
    void savingOverAnotherWorkstationsResultsAsksFirst() {
        QFETCH(QString, window);
        QFETCH(QString, box);
        QFETCH(QString, otherSave);
        QFETCH(bool, storedBefore);
        QFETCH(int, answer);
        QFETCH(QString, storedAfter);
        const bool examForm = window == "frmExamForm";
        std::unique_ptr<LabSession> lab;
        FETCH_LAB_SESSION(lab);
        lab->request("LR26-0006", examForm ? "1" : "H", examForm ? "101" : "35", "EXAM");
        lab->object().EditMode(true);
        auto other = lab->database().open();
        if (storedBefore)
            other->Execute(otherSave.arg("LOADED"));

        ScriptedUser user;
        auto& script = user.expectForm(window)
                           .type(box, "7")
                           .run([&](forms::Form&) { other->Execute(otherSave.arg("THEIRS")); })
                           .click("cmdExam(2)");
        if (examForm)
            user.expectForm("frmRemarksInput").click("cmdFinish(0)");
        user.expectMessage(changedQuestion, answer);
        if (answer == forms::vbNo) {
            // Still open, nothing printed, what was typed still there.
            script
                .run([box](forms::Form& f) {
                    QVERIFY(!f.isUnloaded());
                    QCOMPARE(f.findChild<QWidget*>(box)->property("text").toString(), "7");
                })
                .click("cmdExam(1)");
        }
        lab->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        // Enter alone must not save over the other workstation's results.
        QCOMPARE(user.messages().value(0).defaultButton, 1);
        const QString stored = examForm ? "select A5 from LABORATORY..tbLabResultValues where "
                                          "RequestNum = 'LR26-0006'"
                                        : "select Result2 from LABORATORY..tbLabResultHCodes "
                                          "where RequestNum = 'LR26-0006'";
        QCOMPARE(lab->rows(stored), QList<QStringList>{{storedAfter}});
        QCOMPARE(lab->object().HasSaved(), answer == forms::vbYes);
        QCOMPARE(lab->printedFiles().size(), answer == forms::vbYes ? 1 : 0);
    }

    // The server's trouble: the call that meets it says so (a save that
    // committed stays saved), and the next call works once the server is back.
    void recoversWhenTheServerIsBack_data() {
        addColumns<QString, QString, bool>("trouble", "said", "saved");
        addRows<const char*, const char*, bool>({
            {"session ended during a print", "print",
             "[PostgreSQL] The connection to the server was lost; nothing of this statement was "
             "kept.",
             true},
            {"server restarted between calls", "restart", "", true},
            {"server down at the call", "down",
             "The hospital heading could not be read: [PostgreSQL] The connection to the server "
             "was lost and cannot be opened again yet (",
             false},
        });
    }
    void recoversWhenTheServerIsBack() {
        QFETCH_GLOBAL(QString, backend);
        QFETCH(QString, trouble);
        QFETCH(QString, said);
        QFETCH(bool, saved);
        if (backend != QLatin1String("postgresql"))
            QSKIP("a server's trouble");
        if (qEnvironmentVariableIsEmpty("VANTREL_TEST_PG_CLUSTER"))
            QSKIP("needs a PostgreSQL cluster of the tests' own (VANTREL_TEST_PG_CLUSTER)");
        std::unique_ptr<LabSession> lab;
        FETCH_LAB_SESSION(lab);
        lab->request(QStringLiteral("LR26-0006"), QStringLiteral("H"), QStringLiteral("35"),
                     QStringLiteral("STOOL EXAMINATION"));
        ado::Connection& admin = lab->database().keeper();
        QStringList first;
        if (trouble == QLatin1String("print")) {
            // The session ends itself at the first spooled line, after the save.
            admin.runScript(QStringLiteral(
                "CREATE FUNCTION laboratory.endsession() RETURNS trigger LANGUAGE plpgsql AS "
                "$$ BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END $$; "
                "CREATE TRIGGER endsession BEFORE INSERT ON laboratory.tbLabPrint "
                "EXECUTE FUNCTION laboratory.endsession()"));
            first = printAndSave(*lab, QStringLiteral("FIRST"));
            admin.runScript(QStringLiteral("DROP TRIGGER endsession ON laboratory.tbLabPrint"));
        } else {
            QCOMPARE(printAndSave(*lab, QStringLiteral("FIRST")), QStringList());
            const bool down = trouble == QLatin1String("down");
            QVERIFY(cluster(down ? QStringLiteral("crash") : QStringLiteral("restart")));
            if (down) {
                first = printAndSave(*lab, QStringLiteral("LOST"));
                QVERIFY(cluster(QStringLiteral("restart")));
            }
        }
        QCOMPARE(first.size(), said.isEmpty() ? 0 : 1);
        QVERIFY2(first.value(0).contains(said), qPrintable(first.value(0)));
        QCOMPARE(lab->object().HasSaved(), saved);

        QCOMPARE(printAndSave(*lab, QStringLiteral("AGAIN")), QStringList());
        QVERIFY(lab->object().HasSaved());
        const auto row = lab->rows(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0006'"));
        QCOMPARE(row.value(0).value(1), QStringLiteral("AGAIN"));
        QVERIFY(PrintCapture::text(lab->printedFiles().last())
                    .contains(QStringLiteral("Color           = AGAIN")));
    }

    void aLongResultIsSavedAndLoadedWhole_data() {
        addColumns<QString, QString, int>("examId", "box", "column");
        addRows<QString, QString, int>({{"stool", "35", "txtResults(0)", 1},
                                        {"urinalysis", "23", "txtResults(16)", 17},
                                        {"urinalysis coded", "23", "cboCoded(11)", 30}});
    }
    void aLongResultIsSavedAndLoadedWhole() {
        QFETCH(QString, examId);
        QFETCH(QString, box);
        QFETCH(int, column);
        const QString form = examId == QLatin1String("35") ? QStringLiteral("frmStool")
                                                           : QStringLiteral("frmUrinalysis2");
        std::unique_ptr<LabSession> lab;
        FETCH_LAB_SESSION(lab);
        lab->request(QStringLiteral("LR26-0090"), QStringLiteral("H"), examId,
                     QStringLiteral("LONG RESULT"));
        const QString pasted = QString(39999, u'X') + u'Z';
        const auto lineEdit = [&](forms::Form& f) {
            QWidget* w = f.findChild<QWidget*>(box);
            auto* combo = qobject_cast<QComboBox*>(w);
            return combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(w);
        };
        ScriptedUser user;
        user.expectForm(form)
            .run([&](forms::Form& f) { lineEdit(f)->insert(pasted); })
            .click(QStringLiteral("cmdExam(0)"));
        user.expectForm(form)
            .run([&](forms::Form& f) { QCOMPARE(lineEdit(f)->text(), pasted); })
            .click(QStringLiteral("cmdExam(1)"));
        lab->object().Show_ResultEntry(0, 0);
        QVERIFY(lab->object().HasSaved());
        lab->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        const auto row = lab->rows(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0090'"));
        QCOMPARE(row.value(0).value(column), pasted);
    }
};

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--workstation") == 0) {
        QApplication app(argc, argv);
        return workstation(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                           qstrcmp(argv[4], "X") == 0);
    }
    QApplication app(argc, argv);
    TestWorkstations t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_workstations.moc"
