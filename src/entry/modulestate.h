#pragma once

#include "entry/properties.h"
#include "platform/ado/connection.h"
#include "platform/reportengine/application.h"
#include "platform/runtime/variant.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace entry {

// One exam handed over by the host.
struct ExamRec {
    bool Clear = false;
    QString FormType;
    QString LabExamID;
    QString ExamTitle;
    bool HasData = false;
    QString RefNum;
    QString LabNum;
    QString Remarks;
    double Amount = 0;
    QString EModel;
    // Values for the entry screen, index 0 upwards; empty when none were given.
    std::vector<vrt::Variant> Data;
};

// A released value that a save changed: where it is stored and what it was.
struct Correction {
    QString request;
    QString table;
    QString exam;
    QString column;
    QString previous;
    QString value;
    QString at; // when, as reports print it
};

// The library's module-level state, one set per thread: every data-entry
// object created on a thread shares it.
struct ModuleState {
#define VANTREL_MODULE_FIELD(name, type, id) type name{};
    VANTREL_PROPERTIES(VANTREL_MODULE_FIELD)
#undef VANTREL_MODULE_FIELD

    bool Saved = false;
    std::shared_ptr<ado::Connection> LabConnection;
    QString HospitalTitle;
    QString HospitalCompany;
    QString HospitalAddress;
    bool SignOffCancelled = false;
    std::shared_ptr<reportengine::Application> ReportEngine;

    // Corrections of released results (see entry/corrections.h): whether
    // the sign-off asks for the reason, the reason given, and, after a
    // committed save, the corrections not printed yet with their reasons.
    // The report printed after that save is a corrected one.
    bool CorrectionExpected = false;
    QString CorrectionReason;
    std::vector<Correction> Corrections;
    QString CorrectionReasons;

    // Does not exist until the first Clear_Exams or Add_Exam on the thread.
    std::optional<std::vector<ExamRec>> ExamList;
    int16_t ExamCount = 0;
};

ModuleState& state();

// The library's connection; error 91 before SQLConnection opened it.
ado::Connection& labConnection();

} // namespace entry
