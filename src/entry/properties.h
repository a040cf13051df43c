#pragma once

/// \file
/// The data-entry object's properties and dispatch identifiers: the table
/// the dispatch interface is built from.

/// Every property in interface order, as X(name, type, dispatch identifier).
/// Every property but HasSaved is write-only. The interface places
/// SQLConnection between the request's properties and the two screen
/// properties.
#define VANTREL_PROPERTIES(X) VANTREL_REQUEST_PROPERTIES(X) VANTREL_SCREEN_PROPERTIES(X)

/// The request's properties, X(name, type, dispatch identifier), in interface order.
#define VANTREL_REQUEST_PROPERTIES(X)                                                              \
    X(EmployeeName, QString, 0x6803001F)                                                           \
    X(ProfileExamID, QString, 0x6803001E)                                                          \
    X(Reagent, QString, 0x6803001D)                                                                \
    X(Remarks, QString, 0x6803001C)                                                                \
    X(Pathologist, QString, 0x6803001B)                                                            \
    X(ExamModel, QString, 0x6803001A)                                                              \
    X(MedTechID, QString, 0x68030019)                                                              \
    X(ProfileMode, bool, 0x68030018)                                                               \
    X(Amount, double, 0x68030017)                                                                  \
    X(DoctorID, QString, 0x68030016)                                                               \
    X(Switch, QString, 0x68030015)                                                                 \
    X(EditMode, bool, 0x68030014)                                                                  \
    X(TransDate, QString, 0x68030013)                                                              \
    X(ResultDate, QString, 0x68030012)                                                             \
    X(ReferenceNumber, QString, 0x68030011)                                                        \
    X(SectionID, QString, 0x68030010)                                                              \
    X(PatientType, QString, 0x6803000F)                                                            \
    X(RoomID, QString, 0x6803000E)                                                                 \
    X(EmployeeID, QString, 0x6803000D)                                                             \
    X(RequestNum, QString, 0x6803000C)                                                             \
    X(HospNum, QString, 0x6803000B)                                                                \
    X(CivilStatus, QString, 0x6803000A)                                                            \
    X(IDNum, QString, 0x68030009)                                                                  \
    X(PatName, QString, 0x68030008)                                                                \
    X(Age, QString, 0x68030007)                                                                    \
    X(Sex, QString, 0x68030006)                                                                    \
    X(SectionName, QString, 0x68030005)                                                            \
    X(DoctorName, QString, 0x68030004)                                                             \
    X(ExamTitle, QString, 0x68030003)

/// The exam form's two properties, X(name, type, dispatch identifier).
#define VANTREL_SCREEN_PROPERTIES(X)                                                               \
    X(Space_Allowance, int16_t, 0x68030002)                                                        \
    X(ProfileScreen, QString, 0x68030001)

/// Dispatch identifier of the HasSaved property (read-only).
#define VANTREL_DISPID_HasSaved 0x68030000
/// Dispatch identifier of the SQLConnection method.
#define VANTREL_DISPID_SQLConnection 0x60030020
/// Dispatch identifier of the Clear_Exams method.
#define VANTREL_DISPID_Clear_Exams 0x60030023
/// Dispatch identifier of the Show_ResultEntry method.
#define VANTREL_DISPID_Show_ResultEntry 0x60030024
/// Dispatch identifier of the Modify_Exam method.
#define VANTREL_DISPID_Modify_Exam 0x60030025
/// Dispatch identifier of the Add_Exam method.
#define VANTREL_DISPID_Add_Exam 0x60030026
