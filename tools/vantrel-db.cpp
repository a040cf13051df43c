// Creates laboratory databases and runs single statements of the library's
// dialect against them, for set-up and for looking at what the forms stored.

#include "dbsetup/dbsetup.h"
#include "platform/ado/connectionstring.h"
#include "platform/ado/recordset.h"
#include "platform/runtime/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

const char* const usage =
    "usage: vantrel-db init <folder> [--demo]\n"
    "       vantrel-db init-pg \"<connection string>\" [--demo]\n"
    "       vantrel-db exec \"<connection string>\" \"<statement>\"\n"
    "       vantrel-db upgrade <folder>|\"<connection string>\"\n"
    "       vantrel-db history <folder>|\"<connection string>\" <request>\n"
    "\n"
    "  init     creates the embedded laboratory database in <folder>\n"
    "  init-pg  creates the laboratory database on a PostgreSQL server database\n"
    "  exec     runs one statement and prints the rows it returns\n"
    "  upgrade  brings a laboratory database made by an earlier version to the\n"
    "           current schema, keeping every row\n"
    "  history  prints the audit trail of a request, oldest first\n"
    "  --demo   adds the demo records\n";

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}
QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

// One row per line: tabs and line breaks inside a value would split it.
QString cell(const vrt::Variant& v) {
    if (v.isNull())
        return QStringLiteral("NULL");
    QString t = v.toString();
    t.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return t;
}

int create(const QString& connectionString, const QString& where, bool demo) {
    ado::Connection c;
    c.Open(connectionString);
    if (dbsetup::hasLaboratory(c)) {
        err() << "vantrel-db: " << where
              << " already holds a laboratory database; nothing was changed.\n";
        return 1;
    }
    dbsetup::createLaboratory(c, demo);
    out() << "Created the laboratory database in " << where
          << (demo ? " with the demo data.\n" : ".\n");
    return 0;
}

int init(const QString& folder, bool demo) {
    const QString where = QDir::toNativeSeparators(QDir(folder).absolutePath());
    if (!dbsetup::createFolder(folder, demo)) {
        err() << "vantrel-db: " << where
              << " already holds a laboratory database; nothing was changed.\n";
        return 1;
    }
    out() << "Created the laboratory database in " << where
          << (demo ? " with the demo data.\n" : ".\n");
    return 0;
}

int initServer(QString connectionString, bool demo) {
    const auto cs = ado::ConnectionString::parse(connectionString);
    if (!cs.contains(QStringLiteral("Provider")))
        connectionString.prepend(QStringLiteral("Provider=PostgreSQL;"));
    else if (cs.value(QStringLiteral("Provider"))
                 .compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) != 0) {
        err() << "vantrel-db: init-pg needs a PostgreSQL connection string "
                 "(Provider=PostgreSQL;Server=..;Port=..;Database=..;User ID=..;Password=..).\n";
        return 2;
    }
    const QString database = cs.value(QStringLiteral("Database"));
    return create(connectionString,
                  QStringLiteral("the server database %1")
                      .arg(database.isEmpty() ? QStringLiteral("(default)") : database),
                  demo);
}

// A connection string, or the folder of an embedded database.
QString connectionOf(const QString& argument) {
    return argument.contains(QLatin1Char('=')) ? argument
                                               : dbsetup::folderConnectionString(argument);
}

int print(ado::Connection& c, const QString& statement) {
    const auto rs = c.Execute(statement);
    if (rs->State() != ado::adStateOpen) {
        out() << "(no rows returned)\n";
        return 0;
    }
    out() << rs->columnNames().join(QLatin1Char('\t')) << '\n';
    const auto& rows = rs->rows();
    for (const auto& row : rows) {
        QStringList cells;
        for (const vrt::Variant& v : row)
            cells << cell(v);
        out() << cells.join(QLatin1Char('\t')) << '\n';
    }
    out() << '(' << rows.size() << (rows.size() == 1 ? " row)\n" : " rows)\n");
    return 0;
}

int exec(const QString& connectionString, const QString& statement) {
    ado::Connection c;
    c.Open(connectionString);
    return print(c, statement);
}

int upgrade(const QString& argument) {
    ado::Connection c;
    c.Open(connectionOf(argument));
    const int from = dbsetup::upgradeLaboratory(c);
    const int to = dbsetup::schemaVersion(c);
    if (from == to)
        out() << "The laboratory database is at schema version " << to
              << "; nothing was changed.\n";
    else
        out() << "Upgraded the laboratory database from schema version " << from << " to " << to
              << "; every row was kept.\n";
    return 0;
}

int history(const QString& argument, const QString& request) {
    ado::Connection c;
    c.Open(connectionOf(argument));
    return print(c, QStringLiteral("select ChangedAt, Action, TableName, Exam, ColumnName, "
                                   "OldValue, NewValue, EmployeeID, MedTechID, Workstation, "
                                   "DbUser from laboratory..tbLabAudit where RequestNum = '") +
                        ado::quoted(request) + QStringLiteral("' order by AuditID"));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    const bool demo = args.removeAll(QStringLiteral("--demo")) > 0;
    const bool takesDemo = command == QLatin1String("init") || command == QLatin1String("init-pg");
    const bool known = takesDemo || command == QLatin1String("exec") ||
                       command == QLatin1String("upgrade") || command == QLatin1String("history");
    const int operands =
        command == QLatin1String("exec") || command == QLatin1String("history") ? 2 : 1;
    if (!known || args.size() != operands || (demo && !takesDemo) || args.first().isEmpty()) {
        err() << usage;
        return 2;
    }
    try {
        int rc;
        if (command == QLatin1String("init"))
            rc = init(args[0], demo);
        else if (command == QLatin1String("init-pg"))
            rc = initServer(args[0], demo);
        else if (command == QLatin1String("upgrade"))
            rc = upgrade(args[0]);
        else if (command == QLatin1String("history"))
            rc = history(args[0], args[1]);
        else
            rc = exec(args[0], args[1]);
        out().flush();
        return rc;
    } catch (const vrt::RuntimeError& e) {
        out().flush();
        err() << "vantrel-db: error " << e.number() << ": " << e.description() << '\n';
        return 1;
    }
}
