-- Stored procedures of the embedded database.
--
-- Each block starts with a header line naming the procedure, the number of
-- arguments it takes and whether it returns rows. ?1..?N are the arguments
-- of the call in order (missing ones are NULL), :argc is how many were
-- passed. Bodies have no control flow: a statement that must not always run
-- is guarded by its WHERE clause.
--
-- Arguments arrive as the statements write them: a quoted value as text,
-- an unquoted number as a number. Modes are compared after a CAST, since in
-- SQLite the text '0' is not equal to 0.

-- procedure LABORATORY.LAB_Save_VerifyResults args 2
-- ?1 request number, ?2 employee who verifies. The first verification also
-- releases the result: ResultDate becomes the time of verification.
UPDATE LABORATORY.tblablogbook
   SET ResultDate = CASE WHEN Verified = 0 THEN datetime('now', 'localtime') ELSE ResultDate END,
       Verified = 1,
       VerifiedBy = ?2,
       VerifiedDate = datetime('now', 'localtime')
 WHERE RequestNum = ?1;

-- procedure LABORATORY.LAB_SaveResultEntry args 18
-- Registers the result of one exam: HospNum, IDNum, LabExamID, SectionID,
-- RoomID, TransDate, ResultDate, DoctorID, FormType, flag, EmployeeID,
-- Amount, PatientType, item (the exam again), RefNum, LabNum, Switch,
-- MedTechID. Registering the same LabNum and exam again replaces the row.
WITH d0(k, t) AS (SELECT 1, trim(coalesce(?6, '')) UNION ALL
                  SELECT 2, trim(coalesce(?7, ''))),
     d1 AS (SELECT k, t, substr(t, instr(t, '/') + 1) AS r FROM d0),
     d2 AS (SELECT k, t, r, substr(r, instr(r, '/') + 1) AS y FROM d1),
     d3 AS (SELECT k, t, r, y, trim(substr(y, 5)) AS tm FROM d2),
     d4 AS (SELECT k, t, r, y, tm,
                   CAST(substr(tm, 1, instr(tm, ':') - 1) AS INTEGER) AS h,
                   substr(tm, instr(tm, ':') + 1) AS ms
              FROM d3),
     dt AS (SELECT k, CASE
                WHEN t = '' THEN NULL
                WHEN t GLOB '[0-9]*/[0-9]*/[0-9][0-9][0-9][0-9]*'
                     AND (tm = '' OR tm GLOB '[0-9]*:[0-9][0-9]*')
                THEN coalesce(datetime(printf('%04d-%02d-%02d %02d:%02d:%02d',
                         CAST(substr(y, 1, 4) AS INTEGER),
                         CAST(substr(t, 1, instr(t, '/') - 1) AS INTEGER),
                         CAST(substr(r, 1, instr(r, '/') - 1) AS INTEGER),
                         CASE WHEN upper(tm) LIKE '%PM' THEN h % 12 + 12
                              WHEN upper(tm) LIKE '%AM' THEN h % 12
                              ELSE h END,
                         CAST(substr(ms, 1, 2) AS INTEGER),
                         CASE WHEN substr(ms, 3, 1) = ':'
                              THEN CAST(substr(ms, 4, 2) AS INTEGER) ELSE 0 END)), t)
                WHEN t GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
                THEN coalesce(datetime(t), t)
                ELSE t END AS v
              FROM d4)
INSERT INTO LABORATORY.tbLabResultEntry
       (LabNum, LabExamID, HospNum, IDNum, SectionID, RoomID, TransDate, ResultDate, DoctorID,
        FormType, ResultFlag, EmployeeID, Amount, PatientType, ItemID, RefNum, Switch, MedTechID)
