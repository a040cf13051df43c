#pragma once

#include "platform/runtime/variant.h"

#include <QString>
#include <cstdint>

namespace report {

// The print spool LABORATORY..tbLabPrint and the report engine calls.
//
// Several workstations share the spool tables, so a print job (the clear,
// its lines and the print) runs as one transaction on LabConnection: the
// clear takes the table's write lock, which the job holds until its print
// has read the lines back through that same connection. Another
// workstation's job waits at its clear meanwhile, and never sees ours.

// Empties the spool table; starts the print job when none is running.
void Clear_PrintTable();
// Spools one report line; apostrophes become backquotes.
void Insert_PrintLine(int16_t intRowNum, const QString& strLine);
// Prints the spooled lines with LabPrint.RPT unless blnNoPrint is true.
void Print_LabReport(const QString& strTitle, const QString& strSubTitle, const QString& strText3,
                     const QString& strText4, const QString& strCode, bool blnNoPrint);
// Opens a report definition through the module's report engine, points its
// tables at strDatabase, hands over the parameter values (an array) and
// prints without a dialog. The first argument is not used. Ends the running
// print job: committed after the print, rolled back when it failed.
void Print_Report(const QString& strUnused, const QString& strDatabase,
                  const QString& strReportPath, const vrt::Variant& varParams);

// Starts a print job by hand, for a spool that is cleared with a statement
// of its own (tbLabPrint_Histopath). Does nothing when one is running.
void beginPrintJob();
// Whether a print job is running on this thread.
bool printJobRunning();
// Rolls back a print job that was left running without its print.
void abandonPrintJob();

// Holds a print job for a caller's scope: whatever ends the scope without
// the print having ended the job (an error on the way, or no print) ends it
// here: committed on a normal exit, rolled back when an error is leaving.
class PrintJobScope {
public:
    PrintJobScope();
    ~PrintJobScope();
    PrintJobScope(const PrintJobScope&) = delete;
    PrintJobScope& operator=(const PrintJobScope&) = delete;

private:
    int exceptions_;
};

} // namespace report
