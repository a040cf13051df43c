#pragma once

#include "forms/shared/savepath.h"
#include "platform/controls/flatbutton.h"
#include "platform/entryscreens/entryscreen.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"
#include "reportsections.h"

#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QScrollBar>
#include <QSet>
#include <QStringList>
#include <array>
#include <vector>

namespace examform {

// The window outline of the exam form: given its shape's name on load, it
// draws the outline around the window's edge inside the border, so no
// control is covered.
class FormShaper {
public:
    void Shape(const QString& name) { name_ = name; }
    const QString& shape() const { return name_; }

private:
    QString name_;
};

// The generic exam form: the ten entry screens stacked in screen-index
// order, a scroll bar for stacks taller than the window, Save, Cancel and
// Print and Save.
class frmExamForm : public forms::Form {
    Q_OBJECT
public:
    frmExamForm();
    ~frmExamForm() override;

    // Size in twips of the area below the patient banner that holds the
    // screens, the scroll bar and the buttons: the form as its layout sees it.
    int Width() const { return body()->width() * forms::TwipsPerPixel; }
    int Height() const { return body()->height() * forms::TwipsPerPixel; }

    // The screen of a screen index 0..9; nothing outside that range.
    entryscreens::EntryScreen* Get_Screen(int index) const;
    // Stacks the visible screens from Top down (twips).
    void Arrange_Screens(int Top);
    // True when the save went through (written, or nothing to write outside
    // edit mode); false after a failure or when the user kept the form open.
    bool Save_Entries();
    // Every result the save reads as a number is one; else the first that is
    // not is named in a message and has the focus.
    bool Check_Entries();
    // In edit mode, what is stored for the form's exams as the form opens,
    // for the save to tell whether another workstation saved them since.
    void rememberStored();
    // The laboratory's ranges, critical limits, delta rules and the
    // patient's previous results of the form's exams, onto the screens.
    void loadResultChecks();
    // The profile's report line of exam position (profile mode).
    void Print_NormalProfile(int position, const QString& name, const QString& result,
                             const QString& normal, const Slots& v, bool isLast);

    // The height the layout gave the stack (twips), from its first top.
    void setStackHeight(int twips) { stackHeight_ = twips; }
    int stackHeight() const { return stackHeight_; }

    entryscreens::ctlscrnNormalValues* ctlscrnNormalValues;
    entryscreens::ctlscrnShortForm* ctlscrnShortForm;
    entryscreens::ctlscrnShortWText* ctlscrnShortWText;
    entryscreens::ctlscrnSpecific* ctlscrnSpecific;
    entryscreens::ctlscrnWithCutOff* ctlscrnWithCutOff;
    entryscreens::ctlscrnSpecs* ctlscrnSpecs;
    entryscreens::ctlscrnConv1* ctlscrnConv1;
    entryscreens::ctlscrnConv2* ctlscrnConv2;
    entryscreens::ctlscrnAbusedDrugAssay* ctlscrnAbusedDrugAssay;
    entryscreens::ctlscrnHisoCytology* ctlscrnHisoCytology;
    QScrollBar* vscrlVertical;
    forms::ControlArray<controls::FlatBttn> cmdExam{QStringLiteral("cmdExam")};
    QFrame* fraSaving;
    QLabel* lblSave;
    QLabel* imgSave;
    FormShaper shaper;
    QFrame* shpExam;

    bool PrintAfterSave = false;
    // The prompt and result lines of the last coded-text exam saved, for its report.
    QStringList PromptLines;
    QStringList ResultLines;

protected:
    void Form_Load() override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void cmdExam_Click(int index);
    void keepVisible(QWidget* focused);
    // Focus changes while the children are destroyed must not reach us.
    QMetaObject::Connection focusWatch_;

    std::array<entryscreens::EntryScreen*, 10> screens_{};
    // One exam as gathered from its screen before anything is written.
    struct Gathered;
    std::vector<Gathered> gather();
    // The report sections and, unless only composing, the save statements.
    int write(ado::Connection& c, const std::vector<Gathered>& exams, bool statements = true);
    // Whether saving what is typed would correct released results.
    bool correctionExpected();
    resultforms::StoredResults::Values readStored(ado::Connection& c) const;
    // Critical and delta results: the notification and acknowledgement are
    // asked before the save; false keeps the form open.
    bool confirmAlarms();
    void writeAlarms(ado::Connection& c) const;
    struct Notice {
        std::vector<entryscreens::ResultAlarm> alarms;
        QString name, role, by;
        QDateTime at;
    };
    Notice notice_;
    // The exams (upper case) whose normal values are their general range.
    QSet<QString> generalRanges_;

    ExamReport report_;
    resultforms::StoredResults stored_;
    int stackHeight_ = 0;
};

} // namespace examform
