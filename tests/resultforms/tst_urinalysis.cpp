#include "entry/modulestate.h"
#include "forms/urinalysis/frmUrinalysis2.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "support/labsession.h"
#include "support/printcapture.h"
#include "support/scripteduser.h"

#include <QComboBox>
#include <QTest>

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

const char* const request = "LR26-0001";

QString codedStatement(int mode, const QStringList& texts, const QStringList& coded,
                       const QString& remarks) {
    QString sql = QStringLiteral("Laboratory..Lab_Save_HCodes %1, 'LR26-0001','").arg(mode);
    for (int i = 0; i < 17; ++i)
        sql += texts.value(i) + QStringLiteral("', '");
    for (int i = 0; i < 12; ++i)
        sql += coded.value(i) + QStringLiteral("', '");
    return sql + QStringLiteral("','12/6/2026','02:05:09 PM', '") + remarks + QStringLiteral("'");
}

} // namespace

class TestUrinalysis : public QObject {
    Q_OBJECT

    std::unique_ptr<LabSession> lab_;

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_LAB_SESSION(lab_);
        lab_->request(QLatin1String(request), QStringLiteral("H"), QStringLiteral("23"),
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

        QStringList texts{"YELLOW", "ACIDIC"};
        QStringList coded{"Positive"};
        for (int i = 1; i < 11; ++i)
            coded << QString();
        coded << QStringLiteral("Few/HPF");
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
                codedStatement(0, texts, coded, QStringLiteral("clean catch")),
            }));
        const auto stored =
            lab_->rows(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0001'"));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0][1], QStringLiteral("YELLOW"));
        QCOMPARE(stored[0][18], QStringLiteral("Positive"));
        QCOMPARE(stored[0][20], QStringLiteral("clean catch"));
        QCOMPARE(stored[0][30], QStringLiteral("Few/HPF"));
        QCOMPARE(stored[0][32], QStringLiteral("12/6/2026"));
        QCOMPARE(stored[0][33], QStringLiteral("02:05:09 PM"));
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
        texts << QStringLiteral("HAZY");
        QCOMPARE(ado::statementTrace().last(),
                 codedStatement(1, texts, coded, QStringLiteral("clean catch")));
        QVERIFY(!ado::statementTrace().join('\n').contains(QLatin1String("LAB_SaveResultEntry")));
        QCOMPARE(lab_->rows(QStringLiteral("select result3 from laboratory..tblabresulthcodes "
                                           "where requestnum ='LR26-0001'")),
                 QList<QStringList>({{"HAZY"}}));
    }

    void requestWithoutLogBookRow() {
        lab_->request(QStringLiteral("WALKIN-9"), QStringLiteral("H"), QStringLiteral("23"),
                      QStringLiteral("URINALYSIS"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2")).click(QStringLiteral("cmdExam(0)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(entry::state().ResultDate,
                 vrt::Format(vrt::Variant(vrt::Today()), QStringLiteral("mm/dd/yyyy")));
        const QString all = ado::statementTrace().join('\n');
        QVERIFY(!all.contains(QLatin1String("LAB_Save_VerifyResults")));
        QVERIFY(all.contains(QLatin1String("Laboratory..Lab_Save_HCodes 0, 'WALKIN-9','")));
        QCOMPARE(lab_->rows(QStringLiteral("select count(*) from laboratory..tblabresulthcodes "
                                           "where requestnum ='WALKIN-9'")),
                 QList<QStringList>({{"1"}}));
    }

    void aFailingStatementLeavesNothing() {
        // Without the coded-results procedure the save fails after the
        // verification and the registration have run.
        if (lab_->database().keeper().backend() == ado::Backend::SQLite)
            lab_->database().keeper().runScript(QStringLiteral(
                "DELETE FROM LABORATORY.vantrel_procedures WHERE name = 'lab_save_hcodes'"));
        else
            lab_->database().keeper().runScript(
                QStringLiteral("DROP FUNCTION laboratory.lab_save_hcodes"));
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .type(QStringLiteral("txtResults(0)"), QStringLiteral("amber"))
            .click(QStringLiteral("cmdExam(0)"));
        user.expectMessage(QStringLiteral("Data was not saved! Error: [Could not find stored "
                                          "procedure 'Laboratory..Lab_Save_HCodes'.]"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QCOMPARE(user.messages().first().title,
                 QStringLiteral("Save_Entries of Result Entry Class"));
        QCOMPARE(user.messages().first().icon, forms::MsgIcon::Critical);
        QVERIFY(!lab_->object().HasSaved());
        QVERIFY(ado::statementTrace().join('\n').contains(QLatin1String("LAB_SaveResultEntry")));
        QCOMPARE(lab_->rows(QStringLiteral("select VerifiedBy from laboratory..tblablogbook where "
                                           "requestnum = 'LR26-0001'")),
                 QList<QStringList>({{"NULL"}}));
        QCOMPARE(
            lab_->rows(QStringLiteral("select count(*) from laboratory..tbLabResultEntry where "
                                      "LabNum = 'LR26-0001'")),
            QList<QStringList>({{"0"}}));
    }

    void codedBoxes_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("message");
        QTest::newRow("p in Albumin") << 0 << "p"
                                      << "Positive" << false;
        QTest::newRow("f in Sugar") << 1 << "f"
                                    << "Few/LPF" << false;
        QTest::newRow("f in Bacteria") << 11 << "f"
                                       << "Few/HPF" << false;
        QTest::newRow("4 in Bile") << 3 << "4"
                                   << "4+" << false;
        QTest::newRow("x") << 2 << "x"
                           << "X" << true;
        QTest::newRow("empty") << 5 << ""
                               << "" << true;
        QTest::newRow("two letters") << 5 << "pp"
                                     << "PP" << true;
    }
    void codedBoxes() {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, message);
        const QString name = QStringLiteral("cboCoded(%1)").arg(box);
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .run([](forms::Form& f) { ua(f).sstbMain->setTab(1); })
            .type(name, typed)
            .key(name, Qt::Key_Return)
            .run([box, shown, message](forms::Form& f) {
                QCOMPARE(ua(f).cboCoded(box)->currentText(), shown);
                QWidget* focus = QApplication::focusWidget();
                QCOMPARE(focus == ua(f).cboCoded(box), message);
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

    void enteredEntryIsNoCode() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .run([](forms::Form& f) { ua(f).sstbMain->setTab(1); })
            .type(QStringLiteral("cboCoded(0)"), QStringLiteral("p"))
            .key(QStringLiteral("cboCoded(0)"), Qt::Key_Return)
            .key(QStringLiteral("cboCoded(0)"), Qt::Key_Return)
            .click(QStringLiteral("cmdExam(1)"));
        user.expectMessage(
            QStringLiteral("Code does not exists!\r\nPlease refer from the list of codes below."));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
    }

    void enterInGranularSwitchesTheTab() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .run([](forms::Form& f) {
                QCOMPARE(ua(f).sstbMain->Tab(), 0);
                QCOMPARE(QApplication::focusWidget(), ua(f).txtResults(0));
            })
            .key(QStringLiteral("txtResults(12)"), Qt::Key_Return)
            .run(
                [](forms::Form& f) { QCOMPARE(QApplication::focusWidget(), ua(f).txtResults(13)); })
            .key(QStringLiteral("txtResults(13)"), Qt::Key_Enter)
            .run([](forms::Form& f) {
                QCOMPARE(ua(f).sstbMain->Tab(), 1);
                QCOMPARE(QApplication::focusWidget(), ua(f).cboCoded(0));
            })
            .type(QStringLiteral("txtResults(14)"), QStringLiteral("it's"))
            .run([](forms::Form& f) {
                QCOMPARE(ua(f).txtResults(14)->text(), QStringLiteral("IT`S"));
            })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!ado::statementTrace().join('\n').contains(QLatin1String("Save")));
    }

    void cancelledSignOffSavesNothing() {
        entry::state().SignOffCancelled = true;
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmUrinalysis2"))
            .click(QStringLiteral("cmdExam(0)"))
            .click(QStringLiteral("cmdExam(2)"))
            .run([](forms::Form& f) { QVERIFY(f.isVisible()); })
            .click(QStringLiteral("cmdExam(1)"));
        lab_->object().Show_ResultEntry(0, 0);
        VERIFY_SCRIPT(user);
        QVERIFY(!lab_->object().HasSaved());
        QCOMPARE(ado::statementTrace().size(), 3);
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
        const auto rows = lab_->rows(QStringLiteral("select RowNum, RowLine from "
                                                    "LABORATORY..tbLabPrint order by SeqNo"));
        QCOMPARE(rows.size(), 27);
        for (const QStringList& r : rows)
            QCOMPARE(r[0], QStringLiteral("1"));
        QCOMPARE(rows[0][1], QStringLiteral("Name      : DELA CRUZ, ANA MARIE          "
                                            "                Admission # : ADM-5521   Age : 34"));
        QCOMPARE(rows[2][1].indexOf(QLatin1String("Date Reported: ")), 58);
        QCOMPARE(rows[2][1].mid(58), QStringLiteral("Date Reported: 12/6/2026 2:05:09 PM"));
        QCOMPARE(rows[7][1], QStringLiteral("  PHYSICAL:   Color       : STRAW                  "
                                            "         Albumin             : "));
        // The Crystals "Others" value prints on the Hyaline row.
        QCOMPARE(rows[18][1], QStringLiteral("              Hyaline     : 0-2                     "
                                             "        Others              : PATIENT`S CRYSTALS"));
        QCOMPARE(rows[11][1].indexOf(QLatin1String("MICROSCOPIC:")), 53);
        QCOMPARE(rows[25][1], QStringLiteral("Remarks"));
        QCOMPARE(rows[26][1], QStringLiteral("repeat tomorrow"));
        QCOMPARE(lab_->printedFiles().size(), 1);
        const QString pdf = lab_->printFolder() + QLatin1Char('/') + lab_->printedFiles().first();
        const QString diff = differenceFromExpected(
            PrintCapture::text(pdf), QStringLiteral("resultforms/expected/urinalysis.txt"));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
};

QTEST_MAIN(TestUrinalysis)
#include "tst_urinalysis.moc"
