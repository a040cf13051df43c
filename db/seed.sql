-- Demo data for the laboratory database: one hospital, its physicians,
-- sections, exam catalog, medical technologists and seventeen requests in
-- the log book, covering every result form. Runs unchanged on the embedded
-- and the server database, once, on a freshly created schema.
-- All names are invented.

------------------------------------------------------------------------------
-- patient_data
------------------------------------------------------------------------------

INSERT INTO patient_data.tbHospitalInfo (HospitalID, Title, Company, address1, address2, TelNo)
VALUES (1, 'MARIVEL MEMORIAL HOSPITAL', 'MARIVEL HEALTH SERVICES CORPORATION',
        '27 Kalachuchi Road, Barangay Bagong Silang, San Teodoro City',
        'Department of Pathology and Laboratory Medicine', '(082) 555-0147');

INSERT INTO patient_data.tbPatient
       (HospNum, LastName, FirstName, MiddleName, Sex, CivilStatus, BirthDate, Address)
VALUES ('100231', 'BALDOVINO', 'TERESITA', 'MANALAC', 'Female', 'Married', '1979-04-12 00:00:00', 'Purok 3, Barangay Malinis, San Teodoro City'),
       ('100245', 'QUIRANTE', 'RODEL', 'SABLAN', 'Male', 'Single', '1994-09-30 00:00:00', '14 Dapdap Street, San Teodoro City'),
       ('100252', 'ESCALERA', 'LOURDES', 'PINEDA', 'Female', 'Widowed', '1951-01-22 00:00:00', 'Sitio Lumbia, Barangay Tagpuan'),
       ('100263', 'DUMALAGAN', 'ERNESTO', 'VILLACORTA', 'Male', 'Married', '1968-07-08 00:00:00', '5 Acacia Lane, Barangay Bagong Silang'),
       ('100270', 'SALVACION', 'KRISTINE', 'OBANDO', 'Female', 'Single', '2001-11-15 00:00:00', 'Block 9 Lot 2, Villa Rosal Subdivision'),
       ('100288', 'MACARAIG', 'JOMAR', 'TIONGCO', 'Male', 'Child', '2016-03-03 00:00:00', '88 Kamagong Street, San Teodoro City'),
       ('100294', 'LLAGUNO', 'EDITHA', 'RAMIREZ', 'Female', 'Married', '1985-06-19 00:00:00', 'Barangay Poblacion, Marigondon'),
       ('100307', 'VILLAREAL', 'NESTOR', 'GUIANG', 'Male', 'Married', '1959-12-01 00:00:00', '3 Narra Extension, San Teodoro City'),
       ('100315', 'OCAMPO', 'MARIBETH', 'LUCERO', 'Female', 'Married', '1990-02-27 00:00:00', 'Purok 7, Barangay Malinis'),
       ('100322', 'TABUENA', 'ARNALDO', 'DEGAMO', 'Male', 'Single', '1972-08-14 00:00:00', 'Sitio Kabulusan, Barangay Tagpuan');

------------------------------------------------------------------------------
-- build_file
------------------------------------------------------------------------------

INSERT INTO build_file.tbcolabsection (SectionID, SectionName)
VALUES ('CM', 'CLINICAL MICROSCOPY'),
       ('HE', 'HEMATOLOGY'),
       ('CC', 'CLINICAL CHEMISTRY'),
       ('SE', 'SEROLOGY'),
       ('MB', 'MICROBIOLOGY'),
       ('HP', 'HISTOPATHOLOGY'),
       ('TX', 'TOXICOLOGY');

INSERT INTO build_file.tbcodoctor (DoctorID, LastName, FirstName, MiddleName, Service)
VALUES ('D101', 'LIWANAG', 'CELESTINO', 'ABAD', 'Internal Medicine'),
       ('D102', 'ARAGON', 'FELISA', 'BONIFACIO', 'Obstetrics and Gynecology'),
       ('D103', 'MONTEVERDE', 'ISAGANI', 'CORPUZ', 'Surgery'),
       ('D104', 'SANTILLAN', 'ROSALINDA', 'DIZON', 'Pediatrics'),
       ('D105', 'PALOMAR', 'EMILIO', 'ESPIRITU', 'Pathology');

