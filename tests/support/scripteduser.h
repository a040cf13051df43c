#pragma once

#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

// The user of a test: takes over the modal show and the message boxes and
// plays a queue of expectations in order. Each expected form gets a script
// of steps (type, press keys, click, read state); each expected message an
// answer. A form shown out of turn, a message nobody expected, a form that
// stays open after its script or an expectation never met is a failure
// (see VERIFY_SCRIPT). A watchdog closes everything if a script hangs.
class ScriptedUser {
public:
    class FormScript {
    public:
        // Focuses the control and types the text key by key.
        FormScript& type(const QString& control, const QString& text);
        // Focuses the control and presses one key.
        FormScript& key(const QString& control, int key);
        // Presses a key on whatever has the focus.
        FormScript& key(int key);
        // Clicks a button ("cmdExam(0)") or a grid cell ("grdDispWindow", row 1 = first data row).
        FormScript& click(const QString& control);
        FormScript& clickCell(const QString& grid, int row, int column = 0);
        // Reads or acts on the form directly.
        FormScript& run(std::function<void(forms::Form&)> step);
        // Closes the window by its close box.
        FormScript& closeBox();

    private:
        friend class ScriptedUser;
        QString form_;
        std::vector<std::function<void(forms::Form&)>> steps_;
        ScriptedUser* user_ = nullptr;
    };

    ScriptedUser();
    ~ScriptedUser();

    FormScript& expectForm(const QString& objectName);
    void expectMessage(const QString& text, int answer = forms::vbOK);

    // Every message shown, in order.
    const QList<forms::Message>& messages() const { return messages_; }
    // What went wrong, expectations never met included.
    QStringList failures() const;

    void fail(const QString& what) { failures_ << what; }

private:
    struct Expectation {
        bool isForm = false;
        std::unique_ptr<FormScript> script;
        QString message;
        int answer = forms::vbOK;
    };
    void show(forms::Form& form);
    int message(const forms::Message& m);

    std::deque<Expectation> queue_;
    QList<forms::Message> messages_;
    QStringList failures_;
    forms::ModalHook previousHook_;
    forms::MessageSink previousSink_;
    std::vector<QPointer<forms::Form>> open_;
};

// Fails the test with the scripted user's failures, if any.
#define VERIFY_SCRIPT(user)                                                                        \
    QVERIFY2((user).failures().isEmpty(), qPrintable((user).failures().join(QStringLiteral(";"     \
                                                                                           " "))))
