#pragma once

#include "platform/runtime/variant.h"

#include <QHash>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace entryscreens {

// What the laboratory's own reference data says about the result of an exam
// on a screen with result checks, handed over after the layout.
struct ResultCheck {
    // The laboratory's normal values, used (and shown and saved) instead of
    // the host's numeric ones; a missing limit leaves that side open.
    bool hasRange = false;
    std::optional<double> low, high;
    bool generalRange = false; // the exam's general range: age or sex unknown
    std::optional<double> criticalLow, criticalHigh;
    // The patient's previous result of the exam; empty when there is none.
    QString previous, previousDate, previousRequest;
    // Delta rule: 'A' an absolute change, 'P' per cent of the previous
    // result; none without a rule or a previous number.
    QChar deltaKind;
    double deltaLimit = 0;
};

// A result that its check marks: critical, beyond its delta rule, or both.
struct ResultAlarm {
    QString title, labExamId, value, unit;
    bool critical = false, delta = false;
    QString previous, previousRequest;
};

// Database texts a screen needs (the template or prompt text of an exam),
// looked up by the exam's id; the library hands the look-up over.
using TextLookup = std::function<QString(const QString& labExamId)>;

struct ScreenTable;

// A cell's text on one line in r, cut with an ellipsis where it is too wide,
// exactly as QPainter::drawText(r, flags, elided text) draws it. A text that
// fits, as most do, is laid out once and drawn at the same place (the same
// line height and centring, clipped to r where taller) instead of being
// shaped twice, once to measure it for the cut and once to draw it. Tabs,
// line breaks and alignments other than left or centred take QPainter's way.
void drawCellText(QPainter& p, const QRect& r, const QString& text, int flags);

// One entry screen of the exam form: a keyboard-first grid with one row (or
// block) per exam. The exam form and its layout use only the members of the
// contract below; sizes and positions are in twips. Result and Data arrays
// share their element positions (element 0 unused); each screen's table says
// which element sits where.
class EntryScreen : public QWidget {
    Q_OBJECT
public:
    ~EntryScreen() override;

    // The contract.
    bool Visible() const { return visible_; }
    void setVisible(bool visible) override;
    int Top() const { return top_; }
    void setTop(int twips);
    int Left() const { return left_; }
    void setLeft(int twips);
    int Width() const { return width_; }
    void setWidth(int twips);
    int Height() const { return height_; }
    void setHeight(int twips);
    int DefaultHeight() const { return defaultHeight_; }
    void setDefaultHeight(int twips) { defaultHeight_ = twips; }
    // The first Integer property: the entry lines the screen shows (on
    // ctlscrnSpecific the prompt lines of all its exams).
    int Lines() const;
    int Rows() const;
    void Clear();
    void Add_Exam(const QString& formType, const QString& examTitle, const QString& labExamId);
    void Add_Exam(const QString& formType, const QString& examTitle, const QString& labExamId,
                  const vrt::Variant& data);
    void Show_Table();
    // The entered values of the exam with this title. Exams sharing a title
    // are answered in the order they were added, one per call.
    void Get_FullResult(const QString& examTitle, vrt::Variant& result);
    // Checks every result that the save reads as a number; the first one that
    // is not (">500", "Hemolysed") is named in a message and takes the focus.
    bool Check_Entries();

    // Ours.
    void setTextLookup(TextLookup lookup) { lookup_ = std::move(lookup); }
    // Asked at each check: true while every result is kept as typed (the
    // profile row), so that no result needs to be a number.
    void setKeptAsText(std::function<bool()> kept) { keptAsText_ = std::move(kept); }
    // Focuses the first or last result cell; false when the screen has none.
    bool focusFirst();
    bool focusLast();
    // The result cells, in the order Enter walks them; each is named
    // "<screen>.txtEntry(<n>)".
    std::vector<QWidget*> resultCells() const;
    // Result checks (screens whose table has them): the check of every exam
    // added with this exam identifier; the exams' results as they stand.
    void setResultCheck(const QString& labExamId, const ResultCheck& check);
    std::vector<ResultAlarm> resultAlarms() const;
    // The text of the Check and Previous columns of exam row (tests, pictures).
    QString checkText(int row) const;

signals:
    // Enter or Down past the last result cell; Up before the first.
    void passedEnd();
    void passedStart();

protected:
    EntryScreen(const ScreenTable& table, QWidget* parent);
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Exam;
    struct Stop {
        QWidget* cell;
        int exam;
        int line; // the screen's line (rows and lines layouts)
        int column;
    };
    struct Span {
        int x;
        int width;
    };

