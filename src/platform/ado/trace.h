#pragma once

#include <QStringList>

namespace ado {

// The statement texts the library ran on this thread, as it wrote them, in
// order, while tracing is on (tests turn it on; it is off by default so a
// long-running host does not collect them).
void setStatementTracing(bool on);
bool statementTracing();
QStringList& statementTrace();

} // namespace ado
