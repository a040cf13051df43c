#pragma once

#include "platform/runtime/errors.h"

namespace ado {

// Error numbers and texts of the data-access layer, raised as run-time errors.
constexpr int32_t adErrObjectClosed = 3704;
constexpr int32_t adErrObjectOpen = 3705;
constexpr int32_t adErrProviderNotFound = 3706;
// A failure reported by the provider (the database itself).
constexpr int32_t adErrProvider = -2147467259;

[[noreturn]] void raise(int32_t number);
[[noreturn]] void raiseProvider(const QString& description);

} // namespace ado
