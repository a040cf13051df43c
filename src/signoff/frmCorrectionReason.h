#pragma once

#include "platform/controls/flatbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QLabel>
#include <QLineEdit>

namespace signoff {

// Asks why released results are being changed, before a save that changes
// them, when the form's sign-off did not ask already. The reason is
// required; Back keeps the result form open with what was typed.
class frmCorrectionReason : public forms::Form {
    Q_OBJECT
public:
    frmCorrectionReason();

    QLabel* lblReason;
    QLineEdit* txtReason;
    forms::ControlArray<controls::FlatBttn> cmdReason{QStringLiteral("cmdReason")};

    // Shows the dialog; true with the reason in CorrectionReason, false after Back.
    static bool Ask();

protected:
    void Form_Load() override;

private:
    void cmdReason_Click(int index);
};

// The text shown when a correction is asked for without its reason.
QString reasonRequiredText();

} // namespace signoff
