#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "signoff/frmListMedTech.h"
#include "signoff/frmRemarksInput.h"
#include "support/database.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/scripteduser.h"
#include "vantrel/clsDataEntry.h"

#include <QTest>

using signoff::frmListMedTech;
using signoff::frmRemarksInput;

namespace {

const char* const technologists[][4] = {
    {"MT-001", "SANTOS", "MARIA", "LOPEZ"},     {"MT-002", "REYES", "ANTONIO", "CRUZ"},
    {"MT-003", "O''BRIEN", "KATHLEEN", "DIAZ"}, {"MT-004", "VILLANUEVA", "ANA", "GARCIA"},
    {"MT-005", "REYES", "CARLA", "DIZON"},
};

frmRemarksInput& dialog(forms::Form& f) {
    return static_cast<frmRemarksInput&>(f);
}
frmListMedTech& picker(forms::Form& f) {
    return static_cast<frmListMedTech&>(f);
}

} // namespace

class TestSignoff : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<entry::clsDataEntry> object_;

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_DATABASE(db, TestDatabase::Contents::Laboratory);
        db_ = std::move(db);
        for (const auto& t : technologists)
            db_->keeper().Execute(
                QStringLiteral("insert into LABORATORY..tbLabMedTech (MedTechID, lastname, "
                               "firstname, middlename) values ('%1','%2','%3','%4')")
                    .arg(QLatin1String(t[0]), QLatin1String(t[1]), QLatin1String(t[2]),
                         QLatin1String(t[3])));
        object_ = std::make_unique<entry::clsDataEntry>();
        ado::Connection host;
        host.setConnectionString(db_->connectionString());
        object_->SQLConnection(host);
        entry::ModuleState& s = entry::state();
        s.EditMode = false;
        s.Remarks = QStringLiteral("previous remarks");
        s.ResultDate = QStringLiteral("11/30/2026");
        s.MedTechID = QStringLiteral("MT-OLD");
        s.EmployeeName = QStringLiteral("SANTOS, MARIA");
        s.HospitalCompany = QStringLiteral("MARIVEL MEDICAL CENTER");
        s.SignOffCancelled = true;
        entry::Clear_Exams();
        ado::statementTrace().clear();
        ado::setStatementTracing(true);
    }

    void cleanup() {
        object_.reset();
        db_.reset();
        QVERIFY(!forms::isLoaded<frmRemarksInput>());
        QVERIFY(!forms::isLoaded<frmListMedTech>());
    }

    void finishOutsideEditMode() {
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmRemarksInput"))
            .run([](forms::Form& f) {
                frmRemarksInput& d = dialog(f);
                QCOMPARE(
                    QStringList({f.windowTitle(), d.lblRequestTitle->text(),
                                 d.txtRemarks->toPlainText(), d.txtMedTech->text(),
                                 d.cmdFinish(0)->text(), d.cmdFinish(1)->text()}),
                    QStringList({"Remarks", "Additional Remarks", "", "", "&Finish", "&Back"}));
            })
            .click(QStringLiteral("cmdFinish(0)"));
        forms::instance<frmRemarksInput>().ShowModal();
        VERIFY_SCRIPT(user);
        const entry::ModuleState& s = entry::state();
        QCOMPARE(s.SignOffCancelled, false);
        QCOMPARE(QStringList({s.Remarks, s.ResultDate, s.MedTechID}),
                 QStringList({"", "12/8/2026", "MT-OLD"}));
    }

    void finishInEditModeProposesTheRequestsValues() {
        entry::state().EditMode = true;
        entry::state().Remarks = QStringLiteral("hemolyzed\r\nclotted");
        entry::Add_Exam({}, 0, {}, QStringLiteral("R-1"), false, QStringLiteral("H"),
                        QStringLiteral("23"), QStringLiteral("URINALYSIS"), vrt::Variant(), false);
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmRemarksInput"))
            .run([](forms::Form& f) {
                QCOMPARE(QStringList({dialog(f).txtRemarks->toPlainText(),
                                      dialog(f).txtMedTech->text(), dialog(f).DTPicker1->text()}),
                         QStringList({"hemolyzed\nclotted", "SANTOS, MARIA", "11/30/2026"}));
            })
            .type(QStringLiteral("txtRemarks"), QStringLiteral(", repeat"))
            .click(QStringLiteral("cmdFinish(0)"));
        forms::instance<frmRemarksInput>().ShowModal();
        VERIFY_SCRIPT(user);
        QCOMPARE(entry::state().SignOffCancelled, false);
        QCOMPARE(QStringList({entry::state().Remarks, entry::state().ResultDate}),
                 QStringList({"hemolyzed\r\nclotted, repeat", "11/30/2026"}));
    }

    void backAndCloseBoxKeepTheValues_data() {
        addColumns<bool, bool, bool>("back", "flagBefore", "flagAfter");
        QTest::newRow("back") << true << false << true;
        QTest::newRow("close box, flag false") << false << false << false;
        QTest::newRow("close box, flag true") << false << true << true;
    }
    void backAndCloseBoxKeepTheValues() {
        QFETCH(bool, back);
        QFETCH(bool, flagBefore);
        QFETCH(bool, flagAfter);
        entry::state().SignOffCancelled = flagBefore;
        ScriptedUser user;
        auto& script = user.expectForm(QStringLiteral("frmRemarksInput"))
                           .type(QStringLiteral("txtRemarks"), QStringLiteral("changed"))
                           .run([](forms::Form& f) {
                               dialog(f).DTPicker1->setValue(vrt::Variant("1/2/2027"));
                           });
        back ? script.click(QStringLiteral("cmdFinish(1)")) : script.closeBox();
        forms::instance<frmRemarksInput>().ShowModal();
        VERIFY_SCRIPT(user);
        QCOMPARE(entry::state().SignOffCancelled, flagAfter);
        QCOMPARE(QStringList({entry::state().Remarks, entry::state().ResultDate}),
                 QStringList({"previous remarks", "11/30/2026"}));
    }

    // The technologist box: a text the lookup finds once fills the name
    // (no space after the comma); an empty box opens the full list; a text
    // found for none, or for several, opens the list filtered by it (never
    // the first silently). A pick writes "last, first middle". The list as
    // shown and the statements are in expected/lookup_<row>.txt.
    void technologistLookup_data() {
        // pick 0: search "zz" in the list and Cancel
        addColumns<QString, bool, int, QString, QString>("typed", "listed", "pick", "id", "shown");
        addRows<QString, bool, int, QString, QString>({
            {"empty", "", true, 2, "MT-002", "REYES, ANTONIO CRUZ"},
            {"by-id", "MT-002", false, 1, "MT-002", "REYES,ANTONIO CRUZ"},
            {"apostrophe", "O'Brien", false, 1, "MT-003", "O'BRIEN,KATHLEEN DIAZ"},
            {"not-found", "an", true, 0, "MT-OLD", "an"},
            {"shared-last-name", "Reyes", true, 2, "MT-005", "REYES, CARLA DIZON"},
        });
    }
    void technologistLookup() {
        QFETCH(QString, typed);
        QFETCH(bool, listed);
        QFETCH(int, pick);
        QFETCH(QString, id);
        QFETCH(QString, shown);
        ScriptedUser user;
        auto& dialogScript = user.expectForm(QStringLiteral("frmRemarksInput"))
                                 .type(QStringLiteral("txtMedTech"), typed);
        // The button and Enter run the same lookup.
        pick ? dialogScript.key(QStringLiteral("txtMedTech"), Qt::Key_Return)
             : dialogScript.click(QStringLiteral("cmdMedTech"));
        dialogScript.run([shown](forms::Form& f) { QCOMPARE(dialog(f).txtMedTech->text(), shown); })
            .click(QStringLiteral("cmdFinish(1)"));
        QStringList seen;
        if (listed) {
            auto& list = user.expectForm(QStringLiteral("frmListMedTech")).run([&](forms::Form& f) {
                frmListMedTech& p = picker(f);
                for (int r = 1; r < p.grdDispWindow->Rows(); ++r)
                    seen << p.grdDispWindow->TextMatrix(r, 0);
                seen << f.windowTitle() << p.lblHospitalName->text()
                     << QString::number(p.grdDispWindow->ColWidth(0))
                     << QString::number(p.grdDispWindow->ColWidth(3)) << QStringLiteral("--");
            });
            if (pick)
                list.clickCell(QStringLiteral("grdDispWindow"), pick, 1);
            else
                list.type(QStringLiteral("txtSearchStr"), QStringLiteral("zz"))
                    .key(QStringLiteral("txtSearchStr"), Qt::Key_Return)
                    .run([](forms::Form& f) { QCOMPARE(picker(f).grdDispWindow->Rows(), 1); })
                    .click(QStringLiteral("cmdSearch"));
        }
        forms::instance<frmRemarksInput>().ShowModal();
        VERIFY_SCRIPT(user);
        QCOMPARE(entry::state().MedTechID, id);
        VERIFY_EXPECTED(
            linesText(seen + ado::statementTrace()),
            QStringLiteral("signoff/expected/lookup_%1.txt").arg(QTest::currentDataTag()));
        // The picker leaves client-side cursors on the shared connection.
        ado::Recordset later;
        later.Open(QStringLiteral("select * from laboratory..tblablogbook"),
                   *entry::state().LabConnection, 2, 1, -1);
        QCOMPARE(later.CursorLocation(), int32_t(listed ? ado::adUseClient : ado::adUseServer));
    }

    void aFailingLookupIsShownAndTheDialogStays() {
        entry::state().LabConnection->Close();
        ScriptedUser user;
        user.expectForm(QStringLiteral("frmRemarksInput"))
            .type(QStringLiteral("txtMedTech"), QStringLiteral("MT-002"))
            .key(QStringLiteral("txtMedTech"), Qt::Key_Return)
            .run([](forms::Form& f) {
                QCOMPARE(dialog(f).txtMedTech->text(), QStringLiteral("MT-002"));
            })
            .click(QStringLiteral("cmdFinish(0)"));
        user.expectMessage(QStringLiteral(
            "Run-time error '3704':\n\nOperation is not allowed when the object is closed."));
        forms::instance<frmRemarksInput>().ShowModal();
        VERIFY_SCRIPT(user);
        QCOMPARE(entry::state().MedTechID, QStringLiteral("MT-OLD"));
        QCOMPARE(user.messages().first().icon, forms::MsgIcon::Critical);
    }
};

QTEST_MAIN(TestSignoff)
#include "tst_signoff.moc"
