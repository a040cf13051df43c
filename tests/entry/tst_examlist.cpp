#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/threads.h"

#include <QTest>

using entry::ExamRec;
using vrt::Variant;

namespace {

std::vector<ExamRec>& list() {
    return *entry::state().ExamList;
}

void addSimple(const QString& id, bool hasData = false, const Variant& data = Variant()) {
    entry::Add_Exam(QStringLiteral("EM"), 1.5, QStringLiteral("REF"), QStringLiteral("LAB"), true,
                    QStringLiteral("U"), id, QStringLiteral("TITLE ") + id, data, hasData);
}

Variant values(std::initializer_list<const char*> texts) {
    std::vector<Variant> items;
    for (const char* t : texts)
        items.emplace_back(t);
    return Variant::array(std::move(items));
}

QStringList texts(const std::vector<Variant>& data) {
    QStringList out;
    for (const Variant& v : data)
        out << v.toString();
    return out;
}

} // namespace

class TestExamList : public QObject {
    Q_OBJECT

private slots:
    void init() {
        entry::state().Remarks.clear();
        entry::Clear_Exams();
    }

    void clearLeavesOneBlankRecord() {
        addSimple(QStringLiteral("A"), true, values({"1", "2"}));
        addSimple(QStringLiteral("B"));
        entry::Clear_Exams();
        QCOMPARE(entry::state().ExamCount, int16_t(0));
        QCOMPARE(list().size(), size_t(1));
        const ExamRec& blank = list()[0];
        QVERIFY(blank.LabExamID.isEmpty() && blank.FormType.isEmpty() && blank.Data.empty());
        QCOMPARE(blank.HasData, false);
    }

    void addSetsEveryField() {
        entry::state().Remarks = QStringLiteral("hemolysed");
        entry::Add_Exam(QStringLiteral("URI"), 150.25, QStringLiteral("REF-9"),
                        QStringLiteral("LAB-7"), true, QStringLiteral("H"), QStringLiteral("UA01"),
                        QStringLiteral("URINALYSIS"), values({"YELLOW", "CLEAR"}), true);
        entry::state().Remarks = QStringLiteral("changed later");
        QCOMPARE(entry::state().ExamCount, int16_t(1));
        QCOMPARE(list().size(), size_t(1));
        const ExamRec& r = list()[0];
        QCOMPARE(r.EModel, QStringLiteral("URI"));
        QCOMPARE(r.Amount, 150.25);
        QCOMPARE(r.RefNum, QStringLiteral("REF-9"));
        QCOMPARE(r.LabNum, QStringLiteral("LAB-7"));
        QCOMPARE(r.Clear, true);
        QCOMPARE(r.FormType, QStringLiteral("H"));
        QCOMPARE(r.LabExamID, QStringLiteral("UA01"));
        QCOMPARE(r.ExamTitle, QStringLiteral("URINALYSIS"));
        QCOMPARE(r.Remarks, QStringLiteral("hemolysed"));
        QCOMPARE(r.HasData, true);
        QCOMPARE(texts(r.Data), QStringList({"YELLOW", "CLEAR"}));
    }

    void addWithoutDataAfterDataLeavesDataEmpty() {
        addSimple(QStringLiteral("A"), true, values({"1", "2", "3"}));
        addSimple(QStringLiteral("B"), false, values({"ignored"}));
        QCOMPARE(list().size(), size_t(2));
        QCOMPARE(list()[1].HasData, false);
        QVERIFY(list()[1].Data.empty());
        QCOMPARE(list()[0].Data.size(), size_t(3));
    }

    void addKeepsDataOfEveryType() {
        const Variant data = Variant::array(
            {Variant(int16_t(7)), Variant(2.5), Variant::null(), Variant(true), Variant()});
        addSimple(QStringLiteral("A"), true, data);
        QCOMPARE(list()[0].Data.size(), size_t(5));
        QCOMPARE(list()[0].Data[1], Variant(2.5));
        QVERIFY(list()[0].Data[2].isNull());
        QVERIFY(list()[0].Data[4].isEmpty());
    }

    void addWithEmptyArrayHasNoValues() {
        addSimple(QStringLiteral("A"), true, Variant::array({}));
        QCOMPARE(list()[0].HasData, true);
        QVERIFY(list()[0].Data.empty());
        QCOMPARE(entry::state().ExamCount, int16_t(1));
    }

    void duplicateIdsModifyOnlyTheFirst() {
        addSimple(QStringLiteral("X"));
        addSimple(QStringLiteral("X"));
        entry::Modify_Exam(QStringLiteral("X"), QStringLiteral("W"), QStringLiteral("WIDAL"), false,
                           Variant());
        QCOMPARE(list().size(), size_t(2));
        QCOMPARE(list()[0].FormType, QStringLiteral("W"));
        QCOMPARE(list()[0].Clear, false);
        QCOMPARE(list()[1].FormType, QStringLiteral("U"));
        QCOMPARE(list()[1].Clear, true);
    }

