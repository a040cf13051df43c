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

------------------------------------------------------------------------------
-- Audit trail
------------------------------------------------------------------------------

-- Every change of a result value, every verification and every print, one
-- row each, oldest first by AuditID. The triggers below write it, so a change
-- made by an older library or by hand is recorded too; nothing turns them
-- off. Values are kept as text, the way the database writes them.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabAudit (
    AuditID     INTEGER PRIMARY KEY AUTOINCREMENT,
    RequestNum  TEXT COLLATE NOCASE,
    LabNum      TEXT COLLATE NOCASE,
    Action      TEXT NOT NULL,
    TableName   TEXT,
    Exam        TEXT COLLATE NOCASE,
    ColumnName  TEXT,
    OldValue    TEXT,
    NewValue    TEXT,
    EmployeeID  TEXT,
    MedTechID   TEXT,
    Workstation TEXT NOT NULL DEFAULT 'unknown workstation',
    DbUser      TEXT,
    ChangedAt   DATETIME NOT NULL DEFAULT (datetime('now', 'localtime'))
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tbLabAudit_request ON tbLabAudit (RequestNum, AuditID);

-- Append-only: a row once written stays as it is.
DROP TRIGGER IF EXISTS LABORATORY.tbLabAudit_no_update;
CREATE TRIGGER LABORATORY.tbLabAudit_no_update BEFORE UPDATE ON tbLabAudit BEGIN
    SELECT RAISE(ABORT, 'The audit trail is append-only: update is refused.');
END;
DROP TRIGGER IF EXISTS LABORATORY.tbLabAudit_no_delete;
CREATE TRIGGER LABORATORY.tbLabAudit_no_delete BEFORE DELETE ON tbLabAudit BEGIN
    SELECT RAISE(ABORT, 'The audit trail is append-only: delete is refused.');
END;

-- Who and where of the running transaction: the library writes the one row
-- (employee, medtech, workstation) right after BEGIN IMMEDIATE and removes
-- it before COMMIT. The write lock keeps every other connection from seeing
-- it, so a change made without it records NULL, NULL, 'unknown workstation'.
-- One row read by its rowid, in scalar lookups: the triggers cost less so
-- than joined with it.
CREATE TABLE IF NOT EXISTS LABORATORY.transaction_settings (
    id          INTEGER PRIMARY KEY CHECK (id = 1),
    employee    TEXT,
    medtech     TEXT,
    workstation TEXT
);
-- Its name/value form before, written and read by nothing now.
DROP VIEW IF EXISTS LABORATORY.audit_context;
DROP TABLE IF EXISTS LABORATORY.transaction_context;

-- A verification, or the request's verifier changing.
DROP TRIGGER IF EXISTS LABORATORY.tblablogbook_audit_verify;
CREATE TRIGGER LABORATORY.tblablogbook_audit_verify AFTER UPDATE OF Verified, VerifiedBy
ON tblablogbook WHEN OLD.Verified IS NOT NEW.Verified OR OLD.VerifiedBy IS NOT NEW.VerifiedBy
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, ColumnName, OldValue,
                            NewValue, EmployeeID, MedTechID, Workstation)
    SELECT NEW.RequestNum, NEW.RequestNum,
           CASE WHEN NEW.Verified <> 0 THEN 'verify' ELSE 'unverify' END, 'tblablogbook',
           'VerifiedBy', OLD.VerifiedBy, NEW.VerifiedBy, w.employee, w.medtech,
           coalesce(w.workstation, 'unknown workstation')
    FROM (SELECT 1) LEFT JOIN transaction_settings w ON w.id = 1;
END;

-- The result tables: one row per value that differs from the stored one
-- (inserts from NULL, deletes to NULL); the bookkeeping dates are left out.
DROP TRIGGER IF EXISTS LABORATORY.tbLabResultEntry_audit_insert;
CREATE TRIGGER LABORATORY.tbLabResultEntry_audit_insert AFTER INSERT ON tbLabResultEntry
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.LabNum LIMIT 1), NEW.LabNum),
           NEW.LabNum, 'change', 'tbLabResultEntry', NEW.LabExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'HospNum' AS c, NULL AS o, NEW.HospNum AS n WHERE NEW.HospNum IS NOT NULL
          UNION ALL SELECT 'IDNum', NULL, NEW.IDNum WHERE NEW.IDNum IS NOT NULL
          UNION ALL SELECT 'SectionID', NULL, NEW.SectionID WHERE NEW.SectionID IS NOT NULL
          UNION ALL SELECT 'RoomID', NULL, NEW.RoomID WHERE NEW.RoomID IS NOT NULL
          UNION ALL SELECT 'TransDate', NULL, NEW.TransDate WHERE NEW.TransDate IS NOT NULL
          UNION ALL SELECT 'ResultDate', NULL, NEW.ResultDate WHERE NEW.ResultDate IS NOT NULL
          UNION ALL SELECT 'DoctorID', NULL, NEW.DoctorID WHERE NEW.DoctorID IS NOT NULL
          UNION ALL SELECT 'FormType', NULL, NEW.FormType WHERE NEW.FormType IS NOT NULL
          UNION ALL SELECT 'ResultFlag', NULL, NEW.ResultFlag WHERE NEW.ResultFlag IS NOT NULL
          UNION ALL SELECT 'EmployeeID', NULL, NEW.EmployeeID WHERE NEW.EmployeeID IS NOT NULL
          UNION ALL SELECT 'Amount', NULL, NEW.Amount WHERE NEW.Amount IS NOT NULL
          UNION ALL SELECT 'PatientType', NULL, NEW.PatientType WHERE NEW.PatientType IS NOT NULL
          UNION ALL SELECT 'ItemID', NULL, NEW.ItemID WHERE NEW.ItemID IS NOT NULL
          UNION ALL SELECT 'RefNum', NULL, NEW.RefNum WHERE NEW.RefNum IS NOT NULL
          UNION ALL SELECT 'Switch', NULL, NEW.Switch WHERE NEW.Switch IS NOT NULL
          UNION ALL SELECT 'MedTechID', NULL, NEW.MedTechID WHERE NEW.MedTechID IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultEntry_audit_update;
