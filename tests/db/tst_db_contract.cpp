// The statements the result forms send, with the texts and argument orders
// the forms write, against the laboratory database of each backend: what
// they store and what they read back.

#include "platform/ado/recordset.h"
#include "platform/runtime/datetime.h"
#include "support/database.h"
#include "support/errors.h"

#include <QTest>

using ado::Recordset;
using Slots = QMap<QString, QString>;

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

// "Now" as the database writes it: local time, to the second.
bool isNow(const QString& value) {
    const QDateTime t = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return t.isValid() && qAbs(t.secsTo(QDateTime::currentDateTime())) < 300;
}

QStringList repeated(int count, const QString& value) {
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << value;
    return out;
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
    Recordset rs;
    rs.Open(QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") + labNum +
                QStringLiteral("'"),
            c, 2, 1, -1);
    if (!rs.eof())
        c.Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults '") + labNum +
                  QStringLiteral("','") + employee + QStringLiteral("'"));
    rs.Close();
}

QString saveResultEntry(const QStringList& values) {
    return QStringLiteral("laboratory..LAB_SaveResultEntry '") +
           values.join(QStringLiteral("','")) + QStringLiteral("'");
}

// Fecalysis, Widal and Weil-Felix: the boxes, empty values, the remarks.
QString singleTextCodes(int mode, const QString& labNum, const QStringList& boxes, int empties,
                        const QString& remarks) {
    return QStringLiteral("laboratory..lab_save_hcodes %1,'").arg(mode) + labNum +
           QStringLiteral("','") + boxes.join(QStringLiteral("','")) +
           QStringLiteral("','").repeated(empties + 1) + remarks + QStringLiteral("'");
}

QString stoolCodes(int mode, const QString& labNum, const QStringList& findings,
                   const QString& interpretation, const QString& date, const QString& time,
                   const QString& remarks) {
    QString s = QStringLiteral("Laboratory..Lab_Save_HCodes %1, '").arg(mode) + labNum +
                QStringLiteral("','");
    for (const QString& f : findings)
        s += f + QStringLiteral("', '");
    return s + QStringLiteral("','") + interpretation + QStringLiteral("','") + date +
           QStringLiteral("','") + time + QStringLiteral("','','','','','','','','','','','") +
           remarks + QStringLiteral("'");
}

QString papSmearCodes(int mode, const QString& labNum, const QString& cytology,
                      const QStringList& codes, const QStringList& tail, const QString& remarks) {
    // tail: others, non-epithelial neoplasm, M.I., L.M.P., date, time
    QString s = QStringLiteral("Laboratory..Lab_Save_HCodes %1, '").arg(mode) + labNum +
                QStringLiteral("', '") + cytology + QStringLiteral("','");
    for (const QString& code : codes)
        s += code + QStringLiteral("', '");
    return s + tail[0] + QStringLiteral("', '") + tail[1] + QStringLiteral("','") + tail[2] +
           QStringLiteral("', '") + tail[3] + QStringLiteral("','") + tail[4] +
           QStringLiteral("', '") + tail[5] + QStringLiteral("', '") + remarks +
           QStringLiteral("'");
}

QString urinalysisCodes(int mode, const QString& labNum, const QStringList& texts,
                        const QStringList& coded, const QString& date, const QString& time,
                        const QString& remarks) {
    QString s = QStringLiteral("Laboratory..Lab_Save_HCodes %1, '").arg(mode) + labNum +
                QStringLiteral("','");
    for (const QString& t : texts + coded)
        s += t + QStringLiteral("', '");
    return s + QStringLiteral("','") + date + QStringLiteral("','") + time +
           QStringLiteral("', '") + remarks + QStringLiteral("'");
}

// The exam form's 24 common arguments.
QStringList common(const QString& request, const QString& exam, const QString& formType,
                   const QStringList& values, const QString& remarks, const QString& layout) {
    // values: A1 A2 A3 A4 A5 B1 B2 B3 B4 C1 C2 E1 E2 H1..H6 (19)
    return QStringList{request, exam, formType} + values + QStringList{remarks, layout};
}

QString flaggedEntries(const QStringList& common, const QString& f1) {
    return QStringLiteral("laboratory..LAB_Save_SpecsResultEntries '") +
           common.join(QStringLiteral("','")) + QStringLiteral("','") + f1 + QStringLiteral("',2");
}

QString editEntries(const QStringList& common, const QString& a5, const QStringList& g) {
    // g: G1 G2 G3 G4 G5
    return QStringLiteral("LABORATORY..LAB_Save_EditResultEntries '") +
           common.join(QStringLiteral("','")) + QStringLiteral("','") + g[0] +
           QStringLiteral("','") + a5 + QStringLiteral("','") + g[0] + QStringLiteral("','") +
           g[1] + QStringLiteral("','") + g[2] + QStringLiteral("', '") + g[3] +
           QStringLiteral("','") + g[4] + QStringLiteral("'");
}

const QStringList resultValueColumns{
    "FormType", "LayoutIndex", "A1", "A2", "A3", "A4", "A5", "B1",      "B2",      "B3",
    "B4",       "C1",          "C2", "E1", "E2", "H1", "H2", "H3",      "H4",      "H5",
    "H6",       "F1",          "G1", "G2", "G3", "G4", "G5", "Remarks", "SaveFlag"};

const QStringList entryColumns{"HospNum",    "IDNum",      "LabExamID",   "SectionID", "RoomID",
                               "TransDate",  "ResultDate", "DoctorID",    "FormType",  "ResultFlag",
                               "EmployeeID", "Amount",     "PatientType", "ItemID",    "RefNum",
                               "LabNum",     "Switch",     "MedTechID"};

