-- Vantrel laboratory database, embedded (SQLite) form.
-- Runs on a connection where LABORATORY, patient_data and build_file are
-- attached, so every object carries its database name. Re-running is harmless.
--
-- Keys that the server compared without regard to case (request numbers,
-- codes, identifiers) are COLLATE NOCASE. Dates are ISO text
-- 'YYYY-MM-DD HH:MM:SS' in DATETIME columns; the CHECKs refuse text that is
-- not a date, the way a conversion error would on the server.
-- No foreign keys: SQLite cannot enforce them across attached files.

------------------------------------------------------------------------------
-- patient_data
------------------------------------------------------------------------------

-- The heading of every report. One row.
CREATE TABLE IF NOT EXISTS patient_data.tbHospitalInfo (
    HospitalID INTEGER PRIMARY KEY,
    Title      TEXT NOT NULL DEFAULT '',
    Company    TEXT NOT NULL DEFAULT '',
    address1   TEXT NOT NULL DEFAULT '',
    address2   TEXT NOT NULL DEFAULT '',
    TelNo      TEXT NOT NULL DEFAULT ''
);

CREATE TABLE IF NOT EXISTS patient_data.tbPatient (
    HospNum     TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    LastName    TEXT NOT NULL DEFAULT '',
    FirstName   TEXT NOT NULL DEFAULT '',
    MiddleName  TEXT NOT NULL DEFAULT '',
    Sex         TEXT NOT NULL DEFAULT '',
    CivilStatus TEXT NOT NULL DEFAULT '',
    BirthDate   DATETIME
        CONSTRAINT BirthDate_is_date CHECK (BirthDate IS NULL OR (BirthDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(BirthDate) IS NOT NULL)),
    Address     TEXT NOT NULL DEFAULT ''
);

CREATE INDEX IF NOT EXISTS patient_data.ix_tbPatient_name
    ON tbPatient (LastName COLLATE NOCASE, FirstName COLLATE NOCASE);

------------------------------------------------------------------------------
-- build_file
------------------------------------------------------------------------------

CREATE TABLE IF NOT EXISTS build_file.tbcolabsection (
    SectionID   TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    SectionName TEXT NOT NULL DEFAULT ''
);

CREATE TABLE IF NOT EXISTS build_file.tbcodoctor (
    DoctorID   TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    LastName   TEXT NOT NULL DEFAULT '',
    FirstName  TEXT NOT NULL DEFAULT '',
    MiddleName TEXT NOT NULL DEFAULT '',
    Service  TEXT NOT NULL DEFAULT ''
);

-- Exam catalog. FormType picks the entry form and stays case-sensitive
-- ("h" is not "H"); EModel picks the dedicated form of an "H" exam.
CREATE TABLE IF NOT EXISTS build_file.tbcolabexam (
    LabExamID TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    ExamTitle TEXT NOT NULL DEFAULT '',
    FormType  TEXT NOT NULL DEFAULT '',
    EModel    TEXT NOT NULL DEFAULT '',
    SectionID TEXT COLLATE NOCASE,
    Amount    NUMERIC NOT NULL DEFAULT 0
);

CREATE INDEX IF NOT EXISTS build_file.ix_tbcolabexam_section ON tbcolabexam (SectionID);

-- Prompt lines of the coded-text exams: one line of promptdata per result line.
CREATE TABLE IF NOT EXISTS build_file.tbcolabvalues (
    code        TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    description TEXT NOT NULL DEFAULT '',
    promptdata  TEXT
);

-- The host's reference values of an exam (normal ranges, units, conversion
-- factors, cut-offs), one row per element of the Data array that the host
-- hands over with the exam.
CREATE TABLE IF NOT EXISTS build_file.tbcolabrefvalues (
    LabExamID TEXT NOT NULL COLLATE NOCASE,
    Element   INTEGER NOT NULL,
    Value     TEXT NOT NULL DEFAULT '',
    PRIMARY KEY (LabExamID, Element)
);

-- Profiles: an exam ordered as one item whose member exams are entered
-- together and saved as one profile row.
CREATE TABLE IF NOT EXISTS build_file.tbcolabprofile (
    ProfileExamID TEXT COLLATE NOCASE NOT NULL,
    LineNo        integer NOT NULL,
    LabExamID     TEXT COLLATE NOCASE NOT NULL,
    PRIMARY KEY (ProfileExamID, LineNo)
);

------------------------------------------------------------------------------
-- LABORATORY
------------------------------------------------------------------------------

