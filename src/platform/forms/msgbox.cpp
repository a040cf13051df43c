#include "msgbox.h"

#include <QApplication>
#include <QMessageBox>

namespace forms {

namespace {

MessageSink& sink() {
    static MessageSink s;
    return s;
}

int showWithQt(const Message& m) {
    QMessageBox box;
    box.setWindowTitle(m.title);
    box.setText(m.text);
    switch (m.icon) {
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::None:
        break;
    }
    struct Choice {
        QMessageBox::StandardButton qt;
        int result;
    };
    std::vector<Choice> choices;
    switch (m.buttons) {
    case vbOKCancel:
        choices = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbAbortRetryIgnore:
        choices = {{QMessageBox::Abort, vbAbort},
                   {QMessageBox::Retry, vbRetry},
                   {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        choices = {
            {QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo:
        choices = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
        break;
    case vbRetryCancel:
        choices = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
        break;
    default:
        choices = {{QMessageBox::Ok, vbOK}};
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices)
        buttons |= c.qt;
    box.setStandardButtons(buttons);
    if (m.defaultButton > 0 && m.defaultButton < int(choices.size()))
        box.setDefaultButton(choices[size_t(m.defaultButton)].qt);
    const int pressed = box.exec();
    for (const Choice& c : choices)
        if (c.qt == pressed)
            return c.result;
    // Closed with Escape or the close box: the cancelling button.
    return choices.size() == 1 ? vbOK : (m.buttons == vbYesNo ? vbNo : vbCancel);
}

} // namespace

int MsgBox(const QString& prompt, int style, const QString& title) {
    Message m;
    m.text = prompt;
    m.title = title.isEmpty() ? QApplication::applicationName() : title;
    m.buttons = style & 0x0F;
    m.defaultButton = (style & 0x300) >> 8;
    switch (style & 0x70) {
    case vbCritical:
        m.icon = MsgIcon::Critical;
        break;
    case vbQuestion:
        m.icon = MsgIcon::Question;
        break;
    case vbExclamation:
        m.icon = MsgIcon::Exclamation;
        break;
    case vbInformation:
        m.icon = MsgIcon::Information;
        break;
    default:
        m.icon = MsgIcon::None;
    }
    return sink() ? sink()(m) : showWithQt(m);
}

MessageSink setMessageSink(MessageSink s) {
    return std::exchange(sink(), std::move(s));
}

} // namespace forms
