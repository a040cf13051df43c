#include "savepath.h"

#include "entry/corrections.h"
#include "entry/modulestate.h"
#include "platform/ado/errors.h"
#include "platform/ado/trace.h"
#include "platform/forms/msgbox.h"
#include "report/spool.h"
#include "signoff/frmCorrectionReason.h"

#include <algorithm>

namespace resultforms {

namespace {

// Another workstation saved the request's results since the window read them.
struct ChangedElsewhere {};
// The save corrects released results and nobody said why yet.
struct ReasonNeeded {};

const QString title = QStringLiteral("Save_Entries of Result Entry Class");

bool sameValue(const vrt::Variant& a, const vrt::Variant& b) {
    return a.isNull() == b.isNull() && a.text() == b.text();
}

// Two saves of one request at the same moment take turns on PostgreSQL too
// (SQLite's write lock already lets one save at a time), so neither compares
// with results that the other is about to replace.
void lockRequest(ado::Connection& c, const QString& key) {
    c.lockKey(key);
}

} // namespace

QString q(const QString& value) {
    return ado::quoted(value);
}

ado::Connection& connection() {
    return entry::labConnection();
}

void verifyIfLogged(ado::Connection& c, const QString& request) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") +
                q(request) + QStringLiteral("'"),
            c, ado::adOpenDynamic, ado::adLockReadOnly, -1);
    if (!rs.eof())
        c.Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults '") + q(request) +
                  QStringLiteral("','") + q(entry::state().EmployeeID) + QStringLiteral("'"));
    rs.Close();
}

void showSaveFailure(const QString& failure, const vrt::RuntimeError& error) {
    forms::MsgBox(failure + error.description() + QStringLiteral("]"), forms::vbCritical, title);
}

bool saveStep(const std::function<void(ado::Connection&)>& body, const QString& failure,
              bool transaction) {
    ado::Connection* c = nullptr;
    bool open = false;
    const auto rollback = [&] {
        if (!open)
            return;
        open = false;
        try {
            c->RollbackTrans();
        } catch (const vrt::RuntimeError&) {
            // The connection itself failed; nothing more can be undone.
        }
    };
    try {
        c = &connection();
        if (transaction) {
            // A spool that never got printed must not hold the save's transaction.
            report::abandonPrintJob();
            c->BeginTrans();
            open = true;
        }
        body(*c);
        if (open) {
            open = false;
            c->CommitTrans();
        }
        return true;
    } catch (const ChangedElsewhere&) {
        rollback();
        throw;
    } catch (const ReasonNeeded&) {
        rollback();
        throw;
    } catch (const vrt::RuntimeError& e) {
        rollback();
        showSaveFailure(failure, e);
        return false;
    }
}

StoredResults::Values StoredResults::values(const ado::Recordset* row) const {
    if (!row || row->eof())
        return std::nullopt;
    std::vector<vrt::Variant> v;
    for (int i = 1; i <= 33 && columns_.isEmpty(); ++i)
        v.push_back(row->Fields(QStringLiteral("Result%1").arg(i)).Value);
    for (const QString& column : columns_)
        v.push_back(row->Fields(column).Value);
    return v;
}

void StoredResults::loaded(const ado::Recordset* row) {
    remember(values(row));
}

void StoredResults::remember(Values values) {
    known_ = true;
    read_ = std::move(values);
}

void StoredResults::compare(Values now) {
    if (!known_)
        return;
    const bool same =
        now.has_value() == read_.has_value() &&
        (!now || std::equal(now->begin(), now->end(), read_->begin(), read_->end(), sameValue));
    if (!same) {
        seen_ = std::move(now);
        throw ChangedElsewhere{};
    }
}

bool saveChecked(StoredResults& stored, const std::function<void(ado::Connection&)>& body,
                 const QString& failure, bool transaction) {
    const QString key = stored.lockKey_.isEmpty()
                            ? QStringLiteral("tbLabResultHCodes:") + entry::state().RequestNum
                            : stored.lockKey_;
    entry::ModuleState& s = entry::state();
    s.Corrections.clear();
    s.CorrectionReasons.clear();
    for (;;) {
        std::vector<entry::Correction> corrections;
        QStringList reasons;
        try {
            const bool saved = saveStep(
                [&](ado::Connection& c) {
                    if (transaction)
                        lockRequest(c, key);
                    const entry::SaveMark mark =
                        transaction ? entry::markBeforeSave(c) : entry::SaveMark{};
                    body(c);
                    if (!transaction)
                        return;
                    corrections = entry::correctionsSince(c, mark);
                    if (!corrections.empty()) {
                        if (s.CorrectionReason.isEmpty())
                            throw ReasonNeeded{};
                        entry::recordCorrectionReason(c, corrections, s.CorrectionReason);
                    }
                    // What the report printed now must show as corrected.
                    corrections = entry::unprintedCorrections(c, mark, reasons);
                },
                failure, transaction);
            if (saved) {
                s.Corrections = std::move(corrections);
                s.CorrectionReasons = reasons.join(QStringLiteral("; "));
            }
            return saved;
        } catch (const ChangedElsewhere&) {
            // Asked outside the transaction: no lock waits for the answer.
            if (forms::MsgBox(QStringLiteral("The results of this request were changed at another "
                                             "workstation since you opened them. Save yours over "
                                             "them?"),
                              forms::vbYesNo + forms::vbQuestion + forms::vbDefaultButton2,
                              title) != forms::vbYes)
                return false;
            // Saved over what the user was told of; a change after that asks again.
            stored.read_ = stored.seen_;
        } catch (const ReasonNeeded&) {
            // Asked outside the transaction too; Back keeps the form open.
            if (!signoff::frmCorrectionReason::Ask())
                return false;
        }
    }
}

bool correctionExpected(const std::function<void(ado::Connection&)>& body) {
    // A trial of the save, rolled back: nothing of it is kept or traced.
    const bool tracing = ado::statementTracing();
    ado::setStatementTracing(false);
    bool found = false;
    try {
        ado::Connection& c = connection();
        report::abandonPrintJob();
        c.BeginTrans();
        try {
            const entry::SaveMark mark = entry::markBeforeSave(c);
            if (!mark.released.isEmpty()) {
                body(c);
                found = !entry::correctionsSince(c, mark).empty();
            }
        } catch (...) {
            // The save itself will say what is wrong.
        }
        c.RollbackTrans();
    } catch (const vrt::RuntimeError&) {
        // Likewise.
    }
    ado::setStatementTracing(tracing);
    return found;
}

} // namespace resultforms
