#pragma once

#include "forms/shared/codedresults.h"
#include "platform/controls/dtpicker.h"
#include "platform/controls/flatbutton.h"
#include "platform/controls/tabcontrol.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <map>

namespace resultforms {

// The Pap smear form: a classification of check-marked choices on two tabs,
// stored as one row of coded values (a group's chosen button, a check box's
// value) and printed as the cervico-vaginal cytology report.
class frmPapSmear2 : public forms::Form {
    Q_OBJECT
public:
    frmPapSmear2();

    // The choice groups, in the order of their codes: sixteen groups of
    // option buttons, then the two groups of check boxes.
    enum Group {
        optCondition,
        optSatisfactory,
        optUnsatisfactory,
        optGeneral,
        optInflammation,
        optIUD,
        optSquamos,
        optSquamos1,
        optSquamos2,
        optLowgrade,
        optHighgrade,
        optGrandular,
        optEndometrial,
        optAdenocarcinoma,
        optHormonal,
        optDueTo,
        chkBenign,
        chkInfection,
    };
    static constexpr int groupCount = 18;
    static constexpr int codeCount = 25;

    void Fill_Results();
    bool Save_Entries();
    // The save's statements.
    void write(ado::Connection& c);

    // Button or check box i of a group ("optCondition(1)").
    QAbstractButton* choice(Group group, int index) const;
    // Selects an option button or sets a check box's value (0, 1 or 2 for
    // grey) as code does: the group's rules run as on a click.
    void setChoice(Group group, int index, int value = 1);
    // The 25 codes as the save sends them.
    QStringList codes() const;
    // A frame by name ("fraInfection", "fraC(0)").
    QGroupBox* frame(const QString& name) const;

    controls::SSTab* sstbPapSmear;
    QLineEdit* txtCytology;
    QLineEdit* txtLMP;
    QLineEdit* txtOthers;
    QLineEdit* txtNonEpithelial;
    QLineEdit* txtMI;
    controls::DTPicker* dtReportDate;
    controls::DTPicker* dtReportTime;
    forms::ControlArray<QPlainTextEdit> txtC2{QStringLiteral("txtC2")};
    forms::ControlArray<controls::FlatBttn> cmdExam{QStringLiteral("cmdExam")};

protected:
    void Form_Load() override;

private:
    void Print_Result();
    void cmdExam_Click(int index);
    QAbstractButton* choiceButton(int group, int index);
    void choiceClicked(Group group, int index);
    void clearGroup(int group);
    int selected(int group) const;
    int value(int group, int index) const;

    std::vector<std::vector<QAbstractButton*>> choices_;
    std::map<QString, QGroupBox*> frames_;
    StoredResults stored;
};

} // namespace resultforms