CREATE TRIGGER LABORATORY.tbLabResultEntry_audit_update AFTER UPDATE ON tbLabResultEntry
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.LabNum LIMIT 1), NEW.LabNum),
           NEW.LabNum, 'change', 'tbLabResultEntry', NEW.LabExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'LabNum' AS c, OLD.LabNum AS o, NEW.LabNum AS n WHERE OLD.LabNum IS NOT NEW.LabNum COLLATE BINARY
          UNION ALL SELECT 'LabExamID', OLD.LabExamID, NEW.LabExamID WHERE OLD.LabExamID IS NOT NEW.LabExamID COLLATE BINARY
          UNION ALL SELECT 'HospNum', OLD.HospNum, NEW.HospNum WHERE OLD.HospNum IS NOT NEW.HospNum COLLATE BINARY
          UNION ALL SELECT 'IDNum', OLD.IDNum, NEW.IDNum WHERE OLD.IDNum IS NOT NEW.IDNum COLLATE BINARY
          UNION ALL SELECT 'SectionID', OLD.SectionID, NEW.SectionID WHERE OLD.SectionID IS NOT NEW.SectionID COLLATE BINARY
          UNION ALL SELECT 'RoomID', OLD.RoomID, NEW.RoomID WHERE OLD.RoomID IS NOT NEW.RoomID COLLATE BINARY
          UNION ALL SELECT 'TransDate', OLD.TransDate, NEW.TransDate WHERE OLD.TransDate IS NOT NEW.TransDate COLLATE BINARY
          UNION ALL SELECT 'ResultDate', OLD.ResultDate, NEW.ResultDate WHERE OLD.ResultDate IS NOT NEW.ResultDate COLLATE BINARY
          UNION ALL SELECT 'DoctorID', OLD.DoctorID, NEW.DoctorID WHERE OLD.DoctorID IS NOT NEW.DoctorID COLLATE BINARY
          UNION ALL SELECT 'FormType', OLD.FormType, NEW.FormType WHERE OLD.FormType IS NOT NEW.FormType COLLATE BINARY
          UNION ALL SELECT 'ResultFlag', OLD.ResultFlag, NEW.ResultFlag WHERE OLD.ResultFlag IS NOT NEW.ResultFlag COLLATE BINARY
          UNION ALL SELECT 'EmployeeID', OLD.EmployeeID, NEW.EmployeeID WHERE OLD.EmployeeID IS NOT NEW.EmployeeID COLLATE BINARY
          UNION ALL SELECT 'Amount', OLD.Amount, NEW.Amount WHERE OLD.Amount IS NOT NEW.Amount COLLATE BINARY
          UNION ALL SELECT 'PatientType', OLD.PatientType, NEW.PatientType WHERE OLD.PatientType IS NOT NEW.PatientType COLLATE BINARY
          UNION ALL SELECT 'ItemID', OLD.ItemID, NEW.ItemID WHERE OLD.ItemID IS NOT NEW.ItemID COLLATE BINARY
          UNION ALL SELECT 'RefNum', OLD.RefNum, NEW.RefNum WHERE OLD.RefNum IS NOT NEW.RefNum COLLATE BINARY
          UNION ALL SELECT 'Switch', OLD.Switch, NEW.Switch WHERE OLD.Switch IS NOT NEW.Switch COLLATE BINARY
          UNION ALL SELECT 'MedTechID', OLD.MedTechID, NEW.MedTechID WHERE OLD.MedTechID IS NOT NEW.MedTechID COLLATE BINARY) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultEntry_audit_delete;
CREATE TRIGGER LABORATORY.tbLabResultEntry_audit_delete AFTER DELETE ON tbLabResultEntry
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = OLD.LabNum LIMIT 1), OLD.LabNum),
           OLD.LabNum, 'change', 'tbLabResultEntry', OLD.LabExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'HospNum' AS c, OLD.HospNum AS o, NULL AS n WHERE OLD.HospNum IS NOT NULL
          UNION ALL SELECT 'IDNum', OLD.IDNum, NULL WHERE OLD.IDNum IS NOT NULL
          UNION ALL SELECT 'SectionID', OLD.SectionID, NULL WHERE OLD.SectionID IS NOT NULL
          UNION ALL SELECT 'RoomID', OLD.RoomID, NULL WHERE OLD.RoomID IS NOT NULL
          UNION ALL SELECT 'TransDate', OLD.TransDate, NULL WHERE OLD.TransDate IS NOT NULL
          UNION ALL SELECT 'ResultDate', OLD.ResultDate, NULL WHERE OLD.ResultDate IS NOT NULL
          UNION ALL SELECT 'DoctorID', OLD.DoctorID, NULL WHERE OLD.DoctorID IS NOT NULL
          UNION ALL SELECT 'FormType', OLD.FormType, NULL WHERE OLD.FormType IS NOT NULL
          UNION ALL SELECT 'ResultFlag', OLD.ResultFlag, NULL WHERE OLD.ResultFlag IS NOT NULL
          UNION ALL SELECT 'EmployeeID', OLD.EmployeeID, NULL WHERE OLD.EmployeeID IS NOT NULL
          UNION ALL SELECT 'Amount', OLD.Amount, NULL WHERE OLD.Amount IS NOT NULL
          UNION ALL SELECT 'PatientType', OLD.PatientType, NULL WHERE OLD.PatientType IS NOT NULL
          UNION ALL SELECT 'ItemID', OLD.ItemID, NULL WHERE OLD.ItemID IS NOT NULL
          UNION ALL SELECT 'RefNum', OLD.RefNum, NULL WHERE OLD.RefNum IS NOT NULL
          UNION ALL SELECT 'Switch', OLD.Switch, NULL WHERE OLD.Switch IS NOT NULL
          UNION ALL SELECT 'MedTechID', OLD.MedTechID, NULL WHERE OLD.MedTechID IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultHCodes_audit_insert;
CREATE TRIGGER LABORATORY.tbLabResultHCodes_audit_insert AFTER INSERT ON tbLabResultHCodes
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabResultHCodes', NULL, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'Result1' AS c, NULL AS o, NEW.Result1 AS n WHERE NEW.Result1 IS NOT NULL
          UNION ALL SELECT 'Result2', NULL, NEW.Result2 WHERE NEW.Result2 IS NOT NULL
          UNION ALL SELECT 'Result3', NULL, NEW.Result3 WHERE NEW.Result3 IS NOT NULL
          UNION ALL SELECT 'Result4', NULL, NEW.Result4 WHERE NEW.Result4 IS NOT NULL
          UNION ALL SELECT 'Result5', NULL, NEW.Result5 WHERE NEW.Result5 IS NOT NULL
          UNION ALL SELECT 'Result6', NULL, NEW.Result6 WHERE NEW.Result6 IS NOT NULL
          UNION ALL SELECT 'Result7', NULL, NEW.Result7 WHERE NEW.Result7 IS NOT NULL
          UNION ALL SELECT 'Result8', NULL, NEW.Result8 WHERE NEW.Result8 IS NOT NULL
          UNION ALL SELECT 'Result9', NULL, NEW.Result9 WHERE NEW.Result9 IS NOT NULL
          UNION ALL SELECT 'Result10', NULL, NEW.Result10 WHERE NEW.Result10 IS NOT NULL
          UNION ALL SELECT 'Result11', NULL, NEW.Result11 WHERE NEW.Result11 IS NOT NULL
          UNION ALL SELECT 'Result12', NULL, NEW.Result12 WHERE NEW.Result12 IS NOT NULL
          UNION ALL SELECT 'Result13', NULL, NEW.Result13 WHERE NEW.Result13 IS NOT NULL
          UNION ALL SELECT 'Result14', NULL, NEW.Result14 WHERE NEW.Result14 IS NOT NULL
          UNION ALL SELECT 'Result15', NULL, NEW.Result15 WHERE NEW.Result15 IS NOT NULL
          UNION ALL SELECT 'Result16', NULL, NEW.Result16 WHERE NEW.Result16 IS NOT NULL
          UNION ALL SELECT 'Result17', NULL, NEW.Result17 WHERE NEW.Result17 IS NOT NULL
          UNION ALL SELECT 'Result18', NULL, NEW.Result18 WHERE NEW.Result18 IS NOT NULL
          UNION ALL SELECT 'Result19', NULL, NEW.Result19 WHERE NEW.Result19 IS NOT NULL
          UNION ALL SELECT 'Result20', NULL, NEW.Result20 WHERE NEW.Result20 IS NOT NULL
          UNION ALL SELECT 'Result21', NULL, NEW.Result21 WHERE NEW.Result21 IS NOT NULL
          UNION ALL SELECT 'Result22', NULL, NEW.Result22 WHERE NEW.Result22 IS NOT NULL
          UNION ALL SELECT 'Result23', NULL, NEW.Result23 WHERE NEW.Result23 IS NOT NULL
          UNION ALL SELECT 'Result24', NULL, NEW.Result24 WHERE NEW.Result24 IS NOT NULL
          UNION ALL SELECT 'Result25', NULL, NEW.Result25 WHERE NEW.Result25 IS NOT NULL
          UNION ALL SELECT 'Result26', NULL, NEW.Result26 WHERE NEW.Result26 IS NOT NULL
          UNION ALL SELECT 'Result27', NULL, NEW.Result27 WHERE NEW.Result27 IS NOT NULL
          UNION ALL SELECT 'Result28', NULL, NEW.Result28 WHERE NEW.Result28 IS NOT NULL
          UNION ALL SELECT 'Result29', NULL, NEW.Result29 WHERE NEW.Result29 IS NOT NULL
          UNION ALL SELECT 'Result30', NULL, NEW.Result30 WHERE NEW.Result30 IS NOT NULL
          UNION ALL SELECT 'Result31', NULL, NEW.Result31 WHERE NEW.Result31 IS NOT NULL
          UNION ALL SELECT 'Result32', NULL, NEW.Result32 WHERE NEW.Result32 IS NOT NULL
          UNION ALL SELECT 'Result33', NULL, NEW.Result33 WHERE NEW.Result33 IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultHCodes_audit_update;
