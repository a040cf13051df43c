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

// A statement's literal values taken out of its text: statements that differ
// only in their values share the key, and with it one translation and one
// prepared statement.
struct ScannedStatement {
    QString key;                      // the text with each value replaced by a mark
    std::vector<vrt::Variant> values; // the values, in order
};

// Where a call's argument comes from: a value of the statement, or a
// constant of its shape.
struct ArgumentSource {
    int value = -1; // index into the values, or -1 for the constant
    bool negative = false;
    vrt::Variant constant;
};

// The translation of one key: SQL with numbered parameters (?N on SQLite,
// $N on PostgreSQL) standing for the values, or a procedure call.
struct StatementShape {
    QString sql;
    std::optional<ProcedureCall> call; // its arguments are filled per statement
    std::vector<ArgumentSource> arguments;
    bool literal = false; // the backend refused the parameters: run the text as it is
};

// Takes the values out of a statement (raises what translate raises for
// quoting faults). Values stay in the text where a parameter would change
// the statement's meaning or syntax (ORDER BY 1, a typed literal such as
// date '...').
ScannedStatement scan(const QString& statement);
// Translates a scanned statement once for its key; raises as translate.
StatementShape shapeOf(const QString& statement, Backend backend, const QString& currentDatabase,
                       const ProcedureExists& isProcedure);
// A call's arguments for one statement of its shape.
std::vector<vrt::Variant> callArguments(const StatementShape& shape,
                                        const std::vector<vrt::Variant>& values);

} // namespace ado
