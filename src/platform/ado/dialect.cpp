#include "dialect.h"

#include "errors.h"

#include "platform/runtime/text.h"

#include <QSet>

namespace ado {

namespace {

enum class Tok { Space, Word, Number, String, DotDot, Punct, QuotedName };

struct Token {
    Tok kind;
    QString raw;
    QString text; // the value of a string literal
};

bool wordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}
bool wordChar(QChar c) {
    return wordStart(c) || c.isDigit() || c == QLatin1Char('$');
}

[[noreturn]] void untranslatable(const QString& why) {
    raiseStatement(why);
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            out.push_back({Tok::Space, s.mid(start, i - start), {}});
        } else if (c == QLatin1Char('\'')) {
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && s[i + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += s[i++];
            }
            if (!closed)
                untranslatable(
                    QStringLiteral("Unclosed quotation mark after the character string '%1'.")
                        .arg(value));
            // A server would cut the value at a NUL or store "?" for half a
            // surrogate pair: refused here with a message that says so.
            if (const qsizetype at = vrt::unstorableAt(value); at >= 0)
                untranslatable(
                    QStringLiteral(
                        "A quoted value holds %1 at character %2, which cannot be stored.")
                        .arg(vrt::unstorableName(value[at]))
                        .arg(at + 1));
            out.push_back({Tok::String, s.mid(start, i - start), value});
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            const qsizetype end = s.indexOf(close, i + 1);
            if (end < 0)
                untranslatable(QStringLiteral("Unclosed quoted name after '%1'.").arg(s.mid(i)));
            i = end + 1;
            out.push_back(
                {Tok::QuotedName, s.mid(start, i - start), s.mid(start + 1, end - start - 1)});
        } else if (wordStart(c)) {
            while (i < n && wordChar(s[i]))
                ++i;
            out.push_back({Tok::Word, s.mid(start, i - start), {}});
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && s[i].isDigit())
                ++i;
            if (i < n && s[i] == QLatin1Char('.') && !(i + 1 < n && s[i + 1] == QLatin1Char('.'))) {
                ++i;
                while (i < n && s[i].isDigit())
                    ++i;
            }
            out.push_back({Tok::Number, s.mid(start, i - start), {}});
        } else if (c == QLatin1Char('.') && i + 1 < n && s[i + 1] == QLatin1Char('.')) {
            i += 2;
            out.push_back({Tok::DotDot, QStringLiteral(".."), {}});
        } else {
            ++i;
            out.push_back({Tok::Punct, QString(c), {}});
        }
    }
    return out;
}

