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

-- A value as audit text: dates as the embedded database writes them. One
-- expression, so that the planner writes it into the calling statement.
CREATE OR REPLACE FUNCTION laboratory.lab_audit_text(p_value jsonb) RETURNS text
LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN p_value #>> '{}' ~ '^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$'
                THEN overlay(p_value #>> '{}' placing ' ' from 11)
                ELSE p_value #>> '{}' END;
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
-- One function per table names its columns, so a row costs no conversion of
-- the whole row: each column is compared as itself (keys case by case), and
-- only a changed value is written, as JSON text with dates as the embedded
-- database writes them. An update also compares the key columns. The
-- comparisons are one expression, which the function language evaluates
-- without starting a query; the one INSERT runs only when something changed.

CREATE OR REPLACE FUNCTION laboratory.lab_audit_tblabresultentry() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v jsonb[];
    v_labnum text;
    v_exam text;
BEGIN
    IF TG_OP = 'INSERT' THEN
        v_labnum := NEW.LabNum;
        v_exam := nullif(NEW.LabExamID::text, '');
        v := ARRAY[
            CASE WHEN NEW.HospNum IS NOT NULL THEN jsonb_build_array('HospNum', NULL::jsonb, to_jsonb(NEW.HospNum)) END,
            CASE WHEN NEW.IDNum IS NOT NULL THEN jsonb_build_array('IDNum', NULL::jsonb, to_jsonb(NEW.IDNum)) END,
            CASE WHEN NEW.SectionID IS NOT NULL THEN jsonb_build_array('SectionID', NULL::jsonb, to_jsonb(NEW.SectionID)) END,
            CASE WHEN NEW.RoomID IS NOT NULL THEN jsonb_build_array('RoomID', NULL::jsonb, to_jsonb(NEW.RoomID)) END,
            CASE WHEN NEW.TransDate IS NOT NULL THEN jsonb_build_array('TransDate', NULL::jsonb, to_jsonb(NEW.TransDate)) END,
            CASE WHEN NEW.ResultDate IS NOT NULL THEN jsonb_build_array('ResultDate', NULL::jsonb, to_jsonb(NEW.ResultDate)) END,
            CASE WHEN NEW.DoctorID IS NOT NULL THEN jsonb_build_array('DoctorID', NULL::jsonb, to_jsonb(NEW.DoctorID)) END,
            CASE WHEN NEW.FormType IS NOT NULL THEN jsonb_build_array('FormType', NULL::jsonb, to_jsonb(NEW.FormType)) END,
            CASE WHEN NEW.ResultFlag IS NOT NULL THEN jsonb_build_array('ResultFlag', NULL::jsonb, to_jsonb(NEW.ResultFlag)) END,
            CASE WHEN NEW.EmployeeID IS NOT NULL THEN jsonb_build_array('EmployeeID', NULL::jsonb, to_jsonb(NEW.EmployeeID)) END,
            CASE WHEN NEW.Amount IS NOT NULL THEN jsonb_build_array('Amount', NULL::jsonb, to_jsonb(NEW.Amount)) END,
            CASE WHEN NEW.PatientType IS NOT NULL THEN jsonb_build_array('PatientType', NULL::jsonb, to_jsonb(NEW.PatientType)) END,
            CASE WHEN NEW.ItemID IS NOT NULL THEN jsonb_build_array('ItemID', NULL::jsonb, to_jsonb(NEW.ItemID)) END,
            CASE WHEN NEW.RefNum IS NOT NULL THEN jsonb_build_array('RefNum', NULL::jsonb, to_jsonb(NEW.RefNum)) END,
            CASE WHEN NEW.Switch IS NOT NULL THEN jsonb_build_array('Switch', NULL::jsonb, to_jsonb(NEW.Switch)) END,
            CASE WHEN NEW.MedTechID IS NOT NULL THEN jsonb_build_array('MedTechID', NULL::jsonb, to_jsonb(NEW.MedTechID)) END];
    ELSIF TG_OP = 'UPDATE' THEN
        v_labnum := NEW.LabNum;
        v_exam := nullif(NEW.LabExamID::text, '');
        v := ARRAY[
            CASE WHEN OLD.LabNum COLLATE "C" IS DISTINCT FROM NEW.LabNum COLLATE "C" THEN jsonb_build_array('LabNum', to_jsonb(OLD.LabNum), to_jsonb(NEW.LabNum)) END,
            CASE WHEN OLD.LabExamID COLLATE "C" IS DISTINCT FROM NEW.LabExamID COLLATE "C" THEN jsonb_build_array('LabExamID', to_jsonb(OLD.LabExamID), to_jsonb(NEW.LabExamID)) END,
            CASE WHEN OLD.HospNum COLLATE "C" IS DISTINCT FROM NEW.HospNum COLLATE "C" THEN jsonb_build_array('HospNum', to_jsonb(OLD.HospNum), to_jsonb(NEW.HospNum)) END,
            CASE WHEN OLD.IDNum COLLATE "C" IS DISTINCT FROM NEW.IDNum COLLATE "C" THEN jsonb_build_array('IDNum', to_jsonb(OLD.IDNum), to_jsonb(NEW.IDNum)) END,
            CASE WHEN OLD.SectionID COLLATE "C" IS DISTINCT FROM NEW.SectionID COLLATE "C" THEN jsonb_build_array('SectionID', to_jsonb(OLD.SectionID), to_jsonb(NEW.SectionID)) END,
            CASE WHEN OLD.RoomID IS DISTINCT FROM NEW.RoomID THEN jsonb_build_array('RoomID', to_jsonb(OLD.RoomID), to_jsonb(NEW.RoomID)) END,
            CASE WHEN OLD.TransDate IS DISTINCT FROM NEW.TransDate THEN jsonb_build_array('TransDate', to_jsonb(OLD.TransDate), to_jsonb(NEW.TransDate)) END,
            CASE WHEN OLD.ResultDate IS DISTINCT FROM NEW.ResultDate THEN jsonb_build_array('ResultDate', to_jsonb(OLD.ResultDate), to_jsonb(NEW.ResultDate)) END,
            CASE WHEN OLD.DoctorID COLLATE "C" IS DISTINCT FROM NEW.DoctorID COLLATE "C" THEN jsonb_build_array('DoctorID', to_jsonb(OLD.DoctorID), to_jsonb(NEW.DoctorID)) END,
            CASE WHEN OLD.FormType IS DISTINCT FROM NEW.FormType THEN jsonb_build_array('FormType', to_jsonb(OLD.FormType), to_jsonb(NEW.FormType)) END,
            CASE WHEN OLD.ResultFlag IS DISTINCT FROM NEW.ResultFlag THEN jsonb_build_array('ResultFlag', to_jsonb(OLD.ResultFlag), to_jsonb(NEW.ResultFlag)) END,
            CASE WHEN OLD.EmployeeID COLLATE "C" IS DISTINCT FROM NEW.EmployeeID COLLATE "C" THEN jsonb_build_array('EmployeeID', to_jsonb(OLD.EmployeeID), to_jsonb(NEW.EmployeeID)) END,
            CASE WHEN OLD.Amount IS DISTINCT FROM NEW.Amount THEN jsonb_build_array('Amount', to_jsonb(OLD.Amount), to_jsonb(NEW.Amount)) END,
            CASE WHEN OLD.PatientType IS DISTINCT FROM NEW.PatientType THEN jsonb_build_array('PatientType', to_jsonb(OLD.PatientType), to_jsonb(NEW.PatientType)) END,
            CASE WHEN OLD.ItemID COLLATE "C" IS DISTINCT FROM NEW.ItemID COLLATE "C" THEN jsonb_build_array('ItemID', to_jsonb(OLD.ItemID), to_jsonb(NEW.ItemID)) END,
            CASE WHEN OLD.RefNum COLLATE "C" IS DISTINCT FROM NEW.RefNum COLLATE "C" THEN jsonb_build_array('RefNum', to_jsonb(OLD.RefNum), to_jsonb(NEW.RefNum)) END,
            CASE WHEN OLD.Switch IS DISTINCT FROM NEW.Switch THEN jsonb_build_array('Switch', to_jsonb(OLD.Switch), to_jsonb(NEW.Switch)) END,
            CASE WHEN OLD.MedTechID COLLATE "C" IS DISTINCT FROM NEW.MedTechID COLLATE "C" THEN jsonb_build_array('MedTechID', to_jsonb(OLD.MedTechID), to_jsonb(NEW.MedTechID)) END];
    ELSE
        v_labnum := OLD.LabNum;
        v_exam := nullif(OLD.LabExamID::text, '');
        v := ARRAY[
            CASE WHEN OLD.HospNum IS NOT NULL THEN jsonb_build_array('HospNum', to_jsonb(OLD.HospNum), NULL::jsonb) END,
            CASE WHEN OLD.IDNum IS NOT NULL THEN jsonb_build_array('IDNum', to_jsonb(OLD.IDNum), NULL::jsonb) END,
            CASE WHEN OLD.SectionID IS NOT NULL THEN jsonb_build_array('SectionID', to_jsonb(OLD.SectionID), NULL::jsonb) END,
            CASE WHEN OLD.RoomID IS NOT NULL THEN jsonb_build_array('RoomID', to_jsonb(OLD.RoomID), NULL::jsonb) END,
            CASE WHEN OLD.TransDate IS NOT NULL THEN jsonb_build_array('TransDate', to_jsonb(OLD.TransDate), NULL::jsonb) END,
            CASE WHEN OLD.ResultDate IS NOT NULL THEN jsonb_build_array('ResultDate', to_jsonb(OLD.ResultDate), NULL::jsonb) END,
            CASE WHEN OLD.DoctorID IS NOT NULL THEN jsonb_build_array('DoctorID', to_jsonb(OLD.DoctorID), NULL::jsonb) END,
            CASE WHEN OLD.FormType IS NOT NULL THEN jsonb_build_array('FormType', to_jsonb(OLD.FormType), NULL::jsonb) END,
            CASE WHEN OLD.ResultFlag IS NOT NULL THEN jsonb_build_array('ResultFlag', to_jsonb(OLD.ResultFlag), NULL::jsonb) END,
            CASE WHEN OLD.EmployeeID IS NOT NULL THEN jsonb_build_array('EmployeeID', to_jsonb(OLD.EmployeeID), NULL::jsonb) END,
            CASE WHEN OLD.Amount IS NOT NULL THEN jsonb_build_array('Amount', to_jsonb(OLD.Amount), NULL::jsonb) END,
            CASE WHEN OLD.PatientType IS NOT NULL THEN jsonb_build_array('PatientType', to_jsonb(OLD.PatientType), NULL::jsonb) END,
            CASE WHEN OLD.ItemID IS NOT NULL THEN jsonb_build_array('ItemID', to_jsonb(OLD.ItemID), NULL::jsonb) END,
            CASE WHEN OLD.RefNum IS NOT NULL THEN jsonb_build_array('RefNum', to_jsonb(OLD.RefNum), NULL::jsonb) END,
            CASE WHEN OLD.Switch IS NOT NULL THEN jsonb_build_array('Switch', to_jsonb(OLD.Switch), NULL::jsonb) END,
            CASE WHEN OLD.MedTechID IS NOT NULL THEN jsonb_build_array('MedTechID', to_jsonb(OLD.MedTechID), NULL::jsonb) END];
    END IF;
    v := array_remove(v, NULL);
    IF cardinality(v) = 0 THEN
        RETURN NULL;
    END IF;
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, Exam,
                                       ColumnName, OldValue, NewValue, EmployeeID,
                                       MedTechID, Workstation)
    SELECT coalesce((SELECT d.RequestNum FROM laboratory.tblablogbookdetail AS d
                      WHERE d.LabNum = v_labnum LIMIT 1), v_labnum),
           v_labnum, 'change', 'tbLabResultEntry', v_exam, e ->> 0,
           laboratory.lab_audit_text(e -> 1), laboratory.lab_audit_text(e -> 2),
           laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
           coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation')
      FROM unnest(v) AS e;
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tbLabResultEntry_audit AFTER INSERT OR DELETE ON laboratory.tbLabResultEntry
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresultentry();
CREATE OR REPLACE TRIGGER tbLabResultEntry_audit_update AFTER UPDATE ON laboratory.tbLabResultEntry
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresultentry();


