#pragma once

/// \file
/// The data-entry object, the one door a host has into the library.

#include "entry/properties.h"
#include "platform/ado/connection.h"
#include "platform/runtime/variant.h"

#include <QString>
#include <cstdint>

/// The data-entry object and what it keeps per thread.
namespace entry {

/// The data-entry object. Hosts that bind late create it with
/// vcom::CreateObject("Vantrel.clsDataEntry") and call its members by name;
/// C++ hosts may create it directly. The dispatch identifier of each member
/// is given in its description.
///
/// A host hands over the connection (SQLConnection), writes the request's
/// properties, fills the exam list (Clear_Exams, Add_Exam, Modify_Exam),
/// calls Show_ResultEntry and reads HasSaved. Every property but HasSaved is
/// write-only. All state lives in the thread's module state, so objects
/// created on one thread share it: the last value written wins, and the
/// destruction of any of them closes the shared connection. Call it on the
/// thread of the host's QApplication only.
class clsDataEntry {
public:
    /// Creates the report engine and clears the sign-off outcome and the exam count.
    clsDataEntry();
    /// Closes the thread's library connection (a closed one is only released).
    /// Property values and the exam list stay in the thread's module state.
    ~clsDataEntry();
    clsDataEntry(const clsDataEntry&) = delete;
    clsDataEntry& operator=(const clsDataEntry&) = delete;

    /// \name Properties of the request (write-only)
    /// Each stores its value in the thread's module state; none can fail.
    /// Texts start empty, numbers at 0, switches at false.
    ///@{

    /// The employee's name, for the sign-off dialog and the report sign lines (0x6803001F).
    void EmployeeName(const QString& value);
    /// The profile exam identifier a profile is saved under (0x6803001E).
    void ProfileExamID(const QString& value);
    /// The reagent code of the request; stored only (0x6803001D).
    void Reagent(const QString& value);
    /// The remarks: copied into each exam by Add_Exam, proposed by the sign-off
    /// dialog (0x6803001C).
    void Remarks(const QString& value);
    /// The pathologist's name for the report sign lines (0x6803001B).
    void Pathologist(const QString& value);
    /// The exam model of the request; stored only (0x6803001A).
    void ExamModel(const QString& value);
    /// The medical technologist's identifier; the sign-off dialog proposes it
    /// and writes back the one chosen (0x68030019).
    void MedTechID(const QString& value);
    /// True: the exam form saves the values of all exams as one profile row (0x68030018).
    void ProfileMode(bool value);
    /// The amount of the request line; each save takes the exam's own (0x68030017).
    void Amount(double value);
    /// The requesting physician's identifier, saved with the results (0x68030016).
    void DoctorID(const QString& value);
    /// The switch code the save statements send (0x68030015).
    void Switch(const QString& value);
    /// True when results are entered for the log book: the exam form writes
    /// its results only then (0x68030014).
    void EditMode(bool value);
    /// The request's date and time, as the reports print it (0x68030013).
    void TransDate(const QString& value);
    /// The result date; proposed and written back by the sign-off dialog (0x68030012).
    void ResultDate(const QString& value);
    /// The reference number; each save takes the exam's own (0x68030011).
    void ReferenceNumber(const QString& value);
    /// The laboratory section's identifier (0x68030010).
    void SectionID(const QString& value);
    /// The patient type, "I" in-patient or "O" out-patient (0x6803000F).
    void PatientType(const QString& value);
    /// The patient's room (0x6803000E).
    void RoomID(const QString& value);
    /// The employee's identifier, saved with the results (0x6803000D).
    void EmployeeID(const QString& value);
    /// The request number: the key of every result row (0x6803000C).
    void RequestNum(const QString& value);
    /// The hospital (patient) number (0x6803000B).
    void HospNum(const QString& value);
    /// The patient's civil status, for the report heading (0x6803000A).
    void CivilStatus(const QString& value);
    /// The admission or visit number of the request (0x68030009).
    void IDNum(const QString& value);
    /// The patient's name as the reports print it (0x68030008).
    void PatName(const QString& value);
    /// The patient's age as the reports print it (0x68030007).
    void Age(const QString& value);
    /// The patient's sex (0x68030006).
    void Sex(const QString& value);
    /// The laboratory section's name, for the report heading (0x68030005).
    void SectionName(const QString& value);
    /// The requesting physician's name, for the report heading (0x68030004).
    void DoctorName(const QString& value);
    /// The exam title of the report heading (0x68030003).
    void ExamTitle(const QString& value);
    ///@}

    /// \name Properties of the exam form (write-only)
    ///@{

    /// The gap in twips left between the stacked entry screens of the exam form (0x68030002).
    void Space_Allowance(int16_t value);
    /// The profile screen code; stored only (0x68030001).
    void ProfileScreen(const QString& value);
    ///@}

    /// True when the last Show_ResultEntry on this thread saved results
    /// (0x68030000). Show_ResultEntry clears it; a save that wrote nothing
    /// (the exam form outside EditMode) leaves it false.
    bool HasSaved() const;

    /// Opens the library's own connection with the connection string of the
    /// host's (0x60030020). The host's connection is not kept. Raises 3705
    /// when this thread's library connection is already open, 3706 for an
    /// unknown provider and -2147467259 when the database cannot be opened.
    void SQLConnection(ado::Connection& DBConOutside);

    /// Empties the exam list, which then holds one blank exam (0x60030023).
    void Clear_Exams();
    /// Opens the result window that fits the first exam at the given screen
    /// position in twips and returns when it closes (0x60030024). Raises 91
    /// before SQLConnection, 9 before any Clear_Exams or Add_Exam on this
    /// thread, and the database's error when the hospital heading cannot be
    /// read; everything after the window opened is shown in windows.
    void Show_ResultEntry(int16_t intTop, int16_t intLeft);
    /// Changes the first exam whose identifier is strLabExamID (exact letter
    /// case); nothing when there is none (0x60030025); 9 before any
    /// Clear_Exams or Add_Exam on this thread. With blnHasData,
    /// varData must be an array with lower bound 0 (13 otherwise, 9 for
    /// another lower bound); it replaces the exam's Data.
    void Modify_Exam(const QString& strLabExamID, const QString& strFormType,
                     const QString& strExamTitle, bool blnHasData, const vrt::Variant& varData);
    /// Adds an exam to the list (0x60030026): its exam model code, amount,
    /// charge reference, laboratory number (the number results are saved
    /// under), clear flag, form-type letter, exam identifier, title, and the
    /// values handed to its entry screen (an array with lower bound 0, read
    /// only with blnHasData; 13 when it is not an array, 9 for another lower
    /// bound). The current Remarks go with it. The 32,768th exam raises 6.
    void Add_Exam(const QString& strEModel, double Amount, const QString& RefNum,
                  const QString& LabNum, bool blnClear, const QString& strFormType,
                  const QString& strLabExamID, const QString& strExamTitle,
                  const vrt::Variant& varData, bool blnHasData);
};

} // namespace entry
