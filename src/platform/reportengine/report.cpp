#include "report.h"

#include "template.h"

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/ado/trace.h"
#include "platform/runtime/text.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace reportengine {

void DatabaseTable::SetLogOnInfo(const QString& serverName, const QString& databaseName,
                                 const QString& userID, const QString& password) {
    d_.server = serverName;
    d_.database = databaseName;
    d_.user = userID;
    d_.password = password;
}

void ParameterField::SetCurrentValue(const vrt::Variant& value) {
    const bool fits = [&] {
        if (value.isNull())
            return true;
        switch (d_.valueType) {
        case vtDate:
        case vtDateTime:
            return value.isDate();
        case vtNumber:
            return value.isNumber() || (value.isString() && vrt::IsNumeric(value));
        case vtBoolean:
            return value.isNumber();
        default:
            return !value.isArray() && !value.isObject();
        }
    }();
    if (!fits) {
        const QString kind = d_.valueType == vtDate || d_.valueType == vtDateTime
                                 ? QStringLiteral("a date")
                             : d_.valueType == vtNumber  ? QStringLiteral("a number")
                             : d_.valueType == vtBoolean ? QStringLiteral("a Boolean")
                                                         : QStringLiteral("text");
        throw vrt::RuntimeError(
            vrt::err::TypeMismatch,
            QStringLiteral("Type mismatch: the parameter field %1 takes %2.").arg(d_.name, kind));
    }
    value_ = value;
    hasValue_ = true;
}

Report::Report(ReportDefinition definition, QString defaultDataSource,
               std::weak_ptr<ado::Connection> connection)
    : d_(std::move(definition)), defaultDataSource_(std::move(defaultDataSource)),
      connection_(std::move(connection)) {
    for (const TableDefinition& t : d_.tables)
        tables_.push_back(std::make_shared<DatabaseTable>(t));
    for (const ParameterDefinition& p : d_.parameters)
        parameters_.push_back(std::make_shared<ParameterField>(p));
}

namespace {

struct TableData {
    QStringList columns;
    std::vector<std::vector<vrt::Variant>> rows;
};

// The engine's reads are not statements of its caller.
class TracingOff {
public:
    TracingOff() : was_(ado::statementTracing()) { ado::setStatementTracing(false); }
    ~TracingOff() { ado::setStatementTracing(was_); }

private:
    bool was_;
};

// The connection string with one setting replaced (or added).
QString withSetting(const QString& connectionString, const QString& key, const QString& value) {
    QStringList parts;
    QString part;
    QChar quote;
    for (QChar c : connectionString) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            parts << part;
            part.clear();
            continue;
        }
        part += c;
    }
    parts << part;
    QStringList kept;
    for (const QString& p : parts) {
        if (p.trimmed().isEmpty())
            continue;
        if (p.section(u'=', 0, 0).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            kept << p;
    }
    QString v = value;
    if (v.contains(u';') || v.contains(u'='))
        v = u'"' + v + u'"';
    kept << key + u'=' + v;
    return kept.join(u';');
}

TableData readTable(const DatabaseTable& table, const QString& defaultDataSource,
                    const std::shared_ptr<ado::Connection>& shared) {
    const TableDefinition& d = table.definition();
    const QStringList parts = d.location.split(u'.');
    if (parts.size() != 3 || parts[0].trimmed().isEmpty() || parts[2].trimmed().isEmpty())
        throw vrt::RuntimeError(errDefinition, QStringLiteral("The location %1 of table %2 is not "
                                                              "database.owner.table.")
                                                   .arg(d.location, d.name));
    const bool reuse = shared && shared->State() == ado::adStateOpen && d.server.isEmpty();
    QString source = defaultDataSource;
    if (source.isEmpty() && !reuse)
        throw vrt::RuntimeError(
            errDatabase,
            QStringLiteral("Table %1: there is no data source to log on to.").arg(d.name));
    if (!d.server.isEmpty()) {
        source = withSetting(source, QStringLiteral("Server"), d.server);
        source = withSetting(source, QStringLiteral("User ID"), d.user);
        source = withSetting(source, QStringLiteral("Password"), d.password);
    }
    if (!d.database.isEmpty())
        source = withSetting(source, QStringLiteral("Initial Catalog"), d.database);

    QString sql = QStringLiteral("select * from ") + parts[0].trimmed() + QStringLiteral("..") +
                  parts[2].trimmed();
    if (!d.orderBy.isEmpty())
        sql += QStringLiteral(" order by ") + d.orderBy;
    TracingOff quiet;
    try {
        std::shared_ptr<ado::Connection> connection = shared;
        if (!reuse) {
            connection = std::make_shared<ado::Connection>();
            connection->Open(source);
        }
        const auto rs = connection->Execute(sql);
        TableData data;
        if (rs->State() == ado::adStateOpen) {
            data.columns = rs->columnNames();
            data.rows = rs->rows();
        }
        return data;
    } catch (const vrt::RuntimeError& e) {
        throw vrt::RuntimeError(
            errDatabase,
            QStringLiteral("The report cannot read table %1: %2").arg(d.name, e.description()));
    }
}