CREATE OR REPLACE FUNCTION laboratory.lab_audit_tblabresulthcodes() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v jsonb[];
    v_labnum text;
    v_exam text;
BEGIN
    IF TG_OP = 'INSERT' THEN
        v_labnum := NEW.RequestNum;
        v_exam := NULL;
        v := ARRAY[
            CASE WHEN NEW.Result1 IS NOT NULL THEN jsonb_build_array('Result1', NULL::jsonb, to_jsonb(NEW.Result1)) END,
            CASE WHEN NEW.Result2 IS NOT NULL THEN jsonb_build_array('Result2', NULL::jsonb, to_jsonb(NEW.Result2)) END,
            CASE WHEN NEW.Result3 IS NOT NULL THEN jsonb_build_array('Result3', NULL::jsonb, to_jsonb(NEW.Result3)) END,
            CASE WHEN NEW.Result4 IS NOT NULL THEN jsonb_build_array('Result4', NULL::jsonb, to_jsonb(NEW.Result4)) END,
            CASE WHEN NEW.Result5 IS NOT NULL THEN jsonb_build_array('Result5', NULL::jsonb, to_jsonb(NEW.Result5)) END,
            CASE WHEN NEW.Result6 IS NOT NULL THEN jsonb_build_array('Result6', NULL::jsonb, to_jsonb(NEW.Result6)) END,
            CASE WHEN NEW.Result7 IS NOT NULL THEN jsonb_build_array('Result7', NULL::jsonb, to_jsonb(NEW.Result7)) END,
            CASE WHEN NEW.Result8 IS NOT NULL THEN jsonb_build_array('Result8', NULL::jsonb, to_jsonb(NEW.Result8)) END,
            CASE WHEN NEW.Result9 IS NOT NULL THEN jsonb_build_array('Result9', NULL::jsonb, to_jsonb(NEW.Result9)) END,
            CASE WHEN NEW.Result10 IS NOT NULL THEN jsonb_build_array('Result10', NULL::jsonb, to_jsonb(NEW.Result10)) END,
            CASE WHEN NEW.Result11 IS NOT NULL THEN jsonb_build_array('Result11', NULL::jsonb, to_jsonb(NEW.Result11)) END,
            CASE WHEN NEW.Result12 IS NOT NULL THEN jsonb_build_array('Result12', NULL::jsonb, to_jsonb(NEW.Result12)) END,
            CASE WHEN NEW.Result13 IS NOT NULL THEN jsonb_build_array('Result13', NULL::jsonb, to_jsonb(NEW.Result13)) END,
            CASE WHEN NEW.Result14 IS NOT NULL THEN jsonb_build_array('Result14', NULL::jsonb, to_jsonb(NEW.Result14)) END,
            CASE WHEN NEW.Result15 IS NOT NULL THEN jsonb_build_array('Result15', NULL::jsonb, to_jsonb(NEW.Result15)) END,
            CASE WHEN NEW.Result16 IS NOT NULL THEN jsonb_build_array('Result16', NULL::jsonb, to_jsonb(NEW.Result16)) END,
            CASE WHEN NEW.Result17 IS NOT NULL THEN jsonb_build_array('Result17', NULL::jsonb, to_jsonb(NEW.Result17)) END,
            CASE WHEN NEW.Result18 IS NOT NULL THEN jsonb_build_array('Result18', NULL::jsonb, to_jsonb(NEW.Result18)) END,
            CASE WHEN NEW.Result19 IS NOT NULL THEN jsonb_build_array('Result19', NULL::jsonb, to_jsonb(NEW.Result19)) END,
            CASE WHEN NEW.Result20 IS NOT NULL THEN jsonb_build_array('Result20', NULL::jsonb, to_jsonb(NEW.Result20)) END,
            CASE WHEN NEW.Result21 IS NOT NULL THEN jsonb_build_array('Result21', NULL::jsonb, to_jsonb(NEW.Result21)) END,
            CASE WHEN NEW.Result22 IS NOT NULL THEN jsonb_build_array('Result22', NULL::jsonb, to_jsonb(NEW.Result22)) END,
            CASE WHEN NEW.Result23 IS NOT NULL THEN jsonb_build_array('Result23', NULL::jsonb, to_jsonb(NEW.Result23)) END,
            CASE WHEN NEW.Result24 IS NOT NULL THEN jsonb_build_array('Result24', NULL::jsonb, to_jsonb(NEW.Result24)) END,
            CASE WHEN NEW.Result25 IS NOT NULL THEN jsonb_build_array('Result25', NULL::jsonb, to_jsonb(NEW.Result25)) END,
            CASE WHEN NEW.Result26 IS NOT NULL THEN jsonb_build_array('Result26', NULL::jsonb, to_jsonb(NEW.Result26)) END,
            CASE WHEN NEW.Result27 IS NOT NULL THEN jsonb_build_array('Result27', NULL::jsonb, to_jsonb(NEW.Result27)) END,
            CASE WHEN NEW.Result28 IS NOT NULL THEN jsonb_build_array('Result28', NULL::jsonb, to_jsonb(NEW.Result28)) END,
            CASE WHEN NEW.Result29 IS NOT NULL THEN jsonb_build_array('Result29', NULL::jsonb, to_jsonb(NEW.Result29)) END,
            CASE WHEN NEW.Result30 IS NOT NULL THEN jsonb_build_array('Result30', NULL::jsonb, to_jsonb(NEW.Result30)) END,
            CASE WHEN NEW.Result31 IS NOT NULL THEN jsonb_build_array('Result31', NULL::jsonb, to_jsonb(NEW.Result31)) END,
            CASE WHEN NEW.Result32 IS NOT NULL THEN jsonb_build_array('Result32', NULL::jsonb, to_jsonb(NEW.Result32)) END,
            CASE WHEN NEW.Result33 IS NOT NULL THEN jsonb_build_array('Result33', NULL::jsonb, to_jsonb(NEW.Result33)) END];
    ELSIF TG_OP = 'UPDATE' THEN
        v_labnum := NEW.RequestNum;
        v_exam := NULL;
        v := ARRAY[
            CASE WHEN OLD.RequestNum COLLATE "C" IS DISTINCT FROM NEW.RequestNum COLLATE "C" THEN jsonb_build_array('RequestNum', to_jsonb(OLD.RequestNum), to_jsonb(NEW.RequestNum)) END,
            CASE WHEN OLD.Result1 IS DISTINCT FROM NEW.Result1 THEN jsonb_build_array('Result1', to_jsonb(OLD.Result1), to_jsonb(NEW.Result1)) END,
            CASE WHEN OLD.Result2 IS DISTINCT FROM NEW.Result2 THEN jsonb_build_array('Result2', to_jsonb(OLD.Result2), to_jsonb(NEW.Result2)) END,
            CASE WHEN OLD.Result3 IS DISTINCT FROM NEW.Result3 THEN jsonb_build_array('Result3', to_jsonb(OLD.Result3), to_jsonb(NEW.Result3)) END,
            CASE WHEN OLD.Result4 IS DISTINCT FROM NEW.Result4 THEN jsonb_build_array('Result4', to_jsonb(OLD.Result4), to_jsonb(NEW.Result4)) END,
            CASE WHEN OLD.Result5 IS DISTINCT FROM NEW.Result5 THEN jsonb_build_array('Result5', to_jsonb(OLD.Result5), to_jsonb(NEW.Result5)) END,
            CASE WHEN OLD.Result6 IS DISTINCT FROM NEW.Result6 THEN jsonb_build_array('Result6', to_jsonb(OLD.Result6), to_jsonb(NEW.Result6)) END,
            CASE WHEN OLD.Result7 IS DISTINCT FROM NEW.Result7 THEN jsonb_build_array('Result7', to_jsonb(OLD.Result7), to_jsonb(NEW.Result7)) END,
            CASE WHEN OLD.Result8 IS DISTINCT FROM NEW.Result8 THEN jsonb_build_array('Result8', to_jsonb(OLD.Result8), to_jsonb(NEW.Result8)) END,
            CASE WHEN OLD.Result9 IS DISTINCT FROM NEW.Result9 THEN jsonb_build_array('Result9', to_jsonb(OLD.Result9), to_jsonb(NEW.Result9)) END,
            CASE WHEN OLD.Result10 IS DISTINCT FROM NEW.Result10 THEN jsonb_build_array('Result10', to_jsonb(OLD.Result10), to_jsonb(NEW.Result10)) END,
            CASE WHEN OLD.Result11 IS DISTINCT FROM NEW.Result11 THEN jsonb_build_array('Result11', to_jsonb(OLD.Result11), to_jsonb(NEW.Result11)) END,
            CASE WHEN OLD.Result12 IS DISTINCT FROM NEW.Result12 THEN jsonb_build_array('Result12', to_jsonb(OLD.Result12), to_jsonb(NEW.Result12)) END,
            CASE WHEN OLD.Result13 IS DISTINCT FROM NEW.Result13 THEN jsonb_build_array('Result13', to_jsonb(OLD.Result13), to_jsonb(NEW.Result13)) END,
            CASE WHEN OLD.Result14 IS DISTINCT FROM NEW.Result14 THEN jsonb_build_array('Result14', to_jsonb(OLD.Result14), to_jsonb(NEW.Result14)) END,
            CASE WHEN OLD.Result15 IS DISTINCT FROM NEW.Result15 THEN jsonb_build_array('Result15', to_jsonb(OLD.Result15), to_jsonb(NEW.Result15)) END,
            CASE WHEN OLD.Result16 IS DISTINCT FROM NEW.Result16 THEN jsonb_build_array('Result16', to_jsonb(OLD.Result16), to_jsonb(NEW.Result16)) END,
            CASE WHEN OLD.Result17 IS DISTINCT FROM NEW.Result17 THEN jsonb_build_array('Result17', to_jsonb(OLD.Result17), to_jsonb(NEW.Result17)) END,
            CASE WHEN OLD.Result18 IS DISTINCT FROM NEW.Result18 THEN jsonb_build_array('Result18', to_jsonb(OLD.Result18), to_jsonb(NEW.Result18)) END,
            CASE WHEN OLD.Result19 IS DISTINCT FROM NEW.Result19 THEN jsonb_build_array('Result19', to_jsonb(OLD.Result19), to_jsonb(NEW.Result19)) END,
            CASE WHEN OLD.Result20 IS DISTINCT FROM NEW.Result20 THEN jsonb_build_array('Result20', to_jsonb(OLD.Result20), to_jsonb(NEW.Result20)) END,
            CASE WHEN OLD.Result21 IS DISTINCT FROM NEW.Result21 THEN jsonb_build_array('Result21', to_jsonb(OLD.Result21), to_jsonb(NEW.Result21)) END,
            CASE WHEN OLD.Result22 IS DISTINCT FROM NEW.Result22 THEN jsonb_build_array('Result22', to_jsonb(OLD.Result22), to_jsonb(NEW.Result22)) END,
            CASE WHEN OLD.Result23 IS DISTINCT FROM NEW.Result23 THEN jsonb_build_array('Result23', to_jsonb(OLD.Result23), to_jsonb(NEW.Result23)) END,
            CASE WHEN OLD.Result24 IS DISTINCT FROM NEW.Result24 THEN jsonb_build_array('Result24', to_jsonb(OLD.Result24), to_jsonb(NEW.Result24)) END,
            CASE WHEN OLD.Result25 IS DISTINCT FROM NEW.Result25 THEN jsonb_build_array('Result25', to_jsonb(OLD.Result25), to_jsonb(NEW.Result25)) END,
            CASE WHEN OLD.Result26 IS DISTINCT FROM NEW.Result26 THEN jsonb_build_array('Result26', to_jsonb(OLD.Result26), to_jsonb(NEW.Result26)) END,
            CASE WHEN OLD.Result27 IS DISTINCT FROM NEW.Result27 THEN jsonb_build_array('Result27', to_jsonb(OLD.Result27), to_jsonb(NEW.Result27)) END,
            CASE WHEN OLD.Result28 IS DISTINCT FROM NEW.Result28 THEN jsonb_build_array('Result28', to_jsonb(OLD.Result28), to_jsonb(NEW.Result28)) END,
            CASE WHEN OLD.Result29 IS DISTINCT FROM NEW.Result29 THEN jsonb_build_array('Result29', to_jsonb(OLD.Result29), to_jsonb(NEW.Result29)) END,
            CASE WHEN OLD.Result30 IS DISTINCT FROM NEW.Result30 THEN jsonb_build_array('Result30', to_jsonb(OLD.Result30), to_jsonb(NEW.Result30)) END,
            CASE WHEN OLD.Result31 IS DISTINCT FROM NEW.Result31 THEN jsonb_build_array('Result31', to_jsonb(OLD.Result31), to_jsonb(NEW.Result31)) END,
            CASE WHEN OLD.Result32 IS DISTINCT FROM NEW.Result32 THEN jsonb_build_array('Result32', to_jsonb(OLD.Result32), to_jsonb(NEW.Result32)) END,
            CASE WHEN OLD.Result33 IS DISTINCT FROM NEW.Result33 THEN jsonb_build_array('Result33', to_jsonb(OLD.Result33), to_jsonb(NEW.Result33)) END];
    ELSE
        v_labnum := OLD.RequestNum;
        v_exam := NULL;
        v := ARRAY[
            CASE WHEN OLD.Result1 IS NOT NULL THEN jsonb_build_array('Result1', to_jsonb(OLD.Result1), NULL::jsonb) END,
            CASE WHEN OLD.Result2 IS NOT NULL THEN jsonb_build_array('Result2', to_jsonb(OLD.Result2), NULL::jsonb) END,
            CASE WHEN OLD.Result3 IS NOT NULL THEN jsonb_build_array('Result3', to_jsonb(OLD.Result3), NULL::jsonb) END,
            CASE WHEN OLD.Result4 IS NOT NULL THEN jsonb_build_array('Result4', to_jsonb(OLD.Result4), NULL::jsonb) END,
            CASE WHEN OLD.Result5 IS NOT NULL THEN jsonb_build_array('Result5', to_jsonb(OLD.Result5), NULL::jsonb) END,
            CASE WHEN OLD.Result6 IS NOT NULL THEN jsonb_build_array('Result6', to_jsonb(OLD.Result6), NULL::jsonb) END,
            CASE WHEN OLD.Result7 IS NOT NULL THEN jsonb_build_array('Result7', to_jsonb(OLD.Result7), NULL::jsonb) END,
            CASE WHEN OLD.Result8 IS NOT NULL THEN jsonb_build_array('Result8', to_jsonb(OLD.Result8), NULL::jsonb) END,
            CASE WHEN OLD.Result9 IS NOT NULL THEN jsonb_build_array('Result9', to_jsonb(OLD.Result9), NULL::jsonb) END,
            CASE WHEN OLD.Result10 IS NOT NULL THEN jsonb_build_array('Result10', to_jsonb(OLD.Result10), NULL::jsonb) END,
            CASE WHEN OLD.Result11 IS NOT NULL THEN jsonb_build_array('Result11', to_jsonb(OLD.Result11), NULL::jsonb) END,
            CASE WHEN OLD.Result12 IS NOT NULL THEN jsonb_build_array('Result12', to_jsonb(OLD.Result12), NULL::jsonb) END,
            CASE WHEN OLD.Result13 IS NOT NULL THEN jsonb_build_array('Result13', to_jsonb(OLD.Result13), NULL::jsonb) END,
            CASE WHEN OLD.Result14 IS NOT NULL THEN jsonb_build_array('Result14', to_jsonb(OLD.Result14), NULL::jsonb) END,
            CASE WHEN OLD.Result15 IS NOT NULL THEN jsonb_build_array('Result15', to_jsonb(OLD.Result15), NULL::jsonb) END,
            CASE WHEN OLD.Result16 IS NOT NULL THEN jsonb_build_array('Result16', to_jsonb(OLD.Result16), NULL::jsonb) END,
            CASE WHEN OLD.Result17 IS NOT NULL THEN jsonb_build_array('Result17', to_jsonb(OLD.Result17), NULL::jsonb) END,
            CASE WHEN OLD.Result18 IS NOT NULL THEN jsonb_build_array('Result18', to_jsonb(OLD.Result18), NULL::jsonb) END,
            CASE WHEN OLD.Result19 IS NOT NULL THEN jsonb_build_array('Result19', to_jsonb(OLD.Result19), NULL::jsonb) END,
            CASE WHEN OLD.Result20 IS NOT NULL THEN jsonb_build_array('Result20', to_jsonb(OLD.Result20), NULL::jsonb) END,
            CASE WHEN OLD.Result21 IS NOT NULL THEN jsonb_build_array('Result21', to_jsonb(OLD.Result21), NULL::jsonb) END,
            CASE WHEN OLD.Result22 IS NOT NULL THEN jsonb_build_array('Result22', to_jsonb(OLD.Result22), NULL::jsonb) END,
            CASE WHEN OLD.Result23 IS NOT NULL THEN jsonb_build_array('Result23', to_jsonb(OLD.Result23), NULL::jsonb) END,
            CASE WHEN OLD.Result24 IS NOT NULL THEN jsonb_build_array('Result24', to_jsonb(OLD.Result24), NULL::jsonb) END,
            CASE WHEN OLD.Result25 IS NOT NULL THEN jsonb_build_array('Result25', to_jsonb(OLD.Result25), NULL::jsonb) END,
            CASE WHEN OLD.Result26 IS NOT NULL THEN jsonb_build_array('Result26', to_jsonb(OLD.Result26), NULL::jsonb) END,
            CASE WHEN OLD.Result27 IS NOT NULL THEN jsonb_build_array('Result27', to_jsonb(OLD.Result27), NULL::jsonb) END,
            CASE WHEN OLD.Result28 IS NOT NULL THEN jsonb_build_array('Result28', to_jsonb(OLD.Result28), NULL::jsonb) END,
            CASE WHEN OLD.Result29 IS NOT NULL THEN jsonb_build_array('Result29', to_jsonb(OLD.Result29), NULL::jsonb) END,
            CASE WHEN OLD.Result30 IS NOT NULL THEN jsonb_build_array('Result30', to_jsonb(OLD.Result30), NULL::jsonb) END,
            CASE WHEN OLD.Result31 IS NOT NULL THEN jsonb_build_array('Result31', to_jsonb(OLD.Result31), NULL::jsonb) END,
            CASE WHEN OLD.Result32 IS NOT NULL THEN jsonb_build_array('Result32', to_jsonb(OLD.Result32), NULL::jsonb) END,
            CASE WHEN OLD.Result33 IS NOT NULL THEN jsonb_build_array('Result33', to_jsonb(OLD.Result33), NULL::jsonb) END];
    END IF;
    v := array_remove(v, NULL);
    IF cardinality(v) = 0 THEN
        RETURN NULL;
    END IF;
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, Exam,
                                       ColumnName, OldValue, NewValue, EmployeeID,
                                       MedTechID, Workstation)
    SELECT coalesce((SELECT d.RequestNum FROM laboratory.tblablogbookdetail AS d
                      WHERE d.LabNum = v_labnum LIMIT 1), v_labnum),
           v_labnum, 'change', 'tbLabResultHCodes', v_exam, e ->> 0,
           laboratory.lab_audit_text(e -> 1), laboratory.lab_audit_text(e -> 2),
           laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
           coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation')
      FROM unnest(v) AS e;
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tbLabResultHCodes_audit AFTER INSERT OR DELETE ON laboratory.tbLabResultHCodes
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresulthcodes();
CREATE OR REPLACE TRIGGER tbLabResultHCodes_audit_update AFTER UPDATE ON laboratory.tbLabResultHCodes
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresulthcodes();


