#include "frmCorrectionReason.h"

#include "entry/modulestate.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"
#include "platform/forms/msgbox.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace signoff {

namespace {
thread_local bool given = false;
}

QString reasonRequiredText() {
    return QStringLiteral("These results were already released. Enter the reason for the "
                          "correction.");
}

frmCorrectionReason::frmCorrectionReason() {
    setObjectName(QStringLiteral("frmCorrectionReason"));
    setWindowTitle(QStringLiteral("Correction"));
    lblReason = new QLabel(
        QStringLiteral("This save changes results that were already released.\n&Reason for "
                       "the correction:"),
        this);
    lblReason->setObjectName(QStringLiteral("lblReason"));
    txtReason = new QLineEdit(this);
    txtReason->setObjectName(QStringLiteral("txtReason"));
    lblReason->setBuddy(txtReason);
    auto* layout = new QVBoxLayout(body());
    layout->addWidget(lblReason);
    layout->addWidget(txtReason);
    layout->addStretch();

    buttonRow()->addStretch();
    const char* captions[] = {"&Save", "&Back"};
    for (int i = 0; i < 2; ++i) {
        auto* b = cmdReason.add(i, new controls::FlatBttn(QString::fromLatin1(captions[i]), this));
        buttonRow()->addWidget(b);
        forms::connectGuarded(b, &QPushButton::clicked, this, [this, i] { cmdReason_Click(i); });
    }
    // Enter saves, Escape goes back: the keyboard alone answers it.
    forms::onEnter(txtReason, [this] { cmdReason_Click(0); });
    setTabOrder(txtReason, cmdReason(0));
    setTabOrder(cmdReason(0), cmdReason(1));
    resize(440, 170);
}

void frmCorrectionReason::Form_Load() {
    txtReason->setText(entry::state().CorrectionReason);
    txtReason->setFocus();
}

void frmCorrectionReason::cmdReason_Click(int index) {
    if (index == 0) {
        const QString reason = txtReason->text().trimmed();
        if (reason.isEmpty()) {
            forms::MsgBox(reasonRequiredText(), forms::vbExclamation, windowTitle());
            txtReason->setFocus();
            return;
        }
        entry::state().CorrectionReason = reason;
        given = true;
    }
    Unload();
}

bool frmCorrectionReason::Ask() {
    given = false;
    // The close box is Back.
    forms::instance<frmCorrectionReason>().ShowModal();
    return given;
}

} // namespace signoff
