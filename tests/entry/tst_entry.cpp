#include "dbsetup/dbsetup.h"
#include "entry/modulestate.h"
#include "support/errors.h"
#include "support/threads.h"
#include "vantrel/clsDataEntry.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using entry::clsDataEntry;
using entry::state;

namespace {

std::shared_ptr<ado::Connection> sqliteConnection(const QString& folder) {
    auto c = std::make_shared<ado::Connection>();
    c->setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + folder);
    return c;
}

} // namespace

class TestEntry : public QObject {
    Q_OBJECT

    QTemporaryDir data_;

private slots:
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

    void sqlConnectionReportsTheProvidersError_data() {
        QTest::addColumn<QString>("connectionString");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("missing folder")
            << "Provider=SQLite;Data Source=/nonexistent/lab" << -2147467259 << "/nonexistent/lab";
        QTest::newRow("unknown provider")
            << "Provider=SQLOLEDB;Data Source=x" << 3706 << "Provider cannot be found";
        QTest::newRow("no provider") << "Data Source=x" << 3706 << "Provider cannot be found";
    }
    void sqlConnectionReportsTheProvidersError() {
        QFETCH(QString, connectionString);
        QFETCH(int, error);
        QFETCH(QString, mentions);
        onFreshThread([&] {
            ado::Connection host;
            host.setConnectionString(connectionString);
            auto object = std::make_unique<clsDataEntry>();
            const Raised r = raised([&] { object->SQLConnection(host); });
            QCOMPARE(r.number, error);
            QVERIFY2(r.description.contains(mentions), qPrintable(r.description));
            QCOMPARE(state().LabConnection->State(), int32_t(ado::adStateClosed));
            // Termination with a connection that never opened only releases it.
            object.reset();
            QVERIFY(!state().LabConnection);
        });
    }
};

QTEST_GUILESS_MAIN(TestEntry)
#include "tst_entry.moc"
