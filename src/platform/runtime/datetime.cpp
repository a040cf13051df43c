#include "datetime.h"

#include <mutex>

#include "text.h"

#include <QList>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace vrt {

namespace {

constexpr QDate kEpoch = QDate::fromJulianDay(2415019); // 1899-12-30
constexpr int kSecondsPerDay = 86400;

// A serial taken apart: the calendar day and the time of day to the second.
// Negative serials keep the time of day as a positive fraction.
struct Parts {
    QDate date;
    int seconds = 0;
};

std::optional<Parts> split(Date value) {
    const double serial = value.serial;
    if (!std::isfinite(serial) || serial <= -657435.0 || serial >= 2958466.0)
        return std::nullopt;
    const double day = std::trunc(serial);
    Parts p;
    p.seconds = int(std::lround(std::fabs(serial - day) * kSecondsPerDay));
    p.date = kEpoch.addDays(qint64(day));
    if (p.seconds >= kSecondsPerDay) {
        p.date = p.date.addDays(1);
        p.seconds -= kSecondsPerDay;
    }
    if (p.date.year() > 9999)
        return std::nullopt;
    return p;
}

// Formatting a date outside 1/1/100 .. 12/31/9999 is an overflow.
Parts partsOf(Date value) {
    const auto p = split(value);
    if (!p)
        raise(err::Overflow);
    return *p;
}

Date join(QDate date, int seconds) {
    if (!date.isValid())
        raise(err::InvalidProcedureCall);
    if (date.year() < 100 || date.year() > 9999)
        raise(err::Overflow);
    const double day = double(kEpoch.daysTo(date));
    const double time = double(seconds) / kSecondsPerDay;
    return Date{day < 0 ? day - time : day + time};
}

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}
QString fourDigits(int v) {
    return QStringLiteral("%1").arg(v, 4, 10, QLatin1Char('0'));
}

// 1 = Sunday, as the runtime counts.
int weekday(QDate d) {
    return d.dayOfWeek() % 7 + 1;
}

// ---- date patterns ----------------------------------------------------------

enum class Code {
    Literal,
    Day,
    Day2,
    DayAbbr,
    DayName,
    ShortDate,
    LongDate,
    Weekday,
    Week,
    Month,
    Month2,
    MonthAbbr,
    MonthName,
    Quarter,
    DayOfYear,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    AmPm,      // AM/PM, am/pm
    AP,        // A/P, a/p
    AmPmLocal, // AMPM: the regional designators
    LongTime,
    General,
};

struct Token {
    Code code;
    QString text; // literal text; for AM/PM codes the letter case to use
};

// Letters that start a date code; used to tell a date pattern from a number one.
bool startsDateCode(const QString& p, qsizetype i) {
    const QChar c = p[i].toLower();
    if (QStringLiteral("dmyhnswqc").contains(c))
        return true;
    if (c == u't')
        return p.mid(i, 5).compare(QLatin1String("ttttt"), Qt::CaseInsensitive) == 0;
    return p.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0 ||
           p.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0;
}

// Skips a quoted or escaped literal at i; false when there is none.
bool skipLiteral(const QString& p, qsizetype& i) {
    if (p[i] == u'"') {
        const qsizetype close = p.indexOf(u'"', i + 1);
        i = close < 0 ? p.size() : close + 1;
        return true;
    }
    if (p[i] == u'\\') {
        i = std::min(i + 2, p.size());
        return true;
    }
    return false;
}

// The first code decides: a digit placeholder makes a number pattern, a date
// code a date pattern, so "0.00 mg/dl" stays a number pattern.
bool isDatePattern(const QString& p) {
    for (qsizetype i = 0; i < p.size();) {
        if (skipLiteral(p, i))
            continue;
        if (p[i] == u'0' || p[i] == u'#')
            return false;
        if (startsDateCode(p, i))
            return true;
        ++i;
    }
    return false;
}

