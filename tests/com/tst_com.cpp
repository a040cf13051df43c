#include "dbsetup/dbsetup.h"
#include "entry/modulestate.h"
#include "entry/server.h"
#include "platform/ado/connection.h"
#include "platform/com/createobject.h"
#include "platform/com/registry.h"
#include "support/errors.h"
#include "support/metatypes.h"
#include "support/testregistry.h"
#include "support/threads.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using vrt::Variant;

class TestCom : public QObject {
    Q_OBJECT

    TestRegistry registry_;

    vcom::LateBound create() { return vcom::CreateObject(QStringLiteral("Vantrel.clsDataEntry")); }

private slots:
    void init() { QCOMPARE(DllRegisterServer(), vcom::S_OK); }

    void guidRoundTrip() {
        const QString text = CLSID_clsDataEntry.toString();
        QVERIFY(text.startsWith(QLatin1Char('{')) && text.endsWith(QLatin1Char('}')));
        QCOMPARE(vcom::GUID::fromString(text), std::optional(CLSID_clsDataEntry));
        QCOMPARE(vcom::GUID::fromString(text.toLower().mid(1, 36)),
                 std::optional(CLSID_clsDataEntry));
        QVERIFY(!vcom::GUID::fromString(QStringLiteral("{not-a-guid}")));
    }

    void registrationKeepsProgIdPathAndThreadingModel() {
        QSettings s(registry_.path(), QSettings::IniFormat);
        const QString clsid = CLSID_clsDataEntry.toString();
        QCOMPARE(s.value(QStringLiteral("ProgID/Vantrel.clsDataEntry/CLSID")).toString(), clsid);
        const QString key = QStringLiteral("CLSID/") + clsid;
        QCOMPARE(s.value(key + QStringLiteral("/ProgID")).toString(),
                 QStringLiteral("Vantrel.clsDataEntry"));
        QCOMPARE(s.value(key + QStringLiteral("/InprocServer32")).toString(), vantrelLibraryPath());
        QCOMPARE(s.value(key + QStringLiteral("/ThreadingModel")).toString(),
                 QStringLiteral("Apartment"));
    }

    void unregisteredClassCannotBeCreated() {
        QCOMPARE(DllUnregisterServer(), vcom::S_OK);
        QVERIFY(!vcom::registry::clsidFromProgId(QStringLiteral("Vantrel.clsDataEntry")));
        const Raised r = raised([&] { create(); });
        QCOMPARE(r.number, 429);
        QVERIFY(r.description.startsWith(QStringLiteral("ActiveX component can't create object")));
    }

    void progIdIsNotCaseSensitive() {
        QVERIFY(vcom::CreateObject(QStringLiteral("vantrel.CLSDATAENTRY")));
    }

    void wrongClassHasNoFactory() {
        void* object = nullptr;
        const vcom::CLSID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
        QCOMPARE(DllGetClassObject(&other, &vcom::IID_IClassFactory, &object),
                 vcom::CLASS_E_CLASSNOTAVAILABLE);
        QVERIFY(!object);
    }

