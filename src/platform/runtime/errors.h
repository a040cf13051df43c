#pragma once

/// \file
/// Run-time errors: the numbers and texts every failure travels with.

#include <QString>
#include <cstdint>
#include <exception>

/// The runtime the library stands on: values, conversions and errors.
namespace vrt {

/// Run-time error numbers (the data-access layer's own are in ado).
namespace err {
constexpr int32_t InvalidProcedureCall = 5;  ///< Invalid procedure call or argument
constexpr int32_t Overflow = 6;              ///< Overflow
constexpr int32_t SubscriptOutOfRange = 9;   ///< Subscript out of range
constexpr int32_t DivisionByZero = 11;       ///< Division by zero
constexpr int32_t TypeMismatch = 13;         ///< Type mismatch
constexpr int32_t ObjectNotSet = 91;         ///< Object variable not set
constexpr int32_t InvalidUseOfNull = 94;     ///< Invalid use of Null
constexpr int32_t ObjectRequired = 424;      ///< Object required
constexpr int32_t ActiveXCannotCreate = 429; ///< The component cannot create the object
constexpr int32_t NoSuchMember = 438;        ///< The object has no such property or method
} // namespace err

/// The standard description of a run-time error number ("Overflow", ...).
QString errorDescription(int32_t number);

/// A run-time error: what the library throws inside, and what a host that
/// binds late gets back from a call that failed.
class RuntimeError : public std::exception {
public:
    /// An error with its own description.
    RuntimeError(int32_t number, QString description);
    /// An error with the standard description of its number.
    explicit RuntimeError(int32_t number);

    /// The error's number (see vrt::err and the ado error numbers).
    int32_t number() const { return number_; }
    /// The error's text, as the windows show it.
    const QString& description() const { return description_; }
    /// The description in UTF-8.
    const char* what() const noexcept override { return what_.constData(); }

private:
    int32_t number_;
    QString description_;
    QByteArray what_;
};

/// Throws the run-time error with its standard description.
[[noreturn]] void raise(int32_t number);

} // namespace vrt
