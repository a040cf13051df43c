#pragma once

namespace report {

// The standard blocks of a result report, appended to the report document
// from the module state.

// Hospital heading centred on 80 characters, run date and time, section and
// "CLINICAL LABORATORY REPORT" (four lines).
void Add_ReportTitle();
// After a save that corrected released results: "CORRECTED REPORT" under the
// title, in its size.
void Add_CorrectedHeading();
// Name, admission number, age, sex, hospital number, room, status and
// physician (four lines, the last empty).
void Add_PatientHeader();
// Finds the end-of-results marker (U+00A8), pads with empty lines to line 34
// or 68 and appends the signature lines; nothing without a marker.
void Add_Signatories();

} // namespace report
