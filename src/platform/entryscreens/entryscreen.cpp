#include "entryscreen.h"
#include "screentable.h"

#include "platform/forms/form.h"
#include "platform/forms/keys.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/text.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace entryscreens {

namespace {

constexpr int twips = forms::TwipsPerPixel;
constexpr int fieldPixels = 24; // a one-line field of a block
// A line edit's frame and inner margins beside its text, and the room a
// drawn cell leaves beside its text.
constexpr int entryMargins = 14;
constexpr int drawnMargins = 8;
// The first result of a screen shows at least this many typed characters,
// measured as a mix of capitals and digits: results are mostly typed so.
const QLatin1String resultSample("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");

bool editable(Cell cell) {
    return cell == Cell::Entry || cell == Cell::Memo || cell == Cell::YesNo;
}

std::optional<double> number(const QString& text) {
    return vrt::decimalNumber(text);
}

// A number typed with a decimal comma, as the keypad's decimal key gives it
// where the locale writes one ("1,5"), with a decimal point instead. A comma
// before exactly three digits may as well group thousands ("1,500"): no
// reading of it is safe, so it is not taken.
std::optional<QString> withDecimalPoint(const QString& text) {
    static const QRegularExpression comma(QStringLiteral("^([+-]?)(\\d*),(\\d+)$"));
    const QRegularExpressionMatch m = comma.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const QString whole = m.captured(2);
    if (m.captured(3).size() == 3 && !whole.isEmpty() && !whole.startsWith(u'0'))
        return std::nullopt;
    return m.captured(1) + whole + u'.' + m.captured(3);
}

// Two decimals, or three significant digits below 1, without trailing zeros;
// halves round up as on paper, not as the binary product happens to fall.
QString converted(double value) {
    const double size = std::fabs(value);
    const int decimals =
        size >= 1 || size == 0 ? 2 : 2 - static_cast<int>(std::floor(std::log10(size)));
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(QString::number(value * scale, 'g', 12).toDouble()) / scale;
    QString t = QString::number(rounded, 'f', decimals);
    while (t.contains(QLatin1Char('.')) &&
           (t.endsWith(QLatin1Char('0')) || t.endsWith(QLatin1Char('.'))))
        t.chop(1);
    return t == QLatin1String("-0") ? QStringLiteral("0") : t;
}

// Lines of a stored text: each ends at a line feed (a carriage return before
// it is dropped); an empty text has none.
QStringList splitLines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

QString toStored(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

} // namespace

struct EntryScreen::Exam {
    QString code; // the screen code it was added with
    QString title;
    std::vector<QString> values;
    QStringList prompts;
    int firstLine = 0;
    int lines = 1;
    int firstStop = 0;
    int stopCount = 0;
    bool converted = false; // the SI result follows the conversion factor
    QString labExamId;
    bool checked = false; // has a result check
    ResultCheck check;
    bool critical = false, delta = false;
    bool marked = false; // its result cell shows it critical
    QString announced;   // the critical result last announced
};

EntryScreen::EntryScreen(const ScreenTable& table, QWidget* parent)
    : QWidget(parent), table_(table) {
    setObjectName(QLatin1String(table.name));
    setFocusPolicy(Qt::NoFocus);
}

EntryScreen::~EntryScreen() = default;

void EntryScreen::setVisible(bool visible) {
    visible_ = visible;
    QWidget::setVisible(visible);
}

void EntryScreen::setTop(int value) {
    top_ = value;
    move(x(), value / twips);
}

void EntryScreen::setLeft(int value) {
    left_ = value;
    move(value / twips, y());
}

void EntryScreen::setWidth(int value) {
    width_ = value;
    resize(value / twips, height());
}

void EntryScreen::setHeight(int value) {
    height_ = value;
    resize(width(), value / twips);
}

int EntryScreen::Rows() const {
    return static_cast<int>(exams_.size());
}

int EntryScreen::Lines() const {
    return table_.layout == Layout::Lines ? static_cast<int>(lineExam_.size()) : Rows();
}

void EntryScreen::Clear() {
    for (const Stop& s : stops_)
        delete s.cell;
    stops_.clear();
    exams_.clear();
    lineExam_.clear();
    asked_.clear();
    focusedExam_ = -1;
    update();
}

void EntryScreen::Add_Exam(const QString& formType, const QString& examTitle,
                           const QString& labExamId) {
    addExam(formType, examTitle, labExamId, nullptr);
}

void EntryScreen::Add_Exam(const QString& formType, const QString& examTitle,
                           const QString& labExamId, const vrt::Variant& data) {
    addExam(formType, examTitle, labExamId, &data);
}

void EntryScreen::addExam(const QString& code, const QString& title, const QString& labExamId,
                          const vrt::Variant* data) {
    Exam exam;
    exam.code = code;
    exam.title = title;
    exam.labExamId = labExamId;
    exam.values.resize(static_cast<size_t>(table_.upper) + 1);
    // Data that holds no array pre-fills nothing rather than leave the exam without a row.
    if (data && data->isArray()) {
        const vrt::Array& given = data->toArray();
        for (int k = std::max(1, given.lbound); k <= std::min(table_.upper, given.ubound()); ++k)
            exam.values[static_cast<size_t>(k)] = given.at(k).text();
    }
    QString& first = exam.values[1];
    if (table_.lookup == Lookup::Template && first.isEmpty() && lookup_)
        first = lookup_(labExamId);
    if (table_.lookup == Lookup::Prompts && lookup_)
        exam.prompts = splitLines(lookup_(labExamId));
    for (const Column& c : table_.columns)
        if (c.cell == Cell::Title && c.element > 0 && exam.values[size_t(c.element)].isEmpty())
            exam.values[size_t(c.element)] = title;
    if (table_.factor > 0) {
        const auto factor = number(exam.values[size_t(table_.factor)]);
        exam.converted = factor && *factor != 0;
    }
    const QStringList earlier = table_.layout == Layout::Lines ? splitLines(first) : QStringList();
    exam.lines =
        table_.layout == Layout::Lines
            ? static_cast<int>(std::max<qsizetype>({1, exam.prompts.size(), earlier.size()}))
            : 1;
    exam.firstLine = static_cast<int>(lineExam_.size());
    exam.firstStop = static_cast<int>(stops_.size());
    const int index = static_cast<int>(exams_.size());
    derive(exam);
    exams_.push_back(exam);
    for (int l = 0; l < exam.lines; ++l) {
        lineExam_.push_back(index);
        for (int c = 0; c < static_cast<int>(table_.columns.size()); ++c) {
            const Column& col = table_.columns[size_t(c)];
            if (!editable(col.cell) && !(col.cell == Cell::Converted && !exam.converted))
                continue;
            addCell(index, exam.firstLine + l, c,
                    table_.layout == Layout::Lines ? earlier.value(l)
                                                   : exam.values[size_t(col.element)]);
        }
    }
    exams_.back().stopCount = static_cast<int>(stops_.size()) - exam.firstStop;
    update();
}

void EntryScreen::addCell(int exam, int line, int column, const QString& text) {
    const Column& col = table_.columns[size_t(column)];
    QWidget* cell;
    if (col.cell == Cell::Memo) {
        auto* memo = new QPlainTextEdit(this);
        memo->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        memo->setTabChangesFocus(true);
        connect(memo, &QPlainTextEdit::textChanged, this, [this, exam] { edited(exam); });
        cell = memo;
    } else {
        auto* entry = new QLineEdit(this);
        // Any length is kept: nothing typed or pasted is cut off.
        entry->setMaxLength(std::numeric_limits<int>::max());
        entry->setText(text);
        if (col.cell == Cell::YesNo)
            entry->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[YNyn]?")), entry));
        connect(entry, &QLineEdit::textChanged, this, [this, exam] { edited(exam); });
        connect(entry, &QLineEdit::textChanged, this, [this, entry] {
            const int s = stopOf(entry);
            if (s >= 0)
                updateTip(stops_[size_t(s)], columnSpans());
        });
        cell = entry;
    }
    cell->setObjectName(QStringLiteral("%1.txtEntry(%2)").arg(objectName()).arg(stops_.size()));
    cell->installEventFilter(this);
    forms::refuseUnstorable(cell);
    stops_.push_back({cell, exam, line, column});
    placeCell(stops_.back(), columnSpans());
    cell->show();
}

void EntryScreen::readCells(Exam& exam) const {
    QString lines;
    for (int s = exam.firstStop; s < exam.firstStop + exam.stopCount; ++s) {
        const Column& col = table_.columns[size_t(stops_[size_t(s)].column)];
        const QWidget* cell = stops_[size_t(s)].cell;
        QString text = col.cell == Cell::Memo
                           ? toStored(static_cast<const QPlainTextEdit*>(cell)->toPlainText())
                           : static_cast<const QLineEdit*>(cell)->text();
        // The save reads "1,5" as 15 or as 1; it is handed 1.5.
        if (wantsNumber(exam, col.element))
            text = withDecimalPoint(text).value_or(text);
        if (table_.layout == Layout::Lines)
            lines += text.replace(QLatin1Char('\r'), QLatin1Char(' '))
                         .replace(QLatin1Char('\n'), QLatin1Char(' ')) +
                     QLatin1String("\r\n");
        else
            exam.values[size_t(col.element)] = text;
    }
    if (table_.layout == Layout::Lines)
        exam.values[1] = lines;
}

void EntryScreen::derive(Exam& exam) const {
    auto value = [&exam](int element) { return number(exam.values[size_t(element)]); };
    if (exam.converted) {
        const auto conventional = value(table_.from);
        exam.values[size_t(table_.converted)] =
            conventional ? converted(*conventional * *value(table_.factor)) : QString();
    }
    judge(exam);
    if (table_.flag == 0)
        return;
    QString& flag = exam.values[size_t(table_.flag)];
    flag.clear();
    for (const Check& check : table_.checks) {
        const auto result = value(check.result);
        const auto low = value(check.low);
        const auto high = value(check.high);
        if (!result || (!low && !high))
            continue;
        if (high && *result > *high)
            flag = QStringLiteral("H");
        else if (low && *result < *low)
            flag = QStringLiteral("L");
        return;
    }
}

void EntryScreen::edited(int exam) {
    if (table_.flag == 0 && table_.factor == 0)
        return;
    Exam& e = exams_[size_t(exam)];
    readCells(e);
    derive(e);
    markResult(exam);
    update();
}

// Result checks.

bool EntryScreen::checksShown() const {
    return table_.resultChecks &&
           std::any_of(exams_.begin(), exams_.end(), [](const Exam& e) { return e.checked; });
}

void EntryScreen::judge(Exam& exam) const {
    exam.critical = exam.delta = false;
    if (!exam.checked || table_.checks.empty())
        return;
    const auto result = number(exam.values[size_t(table_.checks.front().result)]);
    if (!result)
        return;
    const ResultCheck& c = exam.check;
    exam.critical = (c.criticalLow && *result < *c.criticalLow) ||
                    (c.criticalHigh && *result > *c.criticalHigh);
    const auto previous = number(c.previous);
    if (!previous || c.deltaKind.isNull())
        return;
    const double change = std::fabs(*result - *previous);
    // Against a previous 0 any change is beyond a per cent limit.
    exam.delta = c.deltaKind == u'A' ? change > c.deltaLimit
                 : *previous == 0.0  ? change > 0
                                     : change / std::fabs(*previous) * 100 > c.deltaLimit;
}

void EntryScreen::setResultCheck(const QString& labExamId, const ResultCheck& check) {
    if (!table_.resultChecks || table_.checks.empty())
        return;
    const Check& where = table_.checks.front();
    const bool shown = checksShown();
    for (int i = 0; i < Rows(); ++i) {
        Exam& exam = exams_[size_t(i)];
        // Case folding keeps the length: most rows are told apart by it.
        if (exam.labExamId.size() != labExamId.size() ||
            exam.labExamId.compare(labExamId, Qt::CaseInsensitive) != 0 ||
            std::any_of(table_.numbers.textCodes.begin(), table_.numbers.textCodes.end(),
                        [&exam](const char* code) { return exam.code == QLatin1String(code); }))
            continue;
        exam.checked = true;
        exam.check = check;
        // The laboratory's range replaces a numeric one of the host (or none);
        // a normal value given as a text keeps its exam a text exam.
        QString& low = exam.values[size_t(where.low)];
        QString& high = exam.values[size_t(where.high)];
        const bool numeric =
            (low.trimmed().isEmpty() || number(low)) && (high.trimmed().isEmpty() || number(high));
        if (check.hasRange && numeric) {
            low = check.low ? vrt::doubleToText(*check.low) : QString();
            high = check.high ? vrt::doubleToText(*check.high) : QString();
        } else {
            exam.check.hasRange = false;
        }
        derive(exam);
        markResult(i);
    }
    // The Check and Previous columns take their room from the title column.
    if (shown != checksShown()) {
        if (isVisible())
            placeCells();
        else
            placeOnShow_ = true;
    }
    update();
}

std::vector<ResultAlarm> EntryScreen::resultAlarms() const {
    std::vector<ResultAlarm> alarms;
    for (const Exam& e : exams_) {
        Exam now = e;
        readCells(now);
        derive(now);
        if (now.critical || now.delta)
            alarms.push_back(
                {now.title, now.labExamId,
                 now.values[size_t(table_.checks.front().result)].trimmed(),
                 table_.unit > 0 ? now.values[size_t(table_.unit)].trimmed() : QString(),
                 now.critical, now.delta, now.check.previous, now.check.previousRequest});
    }
    return alarms;
}

QString EntryScreen::checkText(int row) const {
    QStringList texts;
    for (int c = 0; c < int(table_.columns.size()); ++c)
        if (table_.columns[size_t(c)].cell == Cell::Alarm ||
            table_.columns[size_t(c)].cell == Cell::Previous ||
            table_.columns[size_t(c)].cell == Cell::Range ||
            table_.columns[size_t(c)].cell == Cell::Flag)
            texts << cellText(exams_.at(size_t(row)), c, 0);
    return texts.join(QLatin1String(" | "));
}

// A critical result shows in red in its own cell.
void EntryScreen::markResult(int exam) {
    Exam& e = exams_[size_t(exam)];
    if (e.marked == e.critical)
        return;
    e.marked = e.critical;
    for (int s = e.firstStop; s < e.firstStop + e.stopCount; ++s)
        if (table_.columns[size_t(stops_[size_t(s)].column)].element ==
            (table_.checks.empty() ? -1 : table_.checks.front().result))
            stops_[size_t(s)].cell->setStyleSheet(
                e.critical ? QStringLiteral("QLineEdit { background: #f6c4c4; color: #8a0000; "
                                            "font-weight: bold; }")
                           : QString());
}

// A critical result is announced once as its cell is left.
void EntryScreen::announce(int stop) {
    Exam& exam = exams_[size_t(stops_[size_t(stop)].exam)];
    if (!exam.checked || table_.checks.empty() ||
        table_.columns[size_t(stops_[size_t(stop)].column)].element != table_.checks.front().result)
        return;
    readCells(exam);
    derive(exam);
    const QString result = exam.values[size_t(table_.checks.front().result)].trimmed();
    if (!exam.critical || exam.announced == result)
        return;
    exam.announced = result;
    const ResultCheck& c = exam.check;
    const auto r = number(result);
    const QString limit = c.criticalLow && r && *r < *c.criticalLow
                              ? QStringLiteral("below %1").arg(vrt::doubleToText(*c.criticalLow))
                              : QStringLiteral("above %1").arg(vrt::doubleToText(*c.criticalHigh));
    const QString unit = table_.unit > 0 ? exam.values[size_t(table_.unit)].trimmed() : QString();
    forms::MsgBox(QStringLiteral("%1 %2%3 is CRITICAL (%4). Tell the requesting physician now; the "
                                 "save asks who was told.")
                      .arg(exam.title, result, unit.isEmpty() ? QString() : u' ' + unit, limit),
                  forms::vbExclamation, QStringLiteral("Critical Value"));
}

void EntryScreen::Get_FullResult(const QString& examTitle, vrt::Variant& result) {
    std::vector<int> matches;
    for (int i = 0; i < Rows(); ++i)
        if (exams_[size_t(i)].title == examTitle)
            matches.push_back(i);
    if (matches.empty())
        throw vrt::RuntimeError(vrt::err::InvalidProcedureCall,
                                QStringLiteral("No exam %1 on %2").arg(examTitle, objectName()));
    Exam& exam = exams_[size_t(matches[size_t(asked_[examTitle]++) % matches.size()])];
    readCells(exam);
    derive(exam);
    std::vector<vrt::Variant> items(1);
    for (int k = 1; k <= table_.upper; ++k)
        items.emplace_back(exam.values[size_t(k)]);
    result = vrt::Variant::array(std::move(items));
}

bool EntryScreen::wantsNumber(const Exam& exam, int element) const {
    const Numbers& n = table_.numbers;
    if (std::find(n.elements.begin(), n.elements.end(), element) == n.elements.end())
        return false;
    for (const char* code : n.textCodes)
        if (exam.code == QLatin1String(code))
            return false;
    return n.range == 0 || number(exam.values[size_t(n.range)]).has_value();
}

// A result the save reads as a number is one, or blank (not measured); a
// decimal comma is turned into the point the save reads.
bool EntryScreen::checkCell(int stop) {
    const Stop& s = stops_[size_t(stop)];
    const Exam& exam = exams_[size_t(s.exam)];
    auto* entry = qobject_cast<QLineEdit*>(s.cell);
    if (!entry || !wantsNumber(exam, table_.columns[size_t(s.column)].element))
        return true;
    const QString text = entry->text();
    if (const auto pointed = withDecimalPoint(text)) {
        entry->setText(*pointed);
        return true;
    }
    if (text.trimmed().isEmpty() || number(text) || (keptAsText_ && keptAsText_()))
        return true;
    moveTo(stop, true);
    forms::MsgBox(QStringLiteral("%1 needs a number as its result. A qualifier or a comment such "
                                 "as \">500\" or \"Hemolysed\" goes into the remarks.")
                      .arg(exam.title.isEmpty() ? QStringLiteral("This exam") : exam.title),
                  forms::vbExclamation);
    moveTo(stop, true);
    return false;
}

// A cell left by Tab or the mouse is checked once the focus has settled; one
// that has the focus back, or whose window closed or went behind a dialog,
// is not.
void EntryScreen::checkLeft(QWidget* cell) {
    QTimer::singleShot(0, cell, [this, cell] {
        const int s = stopOf(cell);
        if (s >= 0 && cell->isVisible() && !cell->hasFocus() && window()->isActiveWindow() &&
            checkCell(s))
            announce(s);
    });
}

bool EntryScreen::Check_Entries() {
    for (int s = 0; s < static_cast<int>(stops_.size()); ++s)
        if (!checkCell(s))
            return false;
    return true;
}

bool checkEntries(const std::vector<EntryScreen*>& screens) {
    for (EntryScreen* s : screens)
        if (s && s->Visible() && !s->Check_Entries())
            return false;
    return true;
}

void EntryScreen::Show_Table() {
    placeCells();
    update();
}

std::vector<QWidget*> EntryScreen::resultCells() const {
    std::vector<QWidget*> cells;
    for (const Stop& s : stops_)
        cells.push_back(s.cell);
    return cells;
}

bool EntryScreen::focusFirst() {
    if (stops_.empty())
        return false;
    moveTo(0, true);
    return true;
}

bool EntryScreen::focusLast() {
    if (stops_.empty())
        return false;
    moveTo(static_cast<int>(stops_.size()) - 1, true);
    return true;
}

// Geometry.

int EntryScreen::headerPixels() const {
    return table_.headerTwips / twips;
}

int EntryScreen::linePixels() const {
    return table_.lineTwips / twips;
}

int EntryScreen::blockPixels() const {
    int singles = 0, memos = 0;
    for (const Column& c : table_.columns)
        (c.cell == Cell::Memo ? memos : singles) += 1;
    return std::max(defaultHeight_ / twips, 22 + singles * fieldPixels + memos * 40 + 4);
}

std::vector<EntryScreen::Span> EntryScreen::columnSpans() const {
    std::vector<Span> spans;
    const int avg = fontMetrics().averageCharWidth();
    if (table_.layout == Layout::Blocks) {
        int caption = 0;
        for (const Column& c : table_.columns)
            caption = std::max(caption, fontMetrics().horizontalAdvance(QLatin1String(c.caption)));
        spans.push_back({6, caption + 12});
        spans.push_back({caption + 18, std::max(20 * avg, width() - caption - 24)});
        return spans;
    }
    // A column is as wide as its characters or its caption in the header's
    // bold; the first result column as wide as the result sample.
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics header(bold);
    const Column* firstResult = nullptr;
    for (const Column& c : table_.columns)
        if (!firstResult && (c.cell == Cell::Entry || c.cell == Cell::Memo))
            firstResult = &c;
    const bool checks = checksShown();
    auto fixedWidth = [&](const Column& c) {
        if (!checks && (c.cell == Cell::Alarm || c.cell == Cell::Previous))
            return 0;
        const int w =
            std::max(c.chars * avg, header.horizontalAdvance(QLatin1String(c.caption))) + 10;
        return &c == firstResult
                   ? std::max(w, fontMetrics().horizontalAdvance(resultSample) + entryMargins + 2)
                   : w;
    };
    int fixed = 0;
    for (const Column& c : table_.columns)
        fixed += c.chars > 0 ? fixedWidth(c) : 0;
    // The title column gives way to the results; a title it cuts is shown
    // whole on hover.
    const int rest = std::max(12 * avg + 10, width() - 2 - fixed);
    int x = 1;
    for (const Column& c : table_.columns) {
        const int w = c.chars > 0 ? fixedWidth(c) : rest;
        spans.push_back({x, w});
        x += w;
    }
    return spans;
}

void EntryScreen::placeCells() {
    const std::vector<Span> spans = columnSpans();
    for (const Stop& s : stops_) {
        placeCell(s, spans);
        updateTip(s, spans);
    }
}

QString EntryScreen::cutText(int line, int column, const std::vector<Span>& spans) const {
    if (table_.layout == Layout::Blocks || line < 0 || line >= int(lineExam_.size()) ||
        column < 0 || column >= int(spans.size()))
        return QString();
    const Exam& exam = exams_[size_t(lineExam_[size_t(line)])];
    const QString text = cellText(exam, column, line - exam.firstLine);
    return fontMetrics().horizontalAdvance(text) > spans[size_t(column)].width - drawnMargins
               ? text
               : QString();
}

void EntryScreen::updateTip(const Stop& stop, const std::vector<Span>& spans) {
    QStringList tip;
    if (table_.layout == Layout::Lines)
        for (int c = 0; c < int(table_.columns.size()); ++c)
            if (table_.columns[size_t(c)].cell == Cell::Prompt)
                tip << cutText(stop.line, c, spans);
    if (const auto* entry = qobject_cast<const QLineEdit*>(stop.cell);
        entry && fontMetrics().horizontalAdvance(entry->text()) > entry->width() - entryMargins)
        tip << entry->text();
    tip.removeAll(QString());
    stop.cell->setToolTip(tip.join(QLatin1Char('\n')));
}

bool EntryScreen::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // A drawn cell that cuts its text shows it whole under the pointer.
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    const std::vector<Span> spans = columnSpans();
    QString text;
    if (at.y() >= headerPixels() && linePixels() > 0)
        for (size_t c = 0; c < spans.size(); ++c)
            if (at.x() >= spans[c].x && at.x() < spans[c].x + spans[c].width)
                text = cutText((at.y() - headerPixels()) / linePixels(), int(c), spans);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
    return true;
}

