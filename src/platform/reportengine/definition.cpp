#include "definition.h"

#include "template.h"

#include "platform/runtime/errors.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace reportengine {

namespace {

struct Token {
    QString key;   // the word, or the part before '='
    QString value; // after '=', or the text of a lone quoted string
    bool hasValue = false;
    bool quotedOnly = false;
};

class Parser {
public:
    Parser(const QString& path) : path_(path) {}

    [[noreturn]] void fault(const QString& why) const {
        throw vrt::RuntimeError(
            errDefinition,
            QStringLiteral("%1, line %2: %3").arg(QFileInfo(path_).fileName()).arg(line_).arg(why));
    }

    ReportDefinition parse(const QString& text) {
        ReportDefinition d;
        d.path = path_;
        d.name = QFileInfo(path_).completeBaseName();
        std::vector<LineDefinition>* band = nullptr;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString& raw : lines) {
            ++line_;
            const QString source = raw.endsWith(QLatin1Char('\r')) ? raw.chopped(1) : raw;
            const std::vector<Token> tokens = tokenize(source);
            if (tokens.empty())
                continue;
            const QString keyword = tokens[0].key.toLower();
            if (tokens[0].hasValue || tokens[0].quotedOnly)
                fault(QStringLiteral("a statement starts with a keyword."));
            const std::vector<Token> args(tokens.begin() + 1, tokens.end());
            if (keyword.startsWith(QLatin1Char('['))) {
                if (!args.empty())
                    fault(QStringLiteral("a band line holds only the band's name."));
                if (keyword == QLatin1String("[header]"))
                    band = &d.header;
                else if (keyword == QLatin1String("[detail]"))
                    band = &d.detail;
                else if (keyword == QLatin1String("[footer]"))
                    band = &d.footer;
                else if (keyword == QLatin1String("[pagefooter]"))
                    band = &d.pageFooter;
                else
                    fault(QStringLiteral("unknown band %1.").arg(tokens[0].key));
            } else if (keyword == QLatin1String("text") || keyword == QLatin1String("blank")) {
                if (!band)
                    fault(QStringLiteral("%1 belongs in a band.").arg(keyword));
                band->push_back(lineStatement(keyword == QLatin1String("blank"), args, d.font));
            } else if (band) {
                fault(QStringLiteral("%1 comes before the bands.").arg(keyword));
            } else if (keyword == QLatin1String("report")) {
                d.name = required(args, QStringLiteral("name"));
                allowOnly(args, {QStringLiteral("name")});
            } else if (keyword == QLatin1String("page")) {
                pageStatement(args, d.page);
            } else if (keyword == QLatin1String("font")) {
                allowOnly(args,
                          {QStringLiteral("name"), QStringLiteral("size"), QStringLiteral("bold")});
                d.font.fontName = required(args, QStringLiteral("name"));
                d.font.pointSize = number(required(args, QStringLiteral("size")), 1, 72);
                d.font.bold = flag(args, QStringLiteral("bold"));
            } else if (keyword == QLatin1String("table")) {
                d.tables.push_back(tableStatement(args));
            } else if (keyword == QLatin1String("parameter")) {
                d.parameters.push_back(parameterStatement(args, d.parameters));
            } else {
                fault(QStringLiteral("unknown statement %1.").arg(tokens[0].key));
            }
        }
        return d;
    }

private:
    std::vector<Token> tokenize(const QString& s) {
        std::vector<Token> out;
        qsizetype i = 0;
        const qsizetype n = s.size();
        auto quoted = [&]() {
            QString text;
            ++i; // opening quote
            for (; i < n; ++i) {
                if (s[i] == u'\\' && i + 1 < n && (s[i + 1] == u'"' || s[i + 1] == u'\\')) {
                    text += s[++i];
                } else if (s[i] == u'"') {
                    ++i;
                    return text;
                } else {
                    text += s[i];
                }
            }
            fault(QStringLiteral("a quoted text is not closed."));
        };
        while (i < n) {
            if (s[i].isSpace()) {
                ++i;
                continue;
            }
            if (s[i] == u'#')
                break;
            Token t;
            if (s[i] == u'"') {
                t.value = quoted();
                t.quotedOnly = true;
            } else {
                while (i < n && !s[i].isSpace() && s[i] != u'=' && s[i] != u'"')
                    t.key += s[i++];
                if (i < n && s[i] == u'=') {
                    ++i;
                    t.hasValue = true;
                    if (i < n && s[i] == u'"') {
                        t.value = quoted();
                    } else {
                        while (i < n && !s[i].isSpace())
                            t.value += s[i++];
                    }
                } else if (i < n && s[i] == u'"') {
                    fault(QStringLiteral("a quoted text follows %1 without '='.").arg(t.key));
                }
            }
            if (i < n && !s[i].isSpace() && s[i] != u'#')
                fault(QStringLiteral("a space is missing after %1.")
                          .arg(t.quotedOnly ? QStringLiteral("a quoted text") : t.key));
            out.push_back(t);
        }
        return out;
    }

