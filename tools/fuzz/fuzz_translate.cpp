// Feeds random statement fragments through the statement translator: every
// one must come back translated or refused with a run-time error, never
// crash or read out of bounds (build it with the sanitizers: preset asan).
//
//   fuzz_translate [count] [seed]

#include "platform/ado/dialect.h"
#include "platform/runtime/errors.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

const QStringList pieces{"exec",
                         "EXECUTE",
                         "select",
                         "insert",
                         "truncate",
                         "table",
                         "where",
                         "LABORATORY",
                         "..",
                         "lab_save_hcodes",
                         "sp_listmedtech",
                         "tbLabPrint",
                         "null",
                         "'",
                         "''",
                         "'R-1'",
                         "'a''b'",
                         ",",
                         "-",
                         "+",
                         "0",
                         "12",
                         "2.5",
                         ".5",
                         "1..2",
                         ";",
                         "[x]",
                         "[",
                         "]",
                         "\"",
                         "\"q\"",
                         "@p",
                         "#t",
                         "$",
                         "(",
                         ")",
                         "*",
                         "=",
                         "é",
                         "Ñ",
                         "\t",
                         "\n",
                         " ",
                         "  ",
                         ".",
                         "db..",
                         "..x",
                         "9999999999999"};

bool knownProcedure(const QString& database, const QString& name) {
    const QString key = database.toLower() + QLatin1Char('.') + name.toLower();
    return key == QLatin1String("laboratory.lab_save_hcodes") ||
           key == QLatin1String("laboratory.sp_listmedtech") || key == QLatin1String("db.x");
}

QString fragment(std::mt19937& random) {
    std::uniform_int_distribution<int> length(0, 14), piece(0, int(pieces.size()) - 1), space(0, 2),
        anyChar(1, 0x2FF);
    QString s;
    for (int n = length(random); n > 0; --n) {
        if (piece(random) % 8 == 0)
            s += QChar(anyChar(random)); // now and then any character at all
        else
            s += pieces[piece(random)];
        if (space(random) == 0)
            s += QLatin1Char(' ');
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    const unsigned seed = argc > 2 ? unsigned(std::atol(argv[2])) : 20261206u;
    std::mt19937 random(seed);
    long translated = 0, calls = 0, refused = 0;
    for (long i = 0; i < count; ++i) {
        const QString text = fragment(random);
        for (ado::Backend backend : {ado::Backend::SQLite, ado::Backend::PostgreSQL}) {
            try {
                const auto t =
                    ado::translate(text, backend, QStringLiteral("LABORATORY"), knownProcedure);
                if (t.call) {
                    ++calls;
                    if (t.call->name.isEmpty() || !knownProcedure(t.call->database, t.call->name)) {
                        std::fprintf(stderr, "call of an unknown procedure from: %s\n",
                                     qPrintable(text));
                        return 1;
                    }
                } else if (t.sql.trimmed().isEmpty()) {
                    std::fprintf(stderr, "empty translation of: %s\n", qPrintable(text));
                    return 1;
                } else {
                    ++translated;
                }
            } catch (const vrt::RuntimeError& e) {
                if (e.description().isEmpty()) {
                    std::fprintf(stderr, "refused without a message: %s\n", qPrintable(text));
                    return 1;
                }
                ++refused;
            }
        }
    }
    std::printf("%ld fragments (seed %u): %ld statements, %ld calls, %ld refused\n", count, seed,
                translated, calls, refused);
    return 0;
}