-- Form types: "H" exams open the dedicated form named by EModel, "X" the
-- histopathology form, the others a screen of the exam form.
INSERT INTO build_file.tbcolabexam (LabExamID, ExamTitle, FormType, EModel, SectionID, Amount)
VALUES ('23', 'ROUTINE URINALYSIS', 'H', '23', 'CM', 90),
       ('34', 'FECALYSIS', 'H', '34', 'CM', 70),
       ('35', 'STOOL EXAMINATION', 'H', '35', 'CM', 80),
       ('65', 'STOOL CONCENTRATION TECHNIQUE', 'H', '65', 'CM', 150),
       ('206', 'STOOL EXAM (KATO THICK SMEAR)', 'H', '206', 'CM', 180),
       ('57', 'PAP SMEAR', 'H', '57', 'HP', 450),
       ('96', 'WIDAL TEST', 'H', '96', 'SE', 280),
       ('97', 'WEIL-FELIX TEST', 'H', '97', 'SE', 300),
       ('401', 'HISTOPATHOLOGY (SMALL SPECIMEN)', 'X', '', 'HP', 1500),
       ('402', 'HISTOPATHOLOGY (LARGE SPECIMEN)', 'X', '', 'HP', 2800),
       ('101', 'FASTING BLOOD SUGAR', '1', '', 'CC', 120),
       ('102', 'BLOOD UREA NITROGEN', '1', '', 'CC', 140),
       ('103', 'CREATININE', '1', '', 'CC', 140),
       ('104', 'URIC ACID', '1', '', 'CC', 150),
       ('105', 'POTASSIUM', '0', '', 'CC', 220),
       ('106', 'ERYTHROCYTE SEDIMENTATION RATE', 'C', '', 'HE', 100),
       ('201', 'PREGNANCY TEST (URINE)', '2', '', 'CM', 200),
       ('202', 'PERIPHERAL BLOOD SMEAR', '3', '', 'HE', 250),
       ('301', 'BLOOD TYPING', '4', '', 'HE', 150),
       ('302', 'DENGUE NS1 / IGG / IGM', '4', '', 'SE', 1200),
       ('311', 'HBSAG SCREENING', '5', '', 'SE', 300),
       ('312', 'ANTI-HCV SCREENING', '5', '', 'SE', 450),
       ('501', 'GRAM STAIN', '6', '', 'MB', 180),
       ('502', 'AFB SMEAR', '6', '', 'MB', 160),
       ('130', 'HEMOGLOBIN', '7', '', 'HE', 80),
       ('131', 'HEMATOCRIT', 'A', '', 'HE', 80),
       ('141', 'TRIGLYCERIDES', '8', '', 'CC', 220),
       ('142', 'HDL CHOLESTEROL', '8', '', 'CC', 250),
       ('151', 'SGPT (ALT)', 'N', '', 'CC', 200),
       ('152', 'SGOT (AST)', 'N', '', 'CC', 200),
       ('601', 'METHAMPHETAMINE SCREEN', 'F', '', 'TX', 350),
       ('602', 'CANNABINOIDS SCREEN', 'F', '', 'TX', 350),
       ('411', 'FINE NEEDLE ASPIRATION CYTOLOGY', 'Z', '', 'HP', 1800),
       ('160', 'RENAL PROFILE', '1', '', 'CC', 400);

INSERT INTO build_file.tbcolabprofile (ProfileExamID, LineNo, LabExamID)
VALUES ('160', 1, '102'), ('160', 2, '103'), ('160', 3, '104');

