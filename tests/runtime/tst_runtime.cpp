#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "platform/runtime/variant.h"
#include "support/errors.h"
#include "support/metatypes.h"

#include <QtTest>
#include <cmath>

using vrt::Date;
using vrt::Variant;

namespace {

// The error number a call raises, 0 when it returns.
int errorOf(const std::function<void()>& f) {
    return raised(f).number;
}

// Serials from fixed local wall-clock values, so no row depends on the zone.
double serial(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return vrt::toSerial(QDateTime(QDate(y, m, d), QTime(h, mi, s))).serial;
}

// QCOMPARE on doubles is fuzzy; these must match to the last bit.
QString exact(double v) {
    return QString::number(v, 'g', 17);
}

Variant dateValue(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return Variant(Date{serial(y, m, d, h, mi, s)});
}

} // namespace

class TestRuntime : public QObject {
    Q_OBJECT

private slots:
    // Numbers as text
    void doubleToText_data();
    void doubleToText();
    void roundHalfEven_data();
    void roundHalfEven();
    void val_data();
    void val();
    void parseNumber_data();
    void parseNumber();
    void isNumeric_data();
    void isNumeric();
    void numberErrors_data();
    void numberErrors();
    void trimAndCase_data();
    void trimAndCase();

    // Dates
    void toSerial_data();
    void toSerial();
    void toDateTime_data();
    void toDateTime();
    void dateToText_data();
    void dateToText();
    void parseDate_data();
    void parseDate();
    void isDate_data();
    void isDate();
    void clock();

    // Format
    void formatNumber_data();
    void formatNumber();
    void formatDate_data();
    void formatDate();
    void formatErrors();

    // Variant conversions
    void variantToString_data();
    void variantToString();
    void variantToWhole_data();
    void variantToWhole();
    void variantToBool_data();
    void variantToBool();
    void concat_data();
    void concat();
};

// ---- numbers as text --------------------------------------------------------

void TestRuntime::doubleToText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
    QTest::newRow("fifteen digits") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("1e15 exponent") << 1e15 << "1E+15";
    QTest::newRow("fifteen integer digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("1e14 fixed") << 1e14 << "100000000000000";
    QTest::newRow("0.0001 fixed") << 0.0001 << "0.0001";
    QTest::newRow("0.00001 exponent") << 0.00001 << "1E-05";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("three exponent digits") << 1e100 << "1E+100";
    QTest::newRow("2^53") << 9007199254740992.0 << "9.00719925474099E+15";
    QTest::newRow("no grouping") << 1234567.5 << "1234567.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
}

void TestRuntime::doubleToText() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(vrt::doubleToText(value), text);
}

void TestRuntime::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.5") << 0.5 << 0 << 0.0;
    QTest::newRow("1.5") << 1.5 << 0 << 2.0;
    QTest::newRow("2.5") << 2.5 << 0 << 2.0;
    QTest::newRow("3.5") << 3.5 << 0 << 4.0;
    QTest::newRow("-2.5") << -2.5 << 0 << -2.0;
    QTest::newRow("below half") << 2.4999 << 0 << 2.0;
    QTest::newRow("above half") << 2.5001 << 0 << 3.0;
    QTest::newRow("2.675 is a tie at 15 digits") << 2.675 << 2 << 2.68;
    QTest::newRow("0.125 to even") << 0.125 << 2 << 0.12;
    QTest::newRow("0.135 to even") << 0.135 << 2 << 0.14;
    QTest::newRow("1.005 to even") << 1.005 << 2 << 1.0;
    QTest::newRow("carry") << 9.995 << 2 << 10.0;
    QTest::newRow("negative decimals") << -1234.5678 << 2 << -1234.57;
    QTest::newRow("under the last place") << 0.004 << 2 << 0.0;
    QTest::newRow("beyond 15 digits") << 123456789012345.5 << 0 << 123456789012346.0;
    QTest::newRow("Integer edge") << 32767.5 << 0 << 32768.0;
}

void TestRuntime::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, rounded);
    const double result = vrt::roundHalfEven(value, decimals);
    QCOMPARE(exact(result), exact(rounded));
    QVERIFY(!std::signbit(result) || result != 0);
}