QList<Token> tokenizeDate(const QString& p) {
    QList<Token> out;
    auto literal = [&out](const QString& s) {
        if (!out.isEmpty() && out.last().code == Code::Literal)
            out.last().text += s;
        else
            out.append({Code::Literal, s});
    };
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        if (c == u'"') {
            const qsizetype close = p.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? p.size() : close;
            literal(p.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c == u'\\') {
            if (i + 1 < p.size())
                literal(p.mid(i + 1, 1));
            i += 2;
            continue;
        }
        if (p.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            out.append({Code::AmPm, p.mid(i, 1)});
            i += 5;
            continue;
        }
        if (p.mid(i, 4).compare(QLatin1String("AMPM"), Qt::CaseInsensitive) == 0) {
            out.append({Code::AmPmLocal, {}});
            i += 4;
            continue;
        }
        if (p.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            out.append({Code::AP, p.mid(i, 1)});
            i += 3;
            continue;
        }
        const QChar l = c.toLower();
        qsizetype run = 1;
        while (i + run < p.size() && p[i + run].toLower() == l)
            ++run;
        auto take = [&](Code code, qsizetype n) {
            out.append({code, {}});
            i += n;
        };
        switch (l.unicode()) {
        case u'd': {
            static const Code codes[] = {Code::Day,     Code::Day2,      Code::DayAbbr,
                                         Code::DayName, Code::ShortDate, Code::LongDate};
            const qsizetype n = std::min<qsizetype>(run, 6);
            take(codes[n - 1], n);
            break;
        }
        case u'm': {
            static const Code codes[] = {Code::Month, Code::Month2, Code::MonthAbbr,
                                         Code::MonthName};
            const qsizetype n = std::min<qsizetype>(run, 4);
            take(codes[n - 1], n);
            break;
        }
        case u'y':
            if (run >= 4)
                take(Code::Year4, 4);
            else if (run >= 2)
                take(Code::Year2, 2);
            else
                take(Code::DayOfYear, 1);
            break;
        case u'h':
            take(run >= 2 ? Code::Hour2 : Code::Hour, std::min<qsizetype>(run, 2));
            break;
        case u'n':
            take(run >= 2 ? Code::Minute2 : Code::Minute, std::min<qsizetype>(run, 2));
            break;
        case u's':
            take(run >= 2 ? Code::Second2 : Code::Second, std::min<qsizetype>(run, 2));
            break;
        case u'w':
            take(run >= 2 ? Code::Week : Code::Weekday, std::min<qsizetype>(run, 2));
            break;
        case u'q':
            take(Code::Quarter, 1);
            break;
        case u'c':
            take(Code::General, 1);
            break;
        case u't':
            if (run >= 5) {
                take(Code::LongTime, 5);
                break;
            }
            [[fallthrough]];
        default:
            literal(QString(c));
            ++i;
        }
    }
    // "m" right after an hour code (separators between are fine) is minutes.
    Code previous = Code::Literal;
    for (Token& t : out) {
        if (t.code == Code::Literal)
            continue;
        if (previous == Code::Hour || previous == Code::Hour2) {
            if (t.code == Code::Month)
                t.code = Code::Minute;
            else if (t.code == Code::Month2)
                t.code = Code::Minute2;
        }
        previous = t.code;
    }
    return out;
}