SELECT ?16, -- LabNum
       ?3, -- LabExamID
       ?1, -- HospNum
       ?2, -- IDNum
       ?4, -- SectionID
       ?5, -- RoomID
       (SELECT v FROM dt WHERE k = 1), -- TransDate
       (SELECT v FROM dt WHERE k = 2), -- ResultDate
       ?8, -- DoctorID
       ?9, -- FormType
       ?10, -- ResultFlag
       ?11, -- EmployeeID
       CASE WHEN trim(?12) GLOB '*[0-9]*' AND NOT trim(?12) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?12) AS REAL) END, -- Amount
       ?13, -- PatientType
       ?14, -- ItemID
       ?15, -- RefNum
       ?17, -- Switch
       ?18 -- MedTechID
 WHERE 1
    ON CONFLICT (LabNum, LabExamID) DO UPDATE SET
       HospNum = excluded.HospNum, IDNum = excluded.IDNum, SectionID = excluded.SectionID,
       RoomID = excluded.RoomID, TransDate = excluded.TransDate, ResultDate = excluded.ResultDate,
       DoctorID = excluded.DoctorID, FormType = excluded.FormType, ResultFlag = excluded.ResultFlag,
       EmployeeID = excluded.EmployeeID, Amount = excluded.Amount, PatientType = excluded.PatientType,
       ItemID = excluded.ItemID, RefNum = excluded.RefNum, Switch = excluded.Switch,
       MedTechID = excluded.MedTechID,
       UpdateDate = datetime('now', 'localtime');

-- procedure LABORATORY.lab_save_hcodes args 3..35
-- ?1 mode (0 new row, 1 existing row), ?2 request number, then the result
-- values, the remarks last. Values 1..19 go to Result1..Result19, values 20
-- onwards to Result21 onwards, the remarks to Result20. Positions that the
-- call does not reach are NULL. Both modes write the row whether or not it
-- exists yet, because the forms look the row up under one number and save
-- it under another.
INSERT INTO LABORATORY.tbLabResultHCodes
       (RequestNum,
        Result1, Result2, Result3, Result4, Result5, Result6,
        Result7, Result8, Result9, Result10, Result11, Result12,
        Result13, Result14, Result15, Result16, Result17, Result18,
        Result19, Result20, Result21, Result22, Result23, Result24,
        Result25, Result26, Result27, Result28, Result29, Result30,
        Result31, Result32, Result33)
SELECT ?2,
       CASE WHEN :argc > 3 THEN ?3 END,
       CASE WHEN :argc > 4 THEN ?4 END,
       CASE WHEN :argc > 5 THEN ?5 END,
       CASE WHEN :argc > 6 THEN ?6 END,
       CASE WHEN :argc > 7 THEN ?7 END,
       CASE WHEN :argc > 8 THEN ?8 END,
       CASE WHEN :argc > 9 THEN ?9 END,
       CASE WHEN :argc > 10 THEN ?10 END,
       CASE WHEN :argc > 11 THEN ?11 END,
       CASE WHEN :argc > 12 THEN ?12 END,
       CASE WHEN :argc > 13 THEN ?13 END,
       CASE WHEN :argc > 14 THEN ?14 END,
       CASE WHEN :argc > 15 THEN ?15 END,
       CASE WHEN :argc > 16 THEN ?16 END,
       CASE WHEN :argc > 17 THEN ?17 END,
       CASE WHEN :argc > 18 THEN ?18 END,
       CASE WHEN :argc > 19 THEN ?19 END,
       CASE WHEN :argc > 20 THEN ?20 END,
       CASE WHEN :argc > 21 THEN ?21 END,
       CASE :argc WHEN 3 THEN ?3 WHEN 4 THEN ?4 WHEN 5 THEN ?5 WHEN 6 THEN ?6 WHEN 7 THEN ?7 WHEN 8 THEN ?8
                  WHEN 9 THEN ?9 WHEN 10 THEN ?10 WHEN 11 THEN ?11 WHEN 12 THEN ?12 WHEN 13 THEN ?13 WHEN 14 THEN ?14
                  WHEN 15 THEN ?15 WHEN 16 THEN ?16 WHEN 17 THEN ?17 WHEN 18 THEN ?18 WHEN 19 THEN ?19 WHEN 20 THEN ?20
                  WHEN 21 THEN ?21 WHEN 22 THEN ?22 WHEN 23 THEN ?23 WHEN 24 THEN ?24 WHEN 25 THEN ?25 WHEN 26 THEN ?26
                  WHEN 27 THEN ?27 WHEN 28 THEN ?28 WHEN 29 THEN ?29 WHEN 30 THEN ?30 WHEN 31 THEN ?31 WHEN 32 THEN ?32
                  WHEN 33 THEN ?33 WHEN 34 THEN ?34 WHEN 35 THEN ?35 END,
       CASE WHEN :argc > 22 THEN ?22 END,
       CASE WHEN :argc > 23 THEN ?23 END,
       CASE WHEN :argc > 24 THEN ?24 END,
       CASE WHEN :argc > 25 THEN ?25 END,
       CASE WHEN :argc > 26 THEN ?26 END,
       CASE WHEN :argc > 27 THEN ?27 END,
       CASE WHEN :argc > 28 THEN ?28 END,
       CASE WHEN :argc > 29 THEN ?29 END,
       CASE WHEN :argc > 30 THEN ?30 END,
       CASE WHEN :argc > 31 THEN ?31 END,
       CASE WHEN :argc > 32 THEN ?32 END,
       CASE WHEN :argc > 33 THEN ?33 END,
       CASE WHEN :argc > 34 THEN ?34 END
 WHERE CAST(?1 AS INTEGER) IN (0, 1)
    ON CONFLICT (RequestNum) DO UPDATE SET
       Result1 = excluded.Result1, Result2 = excluded.Result2, Result3 = excluded.Result3,
       Result4 = excluded.Result4, Result5 = excluded.Result5, Result6 = excluded.Result6,
       Result7 = excluded.Result7, Result8 = excluded.Result8, Result9 = excluded.Result9,
       Result10 = excluded.Result10, Result11 = excluded.Result11, Result12 = excluded.Result12,
       Result13 = excluded.Result13, Result14 = excluded.Result14, Result15 = excluded.Result15,
       Result16 = excluded.Result16, Result17 = excluded.Result17, Result18 = excluded.Result18,
       Result19 = excluded.Result19, Result20 = excluded.Result20, Result21 = excluded.Result21,
       Result22 = excluded.Result22, Result23 = excluded.Result23, Result24 = excluded.Result24,
       Result25 = excluded.Result25, Result26 = excluded.Result26, Result27 = excluded.Result27,
       Result28 = excluded.Result28, Result29 = excluded.Result29, Result30 = excluded.Result30,
       Result31 = excluded.Result31, Result32 = excluded.Result32, Result33 = excluded.Result33,
       UpdateDate = datetime('now', 'localtime');