-- Reference values the host hands over with each exam (the Data array).
INSERT INTO build_file.tbcolabrefvalues (LabExamID, Element, Value)
VALUES ('101', 1, '70'),
       ('101', 2, '110'),
       ('101', 4, 'mg/dL'),
       ('102', 1, '7'),
       ('102', 2, '20'),
       ('102', 4, 'mg/dL'),
       ('103', 1, '0.6'),
       ('103', 2, '1.3'),
       ('103', 4, 'mg/dL'),
       ('104', 1, '3.5'),
       ('104', 2, '7.2'),
       ('104', 4, 'mg/dL'),
       ('105', 1, '3.5'),
       ('105', 2, '5.1'),
       ('105', 4, 'mmol/L'),
       ('106', 1, '0'),
       ('106', 2, '20'),
       ('106', 4, 'mm/hr'),
       ('130', 1, '120'),
       ('130', 2, '160'),
       ('130', 4, 'g/L'),
       ('131', 1, '0.37'),
       ('131', 2, '0.47'),
       ('131', 4, 'L/L'),
       ('141', 3, '0'),
       ('141', 4, '150'),
       ('141', 5, 'mg/dL'),
       ('141', 6, '0.0113'),
       ('141', 8, '0'),
       ('141', 9, '1.7'),
       ('141', 10, 'mmol/L'),
       ('142', 3, '40'),
       ('142', 4, '60'),
       ('142', 5, 'mg/dL'),
       ('142', 6, '0.0259'),
       ('142', 8, '1.04'),
       ('142', 9, '1.55'),
       ('142', 10, 'mmol/L'),
       ('151', 2, '0 - 40 U/L'),
       ('151', 4, '0 - 0.67 ukat/L'),
       ('151', 7, 'U/L'),
       ('152', 2, '0 - 37 U/L'),
       ('152', 4, '0 - 0.62 ukat/L'),
       ('152', 7, 'U/L'),
       ('311', 1, 'HBsAg (CMIA), S/CO'),
       ('311', 2, '1.00'),
       ('312', 1, 'Anti-HCV (CMIA), S/CO'),
       ('312', 2, '1.00'),
       ('501', 1, 'Sputum'),
       ('502', 1, 'Sputum, early morning'),
       ('601', 1, '1000 ng/mL'),
       ('602', 1, '50 ng/mL');

