#pragma once

// The data-entry object's properties in interface order: name, type and
// dispatch identifier. Every property but HasSaved is write-only. The
// interface places SQLConnection between the request's properties and the
// two screen properties.
#define VANTREL_PROPERTIES(X) VANTREL_REQUEST_PROPERTIES(X) VANTREL_SCREEN_PROPERTIES(X)

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

#define VANTREL_SCREEN_PROPERTIES(X)                                                               \
    X(Space_Allowance, int16_t, 0x68030002)                                                        \
    X(ProfileScreen, QString, 0x68030001)

#define VANTREL_DISPID_HasSaved 0x68030000
#define VANTREL_DISPID_SQLConnection 0x60030020
#define VANTREL_DISPID_Clear_Exams 0x60030023
#define VANTREL_DISPID_Show_ResultEntry 0x60030024
#define VANTREL_DISPID_Modify_Exam 0x60030025
#define VANTREL_DISPID_Add_Exam 0x60030026