void EntryScreen::placeCell(const Stop& stop, const std::vector<Span>& spans) {
    if (table_.layout != Layout::Blocks) {
        const Span& span = spans[size_t(stop.column)];
        const int y = headerPixels() + stop.line * linePixels();
        stop.cell->setGeometry(span.x + 1, y + 1, span.width - 2, linePixels() - 1);
        return;
    }
    const int block = blockPixels();
    int y = headerPixels() + stop.exam * block + 22;
    int memos = 0;
    for (const Column& c : table_.columns)
        memos += c.cell == Cell::Memo;
    const int memoHeight =
        (block - 26 - fieldPixels * (static_cast<int>(table_.columns.size()) - memos)) /
            std::max(1, memos) -
        2;
    for (int c = 0; c < stop.column; ++c)
        y += table_.columns[size_t(c)].cell == Cell::Memo ? memoHeight + 2 : fieldPixels;
    const Cell cell = table_.columns[size_t(stop.column)].cell;
    const int width =
        cell == Cell::YesNo ? 4 * fontMetrics().averageCharWidth() + 12 : spans[1].width;
    stop.cell->setGeometry(spans[1].x, y, width, cell == Cell::Memo ? memoHeight : fieldPixels - 2);
}

void EntryScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeOnShow_ = false;
    placeCells();
}

void EntryScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (std::exchange(placeOnShow_, false))
        placeCells();
}

QString EntryScreen::cellText(const Exam& exam, int column, int lineInExam) const {
    const Column& col = table_.columns[size_t(column)];
    const auto element = [&exam](int k) { return exam.values[size_t(k)]; };
    switch (col.cell) {
    case Cell::Title:
        return lineInExam > 0 ? QString() : col.element > 0 ? element(col.element) : exam.title;
    case Cell::Range: {
        const QString low = element(col.element).trimmed(), high = element(col.high).trimmed();
        const QString general = exam.check.hasRange && exam.check.generalRange
                                    ? QStringLiteral(" (general)")
                                    : QString();
        if (!low.isEmpty() && !high.isEmpty())
            return low + QLatin1String(" - ") + high + general;
        // One bound alone says which side it limits.
        if (number(low))
            return QStringLiteral("\u2265 ") + low;
        if (number(high))
            return QStringLiteral("\u2264 ") + high;
        return low + high;
    }
    case Cell::Prompt:
        return exam.prompts.value(lineInExam).trimmed();
    case Cell::Alarm:
        return exam.critical ? QStringLiteral("CRITICAL")
               : exam.delta  ? QStringLiteral("DELTA")
                             : QString();
    case Cell::Previous:
        return exam.check.previous.isEmpty()
                   ? QString()
                   : exam.check.previous + QLatin1String("  ") + exam.check.previousDate;
    case Cell::Flag:
        // A critical result doubles its flag: "LL", "HH".
        return exam.critical ? element(col.element).repeated(2) : element(col.element);
    default:
        return col.element > 0 ? element(col.element) : QString();
    }
}

