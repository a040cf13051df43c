// The generic exam form: Show_ResultEntry until the form is on screen for a
// 20-exam chemistry panel and a 200-exam request, and the save of the panel
// against the same statements as prepared Qt SQL, on the embedded database.

#include "benchsupport.h"

#include "dbsetup/dbsetup.h"
#include "entry/layout.h"
#include "entry/modulestate.h"
#include "examform/frmExamForm.h"
#include "vantrel/clsDataEntry.h"

#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString request = QStringLiteral("LR26-0009");
const QString employee = QStringLiteral("EMP-7");

QString examId(int i) {
    return QStringLiteral("%1").arg(1000 + i);
}

struct Session {
    QTemporaryDir folder;
    entry::clsDataEntry object;

    explicit Session(int exams) {
        dbsetup::createFolder(folder.path(), true);
        const QString cs = dbsetup::folderConnectionString(folder.path());
        ado::Connection host;
        host.setConnectionString(cs);
        object.SQLConnection(host);
        object.RequestNum(request);
        object.EmployeeID(employee);
        object.Space_Allowance(100);
        object.EditMode(true);
        object.Clear_Exams();
        for (int i = 0; i < exams; ++i)
            object.Add_Exam(
                QStringLiteral("CC"), 120, QStringLiteral("CH-260502"), request, false,
                QStringLiteral("1"), examId(i), QStringLiteral("EXAM %1").arg(i),
                vrt::Variant::array({vrt::Variant(), vrt::Variant("70"), vrt::Variant("110"),
                                     vrt::Variant(QString::number(80 + i)), vrt::Variant("mg/dL")}),
                true);
    }
};