// Tokens without the blanks, keeping each one's place in the full list.
struct Cursor {
    const std::vector<Token>& all;
    std::vector<size_t> idx;
    explicit Cursor(const std::vector<Token>& t) : all(t) {
        for (size_t i = 0; i < t.size(); ++i)
            if (t[i].kind != Tok::Space)
                idx.push_back(i);
    }
    size_t size() const { return idx.size(); }
    const Token& operator[](size_t k) const { return all[idx[k]]; }
    bool isWord(size_t k, const char* w) const {
        return k < size() && (*this)[k].kind == Tok::Word &&
               (*this)[k].raw.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isPunct(size_t k, char p) const {
        return k < size() && (*this)[k].kind == Tok::Punct && (*this)[k].raw == QLatin1Char(p);
    }
};

const QSet<QString>& statementKeywords() {
    static const QSet<QString> words{
        QStringLiteral("select"),  QStringLiteral("insert"),   QStringLiteral("update"),
        QStringLiteral("delete"),  QStringLiteral("truncate"), QStringLiteral("with"),
        QStringLiteral("create"),  QStringLiteral("drop"),     QStringLiteral("alter"),
        QStringLiteral("begin"),   QStringLiteral("commit"),   QStringLiteral("rollback"),
        QStringLiteral("set"),     QStringLiteral("values"),   QStringLiteral("merge"),
        QStringLiteral("declare"), QStringLiteral("if"),       QStringLiteral("explain"),
        QStringLiteral("pragma"),  QStringLiteral("show")};
    return words;
}

// Renders tokens [from, to) of the full list, with "db..name" as "db.name".
QString render(const std::vector<Token>& t, size_t from, size_t to) {
    QString out;
    for (size_t i = from; i < to; ++i) {
        if (t[i].kind == Tok::DotDot)
            out += QLatin1Char('.');
        else
            out += t[i].raw;
    }
    return out;
}

// A name at position k of the cursor: "db..name" or "name". Returns the
// number of tokens it takes (0 when there is no name there).
size_t readName(const Cursor& c, size_t k, QString* database, QString* name) {
    if (k >= c.size() || c[k].kind != Tok::Word)
        return 0;
    if (k + 2 < c.size() && c[k + 1].kind == Tok::DotDot && c[k + 2].kind == Tok::Word &&
        c.idx[k + 1] == c.idx[k] + 1 && c.idx[k + 2] == c.idx[k + 1] + 1) {
        *database = c[k].raw;
        *name = c[k + 2].raw;
        return 3;
    }
    database->clear();
    *name = c[k].raw;
    return 1;
}

vrt::Variant numberLiteral(const QString& raw, bool negative) {
    bool ok = false;
    if (!raw.contains(QLatin1Char('.'))) {
        const qlonglong v = raw.toLongLong(&ok);
        if (ok && v <= 2147483647LL)
            return vrt::Variant(static_cast<int32_t>(negative ? -v : v));
    }
    const double d = raw.toDouble(&ok);
    return vrt::Variant(negative ? -d : d);
}

// Arguments of a call from cursor position k to the end: literals separated
// by commas.
std::vector<vrt::Variant> readArguments(const Cursor& c, size_t k, const QString& procedure) {
    std::vector<vrt::Variant> args;
    if (k >= c.size())
        return args;
    while (true) {
        bool negative = false;
        if (c.isPunct(k, '-') || c.isPunct(k, '+')) {
            negative = c.isPunct(k, '-');
            ++k;
        }
        if (k >= c.size())
            untranslatable(QStringLiteral("Incorrect syntax near the end of the call of '%1'.")
                               .arg(procedure));
        const Token& t = c[k];
        if (t.kind == Tok::String && !negative)
            args.emplace_back(t.text);
        else if (t.kind == Tok::Number)
            args.push_back(numberLiteral(t.raw, negative));
        else if (t.kind == Tok::Word && !negative &&
                 t.raw.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
            args.push_back(vrt::Variant::null());
        else
            untranslatable(QStringLiteral("Incorrect syntax near '%1' in the call of '%2': "
                                          "arguments must be literals.")
                               .arg(t.raw, procedure));
        ++k;
        if (k >= c.size())
            return args;
        if (!c.isPunct(k, ','))
            untranslatable(QStringLiteral("Incorrect syntax near '%1' in the call of '%2'.")
                               .arg(c[k].raw, procedure));
        ++k;
    }
}

} // namespace

TranslatedStatement translate(const QString& statement, Backend backend,
                              const QString& currentDatabase, const ProcedureExists& isProcedure) {
    std::vector<Token> tokens = tokenize(statement);
    // A trailing ';' ends the statement; it is not part of a call's arguments.
    while (!tokens.empty() && (tokens.back().kind == Tok::Space ||
                               (tokens.back().kind == Tok::Punct && tokens.back().raw == ";")))
        tokens.pop_back();
    const Cursor c(tokens);
    if (c.size() == 0)
        untranslatable(QStringLiteral("The statement is empty."));

    size_t k = 0;
    const bool exec = c.isWord(0, "exec") || c.isWord(0, "execute");
    if (exec) {
        if (c.size() == 1)
            untranslatable(QStringLiteral("Incorrect syntax near '%1': the name of the stored "
                                          "procedure to execute is missing.")
                               .arg(c[0].raw));
        k = 1;
    }
    const QString first = c[k].raw.toLower();

    if (!exec && c.isWord(0, "truncate") && c.isWord(1, "table")) {
        QString database, name;
        const size_t used = readName(c, 2, &database, &name);
        if (used == 0 || 2 + used != c.size())
            untranslatable(QStringLiteral("Incorrect syntax in '%1'.").arg(statement));
        const QString table = render(tokens, c.idx[2], c.idx[2 + used - 1] + 1);
        return {backend == Backend::SQLite ? QStringLiteral("DELETE FROM ") + table
                                           : QStringLiteral("TRUNCATE TABLE ") + table,
                std::nullopt};
    }

    if (!exec && c[0].kind == Tok::Word && statementKeywords().contains(first))
        return {render(tokens, 0, tokens.size()), std::nullopt};

    QString database, name;
    const size_t used = readName(c, k, &database, &name);
    if (used == 0)
        untranslatable(QStringLiteral("Incorrect syntax near '%1'.").arg(c[k].raw));
    const size_t next = k + used;
    const QString procDatabase = database.isEmpty() ? currentDatabase : database;

    // "name" alone, or "name where ...", is a table unless a procedure has
    // that name.
    const bool tableSource = !exec && (next == c.size() || c.isWord(next, "where")) &&
                             !(next == c.size() && isProcedure(procDatabase, name));
    if (tableSource)
        return {QStringLiteral("SELECT * FROM ") + render(tokens, c.idx[0], tokens.size()),
                std::nullopt};

    const QString written = database.isEmpty() ? name : database + QStringLiteral("..") + name;
    if (!isProcedure(procDatabase, name))
        raiseStatement(Failure::MissingObject,
                       QStringLiteral("Could not find stored procedure '%1'.").arg(written));
    ProcedureCall call{procDatabase, name, readArguments(c, next, written)};
    return {QString(), std::move(call)};
}

} // namespace ado