void drawCellText(QPainter& p, const QRect& r, const QString& text, int flags) {
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        return c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator;
    });
    // Left or centred, left to right: what the screens draw.
    const bool placed = (flags & ~(Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignVCenter)) == 0 &&
                        p.layoutDirection() == Qt::LeftToRight;
    if (plain && placed) {
        QTextLayout layout(text, p.font(), p.device());
        QTextOption option = layout.textOption();
        option.setFlags(option.flags() | QTextOption::IncludeTrailingSpaces);
        option.setTextDirection(Qt::LeftToRight);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(0x01000000);
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        if (layout.lineCount() == 1 && line.naturalTextWidth() <= r.width()) {
            // The line's unrounded height, as QPainter centres it.
            const qreal height = line.ascent() + line.descent();
            const qreal y = flags & Qt::AlignVCenter ? (r.height() - height) / 2 : 0;
            const qreal x =
                flags & Qt::AlignHCenter ? (r.width() - line.horizontalAdvance()) / 2 : 0;
            const bool clip = height > r.height();
            if (clip) {
                p.save();
                p.setClipRect(r, Qt::IntersectClip);
            }
            line.draw(&p, QPointF(r.x() + x, r.y() + y));
            if (clip)
                p.restore();
            return;
        }
    }
    p.drawText(r, flags, p.fontMetrics().elidedText(text, Qt::ElideRight, r.width()));
}

