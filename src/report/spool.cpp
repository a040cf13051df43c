#include "spool.h"

#include "libraryfolder.h"

#include "entry/audit.h"
#include "entry/modulestate.h"
#include "platform/forms/msgbox.h"
#include "platform/reportengine/application.h"

#include <QFileInfo>
#include <QStringBuilder>
#include <exception>
#include <utility>

namespace report {

namespace {

const std::shared_ptr<ado::Connection>& labConnection() {
    const auto& c = entry::state().LabConnection;
    if (!c)
        vrt::raise(vrt::err::ObjectNotSet);
    return c;
}

// The connection whose transaction holds the running print job. A job is
// the library's connection's only: once that is replaced, the job is stale.
thread_local std::weak_ptr<ado::Connection> job;
// A job that waits for a lock waits for the spool, which another
// workstation's job holds until its print is done.
const QString waitedForPrint =
    QStringLiteral("This print waited %1 s (Lock Timeout) for another workstation's print to "
                   "finish; print again when it has.");

// The spool is thrown away once printed, so a job's commit need not wait for
// the disk; losing it in a power cut loses nothing.
void beginRelaxed(ado::Connection& c) {
    c.BeginRelaxedTrans();
}

void endRelaxed(ado::Connection& c) {
    c.setLockTimeoutText({});
    c.endRelaxed();
}

std::shared_ptr<ado::Connection> runningJob() {
    std::shared_ptr<ado::Connection> c = job.lock();
    if (c && c == entry::state().LabConnection)
        return c;
    job.reset();
    if (c && c->State() == ado::adStateOpen) {
        try {
            c->RollbackTrans();
        } catch (const vrt::RuntimeError&) {
            // Nothing of a stale job is worth keeping.
        }
        endRelaxed(*c);
    }
    return nullptr;
}

void endPrintJob(bool commit) {
    const std::shared_ptr<ado::Connection> c = runningJob();
    job.reset();
    if (!c)
        return;
    struct Restore {
        ado::Connection& c;
        ~Restore() { endRelaxed(c); }
    } restore{*c};
    if (commit) {
        c->CommitTrans();
        return;
    }
    try {
        c->RollbackTrans();
    } catch (const vrt::RuntimeError&) {
        // The connection failed; the server drops the transaction with it.
    }
}

// Runs a statement of the job; a failure ends the job before it travels on.
template <typename F> void inJob(F&& statement) {
    try {
        statement();
    } catch (...) {
        endPrintJob(false);
        throw;
    }
}

// The columns the library spools, which a definition reading their table
// must print: without them the report comes out without its results.
void requireSpooledColumns(const reportengine::Report& report) {
    // A definition without its detail band the engine itself refuses.
    if (report.definition().detail.empty())
        return;
    static const std::pair<const char*, QStringList> spooled[] = {
        {"tbLabPrint", {QStringLiteral("RowLine")}},
        {"tbLabPrint_Histopath", {QStringLiteral("Microscopy"), QStringLiteral("FinalDiagnosis")}},
    };
    for (const auto& table : report.Tables()) {
        const QString name = table->Location().section(u'.', -1);
        for (const auto& [spool, columns] : spooled) {
            if (name.compare(QLatin1String(spool), Qt::CaseInsensitive) != 0)
                continue;
            QStringList missing;
            for (const QString& column : columns)
                if (!reportengine::printsField(report.definition(), column))
                    missing << QLatin1Char('{') + column + QLatin1Char('}');
            if (!missing.isEmpty())
                throw vrt::RuntimeError(
                    reportengine::errDefinition,
                    QStringLiteral("%1: no band prints %2 of table %3. Is the file complete?")
                        .arg(QFileInfo(report.FileName()).fileName(),
                             missing.join(QStringLiteral(", ")), name));
        }
    }
}

} // namespace

void beginPrintJob() {
    if (runningJob())
        return;
    const std::shared_ptr<ado::Connection>& c = labConnection();
    c->setLockTimeoutText(waitedForPrint);
    try {
        beginRelaxed(*c);
    } catch (...) {
        endRelaxed(*c);
        throw;
    }
    job = c;
}

bool printJobRunning() {
    return runningJob() != nullptr;
}

void abandonPrintJob() {
    endPrintJob(false);
}

PrintJobScope::PrintJobScope() : exceptions_(std::uncaught_exceptions()) {
    beginPrintJob();
}

PrintJobScope::~PrintJobScope() {
    const bool failing = std::uncaught_exceptions() > exceptions_;
    try {
        endPrintJob(!failing);
    } catch (const vrt::RuntimeError&) {
        // Only an unprinted spool was left to keep.
        endPrintJob(false);
    }
}

void Clear_PrintTable() {
    beginPrintJob();
    inJob(
        [] { labConnection()->Execute(QStringLiteral("truncate table LABORATORY..tbLabPrint")); });
}

void Insert_PrintLine(int16_t intRowNum, const QString& strLine) {
    QString line = strLine;
    line.replace(u'\'', u'`');
    // Composed in one allocation: a report sends a line per statement.
    const QString sql =
        QLatin1String("insert into LABORATORY..tbLabPrint (RowNum, RowLine) values ('") %
        QString::number(intRowNum) % QLatin1String("','") % line % QLatin1String("')");
    inJob([&] { labConnection()->Execute(sql); });
}

void Print_LabReport(const QString& strTitle, const QString& strSubTitle, const QString& strText3,
                     const QString& strText4, const QString& strCode, bool blnNoPrint) {
    if (blnNoPrint)
        return;
    const entry::ModuleState& s = entry::state();
    const vrt::Variant params = vrt::Variant::array({
        s.EmployeeName,
        s.Pathologist,
        s.HospitalTitle,
        s.HospitalAddress,
        strTitle,
        strSubTitle,
        strText3,
        strText4,
        strCode,
    });
    Print_Report(QString(), QStringLiteral("LABORATORY"),
                 libraryFolder() + QStringLiteral("/LabPrint.RPT"), params);
}

void Print_Report(const QString& /*strUnused*/, const QString& strDatabase,
                  const QString& strReportPath, const vrt::Variant& varParams) {
    inJob([&] {
        const entry::ModuleState& s = entry::state();
        const int32_t upper = varParams.toArray().ubound();
        if (!s.ReportEngine)
            vrt::raise(vrt::err::ObjectNotSet);
        // The engine reads through the job's connection: it sees the job's
        // own lines, and opens no connection of its own.
        s.ReportEngine->setConnection(s.LabConnection);
        if (s.LabConnection)
            s.ReportEngine->setDefaultDataSource(s.LabConnection->ConnectionString());

        auto ReportDoc = s.ReportEngine->OpenReport(strReportPath, 1);
        requireSpooledColumns(*ReportDoc);
        ReportDoc->setCompanyName(s.HospitalCompany);
        // Whom the report is about, for the foot of each of its pages.
        ReportDoc->setFieldValue(QStringLiteral("PatName"), s.PatName);
        ReportDoc->setFieldValue(QStringLiteral("HospNum"), s.HospNum);
        ReportDoc->setFieldValue(QStringLiteral("RequestNum"), s.RequestNum);
        for (const auto& table : ReportDoc->Tables()) {
            const QString location = table->Location();
            const qsizetype dot = location.indexOf(u'.');
            table->setLocation(strDatabase + (dot < 0 ? QString() : location.mid(dot)));
            table->SetLogOnInfo(QString(), strDatabase, QStringLiteral("sa"), QString());
        }
        if (upper >= 0) {
            const vrt::Array& values = varParams.toArray();
            int32_t i = 0;
            for (const auto& field : ReportDoc->ParameterFields()) {
                if (i > upper)
                    break;
                if (field->ValueType() == reportengine::vtDate ||
                    field->ValueType() == reportengine::vtDateTime)
                    field->SetCurrentValue(vrt::Variant(values.at(i).toDate()));
                else
                    field->SetCurrentValue(values.at(i));
                ++i;
            }
        }
        ReportDoc->setPromptForMissingValues(false);
        // In the job's transaction: a print that fails is not recorded.
        entry::recordPrint();
        ReportDoc->PrintOut(false);
    });
    endPrintJob(true);
    // Kept once printed: an archive that fails does not undo the print.
    try {
        entry::archiveReport();
    } catch (const vrt::RuntimeError& e) {
        forms::MsgBox(e.description(), forms::vbExclamation, QStringLiteral("Print_Report"));
    }
}

} // namespace report
