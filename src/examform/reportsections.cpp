// The printed result report of the exam form: one section per result layout,
// described by tables of captions and fields that the layouts' routines share.

#include "reportsections.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "platform/ado/connection.h"
#include "platform/ado/connectionstring.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"
#include "report/blocks.h"
#include "report/document.h"
#include "report/frmprinter.h"

#include <QRegularExpression>
#include <functional>
#include <optional>

namespace examform {

namespace {

const QString crlf = QStringLiteral("\r\n");
const QString bar = QStringLiteral(" \u00A6 ");

QString S(int count) {
    return QString(count, u' ');
}

QString D(double value) {
    return vrt::doubleToText(value);
}

printing::TextDocument& document() {
    return report::frmPrinter::instance().rtbDummy;
}

struct Ctx {
    const Slots& v;
    const SectionInput& exam;
};
using Value = std::function<QString(const Ctx&)>;

enum class Fit {
    Cut,  // Fix_Width: names and captions, cut to the field
    Keep, // Fix_Width, but a longer value continues on the next line
    Fill, // Fill_Spaces, a longer value continues on the next line
    Raw,  // as it stands
};

// One field of a line: what stands before it, then the value in its field.
struct Field {
    QString lead;
    Fit fit;
    int width;
    Value value;
};
// A line is a list of pieces, each added with one Add_Text.
using Line = std::vector<std::vector<Field>>;

Value text(const char* s) {
    return [t = QString::fromUtf8(s)](const Ctx&) { return t; };
}

// Characters of the report font that fit between the margins of the sheet.
int lineCapacity(int size) {
    return int(558 / (0.6 * size));
}

// The rest of a value too long for its field, to print under its column.
struct Overflow {
    int column;
    int width;
    QString rest;
};

// What of text fits in width characters: up to its last blank that fits,
// else cut there; the rest, trimmed.
std::pair<QString, QString> splitAt(const QString& text, int width) {
    if (text.size() <= width)
        return {text, QString()};
    qsizetype at = text.lastIndexOf(u' ', width);
    if (at <= 0)
        at = width;
    return {vrt::RTrim(text.left(at)), vrt::Trim(text.mid(at))};
}

QString shaped(const Field& f, const Ctx& c, int column, bool last, int capacity,
               std::vector<Overflow>& overflow) {
    const QString value = f.value(c);
    const int at = column + int(f.lead.size());
    auto continued = [&](int width, int fieldWidth) {
        const auto [head, rest] = splitAt(vrt::Trim(value), width);
        if (!rest.isEmpty())
            overflow.push_back({at, width, rest});
        return f.lead + report::Fix_Width(head, int16_t(fieldWidth));
    };
    // Nothing follows the last field: a longer value there only wraps at the
    // right margin.
    const bool whole = last && f.fit != Fit::Cut && vrt::Trim(value).size() > f.width;
    switch (whole ? Fit::Raw : f.fit) {
    case Fit::Cut:
        return f.lead + report::Fix_Width(value, int16_t(f.width));
    case Fit::Keep:
        // A blank is kept between a continued value and the next column.
        if (vrt::Trim(value).size() > f.width)
            return continued(f.width - 1, f.width);
        return f.lead + report::Fix_Width(value, int16_t(f.width));
    case Fit::Fill:
        if (vrt::Trim(value).size() > f.width)
            return continued(f.width, f.width + 1);
        return f.lead + report::Fill_Spaces(value, int16_t(f.width));
    case Fit::Raw:
        break;
    }
    // The last field continues under itself rather than pass the margin.
    const QString shown = f.fit == Fit::Raw ? value : vrt::Trim(value);
    if (last && capacity - at >= 10 && at + shown.size() > capacity) {
        const auto [head, rest] = splitAt(shown, capacity - at);
        overflow.push_back({at, capacity - at, rest});
        return f.lead + head;
    }
    return f.lead + shown;
}

// A line, then as many lines as its longest continued value needs, each
// piece of them under its own column.
void addLine(const Line& line, const Ctx& c, int size) {
    const int capacity = lineCapacity(size);
    std::vector<Overflow> overflow;
    int column = 0;
    for (size_t p = 0; p < line.size(); ++p) {
        QString piece;
        for (size_t f = 0; f < line[p].size(); ++f) {
            const bool last = p + 1 == line.size() && f + 1 == line[p].size();
            piece += shaped(line[p][f], c, column + int(piece.size()), last, capacity, overflow);
        }
        column += int(piece.size());
        report::Add_Text(p + 1 == line.size() ? piece + crlf : piece, int16_t(size));
    }
    while (!overflow.empty()) {
        QString next;
        std::vector<Overflow> still;
        for (const Overflow& o : overflow) {
            const auto [head, rest] = splitAt(o.rest, o.width);
            next = next.leftJustified(o.column, u' ') + head;
            if (!rest.isEmpty())
                still.push_back({o.column, o.width, rest});
        }
        report::Add_Text(next + crlf, int16_t(size));
        overflow = std::move(still);
    }
}

// The printed result carries the flag the entry screen gave it, unless the
// connection asks for reports without flags ("Report Flags=No").
bool flagsPrinted() {
    const auto& connection = entry::state().LabConnection;
    if (!connection)
        return true;
    return ado::ConnectionString::parse(connection->ConnectionString())
               .value(QStringLiteral("Report Flags"))
               .trimmed()
               .compare(QLatin1String("No"), Qt::CaseInsensitive) != 0;
}

QString typed(const Slots& v, int element) {
    return vrt::Trim(v.Typed.value(element));
}

// A number as the entry screen reads one.
bool decimal(const QString& text) {
    return vrt::decimalNumber(text).has_value();
}

QString screenFlag(const Slots& v, int element) {
    const QString flag = typed(v, element);
    if (flag != QLatin1String("H") && flag != QLatin1String("L"))
        return QString();
    return flagsPrinted() ? flag : QString();
}

QString flagged(const QString& value, const QString& flag) {
    return flag.isEmpty() ? value : vrt::Trim(value) + u' ' + flag;
}

// The last field of a result's line: a general range and a critical result
// say so there.
QString withCritical(const QString& text, const Slots& v) {
    QString out = text;
    if (v.GeneralRange)
        out += QStringLiteral("  (general range)");
    if (v.Critical)
        out += QStringLiteral("  CRITICAL");
    return out;
}

// The notification under a critical result: each part on a line of its own,
// one too long for the sheet (102 characters at 9 points) broken between
// words, and the lines after the first indented under it.
QStringList noticeLines(const QStringList& parts) {
    constexpr qsizetype width = 100;
    QStringList lines;
    for (const QString& part : parts) {
        QString line = S(lines.isEmpty() ? 2 : 4);
        bool empty = true;
        for (const QString& word : part.split(u' ', Qt::SkipEmptyParts)) {
            if (!empty && line.size() + 1 + word.size() > width) {
                lines << line;
                line = S(4);
                empty = true;
            }
            line += (empty ? QString() : QStringLiteral(" ")) + word;
            empty = false;
        }
        lines << line;
    }
    return lines;
}

// A range with a limit left empty reads as the screen shows it: the one
// limit with its side, or nothing.
std::optional<QString> oneSided(const Slots& v, int lowElement, int highElement) {
    const QString low = typed(v, lowElement), high = typed(v, highElement);
    if (v.Typed.isEmpty() || (!low.isEmpty() && !high.isEmpty()))
        return std::nullopt;
    if (decimal(low))
        return QStringLiteral("\u2265 ") + low;
    if (decimal(high))
        return QStringLiteral("\u2264 ") + high;
    return low + high;
}

// Layout 5: the screen flags the conventional result when it and one of its
// limits are numbers, otherwise the SI result.
bool conventionalFlagged(const Slots& v) {
    return decimal(typed(v, 1)) && (decimal(typed(v, 3)) || decimal(typed(v, 4)));
}

// A result left empty prints empty, not as a measured 0.
QString measured(const Slots& v, int element, double value) {
    return !v.Typed.isEmpty() && typed(v, element).isEmpty() ? QString() : D(value);
}

QString range5(const Slots& v, double low, double high, int lowElement) {
    if (auto one = oneSided(v, lowElement, lowElement + 1))
        return *one;
    return report::Fill_Spaces(D(low), 7) + u'-' + report::Fill_Spaces(D(high), 7);
}

// The layouts whose exams share one report: column captions, a body line per
// exam, the field that names the exam (no line without it).
struct Tabular {
    int size;
    Line captions;
    int rule; // "-" characters under the captions, none at 0
    Value name;
    Line body;
};

const Value title = [](const Ctx& c) { return c.exam.title; };

// Layout 5: the unit of the conventional values follows their range in the
// same column; "(conv.)" heads the converted (SI) result and "(s.i.)" the SI
// unit in a column of its own. Values of up to 7 characters and units of up
// to 8 keep every bar under the bar of its caption (102 characters at 9
// points fill the sheet's width).
// Layout 9: the screen's one unit belongs to the typed result and follows it
// under "Result"; the screen gives no SI unit, so the "(s.i.)" column stays
// empty. The widths are those of layout 5 for the same captions.
const Tabular tabular[10] = {
    {9,
     {{{"", Fit::Raw, 0, text("Examination")},
       {S(20), Fit::Raw, 0, text("Result")},
       {S(19), Fit::Raw, 0, text("Normal Values")}}},
     0,
     title,
     {{{"", Fit::Cut, 20, title}},
      {{S(12), Fit::Keep, 10,
        [](const Ctx& c) {
            return flagged(c.v.NormalText ? c.v.A5 : D(c.v.A4), screenFlag(c.v, 5));
        }}},
      {{S(14), Fit::Keep, 10,
        [](const Ctx& c) {
            if (auto one = oneSided(c.v, 1, 2))
                return *one;
            return c.v.NormalText ? c.v.G1 : D(c.v.A1) + QStringLiteral(" -") + D(c.v.A2);
        }},
       {"", Fit::Keep, 5, [](const Ctx& c) { return withCritical(c.v.A3, c.v); }}}}},
    {},
    {},
    {9,
     {{{"", Fit::Raw, 0, text("DESCRIPTION")},
       {S(19), Fit::Raw, 0, text("CUT-OFF VALUE")},
       {S(10), Fit::Raw, 0, text("PATIENT VALUE")},
       {S(10), Fit::Raw, 0, text("RESULT")}}},
     0,
     [](const Ctx& c) { return c.v.B1; },
     {{{"", Fit::Cut, 20, [](const Ctx& c) { return c.v.B1; }}},
      {{S(14), Fit::Keep, 15, [](const Ctx& c) { return c.v.B3; }}},
      {{S(10), Fit::Keep, 15, [](const Ctx& c) { return c.v.B2; }}},
      {{S(5), Fit::Raw, 0, [](const Ctx& c) { return c.v.A5; }}}}},
    {},
    {9,
     {{{"", Fit::Cut, 20, text("Examination")}},
      {{" ", Fit::Cut, 10, text("¦ Result")}},
      {{" ", Fit::Cut, 28, text("¦         Normal Values")}},
      {{" ", Fit::Cut, 10, text("¦ (conv.)")}},
      {{" ", Fit::Cut, 19, text("¦     Normal Values")}},
      {{" ", Fit::Raw, 0, text("¦ (s.i.)")}}},
     0,
     title,
     {{{"", Fit::Cut, 20, title}},
      {{bar, Fit::Fill, 7,
        [](const Ctx& c) {
            return flagged(measured(c.v, 1, c.v.C1),
                           conventionalFlagged(c.v) ? screenFlag(c.v, 7) : QString());
        }}},
      {{bar, Fit::Fill, 16, [](const Ctx& c) { return range5(c.v, c.v.A1, c.v.A2, 3); }},
       {"", Fit::Fill, 8, [](const Ctx& c) { return c.v.A3; }}},
      {{bar, Fit::Fill, 7,
        [](const Ctx& c) {
            return flagged(measured(c.v, 2, c.v.C2),
                           conventionalFlagged(c.v) ? QString() : screenFlag(c.v, 7));
        }}},
      {{bar, Fit::Fill, 16, [](const Ctx& c) { return range5(c.v, c.v.G3, c.v.G4, 8); }}},
      {{bar, Fit::Raw, 0, [](const Ctx& c) { return c.v.G5; }}}}},
    {9,
     {{{"", Fit::Raw, 0, text("Examination")},
       {S(20), Fit::Raw, 0, text("Threshold Value")},
       {S(10), Fit::Raw, 0, text("Result")},
       {S(15), Fit::Raw, 0, text("Interpretation")}}},
     0,
     title,
     {{{"", Fit::Cut, 20, title}},
      {{S(11), Fit::Keep, 20, [](const Ctx& c) { return c.v.E1; }}},
      {{S(5), Fit::Keep, 20, [](const Ctx& c) { return c.v.A5; }}},
      {{S(1), Fit::Raw, 0, [](const Ctx& c) { return c.v.E2; }}}}},
    {},
    {9,
     {{{"", Fit::Raw, 0, text("Examination")},
       {S(12), Fit::Raw, 0, text("Result")},
       {S(15), Fit::Raw, 0, text("Normal Values")}}},
     0,
     title,
     {{{"", Fit::Cut, 20, title}},
      {{S(5), Fit::Keep, 15,
        [](const Ctx& c) { return vrt::Format(vrt::Variant(c.v.A5), QStringLiteral("##0.00")); }}},
      {{"", Fit::Keep, 15,
        [](const Ctx& c) { return vrt::Format(vrt::Variant(c.v.G1), QStringLiteral("##0.00")); }},
       {"", Fit::Keep, 5, [](const Ctx& c) { return c.v.A3; }}}}},
    {8,
     {{{"", Fit::Cut, 21, text("Examination")}},
      {{" ", Fit::Cut, 19, text("¦ Result")}},
      {{" ", Fit::Cut, 26, text("¦         Normal Values")}},
      {{" ", Fit::Cut, 10, text("¦ (conv.)")}},
      {{" ", Fit::Cut, 26, text("¦     Normal Values")}},
      {{" ", Fit::Raw, 0, text("¦ (s.i.)")}}},
     115,
     title,
     {{{"", Fit::Cut, 21, title}},
      {{bar, Fit::Fill, 7, [](const Ctx& c) { return D(c.v.C1); }},
       {"", Fit::Fill, 8, [](const Ctx& c) { return c.v.G5; }}},
      {{bar, Fit::Fill, 23, [](const Ctx& c) { return c.v.G1; }}},
      {{bar, Fit::Fill, 7, [](const Ctx& c) { return D(c.v.C2); }}},
      {{bar, Fit::Raw, 0, [](const Ctx& c) { return c.v.G2; }}}}},
};

// The profile: result and normal values with two decimals; a text that is no
// number prints as it was typed.
bool isText(const QString& typed) {
    return !vrt::Trim(typed).isEmpty() && !vrt::IsNumeric(vrt::Variant(typed));
}
QString twoDecimals(double value) {
    return vrt::Format(vrt::Variant(value), QStringLiteral("0.00"));
}

const Tabular profile{
    9,
    {{{"", Fit::Raw, 0, text("Examination")},
      {S(20), Fit::Raw, 0, text("Result(conv)")},
      {S(19), Fit::Raw, 0, text("Normal Values(conv)")}}},
    100,
    [](const Ctx& c) { return c.v.K2; },
    {{{"", Fit::Cut, 20, [](const Ctx& c) { return c.v.K2; }}},
     {{S(12), Fit::Fill, 10,
       [](const Ctx& c) {
           return flagged(isText(c.v.A5) ? c.v.A5 : twoDecimals(c.v.A4), screenFlag(c.v, 5));
       }}},
     {{S(14), Fit::Raw, 0,
       [](const Ctx& c) {
           if (auto one = oneSided(c.v, 1, 2))
               return report::Fill_Spaces(*one, 21);
           if (isText(c.v.G1))
               return report::Fill_Spaces(c.v.G1, 21);
           return report::Fill_Spaces(twoDecimals(c.v.A1), 10) + QStringLiteral(" -") +
                  report::Fill_Spaces(twoDecimals(c.v.A2), 8);
       }},
      {S(2), Fit::Raw, 0, [](const Ctx& c) { return withCritical(c.v.A3, c.v); }}}},
};

bool corrected() {
    return !entry::state().Corrections.empty();
}

// The result of a packed profile slot ("|e0||e1||e2||e3|..."): element 3.
QString profileResult(const QString& slot) {
    const QStringList elements = slot.mid(1).split(QStringLiteral("||"));
    return elements.size() > 3 ? elements.at(3) : slot;
}

// After a correcting save, under an exam whose values it changed: when and
// what they were before.
void addCorrectionOf(const SectionInput& exam) {
    const entry::ModuleState& s = entry::state();
    const std::vector<entry::ExamRec>& exams = entry::examList();
    if (!corrected() || exam.position < 0 || size_t(exam.position) >= exams.size())
        return;
    const entry::ExamRec& rec = exams[size_t(exam.position)];
    const auto same = [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    };
    QStringList previous;
    QString at;
    for (const entry::Correction& k : s.Corrections) {
        if (exam.layout < 0) {
            if (same(k.table, QStringLiteral("tbLabProfileResult")) &&
                k.column == QStringLiteral("Slot%1").arg(exam.position)) {
                previous << vrt::Trim(profileResult(k.previous));
                at = k.at;
            }
        } else if (same(k.exam, rec.LabExamID) && same(k.request, rec.LabNum) &&
                   k.column != QLatin1String("Remarks")) {
            previous << vrt::Trim(k.previous);
            at = k.at;
        }
    }
    if (!previous.isEmpty())
        report::Add_Text(S(4) + QStringLiteral("Corrected ") + at +
                             QStringLiteral(", previously: ") +
                             previous.join(QStringLiteral(" / ")) + crlf,
                         9);
}

// Heading of every report: title, patient, transaction date and exam.
void addHeading(const QString& exam) {
    const entry::ModuleState& s = entry::state();
    document().setText(QString());
    report::Add_ReportTitle();
    if (corrected())
        report::Add_CorrectedHeading();
    report::Add_Text(crlf, 9);
    report::Add_PatientHeader();
    report::Add_Text(QStringLiteral("Trans. Date : ") + s.ResultDate + S(2) + exam + crlf, 9);
    report::Add_Text(crlf, 9);
}

void addCaptions(const Tabular& t, const Ctx& c) {
    addLine(t.captions, c, t.size);
    if (t.rule > 0) {
        report::Add_Repeated(QStringLiteral("-"), int16_t(t.rule));
        report::Add_Text(crlf, int16_t(t.size));
    }
}

void addClosing(bool remarks) {
    if (remarks) {
        report::Add_Text(crlf, 9);
        report::Add_Text(QStringLiteral("Remarks") + crlf, 9);
        report::Add_Text(entry::state().Remarks + crlf, 9);
    }
    if (corrected()) {
        report::Add_Text(crlf, 9);
        report::Add_Text(
            QStringLiteral("Reason for correction: ") + entry::state().CorrectionReason + crlf, 9);
    }
    report::Add_Text(QString(QChar(0x00A8)) + crlf, 9);
    report::Add_Signatories();
}

// A line of a coded-text exam: up to its line break, trimmed.
QString codedLine(const QStringList* lines, qsizetype j) {
    if (!lines || j >= lines->size())
        return QString();
    QString line = lines->at(j);
    const qsizetype end = line.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return vrt::Trim(end >= 0 ? line.left(end) : line);
}

// The body of the layouts whose every exam has a report of its own, and
// whether their closing has the remarks.
bool addOwnBody(const Ctx& c) {
    const Slots& v = c.v;
    auto add = [](const QString& line) { report::Add_Text(line + crlf, 9); };
    switch (c.exam.layout) {
    case 1:
        add(v.A5);
        return false;
    case 2:
        for (qsizetype j = 0; c.exam.promptLines && j < c.exam.promptLines->size(); ++j)
            add(S(5) + report::Fix_Width(codedLine(c.exam.promptLines, j), 20) + S(2) +
                codedLine(c.exam.resultLines, j));
        return true;
    case 4:
        add(QStringLiteral("Specs : ") + v.B4 + S(10) + QStringLiteral("Final Result (Y/N)? ") +
            v.F1);
        add(v.A5);
        return true;
    default: {
        const std::vector<entry::ExamRec>& exams = entry::examList();
        const QString type = exams.empty() ? QString() : exams.front().FormType;
        if (type == QLatin1String("X"))
            add(QStringLiteral("Histopath No. : ") + v.H[0]);
        else if (type == QLatin1String("Z"))
            add(QStringLiteral("Cytology No. : ") + v.H[0]);
        add(QStringLiteral("Specimen : (1) ") + v.H[1]);
        add(S(15) + v.H[2]);
        add(S(15) + v.H[3]);
        add(QString());
        add(QStringLiteral("Gross and Microscopic Diagnosis"));
        add(S(5) + v.H[4]);
        add(QString());
        add(QStringLiteral("Final Diagnosis"));
        add(S(5) + v.H[5]);
        return false;
    }
    }
}

bool ownReport(int layout) {
    return layout == 1 || layout == 2 || layout == 4 || layout == 7;
}

} // namespace

void ExamReport::keep() {
    finished_.push_back(document().pieces());
}

void ExamReport::closeRun() {
    if (!runOpen_)
        return;
    addClosing(true);
    keep();
    runOpen_ = false;
}

void ExamReport::Add_Section(const SectionInput& exam) {
    static const Slots none;
    const Ctx c{exam.values ? *exam.values : none, exam};
    if (ownReport(exam.layout)) {
        // A report still open ends here, before this exam clears the document.
        closeRun();
        if (!exam.hasResult)
            return;
        // An exam with a report of its own names itself.
        addHeading(exam.title);
        const bool remarks = addOwnBody(c);
        addCorrectionOf(exam);
        addClosing(remarks);
        keep();
        return;
    }
    const Tabular& t = exam.layout < 0 ? profile : tabular[exam.layout];
    if (!runOpen_) {
        addHeading(entry::state().ExamTitle);
        runOpen_ = true;
        captions_ = noCaptions;
    }
    if (exam.hasResult && !vrt::Trim(t.name(c)).isEmpty()) {
        // Captions over the lines of each layout, also when a run mixes them.
        if (captions_ != exam.layout) {
            if (captions_ != noCaptions)
                report::Add_Text(crlf, 9);
            addCaptions(t, c);
            captions_ = exam.layout;
        }
        addLine(t.body, c, t.size);
        for (const QString& line : noticeLines(c.v.NoticeLines))
            report::Add_Text(line + crlf, int16_t(t.size));
        addCorrectionOf(exam);
    }
    if (exam.isLast)
        closeRun();
}

void ExamReport::Print_NormalProfile(int position, const QString& name, const QString& result,
                                     const QString& normal, const Slots& v, bool isLast) {
    Slots shown = v;
    shown.K2 = name;
    shown.A5 = result;
    shown.G1 = normal;
    SectionInput exam;
    exam.layout = -1;
    exam.position = position;
    exam.isLast = isLast;
    exam.title = name;
    exam.values = &shown;
    Add_Section(exam);
}

void ExamReport::printAll() {
    closeRun();
    printing::TextDocument& rtb = document();
    for (const std::vector<printing::TextPiece>& pieces : finished_) {
        rtb.setText(QString());
        for (const printing::TextPiece& p : pieces) {
            rtb.SelFontName = p.format.fontName;
            rtb.SelFontSize = p.format.pointSize;
            rtb.SelBold = p.format.bold;
            rtb.SelCharOffset = p.format.charOffset;
            rtb.SelFitToLine = p.format.fitToLine;
            rtb.SelKeepWithPrevious = p.format.keepWithPrevious;
            rtb.SelText(p.text);
        }
        report::frmPrinter::instance().Print_ResultData();
    }
    rtb.SelFitToLine = false;
    rtb.SelKeepWithPrevious = false;
    finished_.clear();
}

} // namespace examform
