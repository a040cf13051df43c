#include "dbsetup/dbsetup.h"
#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/rows.h"
#include "support/threads.h"
#include "vantrel/clsDataEntry.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using entry::clsDataEntry;
using entry::state;
using vrt::Variant;

namespace {

std::shared_ptr<ado::Connection> sqliteConnection(const QString& folder) {
    auto c = std::make_shared<ado::Connection>();
    c->setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + folder);
    return c;
}

void addSimple(const QString& id, bool hasData = false, const Variant& data = Variant()) {
    entry::Add_Exam(QStringLiteral("EM"), 1.5, QStringLiteral("REF"), QStringLiteral("LAB"), true,
                    QStringLiteral("U"), id, QStringLiteral("TITLE ") + id, data, hasData);
}

Variant values(std::initializer_list<const char*> texts) {
    std::vector<Variant> items(texts.begin(), texts.end());
    return Variant::array(std::move(items));
}

// Every record of the list, its fields joined by "|" in declaration order,
// the values last.
QStringList records() {
    QStringList out;
    for (const entry::ExamRec& r : *entry::state().ExamList) {
        QStringList data;
        for (const Variant& v : r.Data)
            data << (v.isNull() ? QStringLiteral("Null") : v.isEmpty() ? "Empty" : v.toString());
        const QString bits[] = {QStringLiteral("0"), QStringLiteral("1")};
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|")
                       .arg(r.EModel, QString::number(r.Amount), r.RefNum, r.LabNum, bits[r.Clear],
                            r.FormType, r.LabExamID, r.ExamTitle, r.Remarks) +
                   bits[r.HasData] + u'|' + data.join(u',');
    }
    return out;
}

int16_t examCount() {
    return entry::state().ExamCount;
}

} // namespace

class TestEntry : public QObject {
    Q_OBJECT

    QTemporaryDir data_;

private slots:
    void init() {
        entry::state().Remarks.clear();
        entry::Clear_Exams();
    }

    // Objects of a thread share its properties, last write winning; each
    // construction, not only a thread's first, creates the report engine and
    // resets the sign-off outcome and the exam count; another thread has
    // state of its own.
    void stateIsSharedOnAThreadOnly() {
        onFreshThread([] {
            clsDataEntry first;
            const auto engine = state().ReportEngine;
            first.RequestNum(QStringLiteral("R-1"));
            first.RequestNum(QStringLiteral("R-2"));
            first.EditMode(true);
            first.Amount(12.5);
            first.Space_Allowance(int16_t(120));
            state().SignOffCancelled = true;
            state().ExamCount = 5;
            clsDataEntry second;
            QVERIFY(state().ReportEngine && state().ReportEngine != engine);
            QCOMPARE(state().SignOffCancelled, false);
            QCOMPARE(state().ExamCount, int16_t(0));
            second.PatName(QStringLiteral("SANTOS, MARIA"));
            QCOMPARE(state().PatName, QStringLiteral("SANTOS, MARIA"));
            QCOMPARE(state().EditMode, true);
            QCOMPARE(state().Amount, 12.5);
            QCOMPARE(state().Space_Allowance, int16_t(120));
            onFreshThread([] {
                QVERIFY(state().RequestNum.isEmpty());
                clsDataEntry other;
                other.RequestNum(QStringLiteral("THREAD-B"));
            });
            QCOMPARE(state().RequestNum, QStringLiteral("R-2"));
        });
    }

    void sqlConnectionOpensTheLibrarysOwnConnection() {
        const QString folder = data_.path();
        dbsetup::createFolder(folder, false);
        onFreshThread([folder] {
            auto host = sqliteConnection(folder);
            auto object = std::make_unique<clsDataEntry>();
            object->SQLConnection(*host);
            QVERIFY(state().LabConnection);
            QVERIFY(state().LabConnection.get() != host.get());
            QCOMPARE(state().LabConnection->State(), int32_t(ado::adStateOpen));
            QCOMPARE(state().LabConnection->ConnectionString(), host->ConnectionString());
            // The host's connection was only read.
            QCOMPARE(host->State(), int32_t(ado::adStateClosed));
            QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("LABORATORY.db"))));

