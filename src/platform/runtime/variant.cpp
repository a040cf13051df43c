#include "variant.h"

#include "datetime.h"
#include "text.h"

#include <cmath>
#include <limits>

namespace vrt {

int32_t Array::ubound() const {
    return lbound + static_cast<int32_t>(items.size()) - 1;
}

const Variant& Array::at(int32_t index) const {
    if (index < lbound || index > ubound())
        raise(err::SubscriptOutOfRange);
    return items[static_cast<size_t>(index - lbound)];
}

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

int32_t toRangedInteger(double value, double low, double high) {
    if (std::isnan(value))
        raise(err::Overflow);
    const double rounded = roundHalfEven(value);
    if (rounded < low || rounded > high)
        raise(err::Overflow);
    return static_cast<int32_t>(rounded);
}

} // namespace

VarType Variant::type() const {
    return std::visit(Overloaded{
                          [](std::monostate) { return VarType::Empty; },
                          [](NullTag) { return VarType::Null; },
                          [](int16_t) { return VarType::Integer; },
                          [](int32_t) { return VarType::Long; },
                          [](double) { return VarType::Double; },
                          [](bool) { return VarType::Boolean; },
                          [](Date) { return VarType::Date; },
                          [](const QString&) { return VarType::String; },
                          [](const ArrayPtr&) { return VarType::Array; },
                          [](const ObjectPtr&) { return VarType::Object; },
                      },
                      v_);
}

bool Variant::isNumber() const {
    switch (type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Boolean:
        return true;
    default:
        return false;
    }
}

QString Variant::toString() const {
    return std::visit(
        Overloaded{
            [](std::monostate) { return QString(); },
            [](NullTag) -> QString { raise(err::InvalidUseOfNull); },
            [](int16_t v) { return QString::number(v); },
            [](int32_t v) { return QString::number(v); },
            [](double v) { return doubleToText(v); },
            [](bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); },
            [](Date v) { return dateToText(v); },
            [](const QString& v) { return v; },
            [](const ArrayPtr&) -> QString { raise(err::TypeMismatch); },
            [](const ObjectPtr&) -> QString { raise(err::TypeMismatch); },
        },
        v_);
}

double Variant::toDouble() const {
    return std::visit(Overloaded{
                          [](std::monostate) { return 0.0; },
                          [](NullTag) -> double { raise(err::InvalidUseOfNull); },
                          [](int16_t v) { return double(v); },
                          [](int32_t v) { return double(v); },
                          [](double v) { return v; },
                          [](bool v) { return v ? -1.0 : 0.0; },
                          [](Date v) { return v.serial; },
                          [](const QString& v) {
                              const auto n = parseNumber(v);
                              if (!n)
                                  raise(err::TypeMismatch);
                              return *n;
                          },
                          [](const ArrayPtr&) -> double { raise(err::TypeMismatch); },
                          [](const ObjectPtr&) -> double { raise(err::TypeMismatch); },
                      },
                      v_);
}

int16_t Variant::toInteger() const {
    if (const auto* i = std::get_if<int16_t>(&v_))
        return *i;
    return static_cast<int16_t>(toRangedInteger(toDouble(), -32768.0, 32767.0));
}

int32_t Variant::toLong() const {
    if (const auto* i = std::get_if<int32_t>(&v_))
        return *i;
    return toRangedInteger(toDouble(), -2147483648.0, 2147483647.0);
}

bool Variant::toBool() const {
    if (const auto* b = std::get_if<bool>(&v_))
        return *b;
    if (const auto* s = std::get_if<QString>(&v_)) {
        const QString t = Trim(*s);
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toDouble() != 0.0;
}

Date Variant::toDate() const {
    if (const auto* d = std::get_if<Date>(&v_))
        return *d;
    if (const auto* s = std::get_if<QString>(&v_)) {
        if (const auto d = parseDate(*s))
            return *d;
        raise(err::TypeMismatch);
    }
    return Date{toDouble()};
}

const Array& Variant::toArray() const {
    if (const auto* a = std::get_if<ArrayPtr>(&v_))
        return **a;
    raise(err::TypeMismatch);
}

ObjectPtr Variant::toObject() const {
    if (const auto* o = std::get_if<ObjectPtr>(&v_))
        return *o;
    raise(err::ObjectRequired);
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.v_.index() != b.v_.index())
        return false;
    if (a.isArray()) {
        const Array& x = a.toArray();
        const Array& y = b.toArray();
        return x.lbound == y.lbound && x.items == y.items;
    }
    return a.v_ == b.v_;
}

Variant concat(const Variant& a, const Variant& b) {
    if (a.isNull() && b.isNull())
        return Variant::null();
    return Variant(a.text() + b.text());
}

} // namespace vrt
