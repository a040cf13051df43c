#include "entry/modulestate.h"
#include "forms/urinalysis/frmUrinalysis2.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/scripteduser.h"

#include <QComboBox>
#include <QTest>
#include <map>

using resultforms::frmUrinalysis2;

namespace {

frmUrinalysis2& ua(forms::Form& f) {
    return static_cast<frmUrinalysis2&>(f);
}

// Fixes the reported date and time so statements can be compared whole.
void fixReported(forms::Form& f) {
    ua(f).dtReportDate->setValue(vrt::Variant("12/6/2026"));
    ua(f).dtReportTime->setValue(vrt::Variant("2:05:09 PM"));
}

} // namespace

class TestUrinalysis : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request(QStringLiteral("LR26-0001"), QStringLiteral("H"), QStringLiteral("23"),
                      QStringLiteral("URINALYSIS"));
    }
    void cleanup() {
        lab_.reset();
        QVERIFY(!forms::isLoaded<frmUrinalysis2>());
    }

    void firstSaveRegistersThenSecondSaveReplaces() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .run(fixReported)
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

        const QStringList first = ado::statementTrace();
        QCOMPARE(
            first,
            QStringList({
                "select * from patient_data..tbHospitalInfo",
                "Select Resultdate From Laboratory..tbLabLogbook where RequestNum = 'LR26-0001'",
                "LABORATORY..lab_getresulthcodes 'LR26-0001'",
                "select * from laboratory..tblablogbook where requestnum = 'LR26-0001'",
                "laboratory..LAB_Save_VerifyResults 'LR26-0001','EMP-7'",
                "Laboratory..tbLabResultHCodes where RequestNum = 'LR26-0001'",
                "laboratory..LAB_SaveResultEntry 'H-20417','ADM-5521','23','CM','W3-12',"
                "'12/05/2026','12/1/2026 8:10:00 "
                "AM','DR-011','H','0','EMP-7','90','I','23','CH-260451',"
                "'LR26-0001','R','MT-001'",
                "Laboratory..Lab_Save_HCodes 0, 'LR26-0001','YELLOW', 'ACIDIC', '', '', '', '', "
                "'', '', '', '', '', '', '', '', '', '', '', 'Positive', '', '', '', '', '', '', "
                "'', '', '', '', 'Few/HPF', '','12/6/2026','02:05:09 PM', 'clean catch'",
            }));
        const auto stored =
            lab_->rows(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0001'"));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(QStringList({stored[0][1], stored[0][20]}),
                 QStringList({"YELLOW", "clean catch"}));
        QCOMPARE(lab_->rows(QStringLiteral("select VerifiedBy from laboratory..tblablogbook where "
                                           "requestnum = 'LR26-0001'")),
                 QList<QStringList>({{"EMP-7"}}));

        // The second visit loads the result and saves it with mode 1.
        ado::statementTrace().clear();
        entry::state().Remarks.clear();
        ScriptedUser again;
        again.expectForm(QStringLiteral("frmUrinalysis2"))
            .run([](forms::Form& f) {
                QCOMPARE(ua(f).txtResults(0)->text(), QStringLiteral("YELLOW"));
                QCOMPARE(ua(f).cboCoded(0)->currentText(), QStringLiteral("Positive"));
                QCOMPARE(ua(f).cboCoded(11)->currentText(), QStringLiteral("Few/HPF"));
                QCOMPARE(ua(f).dtReportTime->text(), QStringLiteral("02:05:09 PM"));
                QCOMPARE(entry::state().Remarks, QStringLiteral("clean catch"));
            })
            .run(fixReported)
            .type(QStringLiteral("txtResults(2)"), QStringLiteral("hazy"))
            .click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(600, 900);
        VERIFY_SCRIPT(again);
        QCOMPARE(ado::statementTrace().last(),
                 QStringLiteral("Laboratory..Lab_Save_HCodes 1, 'LR26-0001','YELLOW', 'ACIDIC', "
                                "'HAZY', '', '', '', '', '', '', '', '', '', '', '', '', '', '', "
                                "'Positive', '', '', '', '', '', '', '', '', '', '', 'Few/HPF', "
                                "'','12/6/2026','02:05:09 PM', 'clean catch'"));
        QVERIFY(!ado::statementTrace().join('\n').contains(QLatin1String("LAB_SaveResultEntry")));
    }

    // Without a log-book row the result date is today.
    void requestWithoutLogBookRow() {
        lab_->request(QStringLiteral("WALKIN-9"), QStringLiteral("H"), QStringLiteral("23"),
                      QStringLiteral("URINALYSIS"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2")).click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(entry::state().ResultDate,
                 vrt::Format(vrt::Variant(vrt::Today()), QStringLiteral("mm/dd/yyyy")));
    }

    // Print & Save prints even when the save failed, after the message.
    void failedSaveIsShownAndStillPrints() {
        lab_->dropProcedure(QStringLiteral("lab_save_hcodes"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("amber"))
            .click(QStringLiteral("cmdExam(2)"));
        user.expectMessage(QStringLiteral("Data was not saved! Error: [Could not find stored "
                                          "procedure 'Laboratory..Lab_Save_HCodes'.]"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!lab_->object().HasSaved());
        QCOMPARE(lab_->printedFiles().size(), 1);
    }

    // A code becomes its entry on Enter (other text: the message, focus
    // kept), and on Tab or a click elsewhere (other text simply stays).
    void codedBoxes_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed"); // "\r": Enter
        QTest::addColumn<int>("leave");     // a key, or 0: a click on another box
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("message");
        QTest::newRow("p in Albumin") << 0 << "p" << int(Qt::Key_Return) << "Positive" << false;
        QTest::newRow("f in Sugar") << 1 << "f" << int(Qt::Key_Return) << "Few/LPF" << false;
        QTest::newRow("f in Bacteria") << 11 << "f" << int(Qt::Key_Enter) << "Few/HPF" << false;
        QTest::newRow("x") << 2 << "x" << int(Qt::Key_Return) << "X" << true;
        QTest::newRow("empty") << 5 << "" << int(Qt::Key_Return) << "" << true;
        QTest::newRow("entry is no code")
            << 0 << "p\r" << int(Qt::Key_Return) << "Positive" << true;
        QTest::newRow("t, Tab") << 2 << "t" << int(Qt::Key_Tab) << "Trace" << false;
        QTest::newRow("f, click") << 11 << "f" << 0 << "Few/HPF" << false;
        QTest::newRow("x, Tab") << 2 << "x" << int(Qt::Key_Tab) << "X" << false;
    }
    void codedBoxes() {
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
        QCOMPARE(visited,
                 QStringList({"txtResults(12)", "txtResults(13)", "cboCoded(0)", "cboCoded(1)",
                              "cboCoded(2)", "cboCoded(3)", "cboCoded(4)", "cboCoded(5)",
                              "cboCoded(6)", "cboCoded(7)", "cboCoded(8)", "txtResults(14)",
                              "cboCoded(9)", "cboCoded(10)", "cboCoded(11)", "txtResults(15)"}));
        QVERIFY(!upwards);
    }

    // An earlier request's Back does not block this request (a Back met
    // inside the window is the sign-off tests' case).
    void earlierBackDoesNotBlock() {
        entry::state().SignOffCancelled = true;
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2")).click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(lab_->object().HasSaved());
    }

    void printAndSaveSpoolsTheReport() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .run(fixReported)
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
        VERIFY_EXPECTED(PrintCapture::text(lab_->printedFiles().first()),
                        QStringLiteral("resultforms/expected/urinalysis.txt"));
    }
};

QTEST_MAIN(TestUrinalysis)
#include "tst_urinalysis.moc"