void TestRuntime::val_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("spaces inside") << " 1 2 3" << 123.0;
    QTest::newRow("tabs and line feeds") << "\t\n4\t2" << 42.0;
    QTest::newRow("stops at letters") << "12abc" << 12.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("hex is a signed Integer") << "&HFFFF" << -1.0;
    QTest::newRow("hex past 16 bits") << "&H10000" << 65536.0;
    QTest::newRow("hex as Long") << "&HFFFF&" << 65535.0;
    QTest::newRow("hex without digits") << "&H" << 0.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("D exponent") << "1d2" << 100.0;
    QTest::newRow("exponent without digits") << "12e" << 12.0;
    QTest::newRow("negative with tail") << "-3.5x" << -3.5;
    QTest::newRow("sign then space") << "- 5" << -5.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("stops at a comma") << "1,000" << 1.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("text") << "abc" << 0.0;
    QTest::newRow("currency sign is not numeric") << "$5" << 0.0;
}

void TestRuntime::val() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(exact(vrt::Val(text)), exact(value));
}

void TestRuntime::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("spaces around") << " 12 " << true << 12.0;
    QTest::newRow("thousands") << "1,000" << true << 1000.0;
    QTest::newRow("thousands and decimals") << "1,000.25" << true << 1000.25;
    QTest::newRow("currency") << "$5" << true << 5.0;
    QTest::newRow("sign before currency") << "-$5" << true << -5.0;
    QTest::newRow("sign after currency") << "$-5" << true << -5.0;
    QTest::newRow("parentheses") << "(5)" << true << -5.0;
    QTest::newRow("trailing minus") << "5-" << true << -5.0;
    QTest::newRow("exponent") << "1e5" << true << 1e5;
    QTest::newRow("negative exponent") << "1E-2" << true << 0.01;
    QTest::newRow("hex") << "&H1F" << true << 31.0;
    QTest::newRow("octal") << "&O17" << true << 15.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("underflow") << "1e-400" << true << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("text") << "abc" << false << 0.0;
    QTest::newRow("number then text") << "12abc" << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("double comma") << "1,,000" << false << 0.0;
    QTest::newRow("comma after point") << "1.000,5" << false << 0.0;
    QTest::newRow("two signs") << "--5" << false << 0.0;
    QTest::newRow("sign in parentheses") << "(-5)" << false << 0.0;
    QTest::newRow("space inside") << "12 34" << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("bad hex digit") << "&HG" << false << 0.0;
    QTest::newRow("date") << "12/6/2026" << false << 0.0;
}

void TestRuntime::parseNumber() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const auto n = vrt::parseNumber(text);
    QCOMPARE(n.has_value(), ok);
    if (ok)
        QCOMPARE(exact(*n), exact(value));
}

void TestRuntime::isNumeric_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("Empty") << Variant() << true;
    QTest::newRow("Null") << Variant::null() << false;
    QTest::newRow("empty text") << Variant("") << false;
    QTest::newRow("spaces around") << Variant(" 12 ") << true;
    QTest::newRow("thousands") << Variant("1,000") << true;
    QTest::newRow("currency") << Variant("$5") << true;
    QTest::newRow("exponent") << Variant("1e5") << true;
    QTest::newRow("hex") << Variant("&H1F") << true;
    QTest::newRow("too large for a Double") << Variant("1e400") << true;
    QTest::newRow("text") << Variant("abc") << false;
    QTest::newRow("number then text") << Variant("12abc") << false;
    QTest::newRow("Boolean") << Variant(true) << true;
    QTest::newRow("Integer") << Variant(int16_t(5)) << true;
    QTest::newRow("Date") << dateValue(2026, 12, 6) << false;
    QTest::newRow("array") << Variant::array({Variant(1)}) << false;
}

void TestRuntime::isNumeric() {
    QFETCH(Variant, value);
    QFETCH(bool, numeric);
    QCOMPARE(vrt::IsNumeric(value), numeric);
}

