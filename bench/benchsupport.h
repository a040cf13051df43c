#pragma once

#include <QApplication>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <benchmark/benchmark.h>

// A SQLite procedure body as the database keeps it, made ready for QSqlQuery:
// Qt takes "?" for positional parameters only, so "?N" becomes ":pN".
inline QString procedureBody(QSqlDatabase db, const QString& name) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT body FROM LABORATORY.vantrel_procedures WHERE name = ?"));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        return {};
    static const QRegularExpression numbered(QStringLiteral("\\?(\\d+)"));
    return q.value(0).toString().replace(numbered, QStringLiteral(":p\\1"));
}

// Runs a prepared look-up of the log-book row with the request bound, and
// reads every column of every row as a recordset does. Returns whether the
// request has a row; a failed look-up stops the benchmark.
inline bool readLogbook(QSqlQuery& logbook, const QString& request, benchmark::State& state) {
    logbook.bindValue(0, request);
    if (!logbook.exec()) {
        state.SkipWithError(qPrintable(logbook.lastError().text()));
        return false;
    }
    bool found = false;
    while (logbook.next()) {
        found = true;
        for (int c = 0; c < logbook.record().count(); ++c)
            benchmark::DoNotOptimize(logbook.value(c));
    }
    logbook.finish();
    return found;
}

// Benchmarks of windows and reports run offscreen.
inline int runOffscreenBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