CREATE TRIGGER LABORATORY.tbLabResultHCodes_audit_update AFTER UPDATE ON tbLabResultHCodes
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabResultHCodes', NULL, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'RequestNum' AS c, OLD.RequestNum AS o, NEW.RequestNum AS n WHERE OLD.RequestNum IS NOT NEW.RequestNum COLLATE BINARY
          UNION ALL SELECT 'Result1', OLD.Result1, NEW.Result1 WHERE OLD.Result1 IS NOT NEW.Result1 COLLATE BINARY
          UNION ALL SELECT 'Result2', OLD.Result2, NEW.Result2 WHERE OLD.Result2 IS NOT NEW.Result2 COLLATE BINARY
          UNION ALL SELECT 'Result3', OLD.Result3, NEW.Result3 WHERE OLD.Result3 IS NOT NEW.Result3 COLLATE BINARY
          UNION ALL SELECT 'Result4', OLD.Result4, NEW.Result4 WHERE OLD.Result4 IS NOT NEW.Result4 COLLATE BINARY
          UNION ALL SELECT 'Result5', OLD.Result5, NEW.Result5 WHERE OLD.Result5 IS NOT NEW.Result5 COLLATE BINARY
          UNION ALL SELECT 'Result6', OLD.Result6, NEW.Result6 WHERE OLD.Result6 IS NOT NEW.Result6 COLLATE BINARY
          UNION ALL SELECT 'Result7', OLD.Result7, NEW.Result7 WHERE OLD.Result7 IS NOT NEW.Result7 COLLATE BINARY
          UNION ALL SELECT 'Result8', OLD.Result8, NEW.Result8 WHERE OLD.Result8 IS NOT NEW.Result8 COLLATE BINARY
          UNION ALL SELECT 'Result9', OLD.Result9, NEW.Result9 WHERE OLD.Result9 IS NOT NEW.Result9 COLLATE BINARY
          UNION ALL SELECT 'Result10', OLD.Result10, NEW.Result10 WHERE OLD.Result10 IS NOT NEW.Result10 COLLATE BINARY
          UNION ALL SELECT 'Result11', OLD.Result11, NEW.Result11 WHERE OLD.Result11 IS NOT NEW.Result11 COLLATE BINARY
          UNION ALL SELECT 'Result12', OLD.Result12, NEW.Result12 WHERE OLD.Result12 IS NOT NEW.Result12 COLLATE BINARY
          UNION ALL SELECT 'Result13', OLD.Result13, NEW.Result13 WHERE OLD.Result13 IS NOT NEW.Result13 COLLATE BINARY
          UNION ALL SELECT 'Result14', OLD.Result14, NEW.Result14 WHERE OLD.Result14 IS NOT NEW.Result14 COLLATE BINARY
          UNION ALL SELECT 'Result15', OLD.Result15, NEW.Result15 WHERE OLD.Result15 IS NOT NEW.Result15 COLLATE BINARY
          UNION ALL SELECT 'Result16', OLD.Result16, NEW.Result16 WHERE OLD.Result16 IS NOT NEW.Result16 COLLATE BINARY
          UNION ALL SELECT 'Result17', OLD.Result17, NEW.Result17 WHERE OLD.Result17 IS NOT NEW.Result17 COLLATE BINARY
          UNION ALL SELECT 'Result18', OLD.Result18, NEW.Result18 WHERE OLD.Result18 IS NOT NEW.Result18 COLLATE BINARY
          UNION ALL SELECT 'Result19', OLD.Result19, NEW.Result19 WHERE OLD.Result19 IS NOT NEW.Result19 COLLATE BINARY
          UNION ALL SELECT 'Result20', OLD.Result20, NEW.Result20 WHERE OLD.Result20 IS NOT NEW.Result20 COLLATE BINARY
          UNION ALL SELECT 'Result21', OLD.Result21, NEW.Result21 WHERE OLD.Result21 IS NOT NEW.Result21 COLLATE BINARY
          UNION ALL SELECT 'Result22', OLD.Result22, NEW.Result22 WHERE OLD.Result22 IS NOT NEW.Result22 COLLATE BINARY
          UNION ALL SELECT 'Result23', OLD.Result23, NEW.Result23 WHERE OLD.Result23 IS NOT NEW.Result23 COLLATE BINARY
          UNION ALL SELECT 'Result24', OLD.Result24, NEW.Result24 WHERE OLD.Result24 IS NOT NEW.Result24 COLLATE BINARY
          UNION ALL SELECT 'Result25', OLD.Result25, NEW.Result25 WHERE OLD.Result25 IS NOT NEW.Result25 COLLATE BINARY
          UNION ALL SELECT 'Result26', OLD.Result26, NEW.Result26 WHERE OLD.Result26 IS NOT NEW.Result26 COLLATE BINARY
          UNION ALL SELECT 'Result27', OLD.Result27, NEW.Result27 WHERE OLD.Result27 IS NOT NEW.Result27 COLLATE BINARY
          UNION ALL SELECT 'Result28', OLD.Result28, NEW.Result28 WHERE OLD.Result28 IS NOT NEW.Result28 COLLATE BINARY
          UNION ALL SELECT 'Result29', OLD.Result29, NEW.Result29 WHERE OLD.Result29 IS NOT NEW.Result29 COLLATE BINARY
          UNION ALL SELECT 'Result30', OLD.Result30, NEW.Result30 WHERE OLD.Result30 IS NOT NEW.Result30 COLLATE BINARY
          UNION ALL SELECT 'Result31', OLD.Result31, NEW.Result31 WHERE OLD.Result31 IS NOT NEW.Result31 COLLATE BINARY
          UNION ALL SELECT 'Result32', OLD.Result32, NEW.Result32 WHERE OLD.Result32 IS NOT NEW.Result32 COLLATE BINARY
          UNION ALL SELECT 'Result33', OLD.Result33, NEW.Result33 WHERE OLD.Result33 IS NOT NEW.Result33 COLLATE BINARY) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultHCodes_audit_delete;
