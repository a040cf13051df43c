#pragma once

#include "platform/ado/connection.h"

#include <QString>
#include <memory>

// A fresh database of one backend for one test: SQLite in memory (a name of
// its own), or a new PostgreSQL database on the server that VANTREL_TEST_PG
// names (a copy of a template holding the laboratory), dropped at the end.
class TestDatabase {
public:
    enum class Contents { Empty, Laboratory, LaboratoryWithDemoData };

    // "sqlite" or "postgresql". Returns null (and the test should skip) when
    // the backend is not available.
    static std::unique_ptr<TestDatabase> create(const QString& backend,
                                                Contents contents = Contents::Empty);
    ~TestDatabase();

    QString connectionString() const { return connectionString_; }
    // A new connection to it, open.
    std::shared_ptr<ado::Connection> open() const;
    // The connection that set it up (stays open, keeps an in-memory database alive).
    ado::Connection& keeper() { return *keeper_; }

private:
    TestDatabase() = default;
    QString connectionString_;
    QString adminConnectionString_;
    QString postgresName_;
    std::shared_ptr<ado::Connection> keeper_;
};

// Adds the "backend" rows for initTestCase_data(): every test then runs on
// SQLite and on PostgreSQL.
void addBackendRows();
// The backend of the current global row; skips the test when unavailable.
#define FETCH_DATABASE(var, contents)                                                              \
    QFETCH_GLOBAL(QString, backend);                                                               \
    auto var = TestDatabase::create(backend, contents);                                            \
    if (!var)                                                                                      \
        QSKIP("PostgreSQL is not available (VANTREL_TEST_PG is empty)");