void TestRuntime::numberErrors_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("error");
    QTest::newRow("CDbl overflow") << "parseNumber"
                                   << "1e400" << vrt::err::Overflow;
    QTest::newRow("CDbl hex past 32 bits") << "parseNumber"
                                           << "&H123456789" << vrt::err::Overflow;
    QTest::newRow("Val overflow") << "Val"
                                  << "1e400" << vrt::err::Overflow;
    QTest::newRow("Round negative decimals") << "Round"
                                             << "-1" << vrt::err::InvalidProcedureCall;
}

void TestRuntime::numberErrors() {
    QFETCH(QString, call);
    QFETCH(QString, argument);
    QFETCH(int, error);
    QCOMPARE(errorOf([&] {
                 if (call == QLatin1String("parseNumber"))
                     vrt::parseNumber(argument);
                 else if (call == QLatin1String("Val"))
                     vrt::Val(argument);
                 else
                     vrt::roundHalfEven(1.5, argument.toInt());
             }),
             error);
}

void TestRuntime::trimAndCase_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("Trim") << "Trim"
                          << "  a b  "
                          << "a b";
    QTest::newRow("Trim keeps tabs") << "Trim"
                                     << "\ta \t"
                                     << "\ta \t";
    QTest::newRow("Trim blank") << "Trim"
                                << "   "
                                << "";
    QTest::newRow("LTrim") << "LTrim"
                           << "  a  "
                           << "a  ";
    QTest::newRow("RTrim") << "RTrim"
                           << "  a  "
                           << "  a";
    QTest::newRow("UCase") << "UCase"
                           << "abc 12x"
                           << "ABC 12X";
    QTest::newRow("UCase accents") << "UCase" << QStringLiteral("é") << QStringLiteral("É");
    QTest::newRow("UCase keeps length") << "UCase" << QStringLiteral("ß") << QStringLiteral("ß");
}

void TestRuntime::trimAndCase() {
    QFETCH(QString, function);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QString actual;
    if (function == QLatin1String("Trim"))
        actual = vrt::Trim(text);
    else if (function == QLatin1String("LTrim"))
        actual = vrt::LTrim(text);
    else if (function == QLatin1String("RTrim"))
        actual = vrt::RTrim(text);
    else
        actual = vrt::UCase(text);
    QCOMPARE(actual, result);
}

// ---- dates ------------------------------------------------------------------

void TestRuntime::toSerial_data() {
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<double>("serial");
    QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("epoch noon") << QDateTime(QDate(1899, 12, 30), QTime(12, 0)) << 0.5;
    QTest::newRow("1900-01-01") << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << 2.0;
    QTest::newRow("before the epoch keeps the time positive")
        << QDateTime(QDate(1899, 12, 29), QTime(12, 0)) << -1.5;
    QTest::newRow("afternoon") << QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9))
                               << 46362 + 50709 / 86400.0;
    QTest::newRow("first date") << QDateTime(QDate(100, 1, 1), QTime(0, 0)) << -657434.0;
    QTest::newRow("last date") << QDateTime(QDate(9999, 12, 31), QTime(0, 0)) << 2958465.0;
    QTest::newRow("milliseconds round down")
        << QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0, 499)) << 46362 + 10 / 24.0;
    QTest::newRow("milliseconds round into the next day")
        << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 500)) << 46363.0;
}

void TestRuntime::toSerial() {
    QFETCH(QDateTime, dateTime);
    QFETCH(double, serial);
    QCOMPARE(exact(vrt::toSerial(dateTime).serial), exact(serial));
    if (dateTime.time() == QTime(0, 0))
        QCOMPARE(exact(vrt::toSerial(dateTime.date()).serial), exact(serial));
}

void TestRuntime::toDateTime_data() {
    QTest::addColumn<double>("serial");
    QTest::addColumn<QDateTime>("dateTime");
    QTest::newRow("epoch") << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    QTest::newRow("negative serial") << -1.5 << QDateTime(QDate(1899, 12, 29), QTime(12, 0));
    QTest::newRow("between -1 and 0") << -0.25 << QDateTime(QDate(1899, 12, 30), QTime(6, 0));
    QTest::newRow("afternoon") << 46362 + 50709 / 86400.0
                               << QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9));
    QTest::newRow("rounds to the second")
        << 2 + 0.4 / 86400 << QDateTime(QDate(1900, 1, 1), QTime(0, 0));
    QTest::newRow("rounds into the next day")
        << 1.9999999 << QDateTime(QDate(1900, 1, 1), QTime(0, 0));
    QTest::newRow("after the last date") << 2958466.0 << QDateTime();
    QTest::newRow("before the first date") << -657435.0 << QDateTime();
    QTest::newRow("not a number") << std::nan("") << QDateTime();
}

