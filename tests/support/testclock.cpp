// Built into every test program: the library's clock stands still at one
// moment, so what the tests compare never depends on the real date, hour or
// time zone. The moment is a few minutes past noon (12:xx PM) on a day other
// than the requests' result date (12/06/2026), so a report that prints today
// where it should print the result date, or a time on the wrong side of noon,
// shows.
#include "platform/runtime/datetime.h"

namespace {
const bool clockFixed = [] {
    vrt::setFixedNow(QDateTime(QDate(2026, 12, 8), QTime(12, 41, 27)));
    return true;
}();
} // namespace
