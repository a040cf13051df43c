#include "corrections.h"

#include "entry/examlist.h"
#include "platform/ado/errors.h"
#include "platform/runtime/datetime.h"

#include <QSysInfo>
#include <algorithm>

namespace entry {

namespace {

using Rows = std::vector<QVariantList>;

Rows run(ado::Connection& c, const QString& sql, const QVariantList& values) {
    try {
        return c.runWithValues(sql, values);
    } catch (const vrt::RuntimeError& e) {
        ado::raiseStatement(QStringLiteral("The corrections could not be read: ") +
                            e.description());
    }
}

QStringList requestsOfSave() {
    const ModuleState& s = state();
    QStringList requests;
    const auto add = [&requests](const QString& r) {
        if (!r.isEmpty() && !requests.contains(r, Qt::CaseInsensitive))
            requests << r;
    };
    add(s.RequestNum);
    if (s.ExamList)
        for (const ExamRec& exam : *s.ExamList)
            add(exam.LabNum);
    return requests;
}

} // namespace

SaveMark markBeforeSave(ado::Connection& c) {
    SaveMark mark;
    for (const QString& request : requestsOfSave()) {
        const Rows rows =
            run(c,
                QStringLiteral(
                    "SELECT 1 FROM LABORATORY.tblablogbook WHERE RequestNum = ? AND Verified <> 0 "
                    "UNION ALL SELECT 1 FROM LABORATORY.tbLabAudit WHERE RequestNum = ? AND "
                    "Action = 'print' UNION ALL SELECT 1 FROM LABORATORY.tbLabReportArchive WHERE "
                    "RequestNum = ?"),
                {request, request, request});
        if (!rows.empty())
            mark.released << request;
    }
    if (mark.released.isEmpty())
        return mark;
    const Rows last =
        run(c, QStringLiteral("SELECT coalesce(max(AuditID), 0) FROM LABORATORY.tbLabAudit"), {});
    mark.lastAudit = last.empty() ? 0 : last.front().value(0).toLongLong();
    return mark;
}

std::vector<Correction> correctionsSince(ado::Connection& c, const SaveMark& mark) {
    std::vector<Correction> found;
    if (mark.released.isEmpty())
        return found;
    const Rows rows =
        run(c,
            QStringLiteral("SELECT RequestNum, LabNum, TableName, Exam, ColumnName, "
                           "OldValue, NewValue FROM LABORATORY.tbLabAudit WHERE "
                           "AuditID > ? AND Action = 'change' AND OldValue IS NOT NULL "
                           "ORDER BY AuditID"),
            {mark.lastAudit});
    for (const QVariantList& q : rows) {
        const QString request = q.value(0).toString();
        const QString labNum = q.value(1).toString();
        if (!mark.released.contains(request, Qt::CaseInsensitive) &&
            !mark.released.contains(labNum, Qt::CaseInsensitive))
            continue;
        const QString previous = q.value(5).toString();
        if (previous.trimmed().isEmpty())
            continue;
        found.push_back({request,
                         q.value(2).toString(),
                         q.value(3).toString(),
                         q.value(4).toString(),
                         previous,
                         q.value(6).toString(),
                         {}});
    }
    return found;
}

std::vector<Correction> unprintedCorrections(ado::Connection& c, const SaveMark& mark,
                                             QStringList& reasons) {
    std::vector<Correction> found;
    for (const QString& request : mark.released) {
        // From the last print on; never printed, from the verification.
        qint64 from = 0;
        for (const char* action : {"print", "verify"}) {
            const Rows first =
                run(c,
                    QStringLiteral("SELECT %1(AuditID) FROM LABORATORY.tbLabAudit WHERE "
                                   "RequestNum = ? AND Action = ?")
                        .arg(QLatin1String(qstrcmp(action, "print") == 0 ? "max" : "min")),
                    {request, QString::fromLatin1(action)});
            if (!first.empty() && !first.front().value(0).isNull()) {
                from = first.front().value(0).toLongLong();
                break;
            }
        }
        const Rows rows =
            run(c,
                QStringLiteral("SELECT AuditID, Action, RequestNum, TableName, Exam, "
                               "ColumnName, OldValue, NewValue, ChangedAt FROM "
                               "LABORATORY.tbLabAudit WHERE RequestNum = ? AND AuditID > ? "
                               "AND Action IN ('change', 'correct') "
                               "ORDER BY AuditID"),
                {request, from});
        for (const QVariantList& q : rows) {
            if (q.value(1).toString() == QLatin1String("correct")) {
                if (!reasons.contains(q.value(7).toString()))
                    reasons << q.value(7).toString();
                continue;
            }
            const bool thisSave = q.value(0).toLongLong() > mark.lastAudit;
            const QVariant changed = q.value(8);
            const QDateTime at = changed.typeId() == QMetaType::QDateTime
                                     ? changed.toDateTime()
                                     : QDateTime::fromString(changed.toString(),
                                                             QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            Correction k{q.value(2).toString(),
                         q.value(3).toString(),
                         q.value(4).toString(),
                         q.value(5).toString(),
                         q.value(6).toString(),
                         q.value(7).toString(),
                         thisSave ? correctionTime()
                                  : vrt::shortDate(vrt::toSerial(at)) + QLatin1Char(' ') +
                                        vrt::longTime(vrt::toSerial(at))};
            auto same = std::find_if(found.begin(), found.end(), [&k](const Correction& e) {
                return e.request.compare(k.request, Qt::CaseInsensitive) == 0 &&
                       e.table == k.table && e.exam == k.exam && e.column == k.column;
            });
            if (same != found.end()) {
                same->value = k.value;
                same->at = k.at;
            } else if (!k.previous.trimmed().isEmpty()) {
                found.push_back(std::move(k));
            }
        }
    }
    // A value changed back to what was printed is no correction any more.
    found.erase(std::remove_if(found.begin(), found.end(),
                               [](const Correction& k) { return k.previous == k.value; }),
                found.end());
    return found;
}

void recordCorrectionReason(ado::Connection& c, const std::vector<Correction>& corrections,
                            const QString& reason) {
    const ModuleState& s = state();
    QStringList requests;
    for (const Correction& k : corrections)
        if (!requests.contains(k.request, Qt::CaseInsensitive))
            requests << k.request;
    const auto orNull = [](const QString& v) { return v.isEmpty() ? QVariant() : QVariant(v); };
    const QString host = QSysInfo::machineHostName();
    for (const QString& request : requests)
        run(c,
            QStringLiteral("INSERT INTO LABORATORY.tbLabAudit (RequestNum, LabNum, Action, "
                           "ColumnName, NewValue, EmployeeID, MedTechID, Workstation) VALUES (?, "
                           "?, 'correct', 'Reason', ?, ?, ?, ?)"),
            {request, request, reason, orNull(s.EmployeeID), orNull(s.MedTechID),
             host.isEmpty() ? QStringLiteral("unknown workstation") : host});
}

QString correctionTime() {
    const vrt::Date now = vrt::Now();
    return vrt::shortDate(now) + QLatin1Char(' ') + vrt::longTime(now);
}

} // namespace entry
