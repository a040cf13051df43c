// Composing and printing reports: a 52-line spooled report through the
// report engine, and a rich-text report through the default printer, both
// to PDF files; spooling alone on a database on disk; a print into a folder
// that already holds 10,000 reports, and a process's first print into such a
// folder beside its first into an empty one.

#include "dbsetup/dbsetup.h"
#include "entry/modulestate.h"
#include "platform/printing/printer.h"
#include "report/blocks.h"
#include "report/document.h"
#include "report/frmprinter.h"
#include "report/spool.h"
#include "support/spoolsample.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void setUpSession() {
    entry::ModuleState& s = entry::state();
    if (!s.LabConnection) {
        s.LabConnection = std::make_shared<ado::Connection>();
        s.LabConnection->Open(QStringLiteral("Provider=SQLite;Data Source=memory:bench-report"));
        dbsetup::createLaboratory(*s.LabConnection, false);
        s.ReportEngine = std::make_shared<reportengine::Application>();
    }
    setSamplePatient();
}

// Print files pile up otherwise: each iteration writes one.
void emptyFolder(const QString& folder) {
    QDir dir(folder);
    for (const QString& f : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files))
        dir.remove(f);
}

// Spools the lines and prints them as the cytology report does.
void printSpool(const QStringList& lines) {
    report::Clear_PrintTable();
    for (const QString& line : lines)
        report::Insert_PrintLine(1, line);
    report::Print_LabReport(QStringLiteral("CERVICO-VAGINAL CYTOLOGY REPORT"),
                            QStringLiteral("(BETHESDA SYSTEM)"), QString(), QString(),
                            QStringLiteral("N"), false);
}

void SpooledReportToPdf(benchmark::State& state) {
    setUpSession();
    const QStringList lines = cytologySpoolLines();
    const QString folder = qEnvironmentVariable("VANTREL_PRINT_DIR");
    for (auto _ : state) {
        printSpool(lines);
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
    }
}
BENCHMARK(SpooledReportToPdf)->Unit(benchmark::kMillisecond);

void DocumentReportToPdf(benchmark::State& state) {
    setUpSession();
    const QString folder = qEnvironmentVariable("VANTREL_PRINT_DIR");
    for (auto _ : state) {
        report::frmPrinter::instance().rtbDummy.setText(QString());
        report::Add_ReportTitle();
        report::Add_Text(QStringLiteral("\r\n"), 9);
        report::Add_PatientHeader();
        for (int i = 0; i < 40; ++i)
            report::Add_Text(report::Fill_Spaces(QStringLiteral("Hemoglobin"), 29) +
                                 report::Fix_Width(QStringLiteral("135"), 20) +
                                 QStringLiteral("120 - 160\r\n"),
                             9);
        report::Add_Text(QString(QChar(0x00A8)) + QStringLiteral("\r\n"), 9);
        report::Add_Signatories();
        report::frmPrinter::instance().Print_ResultData();
        state.PauseTiming();
        emptyFolder(folder);
        state.ResumeTiming();
    }
}
BENCHMARK(DocumentReportToPdf)->Unit(benchmark::kMillisecond);

// One print job's spooling (clear and 52 lines, one transaction) on the
// embedded database's files: range(0) 1 in write-ahead-logging mode, 0 in
// the files' rollback-journal mode.
void Spool52LinesOnDisk(benchmark::State& state) {
    QTemporaryDir folder;
    dbsetup::createFolder(folder.path(), false);
    auto c = std::make_shared<ado::Connection>();
    c->Open(dbsetup::folderConnectionString(folder.path()));
    c->runScript(state.range(0) ? QStringLiteral("PRAGMA LABORATORY.journal_mode = WAL")
                                : QStringLiteral("PRAGMA LABORATORY.journal_mode = DELETE"));
    c->runScript(QStringLiteral("PRAGMA LABORATORY.synchronous = FULL"));
    entry::state().LabConnection.swap(c);
    const QStringList lines = cytologySpoolLines();
    for (auto _ : state) {
        const report::PrintJobScope job;
        report::Clear_PrintTable();
        for (const QString& line : lines)
            report::Insert_PrintLine(1, line);
    }
    entry::state().LabConnection.swap(c);
    // Saves after a print job keep their full sync.
    QSqlQuery level(c->database());
    if (!level.exec(QStringLiteral("PRAGMA LABORATORY.synchronous")) || !level.next() ||
        level.value(0).toInt() != 2)
        state.SkipWithError("the sync level was not restored");
}
BENCHMARK(Spool52LinesOnDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The spooled report printed into a folder of its own that holds
// state.range(0) numbered reports already.
void SpooledReportIntoFolder(benchmark::State& state) {
    setUpSession();
    QTemporaryDir prints;
    for (int n = 1; n <= state.range(0); ++n)
        QFile(prints.filePath(QStringLiteral("%1.pdf").arg(n, 4, 10, QLatin1Char('0'))))
            .open(QIODevice::WriteOnly);
    const QByteArray previous = qgetenv("VANTREL_PRINT_DIR");
    qputenv("VANTREL_PRINT_DIR", prints.path().toLocal8Bit());
    const QStringList lines = cytologySpoolLines();
    const auto print = [&] { printSpool(lines); };
    // The process's first print into a folder lists it; the prints after it
    // are what a workstation's day is made of.
    print();
    for (auto _ : state)
        print();
    qputenv("VANTREL_PRINT_DIR", previous);
}
BENCHMARK(SpooledReportIntoFolder)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

// The first print of a process into a folder of its own that holds
// state.range(0) numbered reports made by hand (no note of the last number):
// each iteration starts as a new process would, with no printer yet and no
// number remembered.
void FirstSpooledReportIntoFolder(benchmark::State& state) {
    setUpSession();
    QTemporaryDir prints;
    const int present = int(state.range(0));
    for (int n = 1; n <= present; ++n)
        QFile(prints.filePath(QStringLiteral("%1.pdf").arg(n, 4, 10, QLatin1Char('0'))))
            .open(QIODevice::WriteOnly);
    const QString printed =
        prints.filePath(QStringLiteral("%1.pdf").arg(present + 1, 4, 10, QLatin1Char('0')));
    const QByteArray previous = qgetenv("VANTREL_PRINT_DIR");
    qputenv("VANTREL_PRINT_DIR", prints.path().toLocal8Bit());
    const QStringList lines = cytologySpoolLines();
    QTemporaryDir done;
    int moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        printing::forgetPrintState();
        QDir(prints.path()).remove(QStringLiteral(".vantrel-last-print"));
        state.ResumeTiming();
        printSpool(lines);
        state.PauseTiming();
        // Moved aside, not deleted: a file system slows the next file's
        // creation while it skips inodes freed moments ago, whatever the
        // folder holds.
        if (!QFile::rename(printed, done.filePath(QString::number(++moved))))
            state.SkipWithError("the report was not printed as the next number");
        state.ResumeTiming();
    }
    qputenv("VANTREL_PRINT_DIR", previous);
}
BENCHMARK(FirstSpooledReportIntoFolder)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir prints;
    qputenv("VANTREL_PRINT_DIR", prints.path().toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    entry::state().LabConnection.reset();
    return 0;
}
