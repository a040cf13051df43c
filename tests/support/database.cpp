#include "database.h"

#include "dbsetup/dbsetup.h"
#include "platform/ado/connectionstring.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <atomic>

namespace {

std::atomic<int> counter{0};

QString withDatabase(const QString& connectionString, const QString& database) {
    QStringList parts;
    for (const QString& part : connectionString.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!part.trimmed().startsWith(QLatin1String("Database"), Qt::CaseInsensitive))
            parts << part;
    parts << QStringLiteral("Database=") + database;
    return parts.join(QLatin1Char(';'));
}

// Runs one statement on the server's admin database.
bool admin(const QString& connectionString, const QString& sql, QString* error) {
    const auto cs = ado::ConnectionString::parse(connectionString);
    const QString name = QStringLiteral("vantrel-test-admin-%1").arg(++counter);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(cs.value(QStringLiteral("Server"), QStringLiteral("localhost")));
        db.setPort(cs.value(QStringLiteral("Port"), QStringLiteral("5432")).toInt());
        db.setDatabaseName(cs.value(QStringLiteral("Database")));
        db.setUserName(cs.value(QStringLiteral("User ID")));
        db.setPassword(cs.value(QStringLiteral("Password")));
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(sql);
            if (!ok && error)
                *error = q.lastError().text();
        } else if (error) {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// Laboratory databases on the server are copies of a template made once per
// server and version of the scripts: copying is many times faster than
// running the schema script for every test.
QString templateName(TestDatabase::Contents contents) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const char* script : {":/db/postgres/schema.sql", ":/db/seed.sql"}) {
        QFile f{QString::fromLatin1(script)};
        if (!f.open(QIODevice::ReadOnly))
            qFatal("missing database script %s", script);
        hash.addData(f.readAll());
    }
    return QStringLiteral("vantrel_tpl_%1_%2")
        .arg(contents == TestDatabase::Contents::LaboratoryWithDemoData ? "demo" : "lab",
             QString::fromLatin1(hash.result().toHex().left(12)));
}

// Made under a name of its own and renamed when complete, so a test
// process running at the same time never copies half a template.
void makeTemplate(const QString& server, const QString& name, TestDatabase::Contents contents) {
    const QString building =
        QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid());
    QString error;
    if (!admin(server, QStringLiteral("CREATE DATABASE ") + building, &error))
        qFatal("cannot create %s: %s", qPrintable(building), qPrintable(error));
    {
        ado::Connection c;
        c.Open(withDatabase(server, building));
        dbsetup::createLaboratory(c, contents == TestDatabase::Contents::LaboratoryWithDemoData);
    }
    if (!admin(server, QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(building, name),
               nullptr))
        admin(server, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(building),
              nullptr);
}

} // namespace

void addBackendRows() {
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

std::unique_ptr<TestDatabase> TestDatabase::create(const QString& backend, Contents contents) {
    std::unique_ptr<TestDatabase> t(new TestDatabase);
    if (backend == QLatin1String("sqlite")) {
        t->connectionString_ = QStringLiteral("Provider=SQLite;Data Source=memory:test-%1-%2")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(++counter);
    } else {
        const QString server = qEnvironmentVariable("VANTREL_TEST_PG");
        if (server.isEmpty())
            return nullptr;
        t->adminConnectionString_ = server;
        t->postgresName_ = QStringLiteral("vantrel_t_%1_%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(++counter);
        const QString create = QStringLiteral("CREATE DATABASE ") + t->postgresName_;
        QString error;
        bool made;
        if (contents == Contents::Empty) {
            made = admin(server, create, &error);
        } else {
            // FILE_COPY: a copy made with the default strategy can lose its
            // identity sequences' progress when the server crashes, and some
            // tests crash it.
            const QString copy = create + QStringLiteral(" TEMPLATE ") + templateName(contents) +
                                 QStringLiteral(" STRATEGY FILE_COPY");
            made = admin(server, copy, nullptr);
            if (!made) {
                makeTemplate(server, templateName(contents), contents);
                made = admin(server, copy, &error);
            }
        }
        if (!made)
            qFatal("cannot create test database %s: %s", qPrintable(t->postgresName_),
                   qPrintable(error));
        t->connectionString_ = withDatabase(server, t->postgresName_);
        t->keeper_ = t->open();
        return t;
    }
    t->keeper_ = t->open();
    if (contents != Contents::Empty)
        dbsetup::createLaboratory(*t->keeper_, contents == Contents::LaboratoryWithDemoData);
    return t;
}

TestDatabase::~TestDatabase() {
    keeper_.reset();
    if (!postgresName_.isEmpty())
        admin(adminConnectionString_,
              QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(postgresName_),
              nullptr);
}

std::shared_ptr<ado::Connection> TestDatabase::open() const {
    auto c = std::make_shared<ado::Connection>();
    c->Open(connectionString_);
    return c;
}
