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
// The calendar day of a serial, without a time zone (6 when out of range).
QDate dayOf(Date date);

// The system's short date ("M/d/yyyy") and long time ("h:mm:ss AM/PM"),
// the regional settings the laboratory runs with.
QString shortDate(Date date);
QString longTime(Date date);

// CStr of a Date: short date, long time, or both when the value has both
// a date part and a time of day.
QString dateToText(Date date);

// The one clock of the library: every reading of the current date and time
// (Now, Today, TimeOfDay, the pickers' defaults, a report's run date and
// time, the two-digit year window) goes through it. It is the local wall
// clock unless a fixed moment was set; an invalid moment puts the real clock
// back. Tests fix it so that nothing they compare depends on the real date,
// hour or time zone.
QDateTime currentDateTime();
void setFixedNow(const QDateTime& moment);

// Now, Date and Time of the runtime, read from the clock above.
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