void TestRuntime::toDateTime() {
    QFETCH(double, serial);
    QFETCH(QDateTime, dateTime);
    QCOMPARE(vrt::toDateTime(Date{serial}), dateTime);
}

void TestRuntime::dateToText_data() {
    QTest::addColumn<double>("serial");
    QTest::addColumn<QString>("text");
    QTest::newRow("date only") << serial(2026, 12, 6) << "12/6/2026";
    QTest::newRow("date and time") << serial(2026, 12, 6, 14, 5, 9) << "12/6/2026 2:05:09 PM";
    QTest::newRow("morning") << serial(2026, 1, 5, 9, 3, 4) << "1/5/2026 9:03:04 AM";
    QTest::newRow("time only") << serial(1899, 12, 30, 14, 5, 9) << "2:05:09 PM";
    QTest::newRow("zero is midnight") << 0.0 << "12:00:00 AM";
    QTest::newRow("noon") << 0.5 << "12:00:00 PM";
    QTest::newRow("negative serial") << -1.5 << "12/29/1899 12:00:00 PM";
    QTest::newRow("under half a second") << 1 + 0.4 / 86400 << "12/31/1899";
    QTest::newRow("rounds to the next day") << 0.9999999 << "12/31/1899";
    QTest::newRow("four-digit year") << serial(100, 1, 1) << "1/1/0100";
}

void TestRuntime::dateToText() {
    QFETCH(double, serial);
    QFETCH(QString, text);
    QCOMPARE(vrt::dateToText(Date{serial}), text);
}

void TestRuntime::parseDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QDateTime>("expected"); // 1899-12-30 for a time alone

    const QDate dec6(2026, 12, 6);
    const QDate noDate(1899, 12, 30);
    auto at = [](QDate d, int h = 0, int m = 0, int s = 0) { return QDateTime(d, QTime(h, m, s)); };

    QTest::newRow("month first") << "12/6/2026" << true << at(dec6);
    QTest::newRow("dashes") << "12-6-2026" << true << at(dec6);
    QTest::newRow("year first") << "2026-12-06" << true << at(dec6);
    QTest::newRow("spaces around") << "  12/6/2026  " << true << at(dec6);
    QTest::newRow("two-digit year 26") << "12/6/26" << true << at(dec6);
    QTest::newRow("two-digit year 29") << "1/1/29" << true << at(QDate(2029, 1, 1));
    QTest::newRow("two-digit year 30") << "1/1/30" << true << at(QDate(1930, 1, 1));
    QTest::newRow("two-digit year 00") << "1/1/00" << true << at(QDate(2000, 1, 1));
    QTest::newRow("day first when the month cannot be")
        << "13/12/2026" << true << at(QDate(2026, 12, 13));
    QTest::newRow("leap day") << "2/29/2024" << true << at(QDate(2024, 2, 29));
    QTest::newRow("month and day: this year")
        << "12/6" << true << at(QDate(QDate::currentDate().year(), 12, 6));
    QTest::newRow("month name") << "Dec 6, 2026" << true << at(dec6);
    QTest::newRow("full month name") << "December 6, 2026" << true << at(dec6);
    QTest::newRow("abbreviation with point") << "Dec. 6, 2026" << true << at(dec6);
    QTest::newRow("day month year") << "6-Dec-2026" << true << at(dec6);
    QTest::newRow("weekday ignored") << "Sunday, December 6, 2026" << true << at(dec6);
    QTest::newRow("date and long time") << "12/6/2026 2:05:09 PM" << true << at(dec6, 14, 5, 9);
    QTest::newRow("date and 24-hour time") << "12/6/2026 14:05" << true << at(dec6, 14, 5);
    QTest::newRow("time first") << "2:05 PM 12/6/2026" << true << at(dec6, 14, 5);
    QTest::newRow("before the epoch") << "1899-12-29 12:00" << true << at(QDate(1899, 12, 29), 12);
    QTest::newRow("time alone") << "14:05" << true << at(noDate, 14, 5);
    QTest::newRow("PM") << "2:05 PM" << true << at(noDate, 14, 5);
    QTest::newRow("AM attached") << "9:30AM" << true << at(noDate, 9, 30);
    QTest::newRow("12 AM is midnight") << "12:30 AM" << true << at(noDate, 0, 30);
    QTest::newRow("hour and PM") << "12 PM" << true << at(noDate, 12);

    QTest::newRow("month 13, day 45") << "13/45/2026" << false << QDateTime();
    QTest::newRow("no Feb 29") << "2/29/2026" << false << QDateTime();
    QTest::newRow("empty") << "" << false << QDateTime();
    QTest::newRow("text") << "abc" << false << QDateTime();
    QTest::newRow("trailing word") << "12/6/2026 extra" << false << QDateTime();
    QTest::newRow("hour 25") << "12/6/2026 25:00" << false << QDateTime();
    QTest::newRow("minute 60") << "14:60" << false << QDateTime();
    QTest::newRow("13 PM") << "13:05 PM" << false << QDateTime();
    QTest::newRow("decimal number") << "1.5" << false << QDateTime();
    QTest::newRow("lone number") << "5" << false << QDateTime();
    QTest::newRow("five-digit year") << "12/6/20260" << false << QDateTime();
    QTest::newRow("month name alone") << "December" << false << QDateTime();
    QTest::newRow("two times") << "1:00 2:00" << false << QDateTime();
}

