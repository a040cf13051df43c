#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "platform/runtime/variant.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/rows.h"

#include <QtTest>
#include <cmath>
#include <map>

using vrt::Date;
using vrt::Variant;

namespace {

const double NaN = std::nan("");

// Local wall-clock times in ISO form ("2026-12-06T14:05:09.500"), so no row
// depends on the zone; "" is the invalid date and time.
QDateTime at(const QString& iso) {
    return iso.isEmpty() ? QDateTime() : QDateTime::fromString(iso, Qt::ISODateWithMs);
}

Variant dateValue(const char* iso) {
    return Variant(vrt::toSerial(at(QString::fromLatin1(iso))));
}

// The shortest text that reads back as the same double: exact to the last bit.
QString exact(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

QString truth(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

using Call = std::function<QString(const Variant& value, const QString& option)>;

// The runtime's functions under their own names, each result as text.
const std::map<QString, Call>& calls() {
    static const std::map<QString, Call> m{
        {"CStr", [](const Variant& v, const QString&) { return v.toString(); }},
        {"CInt", [](const Variant& v, const QString&) { return QString::number(v.toInteger()); }},
        {"CLng", [](const Variant& v, const QString&) { return QString::number(v.toLong()); }},
        {"CBool", [](const Variant& v, const QString&) { return truth(v.toBool()); }},
        {"Round",
         [](const Variant& v, const QString& o) {
             return exact(vrt::roundHalfEven(v.toDouble(), o.toInt()));
         }},
        {"Val", [](const Variant& v, const QString&) { return exact(vrt::Val(v.toString())); }},
        {"CDbl",
         [](const Variant& v, const QString&) {
             const auto n = vrt::parseNumber(v.toString());
             return n ? exact(*n) : QStringLiteral("not a number");
         }},
        {"CDate",
         [](const Variant& v, const QString&) {
             const auto d = vrt::parseDate(v.toString());
             return d ? vrt::toDateTime(*d).toString(Qt::ISODate) : QStringLiteral("not a date");
         }},
        {"IsNumeric", [](const Variant& v, const QString&) { return truth(vrt::IsNumeric(v)); }},
        {"IsDate", [](const Variant& v, const QString&) { return truth(vrt::IsDate(v)); }},
        {"Trim", [](const Variant& v, const QString&) { return vrt::Trim(v.toString()); }},
        {"LTrim", [](const Variant& v, const QString&) { return vrt::LTrim(v.toString()); }},
        {"RTrim", [](const Variant& v, const QString&) { return vrt::RTrim(v.toString()); }},
        {"UCase", [](const Variant& v, const QString&) { return vrt::UCase(v.toString()); }},
        {"Format", [](const Variant& v, const QString& o) { return vrt::Format(v, o); }},
    };
    return m;
}

} // namespace

class TestRuntime : public QObject {
    Q_OBJECT

private slots:
    // call(value, option) gives result, or "error N" for a run-time error.
    void calls_data() {
        addColumns<QString, Variant, QString, QString>("call", "value", "option", "result");
        const Variant pm = dateValue("2026-12-06T14:05:09");
        const QByteArray thisYear =
            QByteArray::number(QDate::currentDate().year()) + "-12-06T00:00:00";
        using V = Variant;
        addRows<const char*, Variant, const char*, const char*>({
            // Text of a number: 15 significant digits, shortest form.
            {"binary noise", "CStr", V(0.1 + 0.2), "", "0.3"},
            {"fifteen digits", "CStr", V(1.0 / 3), "", "0.333333333333333"},
            {"1e15 exponent", "CStr", V(1e15), "", "1E+15"},
            {"fifteen integer digits", "CStr", V(123456789012345.0), "", "123456789012345"},
            {"0.0001 fixed", "CStr", V(0.0001), "", "0.0001"},
            {"0.00001 exponent", "CStr", V(0.00001), "", "1E-05"},
            {"2^53", "CStr", V(9007199254740992.0), "", "9.00719925474099E+15"},
            {"negative, no grouping", "CStr", V(-1234567.5), "", "-1234567.5"},
            {"negative zero", "CStr", V(-0.0), "", "0"},
            {"Integer", "CStr", V(int16_t(-5)), "", "-5"},
            {"True", "CStr", V(true), "", "True"},
            {"Empty", "CStr", V(), "", ""},
            {"Null", "CStr", Variant::null(), "", "error 94"},
            // Text of a date: short date, long time, or both.
            {"date only", "CStr", dateValue("2026-12-06T00:00:00"), "", "12/6/2026"},
            {"date and time", "CStr", pm, "", "12/6/2026 2:05:09 PM"},
            {"morning", "CStr", dateValue("2026-01-05T09:03:04"), "", "1/5/2026 9:03:04 AM"},
            {"time only", "CStr", dateValue("1899-12-30T14:05:09"), "", "2:05:09 PM"},
            {"negative serial", "CStr", V(Date{-1.5}), "", "12/29/1899 12:00:00 PM"},
            {"rounds to the next day", "CStr", V(Date{0.9999999}), "", "12/31/1899"},
            {"before the first date", "CStr", V(Date{-1e7}), "", "error 6"},
            // Whole numbers round half to even.
            {"2.5 to even", "CInt", V(2.5), "", "2"},
            {"3.5 to even", "CInt", V(3.5), "", "4"},
            {"-2.5 to even", "CInt", V(-2.5), "", "-2"},
            {"32767.5 overflows", "CInt", V(32767.5), "", "error 6"},
            {"-32768.5 fits", "CInt", V(-32768.5), "", "-32768"},
            {"Integer of text with thousands", "CInt", V(" 1,000 "), "", "1000"},
            {"Integer of True", "CInt", V(true), "", "-1"},
            {"Integer of Empty", "CInt", V(), "", "0"},
            {"Integer of text", "CInt", V("abc"), "", "error 13"},
            {"Integer of Null", "CInt", Variant::null(), "", "error 94"},
            {"Long beyond Integer", "CLng", V(40000.5), "", "40000"},
            {"Long overflow", "CLng", V(2147483647.5), "", "error 6"},
            {"Boolean of true", "CBool", V("true"), "", "True"},
            {"Boolean of False", "CBool", V("False"), "", "False"},
            {"Boolean of zero text", "CBool", V("0"), "", "False"},
            {"Boolean of number text", "CBool", V("-1"), "", "True"},
            {"Boolean of other text", "CBool", V("x"), "", "error 13"},
            {"Boolean of Null", "CBool", Variant::null(), "", "error 94"},
            {"Round -0.4 is no negative zero", "Round", V(-0.4), "0", "0"},
            {"Round above half", "Round", V(2.5001), "0", "3"},
            {"Round 2.675: a tie at 15 digits", "Round", V(2.675), "2", "2.68"},
            {"Round 1.005 to even", "Round", V(1.005), "2", "1"},
            {"Round carry", "Round", V(9.995), "2", "10"},
            {"Round beyond 15 digits", "Round", V(123456789012345.5), "0", "123456789012346"},
            {"Round negative decimals", "Round", V(1.5), "-1", "error 5"},
            // Val: the leading number, spaces anywhere.
            {"Val spaces inside", "Val", V(" 1 2 3"), "", "123"},
            {"Val tabs and line feeds", "Val", V("\t\n4\t2"), "", "42"},
            {"Val stops at letters", "Val", V("12abc"), "", "12"},
            {"Val hex", "Val", V("&H1F"), "", "31"},
            {"Val octal", "Val", V("&O17"), "", "15"},
            {"Val hex is a signed Integer", "Val", V("&HFFFF"), "", "-1"},
            {"Val hex past 16 bits", "Val", V("&H10000"), "", "65536"},
            {"Val hex as Long", "Val", V("&HFFFF&"), "", "65535"},
            {"Val D exponent", "Val", V("1d2"), "", "100"},
            {"Val exponent without digits", "Val", V("12e"), "", "12"},
            {"Val second point stops", "Val", V("1.2.3"), "", "1.2"},
            {"Val stops at a comma", "Val", V("1,000"), "", "1"},
            {"Val currency sign", "Val", V("$5"), "", "0"},
            {"Val overflow", "Val", V("1e400"), "", "error 6"},
            // CDbl of text: the whole text must be a number.
            {"spaces around", "CDbl", V(" 12 "), "", "12"},
            {"thousands and decimals", "CDbl", V("1,000.25"), "", "1000.25"},
            {"sign before currency", "CDbl", V("-$5"), "", "-5"},
            {"parentheses", "CDbl", V("(5)"), "", "-5"},
            {"trailing minus", "CDbl", V("5-"), "", "-5"},
            {"negative exponent", "CDbl", V("1E-2"), "", "0.01"},
            {"hex", "CDbl", V("&H1F"), "", "31"},
            {"leading point", "CDbl", V(".5"), "", "0.5"},
            {"overflow", "CDbl", V("1e400"), "", "error 6"},
            {"hex past 32 bits", "CDbl", V("&H123456789"), "", "error 6"},
            {"empty text", "CDbl", V(""), "", "not a number"},
            {"number then text", "CDbl", V("12abc"), "", "not a number"},
            {"comma after point", "CDbl", V("1.000,5"), "", "not a number"},
            {"two signs", "CDbl", V("--5"), "", "not a number"},
            {"space inside", "CDbl", V("12 34"), "", "not a number"},
            {"IsNumeric Empty", "IsNumeric", V(), "", "True"},
            {"IsNumeric Null", "IsNumeric", Variant::null(), "", "False"},
            {"IsNumeric too large for a Double", "IsNumeric", V("1e400"), "", "True"},
            {"IsNumeric Boolean", "IsNumeric", V(true), "", "True"},
            {"IsNumeric Date", "IsNumeric", pm, "", "False"},
            {"Trim", "Trim", V("  a b  "), "", "a b"},
            {"Trim keeps tabs", "Trim", V("\ta \t"), "", "\ta \t"},
            {"LTrim", "LTrim", V("  a  "), "", "a  "},
            {"RTrim", "RTrim", V("  a  "), "", "  a"},
            {"UCase accents", "UCase", V("abc é 12x"), "", "ABC É 12X"},
            {"UCase keeps length", "UCase", V("ß"), "", "ß"},
            // CDate of text, month first.
            {"month first", "CDate", V("12/6/2026"), "", "2026-12-06T00:00:00"},
            {"year first", "CDate", V("2026-12-06"), "", "2026-12-06T00:00:00"},
            {"two-digit year 29", "CDate", V("1/1/29"), "", "2029-01-01T00:00:00"},
            {"two-digit year 30", "CDate", V("1/1/30"), "", "1930-01-01T00:00:00"},
            {"day first when the month cannot be", "CDate", V("13/12/2026"), "",
             "2026-12-13T00:00:00"},
            {"leap day", "CDate", V("2/29/2024"), "", "2024-02-29T00:00:00"},
            {"month and day: this year", "CDate", V("12/6"), "", thisYear.constData()},
            {"month name", "CDate", V("Dec 6, 2026"), "", "2026-12-06T00:00:00"},
            {"day month year", "CDate", V("6-Dec-2026"), "", "2026-12-06T00:00:00"},
            {"weekday ignored", "CDate", V("Sunday, December 6, 2026"), "", "2026-12-06T00:00:00"},
            {"date and long time", "CDate", V("12/6/2026 2:05:09 PM"), "", "2026-12-06T14:05:09"},
            {"time first", "CDate", V("2:05 PM 12/6/2026"), "", "2026-12-06T14:05:00"},
            {"before the epoch", "CDate", V("1899-12-29 12:00"), "", "1899-12-29T12:00:00"},
            {"time alone", "CDate", V("14:05"), "", "1899-12-30T14:05:00"},
            {"12 AM is midnight", "CDate", V("12:30 AM"), "", "1899-12-30T00:30:00"},
            {"month 13, day 45", "CDate", V("13/45/2026"), "", "not a date"},
            {"no Feb 29", "CDate", V("2/29/2026"), "", "not a date"},
            {"trailing word", "CDate", V("12/6/2026 extra"), "", "not a date"},
            {"hour 25", "CDate", V("12/6/2026 25:00"), "", "not a date"},
            {"13 PM", "CDate", V("13:05 PM"), "", "not a date"},
            {"decimal number", "CDate", V("1.5"), "", "not a date"},
            {"five-digit year", "CDate", V("12/6/20260"), "", "not a date"},
            {"two times", "CDate", V("1:00 2:00"), "", "not a date"},
            {"IsDate Date", "IsDate", pm, "", "True"},
            {"IsDate date text", "IsDate", V("12/6/2026"), "", "True"},
            {"IsDate other text", "IsDate", V("abc"), "", "False"},
            {"IsDate number", "IsDate", V(46362.0), "", "False"},
            {"IsDate Null", "IsDate", Variant::null(), "", "False"},
            // Format of numbers: half away from zero, judged at 15 digits.
            {"half away from zero", "Format", V(0.125), "0.00", "0.13"},
            {"2.345 at 15 digits", "Format", V(2.345), "0.00", "2.35"},
            {"negative half", "Format", V(-1.005), "0.00", "-1.01"},
            {"negative rounded to zero", "Format", V(-0.001), "0.00", "0.00"},
            {"Format carry", "Format", V(999.995), "0.00", "1000.00"},
            {"optional digits below one", "Format", V(0.5), "##0.00", "0.50"},
            {"more digits than placeholders", "Format", V(-1234.5), "##0.00", "-1234.50"},
            {"optional decimals", "Format", V(1.5), "0.##", "1.5"},
            {"point kept", "Format", V(5.0), "#.##", "5."},
            {"padding zeros", "Format", V(42.0), "0000", "0042"},
            {"large", "Format", V(1e20), "0.00", "100000000000000000000.00"},
            {"grouping", "Format", V(1234567.891), "#,##0.00", "1,234,567.89"},
            {"thousands scale", "Format", V(12345.0), "0,", "12"},
            {"percent", "Format", V(0.5), "0%", "50%"},
            {"literal text", "Format", V(3.0), "0.0 \"mg/dl\"", "3.0 mg/dl"},
            {"bare letters are literal", "Format", V(3.0), "0.0 mg/dl", "3.0 mg/dl"},
            {"scientific", "Format", V(1234.0), "0.00E+00", "1.23E+03"},
            {"scientific carry", "Format", V(9.999), "0.00E+00", "1.00E+01"},
            {"negative section", "Format", V(-5.0), "0.00;(0.00)", "(5.00)"},
            {"zero section", "Format", V(0.0), "0.00;(0.00);\"none\"", "none"},
            {"Standard", "Format", V(1234.5), "Standard", "1,234.50"},
            {"Currency negative", "Format", V(-1234.5), "Currency", "($1,234.50)"},
            {"Yes/No", "Format", V(2.0), "Yes/No", "Yes"},
            {"numeric text", "Format", V(" 3.14159 "), "0.00", "3.14"},
            {"other text unchanged", "Format", V("abc"), "0.00", "abc"},
            {"Format Null", "Format", Variant::null(), "0.00", ""},
            {"Boolean as number", "Format", V(true), "0.00", "-1.00"},
            {"no pattern", "Format", V(0.1 + 0.2), "", "0.3"},
            {"Date as number", "Format", dateValue("2026-12-06T12:00:00"), "0.00", "46362.50"},
            {"array", "Format", Variant::array({}), "0", "error 13"},
            // Format of dates.
            {"hh:mm:ss AM/PM", "Format", pm, "hh:mm:ss AM/PM", "02:05:09 PM"},
            {"24-hour without AM/PM", "Format", pm, "hh:mm", "14:05"},
            {"lower-case am/pm", "Format", pm, "h:mm am/pm", "2:05 pm"},
            {"A/P", "Format", pm, "h A/P", "2 P"},
            {"half past midnight", "Format", dateValue("2026-06-15T00:30:00"), "hh:mm AM/PM",
             "12:30 AM"},
            {"mm after hh is minutes", "Format", pm, "hh mm", "14 05"},
            {"mm without hour is month", "Format", pm, "mm:ss", "12:09"},
            {"nn minutes", "Format", pm, "yyyy-mm-dd hh:nn:ss", "2026-12-06 14:05:09"},
            {"short forms", "Format", pm, "m/d/yy", "12/6/26"},
            {"names", "Format", pm, "dddd, mmmm d, yyyy", "Sunday, December 6, 2026"},
            {"abbreviations", "Format", pm, "ddd mmm", "Sun Dec"},
            {"quarter, day of year, weekday", "Format", pm, "q y w", "4 340 1"},
            {"week of year", "Format", pm, "ww", "50"},
            {"quoted literal", "Format", pm, "\"Date: \"mm/dd", "Date: 12/06"},
            {"general date", "Format", pm, "c", "12/6/2026 2:05:09 PM"},
            {"Long Date", "Format", pm, "Long Date", "Sunday, December 6, 2026"},
            {"Medium Date", "Format", pm, "Medium Date", "06-Dec-26"},
            {"date, no pattern", "Format", pm, "", "12/6/2026 2:05:09 PM"},
            {"date text", "Format", V("12/6/2026"), "yyyy-mm-dd", "2026-12-06"},
            {"number as serial", "Format", V(1.5), "mm/dd/yyyy hh:nn", "12/31/1899 12:00"},
            {"serial past the last date", "Format", V(3e6), "mm/dd/yyyy", "error 6"},
        });
    }
    void calls() {
        QFETCH(QString, call);
        QFETCH(Variant, value);
        QFETCH(QString, option);
        QFETCH(QString, result);
        QVERIFY2(::calls().count(call), qPrintable(call));
        QString actual;
        const Raised r = raised([&] { actual = ::calls().at(call)(value, option); });
        QCOMPARE(r.number ? QStringLiteral("error %1").arg(r.number) : actual, result);
    }

    void serials_data() {
        // both false: from the date and time only
        addColumns<QString, double, bool>("dateTime", "serial", "both");
        addRows<const char*, double, bool>({
            {"epoch", "1899-12-30T00:00:00", 0.0, true},
            {"epoch noon", "1899-12-30T12:00:00", 0.5, true},
            {"before the epoch keeps the time positive", "1899-12-29T12:00:00", -1.5, true},
            {"afternoon", "2026-12-06T14:05:09", 46362 + 50709 / 86400.0, true},
            {"first date", "0100-01-01T00:00:00", -657434.0, true},
            {"last date", "9999-12-31T00:00:00", 2958465.0, true},
            {"milliseconds round down", "2026-12-06T10:00:00.499", 46362 + 10 / 24.0, false},
            {"milliseconds round into the next day", "2026-12-06T23:59:59.500", 46363.0, false},
        });
    }
    // Both directions between Qt's date and time and the serial.
    void serials() {
        QFETCH(QString, dateTime);
        QFETCH(double, serial);
        QFETCH(bool, both);
        const QDateTime when = at(dateTime);
        QCOMPARE(exact(vrt::toSerial(when).serial), exact(serial));
        if (when.time() == QTime(0, 0))
            QCOMPARE(exact(vrt::toSerial(when.date()).serial), exact(serial));
        if (both)
            QCOMPARE(vrt::toDateTime(Date{serial}), when);
    }

    void serialsOutsideTheRange() {
        QCOMPARE(vrt::toDateTime(Date{-0.25}), at("1899-12-30T06:00:00"));
        QCOMPARE(vrt::toDateTime(Date{2 + 0.4 / 86400}), at("1900-01-01T00:00:00"));
        QCOMPARE(vrt::toDateTime(Date{1.9999999}), at("1900-01-01T00:00:00"));
        for (double outside : {2958466.0, -657435.0, NaN})
            QCOMPARE(vrt::toDateTime(Date{outside}), QDateTime());
    }

    void clock() {
        const double today = vrt::Today().serial;
        QCOMPARE(today, std::floor(today));
        const double time = vrt::TimeOfDay().serial;
        QVERIFY(time >= 0 && time < 1);
        const double now = vrt::Now().serial;
        QVERIFY(now >= today && now < today + 2);
    }

    void concat_data() {
        addColumns<Variant, Variant, Variant>("a", "b", "result");
        addRows<Variant, Variant, Variant>({
            {"Null left", Variant::null(), Variant("a"), Variant("a")},
            {"Null right", Variant("a"), Variant::null(), Variant("a")},
            {"both Null", Variant::null(), Variant::null(), Variant::null()},
            {"Empty and Null", Variant(), Variant::null(), Variant("")},
            {"Double", Variant("a"), Variant(1.5), Variant("a1.5")},
            {"Integer", Variant("n="), Variant(int16_t(5)), Variant("n=5")},
            {"Boolean", Variant(true), Variant("!"), Variant("True!")},
            {"Date", Variant("on "), dateValue("2026-12-06T00:00:00"), Variant("on 12/6/2026")},
        });
    }
    void concat() {
        QFETCH(Variant, a);
        QFETCH(Variant, b);
        QFETCH(Variant, result);
        const Variant actual = vrt::concat(a, b);
        QCOMPARE(actual.isNull(), result.isNull());
        QVERIFY(actual == result);
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