struct OutLine {
    QString text;
    printing::CharFormat format;
    double x = 0;
    double ascent = 0;
    double height = 0;
};

class Renderer {
public:
    Renderer(printing::PrintJob& job, const ReportDefinition& d, Template::Lookup lookup)
        : job_(job), d_(d), lookup_(std::move(lookup)) {}

    void setRow(const TableData* table, const std::vector<vrt::Variant>* row) {
        table_ = table;
        row_ = row;
    }

    std::vector<OutLine> band(const std::vector<LineDefinition>& lines) {
        std::vector<OutLine> out;
        for (const LineDefinition& l : lines)
            layout(l, out);
        return out;
    }

    void header() {
        y_ = 0;
        draw(band(d_.header));
        headerBottom_ = y_;
    }

    void detail(const std::vector<OutLine>& lines) {
        for (const OutLine& l : lines) {
            if (y_ + l.height > job_.height() + 0.01 && y_ > headerBottom_) {
                newPage();
                header();
            }
            draw({l});
        }
    }

    void footer(const std::vector<OutLine>& lines) {
        double total = 0;
        for (const OutLine& l : lines)
            total += l.height;
        if (y_ + total > job_.height() + 0.01) {
            newPage();
            header();
        }
        y_ = job_.height() - total;
        draw(lines);
    }

private:
    void newPage() {
        job_.newPage();
        job_.composePageBreak();
    }

    void draw(const std::vector<OutLine>& lines) {
        for (const OutLine& l : lines) {
            // Placed lines (centred, right-aligned, indented) keep their place
            // as leading blanks, counted in the line's own font.
            const double space = job_.advance(QStringLiteral(" "), l.format);
            job_.composeLine(QString(space > 0 ? qRound(l.x / space) : 0, u' ') + l.text);
            if (!l.text.trimmed().isEmpty())
                job_.drawText(l.x, y_ + l.ascent, l.text, l.format);
            y_ += l.height;
        }
    }

    std::optional<QString> value(const QString& name) const {
        if (auto v = lookup_(name))
            return v;
        if (table_ && row_)
            for (qsizetype i = 0; i < table_->columns.size(); ++i)
                if (table_->columns[i].compare(name, Qt::CaseInsensitive) == 0)
                    return (*row_)[size_t(i)].text();
        return std::nullopt;
    }

    void layout(const LineDefinition& l, std::vector<OutLine>& out) {
        const printing::PrintJob::Metrics m = job_.metrics(l.format);
        if (l.blank) {
            for (int i = 0; i < l.count; ++i)
                out.push_back({QString(), l.format, 0, m.ascent, m.lineHeight});
            return;
        }
        QString unknown;
        const QString text = Template::expand(
            l.text, [this](const QString& n) { return value(n); }, &unknown);
        if (!unknown.isEmpty())
            throw vrt::RuntimeError(
                errUnknownField,
                QStringLiteral("%1, line %2: {%3} is neither a parameter nor a column.")
                    .arg(QFileInfo(d_.path).fileName())
                    .arg(l.sourceLine)
                    .arg(unknown));
        const double space = job_.advance(QStringLiteral(" "), l.format);
        const double left = l.indent * space;
        const double width = job_.width() - left;
        QString normal = text;
        normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        for (QString para : normal.split(u'\n')) {
            if (l.align != Align::Left)
                para = para.trimmed();
            else if (job_.advance(vrt::RTrim(para), l.format) > width + 0.01) {
                wide(vrt::RTrim(para), left, width, l.format, m, out);
                continue;
            }
            for (const QString& piece : wrap(para, width, width, l.format)) {
                OutLine o{piece, l.format, left, m.ascent, m.lineHeight};
                const double w = job_.advance(vrt::RTrim(piece), l.format);
                if (l.align == Align::Center)
                    o.x = left + (width - w) / 2;
                else if (l.align == Align::Right)
                    o.x = left + width - w;
                out.push_back(o);
            }
        }
    }

    // Where the last field of a row begins: fields are parted by two or more
    // blanks, and a field that starts with "= " or ": " begins at its value.
    static qsizetype lastField(const QString& text) {
        qsizetype first = 0;
        while (first < text.size() && text[first] == u' ')
            ++first;
        qsizetype at = first;
        for (qsizetype i = text.size() - 1; i > first + 1; --i) {
            if (text[i] != u' ' && text[i - 1] == u' ' && text[i - 2] == u' ') {
                at = i;
                break;
            }
        }
        if ((text[at] == u'=' || text[at] == u':') && at + 1 < text.size() &&
            text[at + 1] == u' ') {
            qsizetype value = at + 1;
            while (value < text.size() && text[value] == u' ')
                ++value;
            if (value < text.size())
                at = value;
        }
        return at;
    }