void TestRuntime::parseDate() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QDateTime, expected);
    const auto d = vrt::parseDate(text);
    QCOMPARE(d.has_value(), ok);
    if (ok)
        QCOMPARE(exact(d->serial), exact(vrt::toSerial(expected).serial));
}

void TestRuntime::isDate_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<bool>("date");
    QTest::newRow("Date") << dateValue(2026, 12, 6) << true;
    QTest::newRow("date text") << Variant("12/6/2026") << true;
    QTest::newRow("time text") << Variant("14:05") << true;
    QTest::newRow("other text") << Variant("abc") << false;
    QTest::newRow("number") << Variant(46362.0) << false;
    QTest::newRow("Null") << Variant::null() << false;
    QTest::newRow("Empty") << Variant() << false;
}

void TestRuntime::isDate() {
    QFETCH(Variant, value);
    QFETCH(bool, date);
    QCOMPARE(vrt::IsDate(value), date);
}

void TestRuntime::clock() {
    const double today = vrt::Today().serial;
    QCOMPARE(today, std::floor(today));
    const double time = vrt::TimeOfDay().serial;
    QVERIFY(time >= 0 && time < 1);
    const double now = vrt::Now().serial;
    QVERIFY(now >= today && now < today + 2);
}

// ---- Format -----------------------------------------------------------------

