#pragma once

#include <QString>
#include <cstdint>
#include <exception>

namespace vrt {

// Run-time error numbers of the designed runtime (and of the data-access
// layer, whose errors travel the same way).
namespace err {
constexpr int32_t InvalidProcedureCall = 5;
constexpr int32_t Overflow = 6;
constexpr int32_t SubscriptOutOfRange = 9;
constexpr int32_t DivisionByZero = 11;
constexpr int32_t TypeMismatch = 13;
constexpr int32_t ObjectNotSet = 91;
constexpr int32_t InvalidUseOfNull = 94;
constexpr int32_t ObjectRequired = 424;
constexpr int32_t ActiveXCannotCreate = 429;
constexpr int32_t NoSuchMember = 438;
} // namespace err

// The standard description of a runtime error number ("Overflow", ...).
QString errorDescription(int32_t number);

class RuntimeError : public std::exception {
public:
    RuntimeError(int32_t number, QString description);
    explicit RuntimeError(int32_t number);

    int32_t number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    int32_t number_;
    QString description_;
    QByteArray what_;
};

// Throws the runtime error with its standard description.
[[noreturn]] void raise(int32_t number);

} // namespace vrt
