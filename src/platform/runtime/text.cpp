#include "text.h"

#include "datetime.h"

#include <QDate>
#include <QList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace vrt {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int digitIn(QChar c, int base) {
    const char16_t u = c.unicode();
    int v = 99;
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < base ? v : -1;
}

// Decimal digits (with an optional point) times a power of ten. Out of range,
// a large value is an overflow (6) and a tiny one is zero, as the runtime has it.
double decimalToDouble(const std::string& mantissa, long exponent) {
    const auto first = mantissa.find_first_not_of("0.");
    if (first == std::string::npos)
        return 0;
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const long leading = first < point ? long(point - first) - 1 : -long(first - point);
    if (leading + exponent > 400)
        raise(err::Overflow);
    if (leading + exponent < -400)
        return 0;
    const std::string text = mantissa + 'e' + std::to_string(exponent);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (leading + exponent > 0)
            raise(err::Overflow);
        return 0;
    }
    return value;
}

struct Scanned {
    double value = 0;
    qsizetype end = 0;
    bool digits = false; // false: nothing numeric at the start
};

// "&H1F" / "&O17" at pos. Literals that fit 16 bits are Integers and those
// that fit 32 bits Longs, both signed, so &HFFFF is -1; a trailing '&' makes
// the value a Long (&HFFFF& is 65535).
std::optional<Scanned> scanRadix(const QString& s, qsizetype pos) {
    if (pos + 1 >= s.size() || s[pos] != u'&')
        return std::nullopt;
    const QChar kind = s[pos + 1].toUpper();
    const int base = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
    if (base == 0)
        return std::nullopt;
    Scanned out;
    out.end = pos + 2;
    uint64_t v = 0;
    for (int d; out.end < s.size() && (d = digitIn(s[out.end], base)) >= 0; ++out.end) {
        v = v * base + d;
        if (v > 0xFFFFFFFFu)
            raise(err::Overflow);
        out.digits = true;
    }
    bool asLong = false;
    if (out.digits && out.end < s.size() && s[out.end] == u'&') {
        asLong = true;
        ++out.end;
    }
    if (!asLong && v <= 0xFFFF)
        out.value = static_cast<int16_t>(static_cast<uint16_t>(v));
    else
        out.value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return out;
}

// Digits, one point and an exponent at pos. With commas, thousands separators
// are taken between integer digits wherever they stand, as CDbl does. An
// exponent letter without digits after it is not part of the number.
Scanned scanDecimal(const QString& s, qsizetype pos, bool commas) {
    Scanned out;
    std::string mantissa;
    qsizetype i = pos;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            mantissa += char(s[i].unicode());
            out.digits = true;
        } else if (commas && s[i] == u',' && out.digits && i + 1 < s.size() && isDigit(s[i + 1])) {
            continue;
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == u'.') {
        mantissa += '.';
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            mantissa += char(s[i].unicode());
            out.digits = true;
        }
    }
    out.end = i;
    if (!out.digits)
        return out;
    long exponent = 0;
    if (i < s.size() && QStringLiteral("eEdD").contains(s[i])) {
        qsizetype j = i + 1;
        bool negative = false;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            negative = s[j++] == u'-';
        if (j < s.size() && isDigit(s[j])) {
            for (; j < s.size() && isDigit(s[j]); ++j)
                exponent = std::min(exponent * 10 + (s[j].unicode() - u'0'), 100000L);
            out.end = j;
            if (negative)
                exponent = -exponent;
        }
    }
    out.value = decimalToDouble(mantissa, exponent);
    return out;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// ---- dates ----------------------------------------------------------------

const char* const kMonths[] = {"january",   "february", "march",    "april",
                               "may",       "june",     "july",     "august",
                               "september", "october",  "november", "december"};
const char* const kWeekdays[] = {"sunday",   "monday", "tuesday", "wednesday",
                                 "thursday", "friday", "saturday"};

