// The data-entry object: its state, its connection, its exam list, and the
// class it is registered and created as.

#include "dbsetup/dbsetup.h"
#include "entry/dispatch_clsDataEntry.h"
#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "entry/server.h"
#include "platform/ado/connection.h"
#include "platform/com/createobject.h"
#include "platform/com/registry.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/printcapture.h"
#include "support/rows.h"
#include "support/testregistry.h"
#include "support/threads.h"
#include "vantrel/clsDataEntry.h"

#include <QDir>
#include <QSettings>
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

vcom::LateBound create() {
    return vcom::CreateObject(QStringLiteral("Vantrel.clsDataEntry"));
}

vcom::ComPtr<vcom::IClassFactory> factory() {
    void* raw = nullptr;
    if (DllGetClassObject(&CLSID_clsDataEntry, &vcom::IID_IClassFactory, &raw) != vcom::S_OK)
        return {};
    return vcom::ComPtr<vcom::IClassFactory>::attach(static_cast<vcom::IClassFactory*>(raw));
}

} // namespace

class TestEntry : public QObject {
    Q_OBJECT

    QTemporaryDir data_;

    TestRegistry registry_;

private slots:
    void init() {
        entry::state().Remarks.clear();
        entry::Clear_Exams();
        QCOMPARE(DllRegisterServer(), vcom::S_OK);
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
    // given and not empty.
    void modify() {
        VERIFY_TRANSCRIPT(QStringLiteral("entry/expected/modify.txt"), [](QString input) {
            entry::Clear_Exams();
            addSimple(QStringLiteral("A"), true, values({"1", "2", "3"}));
            const QString id = takeQuoted(input);
            const bool hasData = input.startsWith(QLatin1String("true"));
            input = input.section(u' ', 1);
            std::vector<Variant> data;
            if (input.startsWith(u'"'))
                for (const QString& v : takeQuoted(input).split(u'|'))
                    data.emplace_back(v);
            entry::Modify_Exam(id, QStringLiteral("W"), QStringLiteral("NEW"), hasData,
                               Variant::array(std::move(data)));
            return records().join(QStringLiteral(" / "));
        });
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

    void guidRoundTrip() {
        const QString text = CLSID_clsDataEntry.toString();
        QCOMPARE(text, QStringLiteral("{5D3A7C21-8E4B-4F06-9A1C-2B6E7F40D513}"));
        QCOMPARE(vcom::GUID::fromString(text), std::optional(CLSID_clsDataEntry));
        QCOMPARE(vcom::GUID::fromString(text.toLower().mid(1, 36)),
                 std::optional(CLSID_clsDataEntry));
        QVERIFY(!vcom::GUID::fromString(QStringLiteral("{not-a-guid}")));
    }

    void registrationKeepsProgIdPathAndThreadingModel() {
        QSettings s(registry_.path(), QSettings::IniFormat);
        const QString key = QStringLiteral("CLSID/{5D3A7C21-8E4B-4F06-9A1C-2B6E7F40D513}/");
        QCOMPARE(s.value(QStringLiteral("ProgID/Vantrel.clsDataEntry/CLSID")).toString(),
                 CLSID_clsDataEntry.toString());
        QCOMPARE(s.value(key + QStringLiteral("ProgID")).toString(),
                 QStringLiteral("Vantrel.clsDataEntry"));
        const QFileInfo server(s.value(key + QStringLiteral("InprocServer32")).toString());
        QCOMPARE(server.canonicalFilePath(), vantrelLibraryPath());
        QCOMPARE(server.fileName(), QStringLiteral("libvantrel.so.0"));
        QCOMPARE(s.value(key + QStringLiteral("ThreadingModel")).toString(),
                 QStringLiteral("Apartment"));
        QVERIFY(vcom::CreateObject(QStringLiteral("vantrel.CLSDATAENTRY")));

        QCOMPARE(DllUnregisterServer(), vcom::S_OK);
        QVERIFY(!vcom::registry::clsidFromProgId(QStringLiteral("Vantrel.clsDataEntry")));
        const Raised r = raised([&] { create(); });
        QCOMPARE(r.number, 429);
        QVERIFY(r.description.startsWith(QStringLiteral("ActiveX component can't create object")));
    }

    // The whole interface in its order: member, dispatch identifier, kind of
    // call and argument count.
    void interfaceOrder() {
        vcom::LateBound object = create();
        const auto* d = dynamic_cast<vcom::DispatchObject*>(object.dispatch());
        QVERIFY(d);
        QStringList got;
        for (const auto& m : d->members()) {
            const char* kind = m.kind == vcom::DISPATCH_PROPERTYPUT   ? "let"
                               : m.kind == vcom::DISPATCH_PROPERTYGET ? "get"
                                                                      : "call";
            got << QStringLiteral("%1 %2 %3 %4").arg(m.name).arg(m.id, 0, 16).arg(kind).arg(m.argc);
            vcom::DISPID id = 0;
            QCOMPARE(object.dispatch()->GetIDsOfNames(m.name.toLower(), &id), vcom::S_OK);
            QCOMPARE(id, m.id);
        }
        VERIFY_EXPECTED(got.join(u'\n') + u'\n', QStringLiteral("entry/expected/interface.txt"));
    }

    // The dual interface answers its own identifier, from the object and
    // from the class factory; other interfaces are refused.
    void queryInterface() {
        QCOMPARE(IID__clsDataEntry.toString(),
                 QStringLiteral("{570E24D8-B354-4F1F-9959-32F4B00759B3}"));
        vcom::LateBound object = create();
        void* p = nullptr;
        QCOMPARE(object.dispatch()->QueryInterface(IID__clsDataEntry, &p), vcom::S_OK);
        QCOMPARE(p, static_cast<void*>(object.dispatch()));
        static_cast<vcom::IDispatch*>(p)->Release();
        QCOMPARE(object.dispatch()->QueryInterface(CLSID_clsDataEntry, &p), vcom::E_NOINTERFACE);
        QVERIFY(!p);
        QCOMPARE(factory()->CreateInstance(nullptr, IID__clsDataEntry, &p), vcom::S_OK);
        QVERIFY(p);
        static_cast<vcom::IDispatch*>(p)->Release();
    }

    void unknownNamesAndWrongCalls() {
        vcom::LateBound object = create();
        vcom::IDispatch* d = object.dispatch();
        vcom::DISPID id = 0;
        QCOMPARE(d->GetIDsOfNames(QStringLiteral("Save"), &id), vcom::DISP_E_UNKNOWNNAME);
        std::vector<Variant> none;
        Variant result;
        vcom::ExcepInfo info;
        // HasSaved has no Let, the other properties no Get.
        Variant value(true);
        QCOMPARE(
            d->Invoke(0x68030000, vcom::DISPATCH_PROPERTYPUT, std::span(&value, 1), &result, &info),
            vcom::DISP_E_MEMBERNOTFOUND);
        QCOMPARE(d->Invoke(0x6803000C, vcom::DISPATCH_PROPERTYGET, none, &result, &info),
                 vcom::DISP_E_MEMBERNOTFOUND);
        QCOMPARE(d->Invoke(0x60030024, vcom::DISPATCH_METHOD, none, &result, &info),
                 vcom::DISP_E_BADPARAMCOUNT);
        QCOMPARE(raised([&] { object.get(QStringLiteral("RequestNum")); }).number, 438);
    }

    void propertiesReachTheModuleState() {
        onFreshThread([] {
            vcom::LateBound object = create();
            object.let(QStringLiteral("requestnum"), Variant("R-77"));
            object.let(QStringLiteral("EditMode"), Variant(QStringLiteral("True")));
            object.let(QStringLiteral("Amount"), Variant(QStringLiteral("1,250.50")));
            object.let(QStringLiteral("Space_Allowance"), Variant(120.5));
            QCOMPARE(entry::state().RequestNum, QStringLiteral("R-77"));
            QCOMPARE(entry::state().EditMode, true);
            QCOMPARE(entry::state().Amount, 1250.5);
            QCOMPARE(entry::state().Space_Allowance, int16_t(120));
            QCOMPARE(object.get(QStringLiteral("HasSaved")), Variant(false));
        });
    }

    void errorsComeBackWithNumberAndDescription_data() {
        addColumns<QString, Variant, int, QString>("member", "argument", "error", "description");
        addRows<const char*, Variant, int, const char*>({
            {"Null into a String", "PatName", Variant::null(), 13, "Type mismatch"},
            {"Integer overflow", "Space_Allowance", Variant(40000.0), 6, "Overflow"},
            {"text into a Boolean", "EditMode", Variant("maybe"), 13, "Type mismatch"},
        });
    }
    void errorsComeBackWithNumberAndDescription() {
        QFETCH(QString, member);
        QFETCH(Variant, argument);
        QFETCH(int, error);
        QFETCH(QString, description);
        vcom::LateBound object = create();
        vcom::DISPID id = 0;
        QCOMPARE(object.dispatch()->GetIDsOfNames(member, &id), vcom::S_OK);
        vcom::ExcepInfo info;
        QCOMPARE(object.dispatch()->Invoke(id, vcom::DISPATCH_PROPERTYPUT, std::span(&argument, 1),
                                           nullptr, &info),
                 vcom::DISP_E_EXCEPTION);
        QCOMPARE(uint32_t(info.scode), 0x800A0000u + uint32_t(error));
        QCOMPARE(info.description, description);
        QCOMPARE(info.source, QStringLiteral("Vantrel.clsDataEntry"));
    }

    void examListThroughDispatch() {
        onFreshThread([] {
            vcom::LateBound object = create();
            object.call(QStringLiteral("Clear_Exams"));
            object.call(QStringLiteral("Add_Exam"), {"EM", 10, "REF", "LAB", false, "U", "UA01",
                                                     "URINALYSIS", Variant::array({"A"}), true});
            const Raised bad = raised([&] {
                object.call(QStringLiteral("add_exam"), {"EM", 10, "REF", "LAB", false, "U", "UA02",
                                                         "X", "not an array", true});
            });
            QCOMPARE(bad.number, 13);
            QCOMPARE(entry::state().ExamCount, int16_t(1));
            QCOMPARE(entry::state().ExamList->at(0).Amount, 10.0);
        });
    }

    void sqlConnectionThroughDispatch() {
        QTemporaryDir data;
        dbsetup::createFolder(data.path(), false);
        onFreshThread([&] {
            vcom::LateBound object = create();
            auto host = std::make_shared<ado::Connection>();
            host->setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + data.path());
            auto connect = [&](Variant v) {
                return raised([&] { object.call(QStringLiteral("SQLConnection"), {v}); });
            };
            QCOMPARE(connect(Variant(vrt::ObjectPtr(host))).number, 0);
            QCOMPARE(entry::state().LabConnection->State(), int32_t(ado::adStateOpen));
            QCOMPARE(connect(Variant("text")).number, 13);
            QCOMPARE(connect(Variant()).number, 91);
            // Releasing the last reference terminates the object and closes the connection.
            object.release();
            QVERIFY(!entry::state().LabConnection);
        });
    }

    void canUnloadFollowsObjectsAndLocks() {
        void* object = nullptr;
        const vcom::CLSID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
        QCOMPARE(DllGetClassObject(&other, &vcom::IID_IClassFactory, &object),
                 vcom::CLASS_E_CLASSNOTAVAILABLE);
        QVERIFY(!object);

        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);
        {
            vcom::LateBound live = create();
            QCOMPARE(DllCanUnloadNow(), vcom::S_FALSE);
        }
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);

        auto f = factory();
        QCOMPARE(f->LockServer(true), vcom::S_OK);
        QCOMPARE(DllCanUnloadNow(), vcom::S_FALSE);
        QCOMPARE(f->LockServer(false), vcom::S_OK);
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);

        QCOMPARE(f->CreateInstance(nullptr, vcom::IID_IDispatch, &object), vcom::S_OK);
        QCOMPARE(DllCanUnloadNow(), vcom::S_FALSE);
        static_cast<vcom::IDispatch*>(object)->Release();
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);
        QCOMPARE(f->CreateInstance(nullptr, vcom::IID_IClassFactory, &object), vcom::E_NOINTERFACE);
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);
    }
};

QTEST_GUILESS_MAIN(TestEntry)
#include "tst_entry.moc"
