#pragma once

#include <QString>

namespace report {

// The folder the library file was loaded from (the report definitions lie
// there); empty when it cannot be told.
QString libraryFolder();

} // namespace report
