#include "form.h"

#include "errorguard.h"
#include "keys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextEdit>

namespace forms {

namespace {

ModalHook& hook() {
    static ModalHook h;
    return h;
}

// Forms closed while they were being shown, destroyed once the modal call
// has returned.
thread_local std::vector<std::unique_ptr<Form>> unloadedForms;

} // namespace

namespace detail {

namespace {
// Forms still loaded when the thread ends: destroyed with it while the
// application object lives, else left to the process's end (widgets cannot
// be destroyed without it).
struct Registry {
    std::map<std::type_index, std::unique_ptr<Form>> forms;
    ~Registry() {
        if (!QCoreApplication::instance())
            for (auto& [type, form] : forms)
                (void)form.release();
    }
};
} // namespace

std::map<std::type_index, std::unique_ptr<Form>>& registry() {
    thread_local Registry r;
    return r.forms;
}

// Takes the form out of the registry; it is destroyed at once when nothing
// of it is running, else when its modal show returns.
void release(Form* form) {
    auto& r = registry();
    for (auto it = r.begin(); it != r.end(); ++it) {
        if (it->second.get() == form) {
            std::unique_ptr<Form> owned = std::move(it->second);
            r.erase(it);
            unloadedForms.push_back(std::move(owned));
            break;
        }
    }
}

} // namespace detail

void destroyIfUnloaded(Form* form) {
    if (!form->unloaded_ || form->modalDepth_ > 0)
        return;
    for (auto it = unloadedForms.begin(); it != unloadedForms.end(); ++it) {
        if (it->get() == form) {
            std::unique_ptr<Form> dying = std::move(*it);
            unloadedForms.erase(it);
            dying.release()->deleteLater();
            return;
        }
    }
}

QString linesOf(const QTextEdit* box) {
    return box->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void setLines(QTextEdit* box, const QString& text) {
    box->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

ModalHook setModalHook(ModalHook h) {
    return std::exchange(hook(), std::move(h));
}

Form::Form(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

Form::~Form() = default;

void Form::setTop(int twips) {
    ensureLoaded();
    move(x(), twips / TwipsPerPixel);
}

void Form::setLeft(int twips) {
    ensureLoaded();
    move(twips / TwipsPerPixel, y());
}

void Form::setIdentity(const QString& identity) {
    const QString caption = Caption();
    caption_ = caption;
    setWindowTitle(identity.isEmpty() ? caption : caption + QStringLiteral(" - ") + identity);
}

void Form::ensureLoaded() {
    if (loaded_)
        return;
    loaded_ = true;
    // Buttons act only when clicked or activated with Space: Enter belongs to
    // the boxes, as on the forms this library was designed with.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    try {
        Form_Load();
    } catch (...) {
        Unload();
        throw;
    }
    refuseUnstorableIn(this);
}

void Form::ShowModal() {
    ensureLoaded();
    if (unloaded_)
        return;
    ++modalDepth_;
    struct Leave {
        Form* f;
        ~Leave() {
            --f->modalDepth_;
            destroyIfUnloaded(f);
        }
    } leave{this};
    if (hook())
        hook()(*this);
    else
        exec();
}

void Form::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    if (isVisible())
        done(QDialog::Rejected);
    detail::release(this);
    destroyIfUnloaded(this);
}

void Form::keyPressEvent(QKeyEvent* event) {
    // Escape does not close a form; its own buttons do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!unloaded_) {
        unloaded_ = true;
        detail::release(this);
        // Destroyed when the modal show returns.
    }
    QDialog::closeEvent(event);
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
    if (backquote_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QLatin1String("'")) {
            QKeyEvent backquote(QEvent::KeyPress, Qt::Key_QuoteLeft, key->modifiers(),
                                QStringLiteral("`"), key->isAutoRepeat(), key->count());
            QApplication::sendEvent(watched, &backquote);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace forms
