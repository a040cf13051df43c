#include "dbsetup.h"

#include "platform/ado/engine.h"
#include "platform/ado/errors.h"
#include "platform/ado/procedures.h"

#include <QFile>

namespace dbsetup {

namespace {

QString resource(const QString& path) {
    QFile f(QStringLiteral(":/db/") + path);
    if (!f.open(QIODevice::ReadOnly))
        ado::raiseProvider(QStringLiteral("The database script %1 is missing.").arg(path));
    return QString::fromUtf8(f.readAll());
}

} // namespace

void createLaboratory(ado::Connection& connection, bool demoData) {
    if (connection.backend() == ado::Backend::SQLite) {
        connection.runScript(resource(QStringLiteral("sqlite/schema.sql")));
        ado::installSqliteProcedures(connection, resource(QStringLiteral("sqlite/procedures.sql")));
    } else {
        connection.runScript(resource(QStringLiteral("postgres/schema.sql")));
    }
    if (demoData)
        connection.runScript(resource(QStringLiteral("seed.sql")));
}

bool hasLaboratory(ado::Connection& connection) {
    try {
        connection.runScript(QStringLiteral("SELECT 1 FROM LABORATORY.tblablogbook WHERE 1 = 0"));
        return true;
    } catch (const vrt::RuntimeError&) {
        return false;
    }
}

} // namespace dbsetup
