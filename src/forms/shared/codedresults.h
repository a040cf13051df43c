#pragma once

// What the result forms share: the save steps
// around their own coded statement, the load of a stored row, the report
// pickers and the quoting of values.

#include "platform/ado/recordset.h"
#include "platform/controls/dtpicker.h"
#include "platform/controls/flatbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace resultforms {

// One finding of a form's table: its frame, screen caption and report label;
// its index in the table is its identity in load, save and print.
struct Finding {
    const char* frame;
    const char* caption;
    const char* label;
};

// A value placed between single quotes in a statement.
QString q(const QString& value);

// The text of a loaded column; a missing value (Null) reads as "".
QString text(const vrt::Variant& value);

// What a form loaded of the request's stored coded row, so that its save can
// tell whether another workstation saved the request's results since: the
// save compares the row as stored then with this, inside its transaction.
class StoredResults {
public:
    StoredResults() = default;
    // A row of other columns than Result1..Result33 (a form's own table).
    explicit StoredResults(QStringList columns) : columns_(std::move(columns)) {}
    // From Fill_Results: the row loaded, null when the request had none.
    void loaded(const ado::Recordset* row);
    // Whether the last save stopped because the user chose to keep the form
    // open rather than save over another workstation's results.
    bool keptOpen() const { return keptOpen_; }

private:
    friend bool runSave(StoredResults&, const std::function<void(ado::Connection&)>&,
                        const QString&);
    friend bool hasCodedRow(ado::Connection&, StoredResults&, const QString&);
    using Row = std::optional<std::vector<vrt::Variant>>; // nullopt: no row
    Row values(const ado::Recordset* row) const;

    bool known_ = false; // nothing loaded: nothing to compare with
    Row row_;
    Row seen_; // the row found changed, while the user is asked
    bool keptOpen_ = false;
    QStringList columns_;
};

// The save of one request as one transaction: body runs the statements; on
// any failure everything it wrote is undone and the critical message
// "Data was not saved! Error: [" + description + "]" is shown. When another
// workstation saved the request's results after the form loaded them, the
// user is asked first: Yes saves over them, No leaves everything as it is
// (stored.keptOpen()). Returns true when the save completed (the data-entry
// object's saved flag is then set).
// failure is the start of that message where a form words it otherwise.
bool runSave(StoredResults& stored, const std::function<void(ado::Connection&)>& body,
             const QString& failure = QStringLiteral("Data was not saved! Error: ["));

// A result box holds all that is typed, pasted or loaded (no line edit's
// 32,767-character cut): the database stores text of any length.
void takeWholeText(QLineEdit* box);

// The log-book check of the first exam's lab number and, for a logged
// request, LAB_Save_VerifyResults.
void verifyIfLogged(ado::Connection& connection);

// Whether the request already has its coded-result row (the existence test
// through "Laboratory..tbLabResultHCodes where RequestNum = ..."). Stops the
// save when the row is no longer what the form loaded (see runSave).
// source is the existence test of a form that words it otherwise.
bool hasCodedRow(ado::Connection& connection, StoredResults& stored,
                 const QString& source = QString());

// "laboratory..LAB_SaveResultEntry '...'" for the first exam.
QString registrationStatement();

// "Laboratory..Lab_Save_HCodes <mode>, '<lab number>','" (the start of the
// coded statement), after registering the result on a first save.
QString codedStatementStart(ado::Connection& connection, bool hasRow);

// The request's stored coded row ("LABORATORY..lab_getresulthcodes"),
// client-side; null when there is none. Remembered in stored. prefix is the
// statement up to the request number.
std::unique_ptr<ado::Recordset>
loadCodedRow(StoredResults& stored,
             const QString& prefix = QStringLiteral("LABORATORY..lab_getresulthcodes '"));

// The report pickers as the forms set them on load: today's date and the
// current time.
void initReportPickers(controls::DTPicker* date, controls::DTPicker* time);
// A stored date or time into a picker (as CDate reads it); a missing value
// keeps what the picker shows.
void loadPicker(controls::DTPicker* picker, const vrt::Variant& value);
// The date reported as saved (the system's short date) and the time
// reported ("hh:mm:ss AM/PM").
QString dateReported(const controls::DTPicker* date);
QString timeReported(const controls::DTPicker* time);

// Report fields: L(v, w) is v trimmed and cut or padded to exactly w
// characters, S(n) n spaces.
QString L(const QString& value, int width);
QString S(int count);
// "date time" as the report shows the pickers' values.
QString reportedOn(const controls::DTPicker* date, const controls::DTPicker* time);

// The first six rows of a spooled coded report: patient, hospital number,
// physician and date reported, date received, exam title, an empty row.
QStringList reportHeading(const QString& reported);
// Spools the rows (row number 1 each) and prints them with LabPrint.RPT, as
// one print job.
void spoolAndPrint(const QStringList& rows,
                   const QString& title = QStringLiteral("CLINICAL LABORATORY REPORT"),
                   const QString& subtitle = QString());

// The buttons of a coded form: 0 saves, 2 saves and prints (whether or not
// the save succeeded), both only when the sign-off was not cancelled, and
// then close the form; 1 closes it without saving. When the user chose to
// keep the form open after the save (stored.keptOpen()), nothing is printed
// and the form stays.
// Adds the form's three buttons, cmdExam(0) to cmdExam(2), to a row; each
// click reaches click with the button's index.
void addExamButtons(QBoxLayout* row, forms::Form& form,
                    forms::ControlArray<controls::FlatBttn>& cmdExam,
                    const std::array<const char*, 3>& captions,
                    const std::function<void(int)>& click);

void cmdExamClick(forms::Form& form, int index, const StoredResults& stored,
                  const std::function<void()>& save, const std::function<void()>& print);

} // namespace resultforms