void EntryScreen::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect clip = event->rect();
    const QFont plain = font();
    QFont bold = plain;
    bold.setBold(true);
    const std::vector<Span> spans = columnSpans();
    const int header = headerPixels();
    const QColor grid(0xc8, 0xce, 0xd6);

    p.fillRect(0, 0, width(), header, QColor(0xdf, 0xe5, 0xee));
    p.setFont(bold);
    p.setPen(Qt::black);
    auto draw = [&p](QRect r, const QString& text, int flags = Qt::AlignLeft | Qt::AlignVCenter) {
        if (text.isEmpty())
            return;
        r.adjust(4, 0, -4, 0);
        drawCellText(p, r, text, flags);
    };
    if (table_.layout == Layout::Blocks)
        draw(QRect(0, 0, width(), header), QLatin1String(table_.heading));
    else
        for (size_t c = 0; c < spans.size(); ++c)
            draw(QRect(spans[c].x, 0, spans[c].width, header),
                 QLatin1String(table_.columns[c].caption));
    p.setFont(plain);

    if (table_.layout == Layout::Blocks) {
        const int block = blockPixels();
        for (int e = std::max(0, (clip.top() - header) / block);
             e < Rows() && header + e * block <= clip.bottom(); ++e) {
            const int top = header + e * block;
            p.fillRect(0, top, width(), 20, QColor(0xee, 0xf1, 0xf5));
            p.setPen(grid);
            p.drawLine(0, top, width(), top);
            p.setPen(Qt::black);
            p.setFont(bold);
            draw(QRect(0, top, width(), 20), exams_[size_t(e)].title);
            p.setFont(plain);
            const Exam& exam = exams_[size_t(e)];
            for (int s = exam.firstStop; s < exam.firstStop + exam.stopCount; ++s) {
                const QRect r = stops_[size_t(s)].cell->geometry();
                draw(QRect(spans[0].x - 4, r.y(), spans[0].width, fieldPixels - 2),
                     QLatin1String(table_.columns[size_t(stops_[size_t(s)].column)].caption));
            }
        }
        return;
    }

    const int line = linePixels();
    const int last =
        std::min(static_cast<int>(lineExam_.size()) - 1, (clip.bottom() - header) / line);
    for (int l = std::max(0, (clip.top() - header) / line); l <= last; ++l) {
        const int e = lineExam_[size_t(l)];
        const Exam& exam = exams_[size_t(e)];
        const QRect row(0, header + l * line, width(), line);
        p.fillRect(row, e == focusedExam_ ? QColor(0xff, 0xf4, 0xc8)
                        : e % 2           ? QColor(0xf4, 0xf6, 0xf9)
                                          : QColor(Qt::white));
        for (size_t c = 0; c < spans.size(); ++c) {
            const Column& col = table_.columns[c];
            const QRect cell(spans[c].x, row.y(), spans[c].width, line);
            p.setPen(grid);
            p.drawLine(cell.topRight(), cell.bottomRight());
            if (editable(col.cell) || (col.cell == Cell::Converted && !exam.converted))
                continue;
            const QString text = cellText(exam, int(c), l - exam.firstLine);
            if (spans[c].width == 0)
                continue;
            if (col.cell == Cell::Flag || col.cell == Cell::Alarm) {
                if (exam.critical && col.cell == Cell::Alarm)
                    p.fillRect(cell.adjusted(1, 1, -1, 0), QColor(0xc0, 0x10, 0x10));
                p.setFont(bold);
                p.setPen(col.cell == Cell::Alarm
                             ? (exam.critical ? QColor(Qt::white) : QColor(0xb0, 0x60, 0x00))
                         : text.startsWith(u'H') ? QColor(0xc0, 0x10, 0x10)
                                                 : QColor(0x10, 0x40, 0xc0));
                draw(cell, text, Qt::AlignCenter);
                p.setFont(plain);
            } else {
                p.setPen(Qt::black);
                draw(cell, text);
            }
        }
        p.setPen(grid);
        if (l + 1 == exam.firstLine + exam.lines || l + 1 == int(lineExam_.size()))
            p.drawLine(row.bottomLeft(), row.bottomRight());
    }
}

