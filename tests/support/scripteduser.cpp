#include "scripteduser.h"

#include "platform/controls/flexgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr int watchdogMs = 15000;

QWidget* control(forms::Form& form, const QString& name, ScriptedUser* user) {
    auto* w = form.findChild<QWidget*>(name);
    if (!w)
        user->fail(QStringLiteral("%1 has no control %2").arg(form.objectName(), name));
    return w;
}

} // namespace

ScriptedUser::FormScript& ScriptedUser::FormScript::type(const QString& name, const QString& text) {
    steps_.push_back([this, name, text](forms::Form& f) {
        if (QWidget* w = control(f, name, user_)) {
            w->setFocus(Qt::OtherFocusReason);
            // Typing goes on after what the box already holds.
            if (auto* line = qobject_cast<QLineEdit*>(w))
                line->end(false);
            else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
                combo->lineEdit()->end(false);
            else if (auto* edit = qobject_cast<QTextEdit*>(w))
                edit->moveCursor(QTextCursor::End);
            QTest::keyClicks(w, text);
        }
    });
    return *this;
}

ScriptedUser::FormScript& ScriptedUser::FormScript::key(const QString& name, int key) {
    steps_.push_back([this, name, key](forms::Form& f) {
        if (QWidget* w = control(f, name, user_)) {
            w->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(w, static_cast<Qt::Key>(key));
        }
    });
    return *this;
}

ScriptedUser::FormScript& ScriptedUser::FormScript::key(int key) {
    steps_.push_back([this, key](forms::Form& f) {
        QWidget* w = QApplication::focusWidget();
        if (!w || w->window() != &f) {
            user_->fail(QStringLiteral("%1: nothing has the focus for a key").arg(f.objectName()));
            return;
        }
        QTest::keyClick(w, static_cast<Qt::Key>(key));
    });
    return *this;
}

ScriptedUser::FormScript& ScriptedUser::FormScript::click(const QString& name) {
    steps_.push_back([this, name](forms::Form& f) {
        QWidget* w = control(f, name, user_);
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (w && !button) {
            user_->fail(QStringLiteral("%1 is not a button").arg(name));
            return;
        }
        if (!button)
            return;
        if (!button->isEnabled()) {
            user_->fail(QStringLiteral("%1 is disabled").arg(name));
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
    });
    return *this;
}

ScriptedUser::FormScript& ScriptedUser::FormScript::clickCell(const QString& name, int row,
                                                              int column) {
    steps_.push_back([this, name, row, column](forms::Form& f) {
        auto* grid = qobject_cast<controls::MSHFlexGrid*>(control(f, name, user_));
        if (!grid)
            return;
        if (row < 1 || row >= grid->Rows()) {
            user_->fail(QStringLiteral("%1 has no row %2").arg(name).arg(row));
            return;
        }
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    });
    return *this;
}

ScriptedUser::FormScript& ScriptedUser::FormScript::run(std::function<void(forms::Form&)> step) {
    steps_.push_back(std::move(step));
    return *this;
}

ScriptedUser::FormScript& ScriptedUser::FormScript::closeBox() {
    steps_.push_back([](forms::Form& f) { f.close(); });
    return *this;
}

ScriptedUser::ScriptedUser() {
    previousHook_ = forms::setModalHook([this](forms::Form& f) { show(f); });
    previousSink_ = forms::setMessageSink([this](const forms::Message& m) { return message(m); });
}

ScriptedUser::~ScriptedUser() {
    forms::setModalHook(std::move(previousHook_));
    forms::setMessageSink(std::move(previousSink_));
}

ScriptedUser::FormScript& ScriptedUser::expectForm(const QString& objectName) {
    Expectation e;
    e.isForm = true;
    e.script = std::make_unique<FormScript>();
    e.script->form_ = objectName;
    e.script->user_ = this;
    queue_.push_back(std::move(e));
    return *queue_.back().script;
}

void ScriptedUser::expectMessage(const QString& text, int answer) {
    Expectation e;
    e.message = text;
    e.answer = answer;
    queue_.push_back(std::move(e));
}

void ScriptedUser::show(forms::Form& form) {
    if (queue_.empty() || !queue_.front().isForm ||
        queue_.front().script->form_ != form.objectName()) {
        fail(QStringLiteral("unexpected form %1").arg(form.objectName()));
        form.Unload();
        return;
    }
    std::unique_ptr<FormScript> script = std::move(queue_.front().script);
    queue_.pop_front();

    QPointer<forms::Form> guard(&form);
    open_.push_back(guard);
    QTimer::singleShot(0, &form, [this, guard, s = script.get()] {
        QApplication::setActiveWindow(guard);
        for (auto& step : s->steps_) {
            if (!guard || guard->isUnloaded() || !guard->isVisible()) {
                fail(QStringLiteral("%1 closed before its script ended").arg(s->form_));
                return;
            }
            step(*guard);
            QCoreApplication::processEvents();
        }
        if (guard && guard->isVisible()) {
            fail(QStringLiteral("%1 stayed open after its script").arg(s->form_));
            guard->Unload();
        }
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
        fail(QStringLiteral("watchdog: a script did not finish"));
        for (auto& f : open_)
            if (f)
                f->Unload();
    });
    watchdog.start(watchdogMs);
    form.exec();
    open_.pop_back();
}

int ScriptedUser::message(const forms::Message& m) {
    messages_ << m;
    if (queue_.empty() || queue_.front().isForm) {
        fail(QStringLiteral("unexpected message: %1").arg(m.text));
        return m.buttons == forms::vbOKOnly ? forms::vbOK : forms::vbCancel;
    }
    Expectation e = std::move(queue_.front());
    queue_.pop_front();
    if (e.message != m.text)
        fail(QStringLiteral("message \"%1\" where \"%2\" was expected").arg(m.text, e.message));
    return e.answer;
}

QStringList ScriptedUser::failures() const {
    QStringList all = failures_;
    for (const Expectation& e : queue_)
        all << (e.isForm ? QStringLiteral("form %1 was not shown").arg(e.script->form_)
                         : QStringLiteral("message \"%1\" was not shown").arg(e.message));
    return all;
}