-- procedure LABORATORY.lab_getresulthcodes args 1 returns rows
-- The forms read these by ordinal: 0 the request, 1..33 Result1..Result33.
SELECT RequestNum,
       Result1, Result2, Result3, Result4, Result5, Result6,
       Result7, Result8, Result9, Result10, Result11, Result12,
       Result13, Result14, Result15, Result16, Result17, Result18,
       Result19, Result20, Result21, Result22, Result23, Result24,
       Result25, Result26, Result27, Result28, Result29, Result30,
       Result31, Result32, Result33
  FROM LABORATORY.tbLabResultHCodes
 WHERE RequestNum = ?1;

-- procedure LABORATORY.LAB_Save_SpecsResultEntries args 26
-- The 24 common values of the exam form (request, exam, form type, A1, A2,
-- A3, A4, A5, B1, B2, B3, B4, C1, C2, E1, E2, H1..H6, remarks, layout),
-- then F1 and a numeric flag. Only the slots of the layout named by ?24 are
-- kept (an unknown layout keeps them all), and an earlier row of the same
-- request and exam is replaced.
WITH v AS (
     SELECT CASE WHEN trim(?24) GLOB '[0-9]' THEN CAST(trim(?24) AS INTEGER) END AS lay,
            CASE WHEN trim(?4) GLOB '*[0-9]*' AND NOT trim(?4) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?4) AS REAL) END AS a1,
            CASE WHEN trim(?5) GLOB '*[0-9]*' AND NOT trim(?5) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?5) AS REAL) END AS a2,
            CASE WHEN trim(?7) GLOB '*[0-9]*' AND NOT trim(?7) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?7) AS REAL) END AS a4,
            CASE WHEN trim(?13) GLOB '*[0-9]*' AND NOT trim(?13) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?13) AS REAL) END AS c1,
            CASE WHEN trim(?14) GLOB '*[0-9]*' AND NOT trim(?14) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?14) AS REAL) END AS c2),
     w AS (
     SELECT v.*,
            lay IS NULL AS anylayout,
            -- layout 0 with a text normal value sends 0 for all three numbers
            (lay = 0 AND coalesce(a1, 0) = 0 AND coalesce(a2, 0) = 0
                     AND coalesce(a4, 0) = 0) AS textual
       FROM v)
