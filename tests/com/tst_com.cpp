#include "dbsetup/dbsetup.h"
#include "entry/dispatch_clsDataEntry.h"
#include "entry/modulestate.h"
#include "entry/server.h"
#include "platform/ado/connection.h"
#include "platform/com/createobject.h"
#include "platform/com/registry.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/rows.h"
#include "support/testregistry.h"
#include "support/threads.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using vrt::Variant;

namespace {

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

class TestCom : public QObject {
    Q_OBJECT

    TestRegistry registry_;

private slots:
    void init() { QCOMPARE(DllRegisterServer(), vcom::S_OK); }

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
        QCOMPARE(s.value(key + QStringLiteral("InprocServer32")).toString(), vantrelLibraryPath());
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
        QCOMPARE(got.join(u','),
                 QStringLiteral(
                     "EmployeeName 6803001f let 1,ProfileExamID 6803001e let 1,"
                     "Reagent 6803001d let 1,Remarks 6803001c let 1,Pathologist 6803001b let 1,"
                     "ExamModel 6803001a let 1,MedTechID 68030019 let 1,ProfileMode 68030018 let 1,"
                     "Amount 68030017 let 1,DoctorID 68030016 let 1,Switch 68030015 let 1,"
                     "EditMode 68030014 let 1,TransDate 68030013 let 1,ResultDate 68030012 let 1,"
                     "ReferenceNumber 68030011 let 1,SectionID 68030010 let 1,"
                     "PatientType 6803000f let 1,RoomID 6803000e let 1,EmployeeID 6803000d let 1,"
                     "RequestNum 6803000c let 1,HospNum 6803000b let 1,CivilStatus 6803000a let 1,"
                     "IDNum 68030009 let 1,PatName 68030008 let 1,Age 68030007 let 1,"
                     "Sex 68030006 let 1,SectionName 68030005 let 1,DoctorName 68030004 let 1,"
                     "ExamTitle 68030003 let 1,SQLConnection 60030020 call 1,"
                     "Space_Allowance 68030002 let 1,ProfileScreen 68030001 let 1,"
                     "HasSaved 68030000 get 0,Clear_Exams 60030023 call 0,"
                     "Show_ResultEntry 60030024 call 2,Modify_Exam 60030025 call 5,"
                     "Add_Exam 60030026 call 10"));
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

QTEST_GUILESS_MAIN(TestCom)
#include "tst_com.moc"
