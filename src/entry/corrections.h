#pragma once

// Corrections: a save that changes a value of a released result (one that
// was verified or printed) corrects it. The triggers record every changed
// value in the audit trail; the save reads back what it changed there,
// inside its own transaction, and a correction needs a reason, which goes
// into the audit trail beside the changed values.

#include "entry/modulestate.h"
#include "platform/ado/connection.h"

#include <QStringList>
#include <vector>

namespace entry {

// Where a save starts: which of its requests are released, and the last
// row of the audit trail before its statements.
struct SaveMark {
    QStringList released;
    qint64 lastAudit = 0;
};

// Read inside the save's transaction, before its statements. The save's
// requests are RequestNum and the lab numbers of the exam list.
SaveMark markBeforeSave(ado::Connection& connection);

// The released values the save's statements changed since the mark, in the
// order written. A value that had none (NULL or blanks) was added, not
// corrected.
std::vector<Correction> correctionsSince(ado::Connection& connection, const SaveMark& mark);

// After the save's own rows: the corrections of its released requests that
// no report showed yet, this save's and those of earlier saves since the
// request's last print (or its release), each value with what it was then
// (a value changed back to it is no correction any more), and the reasons
// given for them, in order.
std::vector<Correction> unprintedCorrections(ado::Connection& connection, const SaveMark& mark,
                                             QStringList& reasons);

// One audit row per corrected request: action "correct", column "Reason",
// the reason as its new value. In the save's transaction; not traced.
void recordCorrectionReason(ado::Connection& connection, const std::vector<Correction>& corrections,
                            const QString& reason);

// The time of a correction as reports print it: short date and long time.
QString correctionTime();

} // namespace entry
