-- Vantrel laboratory database, server (PostgreSQL 15) form.
-- The three databases of the laboratory are schemas of one database. Runs
-- on a fresh database with psql or as one script through libpq, and may be
-- run again: tables are created only when missing, functions are replaced.
--
-- Keys that the server compared without regard to case (request numbers,
-- codes, identifiers) use the case-insensitive collation laboratory.nocase.
-- Being a column property it holds whatever the search_path, unlike an
-- extension type whose operators must be found on the path. It does not
-- allow LIKE or substring searches on those columns: the functions below
-- compare lower-cased copies in the collation laboratory.unicode instead.

SET client_min_messages = warning;

CREATE SCHEMA IF NOT EXISTS laboratory;
CREATE SCHEMA IF NOT EXISTS patient_data;
CREATE SCHEMA IF NOT EXISTS build_file;

CREATE COLLATION IF NOT EXISTS laboratory.nocase
    (provider = icu, locale = 'und-u-ks-level2', deterministic = false);
-- lower() folds every letter (Ñ to ñ) in this collation whatever the
-- database's own locale, as the embedded database's lower() does.
CREATE COLLATION IF NOT EXISTS laboratory.unicode (provider = icu, locale = 'und');

------------------------------------------------------------------------------
-- patient_data
------------------------------------------------------------------------------

-- The heading of every report. One row.
CREATE TABLE IF NOT EXISTS patient_data.tbHospitalInfo (
    HospitalID integer PRIMARY KEY,
    Title      text NOT NULL DEFAULT '',
    Company    text NOT NULL DEFAULT '',
    address1   text NOT NULL DEFAULT '',
    address2   text NOT NULL DEFAULT '',
    TelNo      text NOT NULL DEFAULT ''
);

CREATE TABLE IF NOT EXISTS patient_data.tbPatient (
    HospNum     text COLLATE laboratory.nocase PRIMARY KEY,
    LastName    text NOT NULL DEFAULT '',
    FirstName   text NOT NULL DEFAULT '',
    MiddleName  text NOT NULL DEFAULT '',
    Sex         text NOT NULL DEFAULT '',
    CivilStatus text NOT NULL DEFAULT '',
    BirthDate   timestamp(0),
    Address     text NOT NULL DEFAULT ''
);

CREATE INDEX IF NOT EXISTS ix_tbPatient_name ON patient_data.tbPatient (LastName, FirstName);

------------------------------------------------------------------------------
-- build_file
------------------------------------------------------------------------------

CREATE TABLE IF NOT EXISTS build_file.tbcolabsection (
    SectionID   text COLLATE laboratory.nocase PRIMARY KEY,
    SectionName text NOT NULL DEFAULT ''
);

CREATE TABLE IF NOT EXISTS build_file.tbcodoctor (
    DoctorID   text COLLATE laboratory.nocase PRIMARY KEY,
    LastName   text NOT NULL DEFAULT '',
    FirstName  text NOT NULL DEFAULT '',
    MiddleName text NOT NULL DEFAULT '',
    Service  text NOT NULL DEFAULT ''
);

-- Exam catalog. FormType picks the entry form and stays case-sensitive
-- ("h" is not "H"). EModel picks the dedicated form of an "H" exam.
CREATE TABLE IF NOT EXISTS build_file.tbcolabexam (
    LabExamID text COLLATE laboratory.nocase PRIMARY KEY,
    ExamTitle text NOT NULL DEFAULT '',
    FormType  text NOT NULL DEFAULT '',
    EModel    text NOT NULL DEFAULT '',
    SectionID text COLLATE laboratory.nocase,
    Amount    numeric(12,2) NOT NULL DEFAULT 0
);

CREATE INDEX IF NOT EXISTS ix_tbcolabexam_section ON build_file.tbcolabexam (SectionID);

-- Prompt lines of the coded-text exams: one line of promptdata per result line.
CREATE TABLE IF NOT EXISTS build_file.tbcolabvalues (
    code        text COLLATE laboratory.nocase PRIMARY KEY,
    description text NOT NULL DEFAULT '',
    promptdata  text
);

-- The host's reference values of an exam, one row per element of the Data
-- array that the host hands over with the exam.
CREATE TABLE IF NOT EXISTS build_file.tbcolabrefvalues (
    LabExamID text COLLATE laboratory.nocase NOT NULL,
    Element   integer NOT NULL,
    Value     text NOT NULL DEFAULT '',
    PRIMARY KEY (LabExamID, Element)
);

-- Profiles: an exam ordered as one item whose member exams are entered
-- together and saved as one profile row.
CREATE TABLE IF NOT EXISTS build_file.tbcolabprofile (
    ProfileExamID text COLLATE laboratory.nocase NOT NULL,
    LineNo        integer NOT NULL,
    LabExamID     text COLLATE laboratory.nocase NOT NULL,
    PRIMARY KEY (ProfileExamID, LineNo)
);

------------------------------------------------------------------------------
-- laboratory
------------------------------------------------------------------------------

-- One row per laboratory request. ResultDate is never empty: it starts as the
-- request date and becomes the release time at the first verification.
CREATE TABLE IF NOT EXISTS laboratory.tblablogbook (
    RequestNum   text COLLATE laboratory.nocase PRIMARY KEY,
    HospNum      text COLLATE laboratory.nocase NOT NULL,
    IDNum        text COLLATE laboratory.nocase NOT NULL DEFAULT '',
    PatientType  text NOT NULL DEFAULT '',
    Age          text NOT NULL DEFAULT '',
    RoomID       text NOT NULL DEFAULT '',
    DoctorID     text COLLATE laboratory.nocase,
    SectionID    text COLLATE laboratory.nocase,
    TransDate    timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    ResultDate   timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    Verified     integer NOT NULL DEFAULT 0,
    VerifiedBy   text,
    VerifiedDate timestamp(0),
    Remarks      text NOT NULL DEFAULT ''
);

CREATE INDEX IF NOT EXISTS ix_tblablogbook_pending ON laboratory.tblablogbook (Verified, TransDate);
CREATE INDEX IF NOT EXISTS ix_tblablogbook_hospnum ON laboratory.tblablogbook (HospNum);

-- The exams of a request, in the order they were ordered. LabNum is the
-- number the result forms save under. It is the request number itself.
CREATE TABLE IF NOT EXISTS laboratory.tblablogbookdetail (
    RequestNum text COLLATE laboratory.nocase NOT NULL,
    LineNo     integer NOT NULL,
    LabExamID  text COLLATE laboratory.nocase NOT NULL,
    RefNum     text COLLATE laboratory.nocase NOT NULL DEFAULT '',
    LabNum     text COLLATE laboratory.nocase NOT NULL,
    Amount     numeric(12,2) NOT NULL DEFAULT 0,
    PRIMARY KEY (RequestNum, LineNo)
);

CREATE INDEX IF NOT EXISTS ix_tblablogbookdetail_labnum ON laboratory.tblablogbookdetail (LabNum);

CREATE TABLE IF NOT EXISTS laboratory.tbLabMedTech (
    MedTechID  text COLLATE laboratory.nocase PRIMARY KEY,
    lastname   text NOT NULL DEFAULT '',
    firstname  text NOT NULL DEFAULT '',
    middlename text NOT NULL DEFAULT '',
    LicenseNo  text NOT NULL DEFAULT ''
);

CREATE INDEX IF NOT EXISTS ix_tbLabMedTech_name ON laboratory.tbLabMedTech (lastname, firstname);

