#include "frmprinter.h"

#include "entry/audit.h"
#include "entry/modulestate.h"
#include "platform/forms/msgbox.h"
#include "platform/printing/printer.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"

#include <memory>

namespace report {

frmPrinter::frmPrinter() {
    setObjectName(QStringLiteral("frmPrinter"));
}

frmPrinter& frmPrinter::instance() {
    thread_local std::unique_ptr<frmPrinter> form;
    if (!form)
        form.reset(new frmPrinter);
    return *form;
}

void frmPrinter::Print_ResultData() {
    try {
        // Each sheet of a longer report says whose it is.
        printing::printDocument(rtbDummy, QStringLiteral("Laboratory Report"), [] {
            const entry::ModuleState& s = entry::state();
            return vrt::Trim(s.PatName) + QStringLiteral("   Hosp. No. : ") + vrt::Trim(s.HospNum) +
                   QStringLiteral("   Request : ") + vrt::Trim(s.RequestNum);
        });
    } catch (const vrt::RuntimeError& e) {
        // A report that silently never comes out is worse than a warning.
        forms::MsgBox(QStringLiteral("The report was not printed.") + QStringLiteral("\r\n") +
                          e.description(),
                      forms::vbExclamation, QStringLiteral("Print_ResultData"));
        return;
    }
    try {
        entry::recordPrint();
        entry::archiveReport();
    } catch (const vrt::RuntimeError& e) {
        forms::MsgBox(e.description(), forms::vbExclamation, QStringLiteral("Print_ResultData"));
    }
}

} // namespace report
