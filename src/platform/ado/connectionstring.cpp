#include "connectionstring.h"

namespace ado {

ConnectionString ConnectionString::parse(const QString& text) {
    ConnectionString cs;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        const int eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text[i].isSpace())
            ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            // A doubled quote inside a quoted value stands for one quote.
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            const int semi = text.indexOf(QLatin1Char(';'), i);
            i = semi < 0 ? n : semi + 1;
        } else {
            const int semi = text.indexOf(QLatin1Char(';'), i);
            value = text.mid(i, (semi < 0 ? n : semi) - i).trimmed();
            i = semi < 0 ? n : semi + 1;
        }
        if (!key.isEmpty())
            cs.entries_.emplace_back(key, value);
    }
    return cs;
}

bool ConnectionString::contains(const QString& key) const {
    for (const auto& [k, v] : entries_)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString ConnectionString::value(const QString& key, const QString& fallback) const {
    // The last mention of a key wins, as in ADO.
    QString found = fallback;
    for (const auto& [k, v] : entries_)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            found = v;
    return found;
}

QString ConnectionString::value(const QStringList& keys, const QString& fallback) const {
    for (const QString& key : keys)
        if (contains(key))
            return value(key);
    return fallback;
}

} // namespace ado
