#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <typeindex>

class QHBoxLayout;
class QLabel;
class QScrollArea;
class QTextEdit;

namespace forms {

constexpr int TwipsPerPixel = 15;

class Form;

// Whose record the windows show: the patient and the request.
struct Identity {
    QString patient;
    QString hospitalNumber;
    QString age;
    QString sex;
    QString request;

    bool isEmpty() const;
    // "name - hospital number - request", the parts that are given.
    QString caption() const;
};

// The identity every window of the thread shows in its banner while it is
// shown; empty, the banner is hidden. A scope sets it and gives the earlier
// one back when it ends.
const Identity& currentIdentity();
class IdentityScope {
public:
    explicit IdentityScope(Identity identity);
    ~IdentityScope();
    IdentityScope(const IdentityScope&) = delete;
    IdentityScope& operator=(const IdentityScope&) = delete;

private:
    Identity previous_;
};

// How a form is shown modally: exec() by default; a test's scripted user or
// a scripted host run takes it over. Returns the previous hook.
using ModalHook = std::function<void(Form&)>;
ModalHook setModalHook(ModalHook hook);

// A window of the library. Each form type has one instance per thread,
// created on first use (instance<T>()); its load handler runs when it is
// first touched as a window (loaded<T>(), ShowModal, Top/Left); Unload
// destroys it, so the next use starts afresh. Closing by the close box
// unloads it too.
//
// A window is the patient banner across its top, its body (the form's own
// controls, laid out on body()) and its button row (buttonRow()). Shown, it
// keeps inside the screen: a body taller or wider than the screen scrolls,
// and the banner and the buttons stay in view.
class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Position in twips.
    int Top() const { return y() * TwipsPerPixel; }
    int Left() const { return x() * TwipsPerPixel; }
    void setTop(int twips);
    void setLeft(int twips);

    // Shows the form modally through the hook and returns when it closes.
    // A failure of the load handler is raised here and leaves the form
    // unloaded.
    void ShowModal();
    // Closes the form and destroys the instance once it is safe to.
    void Unload();
    bool isUnloaded() const { return unloaded_; }

    // Runs the load handler once.
    void ensureLoaded();

    // The form turns a typed apostrophe into a backquote before any of its
    // controls sees it.
    void setKeyPreviewBackquote(bool on) { backquote_ = on; }
    bool keyPreviewBackquote() const { return backquote_; }

    // Moves the focus to the next control in tab order (Enter in a box).
    void focusNext() { focusNextPrevChild(true); }

    // Says in the title bar, after the form's own caption, whose record the
    // window shows ("Urinalysis - <identity caption>"), so a wrong one is
    // noticed before anything is saved. An empty identity leaves the caption
    // alone.
    void setIdentity(const Identity& identity);
    // The form's own caption, without the identity.
    QString Caption() const { return caption_.isNull() ? windowTitle() : caption_; }

    // Where the form's controls and its buttons go.
    QWidget* body() const { return body_; }
    QHBoxLayout* buttonRow() const { return buttonRow_; }

protected:
    // The load handler.
    virtual void Form_Load() {}
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend void destroyIfUnloaded(Form* form);
    void showIdentity();
    // Sizes and places the window inside the screen's free area.
    void fitToScreen();
    bool loaded_ = false;
    bool unloaded_ = false;
    bool backquote_ = false;
    QString caption_;
    int modalDepth_ = 0;
    QWidget* banner_;
    QLabel* lblPatient_;
    QLabel* lblPatientDetails_;
    QScrollArea* scroll_;
    QWidget* body_;
    QHBoxLayout* buttonRow_;
    QMetaObject::Connection focusWatch_;
};

// The text of a multi-line box as the system stores and prints it, lines
// ended by "\r\n"; setLines takes "\r\n" or bare line feeds.
QString linesOf(const QTextEdit* box);
void setLines(QTextEdit* box, const QString& text);

namespace detail {
std::map<std::type_index, std::unique_ptr<Form>>& registry();
void release(Form* form);
} // namespace detail

// The thread's instance of T, created when missing (without loading it).
template <class T> T& instance() {
    auto& r = detail::registry();
    auto it = r.find(typeid(T));
    if (it == r.end())
        it = r.emplace(typeid(T), std::make_unique<T>()).first;
    return static_cast<T&>(*it->second);
}

// The instance, loaded: what touching a form's window or controls does.
template <class T> T& loaded() {
    T& f = instance<T>();
    f.ensureLoaded();
    return f;
}

template <class T> bool isLoaded() {
    return detail::registry().count(typeid(T)) > 0;
}

// Unloads the thread's instance of T, if there is one.
template <class T> void unload() {
    auto& r = detail::registry();
    auto it = r.find(typeid(T));
    if (it != r.end())
        it->second->Unload();
}

} // namespace forms