-- Result registration (LAB_SaveResultEntry): one row per request and exam.
-- Registering again replaces the row.
CREATE TABLE IF NOT EXISTS laboratory.tbLabResultEntry (
    EntryID     bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    LabNum      text COLLATE laboratory.nocase NOT NULL,
    LabExamID   text COLLATE laboratory.nocase NOT NULL,
    HospNum     text COLLATE laboratory.nocase,
    IDNum       text COLLATE laboratory.nocase,
    SectionID   text COLLATE laboratory.nocase,
    RoomID      text,
    TransDate   timestamp(0),
    ResultDate  timestamp(0),
    DoctorID    text COLLATE laboratory.nocase,
    FormType    text,
    ResultFlag  text,
    EmployeeID  text COLLATE laboratory.nocase,
    Amount      numeric(12,2),
    PatientType text,
    ItemID      text COLLATE laboratory.nocase,
    RefNum      text COLLATE laboratory.nocase,
    Switch      text,
    MedTechID   text COLLATE laboratory.nocase,
    EntryDate   timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    UpdateDate  timestamp(0),
    UNIQUE (LabNum, LabExamID)
);

-- Coded results: one row per request, Result1..Result33 right after the key
-- because the forms read them by ordinal. Result20 holds the remarks.
CREATE TABLE IF NOT EXISTS laboratory.tbLabResultHCodes (
    RequestNum text COLLATE laboratory.nocase PRIMARY KEY,
    Result1 text, Result2 text, Result3 text, Result4 text, Result5 text,
    Result6 text, Result7 text, Result8 text, Result9 text, Result10 text,
    Result11 text, Result12 text, Result13 text, Result14 text, Result15 text,
    Result16 text, Result17 text, Result18 text, Result19 text, Result20 text,
    Result21 text, Result22 text, Result23 text, Result24 text, Result25 text,
    Result26 text, Result27 text, Result28 text, Result29 text, Result30 text,
    Result31 text, Result32 text, Result33 text,
    EntryDate  timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    UpdateDate timestamp(0)
);

-- Results of the generic exam form, one row per request and exam, in the
-- value slots of the form's result layouts (LayoutIndex 0..9). Slots that
-- the layout does not fill are NULL.
CREATE TABLE IF NOT EXISTS laboratory.tbLabResultValues (
    RequestNum  text COLLATE laboratory.nocase NOT NULL,
    LabExamID   text COLLATE laboratory.nocase NOT NULL,
    FormType    text,
    LayoutIndex integer,
    A1 double precision, A2 double precision, A3 text, A4 double precision, A5 text,
    B1 text, B2 text, B3 text, B4 text,
    C1 double precision, C2 double precision,
    E1 text, E2 text,
    H1 text, H2 text, H3 text, H4 text, H5 text, H6 text,
    F1 text,
    G1 text, G2 text, G3 double precision, G4 double precision, G5 text,
    Remarks     text,
    SaveFlag   integer,
    EntryDate   timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    UpdateDate  timestamp(0),
    PRIMARY KEY (RequestNum, LabExamID)
);

-- Profile mode: the packed values of up to 18 exams, one row per request
-- and profile exam.
CREATE TABLE IF NOT EXISTS laboratory.tbLabProfileResult (
    RequestNum    text COLLATE laboratory.nocase NOT NULL,
    ProfileExamID text COLLATE laboratory.nocase NOT NULL,
    Slot0 text, Slot1 text, Slot2 text, Slot3 text, Slot4 text, Slot5 text,
    Slot6 text, Slot7 text, Slot8 text, Slot9 text, Slot10 text, Slot11 text,
    Slot12 text, Slot13 text, Slot14 text, Slot15 text, Slot16 text, Slot17 text,
    Remarks    text,
    EntryDate  timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    UpdateDate timestamp(0),
    PRIMARY KEY (RequestNum, ProfileExamID)
);

-- Histopathology and cytology reports, one per request.
CREATE TABLE IF NOT EXISTS laboratory.tbLabResultHistoCytology (
    RequestNum       text COLLATE laboratory.nocase PRIMARY KEY,
    HistopathNum     text COLLATE laboratory.nocase NOT NULL DEFAULT '',
    ResultDate       timestamp(0),
    GrossDescription text,
    FinalDiagnosis   text,
    Remarks          text,
    EntryDate        timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    UpdateDate       timestamp(0)
);

CREATE INDEX IF NOT EXISTS ix_tbLabResultHistoCytology_num
    ON laboratory.tbLabResultHistoCytology (HistopathNum);

-- Print spools. Every row arrives with RowNum 1, so SeqNo (filled by the
-- table) is what keeps the lines in the order they were written.
CREATE TABLE IF NOT EXISTS laboratory.tbLabPrint (
    SeqNo   bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    RowNum  integer NOT NULL DEFAULT 1,
    RowLine text
);

CREATE TABLE IF NOT EXISTS laboratory.tbLabPrint_Histopath (
    SeqNo          bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    Microscopy     text,
    FinalDiagnosis text
);

------------------------------------------------------------------------------
-- Helpers of the procedures
------------------------------------------------------------------------------

-- Dates arrive as the client wrote them: "m/d/yyyy", optionally with
-- "h:mm[:ss] [AM|PM]", or ISO. Empty text is no date; anything else that is
-- not a date fails, as the conversion would on the server.
CREATE OR REPLACE FUNCTION laboratory.lab_todatetime(p_text text)
RETURNS timestamp(0)
LANGUAGE plpgsql STABLE AS $$
DECLARE
    t text := btrim(coalesce(p_text, ''));
    m text[];
    h integer;
BEGIN
    IF t = '' THEN
        RETURN NULL;
    END IF;
    m := regexp_match(t, '^(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?$');
    IF m IS NULL THEN
        IF t !~ '^\d{4}-\d{2}-\d{2}' THEN
            RAISE EXCEPTION '"%" is not a date.', t
                USING ERRCODE = '22007';
        END IF;
        RETURN t::timestamp(0);
    END IF;
    h := coalesce(m[4]::integer, 0);
    IF upper(m[7]) = 'PM' THEN
        h := h % 12 + 12;
    ELSIF upper(m[7]) = 'AM' THEN
        h := h % 12;
    END IF;
    RETURN make_timestamp(m[3]::integer, m[1]::integer, m[2]::integer, h,
                          coalesce(m[5]::integer, 0), coalesce(m[6]::integer, 0));
END
$$;

-- Amounts and result numbers arrive as text. What is not a number is NULL.
CREATE OR REPLACE FUNCTION laboratory.lab_tonumber(p_text text)
RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN btrim(p_text) ~ '^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$'
                THEN btrim(p_text)::double precision END
$$;

------------------------------------------------------------------------------
-- Stored procedures
------------------------------------------------------------------------------

-- p_request request number, p_employee who verifies. The first verification
-- also releases the result: ResultDate becomes the time of verification.
CREATE OR REPLACE FUNCTION laboratory.LAB_Save_VerifyResults(p_request text, p_employee text)
RETURNS void
LANGUAGE sql AS $$
    UPDATE laboratory.tblablogbook
       SET ResultDate = CASE WHEN Verified = 0 THEN localtimestamp(0) ELSE ResultDate END,
           Verified = 1,
           VerifiedBy = p_employee,
           VerifiedDate = localtimestamp(0)
     WHERE RequestNum = p_request;
$$;

-- Registers the result of one exam. Registering the same LabNum and exam
-- again replaces the row.
CREATE OR REPLACE FUNCTION laboratory.LAB_SaveResultEntry(
    p_hospnum text, p_idnum text, p_labexamid text, p_sectionid text,
    p_roomid text, p_transdate text, p_resultdate text, p_doctorid text,
    p_formtype text, p_flag text, p_employeeid text, p_amount text,
    p_patienttype text, p_itemid text, p_refnum text, p_labnum text,
    p_switch text, p_medtechid text)
