#pragma once

#include "forms/shared/codedresults.h"
#include "platform/controls/dtpicker.h"
#include "platform/controls/flatbutton.h"
#include "platform/controls/tabcontrol.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QComboBox>
#include <QLineEdit>

namespace resultforms {

// The coded urinalysis form: free-text physical and microscopic findings,
// coded chemical and crystal findings typed as one-letter codes.
class frmUrinalysis2 : public forms::Form {
    Q_OBJECT
public:
    frmUrinalysis2();

    void Fill_Results();
    void Save_Entries(bool& saved);
    void Print_Result();

    controls::SSTab* sstbMain;
    forms::ControlArray<QLineEdit> txtResults{QStringLiteral("txtResults")};
    forms::ControlArray<QComboBox> cboCoded{QStringLiteral("cboCoded")};
    controls::DTPicker* dtReportDate;
    controls::DTPicker* dtReportTime;
    forms::ControlArray<controls::FlatBttn> cmdExam{QStringLiteral("cmdExam")};

    // The code table: the letter typed and the entries of both lists.
    struct Code {
        QChar letter;
        const char* lowPower;
        const char* highPower;
    };
    static const Code codes[12];

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdExam_Click(int index);
    bool codedEnter(int index);
    bool selectCode(int index);

    StoredResults stored;
};

} // namespace resultforms
