#pragma once

#include "forms/shared/codedresults.h"
#include "platform/controls/flatbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <vector>

namespace resultforms {

// A caption of a single-text form: where it stands (column, row of the
// grid) and the box it names, or -1 for a heading.
struct SingleTextLabel {
    const char* caption;
    int column;
    int row;
    int box;
};

// What one member of the single-text family is: its window, its boxes and
// their captions, how it loads, keys and saves its row, and its report lines.
struct SingleTextMember {
    const char* formName;
    const char* title;
    const char* boxArray;
    const char* labelArray;
    int boxes;
    std::vector<SingleTextLabel> labels;
    // The loader statement up to the request number.
    const char* loaderPrefix;
    // The existence test of the coded row is keyed by RequestNum rather than
    // the first exam's lab number.
    bool keyedByRequest;
    // The result is registered (LAB_SaveResultEntry) before its first save.
    bool registersFirst;
    // Empty values sent between the boxes and the remarks.
    int emptyValues;
    // The report lines after the heading, each ended by "\r\n".
    QStringList (*resultLines)(const QStringList& t);
};

// The family's one implementation: one labelled box per result, saved as
// one coded row after the sign-off dialog, printed on one page.
class SingleTextForm : public forms::Form {
    Q_OBJECT
public:
    const SingleTextMember& member() const { return member_; }

    void Fill_Results();
    void Save_Exam(bool& result);
    void Print_Result();

    forms::ControlArray<QLineEdit> txtResult;
    forms::ControlArray<QLabel> lblResult;
    forms::ControlArray<controls::FlatBttn> cmdExam{QStringLiteral("cmdExam")};

protected:
    explicit SingleTextForm(const SingleTextMember& member);
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdExam_Click(int index);
    QStringList texts() const;
    // The save's statements.
    void write(ado::Connection& c);

    const SingleTextMember& member_;
    StoredResults stored;
};

class frmfecalysis : public SingleTextForm {
    Q_OBJECT
public:
    frmfecalysis();
};

class frmWidalTest : public SingleTextForm {
    Q_OBJECT
public:
    frmWidalTest();
};

class frmWeilFelix : public SingleTextForm {
    Q_OBJECT
public:
    frmWeilFelix();
};

} // namespace resultforms