QString formatDate(Date value, const QString& pattern) {
    const Parts p = partsOf(value);
    const QList<Token> tokens = tokenizeDate(pattern);
    bool twelveHour = false;
    for (const Token& t : tokens)
        twelveHour |= t.code == Code::AmPm || t.code == Code::AP || t.code == Code::AmPmLocal;

    const QDate& d = p.date;
    const int hour = p.seconds / 3600;
    const int minute = p.seconds / 60 % 60;
    const int second = p.seconds % 60;
    const int shownHour = twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
    const bool pm = hour >= 12;
    auto cased = [](const QString& first, QString s) {
        return first.at(0).isLower() ? s.toLower() : s;
    };

    QString out;
    for (const Token& t : tokens) {
        switch (t.code) {
        case Code::Literal:
            out += t.text;
            break;
        case Code::Day:
            out += QString::number(d.day());
            break;
        case Code::Day2:
            out += twoDigits(d.day());
            break;
        case Code::DayAbbr:
            out += QString::fromLatin1(kDayNames[weekday(d) - 1]).left(3);
            break;
        case Code::DayName:
            out += QString::fromLatin1(kDayNames[weekday(d) - 1]);
            break;
        case Code::ShortDate:
            out += shortDate(value);
            break;
        case Code::LongDate:
            out += formatDate(value, QStringLiteral("dddd, mmmm d, yyyy"));
            break;
        case Code::Weekday:
            out += QString::number(weekday(d));
            break;
        case Code::Week: {
            // Week 1 is the week of January 1st, weeks starting on Sunday.
            const int jan1 = weekday(QDate(d.year(), 1, 1));
            out += QString::number((d.dayOfYear() + jan1 - 2) / 7 + 1);
            break;
        }
        case Code::Month:
            out += QString::number(d.month());
            break;
        case Code::Month2:
            out += twoDigits(d.month());
            break;
        case Code::MonthAbbr:
            out += QString::fromLatin1(kMonthNames[d.month() - 1]).left(3);
            break;
        case Code::MonthName:
            out += QString::fromLatin1(kMonthNames[d.month() - 1]);
            break;
        case Code::Quarter:
            out += QString::number((d.month() + 2) / 3);
            break;
        case Code::DayOfYear:
            out += QString::number(d.dayOfYear());
            break;
        case Code::Year2:
            out += twoDigits(d.year() % 100);
            break;
        case Code::Year4:
            out += fourDigits(d.year());
            break;
        case Code::Hour:
            out += QString::number(shownHour);
            break;
        case Code::Hour2:
            out += twoDigits(shownHour);
            break;
        case Code::Minute:
            out += QString::number(minute);
            break;
        case Code::Minute2:
            out += twoDigits(minute);
            break;
        case Code::Second:
            out += QString::number(second);
            break;
        case Code::Second2:
            out += twoDigits(second);
            break;
        case Code::AmPm:
            out += cased(t.text, pm ? QStringLiteral("PM") : QStringLiteral("AM"));
            break;
        case Code::AP:
            out += cased(t.text, pm ? QStringLiteral("P") : QStringLiteral("A"));
            break;
        case Code::AmPmLocal:
            out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
            break;
        case Code::LongTime:
            out += longTime(value);
            break;
        case Code::General:
            out += dateToText(value);
            break;
        }
    }
    return out;
}

// ---- number patterns --------------------------------------------------------

// |value| to `decimals` places, rounded half away from zero on the value
// taken to 15 significant digits, as Format does: 2.345 -> 2.35 although the
// stored double is 2.34499999... Integer digits come without leading zeros.
struct Fixed {
    std::string whole;
    std::string fraction;
};

std::string fifteenDigits(double absValue, int& exponent) {
    char buffer[40];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, absValue, std::chars_format::scientific, 14)
         .ptr = '\0';
    exponent = std::atoi(buffer + 17); // "d.ddddddddddddde+XX"
    return std::string(1, buffer[0]) + std::string(buffer + 2, 14);
}