    const Token* find(const std::vector<Token>& args, const QString& key) const {
        for (const Token& t : args)
            if (!t.quotedOnly && t.key.compare(key, Qt::CaseInsensitive) == 0)
                return &t;
        return nullptr;
    }
    std::optional<QString> value(const std::vector<Token>& args, const QString& key) const {
        const Token* t = find(args, key);
        if (!t)
            return std::nullopt;
        if (!t->hasValue)
            fault(QStringLiteral("%1 needs a value (%1=...).").arg(key));
        return t->value;
    }
    QString required(const std::vector<Token>& args, const QString& key) const {
        const auto v = value(args, key);
        if (!v)
            fault(QStringLiteral("%1= is missing.").arg(key));
        return *v;
    }
    bool flag(const std::vector<Token>& args, const QString& key) const {
        const Token* t = find(args, key);
        if (t && t->hasValue)
            fault(QStringLiteral("%1 takes no value.").arg(key));
        return t != nullptr;
    }
    void allowOnly(const std::vector<Token>& args, const QStringList& keys) const {
        for (const Token& t : args) {
            if (t.quotedOnly)
                fault(QStringLiteral("a quoted text stands where none belongs."));
            if (!keys.contains(t.key, Qt::CaseInsensitive))
                fault(QStringLiteral("unknown setting %1.").arg(t.key));
        }
    }
    double number(const QString& text, double low, double high) const {
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || v < low || v > high)
            fault(QStringLiteral("%1 is not a number from %2 to %3.").arg(text).arg(low).arg(high));
        return v;
    }

    void pageStatement(const std::vector<Token>& args, printing::PageSetup& page) const {
        allowOnly(args, {QStringLiteral("paper"), QStringLiteral("orientation"),
                         QStringLiteral("margins")});
        if (const auto paper = value(args, QStringLiteral("paper"))) {
            const QString p = paper->toLower();
            if (p == QLatin1String("letter"))
                page.paper = QPageSize::Letter;
            else if (p == QLatin1String("legal"))
                page.paper = QPageSize::Legal;
            else if (p == QLatin1String("a4"))
                page.paper = QPageSize::A4;
            else
                fault(QStringLiteral("unknown paper %1 (letter, legal, a4).").arg(*paper));
        }
        if (const auto o = value(args, QStringLiteral("orientation"))) {
            if (o->compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
                page.landscape = false;
            else if (o->compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0)
                page.landscape = true;
            else
                fault(QStringLiteral("unknown orientation %1 (portrait, landscape).").arg(*o));
        }
        if (const auto m = value(args, QStringLiteral("margins"))) {
            const QStringList parts = m->split(QLatin1Char(','));
            if (parts.size() != 4)
                fault(QStringLiteral("margins= takes left,top,right,bottom in points."));
            page.margins = QMarginsF(number(parts[0], 0, 300), number(parts[1], 0, 300),
                                     number(parts[2], 0, 300), number(parts[3], 0, 300));
        }
    }

    TableDefinition tableStatement(const std::vector<Token>& args) const {
        allowOnly(args,
                  {QStringLiteral("name"), QStringLiteral("location"), QStringLiteral("order"),
                   QStringLiteral("server"), QStringLiteral("database"), QStringLiteral("user"),
                   QStringLiteral("password")});
        TableDefinition t;
        t.name = required(args, QStringLiteral("name"));
        t.location = required(args, QStringLiteral("location"));
        t.orderBy = value(args, QStringLiteral("order")).value_or(QString());
        t.server = value(args, QStringLiteral("server")).value_or(QString());
        t.database = value(args, QStringLiteral("database")).value_or(QString());
        t.user = value(args, QStringLiteral("user")).value_or(QString());
        t.password = value(args, QStringLiteral("password")).value_or(QString());
        return t;
    }

    ParameterDefinition parameterStatement(const std::vector<Token>& args,
                                           const std::vector<ParameterDefinition>& known) const {
        allowOnly(args, {QStringLiteral("name"), QStringLiteral("type")});
        ParameterDefinition p;
        p.name = required(args, QStringLiteral("name"));
        for (const ParameterDefinition& k : known)
            if (k.name.compare(p.name, Qt::CaseInsensitive) == 0)
                fault(QStringLiteral("parameter %1 is defined twice.").arg(p.name));
        const QString type = value(args, QStringLiteral("type")).value_or(QStringLiteral("text"));
        static const std::pair<const char*, int16_t> types[] = {{"text", vtText},
                                                                {"number", vtNumber},
                                                                {"boolean", vtBoolean},
                                                                {"date", vtDate},
                                                                {"datetime", vtDateTime}};
        for (const auto& [name, code] : types)
            if (type.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                p.valueType = code;
        if (p.valueType == vtText && type.compare(QLatin1String("text"), Qt::CaseInsensitive) != 0)
            fault(QStringLiteral("unknown type %1 (text, number, boolean, date, datetime).")
                      .arg(type));
        return p;
    }

    LineDefinition lineStatement(bool blank, const std::vector<Token>& args,
                                 const printing::CharFormat& font) const {
        LineDefinition l;
        l.sourceLine = line_;
        l.format = font;
        l.blank = blank;
        if (blank) {
            allowOnly(args, {QStringLiteral("count"), QStringLiteral("size")});
            if (const auto c = value(args, QStringLiteral("count")))
                l.count = int(number(*c, 1, 200));
        } else {
            std::vector<Token> settings;
            bool haveText = false;
            for (const Token& t : args) {
                if (t.quotedOnly) {
                    if (haveText)
                        fault(QStringLiteral("a text statement holds one quoted text."));
                    l.text = t.value;
                    haveText = true;
                } else {
                    settings.push_back(t);
                }
            }
            if (!haveText)
                fault(QStringLiteral("the quoted text of the line is missing."));
            allowOnly(settings, {QStringLiteral("size"), QStringLiteral("font"),
                                 QStringLiteral("bold"), QStringLiteral("center"),
                                 QStringLiteral("right"), QStringLiteral("indent")});
            if (const auto f = value(settings, QStringLiteral("font")))
                l.format.fontName = *f;
            l.format.bold = flag(settings, QStringLiteral("bold"));
            const bool center = flag(settings, QStringLiteral("center"));
            const bool right = flag(settings, QStringLiteral("right"));
            if (center && right)
                fault(QStringLiteral("a line is either centred or right-aligned."));
            l.align = center ? Align::Center : right ? Align::Right : Align::Left;
            if (const auto i = value(settings, QStringLiteral("indent")))
                l.indent = int(number(*i, 0, 200));
            QString why;
            if (!Template::check(l.text, &why))
                fault(why);
        }
        if (const auto s = value(args, QStringLiteral("size")))
            l.format.pointSize = number(*s, 1, 72);
        return l;
    }

    QString path_;
    int line_ = 0;
};

} // namespace

bool printsField(const ReportDefinition& d, const QString& name) {
    for (const auto* band : {&d.header, &d.detail, &d.footer, &d.pageFooter})
        for (const LineDefinition& l : *band)
            if (!l.blank && Template::fields(l.text).contains(name, Qt::CaseInsensitive))
                return true;
    return false;
}

ReportDefinition parseDefinition(const QString& text, const QString& path) {
    return Parser(path).parse(text);
}

ReportDefinition readDefinition(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw vrt::RuntimeError(errFileNotFound, QStringLiteral("File not found: %1").arg(path));
    return parseDefinition(QString::fromUtf8(file.readAll()), path);
}

} // namespace reportengine
