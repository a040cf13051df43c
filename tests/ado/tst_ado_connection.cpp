#include "dbsetup/dbsetup.h"
#include "platform/ado/connection.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/dialect.h"
#include "support/errors.h"
#include "support/printcapture.h"
#include "support/rows.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList attachedNames(const ado::Connection& c) {
    QSqlQuery q(c.database());
    q.exec(QStringLiteral("PRAGMA database_list"));
    QStringList names;
    while (q.next())
        names << q.value(1).toString();
    names.removeAll(QStringLiteral("main"));
    names.removeAll(QStringLiteral("temp"));
    return names;
}

// Procedures the tests' database knows.
bool knownProcedure(const QString& database, const QString& name) {
    static const QStringList known{"laboratory.lab_save_hcodes",
                                   "laboratory.sp_listmedtech",
                                   "laboratory.sp_listsearchmedtech",
                                   "laboratory.lab_getresulthcodes",
                                   "laboratory.lab_save_verifyresults",
                                   "laboratory.lab_getresultfromtable",
                                   "pat.sp_listmedtech"};
    return known.contains(database.toLower() + QLatin1Char('.') + name.toLower());
}

// A call written back as text: db.name(arg|arg|...), numbers as #n.
QString describe(const ado::TranslatedStatement& t) {
    if (!t.call)
        return t.sql;
    QStringList args;
    for (const vrt::Variant& a : t.call->args) {
        if (a.isNull())
            args << QStringLiteral("NULL");
        else if (a.isString())
            args << a.toString();
        else
            args << QLatin1Char('#') + a.toString();
    }
    return QStringLiteral("%1.%2(%3)")
        .arg(t.call->database, t.call->name, args.join(QLatin1Char('|')));
}

} // namespace

class TestAdoConnection : public QObject {
    Q_OBJECT

    QTemporaryDir empty_;

private slots:
    void parsesConnectionStrings() {
        VERIFY_TRANSCRIPT(QStringLiteral("ado/expected/connection_strings.txt"), [](QString input) {
            const QString text = takeQuoted(input);
            return quotedText(ado::ConnectionString::parse(text).value(takeQuoted(input)));
        });
    }

    void sqliteFolderOpensThreeDatabases() {
        QTemporaryDir dir;
        QVERIFY(dbsetup::createFolder(dir.path(), false));
        ado::Connection c;
        QCOMPARE(c.State(), int32_t(ado::adStateClosed));
        c.Open(QStringLiteral("Provider=SQLite;Data Source=") + dir.path());
        QCOMPARE(c.State(), int32_t(ado::adStateOpen));
        QCOMPARE(c.backend(), ado::Backend::SQLite);
        QCOMPARE(c.currentDatabase(), QStringLiteral("LABORATORY"));
        QCOMPARE(attachedNames(c), QStringList({"LABORATORY", "patient_data", "build_file"}));
        QSqlQuery mode(c.database());
        QVERIFY(mode.exec(QStringLiteral("PRAGMA build_file.journal_mode")) && mode.next());
        QCOMPARE(mode.value(0).toString(), QStringLiteral("wal"));
        QVERIFY(mode.exec(QStringLiteral("PRAGMA LABORATORY.synchronous")) && mode.next());
        QCOMPARE(mode.value(0).toInt(), 2); // FULL

        // Data written through one connection is in the folder for the next.
        QSqlQuery q(c.database());
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE patient_data.opened (Title TEXT)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO patient_data.opened VALUES ('GENERAL')")));
        c.Close();
        QCOMPARE(c.State(), int32_t(ado::adStateClosed));
        c.Open();
        QSqlQuery again(c.database());
        QVERIFY(again.exec(QStringLiteral("SELECT Title FROM patient_data.opened")));
        QVERIFY(again.next());
        QCOMPARE(again.value(0).toString(), QStringLiteral("GENERAL"));
    }

