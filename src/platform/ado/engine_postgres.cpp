#include "engine.h"
#include "errors.h"
#include "platform/runtime/datetime.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <climits>

namespace ado::detail {

namespace {

vrt::Variant fromQt(const QVariant& v) {
    if (v.isNull())
        return vrt::Variant::null();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return vrt::Variant(v.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qlonglong n = v.toLongLong();
        if (n >= INT32_MIN && n <= INT32_MAX)
            return vrt::Variant(static_cast<int32_t>(n));
        return vrt::Variant(static_cast<double>(n));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return vrt::Variant(v.toDouble());
    case QMetaType::QDateTime:
        return vrt::Variant(vrt::toSerial(v.toDateTime()));
    case QMetaType::QDate:
        return vrt::Variant(vrt::toSerial(v.toDate()));
    case QMetaType::QTime:
        return vrt::Variant(vrt::Date{v.toTime().msecsSinceStartOfDay() / 86400000.0});
    default:
        return vrt::Variant(v.toString());
    }
}

QVariant toQt(const vrt::Variant& v) {
    switch (v.type()) {
    case vrt::VarType::Null:
    case vrt::VarType::Empty:
        return QVariant(QMetaType::fromType<QString>());
    case vrt::VarType::Integer:
    case vrt::VarType::Long:
        return QVariant(v.toLong());
    case vrt::VarType::Double:
        return QVariant(v.toDouble());
    default: {
        // An empty text is a value, not a missing one: Qt binds a null
        // QString as NULL.
        QString text = v.toString();
        if (text.isNull())
            text = QLatin1String("");
        return QVariant(text);
    }
    }
}

class PostgresEngine : public Engine {
public:
    explicit PostgresEngine(QSqlDatabase db) : db_(std::move(db)) {}

    Rows query(const QString& sql) override {
        savepoint();
        QSqlQuery q(db_);
        q.setForwardOnly(true);
        if (!q.exec(sql))
            fail(q);
        Rows rows = collect(q);
        release();
        return rows;
    }

    Rows call(const ProcedureCall& call, const ProcedureInfo& info) override {
        QStringList marks;
        for (size_t i = 0; i < call.args.size(); ++i)
            marks << QStringLiteral("?");
        const QString target =
            QStringLiteral("%1.%2(%3)")
                .arg(info.body, call.name.toLower(), marks.join(QLatin1Char(',')));
        savepoint();
        QSqlQuery q(db_);
        q.setForwardOnly(true);
        if (!q.prepare(info.returnsRows ? QStringLiteral("SELECT * FROM ") + target
                                        : QStringLiteral("SELECT ") + target))
            fail(q);
        for (const vrt::Variant& a : call.args)
            q.addBindValue(toQt(a));
        if (!q.exec())
            fail(q);
        Rows rows = info.returnsRows ? collect(q) : Rows{};
        release();
        return rows;
    }

    std::optional<ProcedureInfo> lookupProcedure(const QString& database,
                                                 const QString& name) override {
        QSqlQuery q(db_);
        const bool prepared = q.prepare(QStringLiteral(
            "SELECT p.pronargs, p.pronargdefaults, p.provariadic <> 0, "
            "p.prorettype <> 'void'::regtype, n.nspname "
            "FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
            "WHERE n.nspname = lower(?) AND p.proname = lower(?) ORDER BY p.oid LIMIT 1"));
        if (!prepared)
            fail(q);
        q.addBindValue(database);
        q.addBindValue(name);
        if (!q.exec())
            fail(q);
        if (!q.next())
            return std::nullopt;
        const int args = q.value(0).toInt();
        const bool variadic = q.value(2).toBool();
        return ProcedureInfo{args - q.value(1).toInt(), variadic ? INT_MAX : args,
                             q.value(3).toBool(), q.value(4).toString()};
    }

    void runScript(const QString& script) override {
        QSqlQuery q(db_);
        if (!q.exec(script))
            fail(q);
    }

    void begin() override {
        if (!db_.transaction())
            raiseStatement(QStringLiteral("[PostgreSQL] ") + db_.lastError().text());
        inTransaction_ = true;
    }
    void commit() override {
        inTransaction_ = false;
        if (!db_.commit())
            raiseStatement(QStringLiteral("[PostgreSQL] ") + db_.lastError().text());
    }
    void rollback() override {
        inTransaction_ = false;
        db_.rollback();
    }

private:
    // Inside a transaction each statement gets a savepoint, so a failed one
    // undoes only itself (as on the embedded database) instead of leaving
    // the whole transaction aborted.
    void savepoint() {
        if (!inTransaction_)
            return;
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("SAVEPOINT vantrel_statement")))
            fail(q);
        savepoint_ = true;
    }
    void release() {
        if (!savepoint_)
            return;
        savepoint_ = false;
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("RELEASE SAVEPOINT vantrel_statement")))
            fail(q);
    }

    // Called while the failed query still exists: freeing its prepared
    // statement needs a transaction that is no longer aborted.
    [[noreturn]] void fail(const QSqlQuery& q) {
        QString why = q.lastError().databaseText();
        if (why.isEmpty())
            why = q.lastError().text();
        if (savepoint_) {
            savepoint_ = false;
            QSqlQuery undo(db_);
            undo.exec(QStringLiteral(
                "ROLLBACK TO SAVEPOINT vantrel_statement; RELEASE SAVEPOINT vantrel_statement"));
        }
        raiseStatement(QStringLiteral("[PostgreSQL] ") + why.trimmed());
    }

    static Rows collect(QSqlQuery& q) {
        Rows rows;
        if (!q.isSelect())
            return rows;
        rows.hasRows = true;
        const QSqlRecord rec = q.record();
        for (int c = 0; c < rec.count(); ++c)
            rows.columns << rec.fieldName(c);
        while (q.next()) {
            std::vector<vrt::Variant> row;
            row.reserve(static_cast<size_t>(rec.count()));
            for (int c = 0; c < rec.count(); ++c)
                row.push_back(fromQt(q.value(c)));
            rows.data.push_back(std::move(row));
        }
        return rows;
    }

    QSqlDatabase db_;
    bool inTransaction_ = false;
    bool savepoint_ = false;
};

} // namespace

std::unique_ptr<Engine> makePostgresEngine(QSqlDatabase db) {
    return std::make_unique<PostgresEngine>(std::move(db));
}

} // namespace ado::detail