void roundUp(std::string& digits) {
    int i = int(digits.size()) - 1;
    for (; i >= 0 && digits[size_t(i)] == '9'; --i)
        digits[size_t(i)] = '0';
    if (i < 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[size_t(i)];
}

Fixed toFixed(double absValue, int decimals) {
    int exponent = 0;
    const std::string digits = fifteenDigits(absValue, exponent);
    const int kept = exponent + 1 + decimals;
    std::string m; // round(|value| * 10^decimals)
    if (kept >= 15) {
        m = digits + std::string(size_t(kept - 15), '0');
    } else if (kept >= 0) {
        m = digits.substr(0, size_t(kept));
        if (digits[size_t(kept)] >= '5')
            roundUp(m);
    }
    if (m.size() < size_t(decimals) + 1)
        m.insert(0, size_t(decimals) + 1 - m.size(), '0');
    Fixed f;
    f.fraction = m.substr(m.size() - size_t(decimals));
    f.whole = m.substr(0, m.size() - size_t(decimals));
    f.whole.erase(0, std::min(f.whole.find_first_not_of('0'), f.whole.size()));
    return f;
}

struct NumberItem {
    enum Kind { Literal, Zero, Hash, Point, Exponent } kind;
    QString text; // literal text; for Exponent the letter
    bool fraction = false;
    bool exponentPlus = false;
    int exponentDigits = 0;
};

struct NumberPattern {
    QList<NumberItem> items;
    bool grouping = false;
    int scale = 0; // thousands dividers: "0," shows thousands
    bool percent = false;
    bool scientific = false;
};

bool isPlaceholder(QChar c) {
    return c == u'0' || c == u'#';
}

NumberPattern parseNumberPattern(const QString& p) {
    NumberPattern out;
    bool afterPoint = false;
    bool seenDigit = false;
    auto literal = [&out](const QString& s) {
        if (!out.items.isEmpty() && out.items.last().kind == NumberItem::Literal)
            out.items.last().text += s;
        else
            out.items.append(NumberItem{NumberItem::Literal, s});
    };
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        if (c == u'"') {
            const qsizetype close = p.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? p.size() : close;
            literal(p.mid(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == u'\\') {
            if (i + 1 < p.size())
                literal(p.mid(i + 1, 1));
            i += 2;
        } else if (isPlaceholder(c) && !out.scientific) {
            out.items.append(
                NumberItem{c == u'0' ? NumberItem::Zero : NumberItem::Hash, {}, afterPoint});
            seenDigit = true;
            ++i;
        } else if (c == u'.' && !afterPoint && !out.scientific) {
            out.items.append(NumberItem{NumberItem::Point, {}});
            afterPoint = true;
            ++i;
        } else if (c == u',' && !afterPoint && !out.scientific) {
            qsizetype j = i;
            while (j < p.size() && p[j] == u',')
                ++j;
            if (j < p.size() && isPlaceholder(p[j]))
                out.grouping |= seenDigit;
            else if (seenDigit)
                out.scale += int(j - i);
            i = j;
        } else if ((c == u'E' || c == u'e') && i + 2 < p.size() &&
                   (p[i + 1] == u'+' || p[i + 1] == u'-') && isPlaceholder(p[i + 2]) &&
                   !out.scientific) {
            NumberItem e{NumberItem::Exponent, QString(c)};
            e.exponentPlus = p[i + 1] == u'+';
            for (i += 2; i < p.size() && isPlaceholder(p[i]); ++i)
                e.exponentDigits += p[i] == u'0';
            out.items.append(e);
            out.scientific = true;
        } else {
            out.percent |= c == u'%';
            literal(QString(c));
            ++i;
        }
    }
    return out;
}

// Renders |value|; `nonZero` tells whether any digit shown is not zero, which
// is when a single-section pattern puts a minus in front.
QString formatNumber(double absValue, const NumberPattern& pat, bool& nonZero) {
    int wholeSlots = 0;
    int fractionSlots = 0;
    for (const NumberItem& it : pat.items) {
        if (it.kind == NumberItem::Zero || it.kind == NumberItem::Hash)
            ++(it.fraction ? fractionSlots : wholeSlots);
    }
    double x = absValue * (pat.percent ? 100.0 : 1.0) / std::pow(1000.0, pat.scale);
    int exponent = 0;
    Fixed f;
    if (pat.scientific) {
        // Shift so the mantissa fills the integer placeholders.
        const int shown = std::max(wholeSlots, 1);
        if (x != 0) {
            fifteenDigits(x, exponent);
            exponent -= shown - 1;
        }
        f = toFixed(x / std::pow(10.0, exponent), fractionSlots);
        if (int(f.whole.size()) > shown) {
            ++exponent;
            f = toFixed(x / std::pow(10.0, exponent), fractionSlots);
        }
    } else {
        f = toFixed(x, fractionSlots);
    }
    nonZero = !f.whole.empty() || f.fraction.find_first_not_of('0') != std::string::npos;

    // Integer digits fill the placeholders from the right; extra ones go to the
    // leftmost placeholder.
    QStringList whole(wholeSlots);
    {
        int slot = wholeSlots - 1;
        int fromRight = 0;
        int digitCount = 0;
        for (auto it = pat.items.crbegin(); it != pat.items.crend(); ++it) {
            if ((it->kind != NumberItem::Zero && it->kind != NumberItem::Hash) || it->fraction)
                continue;
            QString s;
            const int n = int(f.whole.size());
            auto put = [&](char digit) {
                if (pat.grouping && digitCount > 0 && digitCount % 3 == 0)
                    s.prepend(u',');
                s.prepend(QLatin1Char(digit));
                ++digitCount;
            };
            if (fromRight < n)
                put(f.whole[size_t(n - 1 - fromRight)]);
            else if (it->kind == NumberItem::Zero)
                put('0');
            ++fromRight;
            if (slot == 0) {
                for (int k = n - 1 - fromRight; k >= 0; --k)
                    put(f.whole[size_t(k)]);
            }
            whole[slot--] = s;
        }
    }
    // Optional decimals drop their trailing zeros.
    int fractionShown = fractionSlots;
    {
        int k = fractionSlots - 1;
        for (auto it = pat.items.crbegin(); it != pat.items.crend(); ++it) {
            if ((it->kind != NumberItem::Zero && it->kind != NumberItem::Hash) || !it->fraction)
                continue;
            if (it->kind == NumberItem::Hash && f.fraction[size_t(k)] == '0' &&
                fractionShown == k + 1)
                fractionShown = k;
            --k;
        }
    }

    QString out;
    int w = 0;
    int k = 0;
    for (const NumberItem& it : pat.items) {
        switch (it.kind) {
        case NumberItem::Literal:
            out += it.text;
            break;
        case NumberItem::Zero:
        case NumberItem::Hash:
            if (!it.fraction)
                out += whole[w++];
            else if (k < fractionShown)
                out += QLatin1Char(f.fraction[size_t(k++)]);
            break;
        case NumberItem::Point:
            if (wholeSlots == 0)
                out += QString::fromStdString(f.whole);
            out += u'.';
            break;
        case NumberItem::Exponent:
            out += it.text;
            if (exponent < 0)
                out += u'-';
            else if (it.exponentPlus)
                out += u'+';
            out += QStringLiteral("%1").arg(std::abs(exponent), it.exponentDigits, 10,
                                            QLatin1Char('0'));
            break;
        }
    }
    return out;
}

QStringList sections(const QString& p) {
    QStringList out;
    QString current;
    for (qsizetype i = 0; i < p.size();) {
        const qsizetype start = i;
        if (skipLiteral(p, i)) {
            current += p.mid(start, i - start);
        } else if (p[i] == u';') {
            out.append(current);
            current.clear();
            ++i;
        } else {
            current += p[i++];
        }
    }
    out.append(current);
    return out;
}

// Positive;negative;zero sections. Only a lone section shows a minus, and only
// when some digit shown is not zero: -0.001 with "0.00" gives "0.00".
QString formatNumber(double value, const QString& pattern) {
    const QStringList parts = sections(pattern);
    if (value < 0 && parts.size() > 1 && !parts[1].isEmpty()) {
        bool nonZero = false;
        return formatNumber(-value, parseNumberPattern(parts[1]), nonZero);
    }
    if (value == 0 && parts.size() > 2 && !parts[2].isEmpty()) {
        bool nonZero = false;
        return formatNumber(0, parseNumberPattern(parts[2]), nonZero);
    }
    bool nonZero = false;
    const QString text = formatNumber(std::fabs(value), parseNumberPattern(parts[0]), nonZero);
    return value < 0 && nonZero ? u'-' + text : text;
}

// Named formats with en-US settings.
QString namedPattern(const QString& name) {
    static const struct {
        const char* name;
        const char* pattern;
    } kNamed[] = {
        {"General Date", "c"},
        {"Long Date", "dddddd"},
        {"Medium Date", "dd-mmm-yy"},
        {"Short Date", "ddddd"},
        {"Long Time", "ttttt"},
        {"Medium Time", "hh:mm AM/PM"},
        {"Short Time", "hh:mm"},
        {"Currency", "$#,##0.00;($#,##0.00)"},
        {"Fixed", "0.00"},
        {"Standard", "#,##0.00"},
        {"Percent", "0.00%"},
        {"Scientific", "0.00E+00"},
    };
    for (const auto& n : kNamed) {
        if (name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(n.pattern);
    }
    return name;
}

} // namespace

// The date and time as the value shows them, whatever its zone: the runtime's
// dates are wall-clock values and carry none.
Date toSerial(const QDateTime& dateTime) {
    if (!dateTime.isValid())
        raise(err::InvalidProcedureCall);
    const int seconds = (dateTime.time().msecsSinceStartOfDay() + 500) / 1000;
    if (seconds >= kSecondsPerDay)
        return join(dateTime.date().addDays(1), seconds - kSecondsPerDay);
    return join(dateTime.date(), seconds);
}

Date toSerial(const QDate& date) {
    return join(date, 0);
}

QDateTime toDateTime(Date date) {
    const auto p = split(date);
    if (!p)
        return {};
    return QDateTime(p->date, QTime::fromMSecsSinceStartOfDay(p->seconds * 1000));
}

QDate dayOf(Date date) {
    return partsOf(date).date;
}

QString shortDate(Date date) {
    const QDate d = partsOf(date).date;
    return QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(fourDigits(d.year()));
}

QString longTime(Date date) {
    const int s = partsOf(date).seconds;
    const int hour = s / 3600;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour % 12 == 0 ? 12 : hour % 12)
        .arg(twoDigits(s / 60 % 60), twoDigits(s % 60),
             hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString dateToText(Date date) {
    const Parts p = partsOf(date);
    if (p.date == kEpoch)
        return longTime(date);
    if (p.seconds == 0)
        return shortDate(date);
    return shortDate(date) + u' ' + longTime(date);
}

namespace {
std::mutex clockMutex;
QDateTime fixedNow;
} // namespace

QDateTime currentDateTime() {
    {
        const std::lock_guard lock(clockMutex);
        if (fixedNow.isValid())
            return fixedNow;
    }
    return QDateTime::currentDateTime();
}

void setFixedNow(const QDateTime& moment) {
    const std::lock_guard lock(clockMutex);
    // Kept as a wall-clock reading: the same date and time in every zone.
    fixedNow = moment.isValid() ? QDateTime(moment.date(), moment.time()) : QDateTime();
}

Date Now() {
    return toSerial(currentDateTime());
}

Date Today() {
    return toSerial(currentDateTime().date());
}

Date TimeOfDay() {
    const int seconds = (currentDateTime().time().msecsSinceStartOfDay() + 500) / 1000;
    return Date{double(seconds % kSecondsPerDay) / kSecondsPerDay};
}

QString Format(const Variant& value, const QString& pattern) {
    if (value.isNull() || value.isEmpty())
        return {};
    const QString p = namedPattern(pattern);
    const bool datePattern = isDatePattern(p);

    double number = 0;
    bool isDateValue = false;
    switch (value.type()) {
    case VarType::String: {
        const QString text = value.toString();
        if (const auto n = parseNumber(text)) {
            number = *n;
        } else if (const auto d = parseDate(text)) {
            number = d->serial;
            isDateValue = true;
        } else {
            return text;
        }
        break;
    }
    case VarType::Date:
        number = value.toDate().serial;
        isDateValue = true;
        break;
    case VarType::Boolean:
        if (p.isEmpty())
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        number = value.toBool() ? -1 : 0;
        break;
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
        number = value.toDouble();
        break;
    default:
        raise(err::TypeMismatch);
    }

    if (p.compare(QLatin1String("Yes/No"), Qt::CaseInsensitive) == 0)
        return number != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    if (p.compare(QLatin1String("True/False"), Qt::CaseInsensitive) == 0)
        return number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    if (p.compare(QLatin1String("On/Off"), Qt::CaseInsensitive) == 0)
        return number != 0 ? QStringLiteral("On") : QStringLiteral("Off");
    if (p.isEmpty() || p.compare(QLatin1String("General Number"), Qt::CaseInsensitive) == 0)
        return isDateValue && p.isEmpty() ? dateToText(Date{number}) : doubleToText(number);
    if (datePattern)
        return formatDate(Date{number}, p);
    return formatNumber(number, p);
}

} // namespace vrt
