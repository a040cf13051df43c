#pragma once

#include "connection.h"

#include <QString>

namespace ado {

// Installs stored procedures on the embedded database. The text holds
// blocks, each started by a header line
//   -- procedure <database>.<name> args <n>|<min>..<max> [returns rows]
// and followed by the body: SQL statements separated by ';', where ?1..?N
// are the call's arguments (missing ones NULL) and :argc is how many were
// passed. A procedure "returns rows" when its last statement is the SELECT
// whose rows are its result. The procedures are kept in the table
// vantrel_procedures of the database that owns them.
void installSqliteProcedures(Connection& connection, const QString& text);

} // namespace ado
