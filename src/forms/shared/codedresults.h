#pragma once

// What the result forms share: the save steps
// around their own coded statement, the load of a stored row, the report
// pickers and the quoting of values.

#include "forms/shared/savepath.h"
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

// The text of a loaded column; a missing value (Null) reads as "".
QString text(const vrt::Variant& value);

// The save of a coded form (saveChecked): "Data was not saved! Error: ["
// unless the form words its failure otherwise. A committed save sets the
// data-entry object's saved flag.
bool runSave(StoredResults& stored, const std::function<void(ado::Connection&)>& body,
             const QString& failure = QStringLiteral("Data was not saved! Error: ["));

// A result box holds all that is typed, pasted or loaded (no line edit's
// 32,767-character cut): the database stores text of any length.
void takeWholeText(QLineEdit* box);

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

// When the report shows corrections (ModuleState::Corrections), the block a
// fixed report prints before its signatures: "CORRECTIONS", the reasons,
// then each changed value by its label (its column's name when labels has
// none) with the time of its correction and its previous value. Empty
// otherwise.
QStringList correctionBlock(const std::vector<std::pair<QString, QString>>& labels);

// Adds the form's three buttons, cmdExam(0) to cmdExam(2), to a row; each
// click reaches click with the button's index.
void addExamButtons(QBoxLayout* row, forms::Form& form,
                    forms::ControlArray<controls::FlatBttn>& cmdExam,
                    const std::array<const char*, 3>& captions,
                    const std::function<void(int)>& click);

// The buttons of a result form: 0 saves, 2 saves and prints, both only when
// the sign-off was not cancelled, and then close the form; 1 closes it
// without saving. A save that did not commit (it failed, or the user kept
// the form) prints nothing and leaves the form open with what was typed.
void cmdExamClick(forms::Form& form, int index, const std::function<bool()>& save,
                  const std::function<void()>& print);

} // namespace resultforms