RETURNS void
LANGUAGE sql AS $$
    INSERT INTO laboratory.tbLabResultEntry
           (LabNum, LabExamID, HospNum, IDNum, SectionID, RoomID, TransDate, ResultDate, DoctorID,
            FormType, ResultFlag, EmployeeID, Amount, PatientType, ItemID, RefNum, Switch, MedTechID)
    VALUES (p_labnum,
            p_labexamid,
            p_hospnum,
            p_idnum,
            p_sectionid,
            p_roomid,
            laboratory.lab_todatetime(p_transdate),
            laboratory.lab_todatetime(p_resultdate),
            p_doctorid,
            p_formtype,
            p_flag,
            p_employeeid,
            laboratory.lab_tonumber(p_amount),
            p_patienttype,
            p_itemid,
            p_refnum,
            p_switch,
            p_medtechid)
        ON CONFLICT (LabNum, LabExamID) DO UPDATE SET
           HospNum = EXCLUDED.HospNum, IDNum = EXCLUDED.IDNum, SectionID = EXCLUDED.SectionID,
           RoomID = EXCLUDED.RoomID, TransDate = EXCLUDED.TransDate, ResultDate = EXCLUDED.ResultDate,
           DoctorID = EXCLUDED.DoctorID, FormType = EXCLUDED.FormType, ResultFlag = EXCLUDED.ResultFlag,
           EmployeeID = EXCLUDED.EmployeeID, Amount = EXCLUDED.Amount, PatientType = EXCLUDED.PatientType,
           ItemID = EXCLUDED.ItemID, RefNum = EXCLUDED.RefNum, Switch = EXCLUDED.Switch,
           MedTechID = EXCLUDED.MedTechID,
           UpdateDate = localtimestamp(0);
$$;

-- p_mode 0 for a new row, 1 for an existing one, then the request number,
-- then the result values with the remarks last. Values 1..19 go to
-- Result1..Result19, values 20 onwards to Result21 onwards, the remarks to
-- Result20. Positions that the call does not reach are NULL. Both modes
-- write the row whether or not it exists yet, because the forms look the
-- row up under one number and save it under another.
CREATE OR REPLACE FUNCTION laboratory.lab_save_hcodes(
    p_mode integer, p_request text, VARIADIC p_values text[])
RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    n integer := coalesce(array_length(p_values, 1), 0);
    r text[] := array_fill(NULL::text, ARRAY[33]);
    i integer;
BEGIN
    IF p_mode IS NULL OR p_mode NOT IN (0, 1) THEN
        RETURN;
    END IF;
    IF n > 33 THEN
        RAISE EXCEPTION 'lab_save_hcodes takes at most 32 result values and the remarks, % were given.', n
            USING ERRCODE = '54023';
    END IF;
    FOR i IN 1 .. n - 1 LOOP
        r[CASE WHEN i < 20 THEN i ELSE i + 1 END] := p_values[i];
    END LOOP;
    r[20] := p_values[n];
    INSERT INTO laboratory.tbLabResultHCodes
           (RequestNum,
            Result1, Result2, Result3, Result4, Result5, Result6,
            Result7, Result8, Result9, Result10, Result11, Result12,
            Result13, Result14, Result15, Result16, Result17, Result18,
            Result19, Result20, Result21, Result22, Result23, Result24,
            Result25, Result26, Result27, Result28, Result29, Result30,
            Result31, Result32, Result33)
    VALUES (p_request,
            r[1], r[2], r[3], r[4], r[5], r[6],
            r[7], r[8], r[9], r[10], r[11], r[12],
            r[13], r[14], r[15], r[16], r[17], r[18],
            r[19], r[20], r[21], r[22], r[23], r[24],
            r[25], r[26], r[27], r[28], r[29], r[30],
            r[31], r[32], r[33])
        ON CONFLICT (RequestNum) DO UPDATE SET
           Result1 = EXCLUDED.Result1, Result2 = EXCLUDED.Result2, Result3 = EXCLUDED.Result3,
           Result4 = EXCLUDED.Result4, Result5 = EXCLUDED.Result5, Result6 = EXCLUDED.Result6,
           Result7 = EXCLUDED.Result7, Result8 = EXCLUDED.Result8, Result9 = EXCLUDED.Result9,
           Result10 = EXCLUDED.Result10, Result11 = EXCLUDED.Result11, Result12 = EXCLUDED.Result12,
           Result13 = EXCLUDED.Result13, Result14 = EXCLUDED.Result14, Result15 = EXCLUDED.Result15,
           Result16 = EXCLUDED.Result16, Result17 = EXCLUDED.Result17, Result18 = EXCLUDED.Result18,
           Result19 = EXCLUDED.Result19, Result20 = EXCLUDED.Result20, Result21 = EXCLUDED.Result21,
           Result22 = EXCLUDED.Result22, Result23 = EXCLUDED.Result23, Result24 = EXCLUDED.Result24,
           Result25 = EXCLUDED.Result25, Result26 = EXCLUDED.Result26, Result27 = EXCLUDED.Result27,
           Result28 = EXCLUDED.Result28, Result29 = EXCLUDED.Result29, Result30 = EXCLUDED.Result30,
           Result31 = EXCLUDED.Result31, Result32 = EXCLUDED.Result32, Result33 = EXCLUDED.Result33,
           UpdateDate = localtimestamp(0);
END
$$;

-- The forms read these by ordinal: 0 the request, 1..33 Result1..Result33.
DROP FUNCTION IF EXISTS laboratory.lab_getresulthcodes(text);
CREATE OR REPLACE FUNCTION laboratory.lab_getresulthcodes(p_request text)
RETURNS TABLE ("RequestNum" text,
               "Result1" text, "Result2" text, "Result3" text, "Result4" text, "Result5" text, "Result6" text,
               "Result7" text, "Result8" text, "Result9" text, "Result10" text, "Result11" text, "Result12" text,
               "Result13" text, "Result14" text, "Result15" text, "Result16" text, "Result17" text, "Result18" text,
               "Result19" text, "Result20" text, "Result21" text, "Result22" text, "Result23" text, "Result24" text,
               "Result25" text, "Result26" text, "Result27" text, "Result28" text, "Result29" text, "Result30" text,
               "Result31" text, "Result32" text, "Result33" text)
LANGUAGE sql STABLE AS $$
    SELECT h.RequestNum,
           h.Result1, h.Result2, h.Result3, h.Result4, h.Result5, h.Result6,
           h.Result7, h.Result8, h.Result9, h.Result10, h.Result11, h.Result12,
           h.Result13, h.Result14, h.Result15, h.Result16, h.Result17, h.Result18,
           h.Result19, h.Result20, h.Result21, h.Result22, h.Result23, h.Result24,
           h.Result25, h.Result26, h.Result27, h.Result28, h.Result29, h.Result30,
           h.Result31, h.Result32, h.Result33
      FROM laboratory.tbLabResultHCodes AS h
     WHERE h.RequestNum = p_request;
$$;

-- The exam form's 24 common values (request, exam, form type, A1, A2, A3,
-- A4, A5, B1, B2, B3, B4, C1, C2, E1, E2, H1..H6, remarks, layout), then F1
-- and a numeric flag. Only the slots of the layout named by p_layout are
-- kept (an unknown layout keeps them all), and an earlier row of the same
-- request and exam is replaced.
CREATE OR REPLACE FUNCTION laboratory.LAB_Save_SpecsResultEntries(
    p_request text, p_labexamid text, p_formtype text, p_a1 text, p_a2 text, p_a3 text,
    p_a4 text, p_a5 text, p_b1 text, p_b2 text, p_b3 text, p_b4 text,
    p_c1 text, p_c2 text, p_e1 text, p_e2 text, p_h1 text, p_h2 text,
    p_h3 text, p_h4 text, p_h5 text, p_h6 text, p_remarks text, p_layout text,
    p_f1 text,
    p_flag integer)
RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    v_layout integer := CASE WHEN btrim(p_layout) ~ '^[0-9]$' THEN btrim(p_layout)::integer END;
    v_any boolean := v_layout IS NULL;
    v_a1 double precision := laboratory.lab_tonumber(p_a1);
    v_a2 double precision := laboratory.lab_tonumber(p_a2);
    v_a4 double precision := laboratory.lab_tonumber(p_a4);
    v_c1 double precision := laboratory.lab_tonumber(p_c1);
    v_c2 double precision := laboratory.lab_tonumber(p_c2);
    -- layout 0 with a text normal value sends 0 for all three numbers
    v_textual boolean := coalesce(v_layout = 0 AND coalesce(v_a1, 0) = 0
                                  AND coalesce(v_a2, 0) = 0 AND coalesce(v_a4, 0) = 0, false);
BEGIN
    INSERT INTO laboratory.tbLabResultValues
           (RequestNum, LabExamID, FormType, LayoutIndex,
            A1, A2, A3, A4, A5, B1, B2, B3, B4, C1, C2, E1, E2,
            H1, H2, H3, H4, H5, H6, F1, G1, G2, G3, G4, G5, Remarks, SaveFlag)
    VALUES (p_request, p_labexamid, p_formtype, v_layout,
            CASE WHEN v_any OR v_layout IN (0, 5) THEN v_a1 END, -- A1
            CASE WHEN v_any OR v_layout IN (0, 5) THEN v_a2 END, -- A2
            CASE WHEN v_any OR v_layout IN (0, 5, 8) THEN p_a3 END, -- A3
            CASE WHEN v_any OR v_layout = 0 THEN v_a4 END, -- A4
            CASE WHEN v_any OR v_layout IN (1, 2, 3, 4, 6, 8) OR v_textual THEN p_a5 END, -- A5
            CASE WHEN v_any OR v_layout = 3 THEN p_b1 END, -- B1
            CASE WHEN v_any OR v_layout = 3 THEN p_b2 END, -- B2
            CASE WHEN v_any OR v_layout = 3 THEN p_b3 END, -- B3
            CASE WHEN v_any OR v_layout = 4 THEN p_b4 END, -- B4
            CASE WHEN v_any OR v_layout IN (5, 9) THEN v_c1 END, -- C1
            CASE WHEN v_any OR v_layout IN (5, 9) THEN v_c2 END, -- C2
            CASE WHEN v_any OR v_layout = 6 THEN p_e1 END, -- E1
            CASE WHEN v_any OR v_layout = 6 THEN p_e2 END, -- E2
            CASE WHEN v_any OR v_layout = 7 THEN p_h1 END, -- H1
            CASE WHEN v_any OR v_layout = 7 THEN p_h2 END, -- H2
            CASE WHEN v_any OR v_layout = 7 THEN p_h3 END, -- H3
            CASE WHEN v_any OR v_layout = 7 THEN p_h4 END, -- H4
            CASE WHEN v_any OR v_layout = 7 THEN p_h5 END, -- H5
            CASE WHEN v_any OR v_layout = 7 THEN p_h6 END, -- H6
            CASE WHEN v_any OR v_layout = 4 THEN p_f1 END, -- F1
            NULL, -- G1
            NULL, -- G2
            NULL, -- G3
            NULL, -- G4
            NULL, -- G5
            p_remarks, p_flag) -- Remarks, SaveFlag
        ON CONFLICT (RequestNum, LabExamID) DO UPDATE SET
           FormType = EXCLUDED.FormType, LayoutIndex = EXCLUDED.LayoutIndex, A1 = EXCLUDED.A1,
           A2 = EXCLUDED.A2, A3 = EXCLUDED.A3, A4 = EXCLUDED.A4,
           A5 = EXCLUDED.A5, B1 = EXCLUDED.B1, B2 = EXCLUDED.B2,
           B3 = EXCLUDED.B3, B4 = EXCLUDED.B4, C1 = EXCLUDED.C1,
           C2 = EXCLUDED.C2, E1 = EXCLUDED.E1, E2 = EXCLUDED.E2,
           H1 = EXCLUDED.H1, H2 = EXCLUDED.H2, H3 = EXCLUDED.H3,
           H4 = EXCLUDED.H4, H5 = EXCLUDED.H5, H6 = EXCLUDED.H6,
           F1 = EXCLUDED.F1, G1 = EXCLUDED.G1, G2 = EXCLUDED.G2,
           G3 = EXCLUDED.G3, G4 = EXCLUDED.G4, G5 = EXCLUDED.G5,
           Remarks = EXCLUDED.Remarks, SaveFlag = EXCLUDED.SaveFlag,
           UpdateDate = localtimestamp(0);
END
$$;

-- The 24 common values, then G1, A5 (again), G1 (again), G2, G3, G4, G5.
-- The repeated A5 and G1 are not read. Slots are kept as for
-- LAB_Save_SpecsResultEntries.
CREATE OR REPLACE FUNCTION laboratory.LAB_Save_EditResultEntries(
    p_request text, p_labexamid text, p_formtype text, p_a1 text, p_a2 text, p_a3 text,
    p_a4 text, p_a5 text, p_b1 text, p_b2 text, p_b3 text, p_b4 text,
    p_c1 text, p_c2 text, p_e1 text, p_e2 text, p_h1 text, p_h2 text,
    p_h3 text, p_h4 text, p_h5 text, p_h6 text, p_remarks text, p_layout text,
    p_g1 text, p_a5_again text, p_g1_again text, p_g2 text, p_g3 text, p_g4 text,
    p_g5 text)
RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    v_layout integer := CASE WHEN btrim(p_layout) ~ '^[0-9]$' THEN btrim(p_layout)::integer END;
    v_any boolean := v_layout IS NULL;
    v_a1 double precision := laboratory.lab_tonumber(p_a1);
    v_a2 double precision := laboratory.lab_tonumber(p_a2);
    v_a4 double precision := laboratory.lab_tonumber(p_a4);
    v_c1 double precision := laboratory.lab_tonumber(p_c1);
    v_c2 double precision := laboratory.lab_tonumber(p_c2);
    v_g3 double precision := laboratory.lab_tonumber(p_g3);
    v_g4 double precision := laboratory.lab_tonumber(p_g4);
    -- layout 0 with a text normal value sends 0 for all three numbers
    v_textual boolean := coalesce(v_layout = 0 AND coalesce(v_a1, 0) = 0
                                  AND coalesce(v_a2, 0) = 0 AND coalesce(v_a4, 0) = 0, false);
