#pragma once

/// \file
/// Variant, the value every property, argument and field travels as.

#include "errors.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace vrt {

/// Base of every object a Variant can carry (connections, dispatch objects).
class Object {
public:
    virtual ~Object() = default;
};
/// An object as a Variant holds it: shared by every copy.
using ObjectPtr = std::shared_ptr<Object>;

/// What a Variant holds, numbered as the runtime's VarType numbers them.
enum class VarType : uint16_t {
    Empty = 0,         ///< nothing assigned yet
    Null = 1,          ///< no valid data (a database NULL)
    Integer = 2,       ///< 16-bit integer
    Long = 3,          ///< 32-bit integer
    Double = 5,        ///< double
    Date = 7,          ///< date and time (Date)
    String = 8,        ///< text
    Object = 9,        ///< an object (ObjectPtr)
    Boolean = 11,      ///< true or false
    Array = 8192 | 12, ///< array of Variant
};

class Variant;

/// A one-dimensional array with its lower bound.
struct Array {
    int32_t lbound = 0;         ///< index of the first element
    std::vector<Variant> items; ///< the elements, from lbound up
    /// Index of the last element (lbound - 1 when empty).
    int32_t ubound() const;
    /// Element by index; 9 (subscript out of range) outside the bounds.
    const Variant& at(int32_t index) const;
};

/// A date as the runtime keeps it: days since 1899-12-30, the time of day
/// as the fraction.
struct Date {
    double serial = 0; ///< days since 1899-12-30 and the fraction of the day
    /// Same day and time.
    friend bool operator==(Date a, Date b) { return a.serial == b.serial; }
};

/// A value of any of the types VarType names. Copies share arrays and objects.
class Variant {
public:
    Variant() = default;                                 ///< Empty
    Variant(int16_t v) : v_(v) {}                        ///< Integer
    Variant(int32_t v) : v_(v) {}                        ///< Long
    Variant(double v) : v_(v) {}                         ///< Double
    Variant(bool v) : v_(v) {}                           ///< Boolean
    Variant(Date v) : v_(v) {}                           ///< Date
    Variant(const QString& v) : v_(v) {}                 ///< String
    Variant(const char* v) : v_(QString::fromUtf8(v)) {} ///< String, from UTF-8
    Variant(ObjectPtr v) : v_(std::move(v)) {}           ///< Object
    /// Array
    Variant(Array v) : v_(std::make_shared<const Array>(std::move(v))) {}

    /// Null, as a database NULL arrives.
    static Variant null() {
        Variant v;
        v.v_ = NullTag{};
        return v;
    }
    /// An array of the items, the first at index lbound (Data arrays start at 0).
    static Variant array(std::vector<Variant> items, int32_t lbound = 0) {
        return Variant(Array{lbound, std::move(items)});
    }

    /// What the Variant holds.
    VarType type() const;
    /// Nothing assigned.
    bool isEmpty() const { return v_.index() == 0; }
    /// Null.
    bool isNull() const { return std::holds_alternative<NullTag>(v_); }
    /// An array.
    bool isArray() const { return std::holds_alternative<ArrayPtr>(v_); }
    /// An object.
    bool isObject() const { return std::holds_alternative<ObjectPtr>(v_); }
    /// Text.
    bool isString() const { return std::holds_alternative<QString>(v_); }
    /// A date.
    bool isDate() const { return std::holds_alternative<Date>(v_); }
    /// Integer, Long, Double or Boolean: the types arithmetic takes as they are.
    bool isNumber() const;

    /// \name Conversions
    /// With the runtime's rules: Null gives 94, text that is not a number 13,
    /// a number out of range 6; Integer and Long round half to even.
    ///@{

    QString toString() const;  ///< as text
    int16_t toInteger() const; ///< as a 16-bit integer
    int32_t toLong() const;    ///< as a 32-bit integer
    double toDouble() const;   ///< as a double
    bool toBool() const; ///< as true or false (numbers: not 0; text: "True"/"False" or a number)
    Date toDate() const; ///< as a date (text in the laboratory's date forms)
    ///@}
    /// The array a Variant holds; 13 when it holds none.
    const Array& toArray() const;
    /// The object; 424 (object required) when the Variant holds none.
    ObjectPtr toObject() const;

    /// Text as concatenation sees it: Null and Empty give "".
    QString text() const { return isNull() ? QString() : toString(); }

    /// Same type and same value.
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

/// Concatenation (a & b): Null counts as empty text unless both are Null.
Variant concat(const Variant& a, const Variant& b);

} // namespace vrt
