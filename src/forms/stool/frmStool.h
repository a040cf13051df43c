#pragma once

#include "forms/shared/codedresults.h"
#include "platform/controls/dtpicker.h"
#include "platform/controls/flatbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

namespace resultforms {

// The stool examination form: eighteen short findings, an interpretation
// and the date and time reported.
class frmStool : public forms::Form {
    Q_OBJECT
public:
    frmStool();

    void Fill_Results();
    void Save_Entries(bool& saved);
    void Print_Result();

    forms::ControlArray<QLineEdit> txtResults{QStringLiteral("txtResults")};
    forms::ControlArray<QLabel> lblLabels{QStringLiteral("lblLabels")};
    QTextEdit* txtInterpretation;
    controls::DTPicker* dtReportDate;
    controls::DTPicker* dtReportTime;
    forms::ControlArray<controls::FlatBttn> cmdExam{QStringLiteral("cmdExam")};

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdExam_Click(int index);

    StoredResults stored;
};

} // namespace resultforms
