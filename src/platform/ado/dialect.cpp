#include "dialect.h"

#include "errors.h"

#include "platform/runtime/text.h"

#include <array>
#include <initializer_list>

namespace ado {

namespace {

// Blanks are no tokens: the text between two tokens is copied as it is.
enum class Tok { Word, Number, String, DotDot, Punct, QuotedName };

// A token is a place in the statement, so tokenising allocates nothing but
// the list.
struct Token {
    Tok kind;
    qsizetype pos;
    qsizetype len;
    int value = -1; // the statement's value this literal becomes, or -1
};

// The statement and its tokens.
struct Lexed {
    const QString& s;
    std::vector<Token>& t;
    QStringView raw(const Token& k) const { return QStringView(s).mid(k.pos, k.len); }
    // A string literal's value, a quoted name's name.
    QString text(const Token& k) const;
};

// The text between a literal's quotes, its doubled quotes made single.
QString unquote(QStringView inner) {
    if (!inner.contains(QLatin1Char('\'')))
        return inner.toString();
    QString value;
    value.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        value += inner[i];
        if (inner[i] == QLatin1Char('\''))
            ++i; // the second of a doubled quote
    }
    return value;
}

QString Lexed::text(const Token& k) const {
    if (k.kind == Tok::QuotedName)
        return s.mid(k.pos + 1, k.len - 2);
    return unquote(raw(k).mid(1, k.len - 2));
}

// Character classes with the ASCII letters, digits and blanks decided
// inline: the statements are almost all ASCII.
enum : unsigned char { blankClass = 1, digitClass = 2, startClass = 4, wordClass = 8 };

constexpr std::array<unsigned char, 128> asciiClasses = [] {
    std::array<unsigned char, 128> t{};
    for (int c = 0; c < 128; ++c) {
        if (c == ' ' || (c >= 9 && c <= 13))
            t[c] |= blankClass;
        if (c >= '0' && c <= '9')
            t[c] |= digitClass | wordClass;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '@' || c == '#')
            t[c] |= startClass | wordClass;
        if (c == '$')
            t[c] |= wordClass;
    }
    return t;
}();

bool isBlank(char16_t c) {
    return c < 128 ? (asciiClasses[c] & blankClass) != 0 : QChar(c).isSpace();
}
bool isDigit(char16_t c) {
    return c < 128 ? (asciiClasses[c] & digitClass) != 0 : QChar(c).isDigit();
}
bool wordStart(char16_t c) {
    return c < 128 ? (asciiClasses[c] & startClass) != 0 : QChar(c).isLetter();
}
bool wordChar(char16_t c) {
    return c < 128 ? (asciiClasses[c] & wordClass) != 0 : QChar(c).isLetter() || QChar(c).isDigit();
}

[[noreturn]] void untranslatable(const QString& why) {
    raiseStatement(why);
}

