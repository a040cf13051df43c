#pragma once

#include "platform/controls/flatbutton.h"
#include "platform/entryscreens/entryscreen.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/form.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <vector>

namespace examform {

// Asked before a save whose results hold a critical value or a change beyond
// a delta rule: who was told of the critical values, when, by whom, that
// they were read back; and that the jumps were looked at. Finish checks
// that everything is given; Back (or the close box) keeps the exam form
// open with what was typed.
class frmCriticalNotice : public forms::Form {
    Q_OBJECT
public:
    frmCriticalNotice();

    // The alarms to show; by whom: the technologist of the sign-off.
    void setAlarms(const std::vector<entryscreens::ResultAlarm>& alarms, const QString& medTech);

    QLabel* lblResults;
    QLineEdit* txtNotifiedName;
    QLineEdit* txtNotifiedRole;
    QLineEdit* txtNotifiedAt;
    QLineEdit* txtNotifiedBy;
    QCheckBox* chkReadBack;
    QCheckBox* chkDeltaSeen;
    forms::ControlArray<controls::FlatBttn> cmdNotice{QStringLiteral("cmdNotice")};

    // After the dialog: false unless Finish went through.
    bool Accepted = false;
    QString NotifiedName, NotifiedRole;
    QDateTime NotifiedAt;

private:
    void cmdNotice_Click(int index);
    bool refuse(QWidget* box, const QString& text);
    QWidget* criticalPart_;
    bool critical_ = false, delta_ = false;
};

} // namespace examform