CREATE TRIGGER LABORATORY.tbLabResultHCodes_audit_delete AFTER DELETE ON tbLabResultHCodes
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = OLD.RequestNum LIMIT 1), OLD.RequestNum),
           OLD.RequestNum, 'change', 'tbLabResultHCodes', NULL, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'Result1' AS c, OLD.Result1 AS o, NULL AS n WHERE OLD.Result1 IS NOT NULL
          UNION ALL SELECT 'Result2', OLD.Result2, NULL WHERE OLD.Result2 IS NOT NULL
          UNION ALL SELECT 'Result3', OLD.Result3, NULL WHERE OLD.Result3 IS NOT NULL
          UNION ALL SELECT 'Result4', OLD.Result4, NULL WHERE OLD.Result4 IS NOT NULL
          UNION ALL SELECT 'Result5', OLD.Result5, NULL WHERE OLD.Result5 IS NOT NULL
          UNION ALL SELECT 'Result6', OLD.Result6, NULL WHERE OLD.Result6 IS NOT NULL
          UNION ALL SELECT 'Result7', OLD.Result7, NULL WHERE OLD.Result7 IS NOT NULL
          UNION ALL SELECT 'Result8', OLD.Result8, NULL WHERE OLD.Result8 IS NOT NULL
          UNION ALL SELECT 'Result9', OLD.Result9, NULL WHERE OLD.Result9 IS NOT NULL
          UNION ALL SELECT 'Result10', OLD.Result10, NULL WHERE OLD.Result10 IS NOT NULL
          UNION ALL SELECT 'Result11', OLD.Result11, NULL WHERE OLD.Result11 IS NOT NULL
          UNION ALL SELECT 'Result12', OLD.Result12, NULL WHERE OLD.Result12 IS NOT NULL
          UNION ALL SELECT 'Result13', OLD.Result13, NULL WHERE OLD.Result13 IS NOT NULL
          UNION ALL SELECT 'Result14', OLD.Result14, NULL WHERE OLD.Result14 IS NOT NULL
          UNION ALL SELECT 'Result15', OLD.Result15, NULL WHERE OLD.Result15 IS NOT NULL
          UNION ALL SELECT 'Result16', OLD.Result16, NULL WHERE OLD.Result16 IS NOT NULL
          UNION ALL SELECT 'Result17', OLD.Result17, NULL WHERE OLD.Result17 IS NOT NULL
          UNION ALL SELECT 'Result18', OLD.Result18, NULL WHERE OLD.Result18 IS NOT NULL
          UNION ALL SELECT 'Result19', OLD.Result19, NULL WHERE OLD.Result19 IS NOT NULL
          UNION ALL SELECT 'Result20', OLD.Result20, NULL WHERE OLD.Result20 IS NOT NULL
          UNION ALL SELECT 'Result21', OLD.Result21, NULL WHERE OLD.Result21 IS NOT NULL
          UNION ALL SELECT 'Result22', OLD.Result22, NULL WHERE OLD.Result22 IS NOT NULL
          UNION ALL SELECT 'Result23', OLD.Result23, NULL WHERE OLD.Result23 IS NOT NULL
          UNION ALL SELECT 'Result24', OLD.Result24, NULL WHERE OLD.Result24 IS NOT NULL
          UNION ALL SELECT 'Result25', OLD.Result25, NULL WHERE OLD.Result25 IS NOT NULL
          UNION ALL SELECT 'Result26', OLD.Result26, NULL WHERE OLD.Result26 IS NOT NULL
          UNION ALL SELECT 'Result27', OLD.Result27, NULL WHERE OLD.Result27 IS NOT NULL
          UNION ALL SELECT 'Result28', OLD.Result28, NULL WHERE OLD.Result28 IS NOT NULL
          UNION ALL SELECT 'Result29', OLD.Result29, NULL WHERE OLD.Result29 IS NOT NULL
          UNION ALL SELECT 'Result30', OLD.Result30, NULL WHERE OLD.Result30 IS NOT NULL
          UNION ALL SELECT 'Result31', OLD.Result31, NULL WHERE OLD.Result31 IS NOT NULL
          UNION ALL SELECT 'Result32', OLD.Result32, NULL WHERE OLD.Result32 IS NOT NULL
          UNION ALL SELECT 'Result33', OLD.Result33, NULL WHERE OLD.Result33 IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultValues_audit_insert;
CREATE TRIGGER LABORATORY.tbLabResultValues_audit_insert AFTER INSERT ON tbLabResultValues
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabResultValues', NEW.LabExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'FormType' AS c, NULL AS o, NEW.FormType AS n WHERE NEW.FormType IS NOT NULL
          UNION ALL SELECT 'LayoutIndex', NULL, NEW.LayoutIndex WHERE NEW.LayoutIndex IS NOT NULL
          UNION ALL SELECT 'A1', NULL, NEW.A1 WHERE NEW.A1 IS NOT NULL
          UNION ALL SELECT 'A2', NULL, NEW.A2 WHERE NEW.A2 IS NOT NULL
          UNION ALL SELECT 'A3', NULL, NEW.A3 WHERE NEW.A3 IS NOT NULL
          UNION ALL SELECT 'A4', NULL, NEW.A4 WHERE NEW.A4 IS NOT NULL
          UNION ALL SELECT 'A5', NULL, NEW.A5 WHERE NEW.A5 IS NOT NULL
          UNION ALL SELECT 'B1', NULL, NEW.B1 WHERE NEW.B1 IS NOT NULL
          UNION ALL SELECT 'B2', NULL, NEW.B2 WHERE NEW.B2 IS NOT NULL
          UNION ALL SELECT 'B3', NULL, NEW.B3 WHERE NEW.B3 IS NOT NULL
          UNION ALL SELECT 'B4', NULL, NEW.B4 WHERE NEW.B4 IS NOT NULL
          UNION ALL SELECT 'C1', NULL, NEW.C1 WHERE NEW.C1 IS NOT NULL
          UNION ALL SELECT 'C2', NULL, NEW.C2 WHERE NEW.C2 IS NOT NULL
          UNION ALL SELECT 'E1', NULL, NEW.E1 WHERE NEW.E1 IS NOT NULL
          UNION ALL SELECT 'E2', NULL, NEW.E2 WHERE NEW.E2 IS NOT NULL
          UNION ALL SELECT 'H1', NULL, NEW.H1 WHERE NEW.H1 IS NOT NULL
          UNION ALL SELECT 'H2', NULL, NEW.H2 WHERE NEW.H2 IS NOT NULL
          UNION ALL SELECT 'H3', NULL, NEW.H3 WHERE NEW.H3 IS NOT NULL
          UNION ALL SELECT 'H4', NULL, NEW.H4 WHERE NEW.H4 IS NOT NULL
          UNION ALL SELECT 'H5', NULL, NEW.H5 WHERE NEW.H5 IS NOT NULL
          UNION ALL SELECT 'H6', NULL, NEW.H6 WHERE NEW.H6 IS NOT NULL
          UNION ALL SELECT 'F1', NULL, NEW.F1 WHERE NEW.F1 IS NOT NULL
          UNION ALL SELECT 'G1', NULL, NEW.G1 WHERE NEW.G1 IS NOT NULL
          UNION ALL SELECT 'G2', NULL, NEW.G2 WHERE NEW.G2 IS NOT NULL
          UNION ALL SELECT 'G3', NULL, NEW.G3 WHERE NEW.G3 IS NOT NULL
          UNION ALL SELECT 'G4', NULL, NEW.G4 WHERE NEW.G4 IS NOT NULL
          UNION ALL SELECT 'G5', NULL, NEW.G5 WHERE NEW.G5 IS NOT NULL
          UNION ALL SELECT 'Remarks', NULL, NEW.Remarks WHERE NEW.Remarks IS NOT NULL
          UNION ALL SELECT 'SaveFlag', NULL, NEW.SaveFlag WHERE NEW.SaveFlag IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultValues_audit_update;
