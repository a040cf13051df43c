// Show_ResultEntry up to the moment the window is shown: the hospital
// heading query, the form's load handler (log-book result date, code lists,
// pickers) and Fill_Results, on the embedded database.

#include "dbsetup/dbsetup.h"
#include "entry/modulestate.h"
#include "platform/forms/form.h"
#include "vantrel/clsDataEntry.h"

#include <QApplication>
#include <QTemporaryDir>
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
        // The window is "shown" and closed at once.
        forms::setModalHook([](forms::Form& f) { f.Unload(); });
    }
    ~Session() { forms::setModalHook({}); }
};

void showResultEntry(benchmark::State& state, const char* examId) {
    Session s(examId);
    for (auto _ : state)
        s.object.Show_ResultEntry(0, 0);
}

} // namespace

BENCHMARK_CAPTURE(showResultEntry, urinalysis, "23")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(showResultEntry, stool, "35")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
