// Creates laboratory databases and runs single statements of the library's
// dialect against them, for set-up and for looking at what the forms stored.

#include "dbsetup/archive.h"
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
    "       vantrel-db reprint <folder>|\"<connection string>\" <request> [n]\n"
    "\n"
    "  init     creates the embedded laboratory database in <folder>\n"
    "  init-pg  creates the laboratory database on a PostgreSQL server database\n"
    "  exec     runs one statement and prints the rows it returns\n"
    "  upgrade  brings a laboratory database made by an earlier version to the\n"
    "           current schema, keeping every row\n"
    "  history  prints the audit trail of a request, oldest first, and then the\n"
    "           reports printed for it (numbered from 1, the oldest)\n"
    "  reprint  prints report n of a request again (the latest without n), as the\n"
    "           PDF archived when it was first printed\n"
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
    const int rc = print(c, QStringLiteral("select ChangedAt, Action, TableName, Exam, ColumnName, "
                                           "OldValue, NewValue, EmployeeID, MedTechID, "
                                           "Workstation, DbUser from laboratory..tbLabAudit "
                                           "where RequestNum = '") +
                                ado::quoted(request) + QStringLiteral("' order by AuditID"));
    // The archive beside the audit, numbered as reprint takes them.
    const auto reports = dbsetup::archivedReports(c, request);
    if (reports.empty())
        return rc;
    out() << "\nReport\tPrintedAt\tKind\tDocument\tEmployeeID\tMedTechID\tWorkstation\tPDF "
             "bytes\n";
    for (const auto& r : reports)
        out() << r.number << '\t' << r.printedAt << '\t' << r.kind << '\t' << r.document << '\t'
              << r.employee << '\t' << r.medtech << '\t' << r.workstation << '\t' << r.pdf.size()
              << '\n';
    out() << '(' << reports.size() << (reports.size() == 1 ? " report)\n" : " reports)\n");
    return rc;
}

int reprint(const QString& argument, const QString& request, const QString& number) {
    bool ok = true;
    const int n = number.isEmpty() ? 0 : number.toInt(&ok);
    if (!ok || n < 0 || (!number.isEmpty() && n == 0)) {
        err() << "vantrel-db: reports are numbered from 1: " << number << '\n';
        return 2;
    }
    ado::Connection c;
    c.Open(connectionOf(argument));
    const auto reports = dbsetup::archivedReports(c, request);
    if (reports.empty() || n > int(reports.size())) {
        err() << "vantrel-db: " << request << " has no printed report"
              << (n > 0 ? QStringLiteral(" %1").arg(n) : QString())
              << "; vantrel-db history lists them.\n";
        return 1;
    }
    const dbsetup::ArchivedReport& r = reports[size_t(n > 0 ? n - 1 : reports.size() - 1)];
    const QString where = dbsetup::reprint(r);
    out() << "Printed report " << r.number << " of " << request << " (" << r.kind << ", printed "
          << r.printedAt << ") to " << where << ".\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    const bool demo = args.removeAll(QStringLiteral("--demo")) > 0;
    const bool takesDemo = command == QLatin1String("init") || command == QLatin1String("init-pg");
    const bool known = takesDemo || command == QLatin1String("exec") ||
                       command == QLatin1String("upgrade") || command == QLatin1String("history") ||
                       command == QLatin1String("reprint");
    const int operands =
        command == QLatin1String("exec") || command == QLatin1String("history") ? 2 : 1;
    const bool reprinting = command == QLatin1String("reprint");
    const bool counted =
        reprinting ? args.size() == 2 || args.size() == 3 : args.size() == operands;
    if (!known || !counted || (demo && !takesDemo) || args.first().isEmpty()) {
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
        else if (reprinting)
            rc = reprint(args[0], args[1], args.value(2));
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
