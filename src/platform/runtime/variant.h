#pragma once

#include "errors.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace vrt {

// Base of every object a Variant can carry (connections, dispatch objects).
class Object {
public:
    virtual ~Object() = default;
};
using ObjectPtr = std::shared_ptr<Object>;

enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Double = 5,
    Date = 7,
    String = 8,
    Object = 9,
    Boolean = 11,
    Array = 8192 | 12, // array of Variant
};

class Variant;

// A one-dimensional array with its lower bound.
struct Array {
    int32_t lbound = 0;
    std::vector<Variant> items;
    int32_t ubound() const;
    // Element by index; 9 (subscript out of range) outside the bounds.
    const Variant& at(int32_t index) const;
};

// Date values are kept as the runtime keeps them: days since 1899-12-30,
// the time of day as the fraction.
struct Date {
    double serial = 0;
    friend bool operator==(Date a, Date b) { return a.serial == b.serial; }
};

class Variant {
public:
    Variant() = default; // Empty
    Variant(int16_t v) : v_(v) {}
    Variant(int32_t v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(bool v) : v_(v) {}
    Variant(Date v) : v_(v) {}
    Variant(const QString& v) : v_(v) {}
    Variant(const char* v) : v_(QString::fromUtf8(v)) {}
    Variant(ObjectPtr v) : v_(std::move(v)) {}
    Variant(Array v) : v_(std::make_shared<const Array>(std::move(v))) {}

    static Variant null() {
        Variant v;
        v.v_ = NullTag{};
        return v;
    }
    static Variant array(std::vector<Variant> items, int32_t lbound = 0) {
        return Variant(Array{lbound, std::move(items)});
    }

    VarType type() const;
    bool isEmpty() const { return v_.index() == 0; }
    bool isNull() const { return std::holds_alternative<NullTag>(v_); }
    bool isArray() const { return std::holds_alternative<ArrayPtr>(v_); }
    bool isObject() const { return std::holds_alternative<ObjectPtr>(v_); }
    bool isString() const { return std::holds_alternative<QString>(v_); }
    bool isDate() const { return std::holds_alternative<Date>(v_); }
    // Integer, Long, Double or Boolean: the types arithmetic takes as they are.
    bool isNumber() const;

    // Conversions with the runtime's rules (CStr, CInt, CLng, CDbl, CBool,
    // CDate): Null gives 94, text that is not a number 13, a number out of
    // range 6; Integer and Long round half to even.
    QString toString() const;
    int16_t toInteger() const;
    int32_t toLong() const;
    double toDouble() const;
    bool toBool() const;
    Date toDate() const;
    // The array a Variant holds; 13 when it holds none.
    const Array& toArray() const;
    // The object; 424 (object required) when the Variant holds none.
    ObjectPtr toObject() const;

    // Text as concatenation sees it: Null and Empty give "".
    QString text() const { return isNull() ? QString() : toString(); }

    friend bool operator==(const Variant& a, const Variant& b);

private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    using ArrayPtr = std::shared_ptr<const Array>;
    std::variant<std::monostate, NullTag, int16_t, int32_t, double, bool, Date, QString, ArrayPtr,
                 ObjectPtr>
        v_;
};

// a & b: Null counts as empty text unless both are Null.
Variant concat(const Variant& a, const Variant& b);

} // namespace vrt