BEGIN
    INSERT INTO laboratory.tbLabResultValues
           (RequestNum, LabExamID, FormType, LayoutIndex,
            A1, A2, A3, A4, A5, B1, B2, B3, B4, C1, C2, E1, E2,
            H1, H2, H3, H4, H5, H6, F1, G1, G2, G3, G4, G5, Remarks, SaveFlag)
    VALUES (p_request, p_labexamid, p_formtype, v_layout,
            CASE WHEN v_any OR v_layout IN (0, 5) THEN v_a1 END, -- A1
            CASE WHEN v_any OR v_layout IN (0, 5) THEN v_a2 END, -- A2
            CASE WHEN v_any OR v_layout IN (0, 5, 8) THEN p_a3 END, -- A3
            CASE WHEN v_any OR v_layout = 0 THEN v_a4 END, -- A4
            CASE WHEN v_any OR v_layout IN (1, 2, 3, 4, 6, 8) OR v_textual THEN p_a5 END, -- A5
            CASE WHEN v_any OR v_layout = 3 THEN p_b1 END, -- B1
            CASE WHEN v_any OR v_layout = 3 THEN p_b2 END, -- B2
            CASE WHEN v_any OR v_layout = 3 THEN p_b3 END, -- B3
            CASE WHEN v_any OR v_layout = 4 THEN p_b4 END, -- B4
            CASE WHEN v_any OR v_layout IN (5, 9) THEN v_c1 END, -- C1
            CASE WHEN v_any OR v_layout IN (5, 9) THEN v_c2 END, -- C2
            CASE WHEN v_any OR v_layout = 6 THEN p_e1 END, -- E1
            CASE WHEN v_any OR v_layout = 6 THEN p_e2 END, -- E2
            CASE WHEN v_any OR v_layout = 7 THEN p_h1 END, -- H1
            CASE WHEN v_any OR v_layout = 7 THEN p_h2 END, -- H2
            CASE WHEN v_any OR v_layout = 7 THEN p_h3 END, -- H3
            CASE WHEN v_any OR v_layout = 7 THEN p_h4 END, -- H4
            CASE WHEN v_any OR v_layout = 7 THEN p_h5 END, -- H5
            CASE WHEN v_any OR v_layout = 7 THEN p_h6 END, -- H6
            NULL, -- F1
            CASE WHEN v_any OR v_layout IN (8, 9) OR v_textual THEN p_g1 END, -- G1
            CASE WHEN v_any OR v_layout = 9 THEN p_g2 END, -- G2
            CASE WHEN v_any OR v_layout = 5 THEN v_g3 END, -- G3
            CASE WHEN v_any OR v_layout = 5 THEN v_g4 END, -- G4
            CASE WHEN v_any OR v_layout IN (5, 9) THEN p_g5 END, -- G5
            p_remarks, NULL) -- Remarks, SaveFlag
        ON CONFLICT (RequestNum, LabExamID) DO UPDATE SET
           FormType = EXCLUDED.FormType, LayoutIndex = EXCLUDED.LayoutIndex, A1 = EXCLUDED.A1,
           A2 = EXCLUDED.A2, A3 = EXCLUDED.A3, A4 = EXCLUDED.A4,
           A5 = EXCLUDED.A5, B1 = EXCLUDED.B1, B2 = EXCLUDED.B2,
           B3 = EXCLUDED.B3, B4 = EXCLUDED.B4, C1 = EXCLUDED.C1,
           C2 = EXCLUDED.C2, E1 = EXCLUDED.E1, E2 = EXCLUDED.E2,
           H1 = EXCLUDED.H1, H2 = EXCLUDED.H2, H3 = EXCLUDED.H3,
           H4 = EXCLUDED.H4, H5 = EXCLUDED.H5, H6 = EXCLUDED.H6,
           F1 = EXCLUDED.F1, G1 = EXCLUDED.G1, G2 = EXCLUDED.G2,
           G3 = EXCLUDED.G3, G4 = EXCLUDED.G4, G5 = EXCLUDED.G5,
           Remarks = EXCLUDED.Remarks, SaveFlag = EXCLUDED.SaveFlag,
           UpdateDate = localtimestamp(0);
END
$$;

-- The packed values of exam positions 0..17 of a profile. Replaces the
-- earlier row of the request and profile.
CREATE OR REPLACE FUNCTION laboratory.LAB_Save_EditProfileResultEntries(
    p_request text, p_profileexamid text,
    p_slot0 text, p_slot1 text, p_slot2 text, p_slot3 text, p_slot4 text, p_slot5 text,
    p_slot6 text, p_slot7 text, p_slot8 text, p_slot9 text, p_slot10 text, p_slot11 text,
    p_slot12 text, p_slot13 text, p_slot14 text, p_slot15 text, p_slot16 text, p_slot17 text,
    p_remarks text)
RETURNS void
LANGUAGE sql AS $$
    INSERT INTO laboratory.tbLabProfileResult
           (RequestNum, ProfileExamID,
            Slot0, Slot1, Slot2, Slot3, Slot4, Slot5,
            Slot6, Slot7, Slot8, Slot9, Slot10, Slot11,
            Slot12, Slot13, Slot14, Slot15, Slot16, Slot17,
            Remarks)
    VALUES (p_request, p_profileexamid,
            p_slot0, p_slot1, p_slot2, p_slot3, p_slot4, p_slot5,
            p_slot6, p_slot7, p_slot8, p_slot9, p_slot10, p_slot11,
            p_slot12, p_slot13, p_slot14, p_slot15, p_slot16, p_slot17,
            p_remarks)
        ON CONFLICT (RequestNum, ProfileExamID) DO UPDATE SET
           Slot0 = EXCLUDED.Slot0, Slot1 = EXCLUDED.Slot1, Slot2 = EXCLUDED.Slot2,
           Slot3 = EXCLUDED.Slot3, Slot4 = EXCLUDED.Slot4, Slot5 = EXCLUDED.Slot5,
           Slot6 = EXCLUDED.Slot6, Slot7 = EXCLUDED.Slot7, Slot8 = EXCLUDED.Slot8,
           Slot9 = EXCLUDED.Slot9, Slot10 = EXCLUDED.Slot10, Slot11 = EXCLUDED.Slot11,
           Slot12 = EXCLUDED.Slot12, Slot13 = EXCLUDED.Slot13, Slot14 = EXCLUDED.Slot14,
           Slot15 = EXCLUDED.Slot15, Slot16 = EXCLUDED.Slot16, Slot17 = EXCLUDED.Slot17,
           Remarks = EXCLUDED.Remarks,
           UpdateDate = localtimestamp(0);
$$;

-- Histopathology ("X") and cytology ("Z") share one table. Other form
-- types have no row here.
DROP FUNCTION IF EXISTS laboratory.Lab_GetResultFromTable(text, text);
CREATE OR REPLACE FUNCTION laboratory.Lab_GetResultFromTable(p_formtype text, p_request text)
RETURNS TABLE ("RequestNum" text, "HistopathNum" text, "ResultDate" timestamp,
               "GrossDescription" text, "FinalDiagnosis" text, "Remarks" text)
LANGUAGE sql STABLE AS $$
    SELECT h.RequestNum, h.HistopathNum, h.ResultDate, h.GrossDescription,
           h.FinalDiagnosis, h.Remarks
      FROM laboratory.tbLabResultHistoCytology AS h
     WHERE h.RequestNum = p_request
       AND upper(btrim(p_formtype)) IN ('X', 'Z');
$$;

-- p_mode 0 for a new report, 1 for an existing one. Either mode writes the
-- row. p_reportdate is "mm/dd/yyyy hh:mm AM".
CREATE OR REPLACE FUNCTION laboratory.Lab_Save_Histopath(
    p_mode integer, p_request text, p_histopathnum text, p_gross text,
    p_finaldiagnosis text, p_reportdate text, p_remarks text)
RETURNS void
LANGUAGE plpgsql AS $$
BEGIN
    IF p_mode IS NULL OR p_mode NOT IN (0, 1) THEN
        RETURN;
    END IF;
    INSERT INTO laboratory.tbLabResultHistoCytology
           (RequestNum, HistopathNum, ResultDate, GrossDescription, FinalDiagnosis, Remarks)
    VALUES (p_request, coalesce(p_histopathnum, ''), laboratory.lab_todatetime(p_reportdate),
            p_gross, p_finaldiagnosis, p_remarks)
        ON CONFLICT (RequestNum) DO UPDATE SET
           HistopathNum = EXCLUDED.HistopathNum,
           ResultDate = EXCLUDED.ResultDate,
           GrossDescription = EXCLUDED.GrossDescription,
           FinalDiagnosis = EXCLUDED.FinalDiagnosis,
           Remarks = EXCLUDED.Remarks,
           UpdateDate = localtimestamp(0);
END
$$;

DROP FUNCTION IF EXISTS laboratory.sp_listmedtech();
CREATE OR REPLACE FUNCTION laboratory.sp_listmedtech()
RETURNS TABLE ("MedTechID" text, "lastname" text, "firstname" text, "middlename" text)
LANGUAGE sql STABLE AS $$
    SELECT m.MedTechID, m.lastname, m.firstname, m.middlename
      FROM laboratory.tbLabMedTech AS m
     ORDER BY m.lastname, m.firstname, m.middlename, m.MedTechID;
