#pragma once

// The data-entry object: the one door a host has into the library. Hosts
// that bind late create it with vcom::CreateObject("Vantrel.clsDataEntry");
// C++ hosts may create it directly.
//
// Every property but HasSaved is write-only. All state lives in the thread's
// module state, so objects created on one thread share it.

#include "entry/properties.h"
#include "platform/ado/connection.h"
#include "platform/runtime/variant.h"

#include <QString>
#include <cstdint>

namespace entry {

class clsDataEntry {
public:
    clsDataEntry();
    ~clsDataEntry();
    clsDataEntry(const clsDataEntry&) = delete;
    clsDataEntry& operator=(const clsDataEntry&) = delete;

#define VANTREL_PROPERTY_LET(name, type, id)                                                       \
    void name(std::conditional_t<std::is_same_v<type, QString>, const QString&, type> value);
    VANTREL_PROPERTIES(VANTREL_PROPERTY_LET)
#undef VANTREL_PROPERTY_LET

    bool HasSaved() const;

    // Opens the library's own connection with the host connection's
    // connection string. The host's connection is not kept.
    void SQLConnection(ado::Connection& DBConOutside);

    void Clear_Exams();
    void Show_ResultEntry(int16_t intTop, int16_t intLeft);
    void Modify_Exam(const QString& strLabExamID, const QString& strFormType,
                     const QString& strExamTitle, bool blnHasData, const vrt::Variant& varData);
    void Add_Exam(const QString& strEModel, double Amount, const QString& RefNum,
                  const QString& LabNum, bool blnClear, const QString& strFormType,
                  const QString& strLabExamID, const QString& strExamTitle,
                  const vrt::Variant& varData, bool blnHasData);
};

} // namespace entry
