#pragma once

#include "platform/controls/dtpicker.h"
#include "platform/controls/flatbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace signoff {

// The sign-off dialog: remarks, medical technologist and result date. The
// caller shows it modally and then reads SignOffCancelled.
class frmRemarksInput : public forms::Form {
    Q_OBJECT
public:
    frmRemarksInput();

    QLabel* lblRequestTitle;
    QTextEdit* txtRemarks;
    QLineEdit* txtMedTech;
    QPushButton* cmdMedTech;
    controls::DTPicker* DTPicker1;
    // Shown when the save corrects released results: its reason, required.
    QLabel* lblReason;
    QLineEdit* txtReason;
    forms::ControlArray<controls::FlatBttn> cmdFinish{QStringLiteral("cmdFinish")};

protected:
    void Form_Load() override;

private:
    void cmdFinish_Click(int index);
    void cmdMedTech_Click();
};

} // namespace signoff