CREATE OR REPLACE FUNCTION laboratory.lab_audit_tblabresultvalues() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v jsonb[];
    v_labnum text;
    v_exam text;
BEGIN
    IF TG_OP = 'INSERT' THEN
        v_labnum := NEW.RequestNum;
        v_exam := nullif(NEW.LabExamID::text, '');
        v := ARRAY[
            CASE WHEN NEW.FormType IS NOT NULL THEN jsonb_build_array('FormType', NULL::jsonb, to_jsonb(NEW.FormType)) END,
            CASE WHEN NEW.LayoutIndex IS NOT NULL THEN jsonb_build_array('LayoutIndex', NULL::jsonb, to_jsonb(NEW.LayoutIndex)) END,
            CASE WHEN NEW.A1 IS NOT NULL THEN jsonb_build_array('A1', NULL::jsonb, to_jsonb(NEW.A1)) END,
            CASE WHEN NEW.A2 IS NOT NULL THEN jsonb_build_array('A2', NULL::jsonb, to_jsonb(NEW.A2)) END,
            CASE WHEN NEW.A3 IS NOT NULL THEN jsonb_build_array('A3', NULL::jsonb, to_jsonb(NEW.A3)) END,
            CASE WHEN NEW.A4 IS NOT NULL THEN jsonb_build_array('A4', NULL::jsonb, to_jsonb(NEW.A4)) END,
            CASE WHEN NEW.A5 IS NOT NULL THEN jsonb_build_array('A5', NULL::jsonb, to_jsonb(NEW.A5)) END,
            CASE WHEN NEW.B1 IS NOT NULL THEN jsonb_build_array('B1', NULL::jsonb, to_jsonb(NEW.B1)) END,
            CASE WHEN NEW.B2 IS NOT NULL THEN jsonb_build_array('B2', NULL::jsonb, to_jsonb(NEW.B2)) END,
            CASE WHEN NEW.B3 IS NOT NULL THEN jsonb_build_array('B3', NULL::jsonb, to_jsonb(NEW.B3)) END,
            CASE WHEN NEW.B4 IS NOT NULL THEN jsonb_build_array('B4', NULL::jsonb, to_jsonb(NEW.B4)) END,
            CASE WHEN NEW.C1 IS NOT NULL THEN jsonb_build_array('C1', NULL::jsonb, to_jsonb(NEW.C1)) END,
            CASE WHEN NEW.C2 IS NOT NULL THEN jsonb_build_array('C2', NULL::jsonb, to_jsonb(NEW.C2)) END,
            CASE WHEN NEW.E1 IS NOT NULL THEN jsonb_build_array('E1', NULL::jsonb, to_jsonb(NEW.E1)) END,
            CASE WHEN NEW.E2 IS NOT NULL THEN jsonb_build_array('E2', NULL::jsonb, to_jsonb(NEW.E2)) END,
            CASE WHEN NEW.H1 IS NOT NULL THEN jsonb_build_array('H1', NULL::jsonb, to_jsonb(NEW.H1)) END,
            CASE WHEN NEW.H2 IS NOT NULL THEN jsonb_build_array('H2', NULL::jsonb, to_jsonb(NEW.H2)) END,
            CASE WHEN NEW.H3 IS NOT NULL THEN jsonb_build_array('H3', NULL::jsonb, to_jsonb(NEW.H3)) END,
            CASE WHEN NEW.H4 IS NOT NULL THEN jsonb_build_array('H4', NULL::jsonb, to_jsonb(NEW.H4)) END,
            CASE WHEN NEW.H5 IS NOT NULL THEN jsonb_build_array('H5', NULL::jsonb, to_jsonb(NEW.H5)) END,
            CASE WHEN NEW.H6 IS NOT NULL THEN jsonb_build_array('H6', NULL::jsonb, to_jsonb(NEW.H6)) END,
            CASE WHEN NEW.F1 IS NOT NULL THEN jsonb_build_array('F1', NULL::jsonb, to_jsonb(NEW.F1)) END,
            CASE WHEN NEW.G1 IS NOT NULL THEN jsonb_build_array('G1', NULL::jsonb, to_jsonb(NEW.G1)) END,
            CASE WHEN NEW.G2 IS NOT NULL THEN jsonb_build_array('G2', NULL::jsonb, to_jsonb(NEW.G2)) END,
            CASE WHEN NEW.G3 IS NOT NULL THEN jsonb_build_array('G3', NULL::jsonb, to_jsonb(NEW.G3)) END,
            CASE WHEN NEW.G4 IS NOT NULL THEN jsonb_build_array('G4', NULL::jsonb, to_jsonb(NEW.G4)) END,
            CASE WHEN NEW.G5 IS NOT NULL THEN jsonb_build_array('G5', NULL::jsonb, to_jsonb(NEW.G5)) END,
            CASE WHEN NEW.Remarks IS NOT NULL THEN jsonb_build_array('Remarks', NULL::jsonb, to_jsonb(NEW.Remarks)) END,
            CASE WHEN NEW.SaveFlag IS NOT NULL THEN jsonb_build_array('SaveFlag', NULL::jsonb, to_jsonb(NEW.SaveFlag)) END];
    ELSIF TG_OP = 'UPDATE' THEN
        v_labnum := NEW.RequestNum;
        v_exam := nullif(NEW.LabExamID::text, '');
        v := ARRAY[
            CASE WHEN OLD.RequestNum COLLATE "C" IS DISTINCT FROM NEW.RequestNum COLLATE "C" THEN jsonb_build_array('RequestNum', to_jsonb(OLD.RequestNum), to_jsonb(NEW.RequestNum)) END,
            CASE WHEN OLD.LabExamID COLLATE "C" IS DISTINCT FROM NEW.LabExamID COLLATE "C" THEN jsonb_build_array('LabExamID', to_jsonb(OLD.LabExamID), to_jsonb(NEW.LabExamID)) END,
            CASE WHEN OLD.FormType IS DISTINCT FROM NEW.FormType THEN jsonb_build_array('FormType', to_jsonb(OLD.FormType), to_jsonb(NEW.FormType)) END,
            CASE WHEN OLD.LayoutIndex IS DISTINCT FROM NEW.LayoutIndex THEN jsonb_build_array('LayoutIndex', to_jsonb(OLD.LayoutIndex), to_jsonb(NEW.LayoutIndex)) END,
            CASE WHEN OLD.A1 IS DISTINCT FROM NEW.A1 THEN jsonb_build_array('A1', to_jsonb(OLD.A1), to_jsonb(NEW.A1)) END,
            CASE WHEN OLD.A2 IS DISTINCT FROM NEW.A2 THEN jsonb_build_array('A2', to_jsonb(OLD.A2), to_jsonb(NEW.A2)) END,
            CASE WHEN OLD.A3 IS DISTINCT FROM NEW.A3 THEN jsonb_build_array('A3', to_jsonb(OLD.A3), to_jsonb(NEW.A3)) END,
            CASE WHEN OLD.A4 IS DISTINCT FROM NEW.A4 THEN jsonb_build_array('A4', to_jsonb(OLD.A4), to_jsonb(NEW.A4)) END,
            CASE WHEN OLD.A5 IS DISTINCT FROM NEW.A5 THEN jsonb_build_array('A5', to_jsonb(OLD.A5), to_jsonb(NEW.A5)) END,
            CASE WHEN OLD.B1 IS DISTINCT FROM NEW.B1 THEN jsonb_build_array('B1', to_jsonb(OLD.B1), to_jsonb(NEW.B1)) END,
            CASE WHEN OLD.B2 IS DISTINCT FROM NEW.B2 THEN jsonb_build_array('B2', to_jsonb(OLD.B2), to_jsonb(NEW.B2)) END,
            CASE WHEN OLD.B3 IS DISTINCT FROM NEW.B3 THEN jsonb_build_array('B3', to_jsonb(OLD.B3), to_jsonb(NEW.B3)) END,
            CASE WHEN OLD.B4 IS DISTINCT FROM NEW.B4 THEN jsonb_build_array('B4', to_jsonb(OLD.B4), to_jsonb(NEW.B4)) END,
            CASE WHEN OLD.C1 IS DISTINCT FROM NEW.C1 THEN jsonb_build_array('C1', to_jsonb(OLD.C1), to_jsonb(NEW.C1)) END,
            CASE WHEN OLD.C2 IS DISTINCT FROM NEW.C2 THEN jsonb_build_array('C2', to_jsonb(OLD.C2), to_jsonb(NEW.C2)) END,
            CASE WHEN OLD.E1 IS DISTINCT FROM NEW.E1 THEN jsonb_build_array('E1', to_jsonb(OLD.E1), to_jsonb(NEW.E1)) END,
            CASE WHEN OLD.E2 IS DISTINCT FROM NEW.E2 THEN jsonb_build_array('E2', to_jsonb(OLD.E2), to_jsonb(NEW.E2)) END,
            CASE WHEN OLD.H1 IS DISTINCT FROM NEW.H1 THEN jsonb_build_array('H1', to_jsonb(OLD.H1), to_jsonb(NEW.H1)) END,
            CASE WHEN OLD.H2 IS DISTINCT FROM NEW.H2 THEN jsonb_build_array('H2', to_jsonb(OLD.H2), to_jsonb(NEW.H2)) END,
            CASE WHEN OLD.H3 IS DISTINCT FROM NEW.H3 THEN jsonb_build_array('H3', to_jsonb(OLD.H3), to_jsonb(NEW.H3)) END,
            CASE WHEN OLD.H4 IS DISTINCT FROM NEW.H4 THEN jsonb_build_array('H4', to_jsonb(OLD.H4), to_jsonb(NEW.H4)) END,
            CASE WHEN OLD.H5 IS DISTINCT FROM NEW.H5 THEN jsonb_build_array('H5', to_jsonb(OLD.H5), to_jsonb(NEW.H5)) END,
            CASE WHEN OLD.H6 IS DISTINCT FROM NEW.H6 THEN jsonb_build_array('H6', to_jsonb(OLD.H6), to_jsonb(NEW.H6)) END,
            CASE WHEN OLD.F1 IS DISTINCT FROM NEW.F1 THEN jsonb_build_array('F1', to_jsonb(OLD.F1), to_jsonb(NEW.F1)) END,
            CASE WHEN OLD.G1 IS DISTINCT FROM NEW.G1 THEN jsonb_build_array('G1', to_jsonb(OLD.G1), to_jsonb(NEW.G1)) END,
            CASE WHEN OLD.G2 IS DISTINCT FROM NEW.G2 THEN jsonb_build_array('G2', to_jsonb(OLD.G2), to_jsonb(NEW.G2)) END,
            CASE WHEN OLD.G3 IS DISTINCT FROM NEW.G3 THEN jsonb_build_array('G3', to_jsonb(OLD.G3), to_jsonb(NEW.G3)) END,
            CASE WHEN OLD.G4 IS DISTINCT FROM NEW.G4 THEN jsonb_build_array('G4', to_jsonb(OLD.G4), to_jsonb(NEW.G4)) END,
            CASE WHEN OLD.G5 IS DISTINCT FROM NEW.G5 THEN jsonb_build_array('G5', to_jsonb(OLD.G5), to_jsonb(NEW.G5)) END,
            CASE WHEN OLD.Remarks IS DISTINCT FROM NEW.Remarks THEN jsonb_build_array('Remarks', to_jsonb(OLD.Remarks), to_jsonb(NEW.Remarks)) END,
            CASE WHEN OLD.SaveFlag IS DISTINCT FROM NEW.SaveFlag THEN jsonb_build_array('SaveFlag', to_jsonb(OLD.SaveFlag), to_jsonb(NEW.SaveFlag)) END];
    ELSE
        v_labnum := OLD.RequestNum;
        v_exam := nullif(OLD.LabExamID::text, '');
        v := ARRAY[
            CASE WHEN OLD.FormType IS NOT NULL THEN jsonb_build_array('FormType', to_jsonb(OLD.FormType), NULL::jsonb) END,
            CASE WHEN OLD.LayoutIndex IS NOT NULL THEN jsonb_build_array('LayoutIndex', to_jsonb(OLD.LayoutIndex), NULL::jsonb) END,
            CASE WHEN OLD.A1 IS NOT NULL THEN jsonb_build_array('A1', to_jsonb(OLD.A1), NULL::jsonb) END,
            CASE WHEN OLD.A2 IS NOT NULL THEN jsonb_build_array('A2', to_jsonb(OLD.A2), NULL::jsonb) END,
            CASE WHEN OLD.A3 IS NOT NULL THEN jsonb_build_array('A3', to_jsonb(OLD.A3), NULL::jsonb) END,
            CASE WHEN OLD.A4 IS NOT NULL THEN jsonb_build_array('A4', to_jsonb(OLD.A4), NULL::jsonb) END,
            CASE WHEN OLD.A5 IS NOT NULL THEN jsonb_build_array('A5', to_jsonb(OLD.A5), NULL::jsonb) END,
            CASE WHEN OLD.B1 IS NOT NULL THEN jsonb_build_array('B1', to_jsonb(OLD.B1), NULL::jsonb) END,
            CASE WHEN OLD.B2 IS NOT NULL THEN jsonb_build_array('B2', to_jsonb(OLD.B2), NULL::jsonb) END,
            CASE WHEN OLD.B3 IS NOT NULL THEN jsonb_build_array('B3', to_jsonb(OLD.B3), NULL::jsonb) END,
            CASE WHEN OLD.B4 IS NOT NULL THEN jsonb_build_array('B4', to_jsonb(OLD.B4), NULL::jsonb) END,
            CASE WHEN OLD.C1 IS NOT NULL THEN jsonb_build_array('C1', to_jsonb(OLD.C1), NULL::jsonb) END,
            CASE WHEN OLD.C2 IS NOT NULL THEN jsonb_build_array('C2', to_jsonb(OLD.C2), NULL::jsonb) END,
            CASE WHEN OLD.E1 IS NOT NULL THEN jsonb_build_array('E1', to_jsonb(OLD.E1), NULL::jsonb) END,
            CASE WHEN OLD.E2 IS NOT NULL THEN jsonb_build_array('E2', to_jsonb(OLD.E2), NULL::jsonb) END,
            CASE WHEN OLD.H1 IS NOT NULL THEN jsonb_build_array('H1', to_jsonb(OLD.H1), NULL::jsonb) END,
            CASE WHEN OLD.H2 IS NOT NULL THEN jsonb_build_array('H2', to_jsonb(OLD.H2), NULL::jsonb) END,
            CASE WHEN OLD.H3 IS NOT NULL THEN jsonb_build_array('H3', to_jsonb(OLD.H3), NULL::jsonb) END,
            CASE WHEN OLD.H4 IS NOT NULL THEN jsonb_build_array('H4', to_jsonb(OLD.H4), NULL::jsonb) END,
            CASE WHEN OLD.H5 IS NOT NULL THEN jsonb_build_array('H5', to_jsonb(OLD.H5), NULL::jsonb) END,
            CASE WHEN OLD.H6 IS NOT NULL THEN jsonb_build_array('H6', to_jsonb(OLD.H6), NULL::jsonb) END,
            CASE WHEN OLD.F1 IS NOT NULL THEN jsonb_build_array('F1', to_jsonb(OLD.F1), NULL::jsonb) END,
            CASE WHEN OLD.G1 IS NOT NULL THEN jsonb_build_array('G1', to_jsonb(OLD.G1), NULL::jsonb) END,
            CASE WHEN OLD.G2 IS NOT NULL THEN jsonb_build_array('G2', to_jsonb(OLD.G2), NULL::jsonb) END,
            CASE WHEN OLD.G3 IS NOT NULL THEN jsonb_build_array('G3', to_jsonb(OLD.G3), NULL::jsonb) END,
            CASE WHEN OLD.G4 IS NOT NULL THEN jsonb_build_array('G4', to_jsonb(OLD.G4), NULL::jsonb) END,
            CASE WHEN OLD.G5 IS NOT NULL THEN jsonb_build_array('G5', to_jsonb(OLD.G5), NULL::jsonb) END,
            CASE WHEN OLD.Remarks IS NOT NULL THEN jsonb_build_array('Remarks', to_jsonb(OLD.Remarks), NULL::jsonb) END,
            CASE WHEN OLD.SaveFlag IS NOT NULL THEN jsonb_build_array('SaveFlag', to_jsonb(OLD.SaveFlag), NULL::jsonb) END];
    END IF;
    v := array_remove(v, NULL);
    IF cardinality(v) = 0 THEN
        RETURN NULL;
    END IF;
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, Exam,
                                       ColumnName, OldValue, NewValue, EmployeeID,
                                       MedTechID, Workstation)
    SELECT coalesce((SELECT d.RequestNum FROM laboratory.tblablogbookdetail AS d
                      WHERE d.LabNum = v_labnum LIMIT 1), v_labnum),
           v_labnum, 'change', 'tbLabResultValues', v_exam, e ->> 0,
           laboratory.lab_audit_text(e -> 1), laboratory.lab_audit_text(e -> 2),
           laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
           coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation')
      FROM unnest(v) AS e;
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tbLabResultValues_audit AFTER INSERT OR DELETE ON laboratory.tbLabResultValues
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresultvalues();
CREATE OR REPLACE TRIGGER tbLabResultValues_audit_update AFTER UPDATE ON laboratory.tbLabResultValues
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresultvalues();


