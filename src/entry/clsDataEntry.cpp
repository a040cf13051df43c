#include "vantrel/clsDataEntry.h"

#include "entry/audit.h"
#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "entry/resultentry.h"

namespace entry {

clsDataEntry::clsDataEntry() {
    ModuleState& s = state();
    s.ReportEngine = std::make_shared<reportengine::Application>();
    s.SignOffCancelled = false;
    s.ExamCount = 0;
}

clsDataEntry::~clsDataEntry() {
    ModuleState& s = state();
    if (s.LabConnection && s.LabConnection->State() == ado::adStateOpen) {
        try {
            s.LabConnection->Close();
        } catch (const vrt::RuntimeError&) {
            // Termination never fails; the connection is released below anyway.
        }
    }
    s.LabConnection.reset();
}

#define VANTREL_PROPERTY_LET(name, type, id)                                                       \
    void clsDataEntry::name(                                                                       \
        std::conditional_t<std::is_same_v<type, QString>, const QString&, type> value) {           \
        state().name = value;                                                                      \
    }
VANTREL_PROPERTIES(VANTREL_PROPERTY_LET)
#undef VANTREL_PROPERTY_LET

bool clsDataEntry::HasSaved() const {
    return state().Saved;
}

void clsDataEntry::SQLConnection(ado::Connection& DBConOutside) {
    const QString connectionString = DBConOutside.ConnectionString();
    ModuleState& s = state();
    if (!s.LabConnection)
        s.LabConnection = std::make_shared<ado::Connection>();
    s.LabConnection->Open(connectionString, QString(), QString(), -1);
    prepareLabConnection(s.LabConnection);
}

void clsDataEntry::Clear_Exams() {
    entry::Clear_Exams();
}

void clsDataEntry::Show_ResultEntry(int16_t intTop, int16_t intLeft) {
    entry::Show_ResultEntry(intTop, intLeft);
}

void clsDataEntry::Modify_Exam(const QString& strLabExamID, const QString& strFormType,
                               const QString& strExamTitle, bool blnHasData,
                               const vrt::Variant& varData) {
    entry::Modify_Exam(strLabExamID, strFormType, strExamTitle, blnHasData, varData);
}

void clsDataEntry::Add_Exam(const QString& strEModel, double Amount, const QString& RefNum,
                            const QString& LabNum, bool blnClear, const QString& strFormType,
                            const QString& strLabExamID, const QString& strExamTitle,
                            const vrt::Variant& varData, bool blnHasData) {
    entry::Add_Exam(strEModel, Amount, RefNum, LabNum, blnClear, strFormType, strLabExamID,
                    strExamTitle, varData, blnHasData);
}

} // namespace entry