// Full name or its first three letters; 0 when the word is none of them.
int nameIndex(const QString& word, const char* const* names, int count) {
    const QString w = word.toLower();
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromLatin1(names[i]);
        if (w == name || (w.size() == 3 && name.startsWith(w)))
            return i + 1;
    }
    return 0;
}

struct DateToken {
    enum Kind { Number, Word, Separator } kind;
    QString text;
    int value = 0;
    QChar sep;
};

bool tokenize(const QString& text, QList<DateToken>& out) {
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        qsizetype j = i + 1;
        if (isDigit(c)) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            if (j - i > 4)
                return false;
            out.append({DateToken::Number, text.mid(i, j - i), text.mid(i, j - i).toInt(), {}});
        } else if (c.isLetter()) {
            while (j < text.size() && text[j].isLetter())
                ++j;
            out.append({DateToken::Word, text.mid(i, j - i), 0, {}});
        } else if (isBlank(c)) {
            while (j < text.size() && isBlank(text[j]))
                ++j;
            out.append({DateToken::Separator, {}, 0, u' '});
        } else if (QStringLiteral("/-:,.").contains(c)) {
            out.append({DateToken::Separator, {}, 0, c});
        } else {
            return false;
        }
        i = j;
    }
    return true;
}

int amPm(const DateToken& t) {
    if (t.kind != DateToken::Word)
        return 0;
    if (t.text.compare(QLatin1String("AM"), Qt::CaseInsensitive) == 0)
        return 1;
    if (t.text.compare(QLatin1String("PM"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

bool isSep(const QList<DateToken>& t, qsizetype i, QChar c) {
    return i < t.size() && t[i].kind == DateToken::Separator && t[i].sep == c;
}

bool isNumber(const QList<DateToken>& t, qsizetype i) {
    return i < t.size() && t[i].kind == DateToken::Number;
}

// A number of three or more digits, or above 31, can only be a year.
bool yearLike(const DateToken& t) {
    return t.text.size() >= 3 || t.value > 31;
}

int fullYear(const DateToken& t) {
    if (t.text.size() >= 3)
        return t.value;
    return t.value < 30 ? 2000 + t.value : 1900 + t.value;
}

std::optional<QDate> makeDate(int year, int month, int day) {
    if (year < 100 || year > 9999 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

// Month first; when that is no date, day first, as the runtime falls back.
std::optional<QDate> monthOrDayFirst(int year, int a, int b) {
    if (auto d = makeDate(year, a, b))
        return d;
    return makeDate(year, b, a);
}

std::optional<QDate> dateFrom(const QList<DateToken>& n, int month) {
    const int thisYear = currentDateTime().date().year();
    if (month != 0) {
        if (n.size() == 2)
            return yearLike(n[0]) ? makeDate(fullYear(n[0]), month, n[1].value)
                                  : makeDate(fullYear(n[1]), month, n[0].value);
        if (n.size() == 1)
            return yearLike(n[0]) ? makeDate(fullYear(n[0]), month, 1)
                                  : makeDate(thisYear, month, n[0].value);
        return std::nullopt;
    }
    if (n.size() == 3) {
        if (yearLike(n[0]))
            return makeDate(fullYear(n[0]), n[1].value, n[2].value);
        return monthOrDayFirst(fullYear(n[2]), n[0].value, n[1].value);
    }
    if (n.size() == 2) {
        if (yearLike(n[1]))
            return makeDate(fullYear(n[1]), n[0].value, 1);
        if (yearLike(n[0]))
            return makeDate(fullYear(n[0]), n[1].value, 1);
        return monthOrDayFirst(thisYear, n[0].value, n[1].value);
    }
    return std::nullopt;
}

} // namespace

QString doubleToText(double value) {
    if (value == 0)
        return QStringLiteral("0");
    char buffer[40];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
    return QString::fromLatin1(buffer, end - buffer).toUpper();
}

// The rounding digit is judged on the value taken to 15 significant digits,
// as the runtime does, so binary noise does not decide a tie: 2.675 (stored
// as 2.67499999...) is a tie at 2 decimals and goes to 2.68, 0.125 to 0.12.
// Past 15 digits there is no noise to remove and the value is rounded as it
// is stored.
double roundHalfEven(double value, int decimals) {
    if (decimals < 0)
        raise(err::InvalidProcedureCall);
    if (!std::isfinite(value))
        return value;
    if (value == 0)
        return 0;
    char buffer[40];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value),
                   std::chars_format::scientific, 14)
         .ptr = '\0';
    // buffer: "d.ddddddddddddde+XX"
    const std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 14);
    const int exponent = std::atoi(buffer + 17);
    const int kept = exponent + 1 + decimals;
    if (kept >= 15)
        return decimals == 0 ? std::nearbyint(value) : value;
    if (kept < 0)
        return 0;
    std::string m = digits.substr(0, size_t(kept));
    const bool rest = digits.find_first_not_of('0', size_t(kept) + 1) != std::string::npos;
    const char next = digits[size_t(kept)];
    const bool odd = !m.empty() && (m.back() - '0') % 2 == 1;
    if (next > '5' || (next == '5' && (rest || odd))) {
        int i = int(m.size()) - 1;
        for (; i >= 0 && m[size_t(i)] == '9'; --i)
            m[size_t(i)] = '0';
        if (i < 0)
            m.insert(m.begin(), '1');
        else
            ++m[size_t(i)];
    }
    if (m.empty())
        return 0;
    const double rounded = decimalToDouble(m, -decimals);
    if (rounded == 0)
        return 0;
    return value < 0 ? -rounded : rounded;
}

std::optional<double> decimalNumber(const QString& text) {
    // [+-]digits[.digits] or [+-].digits, then an optional [eE][+-]digits,
    // between spaces (a line feed may close it). Scanned by hand: every
    // cell of an entry screen is judged through here as it is drawn.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    if (end > begin && text[end - 1] == u'\n')
        --end;
    const auto digit = [&](qsizetype i) { return i < end && text[i] >= u'0' && text[i] <= u'9'; };
    qsizetype i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    for (; digit(i); ++i)
        ++digits;
    if (i < end && text[i] == u'.')
        for (++i; digit(i); ++i)
            ++digits;
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (!digit(i))
            return std::nullopt;
        while (digit(i))
            ++i;
    }
    if (i != end)
        return std::nullopt;
    // Only ASCII digits, signs, a point and an exponent are left.
    char buffer[64];
    const qsizetype n = end - begin;
    if (n >= qsizetype(sizeof buffer))
        return QStringView(text).mid(begin, n).toDouble();
    for (qsizetype k = 0; k < n; ++k)
        buffer[k] = char(text[begin + k].unicode());
    // from_chars takes no plus sign.
    const char* first = buffer + (buffer[0] == '+' ? 1 : 0);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, buffer + n, value);
    if (ec == std::errc::result_out_of_range || ptr != buffer + n)
        return QStringView(text).mid(begin, n).toDouble();
    return value;
}

