#include "frmRemarksInput.h"

#include "entry/examlist.h"
#include "entry/modulestate.h"
#include "frmCorrectionReason.h"
#include "frmListMedTech.h"
#include "platform/ado/recordset.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datetime.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>

namespace signoff {

frmRemarksInput::frmRemarksInput() {
    setObjectName(QStringLiteral("frmRemarksInput"));
    setWindowTitle(QStringLiteral("Remarks"));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    lblRequestTitle = new QLabel(QStringLiteral("Additional Remarks"), frame);
    lblRequestTitle->setObjectName(QStringLiteral("lblRequestTitle"));
    txtRemarks = new QTextEdit(frame);
    txtRemarks->setObjectName(QStringLiteral("txtRemarks"));
    txtRemarks->setAcceptRichText(false);
    txtRemarks->setTabChangesFocus(true);
    txtRemarks->setMinimumHeight(90);
    auto* medTechLabel = new QLabel(QStringLiteral("Med. Tech."), frame);
    medTechLabel->setObjectName(QStringLiteral("Label1(0)"));
    txtMedTech = new QLineEdit(frame);
    txtMedTech->setObjectName(QStringLiteral("txtMedTech"));
    cmdMedTech = new QPushButton(QStringLiteral("..."), frame);
    cmdMedTech->setObjectName(QStringLiteral("cmdMedTech"));
    cmdMedTech->setToolTip(QStringLiteral("Find the medical technologist"));
    auto* dateLabel = new QLabel(QStringLiteral("Date :"), frame);
    dateLabel->setObjectName(QStringLiteral("Label1(1)"));
    DTPicker1 = new controls::DTPicker(frame);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setCustomFormat(QStringLiteral("mm/dd/yyyy"));

    lblReason = new QLabel(QStringLiteral("&Reason for the correction:"), frame);
    lblReason->setObjectName(QStringLiteral("lblReason"));
    txtReason = new QLineEdit(frame);
    txtReason->setObjectName(QStringLiteral("txtReason"));
    lblReason->setBuddy(txtReason);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(lblRequestTitle, 0, 0, 1, 3);
    grid->addWidget(txtRemarks, 1, 0, 1, 3);
    grid->addWidget(medTechLabel, 2, 0);
    grid->addWidget(txtMedTech, 2, 1);
    grid->addWidget(cmdMedTech, 2, 2);
    grid->addWidget(dateLabel, 3, 0);
    grid->addWidget(DTPicker1, 3, 1, 1, 2);
    grid->addWidget(lblReason, 4, 0, 1, 3);
    grid->addWidget(txtReason, 5, 0, 1, 3);

    buttonRow()->addStretch();
    const char* captions[] = {"&Finish", "&Back"};
    for (int i = 0; i < 2; ++i) {
        auto* b = cmdFinish.add(i, new controls::FlatBttn(QString::fromLatin1(captions[i]), this));
        buttonRow()->addWidget(b);
        forms::connectGuarded(b, &QPushButton::clicked, this, [this, i] { cmdFinish_Click(i); });
    }
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(frame);

    forms::connectGuarded(cmdMedTech, &QPushButton::clicked, this, [this] { cmdMedTech_Click(); });
    forms::onEnter(txtMedTech, [this] { cmdMedTech_Click(); });
    setTabOrder(txtRemarks, txtMedTech);
    setTabOrder(txtMedTech, cmdMedTech);
    setTabOrder(cmdMedTech, DTPicker1);
    setTabOrder(DTPicker1, txtReason);
    setTabOrder(txtReason, cmdFinish(0));
    setTabOrder(cmdFinish(0), cmdFinish(1));
    resize(420, 260);
}

void frmRemarksInput::Form_Load() {
    const entry::ModuleState& s = entry::state();
    lblReason->setVisible(s.CorrectionExpected);
    txtReason->setVisible(s.CorrectionExpected);
    txtReason->setText(s.CorrectionReason);
    if (s.EditMode) {
        DTPicker1->setValue(
            vrt::Variant(vrt::Format(vrt::Variant(s.ResultDate), QStringLiteral("mm/dd/yyyy"))));
        forms::setLines(txtRemarks, entry::examList().at(0).Remarks);
        txtMedTech->setText(s.EmployeeName);
    } else {
        DTPicker1->setValue(vrt::Variant(vrt::Today()));
        txtRemarks->clear();
    }
}

void frmRemarksInput::cmdFinish_Click(int index) {
    entry::ModuleState& s = entry::state();
    if (index == 0) {
        const QString reason = txtReason->text().trimmed();
        if (s.CorrectionExpected && reason.isEmpty()) {
            forms::MsgBox(reasonRequiredText(), forms::vbExclamation, windowTitle());
            txtReason->setFocus();
            return;
        }
        if (s.CorrectionExpected)
            s.CorrectionReason = reason;
        s.SignOffCancelled = false;
        s.Remarks = forms::linesOf(txtRemarks);
        s.ResultDate = vrt::Variant(DTPicker1->Value()).toString();
    } else {
        s.SignOffCancelled = true;
    }
    Unload();
}

void frmRemarksInput::cmdMedTech_Click() {
    const QString text = txtMedTech->text();
    if (text.isEmpty()) {
        auto& picker = forms::instance<frmListMedTech>();
        picker.SearchText = QString();
        picker.ShowModal();
        return;
    }
    entry::ModuleState& s = entry::state();
    if (!s.LabConnection)
        vrt::raise(vrt::err::ObjectNotSet);
    auto rs = s.LabConnection->Execute(
        QStringLiteral("sp_listsearchmedtech 0,'") + ado::quoted(text) + QStringLiteral("'"), -1);
    if (rs->State() == ado::adStateOpen && !rs->eof()) {
        // A Null name part reads as empty text.
        const QString id = rs->Fields(QStringLiteral("MedTechID")).Value.text();
        const QString name =
            rs->Fields(QStringLiteral("lastname")).Value.text() + QStringLiteral(",") +
            rs->Fields(QStringLiteral("firstname")).Value.text() + QStringLiteral(" ") +
            rs->Fields(QStringLiteral("middlename")).Value.text();
        rs->MoveNext();
        if (rs->eof()) {
            s.MedTechID = id;
            txtMedTech->setText(name);
            return;
        }
        // More than one technologist answers to the text: the user chooses
        // from the list, filtered by it, so a report is never signed in the
        // first one's name silently.
    }
    auto& picker = forms::instance<frmListMedTech>();
    picker.SearchText = text;
    picker.ShowModal();
}

} // namespace signoff
