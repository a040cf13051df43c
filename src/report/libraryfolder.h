#pragma once

#include <QString>

namespace report {

// The folder of the report definitions: the one the library file was loaded
// from, or, when that holds none (an installed library), the library's data
// folder (<prefix>/share/vantrel). Empty when it cannot be told.
QString libraryFolder();

} // namespace report
