#pragma once

#include "platform/entryscreens/entryscreen.h"

#include <QChar>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <optional>
#include <vector>

namespace ado {
class Connection;
}

namespace examform {

// The patient's age as the host writes it, in days: "34" and "34 yrs" are
// years, "3 mos" months, "2 wks" weeks, "10 days" days, also combined
// ("1 yr 6 mos"); a year counts 365 days, a month 30. Nothing when the text
// is empty or not an age.
std::optional<int> ageInDays(const QString& age);

// 'M' or 'F' from "Male", "F", ...; a null character when unknown.
QChar sexOf(const QString& sex);

// One row of the laboratory's normal values of an exam.
struct RangeRow {
    QString sex; // "M", "F" or "" (either)
    int fromDays = 0;
    std::optional<int> toDays; // not included; none: no upper end
    std::optional<double> low, high;
    // The exam's general range: either sex, every age.
    bool general() const { return sex.isEmpty() && fromDays == 0 && !toDays; }
};

// The row that fits the patient: one for the patient's sex before one for
// either, then the narrowest band. An unknown age fits only rows for every
// age, an unknown sex only rows for either sex.
std::optional<RangeRow> chooseRange(const std::vector<RangeRow>& rows, std::optional<int> ageDays,
                                    QChar sex);

// The request's moment as the host wrote TransDate; now when it is no date.
QDateTime requestMoment(const QString& transDate);

// The result checks' own statements stay out of the statement trace, as the
// audit context does: they are not the form's statements.
class ChecksUntraced {
public:
    ChecksUntraced();
    ~ChecksUntraced();
    ChecksUntraced(const ChecksUntraced&) = delete;
    ChecksUntraced& operator=(const ChecksUntraced&) = delete;

private:
    bool was_;
};

// Reads the laboratory's ranges, critical limits and delta rules of the
// form's exams (one statement) and the patient's previous results of them
// (one statement), and hands each exam's check to the screens. Returns the
// exams (upper case) whose normal values are their general range.
QSet<QString> loadResultChecks(ado::Connection& c,
                               const std::vector<entryscreens::EntryScreen*>& screens);

} // namespace examform