// Keys and focus.

int EntryScreen::stopOf(const QObject* cell) const {
    for (size_t s = 0; s < stops_.size(); ++s)
        if (stops_[s].cell == cell)
            return static_cast<int>(s);
    return -1;
}

void EntryScreen::moveTo(int stop, bool selectAll) {
    QWidget* cell = stops_[size_t(stop)].cell;
    cell->setFocus(Qt::OtherFocusReason);
    if (auto* entry = qobject_cast<QLineEdit*>(cell); entry && selectAll)
        entry->selectAll();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(cell))
        memo->moveCursor(QTextCursor::End);
}

void EntryScreen::moveLine(int stop, int step) {
    const int n = static_cast<int>(stops_.size());
    int t = stop + step;
    if (table_.layout != Layout::Blocks)
        while (t >= 0 && t < n && stops_[size_t(t)].line == stops_[size_t(stop)].line)
            t += step;
    if (t < 0 || t >= n) {
        if (step > 0)
            emit passedEnd();
        else
            emit passedStart();
        return;
    }
    if (table_.layout != Layout::Blocks) {
        // The same column of the other line, else its first result.
        const int line = stops_[size_t(t)].line;
        while (t > 0 && stops_[size_t(t) - 1].line == line)
            --t;
        for (int u = t; u < n && stops_[size_t(u)].line == line; ++u)
            if (stops_[size_t(u)].column == stops_[size_t(stop)].column)
                t = u;
    }
    moveTo(t, true);
}