CREATE OR REPLACE FUNCTION laboratory.lab_audit_tblabprofileresult() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v jsonb[];
    v_labnum text;
    v_exam text;
BEGIN
    IF TG_OP = 'INSERT' THEN
        v_labnum := NEW.RequestNum;
        v_exam := nullif(NEW.ProfileExamID::text, '');
        v := ARRAY[
            CASE WHEN NEW.Slot0 IS NOT NULL THEN jsonb_build_array('Slot0', NULL::jsonb, to_jsonb(NEW.Slot0)) END,
            CASE WHEN NEW.Slot1 IS NOT NULL THEN jsonb_build_array('Slot1', NULL::jsonb, to_jsonb(NEW.Slot1)) END,
            CASE WHEN NEW.Slot2 IS NOT NULL THEN jsonb_build_array('Slot2', NULL::jsonb, to_jsonb(NEW.Slot2)) END,
            CASE WHEN NEW.Slot3 IS NOT NULL THEN jsonb_build_array('Slot3', NULL::jsonb, to_jsonb(NEW.Slot3)) END,
            CASE WHEN NEW.Slot4 IS NOT NULL THEN jsonb_build_array('Slot4', NULL::jsonb, to_jsonb(NEW.Slot4)) END,
            CASE WHEN NEW.Slot5 IS NOT NULL THEN jsonb_build_array('Slot5', NULL::jsonb, to_jsonb(NEW.Slot5)) END,
            CASE WHEN NEW.Slot6 IS NOT NULL THEN jsonb_build_array('Slot6', NULL::jsonb, to_jsonb(NEW.Slot6)) END,
            CASE WHEN NEW.Slot7 IS NOT NULL THEN jsonb_build_array('Slot7', NULL::jsonb, to_jsonb(NEW.Slot7)) END,
            CASE WHEN NEW.Slot8 IS NOT NULL THEN jsonb_build_array('Slot8', NULL::jsonb, to_jsonb(NEW.Slot8)) END,
            CASE WHEN NEW.Slot9 IS NOT NULL THEN jsonb_build_array('Slot9', NULL::jsonb, to_jsonb(NEW.Slot9)) END,
            CASE WHEN NEW.Slot10 IS NOT NULL THEN jsonb_build_array('Slot10', NULL::jsonb, to_jsonb(NEW.Slot10)) END,
            CASE WHEN NEW.Slot11 IS NOT NULL THEN jsonb_build_array('Slot11', NULL::jsonb, to_jsonb(NEW.Slot11)) END,
            CASE WHEN NEW.Slot12 IS NOT NULL THEN jsonb_build_array('Slot12', NULL::jsonb, to_jsonb(NEW.Slot12)) END,
            CASE WHEN NEW.Slot13 IS NOT NULL THEN jsonb_build_array('Slot13', NULL::jsonb, to_jsonb(NEW.Slot13)) END,
            CASE WHEN NEW.Slot14 IS NOT NULL THEN jsonb_build_array('Slot14', NULL::jsonb, to_jsonb(NEW.Slot14)) END,
            CASE WHEN NEW.Slot15 IS NOT NULL THEN jsonb_build_array('Slot15', NULL::jsonb, to_jsonb(NEW.Slot15)) END,
            CASE WHEN NEW.Slot16 IS NOT NULL THEN jsonb_build_array('Slot16', NULL::jsonb, to_jsonb(NEW.Slot16)) END,
            CASE WHEN NEW.Slot17 IS NOT NULL THEN jsonb_build_array('Slot17', NULL::jsonb, to_jsonb(NEW.Slot17)) END,
            CASE WHEN NEW.Remarks IS NOT NULL THEN jsonb_build_array('Remarks', NULL::jsonb, to_jsonb(NEW.Remarks)) END];
    ELSIF TG_OP = 'UPDATE' THEN
        v_labnum := NEW.RequestNum;
        v_exam := nullif(NEW.ProfileExamID::text, '');
        v := ARRAY[
            CASE WHEN OLD.RequestNum COLLATE "C" IS DISTINCT FROM NEW.RequestNum COLLATE "C" THEN jsonb_build_array('RequestNum', to_jsonb(OLD.RequestNum), to_jsonb(NEW.RequestNum)) END,
            CASE WHEN OLD.ProfileExamID COLLATE "C" IS DISTINCT FROM NEW.ProfileExamID COLLATE "C" THEN jsonb_build_array('ProfileExamID', to_jsonb(OLD.ProfileExamID), to_jsonb(NEW.ProfileExamID)) END,
            CASE WHEN OLD.Slot0 IS DISTINCT FROM NEW.Slot0 THEN jsonb_build_array('Slot0', to_jsonb(OLD.Slot0), to_jsonb(NEW.Slot0)) END,
            CASE WHEN OLD.Slot1 IS DISTINCT FROM NEW.Slot1 THEN jsonb_build_array('Slot1', to_jsonb(OLD.Slot1), to_jsonb(NEW.Slot1)) END,
            CASE WHEN OLD.Slot2 IS DISTINCT FROM NEW.Slot2 THEN jsonb_build_array('Slot2', to_jsonb(OLD.Slot2), to_jsonb(NEW.Slot2)) END,
            CASE WHEN OLD.Slot3 IS DISTINCT FROM NEW.Slot3 THEN jsonb_build_array('Slot3', to_jsonb(OLD.Slot3), to_jsonb(NEW.Slot3)) END,
            CASE WHEN OLD.Slot4 IS DISTINCT FROM NEW.Slot4 THEN jsonb_build_array('Slot4', to_jsonb(OLD.Slot4), to_jsonb(NEW.Slot4)) END,
            CASE WHEN OLD.Slot5 IS DISTINCT FROM NEW.Slot5 THEN jsonb_build_array('Slot5', to_jsonb(OLD.Slot5), to_jsonb(NEW.Slot5)) END,
            CASE WHEN OLD.Slot6 IS DISTINCT FROM NEW.Slot6 THEN jsonb_build_array('Slot6', to_jsonb(OLD.Slot6), to_jsonb(NEW.Slot6)) END,
            CASE WHEN OLD.Slot7 IS DISTINCT FROM NEW.Slot7 THEN jsonb_build_array('Slot7', to_jsonb(OLD.Slot7), to_jsonb(NEW.Slot7)) END,
            CASE WHEN OLD.Slot8 IS DISTINCT FROM NEW.Slot8 THEN jsonb_build_array('Slot8', to_jsonb(OLD.Slot8), to_jsonb(NEW.Slot8)) END,
            CASE WHEN OLD.Slot9 IS DISTINCT FROM NEW.Slot9 THEN jsonb_build_array('Slot9', to_jsonb(OLD.Slot9), to_jsonb(NEW.Slot9)) END,
            CASE WHEN OLD.Slot10 IS DISTINCT FROM NEW.Slot10 THEN jsonb_build_array('Slot10', to_jsonb(OLD.Slot10), to_jsonb(NEW.Slot10)) END,
            CASE WHEN OLD.Slot11 IS DISTINCT FROM NEW.Slot11 THEN jsonb_build_array('Slot11', to_jsonb(OLD.Slot11), to_jsonb(NEW.Slot11)) END,
            CASE WHEN OLD.Slot12 IS DISTINCT FROM NEW.Slot12 THEN jsonb_build_array('Slot12', to_jsonb(OLD.Slot12), to_jsonb(NEW.Slot12)) END,
            CASE WHEN OLD.Slot13 IS DISTINCT FROM NEW.Slot13 THEN jsonb_build_array('Slot13', to_jsonb(OLD.Slot13), to_jsonb(NEW.Slot13)) END,
            CASE WHEN OLD.Slot14 IS DISTINCT FROM NEW.Slot14 THEN jsonb_build_array('Slot14', to_jsonb(OLD.Slot14), to_jsonb(NEW.Slot14)) END,
            CASE WHEN OLD.Slot15 IS DISTINCT FROM NEW.Slot15 THEN jsonb_build_array('Slot15', to_jsonb(OLD.Slot15), to_jsonb(NEW.Slot15)) END,
            CASE WHEN OLD.Slot16 IS DISTINCT FROM NEW.Slot16 THEN jsonb_build_array('Slot16', to_jsonb(OLD.Slot16), to_jsonb(NEW.Slot16)) END,
            CASE WHEN OLD.Slot17 IS DISTINCT FROM NEW.Slot17 THEN jsonb_build_array('Slot17', to_jsonb(OLD.Slot17), to_jsonb(NEW.Slot17)) END,
            CASE WHEN OLD.Remarks IS DISTINCT FROM NEW.Remarks THEN jsonb_build_array('Remarks', to_jsonb(OLD.Remarks), to_jsonb(NEW.Remarks)) END];
    ELSE
        v_labnum := OLD.RequestNum;
        v_exam := nullif(OLD.ProfileExamID::text, '');
        v := ARRAY[
            CASE WHEN OLD.Slot0 IS NOT NULL THEN jsonb_build_array('Slot0', to_jsonb(OLD.Slot0), NULL::jsonb) END,
            CASE WHEN OLD.Slot1 IS NOT NULL THEN jsonb_build_array('Slot1', to_jsonb(OLD.Slot1), NULL::jsonb) END,
            CASE WHEN OLD.Slot2 IS NOT NULL THEN jsonb_build_array('Slot2', to_jsonb(OLD.Slot2), NULL::jsonb) END,
            CASE WHEN OLD.Slot3 IS NOT NULL THEN jsonb_build_array('Slot3', to_jsonb(OLD.Slot3), NULL::jsonb) END,
            CASE WHEN OLD.Slot4 IS NOT NULL THEN jsonb_build_array('Slot4', to_jsonb(OLD.Slot4), NULL::jsonb) END,
            CASE WHEN OLD.Slot5 IS NOT NULL THEN jsonb_build_array('Slot5', to_jsonb(OLD.Slot5), NULL::jsonb) END,
            CASE WHEN OLD.Slot6 IS NOT NULL THEN jsonb_build_array('Slot6', to_jsonb(OLD.Slot6), NULL::jsonb) END,
            CASE WHEN OLD.Slot7 IS NOT NULL THEN jsonb_build_array('Slot7', to_jsonb(OLD.Slot7), NULL::jsonb) END,
            CASE WHEN OLD.Slot8 IS NOT NULL THEN jsonb_build_array('Slot8', to_jsonb(OLD.Slot8), NULL::jsonb) END,
            CASE WHEN OLD.Slot9 IS NOT NULL THEN jsonb_build_array('Slot9', to_jsonb(OLD.Slot9), NULL::jsonb) END,
            CASE WHEN OLD.Slot10 IS NOT NULL THEN jsonb_build_array('Slot10', to_jsonb(OLD.Slot10), NULL::jsonb) END,
            CASE WHEN OLD.Slot11 IS NOT NULL THEN jsonb_build_array('Slot11', to_jsonb(OLD.Slot11), NULL::jsonb) END,
            CASE WHEN OLD.Slot12 IS NOT NULL THEN jsonb_build_array('Slot12', to_jsonb(OLD.Slot12), NULL::jsonb) END,
            CASE WHEN OLD.Slot13 IS NOT NULL THEN jsonb_build_array('Slot13', to_jsonb(OLD.Slot13), NULL::jsonb) END,
            CASE WHEN OLD.Slot14 IS NOT NULL THEN jsonb_build_array('Slot14', to_jsonb(OLD.Slot14), NULL::jsonb) END,
            CASE WHEN OLD.Slot15 IS NOT NULL THEN jsonb_build_array('Slot15', to_jsonb(OLD.Slot15), NULL::jsonb) END,
            CASE WHEN OLD.Slot16 IS NOT NULL THEN jsonb_build_array('Slot16', to_jsonb(OLD.Slot16), NULL::jsonb) END,
            CASE WHEN OLD.Slot17 IS NOT NULL THEN jsonb_build_array('Slot17', to_jsonb(OLD.Slot17), NULL::jsonb) END,
            CASE WHEN OLD.Remarks IS NOT NULL THEN jsonb_build_array('Remarks', to_jsonb(OLD.Remarks), NULL::jsonb) END];
    END IF;
    v := array_remove(v, NULL);
    IF cardinality(v) = 0 THEN
        RETURN NULL;
    END IF;
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, Exam,
                                       ColumnName, OldValue, NewValue, EmployeeID,
                                       MedTechID, Workstation)
    SELECT coalesce((SELECT d.RequestNum FROM laboratory.tblablogbookdetail AS d
                      WHERE d.LabNum = v_labnum LIMIT 1), v_labnum),
           v_labnum, 'change', 'tbLabProfileResult', v_exam, e ->> 0,
           laboratory.lab_audit_text(e -> 1), laboratory.lab_audit_text(e -> 2),
           laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
           coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation')
      FROM unnest(v) AS e;
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tbLabProfileResult_audit AFTER INSERT OR DELETE ON laboratory.tbLabProfileResult
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabprofileresult();
CREATE OR REPLACE TRIGGER tbLabProfileResult_audit_update AFTER UPDATE ON laboratory.tbLabProfileResult
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabprofileresult();


