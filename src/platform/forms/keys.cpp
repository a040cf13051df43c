#include "keys.h"

#include "errorguard.h"
#include "form.h"
#include "msgbox.h"

#include "platform/runtime/text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

namespace forms {

namespace {

class UpperCaseFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QString upper = upperCaseTyped(key->text());
        if (key->text().isEmpty() || upper == key->text())
            return false;
        QKeyEvent raised(QEvent::KeyPress, key->key(), key->modifiers(), upper, key->isAutoRepeat(),
                         key->count());
        QApplication::sendEvent(watched, &raised);
        return true;
    }
};

class EnterFilter : public QObject {
public:
    EnterFilter(QObject* parent, Form* form) : QObject(parent), form_(form) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (!isEnter(event))
            return false;
        if (form_)
            form_->focusNext();
        return true;
    }

private:
    QPointer<Form> form_;
};

class EnterRuns : public QObject {
public:
    EnterRuns(QObject* parent, std::function<void()> run) : QObject(parent), run_(std::move(run)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (!isEnter(event))
            return false;
        guard(run_);
        return true;
    }

private:
    std::function<void()> run_;
};

// What the box held before the edit under way, and whether a refused edit
// is being undone.
struct Kept : QObject {
    using QObject::QObject;
    QString before;
    bool refusing = false;
};

qsizetype unstorableCount(const QString& text) {
    qsizetype count = 0;
    for (qsizetype from = 0, at; (at = vrt::unstorableAt(text.mid(from))) >= 0; from += at + 1)
        ++count;
    return count;
}

void tellRefused(QChar c) {
    MsgBox(QStringLiteral("The text was not taken: it holds %1, which cannot be stored.")
               .arg(vrt::unstorableName(c)),
           vbExclamation);
}

// The edit is undone once its own signals are through.
template <class Restore> void refuse(Kept* kept, QChar c, Restore restore) {
    kept->refusing = true;
    QTimer::singleShot(0, kept, [kept, c, restore] {
        restore(kept->before);
        kept->refusing = false;
        tellRefused(c);
    });
}

void guardLine(QLineEdit* line) {
    auto* kept = new Kept(line);
    kept->before = line->text();
    // textEdited comes before textChanged, so before still holds the old text.
    QObject::connect(line, &QLineEdit::textEdited, kept, [line, kept](const QString& now) {
        if (kept->refusing || unstorableCount(now) <= unstorableCount(kept->before))
            return;
        refuse(kept, now[vrt::unstorableAt(now)],
               [line](const QString& before) { line->setText(before); });
    });
    QObject::connect(line, &QLineEdit::textChanged, kept, [kept](const QString& now) {
        if (!kept->refusing)
            kept->before = now;
    });
}

template <class Edit> QString contents(const Edit* edit) {
    if constexpr (std::is_same_v<Edit, QTextEdit>)
        if (edit->acceptRichText())
            return edit->toHtml();
    return edit->toPlainText();
}

template <class Edit> void setContents(Edit* edit, const QString& text) {
    if constexpr (std::is_same_v<Edit, QTextEdit>)
        if (edit->acceptRichText())
            return edit->setHtml(text);
    edit->setPlainText(text);
}

template <class Edit> void guardText(Edit* edit) {
    auto* kept = new Kept(edit);
    kept->before = contents(edit);
    QTextDocument* doc = edit->document();
    QObject::connect(
        doc, &QTextDocument::contentsChange, kept, [edit, doc, kept](int from, int, int added) {
            if (kept->refusing || !edit->isVisible())
                return;
            QString text;
            // Past the end characterAt gives a NUL of its own.
            const int end = std::min(from + added, doc->characterCount());
            for (int i = from; i < end; ++i)
                text += doc->characterAt(i);
            const qsizetype at = vrt::unstorableAt(text);
            if (at < 0)
                return;
            refuse(kept, text[at], [edit, from](const QString& before) {
                setContents(edit, before);
                QTextCursor cursor = edit->textCursor();
                cursor.setPosition(std::min(from, edit->document()->characterCount() - 1));
                edit->setTextCursor(cursor);
            });
        });
    QObject::connect(edit, &Edit::textChanged, kept, [edit, kept] {
        if (!kept->refusing)
            kept->before = contents(edit);
    });
}

} // namespace

void refuseUnstorable(QWidget* box) {
    if (box->property("unstorableRefused").toBool())
        return;
    box->setProperty("unstorableRefused", true);
    if (auto* line = qobject_cast<QLineEdit*>(box))
        guardLine(line);
    else if (auto* text = qobject_cast<QTextEdit*>(box))
        guardText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        guardText(plain);
}

void refuseUnstorableIn(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
            qobject_cast<QPlainTextEdit*>(w))
            refuseUnstorable(w);
}

QString upperCaseTyped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        // Only a letter's own capital: the micro sign would become the Greek
        // capital Mu (a unit read as M) and sharp s would become "SS".
        const QString upper = QString(c).toUpper();
        const bool ownCapital = upper.size() == 1 && upper.toLower() == QString(c);
        out += ownCapital ? upper : QString(c);
    }
    return out;
}

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void upperCaseTyping(QWidget* box) {
    box->installEventFilter(new UpperCaseFilter(box));
}

void enterMovesFocus(QWidget* box, Form* form) {
    box->installEventFilter(new EnterFilter(box, form));
}

void onEnter(QWidget* box, std::function<void()> handler) {
    box->installEventFilter(new EnterRuns(box, std::move(handler)));
}

void sendTab() {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return;
    QApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
    QApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier));
}

} // namespace forms