CREATE TRIGGER LABORATORY.tbLabResultValues_audit_update AFTER UPDATE ON tbLabResultValues
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabResultValues', NEW.LabExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'RequestNum' AS c, OLD.RequestNum AS o, NEW.RequestNum AS n WHERE OLD.RequestNum IS NOT NEW.RequestNum COLLATE BINARY
          UNION ALL SELECT 'LabExamID', OLD.LabExamID, NEW.LabExamID WHERE OLD.LabExamID IS NOT NEW.LabExamID COLLATE BINARY
          UNION ALL SELECT 'FormType', OLD.FormType, NEW.FormType WHERE OLD.FormType IS NOT NEW.FormType COLLATE BINARY
          UNION ALL SELECT 'LayoutIndex', OLD.LayoutIndex, NEW.LayoutIndex WHERE OLD.LayoutIndex IS NOT NEW.LayoutIndex COLLATE BINARY
          UNION ALL SELECT 'A1', OLD.A1, NEW.A1 WHERE OLD.A1 IS NOT NEW.A1 COLLATE BINARY
          UNION ALL SELECT 'A2', OLD.A2, NEW.A2 WHERE OLD.A2 IS NOT NEW.A2 COLLATE BINARY
          UNION ALL SELECT 'A3', OLD.A3, NEW.A3 WHERE OLD.A3 IS NOT NEW.A3 COLLATE BINARY
          UNION ALL SELECT 'A4', OLD.A4, NEW.A4 WHERE OLD.A4 IS NOT NEW.A4 COLLATE BINARY
          UNION ALL SELECT 'A5', OLD.A5, NEW.A5 WHERE OLD.A5 IS NOT NEW.A5 COLLATE BINARY
          UNION ALL SELECT 'B1', OLD.B1, NEW.B1 WHERE OLD.B1 IS NOT NEW.B1 COLLATE BINARY
          UNION ALL SELECT 'B2', OLD.B2, NEW.B2 WHERE OLD.B2 IS NOT NEW.B2 COLLATE BINARY
          UNION ALL SELECT 'B3', OLD.B3, NEW.B3 WHERE OLD.B3 IS NOT NEW.B3 COLLATE BINARY
          UNION ALL SELECT 'B4', OLD.B4, NEW.B4 WHERE OLD.B4 IS NOT NEW.B4 COLLATE BINARY
          UNION ALL SELECT 'C1', OLD.C1, NEW.C1 WHERE OLD.C1 IS NOT NEW.C1 COLLATE BINARY
          UNION ALL SELECT 'C2', OLD.C2, NEW.C2 WHERE OLD.C2 IS NOT NEW.C2 COLLATE BINARY
          UNION ALL SELECT 'E1', OLD.E1, NEW.E1 WHERE OLD.E1 IS NOT NEW.E1 COLLATE BINARY
          UNION ALL SELECT 'E2', OLD.E2, NEW.E2 WHERE OLD.E2 IS NOT NEW.E2 COLLATE BINARY
          UNION ALL SELECT 'H1', OLD.H1, NEW.H1 WHERE OLD.H1 IS NOT NEW.H1 COLLATE BINARY
          UNION ALL SELECT 'H2', OLD.H2, NEW.H2 WHERE OLD.H2 IS NOT NEW.H2 COLLATE BINARY
          UNION ALL SELECT 'H3', OLD.H3, NEW.H3 WHERE OLD.H3 IS NOT NEW.H3 COLLATE BINARY
          UNION ALL SELECT 'H4', OLD.H4, NEW.H4 WHERE OLD.H4 IS NOT NEW.H4 COLLATE BINARY
          UNION ALL SELECT 'H5', OLD.H5, NEW.H5 WHERE OLD.H5 IS NOT NEW.H5 COLLATE BINARY
          UNION ALL SELECT 'H6', OLD.H6, NEW.H6 WHERE OLD.H6 IS NOT NEW.H6 COLLATE BINARY
          UNION ALL SELECT 'F1', OLD.F1, NEW.F1 WHERE OLD.F1 IS NOT NEW.F1 COLLATE BINARY
          UNION ALL SELECT 'G1', OLD.G1, NEW.G1 WHERE OLD.G1 IS NOT NEW.G1 COLLATE BINARY
          UNION ALL SELECT 'G2', OLD.G2, NEW.G2 WHERE OLD.G2 IS NOT NEW.G2 COLLATE BINARY
          UNION ALL SELECT 'G3', OLD.G3, NEW.G3 WHERE OLD.G3 IS NOT NEW.G3 COLLATE BINARY
          UNION ALL SELECT 'G4', OLD.G4, NEW.G4 WHERE OLD.G4 IS NOT NEW.G4 COLLATE BINARY
          UNION ALL SELECT 'G5', OLD.G5, NEW.G5 WHERE OLD.G5 IS NOT NEW.G5 COLLATE BINARY
          UNION ALL SELECT 'Remarks', OLD.Remarks, NEW.Remarks WHERE OLD.Remarks IS NOT NEW.Remarks COLLATE BINARY
          UNION ALL SELECT 'SaveFlag', OLD.SaveFlag, NEW.SaveFlag WHERE OLD.SaveFlag IS NOT NEW.SaveFlag COLLATE BINARY) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultValues_audit_delete;
CREATE TRIGGER LABORATORY.tbLabResultValues_audit_delete AFTER DELETE ON tbLabResultValues
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = OLD.RequestNum LIMIT 1), OLD.RequestNum),
           OLD.RequestNum, 'change', 'tbLabResultValues', OLD.LabExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'FormType' AS c, OLD.FormType AS o, NULL AS n WHERE OLD.FormType IS NOT NULL
          UNION ALL SELECT 'LayoutIndex', OLD.LayoutIndex, NULL WHERE OLD.LayoutIndex IS NOT NULL
          UNION ALL SELECT 'A1', OLD.A1, NULL WHERE OLD.A1 IS NOT NULL
          UNION ALL SELECT 'A2', OLD.A2, NULL WHERE OLD.A2 IS NOT NULL
          UNION ALL SELECT 'A3', OLD.A3, NULL WHERE OLD.A3 IS NOT NULL
          UNION ALL SELECT 'A4', OLD.A4, NULL WHERE OLD.A4 IS NOT NULL
          UNION ALL SELECT 'A5', OLD.A5, NULL WHERE OLD.A5 IS NOT NULL
          UNION ALL SELECT 'B1', OLD.B1, NULL WHERE OLD.B1 IS NOT NULL
          UNION ALL SELECT 'B2', OLD.B2, NULL WHERE OLD.B2 IS NOT NULL
          UNION ALL SELECT 'B3', OLD.B3, NULL WHERE OLD.B3 IS NOT NULL
          UNION ALL SELECT 'B4', OLD.B4, NULL WHERE OLD.B4 IS NOT NULL
          UNION ALL SELECT 'C1', OLD.C1, NULL WHERE OLD.C1 IS NOT NULL
          UNION ALL SELECT 'C2', OLD.C2, NULL WHERE OLD.C2 IS NOT NULL
          UNION ALL SELECT 'E1', OLD.E1, NULL WHERE OLD.E1 IS NOT NULL
          UNION ALL SELECT 'E2', OLD.E2, NULL WHERE OLD.E2 IS NOT NULL
          UNION ALL SELECT 'H1', OLD.H1, NULL WHERE OLD.H1 IS NOT NULL
          UNION ALL SELECT 'H2', OLD.H2, NULL WHERE OLD.H2 IS NOT NULL
          UNION ALL SELECT 'H3', OLD.H3, NULL WHERE OLD.H3 IS NOT NULL
          UNION ALL SELECT 'H4', OLD.H4, NULL WHERE OLD.H4 IS NOT NULL
          UNION ALL SELECT 'H5', OLD.H5, NULL WHERE OLD.H5 IS NOT NULL
          UNION ALL SELECT 'H6', OLD.H6, NULL WHERE OLD.H6 IS NOT NULL
          UNION ALL SELECT 'F1', OLD.F1, NULL WHERE OLD.F1 IS NOT NULL
          UNION ALL SELECT 'G1', OLD.G1, NULL WHERE OLD.G1 IS NOT NULL
          UNION ALL SELECT 'G2', OLD.G2, NULL WHERE OLD.G2 IS NOT NULL
          UNION ALL SELECT 'G3', OLD.G3, NULL WHERE OLD.G3 IS NOT NULL
          UNION ALL SELECT 'G4', OLD.G4, NULL WHERE OLD.G4 IS NOT NULL
          UNION ALL SELECT 'G5', OLD.G5, NULL WHERE OLD.G5 IS NOT NULL
          UNION ALL SELECT 'Remarks', OLD.Remarks, NULL WHERE OLD.Remarks IS NOT NULL
          UNION ALL SELECT 'SaveFlag', OLD.SaveFlag, NULL WHERE OLD.SaveFlag IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabProfileResult_audit_insert;
