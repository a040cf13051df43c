#include "errors.h"

namespace vrt {

QString errorDescription(int32_t number) {
    switch (number) {
    case err::InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case err::Overflow:
        return QStringLiteral("Overflow");
    case err::SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case err::DivisionByZero:
        return QStringLiteral("Division by zero");
    case err::TypeMismatch:
        return QStringLiteral("Type mismatch");
    case err::ObjectNotSet:
        return QStringLiteral("Object variable or With block variable not set");
    case err::InvalidUseOfNull:
        return QStringLiteral("Invalid use of Null");
    case err::ObjectRequired:
        return QStringLiteral("Object required");
    case err::ActiveXCannotCreate:
        return QStringLiteral("ActiveX component can't create object");
    case err::NoSuchMember:
        return QStringLiteral("Object doesn't support this property or method");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

RuntimeError::RuntimeError(int32_t number, QString description)
    : number_(number), description_(std::move(description)),
      what_(QStringLiteral("Run-time error '%1': %2").arg(number).arg(description_).toUtf8()) {}

RuntimeError::RuntimeError(int32_t number) : RuntimeError(number, errorDescription(number)) {}

void raise(int32_t number) {
    throw RuntimeError(number);
}

} // namespace vrt
