#pragma once

#include "platform/ado/connection.h"

namespace dbsetup {

// Creates the laboratory's tables and stored procedures on an open
// connection (embedded or server), and with demoData the demo records.
void createLaboratory(ado::Connection& connection, bool demoData);

// Whether the laboratory's tables exist on the connection.
bool hasLaboratory(ado::Connection& connection);

// The schema version of the laboratory database on the connection: 0 when
// it holds none, 1 for one made before versions were kept.
int schemaVersion(ado::Connection& connection);

// Brings the laboratory database on the connection to the current schema,
// adding what is missing and leaving every row as it is. Returns the
// version it had. Raises when there is no laboratory database or its
// version is newer than these scripts.
int upgradeLaboratory(ado::Connection& connection);

// The connection string of the embedded database in folder.
QString folderConnectionString(const QString& folder);

// Creates the embedded laboratory database in folder (made when missing):
// its three files, tables and procedures. False, with nothing changed, when
// the folder already holds one; a failure leaves no new file behind.
bool createFolder(const QString& folder, bool demoData);

} // namespace dbsetup