-- One row per laboratory request. ResultDate is never empty: it starts as the
-- request date and becomes the release time at the first verification.
CREATE TABLE IF NOT EXISTS LABORATORY.tblablogbook (
    RequestNum   TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    HospNum      TEXT NOT NULL COLLATE NOCASE,
    IDNum        TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    PatientType  TEXT NOT NULL DEFAULT '',
    Age          TEXT NOT NULL DEFAULT '',
    RoomID       TEXT NOT NULL DEFAULT '',
    DoctorID     TEXT COLLATE NOCASE,
    SectionID    TEXT COLLATE NOCASE,
    TransDate    DATETIME NOT NULL DEFAULT (datetime('now', 'localtime'))
        CONSTRAINT TransDate_is_date CHECK (TransDate IS NULL OR (TransDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(TransDate) IS NOT NULL)),
    ResultDate   DATETIME NOT NULL DEFAULT (datetime('now', 'localtime'))
        CONSTRAINT ResultDate_is_date CHECK (ResultDate IS NULL OR (ResultDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(ResultDate) IS NOT NULL)),
    Verified     INTEGER NOT NULL DEFAULT 0,
    VerifiedBy   TEXT,
    VerifiedDate DATETIME
        CONSTRAINT VerifiedDate_is_date CHECK (VerifiedDate IS NULL OR (VerifiedDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(VerifiedDate) IS NOT NULL)),
    Remarks      TEXT NOT NULL DEFAULT ''
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tblablogbook_pending ON tblablogbook (Verified, TransDate);
CREATE INDEX IF NOT EXISTS LABORATORY.ix_tblablogbook_hospnum ON tblablogbook (HospNum);

-- The exams of a request, in the order they were ordered. LabNum is the
-- number the result forms save under; it is the request number itself.
CREATE TABLE IF NOT EXISTS LABORATORY.tblablogbookdetail (
    RequestNum TEXT NOT NULL COLLATE NOCASE,
    LineNo     INTEGER NOT NULL,
    LabExamID  TEXT NOT NULL COLLATE NOCASE,
    RefNum     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    LabNum     TEXT NOT NULL COLLATE NOCASE,
    Amount     NUMERIC NOT NULL DEFAULT 0,
    PRIMARY KEY (RequestNum, LineNo)
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tblablogbookdetail_labnum ON tblablogbookdetail (LabNum);

CREATE TABLE IF NOT EXISTS LABORATORY.tbLabMedTech (
    MedTechID  TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    lastname   TEXT NOT NULL DEFAULT '',
    firstname  TEXT NOT NULL DEFAULT '',
    middlename TEXT NOT NULL DEFAULT '',
    LicenseNo  TEXT NOT NULL DEFAULT ''
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tbLabMedTech_name
    ON tbLabMedTech (lastname COLLATE NOCASE, firstname COLLATE NOCASE);

-- Result registration (LAB_SaveResultEntry): one row per request and exam;
-- registering again replaces the row.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabResultEntry (
    EntryID     INTEGER PRIMARY KEY AUTOINCREMENT,
    LabNum      TEXT NOT NULL COLLATE NOCASE,
    LabExamID   TEXT NOT NULL COLLATE NOCASE,
    HospNum     TEXT COLLATE NOCASE,
    IDNum       TEXT COLLATE NOCASE,
    SectionID   TEXT COLLATE NOCASE,
    RoomID      TEXT,
    TransDate   DATETIME
        CONSTRAINT TransDate_is_date CHECK (TransDate IS NULL OR (TransDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(TransDate) IS NOT NULL)),
    ResultDate  DATETIME
        CONSTRAINT ResultDate_is_date CHECK (ResultDate IS NULL OR (ResultDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(ResultDate) IS NOT NULL)),
    DoctorID    TEXT COLLATE NOCASE,
    FormType    TEXT,
    ResultFlag  TEXT,
    EmployeeID  TEXT COLLATE NOCASE,
    Amount      NUMERIC,
    PatientType TEXT,
    ItemID      TEXT COLLATE NOCASE,
    RefNum      TEXT COLLATE NOCASE,
    Switch      TEXT,
    MedTechID   TEXT COLLATE NOCASE,
    EntryDate   DATETIME NOT NULL DEFAULT (datetime('now', 'localtime')),
    UpdateDate  DATETIME,
    UNIQUE (LabNum, LabExamID)
);

-- Coded results: one row per request, Result1..Result33 right after the key
-- because the forms read them by ordinal. Result20 holds the remarks.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabResultHCodes (
    RequestNum TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    Result1  TEXT, Result2  TEXT, Result3  TEXT, Result4  TEXT, Result5  TEXT,
    Result6  TEXT, Result7  TEXT, Result8  TEXT, Result9  TEXT, Result10 TEXT,
    Result11 TEXT, Result12 TEXT, Result13 TEXT, Result14 TEXT, Result15 TEXT,
    Result16 TEXT, Result17 TEXT, Result18 TEXT, Result19 TEXT, Result20 TEXT,
    Result21 TEXT, Result22 TEXT, Result23 TEXT, Result24 TEXT, Result25 TEXT,
    Result26 TEXT, Result27 TEXT, Result28 TEXT, Result29 TEXT, Result30 TEXT,
    Result31 TEXT, Result32 TEXT, Result33 TEXT,
    EntryDate  DATETIME NOT NULL DEFAULT (datetime('now', 'localtime')),
    UpdateDate DATETIME
);

-- Results of the generic exam form, one row per request and exam, in the
-- value slots of the form's result layouts (LayoutIndex 0..9). Slots that
-- the layout does not fill are NULL.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabResultValues (
    RequestNum  TEXT NOT NULL COLLATE NOCASE,
    LabExamID   TEXT NOT NULL COLLATE NOCASE,
    FormType    TEXT,
    LayoutIndex INTEGER,
    A1 REAL, A2 REAL, A3 TEXT, A4 REAL, A5 TEXT,
    B1 TEXT, B2 TEXT, B3 TEXT, B4 TEXT,
    C1 REAL, C2 REAL,
    E1 TEXT, E2 TEXT,
    H1 TEXT, H2 TEXT, H3 TEXT, H4 TEXT, H5 TEXT, H6 TEXT,
    F1 TEXT,
    G1 TEXT, G2 TEXT, G3 REAL, G4 REAL, G5 TEXT,
    Remarks     TEXT,
    SaveFlag   INTEGER,
    EntryDate   DATETIME NOT NULL DEFAULT (datetime('now', 'localtime')),
    UpdateDate  DATETIME,
    PRIMARY KEY (RequestNum, LabExamID)
);

-- Profile mode: the packed values of up to 18 exams, one row per request
-- and profile exam.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabProfileResult (
    RequestNum    TEXT NOT NULL COLLATE NOCASE,
    ProfileExamID TEXT NOT NULL COLLATE NOCASE,
    Slot0  TEXT, Slot1  TEXT, Slot2  TEXT, Slot3  TEXT, Slot4  TEXT, Slot5  TEXT,
    Slot6  TEXT, Slot7  TEXT, Slot8  TEXT, Slot9  TEXT, Slot10 TEXT, Slot11 TEXT,
    Slot12 TEXT, Slot13 TEXT, Slot14 TEXT, Slot15 TEXT, Slot16 TEXT, Slot17 TEXT,
    Remarks    TEXT,
    EntryDate  DATETIME NOT NULL DEFAULT (datetime('now', 'localtime')),
    UpdateDate DATETIME,
    PRIMARY KEY (RequestNum, ProfileExamID)
);

-- Histopathology and cytology reports, one per request.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabResultHistoCytology (
    RequestNum       TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    HistopathNum     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    ResultDate       DATETIME
        CONSTRAINT ResultDate_is_date CHECK (ResultDate IS NULL OR (ResultDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(ResultDate) IS NOT NULL)),
    GrossDescription TEXT,
    FinalDiagnosis   TEXT,
    Remarks          TEXT,
    EntryDate        DATETIME NOT NULL DEFAULT (datetime('now', 'localtime')),
    UpdateDate       DATETIME
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tbLabResultHistoCytology_num
    ON tbLabResultHistoCytology (HistopathNum);

-- Print spools. Every row arrives with RowNum 1, so SeqNo (filled by the
-- table) is what keeps the lines in the order they were written.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabPrint (
    SeqNo   INTEGER PRIMARY KEY AUTOINCREMENT,
    RowNum  INTEGER NOT NULL DEFAULT 1,
    RowLine TEXT
);

CREATE TABLE IF NOT EXISTS LABORATORY.tbLabPrint_Histopath (
    SeqNo          INTEGER PRIMARY KEY AUTOINCREMENT,
    Microscopy     TEXT,
    FinalDiagnosis TEXT
);
