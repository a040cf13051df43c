#include "examlist.h"

#include "modulestate.h"

namespace entry {

namespace {

// Copies varData element by element, growing Data one slot at a time and
// keeping what it held, so a failure part-way leaves what was copied.
void copyData(ExamRec& rec, const vrt::Variant& varData) {
    const vrt::Array& source = varData.toArray();
    for (int32_t i = 0; i <= source.ubound(); ++i) {
        rec.Data.resize(static_cast<size_t>(i) + 1);
        rec.Data[static_cast<size_t>(i)] = source.at(i);
    }
}

} // namespace

std::vector<ExamRec>& examList() {
    auto& list = state().ExamList;
    if (!list)
        vrt::raise(vrt::err::SubscriptOutOfRange);
    return *list;
}

void Clear_Exams() {
    ModuleState& s = state();
    s.ExamList.emplace(1);
    s.ExamCount = 0;
}

void Add_Exam(const QString& strEModel, double Amount, const QString& RefNum, const QString& LabNum,
              bool blnClear, const QString& strFormType, const QString& strLabExamID,
              const QString& strExamTitle, const vrt::Variant& varData, bool blnHasData) {
    ModuleState& s = state();
    if (!s.ExamList)
        s.ExamList.emplace();
    s.ExamList->resize(static_cast<size_t>(s.ExamCount) + 1);
    ExamRec& rec = (*s.ExamList)[static_cast<size_t>(s.ExamCount)];

    rec.LabExamID = strLabExamID;
    rec.Clear = blnClear;
    rec.FormType = strFormType;
    rec.ExamTitle = strExamTitle;
    rec.RefNum = RefNum;
    rec.LabNum = LabNum;
    rec.Amount = Amount;
    rec.EModel = strEModel;
    rec.Remarks = s.Remarks;
    if (!blnHasData) {
        rec.HasData = false;
    } else {
        rec.HasData = true;
        copyData(rec, varData);
    }

    // ExamCount is a 16-bit counter: the 32,768th exam overflows it.
    if (s.ExamCount == INT16_MAX)
        vrt::raise(vrt::err::Overflow);
    ++s.ExamCount;
}

void Modify_Exam(const QString& strLabExamID, const QString& strFormType,
                 const QString& strExamTitle, bool blnHasData, const vrt::Variant& varData) {
    for (ExamRec& rec : examList()) {
        if (rec.LabExamID != strLabExamID)
            continue;
        rec.LabExamID = strLabExamID;
        rec.Clear = false;
        rec.FormType = strFormType;
        rec.ExamTitle = strExamTitle;
        if (!blnHasData) {
            rec.HasData = false;
            return;
        }
        rec.HasData = true;
        copyData(rec, varData);
        return;
    }
}

} // namespace entry
