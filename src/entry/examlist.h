#pragma once

#include "entry/modulestate.h"

#include <QString>

namespace entry {

void Clear_Exams();
void Add_Exam(const QString& strEModel, double Amount, const QString& RefNum, const QString& LabNum,
              bool blnClear, const QString& strFormType, const QString& strLabExamID,
              const QString& strExamTitle, const vrt::Variant& varData, bool blnHasData);
void Modify_Exam(const QString& strLabExamID, const QString& strFormType,
                 const QString& strExamTitle, bool blnHasData, const vrt::Variant& varData);

// The exam list as the forms read it; 9 (subscript out of range) before the
// list exists.
std::vector<ExamRec>& examList();

} // namespace entry
