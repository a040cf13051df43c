#pragma once

#include "forms/shared/codedresults.h"
#include "platform/controls/dtpicker.h"
#include "platform/controls/flatbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

namespace resultforms {

// A pathologist's text box: plain text only, so what is saved and printed
// is what the box shows. Pasted formatted text keeps its words and line
// breaks; a pasted apostrophe becomes a backquote, as a typed one does.
class HistopathText : public QTextEdit {
    Q_OBJECT
public:
    explicit HistopathText(QWidget* parent = nullptr);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

// The surgical pathology result: histopathology number, the date and time
// reported, the gross description and the final diagnosis.
class frmHistopath : public forms::Form {
    Q_OBJECT
public:
    frmHistopath();

    void Fill_Results();
    void Save_Entries(bool& result);
    void Print_Result();

    QGroupBox* fraMain;
    QLineEdit* txtHistopathNum;
    controls::DTPicker* dtReportDate;
    controls::DTPicker* dtReportTime;
    HistopathText* rtfSpecimen;
    HistopathText* rtfInterpretation;
    forms::ControlArray<controls::FlatBttn> cmdExam{QStringLiteral("cmdExam")};
    QLabel* imgHelp;

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdExam_Click(int index);

    QString strSQL;
    StoredResults stored{{QStringLiteral("HistopathNum"), QStringLiteral("ResultDate"),
                          QStringLiteral("GrossDescription"), QStringLiteral("FinalDiagnosis"),
                          QStringLiteral("Remarks")}};
};

} // namespace resultforms