    void modifyMatchesExactly_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("matches");
        QTest::newRow("same") << "ua01" << true;
        QTest::newRow("other case") << "UA01" << false;
        QTest::newRow("trailing space") << "ua01 " << false;
        QTest::newRow("missing") << "zz" << false;
    }
    void modifyMatchesExactly() {
        QFETCH(QString, id);
        QFETCH(bool, matches);
        addSimple(QStringLiteral("ua01"));
        entry::Modify_Exam(id, QStringLiteral("W"), QStringLiteral("NEW"), false, Variant());
        QCOMPARE(list()[0].ExamTitle == QStringLiteral("NEW"), matches);
        QCOMPARE(list()[0].FormType, matches ? QStringLiteral("W") : QStringLiteral("U"));
    }

    void modifyEmptyIdFillsTheBlankRecord() {
        entry::Modify_Exam(QString(), QStringLiteral("F"), QStringLiteral("FECALYSIS"), true,
                           values({"BROWN"}));
        QCOMPARE(entry::state().ExamCount, int16_t(0));
        QCOMPARE(list()[0].FormType, QStringLiteral("F"));
        QCOMPARE(list()[0].ExamTitle, QStringLiteral("FECALYSIS"));
        QCOMPARE(texts(list()[0].Data), QStringList({"BROWN"}));
    }

    void modifyRebuildsOrKeepsData_data() {
        QTest::addColumn<bool>("hasData");
        QTest::addColumn<Variant>("data");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("expectedHasData");
        QTest::newRow("shorter replaces")
            << true << values({"x", "y", "z"}) << QStringList{"x", "y", "z"} << true;
        QTest::newRow("longer replaces") << true << values({"a", "b", "c", "d", "e", "f"})
                                         << QStringList{"a", "b", "c", "d", "e", "f"} << true;
        QTest::newRow("no data keeps old")
            << false << values({"x"}) << QStringList{"1", "2", "3", "4", "5"} << false;
        QTest::newRow("empty array keeps old")
            << true << Variant::array({}) << QStringList{"1", "2", "3", "4", "5"} << true;
    }
    void modifyRebuildsOrKeepsData() {
        QFETCH(bool, hasData);
        QFETCH(Variant, data);
        QFETCH(QStringList, expected);
        QFETCH(bool, expectedHasData);
        addSimple(QStringLiteral("A"), true, values({"1", "2", "3", "4", "5"}));
        entry::Modify_Exam(QStringLiteral("A"), QStringLiteral("U"), QStringLiteral("T"), hasData,
                           data);
        QCOMPARE(texts(list()[0].Data), expected);
        QCOMPARE(list()[0].HasData, expectedHasData);
    }

    void modifyLeavesTheOtherFields() {
        entry::state().Remarks = QStringLiteral("first");
        addSimple(QStringLiteral("A"));
        entry::state().Remarks = QStringLiteral("second");
        entry::Modify_Exam(QStringLiteral("A"), QStringLiteral("S"), QStringLiteral("STOOL"), false,
                           Variant());
        const ExamRec& r = list()[0];
        QCOMPARE(r.RefNum, QStringLiteral("REF"));
        QCOMPARE(r.LabNum, QStringLiteral("LAB"));
        QCOMPARE(r.EModel, QStringLiteral("EM"));
        QCOMPARE(r.Amount, 1.5);
        QCOMPARE(r.Remarks, QStringLiteral("first"));
    }

    // A bad varData raises after the record's fields were written; the
    // record stays as far as it got and the count does not move.
    void badDataRaisesAndKeepsWhatChanged_data() {
        QTest::addColumn<Variant>("data");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("dataSize");
        QTest::newRow("not an array") << Variant(QStringLiteral("x")) << 13 << 0;
        QTest::newRow("Null") << Variant::null() << 13 << 0;
        QTest::newRow("lower bound 1")
            << Variant(vrt::Array{1, {Variant("a"), Variant("b")}}) << 9 << 1;
    }
    void badDataRaisesAndKeepsWhatChanged() {
        QFETCH(Variant, data);
        QFETCH(int, error);
        QFETCH(int, dataSize);
        addSimple(QStringLiteral("OK"));
        QCOMPARE(raised([&] { addSimple(QStringLiteral("BAD"), true, data); }).number, error);
        QCOMPARE(entry::state().ExamCount, int16_t(1));
        QCOMPARE(list().size(), size_t(2));
        QCOMPARE(list()[1].LabExamID, QStringLiteral("BAD"));
        QCOMPARE(list()[1].HasData, true);
        QCOMPARE(int(list()[1].Data.size()), dataSize);

        QCOMPARE(raised([&] {
                     entry::Modify_Exam(QStringLiteral("OK"), QStringLiteral("Z"),
                                        QStringLiteral("CHANGED"), true, data);
                 }).number,
                 error);
        QCOMPARE(list()[0].FormType, QStringLiteral("Z"));
        QCOMPARE(list()[0].HasData, true);

        // The next addition takes the slot the failed one left.
        addSimple(QStringLiteral("NEXT"));
        QCOMPARE(list().size(), size_t(2));
        QCOMPARE(list()[1].LabExamID, QStringLiteral("NEXT"));
    }

    void useBeforeTheListExistsIsSubscriptOutOfRange() {
        onFreshThread([] {
            QCOMPARE(raised([] {
                         entry::Modify_Exam(QStringLiteral("A"), {}, {}, false, Variant());
                     }).number,
                     9);
        });
    }

    void addBeforeClearStartsTheList() {
        onFreshThread([] {
            addSimple(QStringLiteral("A"));
            QCOMPARE(entry::state().ExamCount, int16_t(1));
            QCOMPARE(entry::state().ExamList->size(), size_t(1));
        });
    }

    void the32768thExamOverflows() {
        for (int i = 0; i < 32767; ++i)
            addSimple(QStringLiteral("E"));
        QCOMPARE(entry::state().ExamCount, int16_t(32767));
        const Raised r = raised([] { addSimple(QStringLiteral("LAST")); });
        QCOMPARE(r.number, 6);
        QCOMPARE(r.description, QStringLiteral("Overflow"));
        QCOMPARE(entry::state().ExamCount, int16_t(32767));
        QCOMPARE(list().size(), size_t(32768));
        QCOMPARE(list().back().LabExamID, QStringLiteral("LAST"));
    }
};

QTEST_GUILESS_MAIN(TestExamList)
#include "tst_examlist.moc"
