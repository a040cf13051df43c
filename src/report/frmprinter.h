#pragma once

#include "platform/printing/textdocument.h"

#include <QObject>

namespace report {

// The form that hosts the report document. It is never shown; one instance
// per thread, created on first use.
class frmPrinter : public QObject {
public:
    static frmPrinter& instance();

    QString Caption() const { return QStringLiteral("Printing Results...."); }

    // The report document: one report at a time, cleared by the form that
    // prints.
    printing::TextDocument rtbDummy;

    // Prints the report document on the default printer, without a dialog.
    // A print that fails is reported with a warning; the document keeps its
    // text.
    void Print_ResultData();

private:
    frmPrinter();
};

} // namespace report