CREATE TRIGGER LABORATORY.tbLabProfileResult_audit_insert AFTER INSERT ON tbLabProfileResult
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabProfileResult', NEW.ProfileExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'Slot0' AS c, NULL AS o, NEW.Slot0 AS n WHERE NEW.Slot0 IS NOT NULL
          UNION ALL SELECT 'Slot1', NULL, NEW.Slot1 WHERE NEW.Slot1 IS NOT NULL
          UNION ALL SELECT 'Slot2', NULL, NEW.Slot2 WHERE NEW.Slot2 IS NOT NULL
          UNION ALL SELECT 'Slot3', NULL, NEW.Slot3 WHERE NEW.Slot3 IS NOT NULL
          UNION ALL SELECT 'Slot4', NULL, NEW.Slot4 WHERE NEW.Slot4 IS NOT NULL
          UNION ALL SELECT 'Slot5', NULL, NEW.Slot5 WHERE NEW.Slot5 IS NOT NULL
          UNION ALL SELECT 'Slot6', NULL, NEW.Slot6 WHERE NEW.Slot6 IS NOT NULL
          UNION ALL SELECT 'Slot7', NULL, NEW.Slot7 WHERE NEW.Slot7 IS NOT NULL
          UNION ALL SELECT 'Slot8', NULL, NEW.Slot8 WHERE NEW.Slot8 IS NOT NULL
          UNION ALL SELECT 'Slot9', NULL, NEW.Slot9 WHERE NEW.Slot9 IS NOT NULL
          UNION ALL SELECT 'Slot10', NULL, NEW.Slot10 WHERE NEW.Slot10 IS NOT NULL
          UNION ALL SELECT 'Slot11', NULL, NEW.Slot11 WHERE NEW.Slot11 IS NOT NULL
          UNION ALL SELECT 'Slot12', NULL, NEW.Slot12 WHERE NEW.Slot12 IS NOT NULL
          UNION ALL SELECT 'Slot13', NULL, NEW.Slot13 WHERE NEW.Slot13 IS NOT NULL
          UNION ALL SELECT 'Slot14', NULL, NEW.Slot14 WHERE NEW.Slot14 IS NOT NULL
          UNION ALL SELECT 'Slot15', NULL, NEW.Slot15 WHERE NEW.Slot15 IS NOT NULL
          UNION ALL SELECT 'Slot16', NULL, NEW.Slot16 WHERE NEW.Slot16 IS NOT NULL
          UNION ALL SELECT 'Slot17', NULL, NEW.Slot17 WHERE NEW.Slot17 IS NOT NULL
          UNION ALL SELECT 'Remarks', NULL, NEW.Remarks WHERE NEW.Remarks IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabProfileResult_audit_update;
CREATE TRIGGER LABORATORY.tbLabProfileResult_audit_update AFTER UPDATE ON tbLabProfileResult
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabProfileResult', NEW.ProfileExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'RequestNum' AS c, OLD.RequestNum AS o, NEW.RequestNum AS n WHERE OLD.RequestNum IS NOT NEW.RequestNum COLLATE BINARY
          UNION ALL SELECT 'ProfileExamID', OLD.ProfileExamID, NEW.ProfileExamID WHERE OLD.ProfileExamID IS NOT NEW.ProfileExamID COLLATE BINARY
          UNION ALL SELECT 'Slot0', OLD.Slot0, NEW.Slot0 WHERE OLD.Slot0 IS NOT NEW.Slot0 COLLATE BINARY
          UNION ALL SELECT 'Slot1', OLD.Slot1, NEW.Slot1 WHERE OLD.Slot1 IS NOT NEW.Slot1 COLLATE BINARY
          UNION ALL SELECT 'Slot2', OLD.Slot2, NEW.Slot2 WHERE OLD.Slot2 IS NOT NEW.Slot2 COLLATE BINARY
          UNION ALL SELECT 'Slot3', OLD.Slot3, NEW.Slot3 WHERE OLD.Slot3 IS NOT NEW.Slot3 COLLATE BINARY
          UNION ALL SELECT 'Slot4', OLD.Slot4, NEW.Slot4 WHERE OLD.Slot4 IS NOT NEW.Slot4 COLLATE BINARY
          UNION ALL SELECT 'Slot5', OLD.Slot5, NEW.Slot5 WHERE OLD.Slot5 IS NOT NEW.Slot5 COLLATE BINARY
          UNION ALL SELECT 'Slot6', OLD.Slot6, NEW.Slot6 WHERE OLD.Slot6 IS NOT NEW.Slot6 COLLATE BINARY
          UNION ALL SELECT 'Slot7', OLD.Slot7, NEW.Slot7 WHERE OLD.Slot7 IS NOT NEW.Slot7 COLLATE BINARY
          UNION ALL SELECT 'Slot8', OLD.Slot8, NEW.Slot8 WHERE OLD.Slot8 IS NOT NEW.Slot8 COLLATE BINARY
          UNION ALL SELECT 'Slot9', OLD.Slot9, NEW.Slot9 WHERE OLD.Slot9 IS NOT NEW.Slot9 COLLATE BINARY
          UNION ALL SELECT 'Slot10', OLD.Slot10, NEW.Slot10 WHERE OLD.Slot10 IS NOT NEW.Slot10 COLLATE BINARY
          UNION ALL SELECT 'Slot11', OLD.Slot11, NEW.Slot11 WHERE OLD.Slot11 IS NOT NEW.Slot11 COLLATE BINARY
          UNION ALL SELECT 'Slot12', OLD.Slot12, NEW.Slot12 WHERE OLD.Slot12 IS NOT NEW.Slot12 COLLATE BINARY
          UNION ALL SELECT 'Slot13', OLD.Slot13, NEW.Slot13 WHERE OLD.Slot13 IS NOT NEW.Slot13 COLLATE BINARY
          UNION ALL SELECT 'Slot14', OLD.Slot14, NEW.Slot14 WHERE OLD.Slot14 IS NOT NEW.Slot14 COLLATE BINARY
          UNION ALL SELECT 'Slot15', OLD.Slot15, NEW.Slot15 WHERE OLD.Slot15 IS NOT NEW.Slot15 COLLATE BINARY
          UNION ALL SELECT 'Slot16', OLD.Slot16, NEW.Slot16 WHERE OLD.Slot16 IS NOT NEW.Slot16 COLLATE BINARY
          UNION ALL SELECT 'Slot17', OLD.Slot17, NEW.Slot17 WHERE OLD.Slot17 IS NOT NEW.Slot17 COLLATE BINARY
          UNION ALL SELECT 'Remarks', OLD.Remarks, NEW.Remarks WHERE OLD.Remarks IS NOT NEW.Remarks COLLATE BINARY) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabProfileResult_audit_delete;
