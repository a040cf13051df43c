#pragma once

#include "variant.h"

#include <QString>
#include <optional>

namespace vrt {

// The runtime's default text of a Double: up to 15 significant digits, the
// shortest form (no trailing zeros), "0" for zero, "." as the decimal point,
// no grouping, exponent as "1E+16" / "1E-05" outside the fixed range.
QString doubleToText(double value);

// Rounds half to even at the given number of decimals (Round, CInt, CLng).
double roundHalfEven(double value, int decimals = 0);

// Text to number as the runtime coerces it (CDbl of a String): surrounding
// spaces, a sign, a currency sign, thousands commas, a decimal point, an
// exponent, &H / &O prefixes. No value when the text is not a number.
std::optional<double> parseNumber(const QString& text);

// A decimal number as a result is written: surrounding blanks, a sign,
// digits with an optional decimal point, an optional exponent; nothing else.
std::optional<double> decimalNumber(const QString& text);

// Text to date as CDate reads it (month first): "12/6/2026", "2026-12-06",
// "12/6/2026 2:05:09 PM", "14:05", "2:05 PM", "Dec 6, 2026". No value when
// the text is not a date.
std::optional<Date> parseDate(const QString& text);

// Val: the leading number of a text; spaces, tabs and line feeds are
// skipped anywhere; &H and &O prefixes; 0 when nothing numeric leads.
double Val(const QString& text);

// IsNumeric: numbers, Booleans and Empty are numeric; text when it converts
// to a number; Null, dates, arrays and objects are not.
bool IsNumeric(const Variant& value);

// IsDate: dates, and text that converts to a date.
bool IsDate(const Variant& value);

// Trim / LTrim / RTrim remove spaces only (not tabs); UCase upper-cases.
QString Trim(const QString& text);
QString LTrim(const QString& text);
QString RTrim(const QString& text);
QString UCase(const QString& text);

} // namespace vrt