-- Prompt lines of the coded-text exams (form type "4"), keyed by exam.
INSERT INTO build_file.tbcolabvalues (code, description, promptdata)
VALUES ('301', 'BLOOD TYPING', 'ABO Group
Rh (D) Factor
'),
       ('302', 'DENGUE NS1 / IGG / IGM', 'NS1 Antigen
Dengue IgG
Dengue IgM
'),
       ('202', 'PERIPHERAL BLOOD SMEAR', 'RBC: normocytic, normochromic
WBC: adequate in number, normal distribution
Platelets: adequate
');

------------------------------------------------------------------------------
-- LABORATORY
------------------------------------------------------------------------------

INSERT INTO LABORATORY.tbLabMedTech (MedTechID, lastname, firstname, middlename, LicenseNo)
VALUES ('MT01', 'ABELLERA', 'JANINE', 'CRUZ', '0048213'),
       ('MT02', 'BUENCAMINO', 'PAOLO', 'DIZON', '0051187'),
       ('MT03', 'CASTANEDA', 'LIGAYA', 'FERRER', '0039954'),
       ('MT04', 'DELA PAZ', 'MARK ANTHONY', 'GUTIERREZ', '0060421'),
       ('MT05', 'ENRIQUEZ', 'ROWENA', 'HILARIO', '0044760'),
       ('MT06', 'FAJARDO', 'DENNIS', 'ILAGAN', '0057302'),
       ('MT07', 'GALVEZ', 'CHERYL', '', '0062518'),
       ('MT-001', 'SANTOS', 'MARIA', 'L.', '0040615');

-- Pending requests keep ResultDate at the request time. Verified ones carry
-- the verification.
INSERT INTO LABORATORY.tblablogbook
       (RequestNum, HospNum, IDNum, PatientType, Age, RoomID, DoctorID, SectionID,
        TransDate, ResultDate, Verified, VerifiedBy, VerifiedDate, Remarks)
VALUES ('LR26-0001', '100231', 'OPD26-04512', 'O', '47', 'OPD', 'D101', 'CM',
        '2026-12-01 08:10:00', '2026-12-01 08:10:00', 0, NULL, NULL, ''),
       ('LR26-0002', '100245', 'OPD26-04518', 'O', '32', 'OPD', 'D101', 'CM',
        '2026-12-01 08:25:00', '2026-12-01 11:05:00', 1, 'MT02', '2026-12-01 11:05:00', ''),
       ('LR26-0003', '100252', 'IPD26-00871', 'I', '75', '312-A', 'D101', 'SE',
        '2026-12-01 09:40:00', '2026-12-01 09:40:00', 0, NULL, NULL, 'Febrile for 5 days'),
       ('LR26-0004', '100270', 'OPD26-04533', 'O', '25', 'OPD', 'D102', 'HP',
        '2026-12-01 10:15:00', '2026-12-01 10:15:00', 0, NULL, NULL, ''),
       ('LR26-0005', '100263', 'IPD26-00874', 'I', '58', '215-B', 'D101', 'SE',
        '2026-12-01 13:30:00', '2026-12-02 09:20:00', 1, 'MT05', '2026-12-02 09:20:00', ''),
       ('LR26-0006', '100288', 'IPD26-00880', 'I', '10', 'PEDIA-4', 'D104', 'CM',
        '2026-12-02 07:50:00', '2026-12-02 07:50:00', 0, NULL, NULL, ''),
       ('LR26-0007', '100294', 'OPD26-04560', 'O', '41', 'OPD', 'D101', 'CM',
        '2026-12-02 08:05:00', '2026-12-02 10:48:00', 1, 'MT01', '2026-12-02 10:48:00', ''),
       ('LR26-0008', '100231', 'IPD26-00883', 'I', '47', '408-A', 'D103', 'HP',
        '2026-12-02 11:00:00', '2026-12-02 11:00:00', 0, NULL, NULL, 'Cervical polyp, excised'),
       ('LR26-0009', '100307', 'IPD26-00885', 'I', '66', '310-C', 'D101', 'CC',
        '2026-12-03 06:30:00', '2026-12-03 06:30:00', 0, NULL, NULL, 'Fasting since 10 PM'),
       ('LR26-0010', '100245', 'OPD26-04597', 'O', '32', 'OPD', 'D102', 'HE',
        '2026-12-03 08:45:00', '2026-12-03 08:45:00', 0, NULL, NULL, ''),
       ('LR26-0011', '100252', 'IPD26-00871', 'I', '75', '312-A', 'D101', 'SE',
        '2026-12-03 09:10:00', '2026-12-03 09:10:00', 0, NULL, NULL, ''),
       ('LR26-0012', '100315', 'OPD26-04611', 'O', '36', 'OPD', 'D101', 'CC',
        '2026-12-03 07:15:00', '2026-12-03 13:40:00', 1, 'MT03', '2026-12-03 13:40:00', ''),
       ('LR26-0013', '100263', 'IPD26-00874', 'I', '58', '215-B', 'D103', 'HP',
        '2026-12-04 10:20:00', '2026-12-04 10:20:00', 0, NULL, NULL, 'Thyroid nodule, right lobe'),
       ('LR26-0014', '100322', 'IPD26-00892', 'I', '54', '406-B', 'D103', 'HP',
        '2026-12-02 15:00:00', '2026-12-05 16:10:00', 1, 'MT04', '2026-12-05 16:10:00', ''),
       ('LR26-0015', '100315', 'OPD26-04620', 'O', '36', 'OPD', 'D101', 'CC',
        '2026-12-05 07:30:00', '2026-12-05 07:30:00', 0, NULL, NULL, ''),
       ('LR26-0017', '100294', 'OPD26-04628', 'O', '41', 'OPD', 'D102', 'HP',
        '2026-12-05 09:00:00', '2026-12-05 09:00:00', 0, NULL, NULL, 'Annual screening, IUD in place');

-- The result forms save under LabNum, so it is the request number.
INSERT INTO LABORATORY.tblablogbookdetail (RequestNum, LineNo, LabExamID, RefNum, LabNum, Amount)
VALUES ('LR26-0001', 1, '23', 'CH-260451', 'LR26-0001', 90),
       ('LR26-0002', 1, '34', 'CH-260458', 'LR26-0002', 70),
       ('LR26-0003', 1, '96', 'CH-260466', 'LR26-0003', 280),
       ('LR26-0004', 1, '57', 'CH-260470', 'LR26-0004', 450),
       ('LR26-0005', 1, '97', 'CH-260479', 'LR26-0005', 300),
       ('LR26-0006', 1, '35', 'CH-260483', 'LR26-0006', 80),
       ('LR26-0007', 1, '65', 'CH-260490', 'LR26-0007', 150),
       ('LR26-0008', 1, '401', 'CH-260494', 'LR26-0008', 1500),
       ('LR26-0009', 1, '101', 'CH-260502', 'LR26-0009', 120),
       ('LR26-0009', 2, '102', 'CH-260502', 'LR26-0009', 140),
       ('LR26-0009', 3, '103', 'CH-260502', 'LR26-0009', 140),
       ('LR26-0009', 4, '104', 'CH-260502', 'LR26-0009', 150),
       ('LR26-0009', 5, '105', 'CH-260502', 'LR26-0009', 220),
       ('LR26-0009', 6, '106', 'CH-260502', 'LR26-0009', 100),
       ('LR26-0010', 1, '301', 'CH-260511', 'LR26-0010', 150),
       ('LR26-0010', 2, '201', 'CH-260511', 'LR26-0010', 200),
       ('LR26-0010', 3, '202', 'CH-260511', 'LR26-0010', 250),
       ('LR26-0011', 1, '311', 'CH-260519', 'LR26-0011', 300),
       ('LR26-0011', 2, '302', 'CH-260519', 'LR26-0011', 1200),
       ('LR26-0011', 3, '501', 'CH-260519', 'LR26-0011', 180),
       ('LR26-0011', 4, '601', 'CH-260519', 'LR26-0011', 350),
       ('LR26-0012', 1, '141', 'CH-260523', 'LR26-0012', 220),
       ('LR26-0012', 2, '151', 'CH-260523', 'LR26-0012', 200),
       ('LR26-0012', 3, '130', 'CH-260523', 'LR26-0012', 80),
       ('LR26-0012', 4, '131', 'CH-260523', 'LR26-0012', 80),
       ('LR26-0013', 1, '411', 'CH-260530', 'LR26-0013', 1800),
       ('LR26-0014', 1, '402', 'CH-260488', 'LR26-0014', 2800),
       ('LR26-0015', 1, '160', 'CH-260541', 'LR26-0015', 400),
       ('LR26-0017', 1, '57', 'CH-260548', 'LR26-0017', 450);

-- Registrations of the verified dedicated results.
INSERT INTO LABORATORY.tbLabResultEntry
       (LabNum, LabExamID, HospNum, IDNum, SectionID, RoomID, TransDate, ResultDate, DoctorID,
        FormType, ResultFlag, EmployeeID, Amount, PatientType, ItemID, RefNum, Switch, MedTechID,
        EntryDate)
VALUES ('LR26-0005', '97', '100263', 'IPD26-00874', 'SE', '215-B', '2026-12-01 13:30:00',
        '2026-12-02 00:00:00', 'D101', 'H', '0', 'MT05', 300, 'I', '97', 'CH-260479', '1', 'MT05',
        '2026-12-02 09:20:00'),
       ('LR26-0007', '65', '100294', 'OPD26-04560', 'CM', 'OPD', '2026-12-02 08:05:00',
        '2026-12-02 00:00:00', 'D101', 'H', '0', 'MT01', 150, 'O', '65', 'CH-260490', '1', 'MT01',
        '2026-12-02 10:48:00'),
       ('LR26-0014', '402', '100322', 'IPD26-00892', 'HP', '406-B', '2026-12-02 15:00:00',
        '2026-12-05 00:00:00', 'D103', 'X', '0', 'MT04', 2800, 'I', '402', 'CH-260488', '1', 'MT04',
        '2026-12-05 16:10:00');

-- Coded results as the forms save them: the single-text forms send 21
-- values, the stool form 32. Result20 holds the remarks.
INSERT INTO LABORATORY.tbLabResultHCodes
       (RequestNum, Result1, Result2, Result3, Result4, Result5, Result6, Result7, Result8,
        Result9, Result10, Result11, Result12, Result13, Result14, Result15, Result16, Result17,
        Result18, Result19, Result20, Result21, Result22, EntryDate)
VALUES ('LR26-0002', 'BROWN, FORMED', 'NEGATIVE', 'NORMAL', 'NONE', 'NEGATIVE', 'NEGATIVE',
        'ASCARIS OVA 1-2/LPF', 'NONE SEEN', 'NONE SEEN', 'NO TROPHOZOITES SEEN', '', '', '', '',
        '', '', '', '', '', 'Advised deworming and repeat exam after 2 weeks.', '', '',
        '2026-12-01 11:05:00'),
       ('LR26-0005', '1:80', '1:40', '1:320', '', '', '', '', '', '', '', '', '', '', '', '',
        '', '', '', '', 'OX19 titer significant. Correlate clinically.', '', '',
        '2026-12-02 09:20:00');

INSERT INTO LABORATORY.tbLabResultHCodes
       (RequestNum, Result1, Result2, Result3, Result4, Result5, Result6, Result7, Result8,
        Result9, Result10, Result11, Result12, Result13, Result14, Result15, Result16, Result17,
        Result18, Result19, Result20, Result21, Result22, Result23, Result24, Result25, Result26,
        Result27, Result28, Result29, Result30, Result31, Result32, Result33, EntryDate)
VALUES ('LR26-0007', 'BROWN', 'SOFT', 'NEGATIVE', 'NONE', '0-2/HPF', '0-1/HPF', 'FEW', 'NONE',
        'NONE SEEN', 'TRICHURIS OVA 0-1/LPF', 'NONE SEEN', 'NONE SEEN', 'NONE', 'NONE SEEN',
        'CYSTS 1-2/HPF', 'NONE SEEN', 'NONE SEEN', 'NONE SEEN', '',
        'Repeat after treatment.', 'LIGHT TRICHURIASIS, ENTAMOEBA COLI CYST (NON-PATHOGENIC)',
        '12/2/2026', '10:45:00 AM', '', '', '', '', '', '', '', '', '', '',
        '2026-12-02 10:48:00');

-- Exam-form results of a verified request, in the slots of their layouts:
-- 5 conventional and SI values, 9 the second conventional form, 8 normal
-- values with conversion.
INSERT INTO LABORATORY.tbLabResultValues
       (RequestNum, LabExamID, FormType, LayoutIndex, A1, A2, A3, A5, C1, C2, G1, G2, G3, G4, G5,
        Remarks, EntryDate)
VALUES ('LR26-0012', '141', '8', 5, 0, 150, 'mg/dL', NULL, 182, 2.06, NULL, NULL, 0, 1.7,
        'mmol/L', 'Non-fasting sample', '2026-12-03 13:40:00'),
       ('LR26-0012', '151', 'N', 9, NULL, NULL, NULL, NULL, 38, 0.63, '0 - 40 U/L',
        '0 - 0.67 ukat/L', NULL, NULL, 'U/L', 'Non-fasting sample', '2026-12-03 13:40:00'),
       ('LR26-0012', '130', '7', 8, NULL, NULL, 'g/L', '128', NULL, NULL, '120', NULL, NULL,
        NULL, NULL, 'Non-fasting sample', '2026-12-03 13:40:00'),
       ('LR26-0012', '131', 'A', 8, NULL, NULL, 'L/L', '0.39', NULL, NULL, '0.37', NULL, NULL,
        NULL, NULL, 'Non-fasting sample', '2026-12-03 13:40:00');

-- An earlier creatinine of the patient of LR26-0015, whose renal profile
-- is checked against it.
INSERT INTO LABORATORY.tbLabResultValues
       (RequestNum, LabExamID, FormType, LayoutIndex, A1, A2, A3, A4, Remarks, EntryDate)
VALUES ('LR26-0012', '103', '1', 0, 0.6, 1.3, 'mg/dL', 0.7, 'Non-fasting sample',
        '2026-12-03 13:40:00');

-- Result checks: the sedimentation rate by sex and age (days: 18 years are
-- 6570, 50 years 18250), critical limits of potassium and urea nitrogen,
-- delta rules of creatinine and potassium.
INSERT INTO LABORATORY.tbLabRefRange (LabExamID, Sex, AgeFromDays, AgeToDays, LowValue, HighValue)
VALUES ('106', '', 0, NULL, 0, 20),
       ('106', '', 0, 6570, 0, 10),
       ('106', 'M', 6570, 18250, 0, 15),
       ('106', 'M', 18250, NULL, 0, 20),
       ('106', 'F', 6570, 18250, 0, 20),
       ('106', 'F', 18250, NULL, 0, 30);

INSERT INTO LABORATORY.tbLabCriticalLimit (LabExamID, CriticalLow, CriticalHigh)
VALUES ('105', 2.5, 6.5),
       ('102', NULL, 100);

INSERT INTO LABORATORY.tbLabDeltaRule (LabExamID, DeltaKind, DeltaLimit, DeltaDays)
VALUES ('103', 'P', 50, 30),
       ('105', 'A', 1, 7);

INSERT INTO LABORATORY.tbLabResultHistoCytology
       (RequestNum, HistopathNum, ResultDate, GrossDescription, FinalDiagnosis, Remarks, EntryDate)
VALUES ('LR26-0014', 'HP26-0187', '2026-12-05 15:30:00',
        'Received in formalin is a gallbladder measuring 8.0 x 3.0 x 2.5 cm. The serosa is smooth and tan. The wall measures 0.4 cm in thickness. The lumen contains multiple yellow-green faceted stones, the largest 1.2 cm across.',
        'Chronic cholecystitis with cholelithiasis.',
        '', '2026-12-05 16:10:00');

-- A histopathology request in progress: its first save registered it and
-- stored the gross description (two printed pages), the diagnosis is still
-- to be written.
INSERT INTO LABORATORY.tblablogbook
       (RequestNum, HospNum, IDNum, PatientType, Age, RoomID, DoctorID, SectionID,
        TransDate, ResultDate, Verified, VerifiedBy, VerifiedDate, Remarks)
VALUES ('LR26-0016', '100307', 'IPD26-00885', 'I', '66', '310-C', 'D103', 'HP',
        '2026-12-04 14:00:00', '2026-12-04 14:00:00', 0, NULL, NULL, 'Cecal mass, right hemicolectomy');

INSERT INTO LABORATORY.tblablogbookdetail (RequestNum, LineNo, LabExamID, RefNum, LabNum, Amount)
VALUES ('LR26-0016', 1, '402', 'CH-260547', 'LR26-0016', 2800);

INSERT INTO LABORATORY.tbLabResultEntry
       (LabNum, LabExamID, HospNum, IDNum, SectionID, RoomID, TransDate, ResultDate, DoctorID,
        FormType, ResultFlag, EmployeeID, Amount, PatientType, ItemID, RefNum, Switch, MedTechID,
        EntryDate)
VALUES ('LR26-0016', '402', '100307', 'IPD26-00885', 'HP', '310-C', '2026-12-04 14:00:00',
        '2026-12-05 00:00:00', 'D103', 'X', '0', 'MT04', 2800, 'I', '402', 'CH-260547', '1', 'MT04',
        '2026-12-05 17:20:00');

INSERT INTO LABORATORY.tbLabResultHistoCytology
       (RequestNum, HistopathNum, ResultDate, GrossDescription, FinalDiagnosis, Remarks, EntryDate)
VALUES ('LR26-0016', 'HP26-0193', '2026-12-05 17:00:00',
        'Received fresh and subsequently fixed in formalin, labelled with the patient`s name and "right colon", is a right hemicolectomy specimen consisting of terminal ileum (8.0 cm long, 3.0 cm in circumference), cecum with appendix, ascending colon and a portion of proximal transverse colon (together 24.0 cm long, 7.5 cm in circumference), with attached mesentery and pericolic fat.
The serosal surface is tan-pink and smooth except for a 3.0 x 2.5 cm area of puckering and dull, gray-white induration over the cecum, 4.0 cm from the ileocecal valve. No perforation is identified. The appendix measures 6.5 cm in length and 0.6 cm in diameter and is grossly unremarkable.
The specimen is opened along the antimesenteric border. In the cecum there is an ulcerated, fungating mass measuring 5.5 x 4.8 x 2.2 cm, with raised, rolled edges and a necrotic, hemorrhagic central crater. The mass involves about 70 percent of the circumference and narrows the lumen to 1.5 cm. It lies 3.5 cm from the ileocecal valve, 10.0 cm from the ileal margin and 19.5 cm from the distal colonic margin. On cut section the tumor is firm and gray-white and appears to extend through the muscularis propria into the pericolic fat to a depth of 0.8 cm, coming to within 1.2 cm of the inked mesenteric (radial) margin.
The remaining colonic mucosa shows normal folds. Two sessile polyps are present in the ascending colon, measuring 0.6 and 0.4 cm, located 8.0 and 12.0 cm from the distal margin respectively. The ileal mucosa is tan and velvety, without lesions.
The specimen is photographed before and after opening. Measurements are taken after fixation for 24 hours, pinned flat on a cork board.
The specimen reached the laboratory 40 minutes after resection and was placed in 10 percent neutral buffered formalin (ten times its volume) within one hour of surgery: cold ischemia time under one hour.
The pericolic and mesenteric fat is dissected for lymph nodes: twenty-one lymph nodes are identified, ranging from 0.2 to 1.4 cm in greatest dimension. The largest, near the ileocolic vessels, is firm and gray-white on cut section. The ileocolic vascular pedicle is tied with a suture and shows no gross tumor thrombus.
Representative sections are submitted as follows:
A1. Ileal resection margin, en face.
A2. Distal colonic resection margin, en face.
A3. Mesenteric (radial) margin closest to the tumor, inked black.
A4 to A7. Tumor with deepest invasion into the pericolic fat, full thickness.
A8. Tumor with adjacent uninvolved mucosa.
A9. Tumor and the ileocecal valve.
A10. Serosal puckering over the tumor.
A11. Appendix, tip longitudinally and cross sections of the base.
A12. Polyp, 0.6 cm, entirely submitted.
A13. Polyp, 0.4 cm, entirely submitted.
A14. Uninvolved ascending colon.
A15. Uninvolved terminal ileum.
A16. Five lymph nodes, pericolic, near the tumor.
A17. Five lymph nodes, pericolic, distal.
A18. Four lymph nodes, mesenteric.
A19. Four lymph nodes, mesenteric, proximal.
A20. Largest lymph node, ileocolic, bisected.
A21. Two lymph nodes, highest (apical), near the vascular tie.
A22 to A24. Additional sections of the tumor, full thickness.
A25. Ileocolic vascular pedicle, cross sections.
A26. Mesenteric fat away from the tumor, for tumor deposits.
A27. Nodule in the mesentery, 0.5 cm, possible tumor deposit, entirely submitted.
A28. Ileocecal valve, uninvolved portion.
A29. Base of the appendix with the adjacent cecal wall.
A30. Transverse colon near the distal margin.
A31. Two lymph nodes, pericolic, transverse colon.
A32. Remaining small lymph nodes, mesenteric, submitted in toto.
A33. Smaller polyp site, base with the underlying wall.
A34. Mucosa between the tumor and the ileocecal valve.
Thirty-four cassettes in all. The remaining tissue is kept in formalin for three months.
Dictated by the resident on duty, reviewed by the pathologist. Frozen section was not requested. Tissue for special studies (mismatch repair immunohistochemistry) is available in cassette A4. The block key and the photographs of the opened specimen are filed with the request.',
        '',
        '', '2026-12-05 17:20:00');