void tokenize(const QString& s, std::vector<Token>& out) {
    out.clear();
    qsizetype i = 0;
    const qsizetype n = s.size();
    const char16_t* d = reinterpret_cast<const char16_t*>(s.constData());
    while (i < n) {
        const char16_t c = d[i];
        const qsizetype start = i;
        if (isBlank(c)) {
            while (i < n && isBlank(d[i]))
                ++i;
        } else if (c == u'\'') {
            ++i;
            bool closed = false;
            bool suspect = false; // a control character or a surrogate
            while (i < n) {
                const char16_t q = d[i];
                if (q == u'\'') {
                    if (i + 1 < n && d[i + 1] == u'\'') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                suspect |= q < 0x20 || (q >= 0x7f && q < 0xa0) || (q >= 0xd800 && q < 0xe000);
                ++i;
            }
            const Token t{Tok::String, start, i - start};
            if (!closed)
                untranslatable(
                    QStringLiteral("Unclosed quotation mark after the character string '%1'.")
                        .arg(unquote(QStringView(s).mid(start + 1))));
            // A server would cut the value at a NUL or store "?" for half a
            // surrogate pair: refused here with a message that says so.
            if (suspect) {
                const QString value = unquote(QStringView(s).mid(start + 1, t.len - 2));
                if (const qsizetype at = vrt::unstorableAt(value); at >= 0)
                    untranslatable(
                        QStringLiteral(
                            "A quoted value holds %1 at character %2, which cannot be stored.")
                            .arg(vrt::unstorableName(value[at]))
                            .arg(at + 1));
            }
            out.push_back(t);
        } else if (c == u'[' || c == u'"') {
            const QChar close = c == u'[' ? QLatin1Char(']') : QLatin1Char('"');
            const qsizetype end = s.indexOf(close, i + 1);
            if (end < 0)
                untranslatable(QStringLiteral("Unclosed quoted name after '%1'.").arg(s.mid(i)));
            i = end + 1;
            out.push_back({Tok::QuotedName, start, i - start});
        } else if (wordStart(c)) {
            while (i < n && wordChar(d[i]))
                ++i;
            out.push_back({Tok::Word, start, i - start});
        } else if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(d[i + 1]))) {
            while (i < n && isDigit(d[i]))
                ++i;
            if (i < n && d[i] == u'.' && !(i + 1 < n && d[i + 1] == u'.')) {
                ++i;
                while (i < n && isDigit(d[i]))
                    ++i;
            }
            out.push_back({Tok::Number, start, i - start});
        } else if (c == u'.' && i + 1 < n && d[i + 1] == u'.') {
            i += 2;
            out.push_back({Tok::DotDot, start, 2});
        } else {
            ++i;
            out.push_back({Tok::Punct, start, 1});
        }
    }
}

// Whether word is one of the (lower-case ASCII) words, in any letter case.
bool isOneOf(QStringView word, std::initializer_list<const char*> words) {
    if (word.isEmpty())
        return false;
    const char16_t first = word.front().unicode() | 0x20;
    for (const char* w : words) {
        if (char16_t(w[0]) != first)
            continue;
        qsizetype i = 1;
        for (; i < word.size() && w[i]; ++i)
            if ((word[i].unicode() | 0x20) != char16_t(w[i]) || (word[i].unicode() >= 128))
                break;
        if (i == word.size() && !w[i])
            return true;
    }
    return false;
}

// The tokens, by position.
struct Cursor {
    const Lexed& lx;
    explicit Cursor(const Lexed& l) : lx(l) {}
    size_t size() const { return lx.t.size(); }
    const Token& operator[](size_t k) const { return lx.t[k]; }
    QStringView raw(size_t k) const { return lx.raw((*this)[k]); }
    bool isWord(size_t k, const char* w) const {
        return k < size() && (*this)[k].kind == Tok::Word && isOneOf(raw(k), {w});
    }
    bool isPunct(size_t k, char p) const {
        return k < size() && (*this)[k].kind == Tok::Punct && raw(k) == QLatin1Char(p);
    }
};

bool isStatementKeyword(QStringView word) {
    return isOneOf(word, {"select", "insert",  "update", "delete",  "truncate", "with", "create",
                          "drop",   "alter",   "begin",  "commit",  "rollback", "set",  "values",
                          "merge",  "declare", "if",     "explain", "pragma",   "show"});
}

// How a statement's placeholders are written, or none: literals stay.
enum class Marks { None, Question, Dollar };

// Renders tokens [from, to) with the text between them, from the character
// at start (the first token's when -1), with "db..name" as "db.name" and each
// value as its numbered placeholder.
QString render(const Lexed& lx, size_t from, size_t to, Marks marks, qsizetype start = -1) {
    QString out;
    out.reserve(lx.s.size() + 8);
    qsizetype copied = start < 0 && from < to ? lx.t[from].pos : std::max<qsizetype>(start, 0);
    for (size_t i = from; i < to; ++i) {
        const Token& t = lx.t[i];
        out += QStringView(lx.s).mid(copied, t.pos - copied);
        copied = t.pos + t.len;
        if (t.kind == Tok::DotDot)
            out += QLatin1Char('.');
        else if (t.value >= 0 && marks != Marks::None)
            out += (marks == Marks::Dollar ? QLatin1Char('$') : QLatin1Char('?')) +
                   QString::number(t.value + 1);
        else
            out += lx.raw(t);
    }
    return out;
}