INSERT INTO LABORATORY.tbLabResultValues
       (RequestNum, LabExamID, FormType, LayoutIndex,
        A1, A2, A3, A4, A5, B1, B2, B3, B4, C1, C2, E1, E2,
        H1, H2, H3, H4, H5, H6, F1, G1, G2, G3, G4, G5, Remarks, SaveFlag)
SELECT ?1, ?2, ?3, lay,
       CASE WHEN anylayout OR lay IN (0, 5) THEN a1 END, -- A1
       CASE WHEN anylayout OR lay IN (0, 5) THEN a2 END, -- A2
       CASE WHEN anylayout OR lay IN (0, 5, 8) THEN ?6 END, -- A3
       CASE WHEN anylayout OR lay = 0 THEN a4 END, -- A4
       CASE WHEN anylayout OR lay IN (1, 2, 3, 4, 6, 8) OR textual THEN ?8 END, -- A5
       CASE WHEN anylayout OR lay = 3 THEN ?9 END, -- B1
       CASE WHEN anylayout OR lay = 3 THEN ?10 END, -- B2
       CASE WHEN anylayout OR lay = 3 THEN ?11 END, -- B3
       CASE WHEN anylayout OR lay = 4 THEN ?12 END, -- B4
       CASE WHEN anylayout OR lay IN (5, 9) THEN c1 END, -- C1
       CASE WHEN anylayout OR lay IN (5, 9) THEN c2 END, -- C2
       CASE WHEN anylayout OR lay = 6 THEN ?15 END, -- E1
       CASE WHEN anylayout OR lay = 6 THEN ?16 END, -- E2
       CASE WHEN anylayout OR lay = 7 THEN ?17 END, -- H1
       CASE WHEN anylayout OR lay = 7 THEN ?18 END, -- H2
       CASE WHEN anylayout OR lay = 7 THEN ?19 END, -- H3
       CASE WHEN anylayout OR lay = 7 THEN ?20 END, -- H4
       CASE WHEN anylayout OR lay = 7 THEN ?21 END, -- H5
       CASE WHEN anylayout OR lay = 7 THEN ?22 END, -- H6
       CASE WHEN anylayout OR lay = 4 THEN ?25 END, -- F1
       NULL, -- G1
       NULL, -- G2
       NULL, -- G3
       NULL, -- G4
       NULL, -- G5
       ?23, CAST(?26 AS INTEGER) -- Remarks, SaveFlag
  FROM w
 WHERE 1
    ON CONFLICT (RequestNum, LabExamID) DO UPDATE SET
       FormType = excluded.FormType, LayoutIndex = excluded.LayoutIndex, A1 = excluded.A1,
       A2 = excluded.A2, A3 = excluded.A3, A4 = excluded.A4,
       A5 = excluded.A5, B1 = excluded.B1, B2 = excluded.B2,
       B3 = excluded.B3, B4 = excluded.B4, C1 = excluded.C1,
       C2 = excluded.C2, E1 = excluded.E1, E2 = excluded.E2,
       H1 = excluded.H1, H2 = excluded.H2, H3 = excluded.H3,
       H4 = excluded.H4, H5 = excluded.H5, H6 = excluded.H6,
       F1 = excluded.F1, G1 = excluded.G1, G2 = excluded.G2,
       G3 = excluded.G3, G4 = excluded.G4, G5 = excluded.G5,
       Remarks = excluded.Remarks, SaveFlag = excluded.SaveFlag,
       UpdateDate = datetime('now', 'localtime');