    // A row wider than the page never continues under another column. A
    // row of one field wraps under its own first column. A row of several
    // fields is printed condensed so it fits, down to two thirds of its
    // size; what is still too wide continues under the column where its last
    // field begins.
    void wide(const QString& text, double left, double width, const printing::CharFormat& f,
              const printing::PrintJob::Metrics& m, std::vector<OutLine>& out) const {
        const qsizetype field = lastField(text);
        qsizetype first = 0;
        while (first < text.size() && text[first] == u' ')
            ++first;
        printing::CharFormat c = f;
        if (field > first) {
            // In quarter points (a few font sizes, not one per row), from the
            // size that fits by proportion down: glyph widths are rounded.
            const double smallest = f.pointSize * 2 / 3;
            const double fitting = f.pointSize * width / job_.advance(text, f);
            for (c.pointSize = std::floor(fitting * 4) / 4; c.pointSize >= smallest;
                 c.pointSize -= 0.25) {
                if (job_.advance(text, c) <= width + 0.01) {
                    out.push_back({text, c, left, m.ascent, m.lineHeight});
                    return;
                }
            }
            c.pointSize = smallest;
        }
        const printing::PrintJob::Metrics cm = job_.metrics(c);
        const double hang = job_.advance(text.left(field > first ? field : first), c);
        bool firstLine = true;
        for (const QString& piece : wrap(text, width, width - hang, c)) {
            out.push_back({firstLine ? piece : piece.trimmed(), c, firstLine ? left : left + hang,
                           firstLine ? m.ascent : cm.ascent,
                           firstLine ? std::max(m.lineHeight, cm.lineHeight) : cm.lineHeight});
            firstLine = false;
        }
    }

    // Breaks a line that is wider than the page after its last space that
    // fits (a long word is cut); the spaces at a break are dropped. The first
    // line has firstWidth, the others restWidth (at least one character).
    QStringList wrap(const QString& text, double firstWidth, double restWidth,
                     const printing::CharFormat& f) const {
        QStringList out;
        qsizetype start = 0;
        do {
            const double width = out.isEmpty() ? firstWidth : restWidth;
            double x = 0;
            qsizetype end = start;
            qsizetype lastSpace = -1;
            for (; end < text.size(); ++end) {
                const double a = job_.advance(QString(text[end]), f);
                if (text[end] != u' ' && end > start && x + a > width + 0.01) {
                    if (lastSpace > start)
                        end = lastSpace;
                    break;
                }
                if (text[end] == u' ')
                    lastSpace = end;
                x += a;
            }
            if (end >= text.size()) {
                out << text.mid(start);
                break;
            }
            out << vrt::RTrim(text.mid(start, end - start));
            start = end;
            while (start < text.size() && text[start] == u' ')
                ++start;
        } while (start < text.size());
        return out;
    }

    printing::PrintJob& job_;
    const ReportDefinition& d_;
    Template::Lookup lookup_;
    const TableData* table_ = nullptr;
    const std::vector<vrt::Variant>* row_ = nullptr;
    double y_ = 0;
    double headerBottom_ = 0;
};

} // namespace

void Report::PrintOut(bool promptUser) {
    if (promptForMissingValues_)
        for (const auto& p : parameters_)
            if (!p->HasCurrentValue())
                throw vrt::RuntimeError(
                    errMissingValue,
                    QStringLiteral("The parameter field %1 has no value.").arg(p->Name()));

    std::vector<TableData> data;
    for (const auto& t : tables_)
        data.push_back(readTable(*t, defaultDataSource_, connection_.lock()));

    const auto lookup = [this](const QString& name) -> std::optional<QString> {
        for (const auto& p : parameters_)
            if (p->Name().compare(name, Qt::CaseInsensitive) == 0)
                return p->CurrentValue().text();
        if (name.compare(QLatin1String("CompanyName"), Qt::CaseInsensitive) == 0)
            return companyName_;
        return std::nullopt;
    };

    printing::PrintJob job(d_.name, d_.page);
    job.setCreator(companyName_);
    job.setAskUser(promptUser);
    if (!job.begin())
        return;
    Renderer r(job, d_, lookup);
    const TableData* first = data.empty() ? nullptr : &data.front();
    // The header and footer see the first row, so one-row reports can use it.
    if (first && !first->rows.empty())
        r.setRow(first, &first->rows.front());
    r.header();
    if (!first) {
        r.detail(r.band(d_.detail));
    } else {
        for (const auto& row : first->rows) {
            r.setRow(first, &row);
            r.detail(r.band(d_.detail));
        }
    }
    if (first && !first->rows.empty())
        r.setRow(first, &first->rows.front());
    r.footer(r.band(d_.footer));
    job.finish();
}

} // namespace reportengine