// A name at position k of the cursor: "db..name" or "name". Returns the
// number of tokens it takes (0 when there is no name there).
size_t readName(const Cursor& c, size_t k, QString* database, QString* name) {
    if (k >= c.size() || c[k].kind != Tok::Word)
        return 0;
    if (k + 2 < c.size() && c[k + 1].kind == Tok::DotDot && c[k + 2].kind == Tok::Word &&
        c[k].pos + c[k].len == c[k + 1].pos && c[k + 1].pos + c[k + 1].len == c[k + 2].pos) {
        *database = c.raw(k).toString();
        *name = c.raw(k + 2).toString();
        return 3;
    }
    database->clear();
    *name = c.raw(k).toString();
    return 1;
}

// An integer that fits 32 bits, or a decimal; larger integers stay text.
std::optional<vrt::Variant> numberValue(QStringView raw, bool negative) {
    bool ok = false;
    if (!raw.contains(QLatin1Char('.'))) {
        qlonglong v = 0;
        for (const QChar c : raw) {
            if (c.unicode() < u'0' || c.unicode() > u'9' || v > 2147483647LL)
                return std::nullopt; // not ASCII digits, or too large to bind as a number
            v = v * 10 + (c.unicode() - u'0');
        }
        if (v <= 2147483647LL)
            return vrt::Variant(static_cast<int32_t>(negative ? -v : v));
        return std::nullopt;
    }
    const double d = raw.toDouble(&ok);
    return vrt::Variant(negative ? -d : d);
}

vrt::Variant numberLiteral(QStringView raw, bool negative) {
    if (auto v = numberValue(raw, negative))
        return *v;
    const double d = raw.toDouble();
    return vrt::Variant(negative ? -d : d);
}

// Arguments of a call from cursor position k to the end: literals separated
// by commas.
std::vector<ArgumentSource> readArguments(const Lexed& lx, const Cursor& c, size_t k,
                                          const QString& procedure) {
    std::vector<ArgumentSource> args;
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
            args.push_back({t.value, false, vrt::Variant(lx.text(t))});
        else if (t.kind == Tok::Number)
            args.push_back({t.value, negative, numberLiteral(c.raw(k), negative)});
        else if (t.kind == Tok::Word && !negative &&
                 c.raw(k).compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
            args.push_back({-1, false, vrt::Variant::null()});
        else
            untranslatable(QStringLiteral("Incorrect syntax near '%1' in the call of '%2': "
                                          "arguments must be literals.")
                               .arg(c.raw(k).toString(), procedure));
        ++k;
        if (k >= c.size())
            return args;
        if (!c.isPunct(k, ','))
            untranslatable(QStringLiteral("Incorrect syntax near '%1' in the call of '%2'.")
                               .arg(c.raw(k).toString(), procedure));
        ++k;
    }
}

