#pragma once

#include "platform/runtime/variant.h"

#include <QString>
#include <cstdint>

namespace report {

// The print spool LABORATORY..tbLabPrint and the report engine calls.

// Empties the spool table.
void Clear_PrintTable();
// Spools one report line; apostrophes become backquotes.
void Insert_PrintLine(int16_t intRowNum, const QString& strLine);
// Prints the spooled lines with LabPrint.RPT unless blnNoPrint is true.
void Print_LabReport(const QString& strTitle, const QString& strSubTitle, const QString& strText3,
                     const QString& strText4, const QString& strCode, bool blnNoPrint);
// Opens a report definition through the module's report engine, points its
// tables at strDatabase, hands over the parameter values (an array) and
// prints without a dialog. The first argument is not used.
void Print_Report(const QString& strUnused, const QString& strDatabase,
                  const QString& strReportPath, const vrt::Variant& varParams);

} // namespace report
