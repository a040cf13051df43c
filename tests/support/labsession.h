#pragma once

#include "support/database.h"
#include "support/printcapture.h"
#include "vantrel/clsDataEntry.h"

#include <memory>

// One request handed to the library as a host hands it: a laboratory
// database with the demo data, a data-entry object connected to it, the
// request's properties and its first exam. Print jobs are captured.
class LabSession {
public:
    static std::unique_ptr<LabSession> open(const QString& backend);
    ~LabSession();

    // Writes the request's properties and one exam (lab number = request).
    void request(const QString& requestNum, const QString& formType, const QString& examId,
                 const QString& title);

    entry::clsDataEntry& object() { return *object_; }
    TestDatabase& database() { return *db_; }
    // The rows a statement of the library's dialect returns, each row's
    // values as text (Null as "NULL").
    QList<QStringList> rows(const QString& statement);
    // Removes a stored procedure of LABORATORY, so that calling it fails.
    void dropProcedure(const QString& name);
    // The PDFs printed so far, full paths.
    QStringList printedFiles() const { return prints_.files(); }

private:
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<entry::clsDataEntry> object_;
    PrintCapture prints_;
};

// Opens the session for the backend of the current global test row into
// var; skips the test when that backend is not available.
#define FETCH_LAB_SESSION(var)                                                                     \
    do {                                                                                           \
        QFETCH_GLOBAL(QString, backend);                                                           \
        var = LabSession::open(backend);                                                           \
        if (!var)                                                                                  \
            QSKIP("PostgreSQL is not available (VANTREL_TEST_PG is empty)");                       \
    } while (false)