            const Raised again = raised([&] { object->SQLConnection(*host); });
            QCOMPARE(again.number, 3705);
            QCOMPARE(again.description,
                     QStringLiteral("Operation is not allowed when the object is open."));

            // Either object's termination closes the shared connection.
            auto second = std::make_unique<clsDataEntry>();
            second.reset();
            QVERIFY(!state().LabConnection);
            object.reset();

            // After termination a new object opens it afresh.
            clsDataEntry third;
            third.SQLConnection(*host);
            QCOMPARE(state().LabConnection->State(), int32_t(ado::adStateOpen));
        });
    }

    // The provider's messages themselves are the connection tests' matter.
    void sqlConnectionReportsTheProvidersError() {
        onFreshThread([] {
            ado::Connection host;
            host.setConnectionString(
                QStringLiteral("Provider=SQLite;Data Source=/nonexistent/lab"));
            auto object = std::make_unique<clsDataEntry>();
            const Raised r = raised([&] { object->SQLConnection(host); });
            QCOMPARE(r.number, -2147467259);
            QVERIFY2(r.description.contains(QLatin1String("/nonexistent/lab")),
                     qPrintable(r.description));
            QCOMPARE(state().LabConnection->State(), int32_t(ado::adStateClosed));
            // Termination with a connection that never opened only releases it.
            object.reset();
            QVERIFY(!state().LabConnection);
        });
    }

    void addModifyAndClear() {
        entry::state().Remarks = QStringLiteral("hemolysed");
        entry::Add_Exam(QStringLiteral("URI"), 150.25, QStringLiteral("REF-9"),
                        QStringLiteral("LAB-7"), true, QStringLiteral("H"), QStringLiteral("UA01"),
                        QStringLiteral("URINALYSIS"), values({"YELLOW", "CLEAR"}), true);
        entry::state().Remarks = QStringLiteral("changed later");
        addSimple(QStringLiteral("X"), false, values({"ignored"}));
        addSimple(QStringLiteral("X"), true,
                  Variant::array({Variant(int16_t(7)), Variant(2.5), Variant::null(), Variant()}));
        addSimple(QStringLiteral("E"), true, Variant::array({}));
        QCOMPARE(examCount(), int16_t(4));
        // Only the first of two equal identifiers changes; the other fields stay.
        entry::Modify_Exam(QStringLiteral("X"), QStringLiteral("W"), QStringLiteral("WIDAL"), false,
                           Variant());
        QCOMPARE(records(),
                 QStringList({"URI|150.25|REF-9|LAB-7|1|H|UA01|URINALYSIS|hemolysed|1|YELLOW,CLEAR",
                              "EM|1.5|REF|LAB|0|W|X|WIDAL|changed later|0|",
                              "EM|1.5|REF|LAB|1|U|X|TITLE X|changed later|1|7,2.5,Null,Empty",
                              "EM|1.5|REF|LAB|1|U|E|TITLE E|changed later|1|"}));

        entry::Clear_Exams();
        QCOMPARE(examCount(), int16_t(0));
        QCOMPARE(records(), QStringList({"|0|||0|||||0|"}));
        // An empty identifier finds the blank record; the count stays.
        entry::Modify_Exam(QString(), QStringLiteral("F"), QStringLiteral("FECALYSIS"), true,
                           values({"BROWN"}));
        QCOMPARE(examCount(), int16_t(0));
        QCOMPARE(records(), QStringList({"|0|||0|F||FECALYSIS||1|BROWN"}));
    }

    // The identifier must match exactly; values are replaced only when
    // given and not empty. Record: what follows "EM|1.5|REF|LAB|".
    void modify_data() {
        addColumns<QString, bool, Variant, QString>("id", "hasData", "data", "record");
        addRows<const char*, bool, Variant, const char*>({
            {"shorter replaces", "A", true, values({"x", "y"}), "0|W|A|NEW||1|x,y"},
            {"longer replaces", "A", true, values({"a", "b", "c", "d"}), "0|W|A|NEW||1|a,b,c,d"},
            {"no data keeps old", "A", false, values({"x"}), "0|W|A|NEW||0|1,2,3"},
            {"empty array keeps old", "A", true, Variant::array({}), "0|W|A|NEW||1|1,2,3"},
            {"other case", "a", true, values({"x"}), "1|U|A|TITLE A||1|1,2,3"},
            {"trailing space", "A ", true, values({"x"}), "1|U|A|TITLE A||1|1,2,3"},
            {"missing", "zz", true, values({"x"}), "1|U|A|TITLE A||1|1,2,3"},
        });
    }
    void modify() {
        QFETCH(QString, id);
        QFETCH(bool, hasData);
        QFETCH(Variant, data);
        QFETCH(QString, record);
        addSimple(QStringLiteral("A"), true, values({"1", "2", "3"}));
        entry::Modify_Exam(id, QStringLiteral("W"), QStringLiteral("NEW"), hasData, data);
        QCOMPARE(records(), QStringList{QStringLiteral("EM|1.5|REF|LAB|") + record});
    }

    // A bad varData raises after the record's fields were written; the
    // record stays as far as it got and the count does not move.
    void badDataRaisesAndKeepsWhatChanged_data() {
        addColumns<Variant, int, QString>("data", "error", "values");
        addRows<Variant, int, const char*>({
            {"not an array", Variant(QStringLiteral("x")), 13, ""},
            {"Null", Variant::null(), 13, ""},
            {"lower bound 1", Variant(vrt::Array{1, {Variant("a"), Variant("b")}}), 9, "Empty"},
        });
    }
    void badDataRaisesAndKeepsWhatChanged() {
        QFETCH(Variant, data);
        QFETCH(int, error);
        QFETCH(QString, values);
        addSimple(QStringLiteral("OK"));
        QCOMPARE(raised([&] { addSimple(QStringLiteral("BAD"), true, data); }).number, error);
        QCOMPARE(raised([&] {
                     entry::Modify_Exam(QStringLiteral("OK"), QStringLiteral("Z"),
                                        QStringLiteral("CHANGED"), true, data);
                 }).number,
                 error);
        QCOMPARE(examCount(), int16_t(1));
        QCOMPARE(records(), QStringList({"EM|1.5|REF|LAB|0|Z|OK|CHANGED||1|" + values,
                                         "EM|1.5|REF|LAB|1|U|BAD|TITLE BAD||1|" + values}));
        // The next addition takes the slot the failed one left, values and all.
        addSimple(QStringLiteral("NEXT"));
        QCOMPARE(records().value(1), "EM|1.5|REF|LAB|1|U|NEXT|TITLE NEXT||0|" + values);
    }

    void aNewThreadHasNoListUntilAnAddition() {
        onFreshThread([] {
            QCOMPARE(raised([] {
                         entry::Modify_Exam(QStringLiteral("A"), {}, {}, false, Variant());
                     }).number,
                     9);
            addSimple(QStringLiteral("A"));
            QCOMPARE(examCount(), int16_t(1));
            QCOMPARE(records(), QStringList({"EM|1.5|REF|LAB|1|U|A|TITLE A||0|"}));
        });
    }

    void the32768thExamOverflows() {
        for (int i = 0; i < 32767; ++i)
            addSimple(QStringLiteral("E"));
        QCOMPARE(examCount(), int16_t(32767));
        const Raised r = raised([] { addSimple(QStringLiteral("LAST")); });
        QCOMPARE(r.number, 6);
        QCOMPARE(r.description, QStringLiteral("Overflow"));
        QCOMPARE(examCount(), int16_t(32767));
        QCOMPARE(entry::state().ExamList->size(), size_t(32768));
        QCOMPARE(entry::state().ExamList->back().LabExamID, QStringLiteral("LAST"));
    }
};

QTEST_GUILESS_MAIN(TestEntry)
#include "tst_entry.moc"
