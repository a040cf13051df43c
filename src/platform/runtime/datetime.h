#pragma once

#include "variant.h"

#include <QDateTime>
#include <QString>

namespace vrt {

// Conversions between the runtime's date serial and Qt's date and time.
// Times are kept to the second, as the runtime rounds them.
Date toSerial(const QDateTime& dateTime);
Date toSerial(const QDate& date);
QDateTime toDateTime(Date date);

// The system's short date ("M/d/yyyy") and long time ("h:mm:ss AM/PM"),
// the regional settings the laboratory runs with.
QString shortDate(Date date);
QString longTime(Date date);

// CStr of a Date: short date, long time, or both when the value has both
// a date part and a time of day.
QString dateToText(Date date);

// Now, Date and Time of the runtime (local clock).
Date Now();
Date Today();
Date TimeOfDay();

// Format(value, pattern) for the patterns the library uses: numbers with
// "0.00" / "##0.00" (digits '0' and '#', one '.', rounding half away from
// zero as Format does), dates with "mm/dd/yyyy", "hh:mm:ss AM/PM",
// "HH:mm AM/PM" and the other day, month, year, hour, minute, second and
// AM/PM codes. Text that converts to a number or date is formatted as one;
// other text comes back as it is; Null and Empty give "".
QString Format(const Variant& value, const QString& pattern);

} // namespace vrt
