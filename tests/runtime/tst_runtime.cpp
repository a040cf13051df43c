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
        {"Decimal",
         [](const Variant& v, const Variant&) {
             const auto n = vrt::decimalNumber(v.toString());
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
        // A month and day alone are of this year (the tests' clock: 2026).
        QCOMPARE(::calls().at(QStringLiteral("CDate"))(Variant("12/6"), Variant()).toString(),
                 QStringLiteral("2026-12-06T00:00:00"));
    }

    // Both directions between Qt's date and time and the serial.
    void serials() {
        VERIFY_TRANSCRIPT(QStringLiteral("runtime/expected/serials.txt"), [](const QString& input) {
            const auto iso = [](double serial) {
                const QDateTime t = vrt::toDateTime(Date{serial});
                return t.isValid() ? t.toString(Qt::ISODateWithMs) : QStringLiteral("invalid");
            };
            if (input.startsWith(QLatin1String("Date(")))
                return iso(input.mid(5, input.size() - 6).toDouble());
            const QDateTime when = at(input);
            const double serial = vrt::toSerial(when).serial;
            return exact(serial) +
                   (when.time() == QTime(0, 0) ? QStringLiteral(" (date alone ") +
                                                     exact(vrt::toSerial(when.date()).serial) + u')'
                                               : QString()) +
                   QStringLiteral(", back ") + iso(serial);
        });
        QCOMPARE(vrt::toDateTime(Date{NaN}), QDateTime());
    }

    // Every reading of the clock gives the moment the tests fixed, in any
    // time zone the tests run in.
    void clock() {
        QCOMPARE(Variant(vrt::Today()).toString(), QStringLiteral("12/8/2026"));
        QCOMPARE(Variant(vrt::TimeOfDay()).toString(), QStringLiteral("12:41:27 PM"));
        QCOMPARE(Variant(vrt::Now()).toString(), QStringLiteral("12/8/2026 12:41:27 PM"));
        QCOMPARE(vrt::Format(Variant(vrt::Now()), QStringLiteral("hh:mm:ss AM/PM")),
                 QStringLiteral("12:41:27 PM"));
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
