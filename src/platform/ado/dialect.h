#pragma once

#include "connection.h"
#include "platform/runtime/variant.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace ado {

// A stored-procedure call taken from the head of a statement.
struct ProcedureCall {
    QString database; // as written, or the connection's current database
    QString name;
    std::vector<vrt::Variant> args; // literals: text for quoted, numbers for unquoted
};

// A statement of the library made ready for a backend: SQL text, or a call.
struct TranslatedStatement {
    QString sql;
    std::optional<ProcedureCall> call;
};

// Answers whether database.name is a stored procedure of the backend.
using ProcedureExists = std::function<bool(const QString& database, const QString& name)>;

// Turns the library's statement text into the backend's: "db..name" into a
// qualified name, a leading procedure call (with or without "exec" and a
// database prefix) into a call with its literal arguments, "truncate table",
// and a bare "table where ..." recordset source into a select. Works on
// tokens, so text inside quotes is never rewritten. Raises a provider error
// for text it cannot translate (an unbalanced quote, a call whose arguments
// are not literals).
TranslatedStatement translate(const QString& statement, Backend backend,
                              const QString& currentDatabase, const ProcedureExists& isProcedure);

} // namespace ado
