#include "engine.h"
#include "errors.h"
#include "platform/runtime/datetime.h"

#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <chrono>
#include <optional>
#include <sqlite3.h>
#include <thread>

namespace ado::detail {

namespace {

// "YYYY-MM-DD HH:MM:SS", the form the embedded database stores, read without
// the general (and much slower) format parser.
std::optional<QDateTime> storedDateTime(const QString& t) {
    if (t.size() != 19 || t[4] != QLatin1Char('-') || t[7] != QLatin1Char('-') ||
        t[10] != QLatin1Char(' ') || t[13] != QLatin1Char(':') || t[16] != QLatin1Char(':'))
        return std::nullopt;
    const auto number = [&t](int from, int length) {
        int n = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = t[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            n = n * 10 + (c - u'0');
        }
        return n;
    };
    const QDate d(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2));
    if (!d.isValid() || !time.isValid())
        return std::nullopt;
    // As UTC: a stored time is a wall-clock reading, and no time zone is
    // looked up for it.
    return QDateTime(d, time, Qt::UTC);
}

} // namespace

vrt::Variant dateFromText(const QString& text) {
    const QString t = text.trimmed();
    if (const auto dt = storedDateTime(t))
        return vrt::Variant(vrt::toSerial(*dt));
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

void unicodeLower(sqlite3_context* context, int, sqlite3_value** argv) {
    const unsigned char* text = sqlite3_value_text(argv[0]);
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray lowered =
        QString::fromUtf8(reinterpret_cast<const char*>(text), sqlite3_value_bytes(argv[0]))
            .toLower()
            .toUtf8();
    sqlite3_result_text(context, lowered.constData(), static_cast<int>(lowered.size()),
                        SQLITE_TRANSIENT);
}

bool isDateType(const char* declared) {
    if (!declared)
        return false;
    const QByteArray t = QByteArray(declared).toUpper();
    return t.contains("DATE") || t.contains("TIME");
}

class SqliteEngine : public Engine {
public:
    SqliteEngine(QSqlDatabase db, int lockMs) : db_(std::move(db)), lockMs_(lockMs) {
        const QVariant h = db_.driver()->handle();
        handle_ = h.isValid() ? *static_cast<sqlite3* const*>(h.constData()) : nullptr;
        if (!handle_)
            raiseProvider(QStringLiteral("[SQLite] The connection has no database handle."));
        // SQLite's own lower() folds ASCII letters only; the server folds
        // every letter, and a search must find the same people on both.
        sqlite3_create_function_v2(handle_, "lower", 1,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                   &unicodeLower, nullptr, nullptr, nullptr);
    }

    ~SqliteEngine() override {
        // Unfinalized statements would keep the database open after Close.
        for (const Body& b : std::as_const(bodies_))
            for (const Prepared& p : b.statements)
                sqlite3_finalize(p.stmt);
        for (sqlite3_stmt* stmt : std::as_const(fixed_))
            sqlite3_finalize(stmt);
        for (const Prepared& p : std::as_const(queries_))
            sqlite3_finalize(p.stmt);
        for (const Prepared& p : std::as_const(bound_))
            sqlite3_finalize(p.stmt);
    }

    Rows query(const QString& sql) override { return run(sql, nullptr, -1); }

    std::optional<Rows> queryBound(const QString& sql,
                                   const std::vector<vrt::Variant>& values) override {
        auto kept = bound_.constFind(sql);
        if (kept == bound_.cend()) {
            const QByteArray utf8 = sql.toUtf8();
            sqlite3_stmt* stmt = nullptr;
            const char* next = nullptr;
            if (sqlite3_prepare_v3(handle_, utf8.constData(), static_cast<int>(utf8.size()),
                                   SQLITE_PREPARE_PERSISTENT, &stmt, &next) != SQLITE_OK) {
                prepareError_ = QString::fromUtf8(sqlite3_errmsg(handle_));
                sqlite3_finalize(stmt);
                return std::nullopt;
            }
            while (next && *next && QChar::isSpace(static_cast<unsigned char>(*next)))
                ++next;
            if (!stmt || (next && *next)) {
                prepareError_ = QStringLiteral("not one statement");
                sqlite3_finalize(stmt);
                return std::nullopt;
            }
            static constexpr int capacity = 128;
            if (bound_.size() >= capacity)
                sqlite3_finalize(bound_.take(boundOrder_.takeFirst()).stmt);
            kept = bound_.insert(sql, withParameters(stmt));
            boundOrder_.append(sql);
        }
        return execute(*kept, &values, static_cast<int>(values.size()));
    }

    QString prepareError() const override { return prepareError_; }

    int preparedCount() const override { return static_cast<int>(bound_.size() + queries_.size()); }

    // A call is atomic, as a procedure is on a server: its statements all
    // stay or all go. Outside a transaction a writing call takes the write
    // lock at once, so it waits for the busy timeout instead of failing
    // when another writer got in between its read and its write.
    // Inside a transaction begun through begin(), a failed call leaves that
    // transaction fit only for a rollback (the connection refuses anything
    // else), so the call needs no savepoint of its own there.
    Rows call(const ProcedureCall& call, const ProcedureInfo& info) override {
        const bool own = sqlite3_get_autocommit(handle_) != 0;
        const bool savepoint = !own && !saveTransaction_;
        if (own)
            step(fixed(info.returnsRows ? "BEGIN" : "BEGIN IMMEDIATE"));
        else if (savepoint)
            step(fixed("SAVEPOINT vantrel_call"));
        Rows rows;
        try {
            rows = runBody(info.body, call.args);
        } catch (...) {
            if (own || savepoint)
                undoCall(own);
            throw;
        }
        if (own)
            commit();
        else if (savepoint)
            step(fixed("RELEASE vantrel_call"));
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
        const int rc = sqlite3_exec(handle_, sql.constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            const QString why = QString::fromUtf8(message ? message : sqlite3_errmsg(handle_));
            sqlite3_free(message);
            fail(rc, why);
        }
    }

    // A save takes the write lock at its start: waiting for it there (up to
    // the busy timeout) is safe, while a deferred transaction that finds
    // another writer at its first write fails at once.
    void begin(const Settings& /*settings*/) override {
        step(fixed("BEGIN IMMEDIATE"));
        saveTransaction_ = true;
    }
    // A COMMIT that fails leaves the transaction open; it is rolled back so
    // the database is not left locked and the next save can start.
    void commit() override {
        saveTransaction_ = false;
        sqlite3_stmt* stmt = fixed("COMMIT");
        const int rc = sqlite3_step(stmt);
        const QString why =
            rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(handle_));
        sqlite3_reset(stmt);
        if (rc == SQLITE_DONE)
            return;
        if (!sqlite3_get_autocommit(handle_))
            sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
        fail(rc, why);
    }
    void rollback() override {
        saveTransaction_ = false;
        // A failed statement may already have ended the transaction.
        if (!sqlite3_get_autocommit(handle_))
            runScript(QStringLiteral("ROLLBACK"));
    }

private:
    // Undoes a failed call without hiding its error: a full disk or an I/O
    // error may already have rolled the whole transaction back, and then
    // the savepoint no longer exists.
    void undoCall(bool own) {
        if (sqlite3_get_autocommit(handle_))
            return;
        if (own) {
            sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
            return;
        }
        sqlite3_exec(handle_, "ROLLBACK TO vantrel_call; RELEASE vantrel_call", nullptr, nullptr,
                     nullptr);
    }

    // A statement with, for each of its parameters, the argument it takes
    // (-1: the argument count).
    struct Prepared {
        sqlite3_stmt* stmt = nullptr;
        std::vector<std::pair<int, int>> parameters; // index, argument
    };
    // A procedure body, prepared once per connection: parsing it again on
    // every call cost more than running it.
    struct Body {
        std::vector<Prepared> statements;
    };

    [[noreturn]] void fail() const {
        fail(sqlite3_errcode(handle_), QString::fromUtf8(sqlite3_errmsg(handle_)));
    }
    [[noreturn]] void fail(int rc, const QString& why) const {
        const int primary = rc & 0xff;
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
            raiseStatement(Failure::LockTimeout,
                           QStringLiteral("[SQLite] Another workstation holds the record; "
                                          "waited %1 s (Lock Timeout) for it. (%2)")
                               .arg(seconds(lockMs_), why),
                           lockMs_);
        if (why.startsWith(QLatin1String("no such table")))
            raiseStatement(Failure::MissingObject, QStringLiteral("[SQLite] ") + why);
        raiseStatement(QStringLiteral("[SQLite] ") + why);
    }

    // Connections that share a cache (the in-memory databases) meet another
    // connection's table lock as SQLITE_LOCKED, which the busy timeout does
    // not wait for: the statement is run again until the lock timeout has
    // passed. It had no effect, so nothing runs twice.
    bool waitForLock(int rc, QElapsedTimer& waiting) const {
        if ((rc & 0xff) != SQLITE_LOCKED)
            return false;
        if (!waiting.isValid())
            waiting.start();
        else if (lockMs_ > 0 && waiting.elapsed() >= lockMs_)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
    }

    static Prepared withParameters(sqlite3_stmt* stmt) {
        Prepared p{stmt, {}};
        const int count = sqlite3_bind_parameter_count(stmt);
        int sequential = 0;
        for (int i = 1; i <= count; ++i) {
            if (i == sqliteArgcParameter) {
                p.parameters.emplace_back(i, -1);
                continue;
            }
            // "?NNN" takes argument NNN, a bare "?" the next one.
            const char* rawName = sqlite3_bind_parameter_name(stmt, i);
            const QByteArray name(rawName ? rawName : "?");
            const int position = name.size() > 1 ? name.mid(1).toInt() : ++sequential;
            if (position >= 1)
                p.parameters.emplace_back(i, position);
        }
        return p;
    }

    // A fixed statement, prepared on first use.
    sqlite3_stmt* fixed(const char* sql) {
        const QByteArray key(sql);
        sqlite3_stmt* stmt = fixed_.value(key);
        if (!stmt) {
            if (sqlite3_prepare_v2(handle_, sql, -1, &stmt, nullptr) != SQLITE_OK) {
                sqlite3_finalize(stmt);
                fail();
            }
            fixed_.insert(key, stmt);
        }
        return stmt;
    }

    void step(sqlite3_stmt* stmt) {
        QElapsedTimer waiting;
        int rc;
        while ((rc = sqlite3_step(stmt)) != SQLITE_DONE && waitForLock(rc, waiting))
            sqlite3_reset(stmt);
        const QString why =
            rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(handle_));
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE)
            fail(rc, why);
    }

    // Runs a procedure body with the call's arguments. The first call
    // prepares its statements one after the other as it runs them (a later
    // one may depend on an earlier one); they are kept once all ran.
    Rows runBody(const QString& text, const std::vector<vrt::Variant>& args) {
        const int argc = static_cast<int>(args.size());
        Rows result;
        const auto cached = bodies_.constFind(text);
        if (cached != bodies_.cend()) {
            for (const Prepared& p : cached->statements) {
                Rows rows = execute(p, &args, argc);
                if (rows.hasRows)
                    result = std::move(rows);
            }
            return result;
        }
        Body body;
        try {
            const QByteArray utf8 = text.toUtf8();
            const char* tail = utf8.constData();
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
                body.statements.push_back(withParameters(stmt));
                Rows rows = execute(body.statements.back(), &args, argc);
                if (rows.hasRows)
                    result = std::move(rows);
            }
        } catch (...) {
            for (const Prepared& p : body.statements)
                sqlite3_finalize(p.stmt);
            throw;
        }
        bodies_.insert(text, std::move(body));
        return result;
    }

    // Runs one prepared statement and leaves it ready for the next run.
    Rows execute(const Prepared& p, const std::vector<vrt::Variant>* args, int argc) {
        sqlite3_stmt* stmt = p.stmt;
        // Whatever happens, the statement lets go of the bound texts.
        struct Unbind {
            sqlite3_stmt* stmt;
            std::vector<QByteArray>& texts;
            ~Unbind() {
                sqlite3_reset(stmt);
                sqlite3_clear_bindings(stmt);
                texts.clear();
            }
        };
        const Unbind unbind{stmt, texts_};
        bind(p, args, argc);
        Rows rows;
        int columns = -1;
        std::vector<char> dates; // per column: a date type, read back as a date
        int rc;
        QElapsedTimer waiting;
        for (;;) {
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                // After the first step: a changed schema has prepared the
                // statement again by then.
                if (columns < 0)
                    columns = describe(stmt, rows, dates);
                std::vector<vrt::Variant> row;
                row.reserve(static_cast<size_t>(columns));
                for (int c = 0; c < columns; ++c)
                    row.push_back(value(stmt, c, dates[static_cast<size_t>(c)]));
                rows.data.push_back(std::move(row));
            }
            if (rc == SQLITE_DONE || !waitForLock(rc, waiting))
                break;
            sqlite3_reset(stmt);
            rows.data.clear();
        }
        if (rc == SQLITE_DONE && columns < 0)
            describe(stmt, rows, dates);
        const QString why =
            rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(handle_));
        if (rc != SQLITE_DONE)
            fail(rc, why);
        return rows;
    }

    // The statement's columns: names into rows, date types into dates.
    static int describe(sqlite3_stmt* stmt, Rows& rows, std::vector<char>& dates) {
        const int columns = sqlite3_column_count(stmt);
        rows.hasRows = columns > 0;
        rows.columns.clear();
        dates.assign(static_cast<size_t>(columns), 0);
        for (int c = 0; c < columns; ++c) {
            rows.columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
            dates[static_cast<size_t>(c)] = isDateType(sqlite3_column_decltype(stmt, c));
        }
        return columns;
    }

    // Parameters without an argument stay NULL: execute clears them.
    void bind(const Prepared& p, const std::vector<vrt::Variant>* args, int argc) {
        sqlite3_stmt* stmt = p.stmt;
        for (const auto& [i, position] : p.parameters) {
            if (position < 0) {
                sqlite3_bind_int(stmt, i, argc < 0 ? 0 : argc);
                continue;
            }
            if (!args || position > static_cast<int>(args->size()))
                continue;
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
                // Kept until the statement is reset: SQLite need not copy it.
                const QByteArray& text = texts_.emplace_back(v.toString().toUtf8());
                sqlite3_bind_text(stmt, i, text.constData(), static_cast<int>(text.size()),
                                  SQLITE_STATIC);
            }
            }
        }
    }

    static vrt::Variant value(sqlite3_stmt* stmt, int col, bool date) {
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
            if (date)
                return dateFromText(text);
            return vrt::Variant(text);
        }
        }
    }

    // Runs every statement of sql; the rows are those of the last statement
    // that returns columns. A text of one statement is kept prepared, so a
    // look-up a form repeats for every exam is parsed once.
    Rows run(const QString& sql, const std::vector<vrt::Variant>* args, int argc) {
        const QByteArray utf8 = sql.toUtf8();
        if (const auto kept = queries_.constFind(utf8); kept != queries_.cend())
            return execute(*kept, args, argc);
        const char* tail = utf8.constData();
        Rows result;
        if (sqlite3_stmt* single = soleStatement(utf8)) {
            Prepared p = withParameters(single);
            try {
                result = execute(p, args, argc);
            } catch (...) {
                sqlite3_finalize(single);
                throw;
            }
            // A pragma does its work (and reads its value) when prepared:
            // kept, it would neither set nor read again.
            if (utf8.trimmed().left(6).compare("pragma", Qt::CaseInsensitive) == 0)
                sqlite3_finalize(single);
            else
                keep(utf8, std::move(p));
            return result;
        }
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
            Rows rows;
            try {
                rows = execute(withParameters(stmt), args, argc);
            } catch (...) {
                sqlite3_finalize(stmt);
                throw;
            }
            sqlite3_finalize(stmt);
            if (rows.hasRows)
                result = std::move(rows);
        }
        return result;
    }

    // The prepared statement of a text holding exactly one statement, or
    // null (several statements, or none).
    sqlite3_stmt* soleStatement(const QByteArray& utf8) {
        sqlite3_stmt* stmt = nullptr;
        const char* next = nullptr;
        if (sqlite3_prepare_v3(handle_, utf8.constData(), static_cast<int>(utf8.size()),
                               SQLITE_PREPARE_PERSISTENT, &stmt, &next) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            fail();
        }
        while (next && *next && QChar::isSpace(static_cast<unsigned char>(*next)))
            ++next;
        if (stmt && next && *next == '\0')
            return stmt;
        sqlite3_finalize(stmt);
        return nullptr;
    }

    // Keeps the most recent texts; the oldest goes when the list is full.
    void keep(const QByteArray& utf8, Prepared p) {
        static constexpr int capacity = 64;
        if (queries_.size() >= capacity) {
            const QByteArray oldest = queryOrder_.takeFirst();
            sqlite3_finalize(queries_.take(oldest).stmt);
        }
        queries_.insert(utf8, std::move(p));
        queryOrder_.append(utf8);
    }

    QSqlDatabase db_;
    sqlite3* handle_ = nullptr;
    int lockMs_;
    bool saveTransaction_ = false;  // begun through begin()
    std::vector<QByteArray> texts_; // the bound texts of the running statement
    QHash<QByteArray, Prepared> queries_;
    QHash<QString, Prepared> bound_; // statements with parameters, by text
    QList<QString> boundOrder_;
    QString prepareError_;
    QList<QByteArray> queryOrder_;
    QHash<QString, Body> bodies_;
    QHash<QByteArray, sqlite3_stmt*> fixed_;
};

} // namespace

std::unique_ptr<Engine> makeSqliteEngine(QSqlDatabase db, int lockTimeoutMs) {
    return std::make_unique<SqliteEngine>(std::move(db), lockTimeoutMs);
}

} // namespace ado::detail
