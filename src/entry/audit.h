#pragma once

#include "platform/ado/connection.h"

#include <memory>

namespace entry {

// The laboratory database schema the scripts make (vantrel-db init and
// upgrade): 2 added the audit trail, 3 the report archive and the result
// checks, 4 cheaper audit triggers with the same rows.
constexpr int laboratorySchemaVersion = 4;
// The oldest schema this library works with: a version-3 database records
// the same audit rows, only at a higher cost per save.
constexpr int oldestLaboratorySchemaVersion = 3;

// Refuses (and closes) a laboratory database whose schema is older than the
// library needs, naming the command that upgrades it. Then every
// transaction on the connection tells the database's audit triggers who
// saves (employee, medical technologist) and where (this workstation).
void prepareLabConnection(const std::shared_ptr<ado::Connection>& connection);

// Records a print of the current request in the audit trail, on the
// library's connection once prepared (a print job's transaction when one
// is running). Not traced.
void recordPrint();

// Keeps the report just printed (printing::lastFinishedJob) in the report
// archive with the current request, who printed it and whether it is an
// original or a correction (printed after a save that corrected released
// results): its composed text and the PDF it wrote (none on a system
// printer). Not traced.
void archiveReport();

} // namespace entry
