#include "engine.h"
#include "errors.h"
#include "platform/runtime/datetime.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <sqlite3.h>

namespace ado::detail {

vrt::Variant dateFromText(const QString& text) {
    const QString t = text.trimmed();
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm",
                               "yyyy-MM-dd HH:mm:ss.zzz"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
        if (dt.isValid())
            return vrt::Variant(vrt::toSerial(dt));
    }
    const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
    if (d.isValid())
        return vrt::Variant(vrt::toSerial(d));
    return vrt::Variant(text);
}

namespace {

bool isDateType(const char* declared) {
    if (!declared)
        return false;
    const QByteArray t = QByteArray(declared).toUpper();
    return t.contains("DATE") || t.contains("TIME");
}

class SqliteEngine : public Engine {
public:
    explicit SqliteEngine(QSqlDatabase db) : db_(std::move(db)) {
        const QVariant h = db_.driver()->handle();
        handle_ = h.isValid() ? *static_cast<sqlite3* const*>(h.constData()) : nullptr;
        if (!handle_)
            raiseProvider(QStringLiteral("[SQLite] The connection has no database handle."));
    }

    Rows query(const QString& sql) override { return run(sql, nullptr, -1); }

    // A call is atomic, as a procedure is on a server: its statements all
    // stay or all go.
    Rows call(const ProcedureCall& call, const ProcedureInfo& info) override {
        runScript(QStringLiteral("SAVEPOINT vantrel_call"));
        Rows rows;
        try {
            rows = run(info.body, &call.args, static_cast<int>(call.args.size()));
        } catch (...) {
            runScript(QStringLiteral("ROLLBACK TO vantrel_call; RELEASE vantrel_call"));
            throw;
        }
        runScript(QStringLiteral("RELEASE vantrel_call"));
        if (!info.returnsRows)
            return Rows{};
        return rows;
    }

    std::optional<ProcedureInfo> lookupProcedure(const QString& database,
                                                 const QString& name) override {
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        if (!plain.match(database).hasMatch())
            return std::nullopt;
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = QStringLiteral("SELECT min_args, max_args, returns_rows, body FROM "
                                              "%1.vantrel_procedures WHERE name = ?1")
                                   .arg(database)
                                   .toUtf8();
        if (sqlite3_prepare_v2(handle_, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            return std::nullopt; // no catalog in that database: no procedures there
        }
        const QByteArray n = name.toUtf8();
        sqlite3_bind_text(stmt, 1, n.constData(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
        std::optional<ProcedureInfo> info;
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            info = ProcedureInfo{
                sqlite3_column_int(stmt, 0), sqlite3_column_int(stmt, 1),
                sqlite3_column_int(stmt, 2) != 0,
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)))};
        }
        sqlite3_finalize(stmt);
        return info;
    }

    void runScript(const QString& script) override {
        char* message = nullptr;
        const QByteArray sql = script.toUtf8();
        if (sqlite3_exec(handle_, sql.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const QString why = QString::fromUtf8(message ? message : sqlite3_errmsg(handle_));
            sqlite3_free(message);
            raiseStatement(QStringLiteral("[SQLite] ") + why);
        }
    }

    void begin() override { runScript(QStringLiteral("BEGIN")); }
    void commit() override { runScript(QStringLiteral("COMMIT")); }
    void rollback() override {
        // A failed statement may already have ended the transaction.
        if (!sqlite3_get_autocommit(handle_))
            runScript(QStringLiteral("ROLLBACK"));
    }

private:
    [[noreturn]] void fail() const {
        raiseStatement(QStringLiteral("[SQLite] ") + QString::fromUtf8(sqlite3_errmsg(handle_)));
    }

    void bind(sqlite3_stmt* stmt, const std::vector<vrt::Variant>* args, int argc) {
        const int count = sqlite3_bind_parameter_count(stmt);
        int sequential = 0;
        for (int i = 1; i <= count; ++i) {
            const char* rawName = sqlite3_bind_parameter_name(stmt, i);
            const QByteArray name(rawName ? rawName : "?");
            if (i == sqliteArgcParameter) {
                sqlite3_bind_int(stmt, i, argc < 0 ? 0 : argc);
                continue;
            }
            // "?NNN" takes argument NNN, a bare "?" the next one.
            const int position = name.size() > 1 ? name.mid(1).toInt() : ++sequential;
            if (!args || position < 1 || position > static_cast<int>(args->size())) {
                sqlite3_bind_null(stmt, i);
                continue;
            }
            const vrt::Variant& v = (*args)[static_cast<size_t>(position - 1)];
            switch (v.type()) {
            case vrt::VarType::Null:
            case vrt::VarType::Empty:
                sqlite3_bind_null(stmt, i);
                break;
            case vrt::VarType::Integer:
            case vrt::VarType::Long:
            case vrt::VarType::Boolean:
                sqlite3_bind_int64(stmt, i, v.toLong());
                break;
            case vrt::VarType::Double:
                sqlite3_bind_double(stmt, i, v.toDouble());
                break;
            default: {
                const QByteArray text = v.toString().toUtf8();
                sqlite3_bind_text(stmt, i, text.constData(), static_cast<int>(text.size()),
                                  SQLITE_TRANSIENT);
            }
            }
        }
    }

    static vrt::Variant value(sqlite3_stmt* stmt, int col) {
        switch (sqlite3_column_type(stmt, col)) {
        case SQLITE_NULL:
            return vrt::Variant::null();
        case SQLITE_INTEGER: {
            const sqlite3_int64 v = sqlite3_column_int64(stmt, col);
            if (v >= INT32_MIN && v <= INT32_MAX)
                return vrt::Variant(static_cast<int32_t>(v));
            return vrt::Variant(static_cast<double>(v));
        }
        case SQLITE_FLOAT:
            return vrt::Variant(sqlite3_column_double(stmt, col));
        default: {
            const QString text =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, col)),
                                  sqlite3_column_bytes(stmt, col));
            if (isDateType(sqlite3_column_decltype(stmt, col)))
                return dateFromText(text);
            return vrt::Variant(text);
        }
        }
    }

    // Runs every statement of sql; the rows are those of the last statement
    // that returns columns.
    Rows run(const QString& sql, const std::vector<vrt::Variant>* args, int argc) {
        const QByteArray utf8 = sql.toUtf8();
        const char* tail = utf8.constData();
        Rows result;
        while (tail && *tail) {
            sqlite3_stmt* stmt = nullptr;
            const char* next = nullptr;
            if (sqlite3_prepare_v2(handle_, tail, -1, &stmt, &next) != SQLITE_OK) {
                sqlite3_finalize(stmt);
                fail();
            }
            tail = next;
            if (!stmt)
                continue; // blanks or a comment
            bind(stmt, args, argc);
            const int columns = sqlite3_column_count(stmt);
            Rows rows;
            if (columns > 0) {
                rows.hasRows = true;
                for (int c = 0; c < columns; ++c)
                    rows.columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
            }
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                std::vector<vrt::Variant> row;
                row.reserve(static_cast<size_t>(columns));
                for (int c = 0; c < columns; ++c)
                    row.push_back(value(stmt, c));
                rows.data.push_back(std::move(row));
            }
            sqlite3_finalize(stmt);
            if (rc != SQLITE_DONE)
                fail();
            if (rows.hasRows)
                result = std::move(rows);
        }
        return result;
    }

    QSqlDatabase db_;
    sqlite3* handle_ = nullptr;
};

} // namespace

std::unique_ptr<Engine> makeSqliteEngine(QSqlDatabase db) {
    return std::make_unique<SqliteEngine>(std::move(db));
}

} // namespace ado::detail