CREATE TRIGGER LABORATORY.tbLabProfileResult_audit_delete AFTER DELETE ON tbLabProfileResult
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = OLD.RequestNum LIMIT 1), OLD.RequestNum),
           OLD.RequestNum, 'change', 'tbLabProfileResult', OLD.ProfileExamID, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'Slot0' AS c, OLD.Slot0 AS o, NULL AS n WHERE OLD.Slot0 IS NOT NULL
          UNION ALL SELECT 'Slot1', OLD.Slot1, NULL WHERE OLD.Slot1 IS NOT NULL
          UNION ALL SELECT 'Slot2', OLD.Slot2, NULL WHERE OLD.Slot2 IS NOT NULL
          UNION ALL SELECT 'Slot3', OLD.Slot3, NULL WHERE OLD.Slot3 IS NOT NULL
          UNION ALL SELECT 'Slot4', OLD.Slot4, NULL WHERE OLD.Slot4 IS NOT NULL
          UNION ALL SELECT 'Slot5', OLD.Slot5, NULL WHERE OLD.Slot5 IS NOT NULL
          UNION ALL SELECT 'Slot6', OLD.Slot6, NULL WHERE OLD.Slot6 IS NOT NULL
          UNION ALL SELECT 'Slot7', OLD.Slot7, NULL WHERE OLD.Slot7 IS NOT NULL
          UNION ALL SELECT 'Slot8', OLD.Slot8, NULL WHERE OLD.Slot8 IS NOT NULL
          UNION ALL SELECT 'Slot9', OLD.Slot9, NULL WHERE OLD.Slot9 IS NOT NULL
          UNION ALL SELECT 'Slot10', OLD.Slot10, NULL WHERE OLD.Slot10 IS NOT NULL
          UNION ALL SELECT 'Slot11', OLD.Slot11, NULL WHERE OLD.Slot11 IS NOT NULL
          UNION ALL SELECT 'Slot12', OLD.Slot12, NULL WHERE OLD.Slot12 IS NOT NULL
          UNION ALL SELECT 'Slot13', OLD.Slot13, NULL WHERE OLD.Slot13 IS NOT NULL
          UNION ALL SELECT 'Slot14', OLD.Slot14, NULL WHERE OLD.Slot14 IS NOT NULL
          UNION ALL SELECT 'Slot15', OLD.Slot15, NULL WHERE OLD.Slot15 IS NOT NULL
          UNION ALL SELECT 'Slot16', OLD.Slot16, NULL WHERE OLD.Slot16 IS NOT NULL
          UNION ALL SELECT 'Slot17', OLD.Slot17, NULL WHERE OLD.Slot17 IS NOT NULL
          UNION ALL SELECT 'Remarks', OLD.Remarks, NULL WHERE OLD.Remarks IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultHistoCytology_audit_insert;
CREATE TRIGGER LABORATORY.tbLabResultHistoCytology_audit_insert AFTER INSERT ON tbLabResultHistoCytology
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabResultHistoCytology', NULL, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'HistopathNum' AS c, NULL AS o, NEW.HistopathNum AS n WHERE NEW.HistopathNum IS NOT NULL
          UNION ALL SELECT 'ResultDate', NULL, NEW.ResultDate WHERE NEW.ResultDate IS NOT NULL
          UNION ALL SELECT 'GrossDescription', NULL, NEW.GrossDescription WHERE NEW.GrossDescription IS NOT NULL
          UNION ALL SELECT 'FinalDiagnosis', NULL, NEW.FinalDiagnosis WHERE NEW.FinalDiagnosis IS NOT NULL
          UNION ALL SELECT 'Remarks', NULL, NEW.Remarks WHERE NEW.Remarks IS NOT NULL) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultHistoCytology_audit_update;
CREATE TRIGGER LABORATORY.tbLabResultHistoCytology_audit_update AFTER UPDATE ON tbLabResultHistoCytology
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'change', 'tbLabResultHistoCytology', NULL, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'RequestNum' AS c, OLD.RequestNum AS o, NEW.RequestNum AS n WHERE OLD.RequestNum IS NOT NEW.RequestNum COLLATE BINARY
          UNION ALL SELECT 'HistopathNum', OLD.HistopathNum, NEW.HistopathNum WHERE OLD.HistopathNum IS NOT NEW.HistopathNum COLLATE BINARY
          UNION ALL SELECT 'ResultDate', OLD.ResultDate, NEW.ResultDate WHERE OLD.ResultDate IS NOT NEW.ResultDate COLLATE BINARY
          UNION ALL SELECT 'GrossDescription', OLD.GrossDescription, NEW.GrossDescription WHERE OLD.GrossDescription IS NOT NEW.GrossDescription COLLATE BINARY
          UNION ALL SELECT 'FinalDiagnosis', OLD.FinalDiagnosis, NEW.FinalDiagnosis WHERE OLD.FinalDiagnosis IS NOT NEW.FinalDiagnosis COLLATE BINARY
          UNION ALL SELECT 'Remarks', OLD.Remarks, NEW.Remarks WHERE OLD.Remarks IS NOT NEW.Remarks COLLATE BINARY) v;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabResultHistoCytology_audit_delete;
CREATE TRIGGER LABORATORY.tbLabResultHistoCytology_audit_delete AFTER DELETE ON tbLabResultHistoCytology
BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = OLD.RequestNum LIMIT 1), OLD.RequestNum),
           OLD.RequestNum, 'change', 'tbLabResultHistoCytology', NULL, v.c, v.o, v.n,
           (SELECT employee FROM transaction_settings WHERE id = 1),
           (SELECT medtech FROM transaction_settings WHERE id = 1),
           coalesce((SELECT workstation FROM transaction_settings WHERE id = 1), 'unknown workstation')
    FROM (SELECT 'HistopathNum' AS c, OLD.HistopathNum AS o, NULL AS n WHERE OLD.HistopathNum IS NOT NULL
          UNION ALL SELECT 'ResultDate', OLD.ResultDate, NULL WHERE OLD.ResultDate IS NOT NULL
          UNION ALL SELECT 'GrossDescription', OLD.GrossDescription, NULL WHERE OLD.GrossDescription IS NOT NULL
          UNION ALL SELECT 'FinalDiagnosis', OLD.FinalDiagnosis, NULL WHERE OLD.FinalDiagnosis IS NOT NULL
          UNION ALL SELECT 'Remarks', OLD.Remarks, NULL WHERE OLD.Remarks IS NOT NULL) v;
END;
------------------------------------------------------------------------------
-- Report archive
------------------------------------------------------------------------------