-- procedure LABORATORY.LAB_Save_EditResultEntries args 31
-- The 24 common values, then G1, A5 (again), G1 (again), G2, G3, G4, G5.
-- The repeated A5 and G1 are not read. Slots are kept as for
-- LAB_Save_SpecsResultEntries.
WITH v AS (
     SELECT CASE WHEN trim(?24) GLOB '[0-9]' THEN CAST(trim(?24) AS INTEGER) END AS lay,
            CASE WHEN trim(?4) GLOB '*[0-9]*' AND NOT trim(?4) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?4) AS REAL) END AS a1,
            CASE WHEN trim(?5) GLOB '*[0-9]*' AND NOT trim(?5) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?5) AS REAL) END AS a2,
            CASE WHEN trim(?7) GLOB '*[0-9]*' AND NOT trim(?7) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?7) AS REAL) END AS a4,
            CASE WHEN trim(?13) GLOB '*[0-9]*' AND NOT trim(?13) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?13) AS REAL) END AS c1,
            CASE WHEN trim(?14) GLOB '*[0-9]*' AND NOT trim(?14) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?14) AS REAL) END AS c2,
            CASE WHEN trim(?29) GLOB '*[0-9]*' AND NOT trim(?29) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?29) AS REAL) END AS g3,
            CASE WHEN trim(?30) GLOB '*[0-9]*' AND NOT trim(?30) GLOB '*[^0-9.eE+-]*'
                 THEN CAST(trim(?30) AS REAL) END AS g4),
     w AS (
     SELECT v.*,
            lay IS NULL AS anylayout,
            -- layout 0 with a text normal value sends 0 for all three numbers
            (lay = 0 AND coalesce(a1, 0) = 0 AND coalesce(a2, 0) = 0
                     AND coalesce(a4, 0) = 0) AS textual
       FROM v)
INSERT INTO LABORATORY.tbLabResultValues
       (RequestNum, LabExamID, FormType, LayoutIndex,
        A1, A2, A3, A4, A5, B1, B2, B3, B4, C1, C2, E1, E2,
        H1, H2, H3, H4, H5, H6, F1, G1, G2, G3, G4, G5, Remarks, SaveFlag)
SELECT ?1, ?2, ?3, lay,
       CASE WHEN anylayout OR lay IN (0, 5) THEN a1 END, -- A1
       CASE WHEN anylayout OR lay IN (0, 5) THEN a2 END, -- A2
       CASE WHEN anylayout OR lay IN (0, 5, 8) THEN ?6 END, -- A3
       CASE WHEN anylayout OR lay = 0 THEN a4 END, -- A4
       CASE WHEN anylayout OR lay IN (1, 2, 3, 4, 6, 8) OR textual THEN ?8 END, -- A5
       CASE WHEN anylayout OR lay = 3 THEN ?9 END, -- B1
       CASE WHEN anylayout OR lay = 3 THEN ?10 END, -- B2
       CASE WHEN anylayout OR lay = 3 THEN ?11 END, -- B3
       CASE WHEN anylayout OR lay = 4 THEN ?12 END, -- B4
       CASE WHEN anylayout OR lay IN (5, 9) THEN c1 END, -- C1
       CASE WHEN anylayout OR lay IN (5, 9) THEN c2 END, -- C2
       CASE WHEN anylayout OR lay = 6 THEN ?15 END, -- E1
       CASE WHEN anylayout OR lay = 6 THEN ?16 END, -- E2
       CASE WHEN anylayout OR lay = 7 THEN ?17 END, -- H1
       CASE WHEN anylayout OR lay = 7 THEN ?18 END, -- H2
       CASE WHEN anylayout OR lay = 7 THEN ?19 END, -- H3
       CASE WHEN anylayout OR lay = 7 THEN ?20 END, -- H4
       CASE WHEN anylayout OR lay = 7 THEN ?21 END, -- H5
       CASE WHEN anylayout OR lay = 7 THEN ?22 END, -- H6
       NULL, -- F1
       CASE WHEN anylayout OR lay IN (8, 9) OR textual THEN ?25 END, -- G1
       CASE WHEN anylayout OR lay = 9 THEN ?28 END, -- G2
       CASE WHEN anylayout OR lay = 5 THEN g3 END, -- G3
       CASE WHEN anylayout OR lay = 5 THEN g4 END, -- G4
       CASE WHEN anylayout OR lay IN (5, 9) THEN ?31 END, -- G5
       ?23, NULL -- Remarks, SaveFlag
  FROM w
 WHERE 1
    ON CONFLICT (RequestNum, LabExamID) DO UPDATE SET
       FormType = excluded.FormType, LayoutIndex = excluded.LayoutIndex, A1 = excluded.A1,
       A2 = excluded.A2, A3 = excluded.A3, A4 = excluded.A4,
       A5 = excluded.A5, B1 = excluded.B1, B2 = excluded.B2,
       B3 = excluded.B3, B4 = excluded.B4, C1 = excluded.C1,
       C2 = excluded.C2, E1 = excluded.E1, E2 = excluded.E2,
       H1 = excluded.H1, H2 = excluded.H2, H3 = excluded.H3,
       H4 = excluded.H4, H5 = excluded.H5, H6 = excluded.H6,
       F1 = excluded.F1, G1 = excluded.G1, G2 = excluded.G2,
       G3 = excluded.G3, G4 = excluded.G4, G5 = excluded.G5,
       Remarks = excluded.Remarks, SaveFlag = excluded.SaveFlag,
       UpdateDate = datetime('now', 'localtime');

