#pragma once

#include "entry/modulestate.h"

#include <QFile>
#include <QStringList>

// A 52-line spooled report with the widths of the cervico-vaginal cytology
// sheet (its widest line is 105 characters), one apostrophe in the remarks;
// read from support/data/cytology_spool.txt, one spooled line a line.
inline QStringList cytologySpoolLines() {
    QFile f(QStringLiteral(VANTREL_TESTS_SOURCE_DIR "/support/data/cytology_spool.txt"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(f.fileName()));
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    lines.removeLast(); // after the last line's end
    return lines;
}

// The patient, request and hospital heading the sample reports are printed for.
inline void setSamplePatient() {
    entry::ModuleState& s = entry::state();
    s.HospitalCompany = QStringLiteral("SAINT ALBAN MEDICAL FOUNDATION");
    s.HospitalTitle = QStringLiteral("ST. ALBAN GENERAL HOSPITAL");
    s.HospitalAddress = QStringLiteral("123 Rizal Avenue, San Pedro");
    s.SectionName = QStringLiteral("HEMATOLOGY");
    s.PatName = QStringLiteral("DELA CRUZ, MARIA CLARA");
    s.IDNum = QStringLiteral("A-26-0001");
    s.Age = QStringLiteral("34 Y");
    s.Sex = QStringLiteral("Female");
    s.HospNum = QStringLiteral("000123456");
    s.RoomID = QStringLiteral("301-B");
    s.CivilStatus = QStringLiteral("Married");
    s.DoctorName = QStringLiteral("DR. JOSE REYES");
    s.EmployeeName = QStringLiteral("ANA LOPEZ, RMT");
    s.Pathologist = QStringLiteral("DR. PEDRO SANTOS, MD, FPSP");
}
