#pragma once

#include "platform/runtime/errors.h"

namespace ado {

// Error numbers and texts of the data-access layer, raised as run-time errors.
constexpr int32_t adErrObjectClosed = 3704;
constexpr int32_t adErrObjectOpen = 3705;
constexpr int32_t adErrProviderNotFound = 3706;
// A failure reported by the provider (the database itself).
constexpr int32_t adErrProvider = -2147467259;

// A statement the database (or the translation before it) refused.
constexpr int32_t adErrStatement = -2147217900;
// Operations that need a current record, or a field that does not exist.
constexpr int32_t adErrNoCurrentRecord = 3021;
constexpr int32_t adErrItemNotFound = 3265;

[[noreturn]] void raise(int32_t number);
[[noreturn]] void raiseStatement(const QString& description);
[[noreturn]] void raiseProvider(const QString& description);

} // namespace ado