std::optional<double> parseNumber(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    const QString s = text.mid(begin, end - begin);
    if (auto radix = scanRadix(s, 0)) {
        if (radix->digits && radix->end == s.size())
            return radix->value;
        return std::nullopt;
    }
    // Accounting forms: "(5)", "-$5", "$-5", "5-".
    qsizetype i = 0;
    qsizetype last = s.size();
    const bool parens = s.startsWith(u'(') && s.endsWith(u')');
    if (parens) {
        ++i;
        --last;
    }
    bool negative = false;
    bool sign = false;
    bool currency = false;
    for (; i < last; ++i) {
        if (!sign && (s[i] == u'+' || s[i] == u'-')) {
            sign = true;
            negative = s[i] == u'-';
        } else if (!currency && s[i] == u'$') {
            currency = true;
        } else {
            break;
        }
    }
    const Scanned number = scanDecimal(s.left(last), i, true);
    if (!number.digits)
        return std::nullopt;
    i = number.end;
    if (!sign && i < last && (s[i] == u'+' || s[i] == u'-')) {
        sign = true;
        negative = s[i++] == u'-';
    }
    if (i != last || (parens && sign))
        return std::nullopt;
    if (number.value == 0)
        return 0.0;
    return negative || parens ? -number.value : number.value;
}