CREATE OR REPLACE FUNCTION laboratory.lab_audit_tblabresulthistocytology() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    v jsonb[];
    v_labnum text;
    v_exam text;
BEGIN
    IF TG_OP = 'INSERT' THEN
        v_labnum := NEW.RequestNum;
        v_exam := NULL;
        v := ARRAY[
            CASE WHEN NEW.HistopathNum IS NOT NULL THEN jsonb_build_array('HistopathNum', NULL::jsonb, to_jsonb(NEW.HistopathNum)) END,
            CASE WHEN NEW.ResultDate IS NOT NULL THEN jsonb_build_array('ResultDate', NULL::jsonb, to_jsonb(NEW.ResultDate)) END,
            CASE WHEN NEW.GrossDescription IS NOT NULL THEN jsonb_build_array('GrossDescription', NULL::jsonb, to_jsonb(NEW.GrossDescription)) END,
            CASE WHEN NEW.FinalDiagnosis IS NOT NULL THEN jsonb_build_array('FinalDiagnosis', NULL::jsonb, to_jsonb(NEW.FinalDiagnosis)) END,
            CASE WHEN NEW.Remarks IS NOT NULL THEN jsonb_build_array('Remarks', NULL::jsonb, to_jsonb(NEW.Remarks)) END];
    ELSIF TG_OP = 'UPDATE' THEN
        v_labnum := NEW.RequestNum;
        v_exam := NULL;
        v := ARRAY[
            CASE WHEN OLD.RequestNum COLLATE "C" IS DISTINCT FROM NEW.RequestNum COLLATE "C" THEN jsonb_build_array('RequestNum', to_jsonb(OLD.RequestNum), to_jsonb(NEW.RequestNum)) END,
            CASE WHEN OLD.HistopathNum COLLATE "C" IS DISTINCT FROM NEW.HistopathNum COLLATE "C" THEN jsonb_build_array('HistopathNum', to_jsonb(OLD.HistopathNum), to_jsonb(NEW.HistopathNum)) END,
            CASE WHEN OLD.ResultDate IS DISTINCT FROM NEW.ResultDate THEN jsonb_build_array('ResultDate', to_jsonb(OLD.ResultDate), to_jsonb(NEW.ResultDate)) END,
            CASE WHEN OLD.GrossDescription IS DISTINCT FROM NEW.GrossDescription THEN jsonb_build_array('GrossDescription', to_jsonb(OLD.GrossDescription), to_jsonb(NEW.GrossDescription)) END,
            CASE WHEN OLD.FinalDiagnosis IS DISTINCT FROM NEW.FinalDiagnosis THEN jsonb_build_array('FinalDiagnosis', to_jsonb(OLD.FinalDiagnosis), to_jsonb(NEW.FinalDiagnosis)) END,
            CASE WHEN OLD.Remarks IS DISTINCT FROM NEW.Remarks THEN jsonb_build_array('Remarks', to_jsonb(OLD.Remarks), to_jsonb(NEW.Remarks)) END];
    ELSE
        v_labnum := OLD.RequestNum;
        v_exam := NULL;
        v := ARRAY[
            CASE WHEN OLD.HistopathNum IS NOT NULL THEN jsonb_build_array('HistopathNum', to_jsonb(OLD.HistopathNum), NULL::jsonb) END,
            CASE WHEN OLD.ResultDate IS NOT NULL THEN jsonb_build_array('ResultDate', to_jsonb(OLD.ResultDate), NULL::jsonb) END,
            CASE WHEN OLD.GrossDescription IS NOT NULL THEN jsonb_build_array('GrossDescription', to_jsonb(OLD.GrossDescription), NULL::jsonb) END,
            CASE WHEN OLD.FinalDiagnosis IS NOT NULL THEN jsonb_build_array('FinalDiagnosis', to_jsonb(OLD.FinalDiagnosis), NULL::jsonb) END,
            CASE WHEN OLD.Remarks IS NOT NULL THEN jsonb_build_array('Remarks', to_jsonb(OLD.Remarks), NULL::jsonb) END];
    END IF;
    v := array_remove(v, NULL);
    IF cardinality(v) = 0 THEN
        RETURN NULL;
    END IF;
    INSERT INTO laboratory.tbLabAudit (RequestNum, LabNum, Action, TableName, Exam,
                                       ColumnName, OldValue, NewValue, EmployeeID,
                                       MedTechID, Workstation)
    SELECT coalesce((SELECT d.RequestNum FROM laboratory.tblablogbookdetail AS d
                      WHERE d.LabNum = v_labnum LIMIT 1), v_labnum),
           v_labnum, 'change', 'tbLabResultHistoCytology', v_exam, e ->> 0,
           laboratory.lab_audit_text(e -> 1), laboratory.lab_audit_text(e -> 2),
           laboratory.lab_audit_setting('employee'), laboratory.lab_audit_setting('medtech'),
           coalesce(laboratory.lab_audit_setting('workstation'), 'unknown workstation')
      FROM unnest(v) AS e;
    RETURN NULL;
END
$$;

CREATE OR REPLACE TRIGGER tbLabResultHistoCytology_audit AFTER INSERT OR DELETE ON laboratory.tbLabResultHistoCytology
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresulthistocytology();
CREATE OR REPLACE TRIGGER tbLabResultHistoCytology_audit_update AFTER UPDATE ON laboratory.tbLabResultHistoCytology
    FOR EACH ROW EXECUTE FUNCTION laboratory.lab_audit_tblabresulthistocytology();

-- The single function of version 2, replaced by the ones above.
DROP FUNCTION IF EXISTS laboratory.lab_audit_change();

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

-- The patient's earlier results: by hospital number, newest first, the
-- request number breaking a tie, so the newest with a given exam is found
-- without sorting the patient's requests.
DROP INDEX IF EXISTS laboratory.ix_tblablogbook_hospnum_date;
CREATE INDEX IF NOT EXISTS ix_tblablogbook_hospnum_history
    ON laboratory.tblablogbook (HospNum, TransDate, RequestNum);

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
INSERT INTO laboratory.vantrel_schema (id, version) VALUES (1, 4)
    ON CONFLICT (id) DO UPDATE SET version = greatest(laboratory.vantrel_schema.version,
                                                      excluded.version);
