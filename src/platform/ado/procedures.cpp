#include "procedures.h"

#include "engine.h"
#include "errors.h"

#include <QRegularExpression>
#include <QSet>

namespace ado {

namespace {

QString literal(const QString& text) {
    return QLatin1Char('\'') + quoted(text) + QLatin1Char('\'');
}

} // namespace

void installSqliteProcedures(Connection& connection, const QString& text) {
    if (connection.backend() != Backend::SQLite)
        raiseProvider(QStringLiteral("Procedure blocks are for the embedded database."));
    static const QRegularExpression header(
        QStringLiteral("^--\\s*procedure\\s+([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)"
                       "\\s+args\\s+(\\d+)(?:\\s*\\.\\.\\s*(\\d+))?(\\s+returns\\s+rows)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);

    struct Block {
        QString database, name;
        int minArgs, maxArgs;
        bool returnsRows;
        QStringList body;
    };
    std::vector<Block> blocks;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const auto m = header.match(line);
        if (m.hasMatch()) {
            const int min = m.captured(3).toInt();
            blocks.push_back({m.captured(1),
                              m.captured(2),
                              min,
                              m.captured(4).isEmpty() ? min : m.captured(4).toInt(),
                              !m.captured(5).isEmpty(),
                              {}});
        } else if (line.startsWith(QLatin1String("-- procedure"), Qt::CaseInsensitive)) {
            raiseProvider(QStringLiteral("Procedure header on line %1 is not understood: %2")
                              .arg(i + 1)
                              .arg(line));
        } else if (!blocks.empty()) {
            blocks.back().body << lines[i];
        } else if (!line.isEmpty() && !line.startsWith(QLatin1String("--"))) {
            raiseProvider(
                QStringLiteral("Line %1 stands before the first procedure header.").arg(i + 1));
        }
    }

    static const QRegularExpression argc(QStringLiteral(":argc\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString script;
    QSet<QString> catalogs;
    for (const Block& b : blocks) {
        const QString db = b.database;
        if (!catalogs.contains(db.toLower())) {
            catalogs.insert(db.toLower());
            script += QStringLiteral("CREATE TABLE IF NOT EXISTS %1.vantrel_procedures ("
                                     "name TEXT PRIMARY KEY COLLATE NOCASE, "
                                     "min_args INTEGER NOT NULL, max_args INTEGER NOT NULL, "
                                     "returns_rows INTEGER NOT NULL, body TEXT NOT NULL);\n")
                          .arg(db);
        }
        script +=
            QStringLiteral("INSERT OR REPLACE INTO %1.vantrel_procedures VALUES "
                           "(%2, %3, %4, %5, %6);\n")
                .arg(db, literal(b.name))
                .arg(b.minArgs)
                .arg(b.maxArgs)
                .arg(b.returnsRows ? 1 : 0)
                .arg(literal(
                    b.body.join(QLatin1Char('\n'))
                        .trimmed()
                        .replace(argc, QStringLiteral("?%1").arg(detail::sqliteArgcParameter))));
    }
    connection.runScript(QStringLiteral("BEGIN;\n") + script + QStringLiteral("COMMIT;"));
}

} // namespace ado
