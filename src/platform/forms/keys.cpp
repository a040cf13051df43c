#include "keys.h"

#include "errorguard.h"
#include "form.h"

#include <QApplication>
#include <QKeyEvent>

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

} // namespace

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