-- Every report the library printed, as its text and as the PDF that went to
-- the printer (NULL when a system printer took it), oldest first by ReportID.
-- Kind is 'original' or 'correction' (printed after a save that changed
-- released results). Append-only, like the audit trail.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabReportArchive (
    ReportID     INTEGER PRIMARY KEY AUTOINCREMENT,
    RequestNum   TEXT COLLATE NOCASE,
    Kind         TEXT NOT NULL,
    DocumentName TEXT,
    EmployeeID   TEXT,
    MedTechID    TEXT,
    Workstation  TEXT NOT NULL DEFAULT 'unknown workstation',
    PrintedAt    DATETIME NOT NULL DEFAULT (datetime('now', 'localtime')),
    ReportText   TEXT,
    ReportPdf    BLOB
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tbLabReportArchive_request
    ON tbLabReportArchive (RequestNum, ReportID);

DROP TRIGGER IF EXISTS LABORATORY.tbLabReportArchive_no_update;
CREATE TRIGGER LABORATORY.tbLabReportArchive_no_update BEFORE UPDATE ON tbLabReportArchive BEGIN
    SELECT RAISE(ABORT, 'The report archive is append-only: update is refused.');
END;
DROP TRIGGER IF EXISTS LABORATORY.tbLabReportArchive_no_delete;
CREATE TRIGGER LABORATORY.tbLabReportArchive_no_delete BEFORE DELETE ON tbLabReportArchive BEGIN
    SELECT RAISE(ABORT, 'The report archive is append-only: delete is refused.');
END;

------------------------------------------------------------------------------
-- Result checks: normal values by sex and age, critical limits, delta rules,
-- and what the technologist recorded about a critical or a jumping result.
------------------------------------------------------------------------------

-- Normal values of an exam by sex and age band. Sex is 'M', 'F' or '' (either);
-- an age band runs from AgeFromDays up to, not including, AgeToDays (NULL: no
-- upper end). The row with Sex '' from day 0 without an upper end is the
-- exam's general range, used when the patient's age or sex is unknown.
-- A NULL limit leaves that side open. Where several rows fit a patient, one
-- for the patient's sex wins over one for either, then the narrower band.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabRefRange (
    LabExamID   TEXT NOT NULL COLLATE NOCASE,
    Sex         TEXT NOT NULL DEFAULT '' COLLATE NOCASE CHECK (Sex IN ('', 'M', 'F')),
    AgeFromDays INTEGER NOT NULL DEFAULT 0 CHECK (AgeFromDays >= 0),
    AgeToDays   INTEGER CHECK (AgeToDays IS NULL OR AgeToDays > AgeFromDays),
    LowValue    REAL,
    HighValue   REAL
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tbLabRefRange_exam ON tbLabRefRange (LabExamID);

-- Results beyond these limits are critical: the clinician is told at once.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabCriticalLimit (
    LabExamID    TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    CriticalLow  REAL,
    CriticalHigh REAL
);

-- A result that differs from the patient's previous one of the exam by more
-- than DeltaLimit (DeltaKind 'A': in the result's unit, 'P': per cent of the
-- previous result) is flagged. A previous result counts when it is at most
-- DeltaDays old (NULL: whatever its age).
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabDeltaRule (
    LabExamID  TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    DeltaKind  TEXT NOT NULL CHECK (DeltaKind IN ('A', 'P')),
    DeltaLimit REAL NOT NULL CHECK (DeltaLimit >= 0),
    DeltaDays  INTEGER CHECK (DeltaDays IS NULL OR DeltaDays > 0)
);

-- The patient's earlier results: by hospital number, newest first, the
-- request number breaking a tie, so the newest with a given exam is found
-- without sorting the patient's requests.
DROP INDEX IF EXISTS LABORATORY.ix_tblablogbook_hospnum_date;
CREATE INDEX IF NOT EXISTS LABORATORY.ix_tblablogbook_hospnum_history
    ON tblablogbook (HospNum, TransDate, RequestNum);

-- Who was told of a critical result, when, by whom, and that it was read back.
-- RecordedAt is the database's time.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabCriticalNotice (
    NoticeID     INTEGER PRIMARY KEY AUTOINCREMENT,
    RequestNum   TEXT NOT NULL COLLATE NOCASE,
    LabExamID    TEXT NOT NULL COLLATE NOCASE,
    ResultValue  TEXT NOT NULL,
    NotifiedName TEXT NOT NULL CHECK (trim(NotifiedName) <> ''),
    NotifiedRole TEXT NOT NULL CHECK (trim(NotifiedRole) <> ''),
    NotifiedAt   DATETIME NOT NULL
        CONSTRAINT NotifiedAt_is_date CHECK (NotifiedAt GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
            AND datetime(NotifiedAt) IS NOT NULL),
    MedTechID    TEXT NOT NULL COLLATE NOCASE CHECK (trim(MedTechID) <> ''),
    ReadBack     INTEGER NOT NULL CHECK (ReadBack = 1),
    RecordedAt   DATETIME NOT NULL DEFAULT (datetime('now', 'localtime'))
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tbLabCriticalNotice_request
    ON tbLabCriticalNotice (RequestNum, LabExamID);

-- A result flagged by its delta rule, acknowledged by the technologist.
CREATE TABLE IF NOT EXISTS LABORATORY.tbLabDeltaAck (
    AckID           INTEGER PRIMARY KEY AUTOINCREMENT,
    RequestNum      TEXT NOT NULL COLLATE NOCASE,
    LabExamID       TEXT NOT NULL COLLATE NOCASE,
    ResultValue     TEXT NOT NULL,
    PreviousValue   TEXT NOT NULL,
    PreviousRequest TEXT NOT NULL COLLATE NOCASE,
    MedTechID       TEXT COLLATE NOCASE,
    RecordedAt      DATETIME NOT NULL DEFAULT (datetime('now', 'localtime'))
);

CREATE INDEX IF NOT EXISTS LABORATORY.ix_tbLabDeltaAck_request ON tbLabDeltaAck (RequestNum, LabExamID);

-- Both reach the audit trail as one row each, with who and where.
DROP TRIGGER IF EXISTS LABORATORY.tbLabCriticalNotice_audit;
CREATE TRIGGER LABORATORY.tbLabCriticalNotice_audit AFTER INSERT ON tbLabCriticalNotice BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'critical', 'tbLabCriticalNotice', NEW.LabExamID, 'ResultValue', NULL,
           NEW.ResultValue || ' notified to ' || NEW.NotifiedName || ' (' || NEW.NotifiedRole ||
               ') at ' || NEW.NotifiedAt || ' by ' || NEW.MedTechID || ', read back',
           w.employee, w.medtech, coalesce(w.workstation, 'unknown workstation')
    FROM (SELECT 1) LEFT JOIN transaction_settings w ON w.id = 1;
END;

DROP TRIGGER IF EXISTS LABORATORY.tbLabDeltaAck_audit;
CREATE TRIGGER LABORATORY.tbLabDeltaAck_audit AFTER INSERT ON tbLabDeltaAck BEGIN
    INSERT INTO tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                            OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT RequestNum FROM tblablogbookdetail WHERE LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
           NEW.RequestNum, 'delta', 'tbLabDeltaAck', NEW.LabExamID, 'ResultValue',
           NEW.PreviousValue || ' (' || NEW.PreviousRequest || ')',
           NEW.ResultValue || ', acknowledged', w.employee, w.medtech,
           coalesce(w.workstation, 'unknown workstation')
    FROM (SELECT 1) LEFT JOIN transaction_settings w ON w.id = 1;
END;

------------------------------------------------------------------------------
-- Schema version: what `vantrel-db upgrade` brings an older database to.
------------------------------------------------------------------------------

CREATE TABLE IF NOT EXISTS LABORATORY.vantrel_schema (
    id      INTEGER NOT NULL PRIMARY KEY CHECK (id = 1),
    version INTEGER NOT NULL
);
INSERT INTO LABORATORY.vantrel_schema (id, version) VALUES (1, 4)
    ON CONFLICT (id) DO UPDATE SET version = max(version, excluded.version);