void TestRuntime::formatNumber_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::newRow("half away from zero") << Variant(0.125) << "0.00"
                                         << "0.13";
    QTest::newRow("2.345 at 15 digits") << Variant(2.345) << "0.00"
                                        << "2.35";
    QTest::newRow("negative half") << Variant(-1.005) << "0.00"
                                   << "-1.01";
    QTest::newRow("negative rounded to zero") << Variant(-0.001) << "0.00"
                                              << "0.00";
    QTest::newRow("whole half") << Variant(2.5) << "0"
                                << "3";
    QTest::newRow("negative whole half") << Variant(-2.5) << "0"
                                         << "-3";
    QTest::newRow("carry") << Variant(999.995) << "0.00"
                           << "1000.00";
    QTest::newRow("Integer") << Variant(int16_t(7)) << "0.00"
                             << "7.00";
    QTest::newRow("optional digits below one") << Variant(0.5) << "##0.00"
                                               << "0.50";
    QTest::newRow("more digits than placeholders") << Variant(1234.5) << "##0.00"
                                                   << "1234.50";
    QTest::newRow("negative with optional digits") << Variant(-1234.5) << "##0.00"
                                                   << "-1234.50";
    QTest::newRow("optional decimals") << Variant(1.5) << "0.##"
                                       << "1.5";
    QTest::newRow("optional decimals keep inner zeros") << Variant(1.05) << "0.##"
                                                        << "1.05";
    QTest::newRow("point kept") << Variant(5.0) << "#.##"
                                << "5.";
    QTest::newRow("no integer placeholder") << Variant(1.5) << ".00"
                                            << "1.50";
    QTest::newRow("padding zeros") << Variant(42.0) << "0000"
                                   << "0042";
    QTest::newRow("large") << Variant(1e20) << "0.00"
                           << "100000000000000000000.00";
    QTest::newRow("grouping") << Variant(1234567.891) << "#,##0.00"
                              << "1,234,567.89";
    QTest::newRow("thousands scale") << Variant(12345.0) << "0,"
                                     << "12";
    QTest::newRow("percent") << Variant(0.5) << "0%"
                             << "50%";
    QTest::newRow("literal text") << Variant(3.0) << "0.0 \"mg/dl\""
                                  << "3.0 mg/dl";
    QTest::newRow("bare letters are literal") << Variant(3.0) << "0.0 mg/dl"
                                              << "3.0 mg/dl";
    QTest::newRow("scientific") << Variant(1234.0) << "0.00E+00"
                                << "1.23E+03";
    QTest::newRow("scientific small") << Variant(0.000123) << "0.00E+00"
                                      << "1.23E-04";
    QTest::newRow("scientific carry") << Variant(9.999) << "0.00E+00"
                                      << "1.00E+01";
    QTest::newRow("negative section") << Variant(-5.0) << "0.00;(0.00)"
                                      << "(5.00)";
    QTest::newRow("zero section") << Variant(0.0) << "0.00;(0.00);\"none\""
                                  << "none";
    QTest::newRow("Standard") << Variant(1234.5) << "Standard"
                              << "1,234.50";
    QTest::newRow("Currency negative") << Variant(-1234.5) << "Currency"
                                       << "($1,234.50)";
    QTest::newRow("Yes/No") << Variant(2.0) << "Yes/No"
                            << "Yes";
    QTest::newRow("numeric text") << Variant("3.14159") << "0.00"
                                  << "3.14";
    QTest::newRow("text with thousands") << Variant(" 1,000 ") << "0.00"
                                         << "1000.00";
    QTest::newRow("other text unchanged") << Variant("abc") << "0.00"
                                          << "abc";
    QTest::newRow("Null") << Variant::null() << "0.00"
                          << "";
    QTest::newRow("Empty") << Variant() << "0.00"
                           << "";
    QTest::newRow("Boolean as number") << Variant(true) << "0.00"
                                       << "-1.00";
    QTest::newRow("Boolean without pattern") << Variant(true) << ""
                                             << "True";
    QTest::newRow("no pattern") << Variant(0.1 + 0.2) << ""
                                << "0.3";
    QTest::newRow("numeric text, no pattern") << Variant("012") << ""
                                              << "12";
    QTest::newRow("Date as number") << dateValue(2026, 12, 6, 12) << "0.00"
                                    << "46362.50";
}

void TestRuntime::formatNumber() {
    QFETCH(Variant, value);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(vrt::Format(value, pattern), text);
}

