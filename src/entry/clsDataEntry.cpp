#include "vantrel/clsDataEntry.h"

#include "entry/audit.h"
#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "entry/resultentry.h"
#include "platform/runtime/text.h"

namespace entry {

namespace {

// A host value that no statement could store faithfully is refused where it
// comes in, naming where it came, before anything of it is kept.
void refuseUnstorable(const QString& name, const QString& value) {
    const qsizetype at = vrt::unstorableAt(value);
    if (at >= 0)
        throw vrt::RuntimeError(
            vrt::err::InvalidProcedureCall,
            QStringLiteral("%1 holds %2 at character %3, which cannot be stored.")
                .arg(name, vrt::unstorableName(value[at]))
                .arg(at + 1));
}

// Numbers and flags hold nothing to refuse.
template <class T> void refuseUnstorable(const QString&, T) {}

void refuseUnstorableData(const QString& method, const vrt::Variant& varData) {
    if (!varData.isArray())
        return;
    const vrt::Array& items = varData.toArray();
    for (int32_t i = items.lbound; i <= items.ubound(); ++i)
        if (items.at(i).isString())
            refuseUnstorable(QStringLiteral("%1 varData(%2)").arg(method).arg(i),
                             items.at(i).toString());
}

} // namespace

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
        refuseUnstorable(QStringLiteral(#name), value);                                            \
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
    for (const auto& [name, value] : {std::pair{"strLabExamID", &strLabExamID},
                                      {"strFormType", &strFormType},
                                      {"strExamTitle", &strExamTitle}})
        refuseUnstorable(QStringLiteral("Modify_Exam %1").arg(QLatin1String(name)), *value);
    if (blnHasData)
        refuseUnstorableData(QStringLiteral("Modify_Exam"), varData);
    entry::Modify_Exam(strLabExamID, strFormType, strExamTitle, blnHasData, varData);
}

void clsDataEntry::Add_Exam(const QString& strEModel, double Amount, const QString& RefNum,
                            const QString& LabNum, bool blnClear, const QString& strFormType,
                            const QString& strLabExamID, const QString& strExamTitle,
                            const vrt::Variant& varData, bool blnHasData) {
    for (const auto& [name, value] : {std::pair{"strEModel", &strEModel},
                                      {"RefNum", &RefNum},
                                      {"LabNum", &LabNum},
                                      {"strFormType", &strFormType},
                                      {"strLabExamID", &strLabExamID},
                                      {"strExamTitle", &strExamTitle}})
        refuseUnstorable(QStringLiteral("Add_Exam %1").arg(QLatin1String(name)), *value);
    if (blnHasData)
        refuseUnstorableData(QStringLiteral("Add_Exam"), varData);
    entry::Add_Exam(strEModel, Amount, RefNum, LabNum, blnClear, strFormType, strLabExamID,
                    strExamTitle, varData, blnHasData);
}

} // namespace entry
