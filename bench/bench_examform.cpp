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
    for (auto _ : state)
        s.object.Show_ResultEntry(0, 0);
    forms::setModalHook({});
    // Every exam has its result cell: the form held the whole request.
    if (cells < state.range(0))
        state.SkipWithError("the form held fewer exams than the request");
    state.counters["cells"] = double(cells);
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
BENCHMARK(saveThroughExamForm)->Unit(benchmark::kMillisecond);
BENCHMARK(saveAsPreparedQt)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runOffscreenBenchmarks(argc, argv);
}