$$;

-- Mode 0 finds one technologist: the one whose identifier is the text, or
-- when no identifier matches, those whose name is the text, written as
-- "last", "last,first", "last,first middle", "first last" or
-- "first middle last" (blanks and case ignored, so the dialog's own
-- "last,first middle" finds the same person again).
-- Mode 1 lists those whose identifier or name contains the text.
DROP FUNCTION IF EXISTS laboratory.sp_listsearchmedtech(integer, text);
CREATE OR REPLACE FUNCTION laboratory.sp_listsearchmedtech(p_mode integer, p_text text)
RETURNS TABLE ("MedTechID" text, "lastname" text, "firstname" text, "middlename" text)
LANGUAGE sql STABLE AS $$
    WITH m AS (
        SELECT t.MedTechID AS id, t.lastname AS ln, t.firstname AS fn, t.middlename AS mn,
               lower(t.MedTechID COLLATE laboratory.unicode) AS lid,
               lower(t.lastname COLLATE laboratory.unicode) AS lln,
               lower(t.firstname COLLATE laboratory.unicode) AS lfn,
               lower(t.middlename COLLATE laboratory.unicode) AS lmn
          FROM laboratory.tbLabMedTech AS t),
    q AS (
        SELECT lower(btrim(coalesce(p_text, '')) COLLATE laboratory.unicode) AS s)
    SELECT m.id, m.ln, m.fn, m.mn
      FROM m, q
     WHERE (p_mode = 0
            AND (m.lid = q.s
                 OR (NOT EXISTS (SELECT 1 FROM m AS x WHERE x.lid = q.s)
                     AND replace(q.s, ' ', '') IN (
                         replace(m.lln, ' ', ''),
                         replace(m.lln || ',' || m.lfn, ' ', ''),
                         replace(m.lln || ',' || m.lfn || m.lmn, ' ', ''),
                         replace(m.lfn || m.lln, ' ', ''),
                         replace(m.lfn || m.lmn || m.lln, ' ', '')))))
        OR (p_mode = 1
            AND (strpos(m.lid, q.s) > 0
                 OR strpos(m.lln, q.s) > 0
                 OR strpos(m.lfn, q.s) > 0
                 OR strpos(m.lmn, q.s) > 0
                 OR strpos(m.lln || ',' || m.lfn || ' ' || m.lmn, q.s) > 0
                 OR strpos(m.lln || ', ' || m.lfn || ' ' || m.lmn, q.s) > 0))
     ORDER BY m.ln, m.fn, m.mn, m.id;
$$;

-- For the laboratory application: the requests of the log book, pending
-- ones only unless p_mode is 1. Exams lists the exam titles of the request.
DROP FUNCTION IF EXISTS laboratory.lab_listlogbook(integer);
CREATE OR REPLACE FUNCTION laboratory.lab_listlogbook(p_mode integer DEFAULT 0)
RETURNS TABLE ("RequestNum" text, "TransDate" timestamp, "HospNum" text, "PatName" text,
               "PatientType" text, "SectionID" text, "SectionName" text, "Exams" text,
               "Verified" integer)
LANGUAGE sql STABLE AS $$
    SELECT l.RequestNum, l.TransDate, l.HospNum,
           btrim(coalesce(p.LastName || ', ' || p.FirstName || ' ' || p.MiddleName, '')),
           l.PatientType, l.SectionID, coalesce(s.SectionName, ''),
           coalesce((SELECT string_agg(coalesce(e.ExamTitle, d.LabExamID), ', ' ORDER BY d.LineNo)
                       FROM laboratory.tblablogbookdetail AS d
                       LEFT JOIN build_file.tbcolabexam AS e ON e.LabExamID = d.LabExamID
                      WHERE d.RequestNum = l.RequestNum), ''),
           l.Verified
      FROM laboratory.tblablogbook AS l
      LEFT JOIN patient_data.tbPatient AS p ON p.HospNum = l.HospNum
      LEFT JOIN build_file.tbcolabsection AS s ON s.SectionID = l.SectionID
     WHERE l.Verified = 0 OR coalesce(p_mode, 0) = 1
     ORDER BY l.TransDate, l.RequestNum;
$$;

-- For the laboratory application: what it hands the result entry for one
-- request (patient, physician, section, dates, verification).
DROP FUNCTION IF EXISTS laboratory.lab_getlogbookrequest(text);
CREATE OR REPLACE FUNCTION laboratory.lab_getlogbookrequest(p_request text)
RETURNS TABLE ("RequestNum" text, "HospNum" text, "IDNum" text, "PatName" text,
               "LastName" text, "FirstName" text, "MiddleName" text, "Age" text, "Sex" text,
               "CivilStatus" text, "DoctorID" text, "DoctorName" text, "SectionID" text,
               "SectionName" text, "RoomID" text, "PatientType" text, "TransDate" timestamp,
               "ResultDate" timestamp, "Verified" integer, "VerifiedBy" text,
               "VerifiedDate" timestamp, "Remarks" text)
LANGUAGE sql STABLE AS $$
    SELECT l.RequestNum, l.HospNum, l.IDNum,
           btrim(coalesce(p.LastName || ', ' || p.FirstName || ' ' || p.MiddleName, '')),
           coalesce(p.LastName, ''), coalesce(p.FirstName, ''), coalesce(p.MiddleName, ''),
           l.Age, coalesce(p.Sex, ''), coalesce(p.CivilStatus, ''),
           coalesce(l.DoctorID, ''),
           coalesce('Dr. ' || d.FirstName || ' ' || d.LastName, ''),
           coalesce(l.SectionID, ''), coalesce(s.SectionName, ''),
           l.RoomID, l.PatientType, l.TransDate, l.ResultDate,
           l.Verified, l.VerifiedBy, l.VerifiedDate, l.Remarks
      FROM laboratory.tblablogbook AS l
      LEFT JOIN patient_data.tbPatient AS p ON p.HospNum = l.HospNum
      LEFT JOIN build_file.tbcodoctor AS d ON d.DoctorID = l.DoctorID
      LEFT JOIN build_file.tbcolabsection AS s ON s.SectionID = l.SectionID
     WHERE l.RequestNum = p_request;
$$;

-- For the laboratory application: the exams of one request, in order, with
-- what the result entry needs of each.
DROP FUNCTION IF EXISTS laboratory.lab_getlogbookexams(text);
CREATE OR REPLACE FUNCTION laboratory.lab_getlogbookexams(p_request text)
RETURNS TABLE ("LineNo" integer, "LabExamID" text, "FormType" text, "EModel" text,
               "ExamTitle" text, "Amount" numeric, "RefNum" text, "LabNum" text)
LANGUAGE sql STABLE AS $$
    SELECT d.LineNo, d.LabExamID, coalesce(e.FormType, ''), coalesce(e.EModel, ''),
           coalesce(e.ExamTitle, ''), d.Amount, d.RefNum, d.LabNum
      FROM laboratory.tblablogbookdetail AS d
      LEFT JOIN build_file.tbcolabexam AS e ON e.LabExamID = d.LabExamID
     WHERE d.RequestNum = p_request
     ORDER BY d.LineNo;
$$;

------------------------------------------------------------------------------
-- Audit trail
------------------------------------------------------------------------------

-- Every change of a result value, every verification and every print, one
-- row each, oldest first by AuditID. The triggers below write it, so a change
-- made by an older library or by hand is recorded too; nothing turns them
-- off. Values are kept as text, the way the database writes them.
CREATE TABLE IF NOT EXISTS laboratory.tbLabAudit (
    AuditID     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    RequestNum  text COLLATE laboratory.nocase,
    LabNum      text COLLATE laboratory.nocase,
    Action      text NOT NULL,
    TableName   text,
    Exam        text COLLATE laboratory.nocase,
    ColumnName  text,
    OldValue    text,
    NewValue    text,
    EmployeeID  text,
    MedTechID   text,
    Workstation text NOT NULL DEFAULT 'unknown workstation',
    DbUser      text NOT NULL DEFAULT session_user,
    ChangedAt   timestamp(0) NOT NULL DEFAULT localtimestamp(0)
);