    void addExam(const QString& code, const QString& title, const QString& labExamId,
                 const vrt::Variant* data);
    void addCell(int exam, int line, int column, const QString& text);
    void readCells(Exam& exam) const;
    void derive(Exam& exam) const;
    void edited(int exam);
    void placeCells();
    void placeCell(const Stop& stop, const std::vector<Span>& spans);
    std::vector<Span> columnSpans() const;
    int headerPixels() const;
    int linePixels() const;
    int blockPixels() const;
    QString cellText(const Exam& exam, int column, int lineInExam) const;
    // The whole text of a drawn cell of a line when the cell cuts it, else "".
    QString cutText(int line, int column, const std::vector<Span>& spans) const;
    // The tip of a result cell: the cut prompt of its line and its own text
    // when the cell cuts it.
    void updateTip(const Stop& stop, const std::vector<Span>& spans);
    void moveTo(int stop, bool selectAll);
    void moveLine(int stop, int step);
    int stopOf(const QObject* cell) const;
    bool wantsNumber(const Exam& exam, int element) const;
    bool checkCell(int stop);
    void checkLeft(QWidget* cell);
    bool checksShown() const;
    void judge(Exam& exam) const;
    void markResult(int exam);
    void announce(int stop);

    const ScreenTable& table_;
    std::vector<Exam> exams_;
    std::vector<Stop> stops_;
    // The cells wait for their places until the screen is shown: a hidden
    // screen gets its size (and places them) then.
    bool placeOnShow_ = false;
    std::vector<int> lineExam_; // exam of each line
    QHash<QString, int> asked_; // Get_FullResult calls per title
    TextLookup lookup_;
    std::function<bool()> keptAsText_;
    bool visible_ = true;
    int top_ = 0, left_ = 0, width_ = 0, height_ = 0, defaultHeight_ = 0;
    int focusedExam_ = -1;
};

// Enter past a screen's last result goes to the first result of the next
// visible screen; Up before its first result to the last of the previous.
void linkScreens(const std::vector<EntryScreen*>& screens);

// Check_Entries of the visible screens in order; false at the first refusal.
bool checkEntries(const std::vector<EntryScreen*>& screens);

// The screen of a screen index (0 ctlscrnNormalValues ... 9 ctlscrnHisoCytology).
EntryScreen* newScreen(int index, QWidget* parent = nullptr);

// The ten screens, in screen-index order.
#define VANTREL_ENTRY_SCREEN(name)                                                                 \
    class name : public EntryScreen {                                                              \
    public:                                                                                        \
        explicit name(QWidget* parent = nullptr);                                                  \
    };
VANTREL_ENTRY_SCREEN(ctlscrnNormalValues)
VANTREL_ENTRY_SCREEN(ctlscrnShortForm)
VANTREL_ENTRY_SCREEN(ctlscrnShortWText)
VANTREL_ENTRY_SCREEN(ctlscrnSpecific)
VANTREL_ENTRY_SCREEN(ctlscrnWithCutOff)
VANTREL_ENTRY_SCREEN(ctlscrnSpecs)
VANTREL_ENTRY_SCREEN(ctlscrnConv1)
VANTREL_ENTRY_SCREEN(ctlscrnConv2)
VANTREL_ENTRY_SCREEN(ctlscrnAbusedDrugAssay)
VANTREL_ENTRY_SCREEN(ctlscrnHisoCytology)
#undef VANTREL_ENTRY_SCREEN

} // namespace entryscreens