-- procedure LABORATORY.LAB_Save_EditProfileResultEntries args 21
-- ?1 request, ?2 profile exam, ?3..?20 the packed values of exam positions
-- 0..17, ?21 remarks. Replaces the earlier row of the request and profile.
INSERT INTO LABORATORY.tbLabProfileResult
       (RequestNum, ProfileExamID,
        Slot0, Slot1, Slot2, Slot3, Slot4, Slot5,
        Slot6, Slot7, Slot8, Slot9, Slot10, Slot11,
        Slot12, Slot13, Slot14, Slot15, Slot16, Slot17,
        Remarks)
VALUES (?1, ?2,
        ?3, ?4, ?5, ?6, ?7, ?8,
        ?9, ?10, ?11, ?12, ?13, ?14,
        ?15, ?16, ?17, ?18, ?19, ?20,
        ?21)
    ON CONFLICT (RequestNum, ProfileExamID) DO UPDATE SET
       Slot0 = excluded.Slot0, Slot1 = excluded.Slot1, Slot2 = excluded.Slot2,
       Slot3 = excluded.Slot3, Slot4 = excluded.Slot4, Slot5 = excluded.Slot5,
       Slot6 = excluded.Slot6, Slot7 = excluded.Slot7, Slot8 = excluded.Slot8,
       Slot9 = excluded.Slot9, Slot10 = excluded.Slot10, Slot11 = excluded.Slot11,
       Slot12 = excluded.Slot12, Slot13 = excluded.Slot13, Slot14 = excluded.Slot14,
       Slot15 = excluded.Slot15, Slot16 = excluded.Slot16, Slot17 = excluded.Slot17,
       Remarks = excluded.Remarks,
       UpdateDate = datetime('now', 'localtime');

-- procedure LABORATORY.Lab_GetResultFromTable args 2 returns rows
-- ?1 form type, ?2 request. Histopathology ("X") and cytology ("Z") share
-- one table. Other form types have no row here.
SELECT RequestNum, HistopathNum, ResultDate, GrossDescription, FinalDiagnosis, Remarks
  FROM LABORATORY.tbLabResultHistoCytology
 WHERE RequestNum = ?2
   AND upper(trim(?1)) IN ('X', 'Z');

