// The exam form's printed report: Print and Save of a 40-exam normal-values
// request outside edit mode, so the run is the report's composition and its
// print to PDF.

#include "benchsupport.h"

#include "dbsetup/dbsetup.h"
#include "entry/layout.h"
#include "examform/frmExamForm.h"
#include "vantrel/clsDataEntry.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

void printNormalValuesReport(benchmark::State& state) {
    QTemporaryDir folder, prints;
    qputenv("VANTREL_PRINT_DIR", prints.path().toLocal8Bit());
    dbsetup::createFolder(folder.path(), true);
    ado::Connection host;
    host.setConnectionString(dbsetup::folderConnectionString(folder.path()));
    entry::clsDataEntry object;
    object.SQLConnection(host);
    object.RequestNum(QStringLiteral("LR26-0009"));
    object.PatName(QStringLiteral("DELA CRUZ, ANA MARIE"));
    object.Remarks(QStringLiteral("Fasting 10 hours"));
    object.EditMode(false);
    object.Clear_Exams();
    const int exams = static_cast<int>(state.range(0));
    for (int i = 0; i < exams; ++i)
        object.Add_Exam(
            QStringLiteral("CC"), 120, QStringLiteral("CH-260502"), QStringLiteral("LR26-0009"),
            false, QStringLiteral("1"), QString::number(1000 + i), QStringLiteral("EXAM %1").arg(i),
            vrt::Variant::array({vrt::Variant(), vrt::Variant("70"), vrt::Variant("110"),
                                 vrt::Variant(QString::number(80 + i)), vrt::Variant("mg/dL")}),
            true);
    entry::Draw_Exams();
    auto& form = forms::loaded<examform::frmExamForm>();
    form.PrintAfterSave = true;
    for (auto _ : state)
        form.Save_Entries();
    const qsizetype printed = QDir(prints.path()).entryList(QDir::Files).size();
    if (printed != static_cast<qsizetype>(state.iterations()))
        state.SkipWithError("a report was not printed");
    forms::unload<examform::frmExamForm>();
    qunsetenv("VANTREL_PRINT_DIR");
}

} // namespace

BENCHMARK(printNormalValuesReport)->Arg(40)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runOffscreenBenchmarks(argc, argv);
}
