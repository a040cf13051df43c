#pragma once

#include <QString>
#include <functional>

namespace forms {

// Buttons and icons of a message box, combined by adding them.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// The button that closed the box.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

struct Message {
    MsgIcon icon = MsgIcon::None;
    QString title;
    QString text;
    int buttons = vbOKOnly; // the button part of the style
    int defaultButton = 0;  // which button Enter presses, from 0
};

// Shows a message box and returns the button pressed. Every message of the
// library goes through here; the sink shows it (QMessageBox by default).
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());

using MessageSink = std::function<int(const Message&)>;
// Replaces the sink (tests, scripted runs); an empty sink restores the
// default. Returns the previous sink.
MessageSink setMessageSink(MessageSink sink);

} // namespace forms
