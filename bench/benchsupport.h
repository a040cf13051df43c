#pragma once

#include <QApplication>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
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

// Benchmarks of windows and reports run offscreen.
inline int runOffscreenBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
