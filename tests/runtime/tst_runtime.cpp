#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "platform/runtime/variant.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/printcapture.h"
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

Variant dateValue(const QString& iso) {
    return Variant(vrt::toSerial(at(iso)));
}

// A value as a transcript writes it: "text", 1.5, 5% (an Integer), True,
// Empty, Null, Array(), #2026-12-06T14:05:09# (local) or Date(-1.5).
Variant takeValue(QString& text) {
    if (text.startsWith(u'"'))
        return Variant(takeQuoted(text));
    const QString word = text.section(u' ', 0, 0);
    text = text.mid(word.size()).trimmed();
    static const std::map<QString, Variant> named{{"True", Variant(true)},
                                                  {"False", Variant(false)},
                                                  {"Empty", Variant()},
                                                  {"Null", Variant::null()},
                                                  {"Array()", Variant::array({})}};
    if (named.count(word))
        return named.at(word);
    if (word.startsWith(u'#'))
        return dateValue(word.mid(1, word.size() - 2));
    if (word.startsWith(QLatin1String("Date(")))
        return Variant(Date{word.mid(5, word.size() - 6).toDouble()});
    if (word.endsWith(u'%'))
        return Variant(int16_t(word.chopped(1).toShort()));
    bool ok = false;
    const double number = word.toDouble(&ok);
    if (!ok)
        qFatal("not a value: %s", qPrintable(word));
    return Variant(number);
}

// The shortest text that reads back as the same double: exact to the last bit.
QString exact(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

QString truth(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

using Call = std::function<Variant(const Variant& value, const Variant& option)>;

// The runtime's functions under their own names.
const std::map<QString, Call>& calls() {
    static const std::map<QString, Call> m{
        {"CStr", [](const Variant& v, const Variant&) { return v.toString(); }},
        {"CInt", [](const Variant& v, const Variant&) { return QString::number(v.toInteger()); }},
        {"CLng", [](const Variant& v, const Variant&) { return QString::number(v.toLong()); }},
        {"CBool", [](const Variant& v, const Variant&) { return truth(v.toBool()); }},
        {"Round",
         [](const Variant& v, const Variant& o) {
             return exact(vrt::roundHalfEven(v.toDouble(), o.toInteger()));
         }},
        {"Val", [](const Variant& v, const Variant&) { return exact(vrt::Val(v.toString())); }},
        {"CDbl",
         [](const Variant& v, const Variant&) {
             const auto n = vrt::parseNumber(v.toString());
             return n ? exact(*n) : QStringLiteral("not a number");
         }},
        {"CDate",
         [](const Variant& v, const Variant&) {
             const auto d = vrt::parseDate(v.toString());
             return d ? vrt::toDateTime(*d).toString(Qt::ISODate) : QStringLiteral("not a date");
         }},
        {"IsNumeric", [](const Variant& v, const Variant&) { return truth(vrt::IsNumeric(v)); }},
        {"IsDate", [](const Variant& v, const Variant&) { return truth(vrt::IsDate(v)); }},
        {"Trim", [](const Variant& v, const Variant&) { return vrt::Trim(v.toString()); }},
        {"LTrim", [](const Variant& v, const Variant&) { return vrt::LTrim(v.toString()); }},
        {"RTrim", [](const Variant& v, const Variant&) { return vrt::RTrim(v.toString()); }},
        {"UCase", [](const Variant& v, const Variant&) { return vrt::UCase(v.toString()); }},
        {"Format", [](const Variant& v, const Variant& o) { return vrt::Format(v, o.toString()); }},
        {"&", [](const Variant& a, const Variant& b) { return vrt::concat(a, b); }},
    };
    return m;
}

} // namespace

class TestRuntime : public QObject {
    Q_OBJECT

private slots:
    // Each call of the transcript with its result, or "error N" for a
    // run-time error.
    void calls() {
        VERIFY_TRANSCRIPT(QStringLiteral("runtime/expected/calls.txt"), [](const QString& input) {
            QString rest = input.section(u' ', 1);
            const auto call = ::calls().find(input.section(u' ', 0, 0));
            const Variant value = takeValue(rest);
            const Variant option = rest.isEmpty() ? Variant() : takeValue(rest);
            if (call == ::calls().end())
                return QStringLiteral("no such call");
            Variant actual;
            const Raised r = raised([&] { actual = call->second(value, option); });
            return r.number          ? QStringLiteral("error %1").arg(r.number)
                   : actual.isNull() ? QStringLiteral("Null")
                                     : quotedText(actual.toString());
        });
        // A month and day alone are of this year.
        QCOMPARE(::calls().at(QStringLiteral("CDate"))(Variant("12/6"), Variant()).toString(),
                 QStringLiteral("%1-12-06T00:00:00").arg(QDate::currentDate().year()));
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
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