CREATE INDEX IF NOT EXISTS ix_tbLabAudit_request ON laboratory.tbLabAudit (RequestNum, AuditID);

-- Who wrote a row and when is the server's to say, whoever inserts it.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_stamp() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    NEW.DbUser := session_user;
    NEW.ChangedAt := localtimestamp(0);
    RETURN NEW;
END
$$;

CREATE OR REPLACE TRIGGER tbLabAudit_stamp BEFORE INSERT ON laboratory.tbLabAudit
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_stamp();

-- Append-only: a row once written stays as it is.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_refuse() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'The audit trail is append-only: % is refused.', lower(TG_OP)
        USING ERRCODE = '42501';
END
$$;

CREATE OR REPLACE TRIGGER tbLabAudit_append_only
    BEFORE UPDATE OR DELETE OR TRUNCATE ON laboratory.tbLabAudit
    FOR EACH STATEMENT EXECUTE FUNCTION laboratory.lab_audit_refuse();

-- Who and where of the running transaction, set by the library right after
-- BEGIN with set_config(..., true): laboratory.employee, laboratory.medtech,
-- laboratory.workstation. A change made without them reads the defaults.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_setting(p_name text) RETURNS text
LANGUAGE sql STABLE AS $$
    SELECT nullif(current_setting('laboratory.' || p_name, true), '');
$$;