// Marks the literals that travel as parameters, numbering them in order.
// A call's (and a bare table's) values all do; in a statement, a value
// does where an expression may stand: after an operator, a comma, an
// opening bracket or a word such as "and" or "then". Numbers stay in the
// text under ORDER BY and GROUP BY (ordinals) and in brackets opened after
// a name (varchar(20), round(x, 2)); text stays after a name (date '...',
// E'...').
int markValues(Lexed& lx) {
    int count = 0;
    const size_t first = 0;
    const bool call = first < lx.t.size() && lx.t[first].kind == Tok::Word &&
                      !isStatementKeyword(lx.raw(lx.t[first]));
    // Per bracket depth: whether numbers stay (ordinals, a name's brackets);
    // deeper than 63 brackets numbers stay.
    uint64_t numbersStay = 0;
    int depth = 0;
    const auto stay = [&] { return depth > 63 || ((numbersStay >> depth) & 1) != 0; };
    const Token* prev = nullptr;
    for (size_t i = first; i < lx.t.size(); ++i) {
        Token& t = lx.t[i];
        const QStringView p = prev ? lx.raw(*prev) : QStringView();
        const bool adjacentWord = prev && prev->kind == Tok::Word && prev->pos + prev->len == t.pos;
        const bool nextAdjacentWord = i + 1 < lx.t.size() && lx.t[i + 1].kind == Tok::Word &&
                                      lx.t[i + 1].pos == t.pos + t.len;
        const char16_t punct = t.kind == Tok::Punct ? lx.s[t.pos].unicode() : 0;
        if (punct == u'(') {
            const bool afterName = prev &&
                                   (prev->kind == Tok::Word || prev->kind == Tok::QuotedName) &&
                                   !isOneOf(p, {"in", "values", "and", "or", "not", "select",
                                                "where", "when", "then", "else", "on", "exists",
                                                "as", "from", "join", "by", "like", "between"});
            const bool outer = stay();
            ++depth;
            if (depth <= 63) {
                numbersStay &= ~(uint64_t(1) << depth);
                if (outer || afterName)
                    numbersStay |= uint64_t(1) << depth;
            }
        } else if (punct == u')') {
            if (depth > 0)
                --depth;
        } else if (t.kind == Tok::Word && prev && prev->kind == Tok::Word &&
                   isOneOf(lx.raw(t), {"by"}) && isOneOf(p, {"order", "group"})) {
            if (depth <= 63)
                numbersStay |= uint64_t(1) << depth;
        } else if (t.kind == Tok::String || t.kind == Tok::Number) {
            bool marked = false;
            if (t.kind == Tok::String) {
                marked = !adjacentWord &&
                         (call ||
                          (prev && prev->kind == Tok::Punct && p != QLatin1Char('.') &&
                           p != QLatin1Char(')')) ||
                          (prev && prev->kind == Tok::Word &&
                           isOneOf(p, {"and", "or", "not", "like", "then", "else", "when",
                                       "between", "select", "in", "is", "return"})));
            } else if (!nextAdjacentWord && numberValue(lx.raw(t), false)) {
                const bool afterOperator = prev && prev->kind == Tok::Punct &&
                                           QStringView(u"=<>(,+-*/%").contains(p.front());
                marked =
                    !adjacentWord &&
                    (call || (!stay() && (afterOperator ||
                                          (prev && prev->kind == Tok::Word &&
                                           isOneOf(p, {"and", "or", "then", "else", "when",
                                                       "between", "limit", "offset", "in"})))));
            }
            if (marked)
                t.value = count++;
        }
        prev = &t;
    }
    return count;
}

// Turns the tokens into the backend's statement.
TranslatedStatement translateTokens(Lexed& lx, const QString& statement, Backend backend,
                                    const QString& currentDatabase,
                                    const ProcedureExists& isProcedure, Marks marks,
                                    std::vector<ArgumentSource>* arguments) {
    std::vector<Token>& tokens = lx.t;
    // A trailing ';' ends the statement; it is not part of a call's arguments.
    while (!tokens.empty() && tokens.back().kind == Tok::Punct && lx.raw(tokens.back()) == u";")
        tokens.pop_back();
    const Cursor c(lx);
    if (c.size() == 0)
        untranslatable(QStringLiteral("The statement is empty."));

    size_t k = 0;
    const bool exec = c.isWord(0, "exec") || c.isWord(0, "execute");
    if (exec) {
        if (c.size() == 1)
            untranslatable(QStringLiteral("Incorrect syntax near '%1': the name of the stored "
                                          "procedure to execute is missing.")
                               .arg(c.raw(0).toString()));
        k = 1;
    }

    if (!exec && c.isWord(0, "truncate") && c.isWord(1, "table")) {
        QString database, name;
        const size_t used = readName(c, 2, &database, &name);
        if (used == 0 || 2 + used != c.size())
            untranslatable(QStringLiteral("Incorrect syntax in '%1'.").arg(statement));
        const QString table = render(lx, 2, 2 + used, marks);
        return {backend == Backend::SQLite ? QStringLiteral("DELETE FROM ") + table
                                           : QStringLiteral("TRUNCATE TABLE ") + table,
                std::nullopt};
    }

    if (!exec && c[0].kind == Tok::Word && isStatementKeyword(c.raw(0)))
        return {render(lx, 0, tokens.size(), marks, 0), std::nullopt};

    QString database, name;
    const size_t used = readName(c, k, &database, &name);
    if (used == 0)
        untranslatable(QStringLiteral("Incorrect syntax near '%1'.").arg(c.raw(k).toString()));
    const size_t next = k + used;
    const QString procDatabase = database.isEmpty() ? currentDatabase : database;

    // "name" alone, or "name where ...", is a table unless a procedure has
    // that name.
    const bool tableSource = !exec && (next == c.size() || c.isWord(next, "where")) &&
                             !(next == c.size() && isProcedure(procDatabase, name));
    if (tableSource)
        return {QStringLiteral("SELECT * FROM ") + render(lx, 0, tokens.size(), marks),
                std::nullopt};

    const QString written = database.isEmpty() ? name : database + QStringLiteral("..") + name;
    if (!isProcedure(procDatabase, name))
        raiseStatement(Failure::MissingObject,
                       QStringLiteral("Could not find stored procedure '%1'.").arg(written));
    std::vector<ArgumentSource> sources = readArguments(lx, c, next, written);
    ProcedureCall call{procDatabase, name, {}};
    call.args.reserve(sources.size());
    for (const ArgumentSource& a : sources)
        call.args.push_back(a.constant);
    if (arguments)
        *arguments = std::move(sources);
    return {QString(), std::move(call)};
}

} // namespace

