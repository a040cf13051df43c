// Show_ResultEntry with the window shown for real: the hospital heading
// query, the form's load handler (log-book result date, code lists,
// pickers), Fill_Results, the modal window's own event loop until it is
// closed, and the deferred deletes of the closed window, on the embedded
// database. Each iteration leaves nothing behind, so the figure does not
// depend on how many iterations ran.

#include "benchsupport.h"

#include "dbsetup/dbsetup.h"
#include "entry/modulestate.h"
#include "platform/forms/form.h"
#include "vantrel/clsDataEntry.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

struct Session {
    QTemporaryDir folder;
    entry::clsDataEntry object;

    Session(const char* examId) {
        const QString cs = QStringLiteral("Provider=SQLite;Data Source=") + folder.path();
        dbsetup::createFolder(folder.path(), true);
        ado::Connection host;
        host.setConnectionString(cs);
        object.SQLConnection(host);
        object.RequestNum(QStringLiteral("LR26-0001"));
        object.Clear_Exams();
        object.Add_Exam(QStringLiteral("UA"), 90, QStringLiteral("CH-1"),
                        QStringLiteral("LR26-0001"), false, QStringLiteral("H"),
                        QString::fromLatin1(examId), QStringLiteral("EXAM"), vrt::Variant(), false);
        // A stored result to load.
        entry::state().LabConnection->Execute(
            QStringLiteral("Laboratory..Lab_Save_HCodes 0, "
                           "'LR26-0001','YELLOW','6.0','CLEAR','','','','','','','',"
                           "'','','','','','','','Negative','Negative','','','','','','','','','','"
                           "','','12/6/2026',"
                           "'09:30:00 AM','remarks'"));
    }
};

void showResultEntry(benchmark::State& state, const char* examId) {
    Session s(examId);
    for (auto _ : state) {
        // Closed from its own event loop once it is up, as a user's Exit.
        QTimer::singleShot(0, [] {
            if (auto* f = qobject_cast<forms::Form*>(QApplication::activeModalWidget()))
                f->Unload();
        });
        s.object.Show_ResultEntry(0, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["widgets"] = double(QApplication::allWidgets().size());
}

} // namespace

BENCHMARK_CAPTURE(showResultEntry, urinalysis, "23")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(showResultEntry, stool, "35")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(showResultEntry, urinalysis, "23")
    ->Name("showResultEntry/urinalysis/10")
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(showResultEntry, urinalysis, "23")
    ->Name("showResultEntry/urinalysis/1000")
    ->Iterations(1000)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runOffscreenBenchmarks(argc, argv);
}