    void stateErrors() {
        ado::Connection c;
        const Raised closed = raised([&] { c.Close(); });
        QCOMPARE(closed.number, 3704);
        QCOMPARE(closed.description,
                 QStringLiteral("Operation is not allowed when the object is closed."));
        c.Open(QStringLiteral("Provider=SQLite;Data Source=memory:state-test"));
        QCOMPARE(raised([&] { c.Open(); }).number, 3705);
        QCOMPARE(raised([&] { c.setConnectionString(QStringLiteral("x")); }).number, 3705);
        QCOMPARE(c.State(), int32_t(ado::adStateOpen));
    }

    // The empty folder stands as <empty> in the transcript; it stays empty.
    void openFailures() {
        VERIFY_TRANSCRIPT(QStringLiteral("ado/expected/open_failures.txt"), [&](QString text) {
            text = takeQuoted(text).replace(QStringLiteral("<empty>"), empty_.path());
            ado::Connection c;
            const Raised r = raised([&] { c.Open(text); });
            return (c.State() == ado::adStateClosed ? QStringLiteral("closed; ")
                                                    : QStringLiteral("open; ")) +
                   QStringLiteral("error %1: ").arg(r.number) +
                   QString(r.description).replace(empty_.path(), QStringLiteral("<empty>"));
        });
        QCOMPARE(QDir(empty_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    void memoryDatabasesAreSharedByName() {
        const QString text = QStringLiteral("Provider=SQLite;Data Source=memory:shared-test;"
                                            "Initial Catalog=patient_data");
        ado::Connection a;
        a.Open(text);
        QCOMPARE(a.currentDatabase(), QStringLiteral("patient_data"));
        QSqlQuery q(a.database());
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE LABORATORY.t (x INTEGER)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO LABORATORY.t VALUES (42)")));
        ado::Connection b;
        b.Open(text);
        QSqlQuery r(b.database());
        QVERIFY(r.exec(QStringLiteral("SELECT x FROM LABORATORY.t")));
        QVERIFY(r.next());
        QCOMPARE(r.value(0).toInt(), 42);

        ado::Connection other;
        other.Open(QStringLiteral("Provider=SQLite;Data Source=memory:other-test"));
        QSqlQuery none(other.database());
        QVERIFY(!none.exec(QStringLiteral("SELECT x FROM LABORATORY.t")));
    }

    void postgresqlServer() {
        const QString text = qEnvironmentVariable("VANTREL_TEST_PG");
        if (text.isEmpty())
            QSKIP("VANTREL_TEST_PG names no PostgreSQL server");
        ado::Connection c;
        c.Open(text);
        QCOMPARE(c.State(), int32_t(ado::adStateOpen));
        QCOMPARE(c.backend(), ado::Backend::PostgreSQL);
        QSqlQuery q(c.database());
        QVERIFY(q.exec(QStringLiteral("SHOW search_path")));
        QVERIFY(q.next());
        QVERIFY2(q.value(0).toString().startsWith(QLatin1String("laboratory")),
                 qPrintable(q.value(0).toString()));
        c.Close();
        QCOMPARE(c.State(), int32_t(ado::adStateClosed));

        ado::Connection bad;
        const Raised r =
            raised([&] { bad.Open(text + QStringLiteral(";Database=vantrel_no_such_database")); });
        QCOMPARE(r.number, -2147467259);
        QVERIFY2(r.description.startsWith(QLatin1String("[PostgreSQL]")),
                 qPrintable(r.description));
    }

    void translates() {
        VERIFY_TRANSCRIPT(QStringLiteral("ado/expected/translate.txt"), [](QString statement) {
            const auto take = [&](const QString& prefix) {
                const bool found = statement.startsWith(prefix);
                if (found)
                    statement.remove(0, prefix.size());
                return found;
            };
            const auto backend = take(QStringLiteral("postgres: ")) ? ado::Backend::PostgreSQL
                                                                    : ado::Backend::SQLite;
            const QString database = take(QStringLiteral("in pat: "))
                                         ? QStringLiteral("pat")
                                         : QStringLiteral("LABORATORY");
            QString text;
            const Raised r = raised([&] {
                text = describe(ado::translate(statement, backend, database, knownProcedure));
            });
            return r.number ? QStringLiteral("error %1: %2").arg(r.number).arg(r.description)
                            : text;
        });
    }
};

QTEST_GUILESS_MAIN(TestAdoConnection)
#include "tst_ado_connection.moc"
