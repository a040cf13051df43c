#pragma once

// The save path every result window goes through: one transaction around a
// window's own statements, with its failure message, and the check that no
// other workstation saved the request's results since the window read them.

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/runtime/variant.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace resultforms {

// A value placed between single quotes in a statement.
QString q(const QString& value);

// The library's connection, on which every save runs.
ado::Connection& connection();

// The log-book check of a request and, for a logged one,
// LAB_Save_VerifyResults.
void verifyIfLogged(ado::Connection& connection, const QString& request);

// One save step: a print job left running is abandoned (its lock must not
// hold the save), the transaction begins, body runs the statements, and the
// transaction commits. On a failure everything body wrote is undone and
// failure + description + "]" is shown (critical, "Save_Entries of Result
// Entry Class"); false then. Without transaction body runs on its own
// (writing nothing). A stop by StoredResults::compare is rolled back and
// passed on without a message, for saveChecked to ask.
bool saveStep(const std::function<void(ado::Connection&)>& body, const QString& failure,
              bool transaction = true);
// The message of a save that failed before its statements.
void showSaveFailure(const QString& failure, const vrt::RuntimeError& error);

// What a window read of the request's stored results, so that its save can
// tell whether another workstation saved them since: the save compares them
// as stored then with this, inside its transaction.
class StoredResults {
public:
    // Values in a fixed order; nullopt: nothing stored.
    using Values = std::optional<std::vector<vrt::Variant>>;

    StoredResults() = default;
    // A coded row of other columns than Result1..Result33 (a form's own table).
    explicit StoredResults(QStringList columns) : columns_(std::move(columns)) {}

    // A coded form's loaded row, null when the request had none.
    void loaded(const ado::Recordset* row);
    Values values(const ado::Recordset* row) const;
    // What a window read by its own statements.
    void remember(Values values);
    // Inside the save: stops it, for the user to be asked, when now is not
    // what was read. Nothing read: nothing to compare.
    void compare(Values now);
    // Saves of the same key take turns (PostgreSQL; SQLite's write lock
    // already lets one save at a time).
    void setLockKey(const QString& key) { lockKey_ = key; }

private:
    friend bool saveChecked(StoredResults&, const std::function<void(ado::Connection&)>&,
                            const QString&, bool);
    bool known_ = false;
    Values read_;
    Values seen_; // what was found changed, while the user is asked
    QStringList columns_;
    QString lockKey_;
};

// The save step with the lost-update check: body compares (through stored)
// before it writes. When the results changed elsewhere the user is asked
// "The results of this request were changed at another workstation since
// you opened them. Save yours over them?": Yes saves again (asking again
// only if they changed once more), No leaves everything as it is. True
// when the save committed.
// A save that changes released results (entry/corrections.h) needs
// CorrectionReason: without one the transaction is rolled back and the
// reason asked for (frmCorrectionReason), then the save runs again; Back
// keeps the form open. The reason goes into the audit trail, and the
// corrections and their time into the module state for the report.
bool saveChecked(StoredResults& stored, const std::function<void(ado::Connection&)>& body,
                 const QString& failure, bool transaction = true);

// Whether body, run now, would correct released results: a trial in a
// transaction that is rolled back, untraced. For a sign-off to ask the
// reason; any failure reads as no.
bool correctionExpected(const std::function<void(ado::Connection&)>& body);

} // namespace resultforms