TranslatedStatement translate(const QString& statement, Backend backend,
                              const QString& currentDatabase, const ProcedureExists& isProcedure) {
    std::vector<Token> tokens;
    Lexed lx{statement, tokens};
    tokenize(statement, tokens);
    return translateTokens(lx, statement, backend, currentDatabase, isProcedure, Marks::None,
                           nullptr);
}

ScannedStatement scan(const QString& statement) {
    thread_local std::vector<Token> tokens;
    Lexed lx{statement, tokens};
    tokenize(statement, tokens);
    ScannedStatement out;
    out.values.reserve(static_cast<size_t>(markValues(lx)));
    out.key.reserve(statement.size());
    // The text between values is copied in one piece.
    qsizetype copied = 0;
    for (const Token& t : tokens) {
        if (t.value < 0)
            continue;
        out.key += QStringView(statement).mid(copied, t.pos - copied);
        copied = t.pos + t.len;
        if (t.kind == Tok::String) {
            out.key += QChar(1);
            out.values.emplace_back(lx.text(t));
        } else {
            const vrt::Variant v = *numberValue(lx.raw(t), false);
            out.key += QChar(v.type() == vrt::VarType::Double ? 3 : 2);
            out.values.push_back(v);
        }
    }
    out.key += QStringView(statement).mid(copied);
    return out;
}

StatementShape shapeOf(const QString& statement, Backend backend, const QString& currentDatabase,
                       const ProcedureExists& isProcedure) {
    std::vector<Token> tokens;
    Lexed lx{statement, tokens};
    tokenize(statement, tokens);
    markValues(lx);
    StatementShape shape;
    TranslatedStatement t = translateTokens(
        lx, statement, backend, currentDatabase, isProcedure,
        backend == Backend::PostgreSQL ? Marks::Dollar : Marks::Question, &shape.arguments);
    shape.sql = std::move(t.sql);
    shape.call = std::move(t.call);
    return shape;
}

std::vector<vrt::Variant> callArguments(const StatementShape& shape,
                                        const std::vector<vrt::Variant>& values) {
    std::vector<vrt::Variant> args;
    args.reserve(shape.arguments.size());
    for (const ArgumentSource& a : shape.arguments) {
        if (a.value < 0) {
            args.push_back(a.constant);
            continue;
        }
        const vrt::Variant& v = values[static_cast<size_t>(a.value)];
        if (!a.negative)
            args.push_back(v);
        else if (v.type() == vrt::VarType::Double)
            args.emplace_back(-v.toDouble());
        else
            args.emplace_back(static_cast<int32_t>(-v.toLong()));
    }
    return args;
}

} // namespace ado