void TestRuntime::formatDate_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    const Variant afternoon = dateValue(2026, 12, 6, 14, 5, 9);
    const Variant midnight = dateValue(2026, 6, 15, 0, 30);
    const Variant noon = dateValue(2026, 6, 15, 12, 0);

    QTest::newRow("mm/dd/yyyy") << afternoon << "mm/dd/yyyy"
                                << "12/06/2026";
    QTest::newRow("hh:mm:ss AM/PM") << afternoon << "hh:mm:ss AM/PM"
                                    << "02:05:09 PM";
    QTest::newRow("HH:mm AM/PM") << afternoon << "HH:mm AM/PM"
                                 << "02:05 PM";
    QTest::newRow("24-hour without AM/PM") << afternoon << "hh:mm"
                                           << "14:05";
    QTest::newRow("lower-case am/pm") << afternoon << "h:mm am/pm"
                                      << "2:05 pm";
    QTest::newRow("A/P") << afternoon << "h A/P"
                         << "2 P";
    QTest::newRow("half past midnight") << midnight << "hh:mm AM/PM"
                                        << "12:30 AM";
    QTest::newRow("noon") << noon << "h:mm AM/PM"
                          << "12:00 PM";
    QTest::newRow("mm after hh is minutes") << afternoon << "hh mm"
                                            << "14 05";
    QTest::newRow("mm without hour is month") << afternoon << "mm:ss"
                                              << "12:09";
    QTest::newRow("nn minutes") << afternoon << "yyyy-mm-dd hh:nn:ss"
                                << "2026-12-06 14:05:09";
    QTest::newRow("short forms") << afternoon << "m/d/yy"
                                 << "12/6/26";
    QTest::newRow("names") << afternoon << "dddd, mmmm d, yyyy"
                           << "Sunday, December 6, 2026";
    QTest::newRow("abbreviations") << afternoon << "ddd mmm"
                                   << "Sun Dec";
    QTest::newRow("quarter, day of year, weekday") << afternoon << "q y w"
                                                   << "4 340 1";
    QTest::newRow("week of year") << afternoon << "ww"
                                  << "50";
    QTest::newRow("quoted literal") << afternoon << "\"Date: \"mm/dd"
                                    << "Date: 12/06";
    QTest::newRow("escaped letter") << afternoon << "\\d d"
                                    << "d 6";
    QTest::newRow("general date") << afternoon << "c"
                                  << "12/6/2026 2:05:09 PM";
    QTest::newRow("Short Date") << afternoon << "Short Date"
                                << "12/6/2026";
    QTest::newRow("Long Date") << afternoon << "Long Date"
                               << "Sunday, December 6, 2026";
    QTest::newRow("Medium Date") << afternoon << "Medium Date"
                                 << "06-Dec-26";
    QTest::newRow("Long Time") << afternoon << "Long Time"
                               << "2:05:09 PM";
    QTest::newRow("no pattern") << afternoon << ""
                                << "12/6/2026 2:05:09 PM";
    QTest::newRow("date text") << Variant("12/6/2026") << "yyyy-mm-dd"
                               << "2026-12-06";
    QTest::newRow("number as serial") << Variant(1.5) << "mm/dd/yyyy hh:nn"
                                      << "12/31/1899 12:00";
    QTest::newRow("negative serial") << Variant(-1.5) << "mm/dd/yyyy hh:nn"
                                     << "12/29/1899 12:00";
}

void TestRuntime::formatDate() {
    QFETCH(Variant, value);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(vrt::Format(value, pattern), text);
}

void TestRuntime::formatErrors() {
    QCOMPARE(errorOf([] { vrt::Format(Variant(3e6), QStringLiteral("mm/dd/yyyy")); }),
             vrt::err::Overflow);
    QCOMPARE(errorOf([] { vrt::dateToText(Date{-1e7}); }), vrt::err::Overflow);
    QCOMPARE(errorOf([] { vrt::Format(Variant::array({}), QStringLiteral("0")); }),
             vrt::err::TypeMismatch);
}

// ---- Variant conversions ----------------------------------------------------

void TestRuntime::variantToString_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");
    QTest::newRow("Double") << Variant(0.1 + 0.2) << "0.3" << 0;
    QTest::newRow("Double exponent") << Variant(1e15) << "1E+15" << 0;
    QTest::newRow("Integer") << Variant(int16_t(-5)) << "-5" << 0;
    QTest::newRow("Date") << dateValue(2026, 12, 6, 14, 5, 9) << "12/6/2026 2:05:09 PM" << 0;
    QTest::newRow("Date only") << dateValue(2026, 12, 6) << "12/6/2026" << 0;
    QTest::newRow("True") << Variant(true) << "True" << 0;
    QTest::newRow("Empty") << Variant() << "" << 0;
    QTest::newRow("Null") << Variant::null() << "" << vrt::err::InvalidUseOfNull;
}