void showExamForm(benchmark::State& state) {
    Session s(static_cast<int>(state.range(0)));
    // The form is shown and painted, then closed.
    qsizetype cells = 0;
    forms::setModalHook([&cells](forms::Form& f) {
        f.show();
        f.repaint();
        QCoreApplication::processEvents();
        cells = f.findChildren<QLineEdit*>(QRegularExpression(QStringLiteral("txtEntry"))).size();
        f.Unload();
    });
    // As a host's event loop does between two opens: the closed form goes.
    for (auto _ : state) {
        s.object.Show_ResultEntry(0, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    forms::setModalHook({});
    // Every exam has its result cell: the form held the whole request.
    if (cells < state.range(0))
        state.SkipWithError("the form held fewer exams than the request");
    state.counters["cells"] = double(cells);
}

// The open of a 20-exam panel for a patient with 1,000,000 stored results
// in the database (50,000 earlier requests of 5,000 patients, ten of them the
// patient's own, all in the last ten days) and ranges, critical limits and a
// delta rule for every exam (argument 1), against the same open with none of
// them (argument 0).
void showExamFormWithChecks(benchmark::State& state) {
    Session s(20);
    s.object.HospNum(QStringLiteral("P00042"));
    s.object.TransDate(QStringLiteral("12/20/2026 8:00:00 AM"));
    s.object.Age(QStringLiteral("34"));
    s.object.Sex(QStringLiteral("Male"));
    if (state.range(0) == 1) {
        QSqlDatabase db = entry::state().LabConnection->database();
        QSqlQuery q(db);
        const char* statements[] = {
            // A bench database: the results go in without their audit rows.
            "DROP TRIGGER LABORATORY.tbLabResultValues_audit_insert",
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 49999) "
            "INSERT INTO LABORATORY.tblablogbook (RequestNum, HospNum, TransDate, ResultDate, "
            "Verified) SELECT printf('B%06d', i), printf('P%05d', i % 5000), "
            "datetime('2026-12-19 08:00:00', '-' || (i / 5000) || ' days'), "
            "datetime('2026-12-19 08:00:00', '-' || (i / 5000) || ' days'), 1 FROM n",
            "WITH RECURSIVE e(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM e WHERE k < 19) "
            "INSERT INTO LABORATORY.tbLabResultValues (RequestNum, LabExamID, FormType, "
            "LayoutIndex, A1, A2, A3, A4) SELECT l.RequestNum, CAST(1000 + e.k AS TEXT), '1', 0, "
            "70, 110, 'mg/dL', 60 + (abs(random()) % 60) FROM LABORATORY.tblablogbook l, e "
            "WHERE l.RequestNum LIKE 'B%'",
            "WITH RECURSIVE e(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM e WHERE k < 19) "
            "INSERT INTO LABORATORY.tbLabRefRange (LabExamID, Sex, AgeFromDays, AgeToDays, "
            "LowValue, HighValue) SELECT CAST(1000 + k AS TEXT), s.sex, 0, NULL, 70 + s.d, "
            "110 + s.d FROM e, (SELECT '' AS sex, 0 AS d UNION ALL SELECT 'M', 5 UNION ALL "
            "SELECT 'F', -5) s",
            "WITH RECURSIVE e(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM e WHERE k < 19) "
            "INSERT INTO LABORATORY.tbLabCriticalLimit SELECT CAST(1000 + k AS TEXT), 40, 450 "
            "FROM e",
            "WITH RECURSIVE e(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM e WHERE k < 19) "
            "INSERT INTO LABORATORY.tbLabDeltaRule SELECT CAST(1000 + k AS TEXT), 'P', 50, 30 "
            "FROM e",
            "ANALYZE LABORATORY",
            // A database in use has its log checkpointed, not 1,000,000 rows in it.
            "PRAGMA LABORATORY.wal_checkpoint(TRUNCATE)"};
        for (const char* statement : statements)
            if (!q.exec(QString::fromLatin1(statement))) {
                state.SkipWithError(qPrintable(q.lastError().text()));
                return;
            }
    }
    forms::setModalHook([&state](forms::Form& f) {
        const auto* cell = f.findChild<QWidget*>(QStringLiteral("ctlscrnNormalValues"));
        if (state.range(0) == 1 && static_cast<const entryscreens::EntryScreen*>(cell)
                                       ->checkText(0)
                                       .section(QStringLiteral(" | "), 3)
                                       .isEmpty())
            state.SkipWithError("no previous result reached the screen");
        f.show();
        f.repaint();
        QCoreApplication::processEvents();
        f.Unload();
    });
    // As a host's event loop does between two opens: the closed form goes.
    for (auto _ : state) {
        s.object.Show_ResultEntry(0, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    forms::setModalHook({});
}

void saveThroughExamForm(benchmark::State& state) {
    Session s(20);
    entry::Draw_Exams();
    auto& form = forms::loaded<examform::frmExamForm>();
    for (auto _ : state)
        form.Save_Entries();
    if (!entry::state().Saved)
        state.SkipWithError("the save did not complete");
    forms::unload<examform::frmExamForm>();
}

void saveAsPreparedQt(benchmark::State& state) {
    Session s(0);
    QSqlDatabase db = entry::state().LabConnection->database();
    QSqlQuery logbook(db), verify(db), edit(db), tx(db);
    logbook.setForwardOnly(true);
    if (!logbook.prepare(
            QStringLiteral("SELECT * FROM LABORATORY.tblablogbook WHERE RequestNum = ?")) ||
        !verify.prepare(procedureBody(db, QStringLiteral("LAB_Save_VerifyResults"))) ||
        !edit.prepare(procedureBody(db, QStringLiteral("LAB_Save_EditResultEntries")))) {
        state.SkipWithError("prepare failed");
        return;
    }
    for (auto _ : state) {
        tx.exec(QStringLiteral("BEGIN IMMEDIATE"));
        for (int i = 0; i < 20; ++i) {
            if (readLogbook(logbook, request, state)) {
                verify.bindValue(QStringLiteral(":p1"), request);
                verify.bindValue(QStringLiteral(":p2"), employee);
                verify.exec();
            }
            const QStringList values{
                request, examId(i), "1", "70", "110", "mg/dL", QString::number(80 + i),
                "",      "",        "",  "",   "",    "0",     "0",
                "",      "",        "",  "",   "",    "",      "",
                "",      "",        "0", "",   "",    "",      "",
                "0",     "0",       ""};
            for (int k = 0; k < values.size(); ++k)
                edit.bindValue(QStringLiteral(":p%1").arg(k + 1), values[k]);
            if (!edit.exec()) {
                state.SkipWithError(qPrintable(edit.lastError().text()));
                break;
            }
        }
        tx.exec(QStringLiteral("COMMIT"));
    }
}

} // namespace

BENCHMARK(showExamForm)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(showExamFormWithChecks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(saveThroughExamForm)->Unit(benchmark::kMillisecond);
BENCHMARK(saveAsPreparedQt)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runOffscreenBenchmarks(argc, argv);
}
