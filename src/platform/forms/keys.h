#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

namespace forms {

class Form;

// Upper-cases letters as they are typed into the box.
void upperCaseTyping(QWidget* box);
// The typed text with each letter that has a capital of its own upper-cased;
// any other character (µ, ß) stays as typed, so a unit keeps its meaning.
QString upperCaseTyped(const QString& text);

// Enter (Return or the keypad's Enter) in the box moves the focus to the
// next control in the form's tab order instead of reaching the box.
void enterMovesFocus(QWidget* box, Form* form);

// Enter in the box runs the handler (under guard()) instead of reaching the box.
void onEnter(QWidget* box, std::function<void()> handler);

// Sends a Tab keystroke to whatever has the focus, as typed keys arrive:
// queued, handled when the event loop next runs.
void sendTab();

bool isEnter(const QEvent* event);

// Refuses an edit (typed, pasted, dropped) that puts into the box a
// character no stored text may hold: a control character other than tab and
// line breaks, or half of a surrogate pair. The box keeps what it held and a
// message says why. The program's own writes to a hidden box pass.
void refuseUnstorable(QWidget* box);
// Every line and text box under the widget.
void refuseUnstorableIn(QWidget* root);

} // namespace forms