-- procedure LABORATORY.Lab_Save_Histopath args 7
-- ?1 mode (0 new, 1 existing), ?2 request, ?3 histopathology number,
-- ?4 gross description, ?5 final diagnosis, ?6 report date and time
-- ("mm/dd/yyyy hh:mm AM"), ?7 remarks. Either mode writes the row.
WITH d0(k, t) AS (SELECT 1, trim(coalesce(?6, ''))),
     d1 AS (SELECT k, t, substr(t, instr(t, '/') + 1) AS r FROM d0),
     d2 AS (SELECT k, t, r, substr(r, instr(r, '/') + 1) AS y FROM d1),
     d3 AS (SELECT k, t, r, y, trim(substr(y, 5)) AS tm FROM d2),
     d4 AS (SELECT k, t, r, y, tm,
                   CAST(substr(tm, 1, instr(tm, ':') - 1) AS INTEGER) AS h,
                   substr(tm, instr(tm, ':') + 1) AS ms
              FROM d3),
     dt AS (SELECT k, CASE
                WHEN t = '' THEN NULL
                WHEN t GLOB '[0-9]*/[0-9]*/[0-9][0-9][0-9][0-9]*'
                     AND (tm = '' OR tm GLOB '[0-9]*:[0-9][0-9]*')
                THEN coalesce(datetime(printf('%04d-%02d-%02d %02d:%02d:%02d',
                         CAST(substr(y, 1, 4) AS INTEGER),
                         CAST(substr(t, 1, instr(t, '/') - 1) AS INTEGER),
                         CAST(substr(r, 1, instr(r, '/') - 1) AS INTEGER),
                         CASE WHEN upper(tm) LIKE '%PM' THEN h % 12 + 12
                              WHEN upper(tm) LIKE '%AM' THEN h % 12
                              ELSE h END,
                         CAST(substr(ms, 1, 2) AS INTEGER),
                         CASE WHEN substr(ms, 3, 1) = ':'
                              THEN CAST(substr(ms, 4, 2) AS INTEGER) ELSE 0 END)), t)
                WHEN t GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*'
                THEN coalesce(datetime(t), t)
                ELSE t END AS v
              FROM d4)
INSERT INTO LABORATORY.tbLabResultHistoCytology
       (RequestNum, HistopathNum, ResultDate, GrossDescription, FinalDiagnosis, Remarks)
SELECT ?2, coalesce(?3, ''), v, ?4, ?5, ?7
  FROM dt
 WHERE CAST(?1 AS INTEGER) IN (0, 1)
    ON CONFLICT (RequestNum) DO UPDATE SET
       HistopathNum = excluded.HistopathNum,
       ResultDate = excluded.ResultDate,
       GrossDescription = excluded.GrossDescription,
       FinalDiagnosis = excluded.FinalDiagnosis,
       Remarks = excluded.Remarks,
       UpdateDate = datetime('now', 'localtime');

-- procedure LABORATORY.sp_listmedtech args 0 returns rows
SELECT MedTechID, lastname, firstname, middlename
  FROM LABORATORY.tbLabMedTech
 ORDER BY lastname, firstname, middlename, MedTechID;

-- procedure LABORATORY.sp_listsearchmedtech args 2 returns rows
-- ?1 mode, ?2 text.
-- Mode 0 finds one technologist: the one whose identifier is the text, or
-- when no identifier matches, those whose name is the text, written as
-- "last", "last,first", "last,first middle", "first last" or
-- "first middle last" (blanks and case ignored, so the dialog's own
-- "last,first middle" finds the same person again).
-- Mode 1 lists those whose identifier or name contains the text.
-- lower() is the connection's Unicode one (Ñ to ñ), as on the server.
SELECT m.MedTechID AS MedTechID, m.lastname AS lastname,
       m.firstname AS firstname, m.middlename AS middlename
  FROM LABORATORY.tbLabMedTech AS m
 WHERE (CAST(?1 AS INTEGER) = 0
        AND (lower(m.MedTechID) = lower(trim(?2))
             OR (NOT EXISTS (SELECT 1 FROM LABORATORY.tbLabMedTech AS x
                              WHERE lower(x.MedTechID) = lower(trim(?2)))
                 AND replace(lower(?2), ' ', '') IN (
                     replace(lower(m.lastname), ' ', ''),
                     replace(lower(m.lastname || ',' || m.firstname), ' ', ''),
                     replace(lower(m.lastname || ',' || m.firstname || m.middlename), ' ', ''),
                     replace(lower(m.firstname || m.lastname), ' ', ''),
                     replace(lower(m.firstname || m.middlename || m.lastname), ' ', '')))))
    OR (CAST(?1 AS INTEGER) = 1
        AND (instr(lower(m.MedTechID), lower(trim(?2))) > 0
             OR instr(lower(m.lastname), lower(trim(?2))) > 0
             OR instr(lower(m.firstname), lower(trim(?2))) > 0
             OR instr(lower(m.middlename), lower(trim(?2))) > 0
             OR instr(lower(m.lastname || ',' || m.firstname || ' ' || m.middlename),
                      lower(trim(?2))) > 0
             OR instr(lower(m.lastname || ', ' || m.firstname || ' ' || m.middlename),
                      lower(trim(?2))) > 0))
 ORDER BY m.lastname, m.firstname, m.middlename, m.MedTechID;

