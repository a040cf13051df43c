#include "dbsetup.h"

#include "entry/audit.h"

#include "platform/ado/engine.h"
#include "platform/ado/errors.h"
#include "platform/ado/procedures.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>

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

int schemaVersion(ado::Connection& connection) {
    if (!hasLaboratory(connection))
        return 0;
    // Read past the statement trace: this is set-up, not the library's work.
    QSqlQuery q(connection.database());
    if (!q.exec(QStringLiteral("SELECT version FROM LABORATORY.vantrel_schema")))
        return 1;
    return q.next() ? q.value(0).toInt() : 1;
}

int upgradeLaboratory(ado::Connection& connection) {
    const int version = schemaVersion(connection);
    if (version == 0)
        ado::raiseProvider(QStringLiteral("There is no laboratory database here to upgrade; "
                                          "create one with vantrel-db init."));
    if (version > entry::laboratorySchemaVersion)
        ado::raiseProvider(QStringLiteral("The laboratory database has schema version %1, newer "
                                          "than this program knows (%2); nothing was changed.")
                               .arg(version)
                               .arg(entry::laboratorySchemaVersion));
    // The scripts create only what is missing and replace the procedures and
    // triggers, so running them over an older database is the upgrade.
    if (version < entry::laboratorySchemaVersion) {
        if (connection.backend() == ado::Backend::SQLite) {
            const QString schema = resource(QStringLiteral("sqlite/schema.sql"));
            connection.runScript(QStringLiteral("BEGIN IMMEDIATE"));
            try {
                connection.runScript(schema);
                connection.runScript(QStringLiteral("COMMIT"));
            } catch (const vrt::RuntimeError&) {
                connection.runScript(QStringLiteral("ROLLBACK"));
                throw;
            }
            ado::installSqliteProcedures(connection,
                                         resource(QStringLiteral("sqlite/procedures.sql")));
        } else {
            connection.runScript(resource(QStringLiteral("postgres/schema.sql")));
        }
    }
    return version;
}

QString folderConnectionString(const QString& folder) {
    // Quoted, so a folder name may hold ';' or '='.
    QString path = QDir(folder).absolutePath();
    path.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(path);
}

bool createFolder(const QString& folder, bool demoData) {
    if (!QDir().mkpath(folder))
        ado::raiseProvider(
            QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(folder)));
    const QDir dir(folder);
    QStringList made;
    try {
        for (const char* name : {"LABORATORY.db", "patient_data.db", "build_file.db"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            if (file.exists())
                continue;
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                ado::raiseProvider(
                    QStringLiteral("Cannot create %1: %2")
                        .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
            made << file.fileName();
        }
        ado::Connection c;
        c.Open(folderConnectionString(folder));
        if (hasLaboratory(c))
            return false;
        createLaboratory(c, demoData);
        return true;
    } catch (...) {
        for (const QString& file : made) {
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(file + QLatin1String(suffix));
        }
        throw;
    }
}

} // namespace dbsetup
