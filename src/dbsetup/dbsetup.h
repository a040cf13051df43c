#pragma once

#include "platform/ado/connection.h"

namespace dbsetup {

// Creates the laboratory's tables and stored procedures on an open
// connection (embedded or server), and with demoData the demo records.
void createLaboratory(ado::Connection& connection, bool demoData);

// Whether the laboratory's tables exist on the connection.
bool hasLaboratory(ado::Connection& connection);

} // namespace dbsetup
