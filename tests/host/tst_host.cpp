// The demo host: its hand-over of a reopened request, its walk-through twice.

#include "dbsetup/dbsetup.h"
#include "entry/server.h"
#include "laboratory.h"
#include "platform/ado/recordset.h"
#include "support/database.h"
#include "support/rows.h"
#include "support/scripteduser.h"
#include "support/testregistry.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestHost : public QObject {
    Q_OBJECT
    TestRegistry registry_;

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { QCOMPARE(DllRegisterServer(), vcom::S_OK); }

    void reopenedRequestShowsWhatWasStored_data() {
        // stored: run first; opened: "<request> <form>"; boxes: "<box>=<text shown>"
        addColumns<QString, QString, QStringList, QString>("stored", "opened", "boxes", "remarks");
        addRows<const char*, const char*, QStringList, const char*>({
            {"exam form",
             "",
             "LR26-0012 frmExamForm",
             {"ctlscrnConv1.txtEntry(0)=182", "ctlscrnConv2.txtEntry(0)=38",
              "ctlscrnConv2.txtEntry(1)=0.63", "ctlscrnNormalValues.txtEntry(0)=128",
              "ctlscrnNormalValues.txtEntry(1)=0.39"},
             "Non-fasting sample"},
            {"profile",
             "LABORATORY..LAB_Save_EditProfileResultEntries 'LR26-0015','160','|||7||20||14||"
             "mg/dL||||BUN||7||20|','|||0.6||1.3||1.1||mg/dL||||CREA||0.6||1.3|','','','','','',"
             "'','','','','','','','','','','','Hemolysed sample'",
             "LR26-0015 frmExamForm",
             {"ctlscrnNormalValues.txtEntry(0)=14", "ctlscrnNormalValues.txtEntry(1)=1.1",
              "ctlscrnNormalValues.txtEntry(2)="},
             "Hemolysed sample"},
            {"coded form",
             "",
             "LR26-0002 frmfecalysis",
             {"txtFecalysis(0)=BROWN, FORMED", "txtFecalysis(6)=ASCARIS OVA 1-2/LPF"},
             "Advised deworming and repeat exam after 2 weeks."},
        });
    }
    void reopenedRequestShowsWhatWasStored() {
        QFETCH(QString, stored);
        QFETCH(QString, opened);
        QFETCH(QStringList, boxes);
        QFETCH(QString, remarks);
        FETCH_DATABASE(db, TestDatabase::Contents::LaboratoryWithDemoData);
        if (!stored.isEmpty())
            db->keeper().Execute(stored);
        Laboratory lab(db->connectionString());
        ScriptedUser user;
        QStringList shown;
        QString proposed;
        auto text = [](forms::Form& f, const QString& box) {
            auto* w = f.findChild<QWidget*>(box);
            return w ? w->property(w->inherits("QLineEdit") ? "text" : "plainText").toString()
                     : QStringLiteral("(none)");
        };
        user.expectForm(opened.section(' ', 1))
            .run([&](forms::Form& f) {
                for (const QString& box : boxes)
                    shown << box.section('=', 0, 0) + '=' + text(f, box.section('=', 0, 0));
            })
            .click(QStringLiteral("cmdExam(0)"))
            .click(QStringLiteral("cmdExam(1)"));
        user.expectForm(QStringLiteral("frmRemarksInput"))
            .run([&](forms::Form& f) { proposed = text(f, QStringLiteral("txtRemarks")); })
            .click(QStringLiteral("cmdFinish(1)"));
        QVERIFY(!lab.enterResults(opened.section(' ', 0, 0)));
        VERIFY_SCRIPT(user);
        QCOMPARE(shown, boxes);
        QCOMPARE(proposed, remarks);
    }

    // Run again over what it stored, the walk-through stores and says the same; left
    // out: the database's time stamps and the result date the first verification stamped.
    void walkthroughRunsTwiceAlike() {
        FETCH_DATABASE(server, TestDatabase::Contents::LaboratoryWithDemoData);
        // The host runs in a process of its own: SQLite in a folder, not in memory.
        QTemporaryDir dir;
        const bool sqlite = backend == QLatin1String("sqlite");
        const QString cs = sqlite ? QStringLiteral("Provider=SQLite;Data Source=") + dir.path()
                                  : server->connectionString();
        QVERIFY(!sqlite || dbsetup::createFolder(dir.path(), true));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("prints")));
        qputenv("VANTREL_PRINT_DIR", dir.filePath("prints").toLocal8Bit());
        const QStringList stamps{"entrydate", "updatedate", "verifieddate", "entryid",
                                 "tbLabResultEntry.resultdate"};
        QStringList said, stored;
        for (int run = 0; run < 2; ++run) {
            QProcess host;
            host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel-host"),
                       {QStringLiteral("--connection"), cs});
            QVERIFY(host.waitForFinished(300000));
            said << QString::fromUtf8(host.readAllStandardOutput())
                        .replace(QRegularExpression(QStringLiteral("\\d+\\.pdf")), "N.pdf");
            QVERIFY2(host.exitCode() == 0, qPrintable(said.last()));
            QCOMPARE(said.last().count(QStringLiteral("N.pdf")), 8);
            auto c = std::make_shared<ado::Connection>();
            c->Open(cs);
            QStringList rows;
            for (const char* table :
                 {"tbLabResultHCodes", "tbLabResultValues", "tbLabProfileResult",
                  "tbLabResultHistoCytology", "tbLabResultEntry", "tblablogbook"})
                for (auto rs = c->Execute(QStringLiteral("select * from LABORATORY..") + table);
                     !rs->eof(); rs->MoveNext()) {
                    QStringList row{QLatin1String(table)};
                    for (int i = 0; i < rs->FieldCount(); ++i)
                        if (const QString name = rs->Fields(i).Name.toLower();
                            !stamps.contains(name) && !stamps.contains(row[0] + '.' + name))
                            row << rs->Fields(i).Value.text();
                    rows << row.join('|');
                }
            rows.sort();
            stored << rows.join('\n');
        }
        QCOMPARE(said[1], said[0]);
        QCOMPARE(stored[1], stored[0]);
    }
};

QTEST_MAIN(TestHost)
#include "tst_host.moc"