std::optional<Date> parseDate(const QString& text) {
    QList<DateToken> t;
    if (!tokenize(text, t))
        return std::nullopt;

    QList<DateToken> numbers;
    int month = 0;
    bool hasTime = false;
    int hour = 0, minute = 0, second = 0, meridiem = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const DateToken& tok = t[i];
        if (tok.kind == DateToken::Number) {
            qsizetype next = i + 1;
            if (isSep(t, next, u' '))
                ++next;
            const bool clock = isSep(t, i + 1, u':') && isNumber(t, i + 2);
            if (!clock && !(next < t.size() && amPm(t[next]))) {
                numbers.append(tok);
                continue;
            }
            if (hasTime)
                return std::nullopt;
            hasTime = true;
            hour = tok.value;
            if (clock) {
                minute = t[i + 2].value;
                i += 2;
                if (isSep(t, i + 1, u':') && isNumber(t, i + 2)) {
                    second = t[i + 2].value;
                    i += 2;
                }
                next = i + 1;
                if (isSep(t, next, u' '))
                    ++next;
            }
            if (next < t.size() && amPm(t[next])) {
                meridiem = amPm(t[next]);
                i = next;
            }
        } else if (tok.kind == DateToken::Word) {
            if (const int m = nameIndex(tok.text, kMonths, 12)) {
                if (month != 0)
                    return std::nullopt;
                month = m;
            } else if (!nameIndex(tok.text, kWeekdays, 7)) {
                return std::nullopt;
            }
        } else if (tok.sep == u':') {
            return std::nullopt;
        } else if (tok.sep == u'.') {
            // Only after an abbreviated month name: "Dec. 6, 2026".
            if (i == 0 || t[i - 1].kind != DateToken::Word || month == 0)
                return std::nullopt;
        }
    }
    if (meridiem != 0) {
        if (hour > 12)
            return std::nullopt;
        hour = hour % 12 + (meridiem == 2 ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;

    double day = 0;
    if (!numbers.isEmpty() || month != 0) {
        const auto date = dateFrom(numbers, month);
        if (!date)
            return std::nullopt;
        day = toSerial(*date).serial;
    } else if (!hasTime) {
        return std::nullopt;
    }
    const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    return Date{day < 0 ? day - time : day + time};
}

double Val(const QString& text) {
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            s += c;
    }
    if (auto radix = scanRadix(s, 0))
        return radix->value;
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        negative = s[i++] == u'-';
    const Scanned number = scanDecimal(s, i, false);
    if (!number.digits || number.value == 0)
        return 0;
    return negative ? -number.value : number.value;
}

bool IsNumeric(const Variant& value) {
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Boolean:
        return true;
    case VarType::String:
        try {
            return parseNumber(value.toString()).has_value();
        } catch (const RuntimeError&) {
            return true; // a number too large for a Double is still numeric text
        }
    default:
        return false;
    }
}

bool IsDate(const Variant& value) {
    if (value.isDate())
        return true;
    return value.isString() && parseDate(value.toString()).has_value();
}

QString Trim(const QString& text) {
    return LTrim(RTrim(text));
}

QString LTrim(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    return text.mid(i);
}

QString RTrim(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ')
        --n;
    return text.left(n);
}

// Character by character, so the length never changes ("ß" stays "ß").
QString UCase(const QString& text) {
    QList<uint> codes = text.toUcs4();
    for (uint& c : codes)
        c = QChar::toUpper(c);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codes.constData()), codes.size());
}

qsizetype unstorableAt(const QString& text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return i;
        if (c.category() == QChar::Other_Control && c != u'\t' && c != u'\n' && c != u'\r')
            return i;
    }
    return -1;
}

QString unstorableName(QChar c) {
    return QStringLiteral("%1 U+%2").arg(
        c.isSurrogate() ? QStringLiteral("an unpaired surrogate")
                        : QStringLiteral("the control character"),
        QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
}

} // namespace vrt
