// The statements the result forms send, with the texts and argument orders
// the forms write, against the laboratory database of each backend: what
// they store and what they read back.

#include "platform/ado/recordset.h"
#include "platform/runtime/datetime.h"
#include "support/database.h"
#include "support/errors.h"
#include "support/printcapture.h"
#include "support/rows.h"

#include <QTest>

using ado::Recordset;

namespace {

// How a Null column shows in the expected lists.
const QString NUL = QStringLiteral("~");

QString shown(const vrt::Variant& v) {
    if (v.isNull())
        return NUL;
    if (v.isDate())
        return vrt::toDateTime(v.toDate()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return v.toString();
}

// "Now" as the database writes it: the server's own local time, to the
// second (the tests' clock is not the database's).
bool isNow(ado::Connection& c, const QString& value) {
    const QDateTime t = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    auto rs = c.Execute(c.backend() == ado::Backend::SQLite
                            ? QStringLiteral("select datetime('now', 'localtime')")
                            : QStringLiteral("select localtimestamp(0)"));
    const QDateTime now = QDateTime::fromString(shown(rs->Fields(0).Value).left(19),
                                                QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return t.isValid() && now.isValid() && qAbs(t.secsTo(now)) < 300;
}

QStringList repeated(int count, const QString& value) {
    return QList<QString>(count, value);
}

QStringList split(const char* values) {
    return QString::fromUtf8(values).split(u'|');
}

// Every row a recordset source yields, each value shown.
QList<QStringList> fetch(ado::Connection& c, const QString& source) {
    Recordset rs;
    rs.Open(source, c, ado::adOpenDynamic, ado::adLockReadOnly, -1);
    QList<QStringList> out;
    for (; !rs.eof(); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row << shown(rs.Fields(i).Value);
        out << row;
    }
    rs.Close();
    return out;
}

// Named columns of the one row a query returns ({} without a row).
QStringList columns(ado::Connection& c, const QString& source, const QStringList& names) {
    Recordset rs;
    rs.Open(source, c, ado::adOpenDynamic, ado::adLockReadOnly, -1);
    QStringList out;
    if (!rs.eof())
        for (const QString& n : names)
            out << shown(rs.Fields(n).Value);
    rs.Close();
    return out;
}

int count(ado::Connection& c, const QString& where) {
    return fetch(c, QStringLiteral("select count(*) as n from ") + where).first().first().toInt();
}

// The log-book hand-over every save starts with.
void handOver(ado::Connection& c, const QString& labNum, const QString& employee) {
    if (!fetch(c, QStringLiteral("select * from laboratory..tblablogbook where requestnum = '%1'")
                      .arg(labNum))
             .isEmpty())
        c.Execute(
            QStringLiteral("laboratory..LAB_Save_VerifyResults '%1','%2'").arg(labNum, employee));
}

QString saveResultEntry(const QStringList& values) {
    return QStringLiteral("laboratory..LAB_SaveResultEntry '%1'").arg(values.join("','"));
}

// The statements of the coded forms, spaced as each form writes them.
// Fecalysis, Widal and Weil-Felix: the boxes, empty values, the remarks.
QString singleTextCodes(int mode, const QString& labNum, const QStringList& boxes, int empties,
                        const QString& remarks) {
    return QStringLiteral("laboratory..lab_save_hcodes %1,'%2','%3%4%5'")
        .arg(QString::number(mode), labNum, boxes.join("','"), QString("','").repeated(empties + 1),
             remarks);
}

// tail: others, non-epithelial neoplasm, M.I., L.M.P., date, time
QString papSmearCodes(int mode, const QString& labNum, const QString& cytology,
                      const QStringList& codes, const QStringList& tail, const QString& remarks) {
    return QStringLiteral("Laboratory..Lab_Save_HCodes %1, '%2', '%3','%4', '%5', '%6','%7', "
                          "'%8','%9', '%10', '%11'")
        .arg(QString::number(mode), labNum, cytology, codes.join("', '"), tail[0], tail[1], tail[2],
             tail[3], tail[4], tail[5], remarks);
}

const QStringList resultValueColumns = split(
    "FormType|LayoutIndex|A1|A2|A3|A4|A5|B1|B2|B3|B4|C1|C2|E1|E2|H1|H2|H3|H4|H5|H6|F1|G1|G2|G3|G4|"
    "G5|Remarks|SaveFlag");

const QStringList entryColumns = split("HospNum|IDNum|LabExamID|SectionID|RoomID|TransDate|"
                                       "ResultDate|DoctorID|FormType|ResultFlag|EmployeeID|Amount|"
                                       "PatientType|ItemID|RefNum|LabNum|Switch|MedTechID");

// A Widal registration, as the form sends it, with the two dates given.
QStringList widalEntry(const QString& transDate, const QString& resultDate) {
    return {"100252",   "IPD26-00871", "96",        "SE",        "312-A", transDate,
            resultDate, "D101",        "H",         "0",         "MT02",  "280",
            "I",        "96",          "CH-260466", "LR26-0003", "1",     "MT02"};
}

const QString widalRegistered =
    QStringLiteral("select * from laboratory..tbLabResultEntry where LabNum = 'LR26-0003'");

} // namespace

class TestDbContract : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db_;
    std::shared_ptr<ado::Connection> c_;

private slots:
    void initTestCase_data() { addBackendRows(); }

    void init() {
        FETCH_DATABASE(db, TestDatabase::Contents::LaboratoryWithDemoData);
        db_ = std::move(db);
        c_ = db_->open();
    }
    void cleanup() {
        c_.reset();
        db_.reset();
    }

    void verification_data() {
        // resultDate "now": the first verification
        addColumns<QString, QString>("request", "resultDate");
        addRows<const char*, const char*>({
            {"pending request", "LR26-0001", "now"},
            {"verified again keeps the result date", "LR26-0002", "2026-12-01 11:05:00"},
            {"request number in lower case", "lr26-0003", "now"},
            {"not in the log book", "LR26-0099", ""},
        });
    }
    void verification() {
        QFETCH(QString, request);
        QFETCH(QString, resultDate);
        handOver(*c_, request, QStringLiteral("MT05"));
        // The procedure alone, as a form would send it without looking first.
        c_->Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults '%1','MT05'").arg(request));
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tblablogbook")), 17);
        const QStringList got =
            columns(*c_,
                    QStringLiteral("select * from laboratory..tblablogbook where requestnum = '%1'")
                        .arg(request),
                    {"Verified", "VerifiedBy", "VerifiedDate", "ResultDate"});
        if (resultDate.isEmpty()) {
            QCOMPARE(got, QStringList());
            return;
        }
        QCOMPARE(got.mid(0, 2), QStringList({"1", "MT05"}));
        QVERIFY2(isNow(*c_, got[2]), qPrintable(got[2]));
        QVERIFY2(resultDate == QLatin1String("now") ? isNow(*c_, got[3]) : got[3] == resultDate,
                 qPrintable(got[3]));
    }

    void resultEntry() {
        VERIFY_TRANSCRIPT(QStringLiteral("db/expected/result_entry.txt"), [&](QString input) {
            c_->Execute(QStringLiteral(
                "delete from laboratory..tbLabResultEntry where LabNum = 'LR26-0003'"));
            const QString transDate = takeQuoted(input);
            c_->Execute(saveResultEntry(widalEntry(transDate, takeQuoted(input))));
            const QStringList dates = columns(*c_, widalRegistered, {"EntryDate", "UpdateDate"});
            return columns(*c_, widalRegistered, entryColumns).join(u'|') +
                   (isNow(*c_, dates.value(0)) ? QStringLiteral(", entered now")
                                               : QStringLiteral(", entered ") + dates.value(0)) +
                   QStringLiteral(", updated ") + dates.value(1);
        });

        // Again: the row is replaced (another room, another technologist).
        QStringList again = widalEntry("12/1/2026 9:40:00 AM", "12/7/2026");
        again[4] = QStringLiteral("314-B");
        again[17] = QStringLiteral("MT06");
        c_->Execute(saveResultEntry(again));
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabResultEntry where LabNum = "
                                           "'LR26-0003'")),
                 1);
        QCOMPARE(columns(*c_, widalRegistered, {"RoomID", "ResultDate", "MedTechID"}),
                 QStringList({"314-B", "2026-12-07 00:00:00", "MT06"}));
        QVERIFY(isNow(*c_, columns(*c_, widalRegistered, {"UpdateDate"}).first()));
    }

    void codedResults() {
        VERIFY_TRANSCRIPT(
            QStringLiteral("db/expected/coded_results.txt"), [&](const QString& input) {
                const QString request = input.section(u':', 0, 0);
                const QString source =
                    QStringLiteral("Laboratory..tbLabResultHCodes where RequestNum = '%1'")
                        .arg(request);
                Recordset existing;
                existing.Open(source, *c_, 2, 3, -1);
                const QString found =
                    existing.eof() ? QStringLiteral("new, ") : QStringLiteral("replacing, ");
                c_->Execute(input.section(QStringLiteral(": "), 1));
                existing.Close();
                const QList<QStringList> direct =
                    fetch(*c_, QStringLiteral("select * from ") + source);
                const QList<QStringList> procedure =
                    fetch(*c_, QStringLiteral("laboratory..lab_getresulthcodes '%1'").arg(request));
                if (fetch(*c_, source) != direct || procedure.size() != direct.size() ||
                    (!direct.isEmpty() && procedure.first() != direct.first().mid(0, 34)))
                    return QStringLiteral("the three readings differ");
                if (direct.isEmpty())
                    return found + QStringLiteral("nothing stored");
                const QString updated = direct.first().last();
                return found + direct.first().mid(1, 33).join(u'|') + QStringLiteral(", updated ") +
                       (isNow(*c_, updated) ? QStringLiteral("now") : updated);
            });
    }

    // Columns not named in the expected text are Null.
    void examForm_data() {
        addColumns<QString, QString, QString, QString>("statement", "request", "exam", "stored");
        addRows<const char*, const char*, const char*, const char*>({
            {"specimen layout, form type 6",
             "laboratory..LAB_Save_SpecsResultEntries "
             "'LR26-0011','501','6','0','0','mg/dL','0','GRAM-POSITIVE COCCI IN "
             "CLUSTERS','','','','SPUTUM','0','0','50 "
             "ng/mL','POSITIVE','','','','','','','Good quality specimen; patient''s first "
             "sample','4','Y',2",
             "LR26-0011", "501",
             "FormType=6|LayoutIndex=4|A5=GRAM-POSITIVE COCCI IN CLUSTERS|B4=SPUTUM|F1=Y|"
             "Remarks=Good quality specimen; patient's first sample|SaveFlag=2"},
            {"an edit replaces the stored row",
             "LABORATORY..LAB_Save_EditResultEntries "
             "'LR26-0012','130','7','0','0','g/L','0','131','','','','','0','0','','','','','"
             "','','','','Repeat sample','8','120 - 160','131','120 - 160','','0', '0',''",
             "LR26-0012", "130",
             "FormType=7|LayoutIndex=8|A3=g/L|A5=131|G1=120 - 160|Remarks=Repeat sample"},
        });
    }
    void examForm() {
        QFETCH(QString, statement);
        QFETCH(QString, request);
        QFETCH(QString, exam);
        QFETCH(QString, stored);
        handOver(*c_, request, QStringLiteral("MT03"));
        c_->Execute(statement);
        const QString row = QStringLiteral("laboratory..tbLabResultValues where RequestNum = '%1' "
                                           "and LabExamID = '%2'")
                                .arg(request, exam);
        QCOMPARE(count(*c_, row), 1);
        const QStringList got =
            columns(*c_, QStringLiteral("select * from ") + row, resultValueColumns);
        QStringList named;
        for (int i = 0; i < resultValueColumns.size(); ++i)
            if (got.value(i) != NUL)
                named << resultValueColumns[i] + QLatin1Char('=') + got.value(i);
        QCOMPARE(named.join(u'|'), stored);
    }

    // Saved again, the profile's one row is replaced, all its slots with it.
    void profileSavedAgain() {
        const QString potassium = QStringLiteral("|3.5||5.1||%1||mmol/L||%2||POTASSIUM||3.5||5.1|");
        const auto save = [&](const QString& slot0, const QString& slot1, const QString& remarks) {
            c_->Execute(
                QStringLiteral("LABORATORY..LAB_Save_EditProfileResultEntries "
                               "'LR26-0009','105','%1','%2'")
                    .arg((QStringList{slot0, slot1} + QStringList(16)).join("','"), remarks));
        };
        handOver(*c_, QStringLiteral("LR26-0009"), QStringLiteral("MT03"));
        save(potassium.arg("4.2", "L"), "|135||145||139||mmol/L||N||SODIUM||135||145|", "Fasting");
        save(potassium.arg("5.8", "H"), "", "Again");
        QCOMPARE(fetch(*c_, QStringLiteral("select ProfileExamID, Slot0, Slot1, Slot17, Remarks "
                                           "from laboratory..tbLabProfileResult")),
                 (QList<QStringList>{{"105", potassium.arg("5.8", "H"), "", "", "Again"}}));
    }

    // Form types X and Z read the report; others, and requests without one, nothing.
    void histopathologyRead() {
        QStringList found;
        for (const char* args :
             {"'X','LR26-0014'", "'Z','LR26-0014'", "'H','LR26-0014'", "'X','LR26-0008'"}) {
            Recordset r;
            r.setCursorLocation(ado::adUseClient);
            r.Open(QStringLiteral("LABORATORY..Lab_GetResultFromTable  ") + args, *c_, 2, 1, -1);
            QCOMPARE(r.columnNames().join(QLatin1Char(',')),
                     QStringLiteral("RequestNum,HistopathNum,ResultDate,GrossDescription,"
                                    "FinalDiagnosis,Remarks"));
            found << QString::number(r.RecordCount());
        }
        QCOMPARE(found.join(u' '), QStringLiteral("1 1 0 0"));
        const QString x = QStringLiteral("LABORATORY..Lab_GetResultFromTable  'X','LR26-0014'");
        QVERIFY(c_->Execute(x)->rows()[0][2].isDate());
        const QStringList got = fetch(*c_, x).value(0);
        QCOMPARE(got, QStringList({"LR26-0014", "HP26-0187", "2026-12-05 15:30:00",
                                   "Received in formalin is a gallbladder measuring 8.0 x 3.0 x "
                                   "2.5 cm. The serosa is smooth and tan. The wall measures 0.4 "
                                   "cm in thickness. The lumen contains multiple yellow-green "
                                   "faceted stones, the largest 1.2 cm across.",
                                   "Chronic cholecystitis with cholelithiasis.", ""}));
    }

    void technologists() {
        c_->Execute(QStringLiteral("insert into LABORATORY..tbLabMedTech (MedTechID, lastname, "
                                   "firstname, middlename, LicenseNo) values "
                                   "('MT08','O''NEAL','LUCIA','NUÑEZ','0065120')"));
        VERIFY_TRANSCRIPT(QStringLiteral("db/expected/technologists.txt"),
                          [&](const QString& statement) {
                              const auto rs = c_->Execute(statement);
                              QStringList got;
                              for (const auto& row : rs->rows())
                                  got << shown(row[0]);
                              if (rs->columnNames().join(u',') !=
                                  QLatin1String("MedTechID,lastname,firstname,middlename"))
                                  got << QStringLiteral("columns ") + rs->columnNames().join(u',');
                              return got.join(u' ');
                          });
        const auto quoted = c_->Execute(QStringLiteral("sp_listsearchmedtech 0,'MT08'"));
        QCOMPARE(shown(quoted->rows().at(0)[1]), QStringLiteral("O'NEAL"));
    }

    void refused_data() {
        // description: part of it; untouched: what must still count 0
        addColumns<QString, QString, QString>("statement", "description", "untouched");
        const QString verified = QStringLiteral(
            "laboratory..tblablogbook where Verified = 1 and RequestNum = 'LR26-0001'");
        const QString codes = QStringLiteral("laboratory..tbLabResultHCodes where RequestNum = "
                                             "'LR26-0003'");
        const QString entry =
            QStringLiteral("laboratory..tbLabResultEntry where LabNum = 'LR26-0003'");
        const QStringList widal = widalEntry("12/1/2026 9:40:00 AM", "12/6/2026");
        addRows<QString, const char*, QString>({
            {"unknown procedure, current database", "sp_listsearchmedtechs 0,'MT01'",
             "Could not find stored procedure 'sp_listsearchmedtechs'.", verified},
            {"19 values for LAB_SaveResultEntry", saveResultEntry(widal + QStringList{"MT02"}),
             "Procedure or function 'LAB_SaveResultEntry' has too many arguments specified (19 "
             "given, at most 18).",
             entry},
            {"no coded value", "laboratory..lab_save_hcodes 0,'LR26-0003'",
             "Procedure or function 'lab_save_hcodes' expects parameter number 3, which was not "
             "supplied.",
             codes},
            {"34 coded values", singleTextCodes(0, "LR26-0003", repeated(33, "X"), 0, "Remarks"),
             "lab_save_hcodes", codes},
        });
    }
    void refused() {
        QFETCH(QString, statement);
        QFETCH(QString, description);
        QFETCH(QString, untouched);
        const Raised r = raised([&] { c_->Execute(statement); });
        QCOMPARE(r.number, -2147217900);
        QVERIFY2(r.description.contains(description, Qt::CaseInsensitive) &&
                     !r.description.isEmpty(),
                 qPrintable(r.description));
        QCOMPARE(count(*c_, untouched), 0);
    }

    void statementRunsWholeOrNotAtAll() {
        const Raised twoRows = raised([&] {
            c_->Execute(
                QStringLiteral("insert into laboratory..tblablogbook (RequestNum, HospNum) values "
                               "('LR26-0100','100231'), ('LR26-0001','100231')"));
        });
        QCOMPARE(twoRows.number, -2147217900);
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tblablogbook")), 17);

        // The first date converts, the second does not: the call leaves
        // nothing, neither a new row nor a change to the stored one.
        const QString registered =
            QStringLiteral("select * from laboratory..tbLabResultEntry where LabNum = 'LR26-0009'");
        QStringList fbs = widalEntry("12/3/2026 6:30:00 AM", "12/6/2026");
        fbs[2] = fbs[13] = QStringLiteral("101");
        fbs[15] = QStringLiteral("LR26-0009");
        c_->Execute(saveResultEntry(fbs));
        QStringList later = fbs;
        later[6] = QStringLiteral("12/32/2026");
        for (const QStringList& bad : {widalEntry("12/1/2026 9:40:00 AM", "12/32/2026"), later})
            QCOMPARE(raised([&] { c_->Execute(saveResultEntry(bad)); }).number, -2147217900);
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabResultEntry")), 5);
        QCOMPARE(columns(*c_, registered, {"TransDate", "ResultDate"}),
                 QStringList({"2026-12-03 06:30:00", "2026-12-06 00:00:00"}));

        // Whatever the failed call began is over: the next statements are
        // committed on their own, as another connection sees.
        c_->Execute(saveResultEntry(widalEntry("12/1/2026 9:40:00 AM", "12/6/2026")));
        fbs[6] = QStringLiteral("12/7/2026");
        c_->Execute(saveResultEntry(fbs));
        c_->Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0003','MT02'"));
        auto other = db_->open();
        QCOMPARE(count(*other, QStringLiteral("laboratory..tbLabResultEntry")), 6);
        QCOMPARE(columns(*other, registered, {"ResultDate"}), QStringList({"2026-12-07 00:00:00"}));
        QCOMPARE(count(*other, QStringLiteral("laboratory..tblablogbook where Verified = 1")), 6);
    }

    // One connection sends a call, then a shorter one: the values of the
    // first do not reach the second.
    void argumentsDoNotCarryOver() {
        QCOMPARE(fetch(*c_, QStringLiteral("LABORATORY..lab_listlogbook 1")).size(), 17);
        QCOMPARE(fetch(*c_, QStringLiteral("LABORATORY..lab_listlogbook")).size(), 12);

        c_->Execute(papSmearCodes(0, "LR26-0006", "CY26-0413", repeated(25, "1"),
                                  split("x|y|0/30/70|11/20/2026|12/6/2026|10:30:00 AM"),
                                  "First sample."));
        const QStringList boxes = split("BROWN, SOFT|NEGATIVE|NORMAL|NONE|NEGATIVE|NEGATIVE|NONE "
                                        "SEEN|NONE SEEN|NONE SEEN|NO TROPHOZOITES SEEN");
        c_->Execute(singleTextCodes(1, "LR26-0006", boxes, 11, "Second sample."));
        QCOMPARE(fetch(*c_, QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0006'"))
                     .first()
                     .mid(1),
                 boxes + repeated(9, "") + QStringList{"Second sample."} + repeated(2, "") +
                     repeated(11, NUL));
    }

    void failedCallInsideATransaction() {
        c_->BeginTrans();
        c_->Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0003','MT02'"));
        QCOMPARE(raised([&] {
                     c_->Execute(saveResultEntry(widalEntry("12/1/2026 9:40:00 AM", "12/32/2026")));
                 }).number,
                 -2147217900);
        const QString onlyRollback = QStringLiteral(
            "A statement of this transaction failed; the transaction can only be rolled back.");
        const QString codes = singleTextCodes(0, "LR26-0003", {"1:160"}, 20, "Remarks");
        QCOMPARE(raised([&] { c_->Execute(codes); }).description, onlyRollback);
        QCOMPARE(raised([&] { c_->CommitTrans(); }).description, onlyRollback);
        QCOMPARE(raised([&] { c_->CommitTrans(); }).description,
                 QStringLiteral("No transaction is open on this connection."));
        auto other = db_->open();
        QCOMPARE(count(*other, QStringLiteral("laboratory..tblablogbook where Verified = 1")), 5);
        QCOMPARE(count(*other, QStringLiteral("laboratory..tbLabResultHCodes")), 3);
        c_->Execute(codes);
        QCOMPARE(count(*other, QStringLiteral("laboratory..tbLabResultHCodes")), 4);
    }
};

QTEST_GUILESS_MAIN(TestDbContract)
#include "tst_db_contract.moc"