-- A value as audit text: dates as the embedded database writes them.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_text(p_value jsonb) RETURNS text
LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN v ~ '^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$' THEN overlay(v placing ' ' from 11)
                ELSE v END
      FROM (SELECT p_value #>> '{}' AS v) AS t;
$$;

-- A verification, or the request's verifier changing.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_verify() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, ColumnName,
                                       OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    VALUES (NEW.RequestNum, NEW.RequestNum,
            CASE WHEN NEW.Verified <> 0 THEN 'verify' ELSE 'unverify' END, 'tblablogbook',
            'VerifiedBy', OLD.VerifiedBy, NEW.VerifiedBy,
            laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
            coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation'));
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tblablogbook_audit_verify AFTER UPDATE OF Verified, VerifiedBy
    ON laboratory.tblablogbook FOR EACH ROW
    WHEN (OLD.Verified IS DISTINCT FROM NEW.Verified OR OLD.VerifiedBy IS DISTINCT FROM NEW.VerifiedBy)
    EXECUTE FUNCTION laboratory.lab_audit_verify();

-- The result tables: one row per value that differs from the stored one
-- (inserts from NULL, deletes to NULL); the bookkeeping dates are left out.
-- Arguments: the table's name as documented, its lab-number column, its
-- exam column ('' when none), then the audited columns. An update also
-- compares the two key columns.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_change() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v_old jsonb := CASE WHEN TG_OP <> 'INSERT' THEN to_jsonb(OLD) END;
    v_new jsonb := CASE WHEN TG_OP <> 'DELETE' THEN to_jsonb(NEW) END;
    v_row jsonb := coalesce(v_new, v_old);
    v_labnum text := v_row ->> lower(TG_ARGV[1]);
    v_columns text[] := TG_ARGV[3:TG_NARGS - 1];
BEGIN
    IF TG_OP = 'UPDATE' THEN
        v_columns := array_remove(ARRAY[TG_ARGV[1], TG_ARGV[2]], '') || v_columns;
    END IF;
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                                       OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    SELECT coalesce((SELECT d.RequestNum FROM laboratory.tblablogbookdetail AS d
                      WHERE d.LabNum = v_labnum LIMIT 1), v_labnum),
           v_labnum, 'change', TG_ARGV[0], nullif(v_row ->> lower(TG_ARGV[2]), ''), c.name,
           laboratory.lab_audit_text(nullif(v_old -> lower(c.name), 'null')),
           laboratory.lab_audit_text(nullif(v_new -> lower(c.name), 'null')),
           laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
           coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation')
      FROM unnest(v_columns) WITH ORDINALITY AS c(name, position)
     WHERE nullif(v_old -> lower(c.name), 'null') IS DISTINCT FROM nullif(v_new -> lower(c.name), 'null')
     ORDER BY c.position;
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tbLabResultEntry_audit AFTER INSERT OR UPDATE OR DELETE ON laboratory.tbLabResultEntry
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_change(
        'tbLabResultEntry', 'LabNum', 'LabExamID', 'HospNum', 'IDNum', 'SectionID',
        'RoomID', 'TransDate', 'ResultDate', 'DoctorID', 'FormType', 'ResultFlag',
        'EmployeeID', 'Amount', 'PatientType', 'ItemID', 'RefNum', 'Switch', 'MedTechID');

CREATE OR REPLACE TRIGGER tbLabResultHCodes_audit AFTER INSERT OR UPDATE OR DELETE ON laboratory.tbLabResultHCodes
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_change(
        'tbLabResultHCodes', 'RequestNum', '', 'Result1', 'Result2', 'Result3', 'Result4',
        'Result5', 'Result6', 'Result7', 'Result8', 'Result9', 'Result10', 'Result11',
        'Result12', 'Result13', 'Result14', 'Result15', 'Result16', 'Result17', 'Result18',
        'Result19', 'Result20', 'Result21', 'Result22', 'Result23', 'Result24', 'Result25',
        'Result26', 'Result27', 'Result28', 'Result29', 'Result30', 'Result31', 'Result32',
        'Result33');

CREATE OR REPLACE TRIGGER tbLabResultValues_audit AFTER INSERT OR UPDATE OR DELETE ON laboratory.tbLabResultValues
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_change(
        'tbLabResultValues', 'RequestNum', 'LabExamID', 'FormType', 'LayoutIndex', 'A1',
        'A2', 'A3', 'A4', 'A5', 'B1', 'B2', 'B3', 'B4', 'C1', 'C2', 'E1', 'E2', 'H1', 'H2',
        'H3', 'H4', 'H5', 'H6', 'F1', 'G1', 'G2', 'G3', 'G4', 'G5', 'Remarks', 'SaveFlag');

CREATE OR REPLACE TRIGGER tbLabProfileResult_audit AFTER INSERT OR UPDATE OR DELETE ON laboratory.tbLabProfileResult
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_change(
        'tbLabProfileResult', 'RequestNum', 'ProfileExamID', 'Slot0', 'Slot1', 'Slot2',
        'Slot3', 'Slot4', 'Slot5', 'Slot6', 'Slot7', 'Slot8', 'Slot9', 'Slot10', 'Slot11',
        'Slot12', 'Slot13', 'Slot14', 'Slot15', 'Slot16', 'Slot17', 'Remarks');

CREATE OR REPLACE TRIGGER tbLabResultHistoCytology_audit AFTER INSERT OR UPDATE OR DELETE ON laboratory.tbLabResultHistoCytology
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_change(
        'tbLabResultHistoCytology', 'RequestNum', '', 'HistopathNum', 'ResultDate',
        'GrossDescription', 'FinalDiagnosis', 'Remarks');

------------------------------------------------------------------------------
-- Report archive
------------------------------------------------------------------------------

-- Every report the library printed, as its text and as the PDF that went to
-- the printer (NULL when a system printer took it), oldest first by ReportID.
-- Kind is 'original' or 'correction' (printed after a save that changed
-- released results). Append-only, like the audit trail.
CREATE TABLE IF NOT EXISTS laboratory.tbLabReportArchive (
    ReportID     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    RequestNum   text COLLATE laboratory.nocase,
    Kind         text NOT NULL,
    DocumentName text,
    EmployeeID   text,
    MedTechID    text,
    Workstation  text NOT NULL DEFAULT 'unknown workstation',
    PrintedAt    timestamp(0) NOT NULL DEFAULT localtimestamp(0),
    ReportText   text,
    ReportPdf    bytea
);

CREATE INDEX IF NOT EXISTS ix_tbLabReportArchive_request
    ON laboratory.tbLabReportArchive (RequestNum, ReportID);

-- The time is the server's, whoever inserts the row.
CREATE OR REPLACE FUNCTION laboratory.lab_archive_stamp() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    NEW.PrintedAt := localtimestamp(0);
    RETURN NEW;
END
$$;

CREATE OR REPLACE TRIGGER tbLabReportArchive_stamp BEFORE INSERT ON laboratory.tbLabReportArchive
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_archive_stamp();

CREATE OR REPLACE FUNCTION laboratory.lab_archive_refuse() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'The report archive is append-only: % is refused.', lower(TG_OP)
        USING ERRCODE = '42501';
END
$$;

CREATE OR REPLACE TRIGGER tbLabReportArchive_append_only
    BEFORE UPDATE OR DELETE OR TRUNCATE ON laboratory.tbLabReportArchive
    FOR EACH STATEMENT EXECUTE FUNCTION laboratory.lab_archive_refuse();

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
CREATE TABLE IF NOT EXISTS laboratory.tbLabRefRange (
    LabExamID   text COLLATE laboratory.nocase NOT NULL,
    Sex         text COLLATE laboratory.nocase NOT NULL DEFAULT '' CHECK (Sex IN ('', 'M', 'F')),
    AgeFromDays integer NOT NULL DEFAULT 0 CHECK (AgeFromDays >= 0),
    AgeToDays   integer CHECK (AgeToDays IS NULL OR AgeToDays > AgeFromDays),
    LowValue    double precision,
    HighValue   double precision
);

CREATE INDEX IF NOT EXISTS ix_tbLabRefRange_exam ON laboratory.tbLabRefRange (LabExamID);

-- Results beyond these limits are critical: the clinician is told at once.
CREATE TABLE IF NOT EXISTS laboratory.tbLabCriticalLimit (
    LabExamID    text COLLATE laboratory.nocase PRIMARY KEY,
    CriticalLow  double precision,
    CriticalHigh double precision
);

-- A result that differs from the patient's previous one of the exam by more
-- than DeltaLimit (DeltaKind 'A': in the result's unit, 'P': per cent of the
-- previous result) is flagged. A previous result counts when it is at most
-- DeltaDays old (NULL: whatever its age).
CREATE TABLE IF NOT EXISTS laboratory.tbLabDeltaRule (
    LabExamID  text COLLATE laboratory.nocase PRIMARY KEY,
    DeltaKind  text NOT NULL CHECK (DeltaKind IN ('A', 'P')),
    DeltaLimit double precision NOT NULL CHECK (DeltaLimit >= 0),
    DeltaDays  integer CHECK (DeltaDays IS NULL OR DeltaDays > 0)
);

-- The patient's earlier results: by hospital number, newest first.
CREATE INDEX IF NOT EXISTS ix_tblablogbook_hospnum_date
    ON laboratory.tblablogbook (HospNum, TransDate);

-- Who was told of a critical result, when, by whom, and that it was read back.
-- RecordedAt is the server's time, whatever an insert says.
CREATE TABLE IF NOT EXISTS laboratory.tbLabCriticalNotice (
    NoticeID     bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    RequestNum   text COLLATE laboratory.nocase NOT NULL,
    LabExamID    text COLLATE laboratory.nocase NOT NULL,
    ResultValue  text NOT NULL,
    NotifiedName text NOT NULL CHECK (trim(NotifiedName) <> ''),
    NotifiedRole text NOT NULL CHECK (trim(NotifiedRole) <> ''),
    NotifiedAt   timestamp(0) NOT NULL,
    MedTechID    text COLLATE laboratory.nocase NOT NULL CHECK (trim(MedTechID) <> ''),
    ReadBack     integer NOT NULL CHECK (ReadBack = 1),
    RecordedAt   timestamp(0) NOT NULL DEFAULT localtimestamp(0)
);

CREATE INDEX IF NOT EXISTS ix_tbLabCriticalNotice_request
    ON laboratory.tbLabCriticalNotice (RequestNum, LabExamID);

-- A result flagged by its delta rule, acknowledged by the technologist.
CREATE TABLE IF NOT EXISTS laboratory.tbLabDeltaAck (
    AckID           bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    RequestNum      text COLLATE laboratory.nocase NOT NULL,
    LabExamID       text COLLATE laboratory.nocase NOT NULL,
    ResultValue     text NOT NULL,
    PreviousValue   text NOT NULL,
    PreviousRequest text COLLATE laboratory.nocase NOT NULL,
    MedTechID       text COLLATE laboratory.nocase,
    RecordedAt      timestamp(0) NOT NULL DEFAULT localtimestamp(0)
);

CREATE INDEX IF NOT EXISTS ix_tbLabDeltaAck_request ON laboratory.tbLabDeltaAck (RequestNum, LabExamID);

-- Both reach the audit trail as one row each, with who and where; the time of
-- recording is the server's.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_check() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    NEW.RecordedAt := localtimestamp(0);
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, Exam, ColumnName,
                                       OldValue, NewValue, EmployeeID, MedTechID, Workstation)
    VALUES (coalesce((SELECT d.RequestNum FROM laboratory.tblablogbookdetail AS d
                       WHERE d.LabNum = NEW.RequestNum LIMIT 1), NEW.RequestNum),
            NEW.RequestNum,
            CASE WHEN TG_TABLE_NAME = 'tblabcriticalnotice' THEN 'critical' ELSE 'delta' END,
            CASE WHEN TG_TABLE_NAME = 'tblabcriticalnotice' THEN 'tbLabCriticalNotice'
                 ELSE 'tbLabDeltaAck' END,
            NEW.LabExamID, 'ResultValue',
            CASE WHEN TG_TABLE_NAME = 'tblabdeltaack'
                 THEN to_jsonb(NEW) ->> 'previousvalue' || ' (' || (to_jsonb(NEW) ->> 'previousrequest') || ')' END,
            CASE WHEN TG_TABLE_NAME = 'tblabcriticalnotice'
                 THEN NEW.ResultValue || ' notified to ' || (to_jsonb(NEW) ->> 'notifiedname') || ' (' ||
                      (to_jsonb(NEW) ->> 'notifiedrole') || ') at ' ||
                      to_char((to_jsonb(NEW) ->> 'notifiedat')::timestamp, 'YYYY-MM-DD HH24:MI:SS') ||
                      ' by ' || NEW.MedTechID || ', read back'
                 ELSE NEW.ResultValue || ', acknowledged' END,
            laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
            coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation'));
    RETURN NEW;
END
$$;

CREATE OR REPLACE TRIGGER tbLabCriticalNotice_audit BEFORE INSERT ON laboratory.tbLabCriticalNotice
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_check();
CREATE OR REPLACE TRIGGER tbLabDeltaAck_audit BEFORE INSERT ON laboratory.tbLabDeltaAck
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_check();

------------------------------------------------------------------------------
-- Schema version: what `vantrel-db upgrade` brings an older database to.
------------------------------------------------------------------------------

CREATE TABLE IF NOT EXISTS laboratory.vantrel_schema (
    id      integer PRIMARY KEY CHECK (id = 1),
    version integer NOT NULL
);
INSERT INTO laboratory.vantrel_schema (id, version) VALUES (1, 3)
    ON CONFLICT (id) DO UPDATE SET version = greatest(laboratory.vantrel_schema.version,
                                                      excluded.version);