-- procedure LABORATORY.lab_listlogbook args 0..1 returns rows
-- For the laboratory application: the requests of the log book, pending
-- ones only unless ?1 is 1. Exams lists the exam titles of the request.
SELECT l.RequestNum AS RequestNum,
       l.TransDate AS TransDate,
       l.HospNum AS HospNum,
       trim(coalesce(p.LastName || ', ' || p.FirstName || ' ' || p.MiddleName, '')) AS PatName,
       l.PatientType AS PatientType,
       l.SectionID AS SectionID,
       coalesce(s.SectionName, '') AS SectionName,
       coalesce((SELECT group_concat(ExamTitle, ', ')
                   FROM (SELECT coalesce(e.ExamTitle, d.LabExamID) AS ExamTitle
                           FROM LABORATORY.tblablogbookdetail AS d
                           LEFT JOIN build_file.tbcolabexam AS e ON e.LabExamID = d.LabExamID
                          WHERE d.RequestNum = l.RequestNum
                          ORDER BY d.LineNo)), '') AS Exams,
       l.Verified AS Verified
  FROM LABORATORY.tblablogbook AS l
  LEFT JOIN patient_data.tbPatient AS p ON p.HospNum = l.HospNum
  LEFT JOIN build_file.tbcolabsection AS s ON s.SectionID = l.SectionID
 WHERE l.Verified = 0 OR CAST(coalesce(?1, 0) AS INTEGER) = 1
 ORDER BY l.TransDate, l.RequestNum;

-- procedure LABORATORY.lab_getlogbookrequest args 1 returns rows
-- For the laboratory application: what it hands the result entry for one
-- request (patient, physician, section, dates, verification).
SELECT l.RequestNum AS RequestNum,
       l.HospNum AS HospNum,
       l.IDNum AS IDNum,
       trim(coalesce(p.LastName || ', ' || p.FirstName || ' ' || p.MiddleName, '')) AS PatName,
       coalesce(p.LastName, '') AS LastName,
       coalesce(p.FirstName, '') AS FirstName,
       coalesce(p.MiddleName, '') AS MiddleName,
       l.Age AS Age,
       coalesce(p.Sex, '') AS Sex,
       coalesce(p.CivilStatus, '') AS CivilStatus,
       coalesce(l.DoctorID, '') AS DoctorID,
       coalesce('Dr. ' || d.FirstName || ' ' || d.LastName, '') AS DoctorName,
       coalesce(l.SectionID, '') AS SectionID,
       coalesce(s.SectionName, '') AS SectionName,
       l.RoomID AS RoomID,
       l.PatientType AS PatientType,
       l.TransDate AS TransDate,
       l.ResultDate AS ResultDate,
       l.Verified AS Verified,
       l.VerifiedBy AS VerifiedBy,
       l.VerifiedDate AS VerifiedDate,
       l.Remarks AS Remarks
  FROM LABORATORY.tblablogbook AS l
  LEFT JOIN patient_data.tbPatient AS p ON p.HospNum = l.HospNum
  LEFT JOIN build_file.tbcodoctor AS d ON d.DoctorID = l.DoctorID
  LEFT JOIN build_file.tbcolabsection AS s ON s.SectionID = l.SectionID
 WHERE l.RequestNum = ?1;

-- procedure LABORATORY.lab_getlogbookexams args 1 returns rows
-- For the laboratory application: the exams of one request, in order, with
-- what the result entry needs of each.
SELECT d.LineNo AS LineNo,
       d.LabExamID AS LabExamID,
       coalesce(e.FormType, '') AS FormType,
       coalesce(e.EModel, '') AS EModel,
       coalesce(e.ExamTitle, '') AS ExamTitle,
       d.Amount AS Amount,
       d.RefNum AS RefNum,
       d.LabNum AS LabNum
  FROM LABORATORY.tblablogbookdetail AS d
  LEFT JOIN build_file.tbcolabexam AS e ON e.LabExamID = d.LabExamID
 WHERE d.RequestNum = ?1
 ORDER BY d.LineNo;