// A Widal registration, as the form sends it, with the two dates given.
QStringList widalEntry(const QString& transDate, const QString& resultDate) {
    return {"100252",   "IPD26-00871", "96",        "SE",        "312-A", transDate,
            resultDate, "D101",        "H",         "0",         "MT02",  "280",
            "I",        "96",          "CH-260466", "LR26-0003", "1",     "MT02"};
}

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

    void reads_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value"); // empty: no row

        QTest::newRow("hospital heading, title") << "select * from patient_data..tbHospitalInfo"
                                                 << "Title"
                                                 << "MARIVEL MEMORIAL HOSPITAL";
        QTest::newRow("hospital heading, company") << "select * from patient_data..tbHospitalInfo"
                                                   << "Company"
                                                   << "MARIVEL HEALTH SERVICES CORPORATION";
        QTest::newRow("hospital heading, address")
            << "select * from patient_data..tbHospitalInfo"
            << "address1"
            << "27 Kalachuchi Road, Barangay Bagong Silang, San Teodoro City";
        QTest::newRow("log book") << "select * from laboratory..tblablogbook where requestnum = "
                                     "'LR26-0003'"
                                  << "Remarks"
                                  << "Febrile for 5 days";
        QTest::newRow("log book, key in lower case")
            << "select * from laboratory..tblablogbook where requestnum = 'lr26-0008'"
            << "RoomID"
            << "408-A";
        QTest::newRow("log book, no row")
            << "select * from laboratory..tblablogbook where requestnum = 'LR26-0099'"
            << "RequestNum"
            << "";
        QTest::newRow("result date")
            << "Select Resultdate From Laboratory..tbLabLogbook where RequestNum = 'LR26-0002'"
            << "ResultDate"
            << "2026-12-01 11:05:00";
        QTest::newRow("result date, pending")
            << "Select Resultdate From Laboratory..tbLabLogbook where RequestNum = 'LR26-0009'"
            << "ResultDate"
            << "2026-12-03 06:30:00";
        QTest::newRow("coded row") << "select * from laboratory..tblabresulthcodes where "
                                      "requestnum ='LR26-0002'"
                                   << "Result7"
                                   << "ASCARIS OVA 1-2/LPF";
        QTest::newRow("coded row, none")
            << "select * from laboratory..tblabresulthcodes where requestnum ='LR26-0003'"
            << "Result1"
            << "";
        QTest::newRow("coded row as table source")
            << "Laboratory..tbLabResultHCodes where RequestNum = 'LR26-0005'"
            << "result20"
            << "OX19 titer significant. Correlate clinically.";
        QTest::newRow("coded row as table source, none")
            << "Laboratory..tbLabResultHCodes where RequestNum = 'LR26-0006'"
            << "Result1"
            << "";
        QTest::newRow("coded results procedure")
            << "laboratory..lab_getresulthcodes 'LR26-0007'"
            << "Result21"
            << "LIGHT TRICHURIASIS, ENTAMOEBA COLI CYST (NON-PATHOGENIC)";
        QTest::newRow("coded results procedure, upper case")
            << "LABORATORY..lab_getresulthcodes 'LR26-0005'"
            << "Result3"
            << "1:320";
        QTest::newRow("coded results procedure, none")
            << "LABORATORY..lab_getresulthcodes 'LR26-0001'"
            << "Result1"
            << "";
        QTest::newRow("prompt lines")
            << "select promptdata from build_file..tbcolabvalues where code = '302'"
            << "promptdata"
            << "NS1 Antigen\nDengue IgG\nDengue IgM\n";
        QTest::newRow("prompt lines, no code")
            << "select promptdata from build_file..tbcolabvalues where code = 'POSITIVE'"
            << "promptdata"
            << "";
        QTest::newRow("histopathology row")
            << "select * From Laboratory..tbLabResultHistoCytology where RequestNum = 'LR26-0014'"
            << "FinalDiagnosis"
            << "Chronic cholecystitis with cholelithiasis.";
        QTest::newRow("histopathology row, none")
            << "select * From Laboratory..tbLabResultHistoCytology where RequestNum = 'LR26-0008'"
            << "HistopathNum"
            << "";
    }
    void reads() {
        QFETCH(QString, source);
        QFETCH(QString, column);
        QFETCH(QString, value);
        const QStringList got = columns(*c_, source, {column});
        QCOMPARE(got, value.isEmpty() ? QStringList() : QStringList{value});
    }

    void codedResultsReadByOrdinal() {
        Recordset rs;
        rs.setCursorLocation(ado::adUseClient);
        rs.Open(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0007'"), *c_, 2, 1, -1);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.FieldCount(), 34);
        QCOMPARE(shown(rs.Fields(0).Value), QStringLiteral("LR26-0007"));
        QCOMPARE(shown(rs.Fields(18).Value), QStringLiteral("NONE SEEN"));
        QCOMPARE(shown(rs.Fields(20).Value), QStringLiteral("Repeat after treatment."));
        QCOMPARE(shown(rs.Fields(QStringLiteral("result20")).Value),
                 QStringLiteral("Repeat after treatment."));
        QCOMPARE(shown(rs.Fields(22).Value), QStringLiteral("12/2/2026"));
        QCOMPARE(shown(rs.Fields(33).Value), QStringLiteral(""));
        QCOMPARE(raised([&] { rs.Fields(34); }).number, 3265);
        rs.Close();

        Recordset none;
        none.setCursorLocation(ado::adUseClient);
        none.Open(QStringLiteral("LABORATORY..lab_getresulthcodes 'LR26-0004'"), *c_, 2, 1, -1);
        QCOMPARE(none.State(), int32_t(ado::adStateOpen));
        QCOMPARE(none.RecordCount(), 0);
        QCOMPARE(none.FieldCount(), 34);
    }

    void verification_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<bool>("inLogBook");
        QTest::addColumn<QString>("resultDate"); // "now" for the first verification

        QTest::newRow("pending request") << "LR26-0001" << true << "now";
        QTest::newRow("verified again keeps the result date")
            << "LR26-0002" << true << "2026-12-01 11:05:00";
        QTest::newRow("request number in lower case") << "lr26-0003" << true << "now";
        QTest::newRow("not in the log book") << "LR26-0099" << false << "";
    }
    void verification() {
        QFETCH(QString, request);
        QFETCH(bool, inLogBook);
        QFETCH(QString, resultDate);
        handOver(*c_, request, QStringLiteral("MT05"));
        // The procedure alone, as a form would send it without looking first.
        c_->Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults '") + request +
                    QStringLiteral("','MT05'"));
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tblablogbook")), 14);
        const QStringList got =
            columns(*c_,
                    QStringLiteral("select * from laboratory..tblablogbook where requestnum = '") +
                        request + QStringLiteral("'"),
                    {"Verified", "VerifiedBy", "VerifiedDate", "ResultDate"});
        if (!inLogBook) {
            QCOMPARE(got, QStringList());
            return;
        }
        QCOMPARE(got.mid(0, 2), QStringList({"1", "MT05"}));
        QVERIFY2(isNow(got[2]), qPrintable(got[2]));
        if (resultDate == QLatin1String("now"))
            QVERIFY2(isNow(got[3]), qPrintable(got[3]));
        else
            QCOMPARE(got[3], resultDate);
    }

    void resultEntry_data() {
        QTest::addColumn<QString>("transDate");
        QTest::addColumn<QString>("resultDate");
        QTest::addColumn<QString>("storedTrans");
        QTest::addColumn<QString>("storedResult");

        QTest::newRow("date and long time") << "12/1/2026 9:40:00 AM"
                                            << "12/6/2026"
                                            << "2026-12-01 09:40:00"
                                            << "2026-12-06 00:00:00";
        QTest::newRow("padded, afternoon") << "12/01/2026 09:40 PM"
                                           << "12/06/2026 12:05 AM"
                                           << "2026-12-01 21:40:00"
                                           << "2026-12-06 00:05:00";
        QTest::newRow("noon, ISO") << "12/1/2026 12:15:30 PM"
                                   << "2026-12-06 14:00:00"
                                   << "2026-12-01 12:15:30"
                                   << "2026-12-06 14:00:00";
        QTest::newRow("no result date") << "12/1/2026 9:40:00 AM"
                                        << ""
                                        << "2026-12-01 09:40:00" << NUL;
    }
    void resultEntry() {
        QFETCH(QString, transDate);
        QFETCH(QString, resultDate);
        QFETCH(QString, storedTrans);
        QFETCH(QString, storedResult);
        c_->Execute(saveResultEntry(widalEntry(transDate, resultDate)));
        QStringList expected = widalEntry(storedTrans, storedResult);
        const QString where =
            QStringLiteral("select * from laboratory..tbLabResultEntry where LabNum = 'LR26-0003'");
        QCOMPARE(columns(*c_, where, entryColumns), expected);
        QCOMPARE(columns(*c_, where, {"UpdateDate"}), QStringList{NUL});
        QVERIFY(isNow(columns(*c_, where, {"EntryDate"}).first()));
    }

    void resultEntryAgainReplacesTheRow() {
        c_->Execute(saveResultEntry(widalEntry("12/1/2026 9:40:00 AM", "12/6/2026")));
        QStringList again = widalEntry("12/1/2026 9:40:00 AM", "12/7/2026");
        again[4] = QStringLiteral("314-B"); // moved to another room
        again[17] = QStringLiteral("MT06");
        c_->Execute(saveResultEntry(again));
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabResultEntry where LabNum = "
                                           "'LR26-0003'")),
                 1);
        const QString where =
            QStringLiteral("select * from laboratory..tbLabResultEntry where LabNum = 'LR26-0003'");
        QCOMPARE(columns(*c_, where, {"RoomID", "ResultDate", "MedTechID"}),
                 QStringList({"314-B", "2026-12-07 00:00:00", "MT06"}));
        QVERIFY(isNow(columns(*c_, where, {"UpdateDate"}).first()));
    }

    void codedResults_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QStringList>("expected"); // Result1..Result33; empty: no row
        QTest::addColumn<bool>("replaced");

        const QStringList fecalysis{
            "YELLOW, SOFT", "NEGATIVE",  "NORMAL",    "NONE",      "NEGATIVE",
            "NEGATIVE",     "NONE SEEN", "NONE SEEN", "NONE SEEN", "NO TROPHOZOITES SEEN"};
        QTest::newRow("fecalysis, 21 values, mode 1, key in lower case")
            << singleTextCodes(1, "lr26-0002", fecalysis, 11, "Repeat exam after deworming.")
            << "LR26-0002"
            << fecalysis + repeated(9, "") + QStringList{"Repeat exam after deworming."} +
                   repeated(2, "") + repeated(11, NUL)
            << true;

        const QStringList widal{"1:160", "1:80", "1:40", "1:20", "1:320", "1:160", "1:80", "1:40"};
        QTest::newRow("Widal, 21 values, mode 0, quote in the remarks")
            << singleTextCodes(0, "LR26-0003", widal, 13,
                               "Suggestive of typhoid fever; patient''s second sample.")
            << "LR26-0003"
            << widal + repeated(11, "") +
                   QStringList{"Suggestive of typhoid fever; patient's second sample."} +
                   repeated(2, "") + repeated(11, NUL)
            << false;

        const QStringList weilFelix{"1:40", "1:80", "1:320"};
        QTest::newRow("Weil-Felix, 21 values, mode 1 replaces")
            << singleTextCodes(1, "LR26-0005", weilFelix, 18, "Rising OX19 titer.") << "LR26-0005"
            << weilFelix + repeated(16, "") + QStringList{"Rising OX19 titer."} + repeated(2, "") +
                   repeated(11, NUL)
            << true;

        const QStringList findings{
            "BROWN",     "FORMED",    "NEGATIVE", "NONE",      "NONE",
            "0-1/HPF",   "RARE",      "NONE",     "NONE SEEN", "ASCARIS OVA 2-4/LPF",
            "NONE SEEN", "NONE SEEN", "NONE",     "NONE SEEN", "NONE SEEN",
            "NONE SEEN", "NONE SEEN", "NONE SEEN"};
        QTest::newRow("stool, 32 values, mode 0")
            << stoolCodes(0, "LR26-0006", findings, "MODERATE ASCARIASIS", "12/6/2026",
                          "09:15:00 AM", "Repeat after treatment.")
            << "LR26-0006"
            << findings +
                   QStringList{"", "Repeat after treatment.", "MODERATE ASCARIASIS", "12/6/2026",
                               "09:15:00 AM"} +
                   repeated(10, "")
            << false;

        const QStringList codes{"0", "",  "1", "0", "2", "",  "0", "0", "1", "",  "0", "0", "0",
                                "",  "0", "1", "1", "0", "0", "0", "0", "1", "0", "0", "0"};
        QTest::newRow("Pap smear, 32 values, mode 0")
            << papSmearCodes(0, "LR26-0004", "CY26-0412", codes,
                             {"", "", "0/30/70", "11/20/2026", "12/6/2026", "10:30:00 AM"},
                             "Repeat smear in 12 months.")
            << "LR26-0004"
            << QStringList{"CY26-0412"} + codes.mid(0, 18) +
                   QStringList{"Repeat smear in 12 months."} + codes.mid(18) +
                   QStringList{"", "", "0/30/70", "11/20/2026", "12/6/2026", "10:30:00 AM"}
            << false;

        const QStringList texts{"YELLOW",  "CLEAR",   "1.020", "6.0",  "NEGATIVE", "NEGATIVE",
                                "0-2/HPF", "0-1/HPF", "FEW",   "NONE", "RARE",     "NONE",
                                "NONE",    "NONE",    "NONE",  "NONE", ""};
        const QStringList coded{"Negative", "Negative", "Trace",    "Negative",
                                "Negative", "Negative", "Normal",   "Negative",
                                "Negative", "Negative", "Negative", "Negative"};
        QTest::newRow("coded urinalysis, 32 values, mode 1 without a row")
            << urinalysisCodes(1, "LR26-0001", texts, coded, "12/6/2026", "11:05:00 AM",
                               "Midstream clean-catch sample.")
            << "LR26-0001"
            << texts + coded.mid(0, 2) + QStringList{"Midstream clean-catch sample."} +
                   coded.mid(2) + QStringList{"", "12/6/2026", "11:05:00 AM"}
            << false;

        QTest::newRow("mode 2 stores nothing")
            << singleTextCodes(2, "LR26-0003", widal, 13, "Not saved.") << "LR26-0003"
            << QStringList() << false;
    }
    void codedResults() {
        QFETCH(QString, statement);
        QFETCH(QString, request);
        QFETCH(QStringList, expected);
        QFETCH(bool, replaced);
        QCOMPARE(expected.size() % 33, 0);

        // The save sequence of the coded forms: look the row up, then write it.
        Recordset existing;
        existing.Open(QStringLiteral("Laboratory..tbLabResultHCodes where RequestNum = '") +
                          request + QStringLiteral("'"),
                      *c_, 2, 3, -1);
        QCOMPARE(existing.eof(), !replaced);
        c_->Execute(statement);
        existing.Close();

        const QString key = QStringLiteral("'") + request + QStringLiteral("'");
        QCOMPARE(
            count(*c_, QStringLiteral("laboratory..tblabresulthcodes where requestnum = ") + key),
            expected.isEmpty() ? 0 : 1);
        const QList<QStringList> direct = fetch(
            *c_,
            QStringLiteral("select * from laboratory..tblabresulthcodes where requestnum =") + key);
        const QList<QStringList> source =
            fetch(*c_, QStringLiteral("Laboratory..tbLabResultHCodes where RequestNum = ") + key);
        const QList<QStringList> procedure =
            fetch(*c_, QStringLiteral("laboratory..lab_getresulthcodes ") + key);
        if (expected.isEmpty()) {
            QVERIFY(direct.isEmpty() && source.isEmpty() && procedure.isEmpty());
            return;
        }
        QCOMPARE(direct.first().mid(1, 33), expected);
        QCOMPARE(source.first(), direct.first());
        QCOMPARE(procedure.first(), direct.first().mid(0, 34));
        const QString updated = direct.first().last();
        QVERIFY2(replaced ? isNow(updated) : updated == NUL, qPrintable(updated));
    }

    void examForm_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("exam");
        QTest::addColumn<Slots>("stored"); // columns not named are Null

        // Slots the layout does not fill still hold the previous exam's values.
        QTest::newRow("specimen layout, form type 6")
            << flaggedEntries(
                   common("LR26-0011", "501", "6",
                          {"0", "0", "mg/dL", "0", "GRAM-POSITIVE COCCI IN CLUSTERS", "", "", "",
                           "SPUTUM", "0", "0", "50 ng/mL", "POSITIVE", "", "", "", "", "", ""},
                          "Good quality specimen; patient''s first sample", "4"),
                   "Y")
            << "LR26-0011"
            << "501"
            << Slots{{"FormType", "6"},
                     {"LayoutIndex", "4"},
                     {"A5", "GRAM-POSITIVE COCCI IN CLUSTERS"},
                     {"B4", "SPUTUM"},
                     {"F1", "Y"},
                     {"Remarks", "Good quality specimen; patient's first sample"},
                     {"SaveFlag", "2"}};
        QTest::newRow("conventional and SI")
            << editEntries(common("LR26-0009", "101", "1",
                                  {"70", "110", "mg/dL", "0", "NEGATIVE", "", "", "", "SPUTUM",
                                   "95", "5.27", "", "", "", "", "", "", "", ""},
                                  "Fasting since 10 PM", "5"),
                           "NEGATIVE", {"NEGATIVE", "", "3.89", "6.1", "mmol/L"})
            << "LR26-0009"
            << "101"
            << Slots{{"FormType", "1"},
                     {"LayoutIndex", "5"},
                     {"A1", "70"},
                     {"A2", "110"},
                     {"A3", "mg/dL"},
                     {"C1", "95"},
                     {"C2", "5.27"},
                     {"G3", "3.89"},
                     {"G4", "6.1"},
                     {"G5", "mmol/L"},
                     {"Remarks", "Fasting since 10 PM"}};
        QTest::newRow("normal values")
            << editEntries(common("LR26-0009", "105", "0",
                                  {"3.5", "5.1", "mmol/L", "4.2", "NEGATIVE", "", "", "", "", "95",
                                   "5.27", "", "", "", "", "", "", "", ""},
                                  "", "0"),
                           "NEGATIVE", {"NEGATIVE", "", "3.89", "6.1", "mmol/L"})
            << "LR26-0009"
            << "105"
            << Slots{{"FormType", "0"}, {"LayoutIndex", "0"}, {"A1", "3.5"},  {"A2", "5.1"},
                     {"A3", "mmol/L"},  {"A4", "4.2"},        {"Remarks", ""}};
        QTest::newRow("text normal value")
            << editEntries(common("LR26-0011", "311", "5",
                                  {"0", "0", "", "0", "NONREACTIVE", "", "", "", "", "0", "0", "",
                                   "", "", "", "", "", "", ""},
                                  "", "0"),
                           "NONREACTIVE", {"NONREACTIVE", "", "0", "0", ""})
            << "LR26-0011"
            << "311" << Slots{{"FormType", "5"},
                              {"LayoutIndex", "0"},
                              {"A1", "0"},
                              {"A2", "0"},
                              {"A3", ""},
                              {"A4", "0"},
                              {"A5", "NONREACTIVE"},
                              {"G1", "NONREACTIVE"},
                              {"Remarks", ""}};
        QTest::newRow("histopathology layout")
            << editEntries(common("LR26-0013", "411", "Z",
                                  {"0", "0", "", "0", "", "", "", "", "", "0", "0", "", "",
                                   "FNA26-0033", "THYROID, RIGHT LOBE", "", "",
                                   "Smears show colloid and benign follicular cells.",
                                   "BENIGN FOLLICULAR NODULE"},
                                  "", "7"),
                           "", {"", "", "0", "0", ""})
            << "LR26-0013"
            << "411"
            << Slots{{"FormType", "Z"},
                     {"LayoutIndex", "7"},
                     {"H1", "FNA26-0033"},
                     {"H2", "THYROID, RIGHT LOBE"},
                     {"H3", ""},
                     {"H4", ""},
                     {"H5", "Smears show colloid and benign follicular cells."},
                     {"H6", "BENIGN FOLLICULAR NODULE"},
                     {"Remarks", ""}};
        QTest::newRow("an edit replaces the stored row")
            << editEntries(common("LR26-0012", "130", "7",
                                  {"0", "0", "g/L", "0", "131", "", "", "", "", "0", "0", "", "",
                                   "", "", "", "", "", ""},
                                  "Repeat sample", "8"),
                           "131", {"120 - 160", "", "0", "0", ""})
            << "LR26-0012"
            << "130"
            << Slots{{"FormType", "7"}, {"LayoutIndex", "8"}, {"A3", "g/L"},
                     {"A5", "131"},     {"G1", "120 - 160"},  {"Remarks", "Repeat sample"}};
    }
    void examForm() {
        QFETCH(QString, statement);
        QFETCH(QString, request);
        QFETCH(QString, exam);
        QFETCH(Slots, stored);
        handOver(*c_, request, QStringLiteral("MT03"));
        c_->Execute(statement);
        const QString row =
            QStringLiteral("laboratory..tbLabResultValues where RequestNum = '%1' and "
                           "LabExamID = '%2'")
                .arg(request, exam);
        QCOMPARE(count(*c_, row), 1);
        const QStringList got =
            columns(*c_, QStringLiteral("select * from ") + row, resultValueColumns);
        QStringList named, expected;
        for (int i = 0; i < resultValueColumns.size(); ++i) {
            named << resultValueColumns[i] + QLatin1Char('=') + got.value(i);
            expected << resultValueColumns[i] + QLatin1Char('=') +
                            stored.value(resultValueColumns[i], NUL);
        }
        QCOMPARE(named, expected);
    }

    void profile() {
        QStringList slotValues{"|3.5||5.1||4.2||mmol/L||L||POTASSIUM||3.5||5.1|",
                               "|135||145||139||mmol/L||N||SODIUM||135||145|",
                               "|98||107||101||mmol/L||N||CHLORIDE||98||107|"};
        slotValues += repeated(15, "");
        const QString statement =
            QStringLiteral("LABORATORY..LAB_Save_EditProfileResultEntries '") +
            QStringLiteral("LR26-0009") + QStringLiteral("','") + QStringLiteral("105") +
            QStringLiteral("','") + slotValues.join(QStringLiteral("','")) + QStringLiteral("','") +
            QStringLiteral("Fasting since 10 PM") + QStringLiteral("'");
        handOver(*c_, QStringLiteral("LR26-0009"), QStringLiteral("MT03"));
        c_->Execute(statement);
        QStringList names;
        for (int i = 0; i < 18; ++i)
            names << QStringLiteral("Slot%1").arg(i);
        const QString row = QStringLiteral(
            "select * from laboratory..tbLabProfileResult where RequestNum = 'LR26-0009'");
        const QStringList stored = slotValues + QStringList{"105", "Fasting since 10 PM"};
        QCOMPARE(columns(*c_, row, names + QStringList{"ProfileExamID", "Remarks"}), stored);

        slotValues[0] = QStringLiteral("|3.5||5.1||5.8||mmol/L||H||POTASSIUM||3.5||5.1|");
        QString again = statement;
        again.replace(QStringLiteral("||4.2||"), QStringLiteral("||5.8||"))
            .replace(QStringLiteral("||L||"), QStringLiteral("||H||"));
        c_->Execute(again);
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabProfileResult")), 1);
        QCOMPARE(columns(*c_, row, {"Slot0", "Slot1"}), slotValues.mid(0, 2));
    }

    void printSpool() {
        const QStringList lines{
            "Name      : BALDOVINO, TERESITA MANALAC                     Admission # : OPD26-04512"
            "   Age : 47",
            "Hosp. No. : 100231                                    Room No. : OPD         Sex : "
            "Female",
            "Physician : Dr. CELESTINO LIWANAG                         Date Reported: 12/6/2026 "
            "11:05:00 AM",
            "                                                          Date Received: 12/1/2026 "
            "8:10:00 AM",
            "ROUTINE URINALYSIS",
            "",
            "PHYSICAL:                                                 CHEMICAL: ",
            "   Color            : YELLOW                                 Sugar   : NEGATIVE  ",
            "Remarks : Midstream clean-catch; patient`s second sample",
        };
        c_->Execute(QStringLiteral(
            "insert into LABORATORY..tbLabPrint (RowNum, RowLine) values ('1','left over')"));
        c_->Execute(QStringLiteral("truncate table LABORATORY..tbLabPrint"));
        for (const QString& line : lines)
            c_->Execute(
                QStringLiteral("insert into LABORATORY..tbLabPrint (RowNum, RowLine) values ('") +
                QString::number(1) + QStringLiteral("','") + line + QStringLiteral("')"));
        const QList<QStringList> rows = fetch(
            *c_,
            QStringLiteral("select RowNum, RowLine from laboratory..tbLabPrint order by SeqNo"));
        QStringList rowNums, got;
        for (const QStringList& r : rows) {
            rowNums << r[0];
            got << r[1];
        }
        QCOMPARE(got, lines);
        QCOMPARE(rowNums, repeated(int(lines.size()), "1"));
    }

    void histopathologyRead_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("row");
        const QStringList stored{
            "LR26-0014",
            "HP26-0187",
            "2026-12-05 15:30:00",
            "Received in formalin is a gallbladder measuring 8.0 x 3.0 x 2.5 cm. The serosa is "
            "smooth and tan. The wall measures 0.4 cm in thickness. The lumen contains multiple "
            "yellow-green faceted stones, the largest 1.2 cm across.",
            "Chronic cholecystitis with cholelithiasis.",
            ""};
        QTest::newRow("histopathology")
            << "LABORATORY..Lab_GetResultFromTable  'X','LR26-0014'" << stored;
        QTest::newRow("cytology form type")
            << "LABORATORY..Lab_GetResultFromTable  'Z','LR26-0014'" << stored;
        QTest::newRow("other form type")
            << "LABORATORY..Lab_GetResultFromTable  'H','LR26-0014'" << QStringList();
        QTest::newRow("no report yet")
            << "LABORATORY..Lab_GetResultFromTable  'X','LR26-0008'" << QStringList();
    }
    void histopathologyRead() {
        QFETCH(QString, statement);
        QFETCH(QStringList, row);
        Recordset rs;
        rs.setCursorLocation(ado::adUseClient);
        rs.Open(statement, *c_, 2, 1, -1);
        QCOMPARE(rs.columnNames().join(QLatin1Char(',')),
                 QStringLiteral("RequestNum,HistopathNum,ResultDate,GrossDescription,"
                                "FinalDiagnosis,Remarks"));
        QCOMPARE(rs.RecordCount(), row.isEmpty() ? 0 : 1);
        if (row.isEmpty())
            return;
        QVERIFY(rs.Fields(QStringLiteral("ResultDate")).Value.isDate());
        QStringList got;
        for (int i = 0; i < rs.FieldCount(); ++i)
            got << shown(rs.Fields(i).Value);
        QCOMPARE(got, row);
    }

    void histopathologySave_data() {
        QTest::addColumn<QString>("labNum");
        QTest::addColumn<bool>("existing");
        QTest::newRow("first report, mode 0") << "LR26-0008" << false;
        QTest::newRow("corrected report, mode 1") << "LR26-0014" << true;
    }
    void histopathologySave() {
        QFETCH(QString, labNum);
        QFETCH(bool, existing);
        const QString gross = QStringLiteral(
            "Received in formalin is a tan polypoid tissue measuring 1.5 x 1.0 x 0.6 cm.\n"
            "Entirely submitted in one cassette.");
        const QString diagnosis =
            QStringLiteral("ENDOCERVICAL POLYP.\nNEGATIVE FOR DYSPLASIA AND MALIGNANCY.");

        handOver(*c_, labNum, QStringLiteral("MT04"));
        Recordset rs;
        rs.Open(QStringLiteral(
                    "select * From Laboratory..tbLabResultHistoCytology where RequestNum = '") +
                    labNum + QStringLiteral("'"),
                *c_, 2, 3, -1);
        QCOMPARE(!rs.eof(), existing);
        QString statement;
        if (!rs.eof()) {
            statement = QStringLiteral("Laboratory..Lab_Save_Histopath 1, '") + labNum +
                        QStringLiteral("','");
        } else {
            c_->Execute(
                saveResultEntry({"100231", "IPD26-00883", "401", "HP", "408-A",
                                 "12/2/2026 11:00:00 AM", "12/6/2026", "D103", "X", "0", "MT04",
                                 "1500", "I", "401", "CH-260494", labNum, "1", "MT04"}));
            statement = QStringLiteral("Laboratory..Lab_Save_Histopath 0, '") + labNum +
                        QStringLiteral("','");
        }
        c_->Execute(statement + QStringLiteral("HP26-0191") + QStringLiteral("','") + gross +
                    QStringLiteral("','") + diagnosis + QStringLiteral("', '") +
                    QStringLiteral("12/06/2026 02:30 PM") + QStringLiteral("',''"));
        rs.Close();

        QCOMPARE(fetch(*c_, QStringLiteral("select * From Laboratory..tbLabResultHistoCytology "
                                           "where RequestNum = '") +
                                labNum + QStringLiteral("'"))
                     .first()
                     .mid(0, 6),
                 QStringList({labNum, "HP26-0191", "2026-12-06 14:30:00", gross, diagnosis, ""}));
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabResultHistoCytology")),
                 existing ? 1 : 2);
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabResultEntry where LabNum = '") +
                                labNum + QStringLiteral("'")),
                 1);
    }

    void histopathologySpool() {
        const QString microscopy =
            QStringLiteral("Sections show a polypoid fragment lined by endocervical epithelium.\n"
                           "The stroma is edematous, with the patient`s chronic inflammation.");
        const QString diagnosis = QStringLiteral("ENDOCERVICAL POLYP.");
        for (int report = 0; report < 2; ++report) {
            c_->Execute(QStringLiteral("truncate table LABORATORY..tbLabPrint_Histopath"));
            c_->Execute(QStringLiteral("insert into LABORATORY..tbLabPrint_Histopath (Microscopy, "
                                       "FinalDiagnosis) ") +
                        QStringLiteral("values ('") + microscopy + QStringLiteral("','") +
                        diagnosis + QStringLiteral("')"));
        }
        QCOMPARE(fetch(*c_, QStringLiteral("select Microscopy, FinalDiagnosis from "
                                           "LABORATORY..tbLabPrint_Histopath")),
                 QList<QStringList>({{microscopy, diagnosis}}));
    }

    void technologists_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("ids");

        const QStringList all{"MT01", "MT02", "MT03", "MT04", "MT05", "MT06", "MT07", "MT08"};
        QTest::newRow("list") << "LABORATORY..sp_listmedtech" << all;
        QTest::newRow("by identifier") << "sp_listsearchmedtech 0,'MT04'" << QStringList{"MT04"};
        QTest::newRow("by identifier, lower case")
            << "sp_listsearchmedtech 0,'mt04'" << QStringList{"MT04"};
        QTest::newRow("as the dialog writes it")
            << "sp_listsearchmedtech 0,'DELA PAZ,MARK ANTHONY GUTIERREZ'" << QStringList{"MT04"};
        QTest::newRow("no middle name")
            << "sp_listsearchmedtech 0,'GALVEZ,CHERYL '" << QStringList{"MT07"};
        QTest::newRow("first name first")
            << "sp_listsearchmedtech 0,'Janine Abellera'" << QStringList{"MT01"};
        QTest::newRow("quote in the name")
            << "sp_listsearchmedtech 0,'o''neal,lucia nuñez'" << QStringList{"MT08"};
        QTest::newRow("no such technologist") << "sp_listsearchmedtech 0,'MT4'" << QStringList();
        QTest::newRow("search") << "LABORATORY..sp_listsearchmedtech 1,'an'"
                                << QStringList{"MT01", "MT03", "MT04", "MT06"};
        QTest::newRow("search, empty text") << "LABORATORY..sp_listsearchmedtech 1,''" << all;
        QTest::newRow("search, name as the list shows it")
            << "LABORATORY..sp_listsearchmedtech 1,'dela paz, mark'" << QStringList{"MT04"};
        QTest::newRow("search, quote")
            << "LABORATORY..sp_listsearchmedtech 1,'o''ne'" << QStringList{"MT08"};
        QTest::newRow("search, non-ASCII letter")
            << "LABORATORY..sp_listsearchmedtech 1,'ñez'" << QStringList{"MT08"};
    }
    void technologists() {
        QFETCH(QString, statement);
        QFETCH(QStringList, ids);
        c_->Execute(QStringLiteral("insert into LABORATORY..tbLabMedTech (MedTechID, lastname, "
                                   "firstname, middlename, LicenseNo) values "
                                   "('MT08','O''NEAL','LUCIA','NUÑEZ','0065120')"));
        const auto rs = c_->Execute(statement);
        QCOMPARE(rs->columnNames().join(QLatin1Char(',')),
                 QStringLiteral("MedTechID,lastname,firstname,middlename"));
        QStringList got;
        for (const auto& row : rs->rows())
            got << shown(row[0]);
        QCOMPARE(got, ids);
        if (ids == QStringList{"MT08"})
            QCOMPARE(shown(rs->rows()[0][1]), QStringLiteral("O'NEAL"));
    }

    void refused_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description"); // as it starts
        QTest::addColumn<QString>("untouched");   // what must still count 0

        QTest::newRow("unbalanced quote")
            << "laboratory..LAB_Save_VerifyResults 'LR26-0001','MT01" << -2147217900
            << "Unclosed quotation mark after the character string 'MT01'."
            << "laboratory..tblablogbook where Verified = 1 and RequestNum = 'LR26-0001'";
        QTest::newRow("apostrophe not doubled")
            << singleTextCodes(0, "LR26-0003", {"1:160", "1:80"}, 19, "patient's sample")
            << -2147217900 << "Unclosed quotation mark after the character string ''."
            << "laboratory..tbLabResultHCodes where RequestNum = 'LR26-0003'";
        QTest::newRow("unknown procedure")
            << "laboratory..LAB_Save_VerifyResult 'LR26-0001','MT01'" << -2147217900
            << "Could not find stored procedure 'laboratory..LAB_Save_VerifyResult'."
            << "laboratory..tblablogbook where Verified = 1 and RequestNum = 'LR26-0001'";
        QTest::newRow("unknown procedure, current database")
            << "sp_listsearchmedtechs 0,'MT01'" << -2147217900
            << "Could not find stored procedure 'sp_listsearchmedtechs'."
            << "laboratory..tblablogbook where Verified = 1 and RequestNum = 'LR26-0001'";
        QTest::newRow("17 values for LAB_SaveResultEntry")
            << saveResultEntry(widalEntry("12/1/2026 9:40:00 AM", "12/6/2026").mid(0, 17))
            << -2147217900
            << "Procedure or function 'LAB_SaveResultEntry' expects parameter number 18, which "
               "was not supplied."
            << "laboratory..tbLabResultEntry where LabNum = 'LR26-0003'";
        QTest::newRow("19 values for LAB_SaveResultEntry")
            << saveResultEntry(widalEntry("12/1/2026 9:40:00 AM", "12/6/2026") << "MT02")
            << -2147217900
            << "Procedure or function 'LAB_SaveResultEntry' has too many arguments specified (19 "
               "given, at most 18)."
            << "laboratory..tbLabResultEntry where LabNum = 'LR26-0003'";
        QTest::newRow("no coded value")
            << "laboratory..lab_save_hcodes 0,'LR26-0003'" << -2147217900
            << "Procedure or function 'lab_save_hcodes' expects parameter number 3, which was "
               "not supplied."
            << "laboratory..tbLabResultHCodes where RequestNum = 'LR26-0003'";
        QTest::newRow("a date that is not one")
            << saveResultEntry(widalEntry("12/1/2026 9:40:00 AM", "13/45/2026")) << -2147217900
            << ""
            << "laboratory..tbLabResultEntry where LabNum = 'LR26-0003'";
        QTest::newRow("a column that does not exist")
            << "select * from laboratory..tblablogbook where requestnum = 'LR26-0001' and "
               "Verifed = 1"
            << -2147217900 << ""
            << "laboratory..tbLabPrint";
    }
    void refused() {
        QFETCH(QString, statement);
        QFETCH(int, number);
        QFETCH(QString, description);
        QFETCH(QString, untouched);
        const Raised r = raised([&] { c_->Execute(statement); });
        QCOMPARE(r.number, number);
        QVERIFY2(r.description.startsWith(description) && !r.description.isEmpty(),
                 qPrintable(r.description));
        QCOMPARE(count(*c_, untouched), 0);
    }

    void tooManyCodedValues() {
        const Raised r = raised(
            [&] { c_->Execute(singleTextCodes(0, "LR26-0003", repeated(33, "X"), 0, "Remarks")); });
        QCOMPARE(r.number, -2147217900);
        QVERIFY2(r.description.contains(QLatin1String("lab_save_hcodes"), Qt::CaseInsensitive),
                 qPrintable(r.description));
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabResultHCodes where RequestNum = "
                                           "'LR26-0003'")),
                 0);
    }

    void closedConnection() {
        c_->Close();
        const QString verify =
            QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0001','MT01'");
        const Raised r = raised([&] { c_->Execute(verify); });
        QCOMPARE(r.number, 3704);
        QCOMPARE(r.description,
                 QStringLiteral("Operation is not allowed when the object is closed."));
        Recordset rs;
        QCOMPARE(raised([&] {
                     rs.Open(QStringLiteral("select * from laboratory..tblablogbook where "
                                            "requestnum = 'LR26-0001'"),
                             *c_, 2, 1, -1);
                 }).number,
                 3704);
        ado::Connection never;
        QCOMPARE(raised([&] { never.Execute(verify); }).number, 3704);
        QCOMPARE(
            count(db_->keeper(), QStringLiteral("laboratory..tblablogbook where Verified = 1 and "
                                                "RequestNum = 'LR26-0001'")),
            0);
    }

    void statementRunsWholeOrNotAtAll() {
        const Raised twoRows = raised([&] {
            c_->Execute(
                QStringLiteral("insert into laboratory..tblablogbook (RequestNum, HospNum) values "
                               "('LR26-0100','100231'), ('LR26-0001','100231')"));
        });
        QCOMPARE(twoRows.number, -2147217900);
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tblablogbook")), 14);

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
        QCOMPARE(count(*c_, QStringLiteral("laboratory..tbLabResultEntry")), 4);
        QCOMPARE(columns(*c_, registered, {"TransDate", "ResultDate"}),
                 QStringList({"2026-12-03 06:30:00", "2026-12-06 00:00:00"}));

        // Whatever the failed call began is over: the next statements are
        // committed on their own, as another connection sees.
        c_->Execute(saveResultEntry(widalEntry("12/1/2026 9:40:00 AM", "12/6/2026")));
        fbs[6] = QStringLiteral("12/7/2026");
        c_->Execute(saveResultEntry(fbs));
        c_->Execute(QStringLiteral("laboratory..LAB_Save_VerifyResults 'LR26-0003','MT02'"));
        auto other = db_->open();
        QCOMPARE(count(*other, QStringLiteral("laboratory..tbLabResultEntry")), 5);
        QCOMPARE(columns(*other, registered, {"ResultDate"}), QStringList({"2026-12-07 00:00:00"}));
        QCOMPARE(count(*other, QStringLiteral("laboratory..tblablogbook where Verified = 1")), 6);
    }

    // One connection sends a call, then a shorter one: the values of the
    // first do not reach the second.
    void argumentsDoNotCarryOver() {
        QCOMPARE(fetch(*c_, QStringLiteral("LABORATORY..lab_listlogbook 1")).size(), 14);
        QCOMPARE(fetch(*c_, QStringLiteral("LABORATORY..lab_listlogbook")).size(), 9);

        QStringList findings = repeated(18, QStringLiteral("NONE SEEN"));
        c_->Execute(stoolCodes(0, "LR26-0006", findings, "NO OVA OR PARASITES SEEN", "12/6/2026",
                               "09:15:00 AM", "First sample."));
        const QStringList boxes{
            "BROWN, SOFT", "NEGATIVE",  "NORMAL",    "NONE",      "NEGATIVE",
            "NEGATIVE",    "NONE SEEN", "NONE SEEN", "NONE SEEN", "NO TROPHOZOITES SEEN"};
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
        auto other = db_->open();
        QCOMPARE(count(*other, QStringLiteral("laboratory..tblablogbook where Verified = 1")), 5);
        QCOMPARE(count(*other, QStringLiteral("laboratory..tbLabResultHCodes")), 3);
        c_->Execute(codes);
        QCOMPARE(count(*other, QStringLiteral("laboratory..tbLabResultHCodes")), 4);
    }
};

QTEST_GUILESS_MAIN(TestDbContract)
#include "tst_db_contract.moc"
