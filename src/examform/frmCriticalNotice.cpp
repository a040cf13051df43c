#include "frmCriticalNotice.h"

#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace examform {

namespace {

const QString title = QStringLiteral("Critical Value Notification");
const QString shownTime = QStringLiteral("MM/dd/yyyy hh:mm");

QLineEdit* box(const char* name, QWidget* parent) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(QLatin1String(name));
    forms::refuseUnstorable(b);
    return b;
}

} // namespace

frmCriticalNotice::frmCriticalNotice() {
    setObjectName(QStringLiteral("frmCriticalNotice"));
    setWindowTitle(title);
    lblResults = new QLabel(this);
    lblResults->setObjectName(QStringLiteral("lblResults"));
    lblResults->setTextFormat(Qt::RichText);

    auto* frame = new QGroupBox(QStringLiteral("Notification of the requesting physician"), this);
    criticalPart_ = frame;
    txtNotifiedName = box("txtNotifiedName", frame);
    txtNotifiedRole = box("txtNotifiedRole", frame);
    txtNotifiedAt = box("txtNotifiedAt", frame);
    txtNotifiedAt->setPlaceholderText(QStringLiteral("mm/dd/yyyy hh:mm"));
    txtNotifiedBy = box("txtNotifiedBy", frame);
    txtNotifiedBy->setReadOnly(true);
    txtNotifiedBy->setFocusPolicy(Qt::NoFocus);
    chkReadBack = new QCheckBox(QStringLiteral("The result was &read back"), frame);
    chkReadBack->setObjectName(QStringLiteral("chkReadBack"));
    auto* grid = new QFormLayout(frame);
    grid->addRow(QStringLiteral("Notified (name)"), txtNotifiedName);
    grid->addRow(QStringLiteral("Role or ward"), txtNotifiedRole);
    grid->addRow(QStringLiteral("Date and time"), txtNotifiedAt);
    grid->addRow(QStringLiteral("Notified by"), txtNotifiedBy);
    grid->addRow(QString(), chkReadBack);

    chkDeltaSeen = new QCheckBox(
        QStringLiteral("I have checked the results marked DELTA against the previous ones"), this);
    chkDeltaSeen->setObjectName(QStringLiteral("chkDeltaSeen"));

    auto* layout = new QVBoxLayout(body());
    layout->addWidget(lblResults);
    layout->addWidget(frame);
    layout->addWidget(chkDeltaSeen);
    buttonRow()->addStretch();
    const char* captions[] = {"&Finish", "&Back"};
    for (int i = 0; i < 2; ++i) {
        auto* b = cmdNotice.add(i, new controls::FlatBttn(QString::fromLatin1(captions[i]), this));
        buttonRow()->addWidget(b);
        forms::connectGuarded(b, &QPushButton::clicked, this, [this, i] { cmdNotice_Click(i); });
    }
    // Keyboard first: Enter walks the boxes, and on a tick box finishes.
    for (QWidget* w :
         {static_cast<QWidget*>(txtNotifiedName), static_cast<QWidget*>(txtNotifiedRole),
          static_cast<QWidget*>(txtNotifiedAt)})
        forms::enterMovesFocus(w, this);
    for (QCheckBox* c : {chkReadBack, chkDeltaSeen})
        forms::onEnter(c, [this] { cmdNotice_Click(0); });
    setTabOrder(txtNotifiedName, txtNotifiedRole);
    setTabOrder(txtNotifiedRole, txtNotifiedAt);
    setTabOrder(txtNotifiedAt, chkReadBack);
    setTabOrder(chkReadBack, chkDeltaSeen);
    setTabOrder(chkDeltaSeen, cmdNotice(0));
    setTabOrder(cmdNotice(0), cmdNotice(1));
    setMinimumWidth(480);
    resize(520, 360);
}

void frmCriticalNotice::setAlarms(const std::vector<entryscreens::ResultAlarm>& alarms,
                                  const QString& medTech) {
    QStringList lines;
    critical_ = delta_ = false;
    for (const entryscreens::ResultAlarm& a : alarms) {
        const QString value = (a.value + u' ' + a.unit).trimmed().toHtmlEscaped();
        QStringList marks;
        if (a.critical)
            marks << QStringLiteral("<b style=\"color:#b00000\">CRITICAL</b>");
        if (a.delta)
            marks << QStringLiteral("<b style=\"color:#b06000\">DELTA</b> (previous %1)")
                         .arg(a.previous.toHtmlEscaped());
        lines << QStringLiteral("%1 %2 &nbsp; %3")
                     .arg(a.title.toHtmlEscaped(), value, marks.join(QStringLiteral(", ")));
        critical_ = critical_ || a.critical;
        delta_ = delta_ || a.delta;
    }
    lblResults->setText(lines.join(QStringLiteral("<br>")));
    criticalPart_->setVisible(critical_);
    chkDeltaSeen->setVisible(delta_);
    txtNotifiedBy->setText(medTech);
    txtNotifiedAt->setText(vrt::currentDateTime().toString(shownTime));
    Accepted = false;
    adjustSize();
}

bool frmCriticalNotice::refuse(QWidget* box, const QString& text) {
    forms::MsgBox(text, forms::vbExclamation, title);
    box->setFocus();
    return false;
}

void frmCriticalNotice::cmdNotice_Click(int index) {
    if (index == 1) {
        Accepted = false;
        Unload();
        return;
    }
    if (critical_) {
        const QDateTime at = QDateTime::fromString(txtNotifiedAt->text().trimmed(), shownTime);
        if (txtNotifiedName->text().trimmed().isEmpty())
            return void(refuse(txtNotifiedName, QStringLiteral("Enter who was notified.")));
        if (txtNotifiedRole->text().trimmed().isEmpty())
            return void(refuse(txtNotifiedRole,
                               QStringLiteral("Enter the role or ward of who was notified.")));
        if (!at.isValid())
            return void(refuse(txtNotifiedAt, QStringLiteral("Enter when the notification was "
                                                             "made, as mm/dd/yyyy hh:mm.")));
        if (txtNotifiedBy->text().trimmed().isEmpty())
            return void(
                refuse(cmdNotice(1), QStringLiteral("The sign-off names no medical "
                                                    "technologist: go Back and name one.")));
        if (!chkReadBack->isChecked())
            return void(refuse(chkReadBack, QStringLiteral("A critical value is recorded only "
                                                           "after it was read back.")));
        NotifiedName = txtNotifiedName->text().trimmed();
        NotifiedRole = txtNotifiedRole->text().trimmed();
        NotifiedAt = at;
    }
    if (delta_ && !chkDeltaSeen->isChecked())
        return void(refuse(chkDeltaSeen, QStringLiteral("Check the results marked DELTA before "
                                                        "the save.")));
    Accepted = true;
    Unload();
}

} // namespace examform