bool EntryScreen::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::FocusIn && type != QEvent::FocusOut)
        return false;
    const int s = stopOf(watched);
    if (s < 0)
        return false;
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason)
            checkLeft(stops_[size_t(s)].cell);
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        QWidget* cell = stops_[size_t(s)].cell;
        if (event->type() == QEvent::FocusIn && !cell->toolTip().isEmpty())
            QToolTip::showText(cell->mapToGlobal(QPoint(0, cell->height())), cell->toolTip(), cell);
        // Left, a cell shows the start of its text rather than its tail.
        if (auto* entry = qobject_cast<QLineEdit*>(cell);
            entry && event->type() == QEvent::FocusOut)
            entry->setCursorPosition(0);
        const int exam = event->type() == QEvent::FocusIn ? stops_[size_t(s)].exam : -1;
        if (exam != focusedExam_) {
            focusedExam_ = exam;
            update();
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    auto* memo = qobject_cast<QPlainTextEdit*>(stops_[size_t(s)].cell);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!checkCell(s))
            return true;
        if (memo && (key->modifiers() & Qt::ShiftModifier)) {
            memo->insertPlainText(QStringLiteral("\n"));
        } else if (s + 1 < static_cast<int>(stops_.size())) {
            moveTo(s + 1, true);
        } else {
            emit passedEnd();
        }
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool down = key->key() == Qt::Key_Down;
        if (memo && memo->textCursor().movePosition(down ? QTextCursor::Down : QTextCursor::Up))
            return false;
        if (checkCell(s))
            moveLine(s, down ? 1 : -1);
        return true;
    }
    default:
        break;
    }
    const Column& col = table_.columns[size_t(stops_[size_t(s)].column)];
    if (col.cell == Cell::YesNo && !key->text().isEmpty() && key->text().at(0).isPrint()) {
        const QString typed = key->text().toUpper();
        if (typed == QLatin1String("Y") || typed == QLatin1String("N"))
            static_cast<QLineEdit*>(watched)->setText(typed);
        else
            forms::MsgBox(QStringLiteral("%1 takes Y or N.").arg(QLatin1String(col.caption)),
                          forms::vbExclamation);
        return true;
    }
    return false;
}

void EntryScreen::mousePressEvent(QMouseEvent* event) {
    const int y = static_cast<int>(event->position().y()) - headerPixels();
    const int at = y < 0                             ? -1
                   : table_.layout == Layout::Blocks ? y / blockPixels()
                                                     : y / linePixels();
    for (size_t s = 0; s < stops_.size(); ++s)
        if ((table_.layout == Layout::Blocks ? stops_[s].exam : stops_[s].line) == at) {
            moveTo(static_cast<int>(s), true);
            return;
        }
    QWidget::mousePressEvent(event);
}

void linkScreens(const std::vector<EntryScreen*>& screens) {
    for (size_t i = 0; i < screens.size(); ++i) {
        QObject::connect(screens[i], &EntryScreen::passedEnd, screens[i], [screens, i] {
            for (size_t j = i + 1; j < screens.size(); ++j)
                if (screens[j]->Visible() && screens[j]->focusFirst())
                    return;
        });
        QObject::connect(screens[i], &EntryScreen::passedStart, screens[i], [screens, i] {
            for (size_t j = i; j-- > 0;)
                if (screens[j]->Visible() && screens[j]->focusLast())
                    return;
        });
    }
}

} // namespace entryscreens
