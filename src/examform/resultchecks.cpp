// The laboratory's own checks of a result: normal values by sex and age,
// critical limits, and the change from the patient's previous result.

#include "resultchecks.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/ado/recordset.h"
#include "platform/ado/trace.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"

#include <QRegularExpression>
#include <algorithm>
#include <map>

namespace examform {

std::optional<int> ageInDays(const QString& age) {
    static const QRegularExpression part(
        QStringLiteral("(\\d+(?:\\.\\d+)?)\\s*([a-z]*)\\.?\\s*,?\\s*"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text =
        age.trimmed().toLower().remove(QRegularExpression(QStringLiteral("\\s*old$")));
    if (text.isEmpty())
        return std::nullopt;
    double days = 0;
    qsizetype at = 0;
    int parts = 0;
    for (auto m = part.globalMatch(text); m.hasNext();) {
        const QRegularExpressionMatch p = m.next();
        if (p.capturedStart() != at)
            return std::nullopt;
        at = p.capturedEnd();
        ++parts;
        const double n = p.captured(1).toDouble();
        const QString unit = p.captured(2);
        static const QStringList years{"", "y", "yr", "yrs", "year", "years"},
            months{"m", "mo", "mos", "mon", "mons", "month", "months"},
            weeks{"w", "wk", "wks", "week", "weeks"}, daysUnit{"d", "dy", "dys", "day", "days"};
        if (unit.isEmpty() && (parts > 1 || at < text.size()))
            return std::nullopt; // a bare number is the whole age, in years
        if (years.contains(unit))
            days += n * 365;
        else if (months.contains(unit))
            days += n * 30;
        else if (weeks.contains(unit))
            days += n * 7;
        else if (daysUnit.contains(unit))
            days += n;
        else
            return std::nullopt;
    }
    if (at != text.size() || parts == 0)
        return std::nullopt;
    return int(days);
}

QChar sexOf(const QString& sex) {
    const QString s = sex.trimmed().toUpper();
    if (s == QLatin1String("M") || s == QLatin1String("MALE"))
        return u'M';
    if (s == QLatin1String("F") || s == QLatin1String("FEMALE"))
        return u'F';
    return {};
}

std::optional<RangeRow> chooseRange(const std::vector<RangeRow>& rows, std::optional<int> ageDays,
                                    QChar sex) {
    const RangeRow* best = nullptr;
    auto rank = [](const RangeRow& r) {
        // Own sex first, then a band with an upper end, then the later start.
        return std::tuple(!r.sex.isEmpty(), r.toDays.has_value(),
                          r.toDays ? -(*r.toDays - r.fromDays) : 0, r.fromDays);
    };
    for (const RangeRow& r : rows) {
        const bool sexFits = r.sex.isEmpty() || (!sex.isNull() && r.sex == QString(sex));
        const bool ageFits = ageDays ? r.fromDays <= *ageDays && (!r.toDays || *ageDays < *r.toDays)
                                     : r.fromDays == 0 && !r.toDays;
        if (sexFits && ageFits && (!best || rank(r) > rank(*best)))
            best = &r;
    }
    return best ? std::optional<RangeRow>(*best) : std::nullopt;
}

QDateTime requestMoment(const QString& transDate) {
    if (const auto d = vrt::parseDate(transDate))
        return vrt::toDateTime(*d);
    return vrt::currentDateTime();
}

namespace {

std::optional<double> numberOf(const vrt::Variant& v) {
    if (v.isNull() || v.isEmpty())
        return std::nullopt;
    if (v.isNumber())
        return v.toDouble();
    return vrt::parseNumber(v.text());
}

// mm/dd/yyyy of a serial date, as Format writes it, without parsing a pattern.
QString dayText(vrt::Date d) {
    int year = 0, month = 0, day = 0;
    vrt::dayOf(d).getDate(&year, &month, &day);
    return QString::asprintf("%02d/%02d/%04d", month, day, year);
}

QString iso(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

struct ExamRules {
    std::vector<RangeRow> ranges;
    entryscreens::ResultCheck check;
    bool deltaRule = false;
    std::optional<int> deltaDays;
    bool previousDone = false;
};

} // namespace

ChecksUntraced::ChecksUntraced() : was_(ado::statementTracing()) {
    ado::setStatementTracing(false);
}

ChecksUntraced::~ChecksUntraced() {
    ado::setStatementTracing(was_);
}

QSet<QString> loadResultChecks(ado::Connection& c,
                               const std::vector<entryscreens::EntryScreen*>& screens) {
    const ChecksUntraced untraced;
    const entry::ModuleState& s = entry::state();
    std::map<QString, ExamRules> rules; // by upper-case exam identifier
    QStringList in;
    for (const entry::ExamRec& exam : entry::examList())
        if (!rules.count(exam.LabExamID.toUpper())) {
            rules[exam.LabExamID.toUpper()] = {};
            in << QLatin1Char('\'') + ado::quoted(exam.LabExamID) + QLatin1Char('\'');
        }
    QSet<QString> general;
    if (in.isEmpty())
        return general;
    const QString ids = in.join(QLatin1Char(','));

    const std::optional<int> age = ageInDays(s.Age);
    const QChar sex = sexOf(s.Sex);
    // The exams as rows, to look each one's limits and previous result up.
    QStringList exams;
    for (const QString& id : in)
        exams << (exams.isEmpty() ? QStringLiteral("select %1 as LabExamID")
                                  : QStringLiteral("select %1"))
                     .arg(id);
    const QString examRows = exams.join(QStringLiteral(" union all "));

    // In one statement: the ranges that can fit the patient (the choice
    // among them is chooseRange's), and a row per exam with its critical
    // limits and delta rule.
    const QString fits =
        (sex.isNull() ? QStringLiteral("Sex = ''") : QStringLiteral("Sex in ('', '%1')").arg(sex)) +
        (age ? QStringLiteral(" and AgeFromDays <= %1 and (AgeToDays is null or AgeToDays > %1)")
                   .arg(*age)
             : QStringLiteral(" and AgeFromDays = 0 and AgeToDays is null"));
    ado::Recordset rs;
    rs.Open(QStringLiteral(
                "select 'R' as Kind, LabExamID, Sex, AgeFromDays, AgeToDays, LowValue, "
                "HighValue, NULL as DeltaLimit from LABORATORY..tbLabRefRange where LabExamID in "
                "(%1) and %2 union all select 'X', e.LabExamID, d.DeltaKind, d.DeltaDays, NULL, "
                "c.CriticalLow, c.CriticalHigh, d.DeltaLimit from (%3) e left join "
                "LABORATORY..tbLabCriticalLimit c on c.LabExamID = e.LabExamID left join "
                "LABORATORY..tbLabDeltaRule d on d.LabExamID = e.LabExamID")
                .arg(ids, fits, examRows),
            c, ado::adOpenStatic, ado::adLockReadOnly, -1);
    for (; !rs.eof(); rs.MoveNext()) {
        auto it = rules.find(rs.Fields(1).Value.text().toUpper());
        if (it == rules.end())
            continue;
        ExamRules& r = it->second;
        const auto a = numberOf(rs.Fields(3).Value), b = numberOf(rs.Fields(4).Value);
        const auto low = numberOf(rs.Fields(5).Value), high = numberOf(rs.Fields(6).Value);
        if (rs.Fields(0).Value.text() == QLatin1String("R")) {
            r.ranges.push_back({rs.Fields(2).Value.text().trimmed().toUpper(), a ? int(*a) : 0,
                                b ? std::optional<int>(int(*b)) : std::nullopt, low, high});
            continue;
        }
        r.check.criticalLow = low;
        r.check.criticalHigh = high;
        if (const auto limit = numberOf(rs.Fields(7).Value)) {
            r.deltaRule = true;
            const QString kindText = rs.Fields(2).Value.text().trimmed().toUpper();
            r.check.deltaKind = kindText.isEmpty() ? QChar() : kindText.at(0);
            r.check.deltaLimit = *limit;
            r.deltaDays = a ? std::optional<int>(int(*a)) : std::nullopt;
        }
    }
    rs.Close();

    // The patient's newest previous result of each exam; the
    // oldest any window reaches bounds the read when every exam has one.
    const QDateTime moment = requestMoment(s.TransDate);
    // Compared as serial dates: a date and time per result, no time zone.
    const double momentSerial = vrt::toSerial(moment).serial;
    if (!s.HospNum.trimmed().isEmpty()) {
        int widest = 0;
        bool bounded = true;
        for (const auto& [id, r] : rules) {
            bounded = bounded && r.deltaDays.has_value();
            widest = std::max(widest, r.deltaDays.value_or(0));
        }
        QString where =
            QStringLiteral("l.HospNum = '%1' and l.TransDate < '%2' and l.RequestNum <> '%3' and "
                           "p.LayoutIndex = 0")
                .arg(ado::quoted(s.HospNum), iso(moment), ado::quoted(s.RequestNum));
        if (bounded)
            where += QStringLiteral(" and l.TransDate >= '%1'").arg(iso(moment.addDays(-widest)));
        // Each exam's newest, found from the patient's requests newest
        // first: a few index probes per exam, not every result of the
        // patient's history sorted. The embedded database reaches the row
        // found by its row number instead of a second search of the key.
        const bool embedded = c.backend() == ado::Backend::SQLite;
        rs.Open(
            QStringLiteral("select v.LabExamID, v.A4, v.A5, v.RequestNum, n.TransDate from (%1) "
                           "e join LABORATORY..tbLabResultValues v on %2 = (select %3 from "
                           "LABORATORY..tblablogbook l join LABORATORY..tbLabResultValues p on "
                           "p.RequestNum = l.RequestNum where %4 and p.LabExamID = e.LabExamID "
                           "order by l.TransDate desc, l.RequestNum desc limit 1) join "
                           "LABORATORY..tblablogbook n on n.RequestNum = v.RequestNum")
                .arg(examRows,
                     embedded ? QStringLiteral("v.rowid")
                              : QStringLiteral("v.LabExamID = e.LabExamID and v.LayoutIndex = 0 "
                                               "and v.RequestNum"),
                     embedded ? QStringLiteral("p.rowid") : QStringLiteral("l.RequestNum"), where),
            c, ado::adOpenStatic, ado::adLockReadOnly, -1);
        for (; !rs.eof(); rs.MoveNext()) {
            auto it = rules.find(rs.Fields(0).Value.text().toUpper());
            if (it == rules.end() || it->second.previousDone)
                continue;
            ExamRules& r = it->second;
            r.previousDone = true;
            const vrt::Variant when = rs.Fields(4).Value;
            const vrt::Date date = when.toDate();
            if (r.deltaDays && date.serial < momentSerial - *r.deltaDays)
                continue;
            const QString text = rs.Fields(2).Value.text().trimmed();
            const auto a4 = numberOf(rs.Fields(1).Value);
            // A text result (its normal value a text) is kept in A5.
            r.check.previous =
                !text.isEmpty() && (!a4 || *a4 == 0) ? text : vrt::doubleToText(a4.value_or(0));
            r.check.previousDate = dayText(date);
            r.check.previousRequest = rs.Fields(3).Value.text();
        }
        rs.Close();
    }

    for (const entry::ExamRec& exam : entry::examList()) {
        ExamRules& r = rules[exam.LabExamID.toUpper()];
        entryscreens::ResultCheck check = r.check;
        if (const auto range = chooseRange(r.ranges, age, sex)) {
            check.hasRange = true;
            check.low = range->low;
            check.high = range->high;
            check.generalRange = range->general();
            if (check.generalRange)
                general.insert(exam.LabExamID.toUpper());
        }
        if (!r.deltaRule)
            check.deltaKind = QChar();
        if (check.hasRange || check.criticalLow || check.criticalHigh || r.deltaRule ||
            !check.previous.isEmpty())
            for (entryscreens::EntryScreen* screen : screens)
                screen->setResultCheck(exam.LabExamID, check);
    }
    return general;
}

} // namespace examform
