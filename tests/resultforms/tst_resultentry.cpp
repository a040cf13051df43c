#include "entry/modulestate.h"
#include "forms/stool/frmStool.h"
#include "forms/urinalysis/frmUrinalysis2.h"
#include "platform/ado/trace.h"
#include "support/errors.h"
#include "support/labsession.h"
#include "support/scripteduser.h"
#include "support/threads.h"

#include <QTest>

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

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() { FETCH_LAB_SESSION(lab_); }
    void cleanup() { lab_.reset(); }

    // The window of the first exam, titled with its caption and the patient.
    void firstExamChoosesTheWindow_data() {
        QTest::addColumn<QString>("formType");
        QTest::addColumn<QString>("examId");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
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
                    QCOMPARE(f.pos(), QPoint(200, 100));
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
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("error");
        QTest::addColumn<QStringList>("heading");
        QTest::newRow("values") << "'1','GENERAL HOSPITAL','MARIVEL MEDICAL','12 RIZAL ST.'" << 0
                                << QStringList{"GENERAL HOSPITAL", "MARIVEL MEDICAL",
                                               "12 RIZAL ST."};
        QTest::newRow("Null title and address")
            << "'1',NULL,'MARIVEL MEDICAL',NULL" << 0 << QStringList{"", "MARIVEL MEDICAL", ""};
        QTest::newRow("Null company") << "'1','T',NULL,'A'" << 94 << QStringList{"T", "old", "old"};
        QTest::newRow("empty table keeps the old values")
            << "" << 0 << QStringList{"old", "old", "old"};
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
};

QTEST_MAIN(TestResultEntry)
#include "tst_resultentry.moc"