    // The interface contract: every member and its dispatch identifier,
    // found whatever the letter case of the name.
    void dispatchIdentifiers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("dispid");
        const std::pair<const char*, uint32_t> members[] = {
            {"EmployeeName", 0x6803001F},
            {"ProfileExamID", 0x6803001E},
            {"Reagent", 0x6803001D},
            {"Remarks", 0x6803001C},
            {"Pathologist", 0x6803001B},
            {"ExamModel", 0x6803001A},
            {"MedTechID", 0x68030019},
            {"ProfileMode", 0x68030018},
            {"Amount", 0x68030017},
            {"DoctorID", 0x68030016},
            {"Switch", 0x68030015},
            {"EditMode", 0x68030014},
            {"TransDate", 0x68030013},
            {"ResultDate", 0x68030012},
            {"ReferenceNumber", 0x68030011},
            {"SectionID", 0x68030010},
            {"PatientType", 0x6803000F},
            {"RoomID", 0x6803000E},
            {"EmployeeID", 0x6803000D},
            {"RequestNum", 0x6803000C},
            {"HospNum", 0x6803000B},
            {"CivilStatus", 0x6803000A},
            {"IDNum", 0x68030009},
            {"PatName", 0x68030008},
            {"Age", 0x68030007},
            {"Sex", 0x68030006},
            {"SectionName", 0x68030005},
            {"DoctorName", 0x68030004},
            {"ExamTitle", 0x68030003},
            {"Space_Allowance", 0x68030002},
            {"ProfileScreen", 0x68030001},
            {"HasSaved", 0x68030000},
            {"SQLConnection", 0x60030020},
            {"Clear_Exams", 0x60030023},
            {"Show_ResultEntry", 0x60030024},
            {"Modify_Exam", 0x60030025},
            {"Add_Exam", 0x60030026},
        };
        for (const auto& [name, id] : members) {
            QTest::newRow(name) << QString::fromLatin1(name) << int(id);
            QTest::newRow(qPrintable(QStringLiteral("%1 lower").arg(QLatin1String(name))))
                << QString::fromLatin1(name).toLower() << int(id);
        }
    }
    void dispatchIdentifiers() {
        QFETCH(QString, name);
        QFETCH(int, dispid);
        vcom::LateBound object = create();
        vcom::DISPID id = 0;
        QCOMPARE(object.dispatch()->GetIDsOfNames(name, &id), vcom::S_OK);
        QCOMPARE(id, dispid);
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
        onFreshThread([this] {
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
        QTest::addColumn<QString>("member");
        QTest::addColumn<Variant>("argument");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("description");
        QTest::newRow("Null into a String")
            << "PatName" << Variant::null() << 13 << "Type mismatch";
        QTest::newRow("Integer overflow")
            << "Space_Allowance" << Variant(40000.0) << 6 << "Overflow";
        QTest::newRow("text into a Boolean")
            << "EditMode" << Variant("maybe") << 13 << "Type mismatch";
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
        QCOMPARE(info.scode, vcom::hresultFromError(error));
        QCOMPARE(uint32_t(info.scode) & 0xFFFF0000u, 0x800A0000u);
        QCOMPARE(info.description, description);
        QCOMPARE(info.source, QStringLiteral("Vantrel.clsDataEntry"));
    }

    void examListThroughDispatch() {
        onFreshThread([this] {
            vcom::LateBound object = create();
            const Raised early = raised([&] {
                object.call(QStringLiteral("Modify_Exam"), {"A", "U", "T", false, Variant()});
            });
            QCOMPARE(early.number, 9);
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
            object.call(QStringLiteral("SQLConnection"), {Variant(vrt::ObjectPtr(host))});
            QCOMPARE(entry::state().LabConnection->State(), int32_t(ado::adStateOpen));
            const Raised again = raised([&] {
                object.call(QStringLiteral("SQLConnection"), {Variant(vrt::ObjectPtr(host))});
            });
            QCOMPARE(again.number, 3705);
            QCOMPARE(again.description,
                     QStringLiteral("Operation is not allowed when the object is open."));
            QCOMPARE(raised([&] { object.call(QStringLiteral("SQLConnection"), {"text"}); }).number,
                     13);
            QCOMPARE(
                raised([&] { object.call(QStringLiteral("SQLConnection"), {Variant()}); }).number,
                91);
            // Releasing the last reference terminates the object and closes the connection.
            object.release();
            QVERIFY(!entry::state().LabConnection);
        });
    }

    void canUnloadFollowsObjectsAndLocks() {
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);
        {
            vcom::LateBound object = create();
            QCOMPARE(DllCanUnloadNow(), vcom::S_FALSE);
        }
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);

        void* raw = nullptr;
        QCOMPARE(DllGetClassObject(&CLSID_clsDataEntry, &vcom::IID_IClassFactory, &raw),
                 vcom::S_OK);
        auto factory =
            vcom::ComPtr<vcom::IClassFactory>::attach(static_cast<vcom::IClassFactory*>(raw));
        QCOMPARE(factory->LockServer(true), vcom::S_OK);
        QCOMPARE(DllCanUnloadNow(), vcom::S_FALSE);
        QCOMPARE(factory->LockServer(false), vcom::S_OK);
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);

        void* object = nullptr;
        QCOMPARE(factory->CreateInstance(nullptr, vcom::IID_IDispatch, &object), vcom::S_OK);
        QCOMPARE(DllCanUnloadNow(), vcom::S_FALSE);
        static_cast<vcom::IDispatch*>(object)->Release();
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);
        QCOMPARE(factory->CreateInstance(nullptr, vcom::IID_IClassFactory, &object),
                 vcom::E_NOINTERFACE);
        QCOMPARE(DllCanUnloadNow(), vcom::S_OK);
    }
};

QTEST_GUILESS_MAIN(TestCom)
#include "tst_com.moc"
