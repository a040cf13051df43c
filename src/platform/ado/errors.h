#pragma once

/// \file
/// The data-access layer's error numbers.

#include "platform/runtime/errors.h"

namespace ado {

// Error numbers and texts of the data-access layer, raised as run-time errors.
/// The object is closed ("Operation is not allowed when the object is closed.").
constexpr int32_t adErrObjectClosed = 3704;
/// The object is open ("Operation is not allowed when the object is open.").
constexpr int32_t adErrObjectOpen = 3705;
/// The connection string names no known Provider.
constexpr int32_t adErrProviderNotFound = 3706;
/// A failure reported by the provider (the database itself): a database
/// that cannot be opened, a dropped connection, a timeout.
constexpr int32_t adErrProvider = -2147467259;

/// A statement the database (or the translation before it) refused.
constexpr int32_t adErrStatement = -2147217900;
/// An operation that needs a current record found none (EOF or BOF).
constexpr int32_t adErrNoCurrentRecord = 3021;
/// A field that does not exist.
constexpr int32_t adErrItemNotFound = 3265;

/// Why a statement failed, where the caller words it for the user.
enum class Failure {
    Other,          ///< any other cause
    LockTimeout,    ///< another connection held a lock for longer than the lock timeout
    ConnectionLost, ///< the server connection ended (or could not be opened again)
    MissingObject,  ///< a table or procedure that does not exist
    NoLaboratory,   ///< the database has no laboratory tables at all
};

/// A statement's failure (number adErrStatement) with its cause.
class StatementError : public vrt::RuntimeError {
public:
    /// The failure, its text and, for a lock timeout, how long it waited.
    StatementError(Failure failure, const QString& description, int lockTimeoutMs = 0)
        : vrt::RuntimeError(adErrStatement, description), failure_(failure),
          lockTimeoutMs_(lockTimeoutMs) {}
    /// The cause.
    Failure failure() const { return failure_; }
    /// LockTimeout: how long it waited.
    int lockTimeoutMs() const { return lockTimeoutMs_; }

private:
    Failure failure_;
    int lockTimeoutMs_;
};

/// The cause of a failure; Other for errors that are not a statement's.
Failure failureOf(const vrt::RuntimeError& error);
/// Seconds as the messages write them ("0.3", "5").
QString seconds(int ms);

/// Throws the error with its standard text.
[[noreturn]] void raise(int32_t number);
/// Throws adErrStatement with the database's text.
[[noreturn]] void raiseStatement(const QString& description);
/// Throws a StatementError of that cause.
[[noreturn]] void raiseStatement(Failure failure, const QString& description,
                                 int lockTimeoutMs = 0);
/// Throws adErrProvider with the database's text.
[[noreturn]] void raiseProvider(const QString& description);

} // namespace ado
