#pragma once

#include "entry/modulestate.h"

#include <QStringList>

// A 52-line spooled report with the widths of the cervico-vaginal cytology
// sheet (its widest line is 105 characters), one apostrophe in the remarks.
// One spooled line a source line.
inline QStringList cytologySpoolLines() {
    // clang-format off
    return {
        "                                                                Cytology No. : CY-26-0042",
        "",
        "Name      : DELA CRUZ, MARIA CLARA                        Admission # : A-26-0001   Age : 34 Y",
        "Hosp. No. : 000123456                                     Room : 301-B             Sex : Female",
        "Physician : DR. JOSE REYES                                Date Reported: 5/6/2026 10:30:00 AM",
        "L.M.P.: 4/20/2026                                         Date Received: 5/4/2026",
        "",
        "",
        "I. Condition of Smears",
        "   [x] Satisfactory for evaluation                        II EPITHELIAL CELL ABNORMALITIES",
        "   [ ] Satisfactory for evaluation but limited due to     A. Squamos Cells:",
        "     [ ] Blood/inflammation                                 [ ] A typical squamos intraepithelial",
        "     [ ] No endocervical component                                    lesion encompassing:",
        "     [ ] Presence of foreign materials                        [ ] Favoring reactive change",
        "   [ ] Unsatisfactory for evaluation due to:                  [ ] Favoring pre-malignant lesion",
        "     [ ] Cellularity is scanty                              [ ] Squamos intraepithelial lesions:",
        "     [ ] Poor fixation-preservation                           [ ]1.Low grade squamos intraepithelial",
        "     [ ] Completely obscured by blood/inflammation                    lesion encompassing:",
        "     [ ] Not representative of the anatomic site                [ ] Changes consistent with HPV infection",
        "                                                                [ ] Mild dysplasia (CIN-1)",
        "II. General Category of Diagnosis                             [ ]2.High grade squamos intraepithelial",
        "     [ ] Within normal limits                                          lesion encompassing:",
        "     [x] Benign cellular changes                                [ ] Moderate dysplasia (CIN-2)",
        "     [ ] Epithelial cell abnormality                            [ ] Severe dysplasia (CIN-3)",
        "                                                                [ ] Carcinoma is situ (CIN-3)",
        "DESCRIPTIVE DIAGNOSIS                                         [ ]3.Squamos cell Carcinoma",
        "I. BENIGN CELLULAR CHANGES:                               B. Grandular cells:",
        "   [x] Non-specific Inflammation                              [ ] Endometrial cells: [ ] out of phase",
        "   [x] Infection:                                                 [ ] in post menopausal state",
        "     [x]Bacteria            [ ]Fungal                         [ ] A typical grandular cells of",
        "       -Mixed bacteria        -Consistent                         undetermined significance",
        "       -Coco-bacilli           with Candida                   [ ] Adenocarcinoma: [ ] Endocervical",
        "       -Suggestive of          specie                             [ ]Endometrical",
        "        chlamydial                                        C. Non-Epithelial Malignant Neoplasm: ",
        "        Infection                                            NONE SEEN",
        "                                                  ",
        "     [ ]Protozoan          [ ]Viral                       III. Hormonal Evaluation",
        "       -Trich                 -Associated                   [x] Compatible with age and history",
        "                               with Herpes                  [ ] Incompatible with age and history:",
        "                              simples virus                     M.I. 0/70/30",
        "                              -Associated with              [ ] Hormonal evaluation not possible due to: ",
        "                              cytimegalo                       [ ] Mainly cervical sample",
        "                              virus                            [ ] Market inflammation",
        "   [ ] Reactive cellular changes associated with:              [ ] Pertinent data not supplied",
        "   [ ] Inflammation (including typical repair)       ",
        "     [ ] Atrophy with inflammation                     ",
        "     [ ] Atrophic vaginitis                            ",
        "   [ ] IUD (Other mechanical devices)                ",
        "     [ ] Radiation      [ ] Others: ",
        "",
        "Remarks",
        "Patient's second smear; repeat after treatment.",
    };
    // clang-format on
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