void TestRuntime::variantToString() {
    QFETCH(Variant, value);
    QFETCH(QString, text);
    QFETCH(int, error);
    QString actual;
    QCOMPARE(errorOf([&] { actual = value.toString(); }), error);
    if (error == 0)
        QCOMPARE(actual, text);
}

void TestRuntime::variantToWhole_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<bool>("asLong");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("2.5 to even") << Variant(2.5) << false << 2 << 0;
    QTest::newRow("3.5 to even") << Variant(3.5) << false << 4 << 0;
    QTest::newRow("-2.5 to even") << Variant(-2.5) << false << -2 << 0;
    QTest::newRow("32767.5 overflows") << Variant(32767.5) << false << 0 << vrt::err::Overflow;
    QTest::newRow("-32768.5 fits") << Variant(-32768.5) << false << -32768 << 0;
    QTest::newRow("numeric text") << Variant("2.5") << false << 2 << 0;
    QTest::newRow("text with thousands") << Variant(" 1,000 ") << false << 1000 << 0;
    QTest::newRow("True") << Variant(true) << false << -1 << 0;
    QTest::newRow("Empty") << Variant() << false << 0 << 0;
    QTest::newRow("text") << Variant("abc") << false << 0 << vrt::err::TypeMismatch;
    QTest::newRow("Null") << Variant::null() << false << 0 << vrt::err::InvalidUseOfNull;
    QTest::newRow("Long beyond Integer") << Variant(40000.5) << true << 40000 << 0;
    QTest::newRow("Long overflow") << Variant(2147483647.5) << true << 0 << vrt::err::Overflow;
}

void TestRuntime::variantToWhole() {
    QFETCH(Variant, value);
    QFETCH(bool, asLong);
    QFETCH(int, expected);
    QFETCH(int, error);
    int actual = 0;
    QCOMPARE(errorOf([&] { actual = asLong ? value.toLong() : value.toInteger(); }), error);
    if (error == 0)
        QCOMPARE(actual, expected);
}

void TestRuntime::variantToBool_data() {
    QTest::addColumn<Variant>("value");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("true") << Variant("true") << true << 0;
    QTest::newRow("False") << Variant("False") << false << 0;
    QTest::newRow("zero text") << Variant("0") << false << 0;
    QTest::newRow("number text") << Variant("-1") << true << 0;
    QTest::newRow("Empty") << Variant() << false << 0;
    QTest::newRow("other text") << Variant("x") << false << vrt::err::TypeMismatch;
    QTest::newRow("Null") << Variant::null() << false << vrt::err::InvalidUseOfNull;
}

void TestRuntime::variantToBool() {
    QFETCH(Variant, value);
    QFETCH(bool, expected);
    QFETCH(int, error);
    bool actual = false;
    QCOMPARE(errorOf([&] { actual = value.toBool(); }), error);
    if (error == 0)
        QCOMPARE(actual, expected);
}

void TestRuntime::concat_data() {
    QTest::addColumn<Variant>("a");
    QTest::addColumn<Variant>("b");
    QTest::addColumn<Variant>("result");
    QTest::newRow("Null left") << Variant::null() << Variant("a") << Variant("a");
    QTest::newRow("Null right") << Variant("a") << Variant::null() << Variant("a");
    QTest::newRow("both Null") << Variant::null() << Variant::null() << Variant::null();
    QTest::newRow("Empty and Null") << Variant() << Variant::null() << Variant("");
    QTest::newRow("Double") << Variant("a") << Variant(1.5) << Variant("a1.5");
    QTest::newRow("Integer") << Variant("n=") << Variant(int16_t(5)) << Variant("n=5");
    QTest::newRow("Boolean") << Variant(true) << Variant("!") << Variant("True!");
    QTest::newRow("Date") << Variant("on ") << dateValue(2026, 12, 6) << Variant("on 12/6/2026");
}

void TestRuntime::concat() {
    QFETCH(Variant, a);
    QFETCH(Variant, b);
    QFETCH(Variant, result);
    const Variant actual = vrt::concat(a, b);
    QCOMPARE(actual.isNull(), result.isNull());
    QCOMPARE(actual.text(), result.text());
    QVERIFY(actual == result);
}

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
